// Tournaments kept on both engines: entries, pairings, results that come
// with the journal row, forfeits, withdrawals, claims between computers.
#include "RatingsFolder.h"
#include "db/DbError.h"
#include "db/ResultRecording.h"
#include "db/Statements.h"
#include "db/TournamentStore.h"
#include "db/Unit6.h"

#include <QProcess>
#include <gtest/gtest.h>

using db::TDModule;
using tournament::System;

namespace {

QString Today() {
    return QStringLiteral("09.12.2026");
}

struct Quiet : db::Announcer {
    void Announce(const QString&) override {}
};

struct TournamentTest : ::testing::TestWithParam<db::Dialect> {
    RatingsFolder folder{true, GetParam()};
    TDModule dm{folder.Path(), 0};
    Quiet announcer;
    void SetUp() override {
        dm.DataModuleCreate();
        folder.AddPlayer(2, "Анна", 10);
        folder.AddPlayer(3, "Борис", 5);
        folder.AddPlayer(4, "Вера", 3);
        folder.AddPlayer(5, "Гена", 2);
    }
    QString Pairings(int round) {
        return folder.Rows(QStringLiteral("SELECT N_BOARD, N_FIRST, COALESCE(N_SECOND, 0), "
                                          "COALESCE(N_WINNER, 0), N_FORFEIT "
                                          "FROM TOURNAMENT_PAIRINGS WHERE N_ROUND = %1 "
                                          "ORDER BY N_BOARD")
                               .arg(round));
    }
    qint64 Started(System system, int rounds, std::initializer_list<const char*> names) {
        const qint64 code = db::CreateTournament(dm, "Кубок", system, rounds);
        for (const char* name : names)
            db::AddEntry(dm, code, name);
        db::StartTournament(dm, code);
        return code;
    }
    // The pairings' statements of this kind fail from now on.
    void Refuse(const char* kind) {
        if (GetParam() == db::Dialect::SQLite) {
            folder.Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON TOURNAMENT_PAIRINGS "
                                       "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                            .arg(kind));
        } else {
            folder.Exec("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                        "$$ BEGIN RAISE EXCEPTION 'refused'; END $$");
            folder.Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON TOURNAMENT_PAIRINGS "
                                       "FOR EACH ROW EXECUTE FUNCTION refuse()")
                            .arg(kind));
        }
    }
    // White is the pairing's first player; r < 0: white won.
    void Play(int r, const QString& white, const QString& black, const QString& pairing) {
        RecordResult(dm, announcer, r, white, black, !record::IsComputerName(white),
                     !record::IsComputerName(black), Today, {}, nullptr, pairing);
    }
};

} // namespace

TEST_P(TournamentTest, SwissFromEntriesToTheSecondRound) {
    const qint64 code = db::CreateTournament(dm, "Зимний кубок", System::Swiss, 2);
    // clang-format off
    const struct { const char* name; const char* refusal; } entries[] = {
        {"Анна", nullptr},
        {"Гена", "В турнире играют игроки, у которых не меньше 3 очков."},
        {"Анна", "Этот игрок уже участвует в турнире."},
        {"Нет такого", "Игрок не найден."},
        {"Борис", nullptr}, {"Вера", nullptr}, {"Компьютер", nullptr},
        {"GNU Backgammon", "В турнире может играть только один компьютер."},
    };
    // clang-format on
    for (const auto& e : entries) {
        try {
            db::AddEntry(dm, code, e.name);
            EXPECT_EQ(e.refusal, nullptr) << e.name;
        } catch (const db::TournamentRefused& refused) {
            EXPECT_EQ(refused.Text(), QString(e.refusal ? e.refusal : "")) << e.name;
        }
    }
    db::StartTournament(dm, code);
    EXPECT_THROW(db::AddEntry(dm, code, "Гена"), db::TournamentRefused);
    // Seeded by rating points: Анна 10, Борис 5, Вера 3, the computer 0.
    EXPECT_EQ(Pairings(1), "1|1|2|0|0;2|3|4|0|0");

    // Борис wins board 1 as the board's second player: the journal row and
    // the pairing come together.
    Play(2, "Анна", "Борис", db::PairingKey(code, 1, 1));
    EXPECT_EQ(folder.Rows("SELECT G_CODE, G_WINPLAYER, G_LOSEPLAYER FROM GAMES"), "1|3|2");
    EXPECT_EQ(folder.Rows("SELECT N_WINNER, N_GAME FROM TOURNAMENT_PAIRINGS WHERE N_BOARD = 1"),
              "2|1");
    EXPECT_EQ(Pairings(2), "") << "round 1 is not over";

    // The computer did not come: Вера wins board 2, and round 2 is paired:
    // Борис and Вера lead (Борис on rating), the one named second before first.
    db::RecordForfeit(dm, code, 1, 2, 4);
    EXPECT_EQ(Pairings(1), "1|1|2|2|0;2|3|4|3|1");
    EXPECT_EQ(Pairings(2), "1|2|3|0|0;2|4|1|0|0");
    EXPECT_THROW(db::RecordForfeit(dm, code, 1, 2, 3), db::TournamentRefused);

    // A game for a decided pairing goes into the journal and changes no pairing.
    Play(-1, "Анна", "Борис", db::PairingKey(code, 1, 1));
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), 2);
    EXPECT_EQ(Pairings(1), "1|1|2|2|0;2|3|4|3|1");

    // The computer's win is told by its shown name.
    Play(-1, "Компьютер", "Анна", db::PairingKey(code, 2, 2));
    EXPECT_EQ(Pairings(2), "1|2|3|0|0;2|4|1|4|0");

    const db::TournamentData data = db::ReadTournament(dm, code);
    EXPECT_EQ(data.info.name, "Зимний кубок");
    EXPECT_EQ(data.Name(4), "Компьютер");
    EXPECT_EQ(data.pairings.size(), 4u);

    // ratings-db prints the standings from the same folder. Вера's forfeit
    // counts for her Buchholz and the computer's, and puts her above it.
    QProcess tool;
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
               {"--program-folder", folder.Path(), "--tournament", QString::number(code)});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(tool.readAllStandardOutput().toStdString(),
              QString("Зимний кубок (Швейцарский, туров: 2)\n"
                      "Место\tИгрок\tПобеды\tБухгольц\tЛичные встречи\tОчки рейтинга\n"
                      "1\tВера\t1\t1\t1\t3\n"
                      "2\tКомпьютер\t1\t1\t0\t0\n"
                      "3\tБорис\t1\t0\t0\t5\n"
                      "4\tАнна\t0\t2\t0\t10\n")
                  .toStdString());
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
               {"--program-folder", folder.Path(), "--tournament", "77"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 2);
}

TEST_P(TournamentTest, AFailingPairingUpdateTakesTheJournalRowWithIt) {
    const qint64 code = Started(System::RoundRobin, 0, {"Анна", "Борис"});
    Refuse("UPDATE");
    EXPECT_THROW(Play(-1, "Анна", "Борис", db::PairingKey(code, 1, 1)), db::DbError);
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), 0);
    EXPECT_EQ(folder.Rows("SELECT P_POINTS FROM PLAYERS WHERE P_CODE IN (2, 3) ORDER BY P_CODE"),
              "10;5");
}

TEST_P(TournamentTest, AForfeitWhoseNextRoundFailsIsNotRecorded) {
    const qint64 code = Started(System::Swiss, 2, {"Анна", "Борис"});
    Refuse("INSERT");
    EXPECT_THROW(db::RecordForfeit(dm, code, 1, 1, 2), db::DbError);
    EXPECT_EQ(Pairings(1), "1|1|2|0|0");
}

TEST_P(TournamentTest, WithdrawalForfeitsOnlyThePendingGames) {
    const qint64 code = db::CreateTournament(dm, "Круг", System::RoundRobin, 0);
    for (const char* name : {"Анна", "Борис", "Вера"})
        db::AddEntry(dm, code, name);
    // Before the start nobody is paired, so nobody is withdrawn.
    EXPECT_THROW(db::WithdrawPlayer(dm, code, 3), db::TournamentRefused);
    EXPECT_EQ(Pairings(1), "");
    db::StartTournament(dm, code);
    // Berger for three: 1 bye, 2-3 | 3 bye, 1-2 | 2 bye, 3-1.
    EXPECT_EQ(Pairings(1) + " " + Pairings(2) + " " + Pairings(3),
              "1|1|0|1|0;2|2|3|0|0 1|3|0|3|0;2|1|2|0|0 1|2|0|2|0;2|3|1|0|0");
    Play(-1, "Вера", "Анна", db::PairingKey(code, 3, 2));
    db::WithdrawPlayer(dm, code, 3);
    // Her won game stays; her pending one is Борис's by forfeit.
    EXPECT_EQ(Pairings(1) + " " + Pairings(2) + " " + Pairings(3),
              "1|1|0|1|0;2|2|3|2|1 1|3|0|3|0;2|1|2|0|0 1|2|0|2|0;2|3|1|3|0");
    EXPECT_EQ(folder.Scalar("SELECT E_WITHDRAWN FROM TOURNAMENT_ENTRIES WHERE E_SEED = 3").toInt(),
              1);
}

// With one player left each round is his bye alone, decided as it is made:
// the rounds after it are paired at once, up to the last.
TEST_P(TournamentTest, OnePlayerLeftHasHisByesToTheLastRound) {
    const qint64 code = Started(System::Swiss, 4, {"Анна", "Борис", "Вера"});
    db::WithdrawPlayer(dm, code, 2);
    db::WithdrawPlayer(dm, code, 3);
    EXPECT_EQ(Pairings(3) + " " + Pairings(4), "1|1|0|1|0 1|1|0|1|0");
    EXPECT_EQ(Pairings(5), "");
}

TEST_P(TournamentTest, TwoComputersClaimOnePairingOnlyOnce) {
    const qint64 code = Started(System::RoundRobin, 0, {"Анна", "Борис", "Вера", "Компьютер"});
    TDModule other(folder.Path(), 0);
    other.DataModuleCreate();
    EXPECT_TRUE(db::ClaimPairing(dm, code, 1, 1, "клуб-1"));
    EXPECT_FALSE(db::ClaimPairing(other, code, 1, 1, "клуб-2"));
    EXPECT_TRUE(db::ClaimPairing(other, code, 1, 2, "клуб-2"));
    EXPECT_FALSE(db::ClaimPairing(dm, code, 1, 2, "клуб-1"));
    EXPECT_EQ(
        folder.Rows("SELECT N_CLAIM FROM TOURNAMENT_PAIRINGS WHERE N_ROUND = 1 ORDER BY N_BOARD"),
        "клуб-1;клуб-2");
    // The first computer crashed: its claim is freed from the other one.
    db::ReleaseClaim(other, db::PairingKey(code, 1, 1));
    EXPECT_TRUE(db::ClaimPairing(other, code, 1, 1, "клуб-2"));
    // A decided pairing is claimed by nobody, and its claim is not freed.
    db::RecordForfeit(dm, code, 1, 2, 2);
    db::ReleaseClaim(dm, code, 1, 2);
    EXPECT_EQ(
        folder.Scalar("SELECT N_CLAIM FROM TOURNAMENT_PAIRINGS WHERE N_ROUND = 1 AND N_BOARD = 2")
            .toString(),
        "клуб-2");
    EXPECT_FALSE(db::ClaimPairing(dm, code, 2, 1, "клуб-1") &&
                 db::ClaimPairing(other, code, 2, 1, "клуб-2"));
}

// A key names its pairing whole, or none.
TEST(PairingKey, ReadBackOrNothing) {
    const auto place = db::ParsePairingKey(db::PairingKey(12, 3, 4));
    ASSERT_TRUE(place);
    EXPECT_EQ(QString("%1 %2 %3").arg(place->code).arg(place->round).arg(place->board), "12 3 4");
    for (const char* key : {"", "12/3", "12/3/4/5", "x/3/4", "12//4", "12/3/4x"})
        EXPECT_FALSE(db::ParsePairingKey(key)) << key;
}

TEST_P(TournamentTest, AnOlderDatabaseGetsTheTablesAtTheFirstTournament) {
    for (const char* table : {"TOURNAMENT_PAIRINGS", "TOURNAMENT_ENTRIES", "TOURNAMENTS"})
        folder.Exec(QStringLiteral("DROP TABLE %1").arg(table));
    EXPECT_TRUE(db::ListTournaments(dm).empty());
    EXPECT_THROW(db::ReadTournament(dm, 1), db::TournamentRefused);
    // A game recorded for a pairing of no tournament is still recorded.
    Play(-1, "Анна", "Борис", db::PairingKey(1, 1, 1));
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), 1);
    EXPECT_THROW(db::CreateTournament(dm, "  ", System::RoundRobin, 0), db::TournamentRefused);
    EXPECT_THROW(db::CreateTournament(dm, "Швейцарка", System::Swiss, 0), db::TournamentRefused);
    EXPECT_EQ(db::CreateTournament(dm, "Первый", System::Swiss, 3), 1);
    EXPECT_EQ(db::CreateTournament(dm, "Второй", System::RoundRobin, 0), 2);
    const std::vector<db::TournamentInfo> list = db::ListTournaments(dm);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Первый");
    EXPECT_EQ(list[0].rounds, 3);
    EXPECT_EQ(list[1].system, System::RoundRobin);
    EXPECT_THROW(db::StartTournament(dm, 2), db::TournamentRefused) << "no players";
}

TEST(TournamentRole, ARoleThatMayNotCreateTablesIsToldWhenMakingOne) {
    RatingsFolder folder{true, db::Dialect::PostgreSQL};
    for (const char* table : {"TOURNAMENT_PAIRINGS", "TOURNAMENT_ENTRIES", "TOURNAMENTS"})
        folder.Exec(QStringLiteral("DROP TABLE %1").arg(table));
    const QString server = folder.RoleWithoutCreate("PLAYERS, GAMES");
    TDModule player(db::DatabaseChoice{db::Dialect::PostgreSQL, server}, 0);
    EXPECT_TRUE(db::ListTournaments(player).empty());
    try {
        db::CreateTournament(player, "Кубок", System::Swiss, 3);
        ADD_FAILURE() << "made without the right";
    } catch (const db::DbError& error) {
        EXPECT_EQ(error.Code(), db::InsufficientPrivilege);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, TournamentTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);
