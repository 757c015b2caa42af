#include "OutboxRun.h"

#include "Ledger.h"
#include "db/Outbox.h"
#include "db/ResultRecording.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QVector>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

namespace killharness {

namespace {

struct OutboxTally {
    int rounds = 0;
    int cut = 0;                 // referees killed with results still to write out
    int committedNotRemoved = 0; // killed between a result's commit and its file's removal
    int delivered = 0;
    int own = 0; // the rounds' own games recorded
};

int64_t CodeOf(const Settings& s, const QString& name) {
    return name == ComputerName ? ComputerCode : 2 + s.players.indexOf(name);
}

// Puts count results of random games; what each must become in the journal
// goes to waiting.
bool PutResults(const Settings& s, int count, std::mt19937& random, db::Outbox& outbox,
                QVector<GameRow>& waiting) {
    static int serial = 0;
    for (int i = 0; i < count; ++i) {
        const int kind = static_cast<int>(random() % 3);
        const int margin = 1 + static_cast<int>(random() % 15);
        const bool whiteWon = random() % 2 == 0;
        const QString white = FirstOf(s, kind);
        const QString black = SecondOf(s, kind);
        ++serial;
        const db::PendingResult result{QStringLiteral("killharness-%1-%2").arg(s.seed).arg(serial),
                                       whiteWon ? -margin : margin,
                                       white,
                                       black,
                                       white != ComputerName,
                                       black != ComputerName,
                                       db::TodayShortDate(),
                                       QStringLiteral("game %1").arg(serial)};
        QString error;
        if (!outbox.Put(result, error)) {
            std::fprintf(stderr, "cannot put a result: %s\n", qPrintable(error));
            return false;
        }
        waiting.push_back({0, CodeOf(s, whiteWon ? white : black), CodeOf(s, whiteWon ? black : white),
                           margin, 0, result.identity});
    }
    return true;
}

int Waiting(const QString& folder) {
    return static_cast<int>(QDir(folder).entryList({"*.result"}, QDir::Files).size());
}

// Follows the write-out until the outbox holds at most `left` results; false
// when the referee ended first. entryMs follows the time one result takes.
bool WaitUntilAtMost(QProcess& referee, const QString& folder, int left, double& entryMs) {
    int last = Waiting(folder);
    QElapsedTimer sinceDrop;
    for (;;) {
        const int now = Waiting(folder);
        if (now < last) {
            if (sinceDrop.isValid())
                entryMs = 0.8 * entryMs + 0.2 * static_cast<double>(sinceDrop.nsecsElapsed()) / 1e6 /
                                              (last - now);
            sinceDrop.start();
            last = now;
        }
        if (now <= left)
            return true;
        if (referee.state() == QProcess::NotRunning || referee.waitForFinished(1))
            return false;
    }
}

// The outbox after a round: the results not in the journal, in their order;
// before them may stand one whose commit came before its file's removal
// (counted), which the next write-out must drop without recording it again.
QString CheckOutbox(const db::Outbox& outbox, const QString& folder, const QVector<GameRow>& waiting,
                    const Ledger& now, OutboxTally& tally) {
    QStringList files;
    for (const db::Outbox::Entry& entry : outbox.Pending())
        files << entry.result.identity;
    QStringList expected;
    for (const GameRow& w : waiting)
        expected << w.identity;
    if (files.size() == expected.size() + 1 &&
        std::any_of(now.games.begin(), now.games.end(),
                    [&](const GameRow& g) { return g.identity == files.first(); })) {
        ++tally.committedNotRemoved;
        files.removeFirst();
    }
    if (files != expected)
        return QStringLiteral("the outbox holds %1 results, expected %2")
            .arg(files.join(' '), expected.join(' '));
    if (!QDir(folder).entryList({"*.failed"}, QDir::Files).isEmpty())
        return QStringLiteral("a result was set aside");
    return {};
}

} // namespace

int RunOutbox(const Settings& s) {
    const QString folder = s.folder + "/Data/Outbox";
    std::mt19937 random(s.seed);
    db::Outbox outbox(s.folder);
    Ledger last;
    QString problem;
    if (!ReadLedger(s.folder + "/Data/Ratings.mdb", last, problem)) {
        std::fprintf(stderr, "before the first round: %s\n", qPrintable(problem));
        return 1;
    }
    QVector<GameRow> waiting;
    OutboxTally tally;
    double entryMs = 5;
    // Rounds past s.rounds are never killed: they write out what is left.
    for (int round = 1; round <= s.rounds || !waiting.isEmpty(); ++round) {
        const bool aim = round <= s.rounds;
        if (aim && waiting.isEmpty() && !PutResults(s, s.outboxBatch, random, outbox, waiting))
            return 1;
        QProcess referee, client;
        if (!StartRound(s, round % 3, random(), referee, client)) {
            std::fprintf(stderr, "round %d: no game\n", round);
            return 1;
        }
        bool killed = false;
        if (aim) {
            const int left = std::uniform_int_distribution<int>(
                0, static_cast<int>(waiting.size()) - 1)(random);
            if (WaitUntilAtMost(referee, folder, left, entryMs)) {
                // Anywhere in the next result's write-out: its transaction,
                // its commit, its file's removal.
                std::this_thread::sleep_for(std::chrono::microseconds(
                    std::uniform_int_distribution<int>(0, static_cast<int>(entryMs * 1000))(random)));
                referee.kill();
                killed = true;
            }
        }
        referee.waitForFinished(120000);
        EndClient(client);
        Ledger now;
        int delivered = 0;
        bool own = false;
        if (!ReadLedger(s.folder + "/Data/Ratings.mdb", now, problem) ||
            !(problem = CompareWriteOut(last, now, waiting, delivered, own)).isEmpty()) {
            std::fprintf(stderr, "round %d: %s\n", round, qPrintable(problem));
            return 1;
        }
        waiting.remove(0, delivered);
        const int before = tally.committedNotRemoved;
        if (const QString wrong = CheckOutbox(outbox, folder, waiting, now, tally); !wrong.isEmpty()) {
            std::fprintf(stderr, "round %d: %s\n", round, qPrintable(wrong));
            return 1;
        }
        if (!killed && (!own || referee.exitCode() != 0)) {
            std::fprintf(stderr, "round %d: a referee that ended by itself did not record its game\n",
                         round);
            return 1;
        }
        tally.rounds = round;
        tally.cut += killed && (!waiting.isEmpty() || tally.committedNotRemoved > before) ? 1 : 0;
        tally.delivered += delivered;
        tally.own += own ? 1 : 0;
        last = now;
    }
    std::printf("outbox rounds %d: write-outs cut %d (of which between a commit and its file's "
                "removal %d), results written out %d, own games %d, journal rows %lld, a result "
                "takes about %.1f ms\n",
                tally.rounds, tally.cut, tally.committedNotRemoved, tally.delivered, tally.own,
                static_cast<long long>(last.games.size()), entryMs);
    if (tally.cut == 0 || tally.delivered == 0) {
        std::fprintf(stderr, "no write-out was cut: the run tested nothing\n");
        return 1;
    }
    return 0;
}

} // namespace killharness
