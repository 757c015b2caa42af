// killharness: plays games through `referee --record` against the test
// client and kills the referee with SIGKILL at random moments. After every
// round the database must pass its integrity check and hold either the game
// whole (journal row and points) or nothing of it.
#include "Ledger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <algorithm>
#include <random>

using namespace killharness;

namespace {

struct Settings {
    QString programDir; // where referee and testclient are
    QString folder;     // the program folder whose Data/Ratings.mdb is recorded into
    QStringList players{"Анна", "Борис"};
    int rounds = 1000;
    uint32_t seed = 1;
};

bool Parse(const QStringList& args, Settings& s) {
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const QString& a = args[i];
        const QString& v = args[i + 1];
        if (a == "--program-dir")
            s.programDir = v;
        else if (a == "--folder")
            s.folder = v;
        else if (a == "--rounds")
            s.rounds = v.toInt();
        else if (a == "--seed")
            s.seed = v.toUInt();
        else if (a == "--players")
            s.players = v.split(',');
        else
            return false;
    }
    return args.size() % 2 == 0 && !s.programDir.isEmpty() && !s.folder.isEmpty() &&
           s.rounds > 0 && s.players.size() == 2;
}

// Starts the referee and returns its port, 0 when it did not come up.
uint16_t StartReferee(QProcess& referee, const Settings& s, const QString& first,
                      const QString& second) {
    referee.start(s.programDir + "/referee",
                  {"--port", "0", "--first", first, "--second", second, "--program-folder",
                   s.folder, "--pause-scale", "0", "--tick", "0", "--record"});
    if (!referee.waitForStarted(10000) || !referee.waitForReadyRead(10000))
        return 0;
    const QRegularExpressionMatch m = QRegularExpression("^listening on port (\\d+)")
                                          .match(QString::fromUtf8(referee.readLine()));
    return m.hasMatch() ? static_cast<uint16_t>(m.captured(1).toUInt()) : 0;
}

// The client logs to a file (a pipe nobody reads would stall it): polls it.
bool WaitForLine(const QString& path, const QByteArray& start) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000) {
        QFile log(path);
        if (log.open(QIODevice::ReadOnly) && log.readLine().startsWith(start))
            return true;
        QThread::msleep(2);
    }
    return false;
}

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
                             "[--seed S] [--players A,B]\n");
        return 2;
    }
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
    // Kinds of game, in turn: two people, a person as white against the
    // computer, the computer against a person.
    const QString computer = QStringLiteral("Компьютер");
    const QStringList firsts{s.players[0], s.players[1], computer};
    const QStringList seconds{s.players[1], computer, s.players[0]};
    for (int round = 1; round <= s.rounds; ++round) {
        const int kind = round % 3;
        QProcess referee, client;
        const uint16_t port = StartReferee(referee, s, firsts[kind], seconds[kind]);
        if (port == 0) {
            std::fprintf(stderr, "round %d: the referee did not start\n", round);
            return 1;
        }
        const QString clientLog = s.folder + "/client.log";
        QFile::remove(clientLog);
        client.setStandardOutputFile(clientLog);
        client.start(s.programDir + "/testclient",
                     {"--port", QString::number(port), "--pick", "random", "--seed",
                      QString::number(random())});
        // The game starts when the client connects; the kill clock with it.
        if (!WaitForLine(clientLog, "- connected")) {
            std::fprintf(stderr, "round %d: the client did not connect\n", round);
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
        if (!client.waitForFinished(10000)) {
            client.kill();
            client.waitForFinished(10000);
        }
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
