// The new-game lists on a club's worth of players: the first page at once,
// further pages as the user scrolls, steps past the end or jumps to it.
#include "WholeGame.h"

#include "db/PagedModel.h"
#include "game/GamePorts.h"
#include "shell/StartUp.h"
#include "shell/Unit2.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int Page = db::PagedModel::PageRows;
constexpr int Players = 2 * Page + 10; // three pages

// Letter case alternates: the order ignores it, so pages must too.
QString Name(int n) {
    return (n % 2 ? QStringLiteral("игрок") : QStringLiteral("Игрок")) +
           QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
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
};

class PlayerLists : public ::testing::TestWithParam<ScrollCase> {
  protected:
    void SetUp() override {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
        database.setDatabaseName(folder.DatabasePath());
        ASSERT_TRUE(database.open());
        database.transaction();
        QSqlQuery insert(database);
        insert.prepare(QStringLiteral("INSERT INTO PLAYERS VALUES (?, ?, ?)"));
        // Players with an even number hold 5 points, the others 0.
        for (int n = 1; n <= Players; ++n) {
            insert.addBindValue(n + 1);
            insert.addBindValue(Name(n));
            insert.addBindValue(n % 2 ? 0 : 5);
            ASSERT_TRUE(insert.exec());
        }
        database.commit();
        database.close();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
        program = std::make_unique<shell::Program>();
        ASSERT_TRUE(apptest::OpenDialog());
    }

    apptest::GameFolder folder;
    std::unique_ptr<shell::Program> program;
};

TEST_P(PlayerLists, ReadFurtherPagesAsTheUserScrolls) {
    const ScrollCase c = GetParam();
    QComboBox* first = Form2->ComboBox1;
    EXPECT_EQ(first->count(), 1 + Page) << "the first page only";
    first->setCurrentIndex(first->count() - 1);
    c.scroll(first);
    EXPECT_EQ(first->count(), 1 + c.rowsAfter);
    Press(first, Qt::Key_End);
    QStringList expected{game::ComputerName};
    for (int n = 1; n <= Players; ++n)
        expected << Name(n);
    expected << QStringLiteral("Computer");
    EXPECT_EQ(Items(first), expected.join(',').toStdString());

    // The second list: every other player with 3 points or more.
    ASSERT_TRUE(apptest::Pick(first, Name(2)));
    QComboBox* second = Form2->ComboBox2;
    EXPECT_EQ(second->count(), 1 + Page);
    EXPECT_EQ(second->currentIndex(), 0);
    second->setCurrentIndex(second->count() - 1);
    c.scroll(second);
    Press(second, Qt::Key_End);
    expected = QStringList{game::ComputerName};
    for (int n = 4; n <= Players; n += 2)
        expected << Name(n);
    EXPECT_EQ(Items(second), expected.join(',').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PlayerLists,
    ::testing::Values(ScrollCase{"Down", [](QComboBox* box) { Press(box, Qt::Key_Down); }, 2 * Page},
                      ScrollCase{"PopupScrolled", ScrollPopupToEnd, 2 * Page},
                      ScrollCase{"End", [](QComboBox* box) { Press(box, Qt::Key_End); }, Players + 1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
