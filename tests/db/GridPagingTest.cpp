// The ratings grid over a list read in pages, when another launcher changes
// rows while the first pages are let go: back at the top the grid shows the
// rows as they are now and stays where the user left it.
#include "RatingsFolder.h"
#include "db/PagedModel.h"
#include "db/Unit6.h"
#include "shell/MessageBoxes.h"
#include "shell/Unit7.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlQueryModel>
#include <gtest/gtest.h>

namespace {

constexpr int Page = db::PagedModel::PageRows;
constexpr int Players = Page * (db::PagedModel::KeptPages + 2) + 7;

struct GridPaging : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    std::unique_ptr<db::TDModule> dm;
    std::unique_ptr<TForm7> form;

    void SetUp() override {
        shell::SetMessageBoxHook(
            [](shell::BoxKind, const QString&, const QString&) { return true; });
        // Names by their number, points falling: the player with code 2 leads.
        folder.Exec(QStringLiteral("BEGIN"));
        for (int n = 0; n < Players; ++n)
            folder.AddPlayer(n + 2, QStringLiteral("Игрок%1").arg(n, 4, 10, QLatin1Char('0')),
                             Players - n);
        folder.Exec(QStringLiteral("COMMIT"));
        dm = std::make_unique<db::TDModule>(folder.Path(), 0);
        form = std::make_unique<TForm7>(*dm);
    }
    void TearDown() override {
        form.reset();
        dm.reset();
        shell::SetMessageBoxHook(nullptr);
    }
};

} // namespace

TEST_P(GridPaging, BackAtTheTopTheGridShowsTheRowsAsTheyAreAndKeepsItsPlace) {
    form->OpenRatings();
    shell::TDBGrid* grid = form->DBGrid;
    QSqlQueryModel* model = dm->DataSource1();
    const int name = grid->ColumnOf("P_NAME");
    // To the end, the current row near it.
    while (model->canFetchMore())
        model->fetchMore();
    ASSERT_EQ(model->rowCount(), Players);
    const int current = Players - 3;
    grid->setCurrentIndex(model->index(current, name));
    grid->scrollToBottom();

    // Another launcher registers a new top player.
    folder.AddPlayer(Players + 2, "Аарон", Players + 1);
    // Back to the top: painting asks for the first rows, whose page is read again.
    grid->scrollToTop();
    QSignalSpy refreshed(model, &QAbstractItemModel::dataChanged);
    grid->viewport()->repaint();
    ASSERT_TRUE(refreshed.wait(10000));

    EXPECT_EQ(model->index(0, name).data().toString(), "Аарон");
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid->currentIndex().row(), current);
    // The query's cursor stands on the grid's row and reads what the grid shows.
    EXPECT_EQ(dm->IBPlayers.FieldAsString("P_NAME").toStdString(),
              model->index(current, name).data().toString().toStdString());
}

INSTANTIATE_TEST_SUITE_P(Engines, GridPaging,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);
