// The database views and steps on 100,000 players and 1,000,000 games:
// opening the ratings, the new-game list, the all-games journal, one player's games, one
// registration check and one whole result recording.
#include "db/ResultRecording.h"
#include "db/Statements.h"
#include "db/Unit6.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQueryModel>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

const QString Folder = QStringLiteral(VERTAN_BINARY_DIR "/bench-db");

// Made once with the sqlite3 shell from the shipped schema; kept between runs.
void MakeDatabase() {
    const QString file = Folder + "/Data/Ratings.mdb";
    if (QFile::exists(file))
        return;
    QDir().mkpath(Folder + "/Data");
    QProcess shell;
    shell.start("sqlite3", {"-bail", file + ".tmp", ".read " VERTAN_SOURCE_DIR "/data/Ratings.sql",
                            ".read " VERTAN_SOURCE_DIR "/bench/db/MakeBenchDb.sql"});
    shell.waitForFinished(-1);
    if (shell.exitCode() != 0) {
        std::fprintf(stderr, "%s\n", shell.readAllStandardError().constData());
        std::abort();
    }
    QFile::rename(file + ".tmp", file);
}

db::TDModule& Module() {
    static db::TDModule* module = [] {
        MakeDatabase();
        auto* m = new db::TDModule(Folder);
        m->DataModuleCreate();
        return m;
    }();
    return *module;
}

struct Silent : db::Announcer {
    void Announce(const QString&) override {}
};

// What a grid shows first: the statement run and its first block of rows.
void OpenView(db::TQuery& query, db::Statement statement) {
    query.SetSQL(std::move(statement));
    query.Open();
    benchmark::DoNotOptimize(query.Model()->rowCount());
}

void BM_OpenRatings(benchmark::State& state) {
    db::TDModule& dm = Module();
    for (auto _ : state) {
        OpenView(dm.IBPlayers, db::sql::Ratings());
        benchmark::DoNotOptimize(dm.IBPlayers.IsEmpty());
    }
    state.counters["rows_fetched"] = dm.IBPlayers.Model()->rowCount();
}
BENCHMARK(BM_OpenRatings)->Unit(benchmark::kMillisecond);

// The new-game dialog's first list: every player in name order, read whole.
void BM_PlayerListByName(benchmark::State& state) {
    db::TDModule& dm = Module();
    for (auto _ : state) {
        db::TQuery& players = dm.OpenPlayerList();
        benchmark::DoNotOptimize(players.RecordCount());
    }
}
BENCHMARK(BM_PlayerListByName)->Unit(benchmark::kMillisecond);

void BM_AllGamesJournal(benchmark::State& state) {
    db::TDModule& dm = Module();
    for (auto _ : state)
        OpenView(dm.IBGames, db::sql::AllGames());
    state.counters["rows_fetched"] = dm.IBGames.Model()->rowCount();
}
BENCHMARK(BM_AllGamesJournal)->Unit(benchmark::kMillisecond);

void BM_PlayerGames(benchmark::State& state) {
    db::TDModule& dm = Module();
    int code = 2;
    for (auto _ : state) {
        OpenView(dm.IBGames, db::sql::PlayerGames(QString::number(code)));
        code = 2 + (code * 31) % 100000;
    }
    state.counters["rows_fetched"] = dm.IBGames.Model()->rowCount();
}
BENCHMARK(BM_PlayerGames)->Unit(benchmark::kMillisecond);

void BM_RegistrationCheck(benchmark::State& state) {
    db::TDModule& dm = Module();
    int n = 0;
    for (auto _ : state) {
        dm.IBPlayers.SetSQL(db::sql::NameCheck(QStringLiteral("Игрок%1").arg(50000 + n++ % 2)));
        dm.IBPlayers.Open();
        benchmark::DoNotOptimize(dm.IBPlayers.RecordCount());
    }
}
BENCHMARK(BM_RegistrationCheck)->Unit(benchmark::kMillisecond);

// Argument 1: commits wait for the disk, as the program runs; 0: the WAL
// default (synchronous = NORMAL), to show what durability costs.
void BM_RecordResult(benchmark::State& state) {
    db::TDModule& dm = Module();
    const bool durable = state.range(0) == 1;
    dm.QRWork.SetSQL({durable ? QStringLiteral("PRAGMA synchronous = FULL")
                              : QStringLiteral("PRAGMA synchronous = NORMAL"),
                      {}});
    dm.QRWork.ExecSQL();
    Silent announcer;
    int n = 0;
    for (auto _ : state) {
        const QString white = QStringLiteral("Игрок%1").arg(2 + n % 1000);
        const QString black = QStringLiteral("Игрок%1").arg(3000 + n % 1000);
        db::RecordResult(dm, announcer, (n++ % 2) ? 3 : -3, white, black, true, true);
    }
    dm.QRWork.SetSQL(db::sql::DurableCommits());
    dm.QRWork.ExecSQL();
}
BENCHMARK(BM_RecordResult)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
