// killharness: plays games through `referee --record` against the test
// client and kills the referee with SIGKILL at random moments. After every
// round the database must pass its integrity check and hold either the game
// whole (journal row and points) or nothing of it.
#include "Ledger.h"
#include "OutboxRun.h"
#include "Round.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <algorithm>
#include <random>

using namespace killharness;

namespace {

// Kills the referee as soon as it announces the result, which it does
// right after its commit. False when it ended first.
bool KillAtTheAnnouncement(QProcess& referee) {
    while (referee.waitForReadyRead(120000)) {
        while (referee.canReadLine()) {
            if (referee.readLine().contains(" победил ")) {
                referee.kill();
                return true;
            }
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Settings s;
    if (!Parse(app.arguments().mid(1), s)) {
        std::fprintf(stderr, "usage: killharness --program-dir DIR --folder DIR [--rounds N] "
                             "[--seed S] [--players A,B] [--outbox BATCH]\n");
        return 2;
    }
    if (s.outboxBatch > 0)
        return RunOutbox(s);
    const QString file = s.folder + "/Data/Ratings.mdb";
    std::mt19937 random(s.seed);
    Ledger last;
    QString problem;
    if (!ReadLedger(file, last, problem)) {
        std::fprintf(stderr, "before the first round: %s\n", qPrintable(problem));
        return 1;
    }
    Tally tally;
    // A finished round's length: measured by the first round, which is never
    // killed, then followed as rounds finish.
    double typicalMs = 0;
    for (int round = 1; round <= s.rounds; ++round) {
        QProcess referee, client;
        if (!StartRound(s, round % 3, random(), referee, client)) {
            std::fprintf(stderr, "round %d: no game\n", round);
            return 1;
        }
        // In turn: a kill at any moment, one aimed at the last tenth of a
        // game where the recording is, and one right after the commit.
        const int aim = (round / 3 + round) % 3; // not tied to the kind of game
        std::uniform_real_distribution<double> spread(aim == 1 ? 0.85 : 0.0, 1.15);
        const int killAfterMs = static_cast<int>(spread(random) * typicalMs);
        QElapsedTimer clock;
        clock.start();
        bool ended = false;
        if (typicalMs == 0) {
            ended = referee.waitForFinished(120000);
            typicalMs = static_cast<double>(std::max<qint64>(clock.elapsed(), 1));
        } else if (aim == 2) {
            ended = !KillAtTheAnnouncement(referee);
        } else {
            ended = referee.waitForFinished(killAfterMs);
        }
        if (ended) {
            ++tally.finished;
            typicalMs = 0.9 * typicalMs + 0.1 * static_cast<double>(clock.elapsed());
        } else if (aim == 2) {
            referee.waitForFinished(10000);
            ++tally.killed;
        } else {
            // Killed after the typical length and still playing: games are
            // longer than thought (a loaded machine), so aim later.
            if (killAfterMs >= typicalMs)
                typicalMs *= 1.25;
            referee.kill();
            referee.waitForFinished(10000);
            ++tally.killed;
        }
        EndClient(client);
        Ledger now;
        if (!ReadLedger(file, now, problem)) {
            std::fprintf(stderr, "round %d: %s\n", round, qPrintable(problem));
            return 1;
        }
        bool oneGame = false;
        const QString change = CompareRounds(last, now, oneGame);
        if (!change.isEmpty() && !oneGame) {
            std::fprintf(stderr, "round %d: %s\n", round, qPrintable(change));
            return 1;
        }
        if (const QString wrong = ended ? JudgeFinishedRound(referee.exitCode(), oneGame) : QString();
            !wrong.isEmpty()) {
            std::fprintf(stderr, "round %d: %s\n", round, qPrintable(wrong));
            return 1;
        }
        tally.recorded += oneGame ? 1 : 0;
        tally.killedAfterCommit += oneGame && !ended ? 1 : 0;
        last = now;
    }
    std::printf("rounds %d: finished %d, killed %d (of which after the commit %d), games "
                "recorded %d, journal rows %lld, integrity ok after every round\n",
                s.rounds, tally.finished, tally.killed, tally.killedAfterCommit, tally.recorded,
                static_cast<long long>(last.games.size()));
    if (const QString empty = JudgeRun(tally); !empty.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(empty));
        return 1;
    }
    return 0;
}
