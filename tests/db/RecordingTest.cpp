// Recording finished games on both engines: announcements, rating rules, the
// journal row, and all-or-nothing on failure.
#include "RatingsFolder.h"
#include "db/DbError.h"
#include "db/GameArchive.h"
#include "db/Outbox.h"
#include "db/ResultRecording.h"
#include "db/Statements.h"
#include "db/Unit6.h"
#include "game/ComputerSeat.h"

#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <tuple>

using db::DbError;
using db::RecordResult;
using db::TDModule;

namespace {

const QString Computer = QStringLiteral("Компьютер");
const QString Date = QStringLiteral("07.12.2026");
QString Today() {
    return Date;
}

// Remembers every announcement and how many games the journal held then.
struct FakeAnnouncer : db::Announcer {
    RatingsFolder* folder = nullptr;
    QStringList texts;
    QList<int> gamesAtAnnouncement;
    void Announce(const QString& text) override {
        texts << text;
        if (folder)
            gamesAtAnnouncement << folder->Scalar("SELECT COUNT(*) FROM GAMES").toInt();
    }
};

struct RecordingTest : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    TDModule dm{folder.Path(), 0};
    FakeAnnouncer announcer;
    void SetUp() override {
        announcer.folder = &folder;
        dm.DataModuleCreate();
    }
    void Players(int anna, int boris) {
        folder.AddPlayer(2, "Анна", anna);
        folder.AddPlayer(3, "Борис", boris);
    }
    void Record(int r, const QString& white, const QString& black, bool wh, bool bh) {
        RecordResult(dm, announcer, r, white, black, wh, bh, Today);
    }
    QString Points() { return folder.Rows("SELECT P_POINTS FROM PLAYERS ORDER BY P_CODE"); }
    QString Games() { return folder.Rows("SELECT * FROM GAMES ORDER BY G_CODE"); }
};

struct RuleCase {
    const char* what;
    int r;
    const char* white;
    const char* black;
    bool whiteHuman, blackHuman;
    int anna, boris;    // points before
    const char* points; // computer, Анна, Борис after
    const char* games;  // journal afterwards
    const char* announcement;
};

const RuleCase RuleCases[] = {
    {"person beats person by loser's points / 3", -2, "Анна", "Борис", true, true, 7, 5, "0;9;5",
     "1|07.12.2026|2|3|2|2", "Анна победил Борис с преимуществом в 2 фишек (фишку)!"},
    {"black person wins with a positive result", 4, "Анна", "Борис", true, true, 6, 2, "0;6;4",
     "1|07.12.2026|3|2|4|2", "Борис победил Анна с преимуществом в 4 фишек (фишку)!"},
    {"a loser with 1 point gives nothing, row still added", -1, "Анна", "Борис", true, true, 4, 1,
     "0;4;1", "1|07.12.2026|2|3|1|0", "Анна победил Борис с преимуществом в 1 фишек (фишку)!"},
    {"person beats the computer", -1, "Анна", "Компьютер", true, false, 0, 0, "0;1;0",
     "1|07.12.2026|2|1|1|1", "Анна победил Компьютер с преимуществом в 1 фишек (фишку)!"},
    {"the computer beats a person with points", 3, "Анна", "Компьютер", true, false, 2, 0, "0;1;0",
     "1|07.12.2026|1|2|3|1", "Компьютер победил Анна с преимуществом в 3 фишек (фишку)!"},
    {"the computer beats a person with 0 points", -15, "Компьютер", "Борис", false, true, 0, 0,
     "0;0;0", "1|07.12.2026|1|3|15|1",
     "Компьютер победил Борис с преимуществом в 15 фишек (фишку)!"},
    {"person on black beats the computer", 2, "Компьютер", "Борис", false, true, 0, 5, "0;0;6",
     "1|07.12.2026|3|1|2|1", "Борис победил Компьютер с преимуществом в 2 фишек (фишку)!"},
    {"two computers record nothing", -3, "Компьютер", "Компьютер", false, false, 1, 1, "0;1;1", "",
     "Ура!!! Один компьютер победил другого!!! Да здравствует искусственный разум!!!"},
    // The engine is a computer to the rules; its rows name its own row (code
    // 4 here: made, with 0 points, by the recording).
    {"person beats the engine", -1, "Анна", "GNU Backgammon", true, false, 0, 0, "0;1;0;0",
     "1|07.12.2026|2|4|1|1", "Анна победил GNU Backgammon с преимуществом в 1 фишек (фишку)!"},
    {"the engine beats a person with points", 3, "Анна", "GNU Backgammon", true, false, 2, 0,
     "0;1;0;0", "1|07.12.2026|4|2|3|1",
     "GNU Backgammon победил Анна с преимуществом в 3 фишек (фишку)!"},
    {"the engine beats a person with 0 points", -6, "GNU Backgammon", "Борис", false, true, 0, 0,
     "0;0;0;0", "1|07.12.2026|4|3|6|1",
     "GNU Backgammon победил Борис с преимуществом в 6 фишек (фишку)!"},
    {"person on black beats the engine", 2, "GNU Backgammon", "Борис", false, true, 0, 5, "0;0;6;0",
     "1|07.12.2026|3|4|2|1", "Борис победил GNU Backgammon с преимуществом в 2 фишек (фишку)!"},
    {"the engine against the computer records nothing", 5, "GNU Backgammon", "Компьютер", false,
     false, 1, 1, "0;1;1", "",
     "Ура!!! Один компьютер победил другого!!! Да здравствует искусственный разум!!!"},
};

} // namespace

TEST_P(RecordingTest, RatingRules) {
    for (const RuleCase& c : RuleCases) {
        SCOPED_TRACE(c.what);
        folder.Exec("DELETE FROM GAMES");
        folder.Exec("DELETE FROM PLAYERS WHERE P_CODE > 1");
        announcer.texts.clear();
        announcer.gamesAtAnnouncement.clear();
        Players(c.anna, c.boris);
        Record(c.r, c.white, c.black, c.whiteHuman, c.blackHuman);
        EXPECT_EQ(Points(), c.points);
        EXPECT_EQ(Games(), c.games);
        EXPECT_EQ(announcer.texts, QStringList{c.announcement});
        // On disk before the announcement waits for the user.
        EXPECT_EQ(announcer.gamesAtAnnouncement, QList<int>{QString(c.games).isEmpty() ? 0 : 1});
    }
}

// The engine's row is looked up by name: made once, where missing, and used
// from then on, also by results that waited in the outbox.
TEST_P(RecordingTest, TheEngineKeepsOneRowOfItsOwn) {
    const struct {
        const char* what;
        int existing;       // the row's code before the games; 0: none
        const char* engine; // its row afterwards
        const char* games;
    } cases[] = {
        {"made by the first game", 0, "4|GNU Backgammon|0",
         "1|07.12.2026|2|4|1|1;2|07.12.2026|4|3|2|1;3|07.12.2026|4|2|1|1;4|07.12.2026|1|3|3|1"},
        {"one there already is used", 9, "9|GNU Backgammon|0",
         "1|07.12.2026|2|9|1|1;2|07.12.2026|9|3|2|1;3|07.12.2026|9|2|1|1;4|07.12.2026|1|3|3|1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        folder.Exec("DELETE FROM GAMES");
        folder.Exec("DELETE FROM PLAYERS WHERE P_CODE > 1");
        Players(0, 3);
        if (c.existing)
            folder.AddPlayer(c.existing, game::EngineName, 0);
        Record(-1, "Анна", game::EngineName, true, false);
        Record(2, "Борис", game::EngineName, true, false);
        // Waiting in the outbox: the engine beats Анна, the computer Борис.
        db::Outbox outbox(folder.Path());
        QString error;
        ASSERT_TRUE(
            outbox.Put({"id-1", -1, game::EngineName, "Анна", false, true, Date, ""}, error));
        ASSERT_TRUE(outbox.Put({"id-2", 3, "Борис", Computer, true, false, Date, ""}, error));
        EXPECT_EQ(db::DeliverOutbox(dm, outbox).delivered, 2);
        EXPECT_EQ(folder.Rows("SELECT * FROM PLAYERS WHERE P_NAME = 'GNU Backgammon'"), c.engine);
        EXPECT_EQ(Games(), c.games);
    }
}

TEST_P(RecordingTest, GainTable) {
    const int gains[] = {0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3};
    for (int loserPoints = 0; loserPoints <= 10; ++loserPoints) {
        SCOPED_TRACE(loserPoints);
        EXPECT_EQ(db::PersonGain(loserPoints), gains[loserPoints]);
        folder.Exec("DELETE FROM PLAYERS WHERE P_CODE > 1");
        Players(100, loserPoints);
        Record(-1, "Анна", "Борис", true, true);
        EXPECT_EQ(folder.Scalar("SELECT P_POINTS FROM PLAYERS WHERE P_CODE = 2").toInt(),
                  100 + gains[loserPoints]);
        EXPECT_EQ(folder.Scalar("SELECT G_POINTS FROM GAMES ORDER BY G_CODE DESC").toInt(),
                  gains[loserPoints]);
    }
    EXPECT_EQ(Games().count(';'), 10); // eleven rows, codes 1..11
    EXPECT_EQ(folder.Scalar("SELECT MAX(G_CODE) FROM GAMES").toInt(), 11);
}

TEST_P(RecordingTest, GameCodesFollowTheHighestAfterAnUnrelatedRow) {
    Players(0, 0);
    folder.AddGame(41, 2, 3);
    Record(-1, "Анна", Computer, true, false);
    EXPECT_EQ(folder.Scalar("SELECT MAX(G_CODE) FROM GAMES").toInt(), 42);
}

TEST_P(RecordingTest, UnknownPlayerRecordsNothing) {
    Players(4, 4);
    EXPECT_THROW(Record(-2, "Анна", "Призрак", true, true), DbError);
    EXPECT_EQ(Points(), "0;4;4");
    EXPECT_EQ(Games(), "");
    EXPECT_EQ(announcer.texts.size(), 1);
}

TEST_P(RecordingTest, LockedDatabaseRecordsNothing) {
    Players(3, 3);
    folder.HoldWriteLock(); // another launcher is in the middle of a recording
    EXPECT_THROW(Record(-2, "Анна", "Борис", true, true), DbError);
    // Readers are not kept waiting by the writer.
    EXPECT_EQ(dm.OpenPlayerList().RecordCount(), 3);
    folder.Exec("ROLLBACK");
    EXPECT_EQ(Points(), "0;3;3");
    EXPECT_EQ(Games(), "");
    // Once the lock is gone the same connection records normally.
    Record(-2, "Анна", "Борис", true, true);
    EXPECT_EQ(Points(), "0;4;3");
}

TEST_P(RecordingTest, StatementFailingMidwayRollsBackThePoints) {
    Players(3, 6);
    // A journal that refuses rows, in each engine's words.
    const bool server = GetParam() == db::Dialect::PostgreSQL;
    if (server) {
        folder.Exec("CREATE FUNCTION JOURNAL_FULL() RETURNS trigger LANGUAGE plpgsql AS "
                    "$$BEGIN RAISE EXCEPTION 'journal full'; END$$");
        folder.Exec("CREATE TRIGGER NO_GAMES BEFORE INSERT ON GAMES "
                    "FOR EACH ROW EXECUTE FUNCTION JOURNAL_FULL()");
    } else {
        folder.Exec("CREATE TRIGGER NO_GAMES BEFORE INSERT ON GAMES "
                    "BEGIN SELECT RAISE(ABORT, 'journal full'); END");
    }
    EXPECT_THROW(Record(-2, "Анна", "Борис", true, true), DbError);
    EXPECT_THROW(Record(-2, "Анна", Computer, true, false), DbError);
    // Nor is the engine's row made for a game that is not recorded.
    EXPECT_THROW(Record(-2, "Анна", game::EngineName, true, false), DbError);
    EXPECT_EQ(Points(), "0;3;6");
    folder.Exec(server ? "DROP TRIGGER NO_GAMES ON GAMES" : "DROP TRIGGER NO_GAMES");
    announcer.folder = nullptr;                           // it counts GAMES
    folder.Exec("ALTER TABLE GAMES RENAME TO OLD_GAMES"); // GenID fails after the update
    EXPECT_THROW(Record(-2, "Анна", "Борис", true, true), DbError);
    EXPECT_EQ(Points(), "0;3;6");
    // The connection is usable again afterwards: no transaction was left open.
    folder.Exec("ALTER TABLE OLD_GAMES RENAME TO GAMES");
    Record(-2, "Анна", "Борис", true, true);
    EXPECT_EQ(Points(), "0;5;6");
}

// An open journal shows its current rows afterwards, whatever happened; a
// closed one stays closed.
TEST_P(RecordingTest, OpenJournalShowsTheCurrentRowsAfterRecording) {
    Players(3, 3);
    folder.AddGame(1, 2, 3);
    // White, whether the journal is open, its codes afterwards ("Призрак"
    // has no row: the recording fails before the journal row).
    const std::vector<std::tuple<const char*, bool, const char*>> cases = {
        {"Анна", true, "1;2"}, {"Призрак", true, "1;2"}, {"Анна", false, ""}};
    for (const auto& [white, open, codes] : cases) {
        dm.IBGames.SetSQL(db::sql::PlayerGames("2"));
        if (open)
            dm.IBGames.Open();
        EXPECT_EQ(white == QStringLiteral("Призрак"), [&] {
            try {
                Record(-1, QString::fromUtf8(white), "Борис", true, true);
            } catch (const DbError&) {
                return true;
            }
            return false;
        }());
        EXPECT_EQ(dm.IBGames.Active(), open) << white;
        QStringList shown;
        for (dm.IBGames.First(); !dm.IBGames.Eof(); dm.IBGames.Next())
            shown << dm.IBGames.FieldAsString("G_CODE");
        EXPECT_EQ(shown.join(';'), QString::fromUtf8(codes)) << white;
    }
    EXPECT_EQ(Games().count(';'), 2) << "two of the three recordings succeeded";
}

TEST_P(RecordingTest, ServerLostMidwayRecordsNothingAndTheNextRecordingWorks) {
    if (GetParam() != db::Dialect::PostgreSQL)
        GTEST_SKIP() << "a file has no connection to lose";
    Players(3, 6);
    // The connection ends while the winner's points are being written.
    folder.Exec("CREATE FUNCTION CUT() RETURNS trigger LANGUAGE plpgsql AS "
                "$$BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END$$");
    folder.Exec("CREATE TRIGGER CUT BEFORE UPDATE ON PLAYERS FOR EACH ROW EXECUTE FUNCTION CUT()");
    EXPECT_THROW(Record(-2, "Анна", "Борис", true, true), DbError);
    folder.Exec("DROP TRIGGER CUT ON PLAYERS");
    EXPECT_EQ(Points(), "0;3;6");
    EXPECT_EQ(Games(), "");
    Record(-2, "Анна", "Борис", true, true);
    EXPECT_EQ(Points(), "0;5;6");
    EXPECT_EQ(Games(), "1|07.12.2026|2|3|2|2");
}

// The archive keeps each recorded game's record under its code, in the same
// transaction as its journal row, also on a database made before the archive.
TEST_P(RecordingTest, RecordsAreKeptBesideTheirGamesAndClearedWithThem) {
    Players(5, 5);
    const db::ArchivedGame game{"2026-12-08T10:00:00.000Z 1", "Партия в нарды\nпервая\n"};
    const struct {
        const char* what;
        bool dropArchive;
        bool unknownLoser;
        const char* records; // R_GAME|R_IDENT afterwards
    } cases[] = {
        {"recorded with its record", false, false, "1|2026-12-08T10:00:00.000Z 1"},
        {"a failed recording keeps no record", false, true, ""},
        {"an older database gets the archive", true, false, "1|2026-12-08T10:00:00.000Z 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        folder.Exec("DELETE FROM GAMES");
        folder.Exec(c.dropArchive ? "DROP TABLE GAME_RECORDS" : "DELETE FROM GAME_RECORDS");
        const QString loser = c.unknownLoser ? "Призрак" : "Борис";
        try {
            RecordResult(dm, announcer, -1, "Анна", loser, true, true, Today, game);
        } catch (const DbError&) {
            EXPECT_TRUE(c.unknownLoser);
        }
        EXPECT_EQ(folder.Rows("SELECT R_GAME, R_IDENT FROM GAME_RECORDS ORDER BY R_GAME"), c.records);
        EXPECT_EQ(db::ReadGameRecord(dm, 1).value_or("none"), c.unknownLoser ? "none" : game.text);
    }

    // Clearing one player's games takes their records and leaves the others'.
    folder.AddPlayer(4, "Вера", 0);
    RecordResult(dm, announcer, -1, "Вера", Computer, true, false, Today, {"2", "вторая"});
    RecordResult(dm, announcer, -1, "Борис", Computer, true, false, Today, {"3", "третья"});
    db::ClearJournal(dm, "2");
    EXPECT_EQ(folder.Rows("SELECT R_GAME FROM GAME_RECORDS ORDER BY R_GAME"), "2;3");
    // A journal row deleted elsewhere leaves its record; the game that takes
    // the code next never shows it.
    folder.Exec("DELETE FROM GAMES WHERE G_CODE = 3");
    RecordResult(dm, announcer, -1, "Анна", Computer, true, false, Today, {"4", "новая"});
    EXPECT_EQ(db::ReadGameRecord(dm, 3).value_or("none"), "новая");
    db::ClearJournal(dm, QString());
    EXPECT_EQ(folder.Rows("SELECT COUNT(*) FROM GAME_RECORDS"), "0");
}

TEST_P(RecordingTest, ARoleThatMayNotCreateTablesRecordsWithoutTheRecord) {
    if (GetParam() != db::Dialect::PostgreSQL)
        GTEST_SKIP() << "a SQLite file has no roles";
    Players(5, 5);
    folder.Exec("DROP TABLE GAME_RECORDS");
    const QString server = folder.RoleWithoutCreate("PLAYERS, GAMES");
    TDModule player(db::DatabaseChoice{db::Dialect::PostgreSQL, server}, 0);
    RecordResult(player, announcer, -1, "Анна", "Борис", true, true, Today, {"1", "запись"});
    EXPECT_EQ(Games(), "1|07.12.2026|2|3|1|2");
    EXPECT_FALSE(db::ArchiveExists(player));

    // A result written out again may be in already (its commit's reply lost):
    // with no identities to tell, the outbox is not written out, and a new
    // result waits behind the old one instead of going past it.
    db::Outbox outbox(folder.Path());
    QString error;
    ASSERT_TRUE(outbox.Put({"id-2", 3, "Анна", "Борис", true, true, Date, "вторая"}, error));
    const db::DeliveryReport refused = db::DeliverOutbox(player, outbox);
    EXPECT_EQ(std::tuple(refused.delivered, refused.waiting, refused.refused),
              std::tuple(0, true, db::NoIdentitiesText));
    announcer.texts.clear();
    EXPECT_EQ(RecordResult(player, announcer, -1, "Анна", "Борис", true, true, Today,
                           {"id-3", "третья"}, &outbox),
              db::Recorded::Held);
    EXPECT_EQ(announcer.texts,
              QStringList{"Анна победил Борис с преимуществом в 1 фишек (фишку)!"});
    EXPECT_EQ(Games(), "1|07.12.2026|2|3|1|2");
    EXPECT_EQ(outbox.Pending().size(), 2u);

    // Once the archive is there, both go in, in their order, each once.
    for (const QString& statement : db::sql::ArchiveSchema(db::Dialect::PostgreSQL))
        folder.Exec(statement);
    folder.Exec("GRANT SELECT, INSERT, UPDATE, DELETE ON GAME_RECORDS TO vertan_player");
    const db::DeliveryReport delivered = db::DeliverOutbox(player, outbox);
    EXPECT_EQ(std::tuple(delivered.delivered, delivered.waiting), std::tuple(2, false));
    EXPECT_EQ(Games(), "1|07.12.2026|2|3|1|2;2|07.12.2026|3|2|3|2;3|07.12.2026|2|3|1|2");
    EXPECT_EQ(folder.Rows("SELECT R_IDENT FROM GAME_RECORDS ORDER BY R_GAME"), "id-2;id-3");
}

// Making the archive fails for a reason other than the right to (here a lock
// that is not given in time): that is no database without an archive. The
// result waits in the outbox with its record instead of going in without it.
TEST_P(RecordingTest, AnArchiveThatCannotBeMadeNowFailsTheRecording) {
    if (GetParam() != db::Dialect::PostgreSQL)
        GTEST_SKIP() << "the file's own lock covers the whole recording";
    Players(5, 5);
    folder.Exec("DROP TABLE GAME_RECORDS");
    // Another session is making the table: its name is taken until it ends.
    folder.Exec("BEGIN");
    for (const QString& statement : db::sql::ArchiveSchema(db::Dialect::PostgreSQL))
        folder.Exec(statement);
    TDModule quick(folder.Path(), 200);
    db::Outbox outbox(folder.Path());
    EXPECT_EQ(RecordResult(quick, announcer, -1, "Анна", "Борис", true, true, Today,
                           {"id-1", "первая"}, &outbox),
              db::Recorded::Queued);
    folder.Exec("ROLLBACK");
    EXPECT_EQ(Games(), "");
    ASSERT_EQ(outbox.Pending().size(), 1u);
    EXPECT_EQ(outbox.Pending()[0].result.recordText, "первая");
    EXPECT_EQ(db::DeliverOutbox(quick, outbox).delivered, 1);
    EXPECT_EQ(folder.Rows("SELECT R_GAME, R_IDENT FROM GAME_RECORDS"), "1|id-1");
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordingTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);

TEST(RecordingFailure, MissingDatabaseAnnouncesThenStopsWithoutAFile) {
    RatingsFolder folder(false);
    TDModule dm(folder.Path(), 0);
    EXPECT_THROW(dm.DataModuleCreate(), DbError);
    FakeAnnouncer announcer;
    EXPECT_THROW(RecordResult(dm, announcer, -1, "Анна", Computer, true, false, Today), DbError);
    EXPECT_EQ(announcer.texts.size(), 1);
    EXPECT_FALSE(QFile::exists(folder.DatabaseFile()));
    // Two computers never touch the database.
    EXPECT_NO_THROW(RecordResult(dm, announcer, 1, Computer, Computer, false, false, Today));
}

TEST(RecordingText, AnnouncementIsJoinedFromItsPieces) {
    EXPECT_EQ(db::AnnouncementText("Гость", "Компьютер", 1),
              "Гость победил Компьютер с преимуществом в 1 фишек (фишку)!");
    EXPECT_EQ(db::AnnouncementText("A", "B", 15),
              "A победил B с преимуществом в 15 фишек (фишку)!");
}

// A machine without a locale writes Russian dates; a real locale keeps its own.
TEST(RecordingText, JournalDateByLocale) {
    const QDate date(2026, 12, 7);
    const std::pair<QLocale, QString> cases[] = {
        {QLocale::c(), "07.12.2026"},
        {QLocale(QStringLiteral("C")), "07.12.2026"},
        {QLocale(QStringLiteral("POSIX")), "07.12.2026"},
        {QLocale(QLocale::Russian, QLocale::Russia), "07.12.2026"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/7/26"},
        {QLocale(QLocale::German, QLocale::Germany), "07.12.26"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "07/12/2026"},
    };
    for (const auto& [locale, expected] : cases) {
        SCOPED_TRACE(locale.name().toStdString());
        EXPECT_EQ(db::JournalDate(locale, date), expected);
    }
    EXPECT_EQ(db::JournalDate(QLocale::c(), QDate(2027, 1, 31)), "31.01.2027");
}

// Run by CTest under set locales (LC_ALL), each with the date format it must give.
TEST(RecordingText, TodayInTheSystemLocale) {
    const QByteArray format = qgetenv("VERTAN_EXPECTED_DATE_FORMAT");
    if (format.isEmpty())
        GTEST_SKIP() << "run by CTest with a locale set";
    const QString expected = QDate::currentDate().toString(QString::fromLatin1(format));
    EXPECT_EQ(db::TodayShortDate(), expected);
}
