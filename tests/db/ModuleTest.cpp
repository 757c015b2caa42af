// The database module on real SQLite files and a real PostgreSQL server:
// connection, shared queries, the statement catalogue and GenID.
#include "RatingsFolder.h"
#include "db/DbError.h"
#include "db/Statements.h"
#include "db/Unit6.h"

#include <QFile>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <gtest/gtest.h>

using db::DbError;
using db::TDModule;
namespace sql = db::sql;

namespace {

// Every row of an open query through its cursor, fields by name.
QString Read(db::TQuery& q, const QStringList& fields) {
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList row;
        for (const QString& f : fields)
            row << q.FieldAsString(f);
        rows << row.join('|');
    }
    return rows.join(';');
}

// Every case of the suite runs on both engines.
struct ModuleTest : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    TDModule dm{folder.Path(), 0};
    void SetUp() override { dm.DataModuleCreate(); }
    bool Server() const { return GetParam() == db::Dialect::PostgreSQL; }
};

} // namespace

TEST(ModuleCreate, OpensBothSharedQueries) {
    RatingsFolder folder;
    folder.AddPlayer(2, "Анна", 4);
    folder.AddPlayer(3, "Борис", 1);
    folder.AddGame(1, 2, 3);
    TDModule dm(folder.Path(), 0);
    dm.DataModuleCreate();
    EXPECT_TRUE(dm.IBPlayers.Active());
    EXPECT_TRUE(dm.IBGames.Active());
    EXPECT_EQ(dm.DataSource1()->rowCount(), 3);
    EXPECT_EQ(Read(dm.IBGames, {"G_CODE", "P_NAME", "P_NAME1"}), "1|Анна|Борис");
}

TEST(ModuleCreate, MissingFileFailsAndCreatesNothing) {
    RatingsFolder folder(false);
    TDModule dm(folder.Path(), 0);
    EXPECT_THROW(dm.DataModuleCreate(), DbError);
    EXPECT_FALSE(QFile::exists(folder.DatabaseFile()));
    EXPECT_FALSE(dm.IBPlayers.Active());
    EXPECT_FALSE(dm.IBGames.Active());
    EXPECT_TRUE(dm.IBPlayers.IsEmpty());
    // Every later step fails at its first statement, and still makes no file.
    EXPECT_THROW(dm.GenID("GAMES"), DbError);
    EXPECT_THROW(dm.OpenPlayerList(), DbError);
    dm.IBGames.SetSQL(sql::ClearGames());
    EXPECT_THROW(dm.IBGames.ExecSQL(), DbError);
    EXPECT_FALSE(QFile::exists(folder.DatabaseFile()));
}

TEST(ModuleCreate, FileThatIsNotADatabaseFails) {
    RatingsFolder folder(false);
    QFile file(folder.DatabaseFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    TDModule dm(folder.Path(), 0);
    EXPECT_THROW(dm.DataModuleCreate(), DbError);
}

TEST_P(ModuleTest, GenIdCases) {
    // Only the computer's row: the first person gets 2; an empty journal gives 1.
    EXPECT_EQ(dm.GenID("PLAYERS"), "2");
    EXPECT_EQ(dm.GenID("GAMES"), "1");
    folder.AddPlayer(2, "Анна", 0);
    folder.AddPlayer(3, "Борис", 0);
    folder.AddPlayer(4, "Вера", 0);
    folder.AddGame(1, 2, 4);
    folder.AddGame(5, 4, 3);
    folder.AddGame(7, 3, 2);
    EXPECT_EQ(dm.GenID("GAMES"), "8");
    // Deleting one player's games, the highest code among them, frees that code.
    dm.IBGames.SetSQL(sql::ClearPlayerGames("3"));
    dm.IBGames.ExecSQL();
    EXPECT_EQ(dm.GenID("GAMES"), "2");
    folder.AddGame(9, 2, 1);
    dm.IBGames.SetSQL(sql::ClearGames());
    dm.IBGames.ExecSQL();
    EXPECT_EQ(dm.GenID("GAMES"), "1");
    EXPECT_EQ(dm.GenID("PLAYERS"), "5");
    EXPECT_THROW(dm.GenID("PLAYERS; DROP TABLE GAMES"), DbError);
    EXPECT_THROW(dm.GenID("games"), DbError);
}

TEST_P(ModuleTest, FieldsByNameWithoutRegardToCaseAndNullAsZero) {
    folder.AddPlayer(2, "Анна", 7);
    folder.Exec("INSERT INTO GAMES VALUES (1, NULL, 2, 1, 3, 1)");
    db::TQuery& q = dm.OpenPlayer("Анна");
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldAsInteger("P_Points"), 7);
    EXPECT_EQ(q.FieldAsString("p_code"), "2");
    EXPECT_EQ(q.FieldAsString("P_Name"), "Анна");
    EXPECT_THROW(q.FieldAsString("P_NAME1"), DbError);
    dm.IBGames.SetSQL(sql::AllGames());
    dm.IBGames.Open();
    EXPECT_EQ(dm.IBGames.FieldAsString("G_GAMEDATE"), "");
    EXPECT_EQ(dm.IBGames.FieldAsInteger("G_GAMEDATE"), 0);
    EXPECT_EQ(dm.IBGames.FieldAsString("p_name1"), "Computer");
    dm.IBGames.Next();
    EXPECT_TRUE(dm.IBGames.Eof());
    EXPECT_THROW(dm.IBGames.FieldAsInteger("G_CODE"), DbError);
}

TEST_P(ModuleTest, ExecuteLeavesTheQueryClosedAndItsGridEmpty) {
    folder.AddPlayer(2, "Анна", 0);
    dm.OpenPlayerList();
    EXPECT_GT(dm.DataSource1()->rowCount(), 0);
    dm.IBPlayers.SetSQL(sql::UpdatePoints(5, "2"));
    EXPECT_FALSE(dm.IBPlayers.Active());
    dm.IBPlayers.ExecSQL();
    EXPECT_FALSE(dm.IBPlayers.Active());
    EXPECT_EQ(dm.DataSource1()->rowCount(), 0);
    EXPECT_THROW(dm.IBPlayers.FieldAsInteger("P_POINTS"), DbError);
    EXPECT_EQ(folder.Scalar("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 2").toInt(), 5);
}

TEST_P(ModuleTest, RatingsByPointsThenNameWithoutTheComputersRows) {
    folder.AddPlayer(2, "Вера", 3);
    folder.AddPlayer(3, "Анна", 3);
    folder.AddPlayer(5, "Глеб", 5);
    folder.AddPlayer(6, "Борис", 0);
    folder.AddPlayer(7, "GNU Backgammon", 4);
    folder.Exec("UPDATE PLAYERS SET P_POINTS = 10 WHERE P_CODE = 1");
    dm.IBPlayers.SetSQL(sql::Ratings());
    dm.IBPlayers.Open();
    EXPECT_EQ(Read(dm.IBPlayers, {"P_CODE", "P_NAME", "P_POINTS"}),
              "5|Глеб|5;3|Анна|3;2|Вера|3;6|Борис|0");
}

TEST_P(ModuleTest, NewGameDialogStatements) {
    folder.AddPlayer(2, "Вера", 3);
    folder.AddPlayer(3, "Анна", 2);
    folder.AddPlayer(4, "Глеб", 8);
    // The engine's row is never listed: the dialog offers the engine itself.
    folder.AddPlayer(5, "GNU Backgammon", 3);
    // In Russian order Cyrillic names come before Latin ones.
    EXPECT_EQ(Read(dm.OpenPlayerList(), {"P_NAME"}), "Анна;Вера;Глеб;Computer");
    EXPECT_EQ(Read(dm.OpenPlayer("Глеб"), {"P_POINTS"}), "8");
    EXPECT_TRUE(dm.OpenPlayer("глеб").Eof());
    EXPECT_EQ(Read(dm.OpenOpponents("Вера"), {"P_NAME"}), "Глеб");
    // The computer's row with 3 points is an opponent like any other (no order is promised).
    folder.Exec("UPDATE PLAYERS SET P_POINTS = 3 WHERE P_CODE = 1");
    QStringList opponents = Read(dm.OpenOpponents("Анна"), {"P_NAME"}).split(';');
    opponents.sort();
    EXPECT_EQ(opponents.join(';'), "Computer;Вера;Глеб");
}

TEST_P(ModuleTest, JournalListsAGameOnlyWhileBothPlayersHaveRows) {
    folder.AddPlayer(2, "Анна", 1);
    folder.AddPlayer(3, "Борис", 0);
    folder.AddGame(1, 2, 1, 4, 1);
    folder.AddGame(2, 3, 2, 2, 0);
    folder.AddGame(3, 1, 3, 5, 1);
    dm.IBGames.SetSQL(sql::AllGames());
    dm.IBGames.Open();
    const QStringList cols{"G_CODE", "P_NAME", "P_NAME1", "G_SUPER", "G_POINTS"};
    EXPECT_EQ(Read(dm.IBGames, cols), "1|Анна|Computer|4|1;2|Борис|Анна|2|0;3|Computer|Борис|5|1");
    dm.IBGames.SetSQL(sql::PlayerGames("3"));
    dm.IBGames.Open();
    EXPECT_EQ(Read(dm.IBGames, {"G_CODE"}), "2;3");
    folder.Exec("DELETE FROM PLAYERS WHERE P_CODE = 1");
    dm.IBGames.SetSQL(sql::AllGames());
    dm.IBGames.Open();
    EXPECT_EQ(Read(dm.IBGames, {"G_CODE"}), "2");
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), 3);
}

TEST_P(ModuleTest, NamesAreBoundNeverSpliced) {
    const QString quoted = "O'Brien') OR ('1'='1";
    dm.IBPlayers.SetSQL(sql::InsertPlayer("2", quoted));
    dm.IBPlayers.ExecSQL();
    dm.IBPlayers.SetSQL(sql::NameCheck(quoted));
    dm.IBPlayers.Open();
    EXPECT_EQ(dm.IBPlayers.RecordCount(), 1);
    dm.IBPlayers.SetSQL(sql::NameCheck("Computer' OR '1'='1"));
    dm.IBPlayers.Open();
    EXPECT_EQ(dm.IBPlayers.RecordCount(), 0);
    EXPECT_EQ(folder.Scalar("SELECT P_NAME FROM PLAYERS WHERE P_CODE = 2").toString(), quoted);
}

TEST_P(ModuleTest, NamesCompareExactly) {
    folder.AddPlayer(2, "Иван", 0);
    dm.IBPlayers.SetSQL(sql::NameCheck("иван"));
    dm.IBPlayers.Open();
    EXPECT_TRUE(dm.IBPlayers.IsEmpty());
    dm.IBPlayers.SetSQL(sql::InsertPlayer("3", "иван"));
    EXPECT_NO_THROW(dm.IBPlayers.ExecSQL());
    dm.IBPlayers.SetSQL(sql::InsertPlayer("4", "Иван"));
    EXPECT_THROW(dm.IBPlayers.ExecSQL(), DbError);
}

TEST_P(ModuleTest, RejectedStatementThrows) {
    folder.Exec("DROP TABLE GAMES");
    dm.IBGames.SetSQL(sql::AllGames());
    EXPECT_THROW(dm.IBGames.Open(), DbError);
    EXPECT_FALSE(dm.IBGames.Active());
    // The error names the form of the statement that ran on this engine.
    dm.IBGames.SetSQL({"SELECT no_sqlite_column FROM PLAYERS", {}, "SELECT no_server_column FROM PLAYERS"});
    try {
        dm.IBGames.Open();
        ADD_FAILURE() << "a missing column was read";
    } catch (const DbError& error) {
        const std::string ran = Server() ? "no_server_column" : "no_sqlite_column";
        const std::string other = Server() ? "no_sqlite_column" : "no_server_column";
        EXPECT_NE(std::string(error.what()).find(ran), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).find(other), std::string::npos) << error.what();
    }
}

TEST_P(ModuleTest, ViewsFetchLazily) {
    folder.Exec("WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 2001) "
                "INSERT INTO PLAYERS SELECT i, 'p' || i, i % 7 FROM n");
    dm.IBPlayers.SetSQL(sql::Ratings());
    dm.IBPlayers.Open();
    // The server's driver reads a result whole; SQLite's in blocks.
    if (!Server()) {
        EXPECT_LT(dm.DataSource1()->rowCount(), 2000);
        EXPECT_TRUE(dm.DataSource1()->canFetchMore());
    }
    EXPECT_EQ(dm.IBPlayers.RecordCount(), 2000);
    dm.IBPlayers.MoveTo(1999);
    EXPECT_FALSE(dm.IBPlayers.Eof());
    dm.IBPlayers.Next();
    EXPECT_TRUE(dm.IBPlayers.Eof());
}

TEST_P(ModuleTest, APendingLongListDoesNotHideOtherProcessesWrites) {
    // More games than a view fetches at once: the journal's statement stays pending.
    folder.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                "INSERT INTO GAMES SELECT i, 'd', 1, 1, 1, 1 FROM n");
    dm.DataModuleCreate();
    ASSERT_TRUE(Server() || dm.DataSource2()->canFetchMore());
    folder.AddPlayer(7, "Жора", 0); // another process registers a player

    dm.IBPlayers.SetSQL(sql::NameCheck("Жора"));
    dm.IBPlayers.Open();
    EXPECT_EQ(dm.IBPlayers.RecordCount(), 1);
    EXPECT_EQ(dm.GenID("PLAYERS"), "8");
    dm.IBPlayers.SetSQL(sql::InsertPlayer("8", "Зоя"));
    EXPECT_NO_THROW(dm.IBPlayers.ExecSQL());
    EXPECT_EQ(folder.Scalar("SELECT P_CODE FROM PLAYERS WHERE P_NAME = 'Зоя'").toInt(), 8);
    // The journal keeps its rows meanwhile.
    EXPECT_TRUE(dm.IBGames.Active());
    EXPECT_EQ(dm.IBGames.RecordCount(), 1000);
}

// The new-game list orders by the collation; look-up stays exact.
TEST_P(ModuleTest, PlayerListUsesTheNameOrderLookUpStaysExact) {
    for (int code = 2; const char* name : {"Яна", "ёлка", "Ель", "Анна", "анна"})
        folder.AddPlayer(code++, QString::fromUtf8(name), 0);
    EXPECT_EQ(Read(dm.OpenPlayerList(), {"P_NAME"}), "Анна;анна;ёлка;Ель;Яна;Computer");
    EXPECT_EQ(Read(dm.OpenPlayer("анна"), {"P_CODE"}), "6");
    EXPECT_EQ(Read(dm.OpenPlayer("Ёлка"), {"P_CODE"}), "");
}

TEST_P(ModuleTest, ListsNamesInRussianOrder) {
    // Letter case ignored, Ё beside Е, equal names by their exact text.
    const QStringList names{"Жук", "иван", "ёж", "Ежик", "Ива", "еж", "Иван", "Ёж", "ель"};
    for (int i = 0; i < names.size(); ++i)
        folder.AddPlayer(2 + i, names[i], 5);
    folder.AddPlayer(20, "Яна", 6);
    const QString expected = "еж;Ёж;ёж;Ежик;ель;Жук;Ива;Иван;иван";
    // Russian order puts Cyrillic before Latin.
    EXPECT_EQ(Read(dm.OpenPlayerList(), {"P_NAME"}), expected + ";Яна;Computer");
    dm.IBPlayers.SetSQL(sql::Ratings());
    dm.IBPlayers.Open();
    EXPECT_EQ(Read(dm.IBPlayers, {"P_NAME"}), "Яна;" + expected);
    // Look-ups and uniqueness still compare exactly.
    EXPECT_EQ(Read(dm.OpenPlayer("ЁЖ"), {"P_NAME"}), "");
    dm.IBPlayers.SetSQL(sql::InsertPlayer("30", "ЁЖ"));
    EXPECT_NO_THROW(dm.IBPlayers.ExecSQL());
}

TEST_P(ModuleTest, LostServerConnectionIsOpenedAgainButNeverInsideATransaction) {
    if (!Server())
        GTEST_SKIP() << "a file has no connection to lose";
    folder.AddPlayer(2, "Анна", 4);
    // The server ends the module's connection, waiting until it has gone.
    auto cut = [this] {
        EXPECT_EQ(folder.Scalar("SELECT COUNT(pg_terminate_backend(pid, 10000)) FROM "
                                "pg_stat_activity WHERE datname = current_database() AND "
                                "pid <> pg_backend_pid()")
                      .toInt(),
                  1);
    };
    cut();
    // The loss shows on the first statement sent over the link (the driver's
    // own clean-up may be the one that meets it); the step after connects again.
    try {
        dm.OpenPlayerList();
    } catch (const DbError&) {
    }
    EXPECT_EQ(Read(dm.OpenPlayer("Анна"), {"P_POINTS"}), "4");

    {
        TDModule::Transaction transaction(dm);
        cut();
        EXPECT_THROW(dm.GenID("GAMES"), DbError);
        // Connecting again here would write outside the transaction.
        dm.IBGames.SetSQL(sql::InsertGame("1", "d", "2", "1", 1, 1));
        EXPECT_THROW(dm.IBGames.ExecSQL(), DbError);
    }
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), 0);
    EXPECT_EQ(dm.GenID("GAMES"), "1");
}

INSTANTIATE_TEST_SUITE_P(Engines, ModuleTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);
