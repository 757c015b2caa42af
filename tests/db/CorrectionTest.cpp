// The club's corrections on both engines: what each changes, what it logs,
// what it refuses, and that a failing one changes nothing.
#include "RatingsFolder.h"
#include "db/Corrections.h"
#include "db/CorrectionStatements.h"
#include "db/GameArchive.h"
#include "db/Outbox.h"
#include "db/ResultRecording.h"
#include "db/TournamentStore.h"
#include "db/Unit6.h"

#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>
#include <gtest/gtest.h>

namespace {

using db::TDModule;

const db::CorrectionNote Note{"admin", "ошибка",
                              QDateTime(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC)};

struct CorrectionTest : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    TDModule dm{folder.Path(), 0};
    void SetUp() override {
        dm.DataModuleCreate();
        Fill();
    }
    void Fill() {
        // Анна П is a second row of Анна; Борис played both.
        folder.AddPlayer(2, "Анна", 6);
        folder.AddPlayer(3, "Борис", 5);
        folder.AddPlayer(4, "Анна П", 2);
        folder.AddGame(1, 2, 3, 1, 2); // Анна beat Борис, award 2
        folder.AddGame(2, 1, 3);       // the computer beat Борис
        folder.AddGame(3, 4, 1);       // Анна П beat the computer
        folder.AddGame(4, 3, 4, 1, 1); // Борис beat Анна П
    }
    QString Players() {
        return folder.Rows("SELECT P_CODE,P_NAME,P_POINTS FROM PLAYERS ORDER BY P_CODE");
    }
    QString Games() {
        return folder.Rows("SELECT G_CODE,G_WINPLAYER,G_LOSEPLAYER FROM GAMES ORDER BY G_CODE");
    }
    // Rows with NULL as nothing: a value the log does not hold is no 0.
    QString Nullable(const QString& statement) {
        QSqlQuery q(folder.Connection());
        EXPECT_TRUE(q.exec(statement));
        QStringList rows;
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i)
                fields << (q.value(i).isNull() ? QString() : q.value(i).toString());
            rows << fields.join('|');
        }
        return rows.join(';');
    }
    QString Log() {
        return Nullable(
            "SELECT C_CODE,C_TIME,C_WHO,C_KIND,C_PLAYER,C_OTHER,C_AFTER,C_OLD_NAME,"
            "C_NEW_NAME,C_OLD_POINTS,C_NEW_POINTS,C_REASON FROM CORRECTIONS ORDER BY C_CODE");
    }
};

const QString Before = "1|Computer|0;2|Анна|6;3|Борис|5;4|Анна П|2";
const QString GamesBefore = "1|2|3;2|1|3;3|4|1;4|3|4";
const QString Stamp = "2026-12-09T10:00:00Z|admin|";

struct Case {
    const char* what;
    std::function<void(TDModule&)> correct;
    const char* refused; // part of the refusal; nullptr: done
    QString players, games, log;
};

// clang-format off
const Case Cases[] = {
    {"rename", [](TDModule& m) { db::RenamePlayer(m, "Борис", "Борис Ёлкин", Note); }, nullptr,
     "1|Computer|0;2|Анна|6;3|Борис Ёлкин|5;4|Анна П|2", GamesBefore, "1|" + Stamp + "rename|3||4|Борис|Борис Ёлкин|||ошибка"},
    {"rename to a taken name", [](TDModule& m) { db::RenamePlayer(m, "Борис", "Анна", Note); }, "уже занято", Before, GamesBefore, ""},
    {"rename to the computer", [](TDModule& m) { db::RenamePlayer(m, "Борис", "Компьютер", Note); }, "компьютер", Before, GamesBefore, ""},
    {"rename the computer", [](TDModule& m) { db::RenamePlayer(m, "Computer", "Робот", Note); }, "компьютер", Before, GamesBefore, ""},
    {"rename nobody", [](TDModule& m) { db::RenamePlayer(m, "Глеб", "Глеб 2", Note); }, "не найден", Before, GamesBefore, ""},
    {"merge a second row", [](TDModule& m) { db::MergePlayers(m, "Анна П", "Анна", Note); }, nullptr,
     "1|Computer|0;2|Анна|8;3|Борис|5", "1|2|3;2|1|3;3|2|1;4|3|2", "1|" + Stamp + "merge|2|4|4|Анна П|Анна|6|8|ошибка"},
    {"merge two who played", [](TDModule& m) { db::MergePlayers(m, "Борис", "Анна", Note); }, "играли друг с другом", Before, GamesBefore, ""},
    {"merge into the engine's row", [](TDModule& m) { db::MergePlayers(m, "Анна П", "GNU Backgammon", Note); }, "компьютер", Before, GamesBefore, ""},
    {"merge into oneself", [](TDModule& m) { db::MergePlayers(m, "Анна", "Анна", Note); }, "самим собой", Before, GamesBefore, ""},
    {"set points", [](TDModule& m) { db::SetPoints(m, "Анна", 10, Note); }, nullptr,
     "1|Computer|0;2|Анна|10;3|Борис|5;4|Анна П|2", GamesBefore, "1|" + Stamp + "points|2||4|||6|10|ошибка"},
    {"set points without a reason", [](TDModule& m) { db::SetPoints(m, "Анна", 10, {"admin", " "}); }, "причину", Before, GamesBefore, ""},
    {"set points below 0", [](TDModule& m) { db::SetPoints(m, "Анна", -1, Note); }, "меньше нуля", Before, GamesBefore, ""},
    {"reverse a win over a person", [](TDModule& m) { db::ReverseGame(m, 1, Note); }, nullptr,
     "1|Computer|0;2|Анна|4;3|Борис|5;4|Анна П|2", GamesBefore, "1|" + Stamp + "reverse|2|1|4|||6|4|ошибка"},
    {"reverse a win worth more than the points left", [](TDModule& m) { db::SetPoints(m, "Анна", 1, Note); db::ReverseGame(m, 1, Note); }, nullptr,
     "1|Computer|0;2|Анна|0;3|Борис|5;4|Анна П|2", GamesBefore, "1|" + Stamp + "points|2||4|||6|1|ошибка;2|" + Stamp + "reverse|2|1|4|||1|0|ошибка"},
    {"reverse a loss to the computer", [](TDModule& m) { db::ReverseGame(m, 2, Note); }, nullptr,
     "1|Computer|0;2|Анна|6;3|Борис|6;4|Анна П|2", GamesBefore, "1|" + Stamp + "reverse|3|2|4|||5|6|ошибка"},
    {"reverse a win over the computer", [](TDModule& m) { db::ReverseGame(m, 3, Note); }, nullptr,
     "1|Computer|0;2|Анна|6;3|Борис|5;4|Анна П|1", GamesBefore, "1|" + Stamp + "reverse|4|3|4|||2|1|ошибка"},
    {"reverse an unknown game", [](TDModule& m) { db::ReverseGame(m, 9, Note); }, "нет в журнале", Before, GamesBefore, ""},
    {"register Ё and a space", [](TDModule& m) { db::RegisterName(m, "Пётр Иванов 2", Note); }, nullptr,
     Before + ";5|Пётр Иванов 2|0", GamesBefore, "1|" + Stamp + "register|5||4||Пётр Иванов 2||0|ошибка"},
    {"register a taken name", [](TDModule& m) { db::RegisterName(m, "Анна П", Note); }, "уже занято", Before, GamesBefore, ""},
    {"register spaces at the end", [](TDModule& m) { db::RegisterName(m, "Пётр ", Note); }, "пробелов", Before, GamesBefore, ""},
    {"register a tab", [](TDModule& m) { db::RegisterName(m, "Пётр\tИ", Note); }, "табуляций", Before, GamesBefore, ""},
    {"register a quote", [](TDModule& m) { db::RegisterName(m, "Пётр 'Ёж'", Note); }, "кавычек", Before, GamesBefore, ""},
    {"register a double quote", [](TDModule& m) { db::RegisterName(m, "Пётр \"Ёж\"", Note); }, "кавычек", Before, GamesBefore, ""},
    {"register a control character", [](TDModule& m) { db::RegisterName(m, "Пётр\x07", Note); }, "управляющих", Before, GamesBefore, ""},
    {"register a lone surrogate", [](TDModule& m) { db::RegisterName(m, "Пётр" + QString(QChar(0xD800)), Note); }, "кавычек", Before, GamesBefore, ""},
    {"register 61 characters", [](TDModule& m) { db::RegisterName(m, QString(61, QChar(u'я')), Note); }, "длиннее 60", Before, GamesBefore, ""},
    {"register 60 characters", [](TDModule& m) { db::RegisterName(m, QString(60, QChar(u'я')), Note); }, nullptr,
     Before + ";5|" + QString(60, QChar(u'я')) + "|0", GamesBefore, "1|" + Stamp + "register|5||4||" + QString(60, QChar(u'я')) + "||0|ошибка"},
};
// clang-format on

TEST_P(CorrectionTest, EachCorrectionChangesAndLogsExactly) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.what);
        // Each case on the club as it was.
        folder.Exec("DELETE FROM CORRECTIONS");
        folder.Exec("DELETE FROM GAMES");
        folder.Exec("DELETE FROM PLAYERS WHERE P_CODE <> 1");
        Fill();
        if (c.refused) {
            try {
                c.correct(dm);
                ADD_FAILURE() << "not refused";
            } catch (const db::CorrectionRefused& refused) {
                EXPECT_TRUE(QString::fromUtf8(refused.what()).contains(c.refused))
                    << refused.what();
            }
        } else {
            c.correct(dm);
        }
        EXPECT_EQ(Players(), c.players);
        EXPECT_EQ(Games(), c.games);
        EXPECT_EQ(Log(), c.log);
    }
}

TEST_P(CorrectionTest, AGameIsReversedOnceAndAClearingForgetsTheMark) {
    db::ReverseGame(dm, 4, Note);
    EXPECT_THROW(db::ReverseGame(dm, 4, Note), db::CorrectionRefused);
    EXPECT_EQ(Players(), "1|Computer|0;2|Анна|6;3|Борис|4;4|Анна П|2");
    db::ClearJournal(dm, QString());
    // A new game takes code 4 again: it is no reversed game.
    folder.AddGame(4, 2, 3);
    EXPECT_EQ(Nullable("SELECT C_OTHER,C_AFTER FROM CORRECTIONS"), "|0");
    EXPECT_NO_THROW(db::ReverseGame(dm, 4, Note));
}

TEST_P(CorrectionTest, AnOlderDatabaseGetsTheLogAndAFailingLogUndoesTheChange) {
    folder.Exec("DROP TABLE CORRECTIONS");
    db::RenamePlayer(dm, "Анна", "Анна Б", Note);
    EXPECT_EQ(folder.Rows("SELECT C_KIND,C_NEW_NAME FROM CORRECTIONS"), "rename|Анна Б");
    // A log row that cannot be written takes the correction with it.
    folder.Exec("DROP TABLE CORRECTIONS");
    folder.Exec(
        "CREATE TABLE CORRECTIONS (C_CODE INTEGER, C_TIME TEXT, C_WHO TEXT, C_KIND TEXT, "
        "C_PLAYER INTEGER, C_OTHER INTEGER, C_AFTER INTEGER, C_OLD_NAME TEXT, C_NEW_NAME TEXT, "
        "C_OLD_POINTS INTEGER, C_NEW_POINTS INTEGER, C_REASON TEXT, C_MORE TEXT NOT NULL)");
    EXPECT_THROW(db::MergePlayers(dm, "Анна П", "Анна Б", Note), db::DbError);
    EXPECT_EQ(Players(), "1|Computer|0;2|Анна Б|6;3|Борис|5;4|Анна П|2");
    EXPECT_EQ(Games(), GamesBefore);
}

TEST_P(CorrectionTest, ARoleThatMayNotMakeTheLogIsRefusedBeforeAnyChange) {
    if (GetParam() != db::Dialect::PostgreSQL)
        GTEST_SKIP() << "a SQLite file has no roles";
    folder.Exec("DROP TABLE CORRECTIONS");
    TDModule player(db::DatabaseChoice{db::Dialect::PostgreSQL, folder.RoleWithoutCreate("PLAYERS, GAMES")}, 0);
    EXPECT_THROW(db::SetPoints(player, "Анна", 1, Note), db::CorrectionRefused);
    EXPECT_EQ(Players(), Before);
}

TEST_P(CorrectionTest, ResultsWaitingFollowARenameAndAMerge) {
    db::Outbox outbox(folder.Path());
    QString error;
    ASSERT_TRUE(
        outbox.Put({"id-1", -1, "Анна П", "Компьютер", true, false, "09.12.2026", ""}, error));
    ASSERT_TRUE(outbox.Put({"id-2", 2, "Борис", "Анна", true, true, "09.12.2026", ""}, error));
    EXPECT_EQ(db::RenamePlayer(dm, "Анна", "Анна Б", Note, &outbox), QStringList{});
    EXPECT_EQ(db::MergePlayers(dm, "Анна П", "Анна Б", Note, &outbox), QStringList{});
    const auto waiting = outbox.Pending();
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_EQ(waiting[0].result.whiteName + "|" + waiting[1].result.blackName, "Анна Б|Анна Б");
    EXPECT_EQ(waiting[0].result.blackName, "Компьютер");
    const db::DeliveryReport report = db::DeliverOutbox(dm, outbox);
    EXPECT_EQ(report.delivered, 2);
    EXPECT_EQ(Players(), "1|Computer|0;2|Анна Б|11;3|Борис|5");
}

// A waiting result that cannot be rewritten is named: the rename itself
// is made, and that result still names the old player.
TEST_P(CorrectionTest, AWaitingResultThatCannotFollowARenameIsNamed) {
    QString error;
    ASSERT_TRUE(db::Outbox(folder.Path())
                    .Put({"id-1", -1, "Анна", "Компьютер", true, false, "09.12.2026", ""}, error));
    ASSERT_TRUE(db::Outbox(folder.Path())
                    .Put({"id-2", 2, "Борис", "Компьютер", true, false, "09.12.2026", ""}, error));
    db::Outbox full(folder.Path(), {[](int) { return false; }, [](const QString&) {}});
    const QStringList failed = db::RenamePlayer(dm, "Анна", "Анна Б", Note, &full);
    ASSERT_EQ(failed.size(), 1) << failed.join('\n').toStdString();
    const auto waiting = db::Outbox(folder.Path()).Pending();
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_TRUE(failed[0].startsWith(waiting[0].file + ": ")) << failed[0].toStdString();
    EXPECT_EQ(waiting[0].result.whiteName, "Анна");
    EXPECT_TRUE(Players().contains("2|Анна Б|")) << "the rename is made";
}

// A merged row's tournament entries follow the person, in one tournament
// or another; both rows in one tournament are two people.
TEST_P(CorrectionTest, AMergeCarriesTheDuplicatesTournamentEntries) {
    db::PrepareTournaments(dm);
    const struct {
        const char* what;
        QStringList first, second; // the entries of two tournaments
        const char* refused;
        QString entries; // tournament|seed|name, after
    } cases[] = {
        {"the duplicate alone", {"Борис", "Анна П"}, {}, nullptr, "1|1|Борис;1|2|Анна"},
        {"each in another", {"Анна П"}, {"Анна"}, nullptr, "1|1|Анна;2|1|Анна"},
        {"both in one", {"Анна", "Анна П"}, {"Анна П"}, "одном турнире",
         "1|1|Анна;1|2|Анна П;2|1|Анна П"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* table : {"TOURNAMENT_ENTRIES", "TOURNAMENTS", "CORRECTIONS", "GAMES"})
            folder.Exec(QStringLiteral("DELETE FROM %1").arg(table));
        folder.Exec("DELETE FROM PLAYERS WHERE P_CODE <> 1");
        Fill();
        folder.Exec("UPDATE PLAYERS SET P_POINTS = 3 WHERE P_CODE = 4");
        for (const QStringList& entries : {c.first, c.second}) {
            const qint64 code = db::CreateTournament(dm, "Кубок", tournament::System::RoundRobin, 0);
            for (const QString& name : entries)
                db::AddEntry(dm, code, name);
        }
        const QString players = Players();
        if (c.refused) {
            try {
                db::MergePlayers(dm, "Анна П", "Анна", Note);
                ADD_FAILURE() << "not refused";
            } catch (const db::CorrectionRefused& refused) {
                EXPECT_TRUE(QString::fromUtf8(refused.what()).contains(c.refused))
                    << refused.what();
            }
            EXPECT_EQ(Players(), players);
            EXPECT_EQ(Games(), GamesBefore);
        } else {
            db::MergePlayers(dm, "Анна П", "Анна", Note);
        }
        EXPECT_EQ(folder.Rows("SELECT E_TOURNAMENT,E_SEED,P_NAME FROM TOURNAMENT_ENTRIES, PLAYERS "
                              "WHERE P_CODE = E_PLAYER ORDER BY E_TOURNAMENT, E_SEED"),
                  c.entries);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, CorrectionTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);

} // namespace

namespace {

// ratings-db's corrections on a folder's file, then carried to a server by --copy.
TEST(RatingsDbCorrections, TheToolCorrectsAndTheCopyCarriesTheLog) {
    RatingsFolder club;
    club.AddPlayer(2, "Анна", 6);
    db::Outbox outbox(club.Path());
    QString error;
    ASSERT_TRUE(
        outbox.Put({"id-1", -1, "Анна", "Компьютер", true, false, "09.12.2026", ""}, error));
    const struct {
        QStringList arguments;
        int exitCode;
        const char* says; // in the output (0) or on standard error
    } cases[] = {
        {{"--register", "Иван Петров"}, 0, "registered"},
        {{"--register", "Иван Петров"}, 2, "уже занято"},
        {{"--set-points", "Анна", "--points", "9"}, 2, "причину"},
        {{"--set-points", "Анна", "--points", "девять", "--reason", "турнир"},
         2,
         "not a whole number"},
        {{"--set-points", "Анна", "--points", "9", "--reason", "турнир"}, 0, "points set"},
        {{"--rename", "Анна"}, 2, "--rename needs --new-name"},
        {{"--rename", "Анна", "--new-name", "Анна Б", "--register", "Пётр"}, 2, "one correction"},
        {{"--rename", "Анна", "--new-name", "Анна Б"}, 0, "renamed"},
        {{"--reverse", "5"}, 2, "нет в журнале"},
        {{"--corrections"}, 0, "points 6 -> 9 (турнир)"},
    };
    QProcess tool;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
                   QStringList{"--program-folder", club.Path()} + c.arguments);
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), c.exitCode);
        const QString said = QString::fromLocal8Bit(c.exitCode == 0 ? tool.readAllStandardOutput()
                                                                    : tool.readAllStandardError());
        EXPECT_TRUE(said.contains(c.says)) << said.toStdString();
    }
    EXPECT_EQ(club.Rows("SELECT P_NAME,P_POINTS FROM PLAYERS ORDER BY P_CODE"),
              "Computer|0;Анна Б|9;Иван Петров|0");
    EXPECT_EQ(outbox.Pending().at(0).result.whiteName, "Анна Б");

    RatingsFolder server(false, db::Dialect::PostgreSQL);
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
               {"--server", server.Server(), "--create", "--copy", club.DatabaseFile()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_TRUE(tool.readAllStandardOutput().contains("copied 3 corrections"));
    EXPECT_EQ(server.Rows("SELECT C_KIND,C_PLAYER FROM CORRECTIONS ORDER BY C_CODE"),
              club.Rows("SELECT C_KIND,C_PLAYER FROM CORRECTIONS ORDER BY C_CODE"));
}

} // namespace

