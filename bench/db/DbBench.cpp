// The database views and steps on 100,000 players and 1,000,000 games:
// opening the ratings, the new-game lists, the all-games journal, one player's games, one
// registration check and one whole result recording. With
// VERTAN_BENCH_SERVER set to a libpq connection string, the same on that
// PostgreSQL database, filled once by copying the SQLite file.
#include "RatingsCopy.h"
#include "RecordedGame.h"
#include "db/GameArchive.h"
#include "db/PagedModel.h"
#include "db/ResultRecording.h"
#include "db/Statements.h"
#include "db/Unit6.h"
#include "record/PackedRecord.h"
#include "record/RecordText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QUuid>
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

// A program folder whose Database.cfg names the server, the tables made and
// filled from the SQLite file unless they already hold its players.
QString ServerFolder(const QString& server) {
    const QString folder = Folder + "-server";
    QDir().mkpath(folder + "/Data");
    QFile config(folder + "/Data/Database.cfg");
    config.open(QIODevice::WriteOnly);
    config.write("postgresql\n" + server.toUtf8() + "\n");
    config.close();
    QSqlDatabase connection = QSqlDatabase::addDatabase("QPSQL", "bench-fill");
    connection.setConnectOptions(server);
    if (!connection.open()) {
        std::fprintf(stderr, "%s\n", connection.lastError().text().toUtf8().constData());
        std::abort();
    }
    try {
        QSqlQuery count(connection);
        if (!count.exec("SELECT COUNT(*) FROM PLAYERS"))
            ratingsdb::CreateSchema(connection);
        else if (count.next() && count.value(0).toInt() > 100000)
            return folder;
        std::fprintf(stderr, "copying the benchmark database to the server...\n");
        ratingsdb::CopyRatings(Folder + "/Data/Ratings.mdb", connection, true);
        QSqlQuery(connection).exec("ANALYZE");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        std::abort();
    }
    return folder;
}

db::TDModule& Module() {
    static db::TDModule* module = [] {
        MakeDatabase();
        const QString server = qEnvironmentVariable("VERTAN_BENCH_SERVER");
        auto* m = new db::TDModule(server.isEmpty() ? Folder : ServerFolder(server));
        m->DataModuleCreate();
        return m;
    }();
    return *module;
}

struct Silent : db::Announcer {
    void Announce(const QString&) override {}
};

// What a grid shows first: the statement run and its first page of rows.
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

// The new-game dialog's lists as it opens them: the first page of every
// player by name, and of a player's opponents (3 points or more), each handed
// to the list.
void BM_PlayerListByName(benchmark::State& state) {
    db::TDModule& dm = Module();
    for (auto _ : state) {
        db::TQuery& players = dm.OpenPlayerList();
        benchmark::DoNotOptimize(players.IsEmpty());
        benchmark::DoNotOptimize(players.Pages()->rowCount());
    }
    state.counters["rows_fetched"] = dm.IBPlayers.Model()->rowCount();
}
BENCHMARK(BM_PlayerListByName)->Unit(benchmark::kMillisecond);

void BM_OpponentList(benchmark::State& state) {
    db::TDModule& dm = Module();
    int n = 0;
    for (auto _ : state) {
        db::TQuery& opponents = dm.OpenOpponents(QStringLiteral("Игрок%1").arg(50000 + n++ % 2));
        benchmark::DoNotOptimize(opponents.IsEmpty());
        benchmark::DoNotOptimize(opponents.Pages()->rowCount());
    }
    state.counters["rows_fetched"] = dm.IBPlayers.Model()->rowCount();
}
BENCHMARK(BM_OpponentList)->Unit(benchmark::kMillisecond);

// Every player by name read whole as one result: the cost of the order itself.
db::Statement Whole(db::Statement statement) {
    statement.keyset = {};
    return statement;
}

void BM_PlayerListReadWhole(benchmark::State& state) {
    db::TDModule& dm = Module();
    for (auto _ : state) {
        dm.IBPlayers.SetSQL(Whole(db::sql::PlayersByName()));
        dm.IBPlayers.Open();
        benchmark::DoNotOptimize(dm.IBPlayers.RecordCount());
    }
}
BENCHMARK(BM_PlayerListReadWhole)->Unit(benchmark::kMillisecond);

// The same statements in binary order, the yardsticks of the Russian one:
// as the engine runs it (an index serves it: no sort), and sorted (the name
// made an expression, which no index serves), as the Russian order must be.
db::Statement BinaryOrder(db::Statement statement, bool sorted) {
    const QString name = sorted ? QStringLiteral(" P_NAME || ''") : QStringLiteral(" P_NAME");
    for (QString* text : {&statement.text, &statement.keyset.condition})
        text->replace(QStringLiteral(" P_NAME COLLATE RUSSIAN"), name);
    for (QString* text : {&statement.postgresText, &statement.keyset.postgresCondition})
        text->replace(QStringLiteral(" P_NAME COLLATE RU_NAMES"), name);
    return statement;
}

void BM_OpenRatingsBinaryOrder(benchmark::State& state) {
    db::TDModule& dm = Module();
    for (auto _ : state) {
        OpenView(dm.IBPlayers, BinaryOrder(db::sql::Ratings(), state.range(0) == 1));
        benchmark::DoNotOptimize(dm.IBPlayers.IsEmpty());
    }
}
BENCHMARK(BM_OpenRatingsBinaryOrder)
    ->ArgName("sorted")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

void BM_PlayerListBinaryOrder(benchmark::State& state) {
    db::TDModule& dm = Module();
    for (auto _ : state) {
        dm.IBPlayers.SetSQL(Whole(BinaryOrder(db::sql::PlayersByName(), state.range(0) == 1)));
        dm.IBPlayers.Open();
        benchmark::DoNotOptimize(dm.IBPlayers.RecordCount());
    }
}
BENCHMARK(BM_PlayerListBinaryOrder)
    ->ArgName("sorted")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

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

// Commits that wait for the disk, as the program runs, or not. The server's
// setting goes through set_config(): Qt's driver prepares every statement it
// is given, and PostgreSQL cannot prepare SET.
db::Statement CommitMode(bool durable) {
    return {durable ? QStringLiteral("PRAGMA synchronous = FULL")
                    : QStringLiteral("PRAGMA synchronous = NORMAL"),
            {},
            durable ? QStringLiteral("SELECT set_config('synchronous_commit', 'on', false)")
                    : QStringLiteral("SELECT set_config('synchronous_commit', 'off', false)")};
}

// Argument 1: commits wait for the disk, as the program runs; 0: the WAL
// default (synchronous = NORMAL; on a server synchronous_commit = off), to
// show what durability costs.
void BM_RecordResult(benchmark::State& state) {
    db::TDModule& dm = Module();
    const bool durable = state.range(0) == 1;
    dm.QRWork.SetSQL(CommitMode(durable));
    dm.QRWork.ExecSQL();
    Silent announcer;
    int n = 0;
    for (auto _ : state) {
        const QString white = QStringLiteral("Игрок%1").arg(2 + n % 1000);
        const QString black = QStringLiteral("Игрок%1").arg(3000 + n % 1000);
        db::RecordResult(dm, announcer, (n++ % 2) ? 3 : -3, white, black, true, true);
    }
    dm.QRWork.SetSQL(CommitMode(true));
    dm.QRWork.ExecSQL();
}
BENCHMARK(BM_RecordResult)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// What the archive adds to a recording, committed durably as the program
// does: argument 1 records with a game's record, 0 without.
void BM_RecordWithArchive(benchmark::State& state) {
    db::TDModule& dm = Module();
    const bool archived = state.range(0) == 1;
    // A game as long as a typical one between two computers.
    const record::GameRecord game =
        selfplay::RecordedGame(record::StandardStart(), 7, QStringLiteral("Игрок2"),
                               QStringLiteral("Игрок3000"));
    const db::ArchivedGame entry{QString(), record::RecordText(game, game.StartTime())};
    db::PrepareArchive(dm);
    Silent announcer;
    int n = 0;
    for (auto _ : state) {
        const QString white = QStringLiteral("Игрок%1").arg(2 + n % 1000);
        const QString black = QStringLiteral("Игрок%1").arg(3000 + n % 1000);
        db::ArchivedGame mine = entry;
        mine.identity = QUuid::createUuid().toString();
        db::RecordResult(dm, announcer, (n++ % 2) ? 3 : -3, white, black, true, true,
                         db::TodayShortDate, archived ? mine : db::ArchivedGame{});
    }
}
BENCHMARK(BM_RecordWithArchive)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A record's size over many games from the standard start: its text, and
// what the archive stores (packed), the time being the packing.
void BM_RecordSize(benchmark::State& state) {
    int64_t text = 0;
    int64_t packed = 0;
    int games = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const record::GameRecord game =
            selfplay::RecordedGame(record::StandardStart(), 1000 + games, QStringLiteral("Игрок2"),
                                   QStringLiteral("Игрок3000"));
        const QString written = record::RecordText(game, game.StartTime());
        state.ResumeTiming();
        packed += record::PackRecord(written).size();
        text += written.toUtf8().size();
        ++games;
    }
    state.counters["text_bytes_mean"] = double(text) / games;
    state.counters["stored_bytes_mean"] = double(packed) / games;
}
BENCHMARK(BM_RecordSize)->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace
