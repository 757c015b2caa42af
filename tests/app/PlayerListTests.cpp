// The new-game lists on a club's worth of players: the first page at once,
// further pages as the user scrolls, steps past the end or jumps to it.
#include "WholeGame.h"

#include "common/NameOrder.h"
#include "db/PagedModel.h"
#include "game/ComputerSeat.h"
#include "game/GamePorts.h"
#include "shell/StartUp.h"
#include "shell/Unit2.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

namespace {

constexpr int Page = db::PagedModel::PageRows;
// More pages than the lists keep at once.
constexpr int Players = Page * (db::PagedModel::KeptPages + 2) + 10;

struct Player {
    QString name;
    int points;
};

// Spelling and points vary apart: each run of equal points holds names that
// differ by letter case and by Ё against Е, in an order binary comparison
// would get wrong.
Player Generated(int n) {
    static const QStringList spellings{"игрок", "Ёлка", "Игрок", "елка"};
    return {spellings[(n / 3) % 4] + QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')),
            (n % 3) * 3};
}

// The computers ("Компьютер", then the engine where it is installed), then
// the names of these players in the lists' order.
QStringList Listed(std::vector<Player> players, bool byPoints, bool engine = false) {
    std::sort(players.begin(), players.end(), [&](const Player& a, const Player& b) {
        return byPoints && a.points != b.points ? a.points > b.points
                                                : nameorder::Before(a.name, b.name);
    });
    QStringList names{game::ComputerName};
    if (engine)
        names << game::EngineName;
    for (const Player& p : players)
        names << p.name;
    return names;
}

std::string Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items.join(',').toStdString();
}

void Press(QComboBox* box, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
}

void ScrollPopupToEnd(QComboBox* box) {
    box->setCurrentIndex(0); // the list opens at its top
    box->showPopup();
    QScrollBar* bar = box->view()->verticalScrollBar();
    bar->setValue(bar->maximum());
    box->hidePopup();
}

struct ScrollCase {
    const char* name;
    std::function<void(QComboBox*)> scroll;
    int rowsAfter; // read after one such step from the first page
    // Where the box stands after that step from the first page's last item.
    std::function<int(int last, int count)> standsAt;
};

void PrintTo(const ScrollCase& c, std::ostream* out) {
    *out << c.name;
}

// A program folder whose database holds the generated players, written by
// a connection of the test's own (another launcher, to the program).
class ClubFolder {
  public:
    ClubFolder() {
        std::vector<Player> players;
        for (int n = 1; n <= Players; ++n)
            players.push_back(Generated(n));
        Add(players);
    }
    ~ClubFolder() { QSqlDatabase::removeDatabase(QStringLiteral("club")); }

    void Add(const std::vector<Player>& players) {
        QSqlDatabase database = Connection();
        database.transaction();
        QSqlQuery insert(database);
        insert.prepare(QStringLiteral("INSERT INTO PLAYERS VALUES (?, ?, ?)"));
        for (const Player& p : players) {
            insert.addBindValue(int(players_.size()) + 2);
            insert.addBindValue(p.name);
            insert.addBindValue(p.points);
            EXPECT_TRUE(insert.exec());
            players_.push_back(p);
        }
        database.commit();
    }
    void Remove(const QString& name) {
        QSqlQuery remove(Connection());
        remove.prepare(QStringLiteral("DELETE FROM PLAYERS WHERE P_NAME = ?"));
        remove.addBindValue(name);
        EXPECT_TRUE(remove.exec());
    }
    const std::vector<Player>& All() const { return players_; }
    /*! The engine installed, and its row in the database, which the lists
        never show: they offer the engine itself. */
    void InstallEngine() {
        folder_.InstallEngine("exit 1");
        QSqlQuery insert(Connection());
        insert.prepare(QStringLiteral("INSERT INTO PLAYERS VALUES (1000000, ?, 0)"));
        insert.addBindValue(game::EngineName);
        EXPECT_TRUE(insert.exec());
    }

  private:
    QSqlDatabase Connection() {
        if (QSqlDatabase::contains(QStringLiteral("club")))
            return QSqlDatabase::database(QStringLiteral("club"));
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "club");
        database.setDatabaseName(folder_.DatabasePath());
        EXPECT_TRUE(database.open());
        return database;
    }

    apptest::GameFolder folder_;
    std::vector<Player> players_;
};

// Rows a list gains or loses are told where they are: the item next to them
// (after the rows gained, or after the rows lost) moves by as many rows.
class ChangesWhereTold : public QObject {
  public:
    explicit ChangesWhereTold(QAbstractItemModel* model) {
        const auto before = [this, model](const QModelIndex&, int at) {
            count_ = model->rowCount();
            next_ = at < count_ ? model->index(at, 0).data() : QVariant();
        };
        const auto after = [this, model](int gained, int at) {
            EXPECT_EQ(model->rowCount(), count_ + gained);
            if (next_.isValid()) {
                EXPECT_EQ(model->index(at, 0).data(), next_);
            }
        };
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [=](const QModelIndex& parent, int first, int) { before(parent, first); });
        connect(
            model, &QAbstractItemModel::rowsInserted, this,
            [=](const QModelIndex&, int first, int last) { after(last - first + 1, last + 1); });
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [=](const QModelIndex& parent, int, int last) { before(parent, last + 1); });
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [=](const QModelIndex&, int first, int last) { after(first - last - 1, first); });
    }

  private:
    int count_ = 0;
    QVariant next_;
};

class DialogWithClub : public ::testing::Test {
  protected:
    void SetUp() override { Open(false); }
    void Open(bool engine) {
        if (engine)
            club.InstallEngine();
        program = std::make_unique<shell::Program>();
        for (QComboBox* box : {Form2->ComboBox1, Form2->ComboBox2})
            checkers.push_back(std::make_unique<ChangesWhereTold>(box->model()));
        ASSERT_TRUE(apptest::OpenDialog());
    }
    void TearDown() override { checkers.clear(); }

    ClubFolder club;
    std::unique_ptr<shell::Program> program;
    std::vector<std::unique_ptr<ChangesWhereTold>> checkers;
};

// With the engine installed the rows come after two computers.
class PlayerLists : public DialogWithClub,
                    public ::testing::WithParamInterface<std::tuple<ScrollCase, bool>> {
  protected:
    void SetUp() override { Open(std::get<1>(GetParam())); }
};

TEST_P(PlayerLists, ReadFurtherPagesAsTheUserScrolls) {
    const auto& [c, engine] = GetParam();
    const int computers = engine ? 2 : 1;
    QComboBox* first = Form2->ComboBox1;
    EXPECT_EQ(first->count(), computers + Page) << "the first page only";
    const int last = first->count() - 1;
    first->setCurrentIndex(last);
    c.scroll(first);
    EXPECT_EQ(first->count(), computers + c.rowsAfter);
    EXPECT_EQ(first->currentIndex(), c.standsAt(last, first->count()));
    Press(first, Qt::Key_End);
    std::vector<Player> everyone = club.All();
    everyone.push_back({QStringLiteral("Computer"), 0});
    EXPECT_EQ(Items(first), Listed(everyone, false, engine).join(',').toStdString());

    // The second list: every other player with 3 points or more.
    const QString chosen = Generated(2).name;
    ASSERT_TRUE(apptest::Pick(first, chosen));
    QComboBox* second = Form2->ComboBox2;
    EXPECT_EQ(second->count(), computers + Page);
    EXPECT_EQ(second->currentIndex(), 0);
    second->setCurrentIndex(second->count() - 1);
    c.scroll(second);
    Press(second, Qt::Key_End);
    std::vector<Player> opponents;
    for (const Player& p : club.All())
        if (p.points >= 3 && p.name != chosen)
            opponents.push_back(p);
    EXPECT_EQ(Items(second), Listed(opponents, true, engine).join(',').toStdString());
}

// With the engine installed the rows come after two computers.
class PlayerListReadAgain : public DialogWithClub, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override { Open(GetParam()); }
};

TEST_P(PlayerListReadAgain, ShowsEveryNameOnceAndKeepsTheChoice) {
    QComboBox* first = Form2->ComboBox1;
    const int computers = GetParam() ? 2 : 1;
    EXPECT_EQ(first->count(), computers + Page) << "the first page only";
    Press(first, Qt::Key_End);
    const int chosenRow = Page + 40;
    const QString chosen = first->itemText(chosenRow);
    ASSERT_TRUE(apptest::Pick(first, chosen));
    // The popup scrolled from the choice to the end: the first pages go.
    for (int i = chosenRow; i < first->count(); ++i)
        first->itemText(i);

    club.Add({{QStringLiteral("Аарон"), 0}}); // first by name: every other name one down
    // Back at the top, the first page reads otherwise: the list is read again.
    ASSERT_TRUE(apptest::WaitFor([&] { return !first->itemText(computers).isEmpty(); }, 10000));
    std::vector<Player> everyone = club.All();
    everyone.push_back({QStringLiteral("Computer"), 0});
    EXPECT_EQ(Items(first), Listed(everyone, false, GetParam()).join(',').toStdString());
    EXPECT_EQ(first->currentText(), chosen);
    EXPECT_EQ(first->currentIndex(), chosenRow + 1);
}

TEST_P(PlayerListReadAgain, AChoiceRemovedMeanwhileStaysChosen) {
    club.Add({{QStringLiteral("Zoe"), 0}}); // Latin after Cyrillic: the last name
    QComboBox* first = Form2->ComboBox1;
    Press(first, Qt::Key_End);
    const int last = first->count() - 1;
    const QString chosen = first->itemText(last);
    ASSERT_EQ(chosen.toStdString(), "Zoe");
    ASSERT_TRUE(apptest::Pick(first, chosen));
    // The popup scrolled back to the top: the last pages go.
    for (int i = last; i > 0; --i)
        first->itemText(i);

    club.Remove(chosen); // by another launcher: the list is one row shorter
    // At the end again, the last page reads otherwise: the list is read again
    // and loses its last row, the one the box stood on.
    ASSERT_TRUE(apptest::WaitFor(
        [&] { return !first->itemText(last - 1).isEmpty() && first->count() == last; }, 10000));
    EXPECT_EQ(first->currentText(), chosen) << "another player is never chosen instead";
}

INSTANTIATE_TEST_SUITE_P(Engine, PlayerListReadAgain, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Installed" : "None"; });

INSTANTIATE_TEST_SUITE_P(
    Steps, PlayerLists,
    ::testing::Combine(
        ::testing::Values(ScrollCase{"Down", [](QComboBox* box) { Press(box, Qt::Key_Down); },
                                     2 * Page, [](int last, int) { return last + 1; }},
                          ScrollCase{"PopupScrolled", ScrollPopupToEnd, 2 * Page,
                                     [](int, int) { return 0; }},
                          ScrollCase{"End", [](QComboBox* box) { Press(box, Qt::Key_End); },
                                     Players + 1, [](int, int count) { return count - 1; }}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) ? "WithTheEngine" : "");
    });

} // namespace
