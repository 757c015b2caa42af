// One whole person-against-computer game with no pauses: through the
// launcher (from the dialog's start button to the journal row) and through
// the headless referee plus the recording alone. Same board, same dice
// clock, same scripted client, so both play the same game.
#include "Referee.h"
#include "WholeGame.h"

#include "db/ResultRecording.h"
#include "db/Unit6.h"
#include "game/GamePorts.h"
#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <optional>

namespace {

const QString Person = QStringLiteral("Гость");

class NoPause : public game::IPause {
  public:
    void Wait(int) override {}
};

class KeptAnnouncer : public db::Announcer {
  public:
    void Announce(const QString& text) override { last = text; }
    QString last;
};

// The folder's database through a connection of the benchmark's own.
class Journal {
  public:
    explicit Journal(const QString& path)
        : db_(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"))) {
        db_.setDatabaseName(path);
        db_.open();
    }
    ~Journal() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    }
    bool AddPerson() {
        QSqlQuery insert(db_);
        insert.prepare(QStringLiteral("INSERT INTO PLAYERS VALUES (2, ?, 0)"));
        insert.addBindValue(Person);
        return insert.exec();
    }
    int Rows() {
        QSqlQuery q(QStringLiteral("SELECT COUNT(*) FROM GAMES"), db_);
        return q.next() ? q.value(0).toInt() : -1;
    }

  private:
    QSqlDatabase db_;
};

// Lets the finished client process end before the next game starts.
void Settle() {
    apptest::WaitFor([] { return false; }, 100);
}

// Form2->Button1 clicked with the person in the first list and the computer
// in the second, until the journal has the game's row.
void BM_LauncherGame(benchmark::State& state) {
    apptest::GameFolder folder;
    folder.WriteClient();
    Journal journal(folder.DatabasePath());
    if (!journal.AddPerson()) {
        state.SkipWithError("cannot add the person");
        return;
    }
    shelltest::BoxRecorder boxes;
    NoPause pause;
    shell::Program program;
    Form2->SetPause(pause);
    Form2->Timer->setInterval(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!apptest::OpenDialog() || !apptest::Pick(Form2->ComboBox1, Person)) {
            state.SkipWithError("the dialog did not open");
            break;
        }
        apptest::FirstListPlaysWhite(true);
        const int before = journal.Rows();
        boxes.boxes.clear();

        QElapsedTimer clock;
        clock.start();
        Form2->Button1->click();
        // The row is written in the same step that shows the menu again.
        const bool ended = apptest::WaitFor([] { return Form1->isVisible(); });
        const bool recorded = ended && journal.Rows() == before + 1;
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);

        if (!recorded) {
            state.SkipWithError("no journal row");
            break;
        }
        state.SetLabel(boxes.Texts().join('|').toStdString());
        Settle();
    }
}

// The same game: referee_core with the same options, the test client as a
// process, and the result recorded on a database module of the same kind.
void BM_RefereeGame(benchmark::State& state) {
    apptest::GameFolder folder;
    Journal journal(folder.DatabasePath());
    if (!journal.AddPerson()) {
        state.SkipWithError("cannot add the person");
        return;
    }
    db::TDModule module(folder.Path());
    module.DataModuleCreate();
    NoPause pause;
    KeptAnnouncer announcer;
    referee::RefereeOptions options;
    options.port = folder.Port();
    options.first = Person;
    options.second = game::ComputerName;
    options.programFolder = folder.Path();
    options.pauseScale = 0;
    options.tickMs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        referee::Referee referee(options, &pause);
        bool finished = false;
        QObject::connect(
            &referee, &referee::Referee::Finished, &referee, [&](int code, const QString&) {
                finished = true;
                if (code == 0)
                    db::RecordResult(module, announcer, referee.Result->r,
                                     referee.Result->whiteName, referee.Result->blackName,
                                     referee.Result->whiteHuman, referee.Result->blackHuman);
            });
        QProcess client;
        client.setStandardOutputFile(QProcess::nullDevice());
        apptest::FirstListPlaysWhite(true);
        const int before = journal.Rows();

        QElapsedTimer clock;
        clock.start();
        referee.Start();
        client.start(QStringLiteral(VERTAN_PROGRAM_DIR "/testclient"),
                     {QStringLiteral("--port"), QString::number(referee.Port()),
                      QStringLiteral("--pick"), QStringLiteral("first")});
        const bool ended = apptest::WaitFor([&] { return finished; });
        const bool recorded = ended && journal.Rows() == before + 1;
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);

        client.waitForFinished(5000);
        if (!recorded) {
            state.SkipWithError("no journal row");
            break;
        }
        state.SetLabel(announcer.last.toStdString());
        Settle();
    }
}

// Both ways run the same games: turn timer intervals 1 ms and 0 (a tick
// whenever the loop is idle).
void SameGames(benchmark::internal::Benchmark* b) {
    b->Arg(1)
        ->Arg(0)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3)
        ->Repetitions(5);
}
BENCHMARK(BM_LauncherGame)->Apply(SameGames);
BENCHMARK(BM_RefereeGame)->Apply(SameGames);

} // namespace
