// Views read in pages: every row once, in the order of the whole result,
// across page boundaries inside runs of equal points, and again after their
// pages were let go.
#include "RatingsFolder.h"
#include "db/PagedModel.h"
#include "db/Statements.h"
#include "db/Unit6.h"

#include <QSqlQueryModel>
#include <gtest/gtest.h>

namespace sql = db::sql;

namespace {

// Every row of a model as a view reads it: fetching while there is more.
QStringList Rows(QSqlQueryModel* model, int from = 0) {
    QStringList rows;
    for (int r = from; r < model->rowCount() || model->canFetchMore(); ++r) {
        if (r >= model->rowCount())
            model->fetchMore();
        QStringList fields;
        for (int c = 0; c < model->columnCount(); ++c)
            fields << model->index(r, c).data().toString();
        rows << fields.join('|');
    }
    return rows;
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
    // More rows than the pages kept; points in three runs that cross page
    // boundaries, names equal but for letter case and Ё within each run.
    const int players = db::PagedModel::PageRows * (db::PagedModel::KeptPages + 2) + 7;
    folder.Exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < %1) INSERT INTO PLAYERS SELECT i, CASE i % 3 WHEN 0 "
                               "THEN 'ёж' WHEN 1 THEN 'Еж' ELSE 'еЖ' END || (i % 50) || '-' || i, "
                               "i % 3 FROM n")
                    .arg(players + 1));
    folder.Exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < %1) INSERT INTO GAMES SELECT i, 'd', 2 + i % 7, 3, 1, 1 "
                               "FROM n")
                    .arg(players));
    const struct {
        const char* view;
        db::Statement statement;
        int rows;
    } cases[] = {
        {"ratings", sql::Ratings(), players},
        {"all games", sql::AllGames(), players},
        {"one player's games", sql::PlayerGames("3"), players},
        {"a player's few games", sql::PlayerGames("4"), players / 7 + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.view);
        const QStringList whole = Whole(c.statement);
        ASSERT_EQ(whole.size(), c.rows);
        db::TQuery& view = dm.IBGames;
        view.SetSQL(c.statement);
        view.Open();
        EXPECT_LE(view.Model()->rowCount(), db::PagedModel::PageRows);
        EXPECT_EQ(Rows(view.Model()), whole);
        // The first pages went long ago: read again, through the model and the cursor.
        EXPECT_EQ(Rows(view.Model()).mid(0, 3), whole.mid(0, 3));
        view.MoveTo(1);
        EXPECT_EQ(view.FieldAsString(view.Model()->headerData(0, Qt::Horizontal).toString()),
                  whole[1].section('|', 0, 0));
        EXPECT_EQ(view.RecordCount(), c.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, PagingTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);
