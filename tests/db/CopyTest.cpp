// ratings-db: the server's schema, and a club's Ratings.mdb copied onto it.
#include "RatingsCopy.h"
#include "RecordedGame.h"
#include "RatingsFolder.h"
#include "db/DbError.h"
#include "db/GameArchive.h"
#include "db/Statements.h"
#include "db/Unit6.h"
#include "record/MatchRecord.h"
#include "record/RecordText.h"

#include <QFile>
#include <QProcess>
#include <QSqlQueryModel>
#include <gtest/gtest.h>

namespace {

using db::Dialect;

// Every row of a view through the module, all fields in order.
QString View(const RatingsFolder& folder, const db::Statement& statement) {
    db::TDModule module(folder.Path(), 0);
    module.IBGames.SetSQL(statement);
    module.IBGames.Open();
    QStringList rows;
    QSqlQueryModel* model = module.DataSource2();
    while (model->canFetchMore())
        model->fetchMore();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < model->columnCount(); ++c)
            fields << model->index(r, c).data().toString();
        rows << fields.join('|');
    }
    return rows.join(';');
}

// A club's file: players with codes that have gaps, a computer row with
// points, and a journal with a missing date.
void FillClub(RatingsFolder& club) {
    club.Exec("UPDATE PLAYERS SET P_POINTS = 4 WHERE P_CODE = 1");
    club.AddPlayer(2, "Анна", 7);
    club.AddPlayer(5, "Борис", 3);
    club.AddPlayer(9, "Вера", 12);
    club.AddGame(1, 2, 5, 3, 1);
    club.AddGame(4, 9, 1, 15, 1);
    club.AddGame(7, 1, 2, 2, 1);
    club.Exec("INSERT INTO GAMES VALUES (8, NULL, 9, 2, 1, 2)");
}

struct CopyTest : ::testing::Test {
    RatingsFolder club;
    RatingsFolder server{true, Dialect::PostgreSQL};
    void SetUp() override { FillClub(club); }
    void ExpectSameViews() {
        for (const db::Statement& view :
             {db::sql::Ratings(), db::sql::AllGames(), db::sql::PlayerGames("2")}) {
            const QString rows = View(club, view);
            EXPECT_FALSE(rows.isEmpty());
            EXPECT_EQ(View(server, view), rows) << view.text.toStdString();
        }
    }
};

} // namespace

TEST_F(CopyTest, CopiedClubShowsTheSameRatingsAndJournal) {
    const ratingsdb::Copied copied =
        ratingsdb::CopyRatings(club.DatabaseFile(), server.Connection(), false);
    EXPECT_EQ(copied.players, 4);
    EXPECT_EQ(copied.games, 4);
    ExpectSameViews();
    EXPECT_EQ(server.Rows("SELECT * FROM PLAYERS ORDER BY P_CODE"),
              club.Rows("SELECT * FROM PLAYERS ORDER BY P_CODE"));
    // Codes go on from the copied ones.
    db::TDModule module(server.Path(), 0);
    EXPECT_EQ(module.GenID("PLAYERS"), "10");
    EXPECT_EQ(module.GenID("GAMES"), "9");
}

TEST(CopyTarget, TargetWithPlayersOrGamesIsRefusedUnlessReplaced) {
    const struct {
        const char* what;
        bool player, game; // what the server holds besides the computer's row
        const char* players;
        const char* games;
    } cases[] = {
        {"players and games", true, true, "Computer;Глеб", "1"},
        {"players but no games", true, false, "Computer;Глеб", ""},
        {"games but no other players", false, true, "Computer", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RatingsFolder club;
        FillClub(club);
        RatingsFolder server{true, Dialect::PostgreSQL};
        if (c.player)
            server.AddPlayer(2, "Глеб", 1);
        if (c.game)
            server.AddGame(1, 1, 1);
        EXPECT_THROW(ratingsdb::CopyRatings(club.DatabaseFile(), server.Connection(), false),
                     db::DbError);
        EXPECT_EQ(server.Rows("SELECT P_NAME FROM PLAYERS ORDER BY P_CODE"), c.players);
        EXPECT_EQ(server.Rows("SELECT G_CODE FROM GAMES"), c.games);
        ratingsdb::CopyRatings(club.DatabaseFile(), server.Connection(), true);
        EXPECT_EQ(server.Rows("SELECT * FROM PLAYERS ORDER BY P_CODE"),
                  club.Rows("SELECT * FROM PLAYERS ORDER BY P_CODE"));
        EXPECT_EQ(server.Scalar("SELECT COUNT(*) FROM PLAYERS WHERE P_NAME = 'Глеб'").toInt(), 0);
    }
}

TEST_F(CopyTest, FailedCopyLeavesTheServerAsItWas) {
    club.Exec("INSERT INTO PLAYERS VALUES (11, 'Анна ', 'not a number')");
    EXPECT_THROW(ratingsdb::CopyRatings(club.DatabaseFile(), server.Connection(), false),
                 db::DbError);
    EXPECT_EQ(server.Rows("SELECT * FROM PLAYERS"), "1|Computer|0");
    EXPECT_THROW(ratingsdb::CopyRatings(club.Path() + "/Data/Missing.mdb", server.Connection(), true),
                 db::DbError);
}

TEST(RatingsDbTool, CreatesTheSchemaThenCopiesThroughTheProgramFolder) {
    RatingsFolder club;
    FillClub(club);
    RatingsFolder server(false, Dialect::PostgreSQL); // an empty database
    QProcess tool;
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
               {"--program-folder", server.Path(), "--create", "--copy", club.DatabaseFile()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(tool.readAllStandardOutput(), "tables created\ncopied 4 players, 4 games and 0 game records\n");
    EXPECT_EQ(server.Rows("SELECT * FROM PLAYERS ORDER BY P_CODE"),
              club.Rows("SELECT * FROM PLAYERS ORDER BY P_CODE"));
    // Tables that exist already are not made again, and a second copy is refused.
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db", {"--program-folder", server.Path(), "--create"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
               {"--server", server.Server(), "--copy", club.DatabaseFile()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(tool.readAllStandardError().contains("--replace"));
}

TEST(RatingsDbTool, CreatedSchemaHoldsOnlyTheComputerRow) {
    RatingsFolder server(false, Dialect::PostgreSQL);
    ratingsdb::CreateSchema(server.Connection());
    EXPECT_EQ(server.Rows("SELECT * FROM PLAYERS"), "1|Computer|0");
    EXPECT_EQ(server.Rows("SELECT * FROM GAMES"), "");
    EXPECT_THROW(ratingsdb::CreateSchema(server.Connection()), db::DbError);
}

// A game of the archive written to a file from either engine, its format
// named by the file; the records went over to the server with the copy.
TEST(RatingsDbTool, ExportsAGameOfTheArchiveFromEitherEngine) {
    RatingsFolder club;
    FillClub(club);
    const record::GameRecord game =
        selfplay::RecordedGame(record::StandardStart(), 2, "Анна", "Борис");
    // Game 1 was a match: its record is the match's text.
    record::MatchGame matchGame;
    matchGame.game = game;
    record::SettleGame(matchGame);
    const record::MatchRecord match{3, "Анна", "Борис", {matchGame}};
    {
        db::TDModule module(club.Path(), 0);
        db::StoreRecord(module, "2", {QString(), record::RecordText(game, game.StartTime())});
        db::StoreRecord(module, "1", {QString(), record::MatchText(match, game.StartTime())});
    }
    // Game 4's record unpacks to far more than its length claims: it stays behind.
    QByteArray bomb = qCompress(QByteArray(8 << 20, '\0'));
    bomb.replace(0, 4, QByteArray::fromHex("00001000"));
    club.Exec("INSERT INTO GAME_RECORDS VALUES (4, NULL, X'" + bomb.toHex() + "')");
    RatingsFolder server(false, Dialect::PostgreSQL);
    QProcess tool;
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
               {"--server", server.Server(), "--create", "--copy", club.DatabaseFile()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_TRUE(tool.readAllStandardOutput().endsWith("and 2 game records\n"));
    EXPECT_TRUE(tool.readAllStandardError().contains("1 damaged game records left out"));
    EXPECT_EQ(server.Rows("SELECT R_GAME FROM GAME_RECORDS ORDER BY R_GAME"), "1;2");

    const struct {
        const char* where;
        QString database;
        const char* code;
        const char* file;
        int exitCode;
        const char* begins; // the file's first bytes, when written
    } cases[] = {
        {"--program-folder", club.Path(), "2", "game.sgf", 0, "(;FF[4]GM[6]"},
        {"--server", server.Server(), "2", "game.mat", 0, "; [EventDate"},
        {"--program-folder", club.Path(), "2", "game.TXT", 0, "Партия в нарды"},
        {"--server", server.Server(), "1", "match.sgf", 0, "(;FF[4]GM[6]CA[UTF-8]AP[Вертан:1.0]MI[length:3]"},
        {"--program-folder", club.Path(), "1", "match.mat", 0, "; [EventDate"},
        {"--program-folder", club.Path(), "1", "match.txt", 0, "Матч до 3 очков"},
        {"--program-folder", club.Path(), "3", "none.sgf", 2, nullptr},  // recorded without one
        {"--program-folder", club.Path(), "4", "none.sgf", 2, nullptr},  // a record that does not unpack
        {"--server", server.Server(), "4", "none.sgf", 2, nullptr},      // left behind
        {"--server", server.Server(), "77", "none.sgf", 2, nullptr},     // no such game
        {"--program-folder", club.Path(), "два", "none.sgf", 2, nullptr}, // no code at all
        {"--program-folder", club.Path(), "2", "none.pdf", 2, nullptr},  // no such format
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.where) + " " + c.code + " " + c.file);
        const QString file = club.Path() + "/" + c.file;
        tool.start(VERTAN_PROGRAM_DIR "/ratings-db", {c.where, c.database, "--export", c.code, file});
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), c.exitCode) << tool.readAllStandardError().toStdString();
        QFile written(file);
        ASSERT_EQ(written.open(QIODevice::ReadOnly), c.begins != nullptr);
        if (c.begins) {
            EXPECT_TRUE(written.readAll().startsWith(c.begins));
        }
    }
}

TEST_F(CopyTest, TournamentsGoOverWithTheClubAndAnOlderFileHasNone) {
    club.Exec("INSERT INTO TOURNAMENTS VALUES (3, 'Кубок', 1, 3, 1)");
    club.Exec("INSERT INTO TOURNAMENT_ENTRIES VALUES (3, 1, 2, 7, 0), (3, 2, 5, 3, 1)");
    club.Exec("INSERT INTO TOURNAMENT_PAIRINGS VALUES (3, 1, 1, 1, 2, 2, 0, 1, 'клуб')");
    EXPECT_EQ(ratingsdb::CopyRatings(club.DatabaseFile(), server.Connection(), false).tournamentRows, 4);
    for (const char* table : {"TOURNAMENTS", "TOURNAMENT_ENTRIES", "TOURNAMENT_PAIRINGS"}) {
        const QString rows = QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table);
        EXPECT_EQ(server.Rows(rows), club.Rows(rows)) << table;
    }
    for (const char* table : {"TOURNAMENT_PAIRINGS", "TOURNAMENT_ENTRIES", "TOURNAMENTS"})
        club.Exec(QStringLiteral("DROP TABLE %1").arg(table));
    EXPECT_EQ(ratingsdb::CopyRatings(club.DatabaseFile(), server.Connection(), true).tournamentRows, 0);
    EXPECT_EQ(server.Scalar("SELECT COUNT(*) FROM TOURNAMENTS").toInt(), 0);
}
