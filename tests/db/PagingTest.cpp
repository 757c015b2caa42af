// Views read in pages: every row once, in the order of the whole result,
// across page boundaries inside runs of equal points, and again after their
// pages were let go, also when another launcher added, removed or moved rows
// meanwhile.
#include "RatingsFolder.h"
#include "common/NameOrder.h"
#include "db/PagedModel.h"
#include "db/Statements.h"
#include "db/Unit6.h"

#include <QSignalSpy>
#include <QSqlQueryModel>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

namespace sql = db::sql;

namespace {

constexpr int Page = db::PagedModel::PageRows;
// More rows than the pages kept, the last page short.
constexpr int Players = Page * (db::PagedModel::KeptPages + 2) + 7;

struct Player {
    qint64 code;
    QString name;
    qint64 points;

    QString Row() const { return QStringLiteral("%1|%2|%3").arg(code).arg(name).arg(points); }
};

// The players of a club, kept by the test beside the database it fills
// through the folder's own connection (another launcher, to the views).
struct Club {
    explicit Club(RatingsFolder& folder) : folder(folder) {}

    RatingsFolder& folder;
    std::vector<Player> players;

    // Points and spelling vary apart: each run of equal points holds names
    // equal but for letter case or Ё against Е, whose binary order is not
    // the lists' (Ё < Е < е < ё in UTF-8).
    static Player Generated(int i) {
        static const QStringList spellings{"еж", "ЁЖ", "Еж", "ёж"};
        const int number = i / 28 * 7 + i % 7;
        return {i + 2, spellings[(i / 7) % 4] + QString::number(number), i % 7};
    }

    void Fill(int count) {
        folder.Exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < count; ++i)
            Add(Generated(i));
        folder.Exec(QStringLiteral("COMMIT"));
    }
    void Add(const Player& player) {
        folder.AddPlayer(int(player.code), player.name, int(player.points));
        players.push_back(player);
    }
    void Remove(qint64 code) {
        folder.Exec(QStringLiteral("DELETE FROM PLAYERS WHERE P_CODE = %1").arg(code));
        std::erase_if(players, [&](const Player& p) { return p.code == code; });
    }
    void SetPoints(qint64 code, qint64 points) {
        folder.Exec(QStringLiteral("UPDATE PLAYERS SET P_POINTS = %1 WHERE P_CODE = %2")
                        .arg(points)
                        .arg(code));
        for (Player& p : players)
            if (p.code == code)
                p.points = points;
    }

    std::vector<Player> ByPoints() const {
        std::vector<Player> sorted = players;
        std::sort(sorted.begin(), sorted.end(), [](const Player& a, const Player& b) {
            return a.points != b.points ? a.points > b.points : nameorder::Before(a.name, b.name);
        });
        return sorted;
    }
    // The ratings as the view shows them.
    QStringList Ratings() const {
        QStringList rows;
        for (const Player& p : ByPoints())
            rows << p.Row();
        return rows;
    }
    // Every player by name, the computer's row too (new-game list).
    QStringList ByName() const {
        std::vector<Player> sorted = players;
        sorted.push_back({1, QStringLiteral("Computer"), 0});
        std::sort(sorted.begin(), sorted.end(), [](const Player& a, const Player& b) {
            return nameorder::Before(a.name, b.name);
        });
        QStringList rows;
        for (const Player& p : sorted)
            rows << p.Row();
        return rows;
    }
    // The code of the player at this place of the ratings (negative: from the end).
    qint64 At(int place) const {
        const std::vector<Player> sorted = ByPoints();
        return sorted.at(size_t(place < 0 ? int(sorted.size()) + place : place)).code;
    }
};

// The same rows in the same order, or where they first part.
::testing::AssertionResult Same(const QStringList& shown, const QStringList& expected) {
    for (qsizetype i = 0; i < std::max(shown.size(), expected.size()); ++i)
        if (shown.value(i) != expected.value(i))
            return ::testing::AssertionFailure()
                   << "row " << i << " of " << shown.size() << ": \""
                   << shown.value(i).toStdString() << "\", expected \""
                   << expected.value(i).toStdString() << "\" of " << expected.size();
    return ::testing::AssertionSuccess();
}

// A model's row as a view shows it; empty when it cannot show it yet.
QString RowText(QAbstractItemModel* model, int row) {
    QStringList fields;
    for (int c = 0; c < model->columnCount(); ++c)
        fields << model->index(row, c).data().toString();
    return model->index(row, 0).data().isValid() ? fields.join('|') : QString();
}

// Every row of a model as a view reads it from the top: fetching while there
// is more, and from the top again when the model read its rows again.
QStringList Rows(QAbstractItemModel* model) {
    QSignalSpy refreshed(model, &QAbstractItemModel::dataChanged);
    for (int pass = 0; pass < 3; ++pass) {
        QStringList rows;
        for (int r = 0; r < model->rowCount() || model->canFetchMore(QModelIndex()); ++r) {
            if (r >= model->rowCount())
                model->fetchMore(QModelIndex());
            const QString row = RowText(model, r);
            if (refreshed.count() > 0 || (row.isEmpty() && refreshed.wait(10000)))
                break;
            rows << row;
        }
        if (refreshed.count() == 0)
            return rows;
        refreshed.clear();
    }
    ADD_FAILURE() << "the rows kept changing";
    return {};
}

// Scrolls from the last row up to the first, as the user drags a grid back
// to its top, waiting for a row the model cannot show yet.
void ScrollBack(QAbstractItemModel* model) {
    QSignalSpy refreshed(model, &QAbstractItemModel::dataChanged);
    for (int r = model->rowCount() - 1; r >= 0; --r) {
        if (RowText(model, r).isEmpty()) {
            ASSERT_TRUE(refreshed.wait(10000)) << "row " << r << " never shown";
            r = std::min(r + 1, model->rowCount());
        }
    }
}

struct PagingTest : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    db::TDModule dm{folder.Path(), 0};

    // The statement read as one result, the yardstick of its pages.
    QStringList Whole(db::Statement statement) {
        statement.keyset = {};
        dm.QRWork.SetSQL(statement);
        dm.QRWork.Open();
        dm.QRWork.RecordCount();
        return Rows(dm.QRWork.Model());
    }
};

} // namespace

TEST_P(PagingTest, PagesShowTheWholeResultInItsOrderAndComeBackAfterTheyWent) {
    Club club(folder);
    club.Fill(Players);
    folder.Exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < %1) INSERT INTO GAMES SELECT i, 'd', 2 + i % 7, 3, 1, 1 "
                               "FROM n")
                    .arg(Players));
    QStringList opponents; // of the first player by name: 3 points or more
    const QString someone = club.ByName().at(0).section('|', 1, 1);
    for (const QString& row : club.Ratings())
        if (row.section('|', 2).toInt() >= 3 && row.section('|', 1, 1) != someone)
            opponents << row;
    const struct {
        const char* view;
        db::Statement statement;
        QStringList expected; // empty: the statement read as one result
        int rows;
    } cases[] = {
        {"ratings", sql::Ratings(), club.Ratings(), Players},
        {"players by name", sql::PlayersByName(), club.ByName(), Players + 1},
        {"opponents", sql::Opponents(someone), opponents, int(opponents.size())},
        {"all games", sql::AllGames(), {}, Players},
        {"one player's games", sql::PlayerGames("3"), {}, Players},
        {"a player's few games", sql::PlayerGames("4"), {}, Players / 7 + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.view);
        const QStringList whole = Whole(c.statement);
        ASSERT_EQ(whole.size(), c.rows);
        if (!c.expected.isEmpty()) {
            EXPECT_TRUE(Same(whole, c.expected)) << "the statement's own order";
        }
        db::TQuery& view = dm.IBGames;
        view.SetSQL(c.statement);
        view.Open();
        EXPECT_LE(view.Model()->rowCount(), Page);
        EXPECT_TRUE(Same(Rows(view.Model()), whole));
        // The first pages went long ago: read again, through the model and the cursor.
        EXPECT_TRUE(Same(Rows(view.Model()).mid(0, 3), whole.mid(0, 3)));
        view.MoveTo(1);
        EXPECT_EQ(view.FieldAsString(view.Model()->headerData(0, Qt::Horizontal).toString()),
                  whole[1].section('|', 0, 0));
        EXPECT_EQ(view.RecordCount(), c.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, PagingTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);

namespace {

// A change by another launcher that touches the first pages, which are read
// again on the way back to the top: the list shown then is the new one.
struct Change {
    const char* name;
    std::function<void(Club&)> apply;
};

void PrintTo(const Change& change, std::ostream* out) {
    *out << change.name;
}

struct PagingChanges : ::testing::TestWithParam<std::tuple<db::Dialect, Change>> {
    RatingsFolder folder{true, std::get<0>(GetParam())};
    db::TDModule dm{folder.Path(), 0};
    Club club{folder};
};

} // namespace

TEST_P(PagingChanges, EveryRowOnceInOrderAfterScrollingAwayAndBack) {
    const Change& change = std::get<1>(GetParam());
    club.Fill(Players);
    db::TQuery& view = dm.IBPlayers;
    view.SetSQL(sql::Ratings());
    view.Open();
    QSqlQueryModel* model = view.Model();
    const QStringList before = club.Ratings();
    ASSERT_TRUE(Same(Rows(model), before)) << "scrolled to the end";

    change.apply(club);
    const QStringList after = club.Ratings();
    ASSERT_NE(after, before);
    ScrollBack(model);
    const QStringList shown = Rows(model);
    EXPECT_TRUE(Same(shown, after));
    // The cursor reads the same list.
    view.MoveTo(Page + 1);
    EXPECT_EQ(view.FieldAsString("P_NAME"), shown.value(Page + 1).section('|', 1, 1));
}

INSTANTIATE_TEST_SUITE_P(
    Engines, PagingChanges,
    ::testing::
        Combine(
            ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
            ::testing::Values(
                Change{"NewTopPlayer", [](Club& c) { c.Add({Players + 2, "Аарон", 100}); }},
                Change{"FirstPageRowRemoved", [](Club& c) { c.Remove(c.At(3)); }},
                Change{"LastMovesToTheTop", [](Club& c) { c.SetPoints(c.At(-1), 100); }},
                Change{"TopDropsToTheLastRun", [](Club& c) { c.SetPoints(c.At(0), 0); }},
                // One row leaves the first page and one from a page kept all
                // along comes in: the first page still ends with the same row
                // and holds as many.
                Change{
                    "TopAndMiddleChangePlaces",
                    [](Club& c) {
                        const qint64 top = c.At(0);
                        const qint64 middle = c.At(5 * Page + 10);
                        c.SetPoints(top, 0);
                        c.SetPoints(middle, 100);
                    }})),
    [](const auto& info) {
        return EngineName({std::get<0>(info.param), info.index}) + "_" +
               std::get<1>(info.param).name;
    });
