#include "Round.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>

namespace killharness {

namespace {

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

} // namespace

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
        else if (a == "--outbox")
            s.outboxBatch = v.toInt();
        else
            return false;
    }
    return args.size() % 2 == 0 && !s.programDir.isEmpty() && !s.folder.isEmpty() &&
           s.rounds > 0 && s.players.size() == 2 && s.outboxBatch >= 0;
}

QString FirstOf(const Settings& s, int kind) {
    return QStringList{s.players[0], s.players[1], ComputerName}.value(kind % 3);
}

QString SecondOf(const Settings& s, int kind) {
    return QStringList{s.players[1], ComputerName, s.players[0]}.value(kind % 3);
}

bool StartRound(const Settings& s, int kind, uint32_t seed, QProcess& referee, QProcess& client) {
    const uint16_t port = StartReferee(referee, s, FirstOf(s, kind), SecondOf(s, kind));
    if (port == 0) {
        std::fprintf(stderr, "the referee did not start\n");
        return false;
    }
    const QString clientLog = s.folder + "/client.log";
    QFile::remove(clientLog);
    client.setStandardOutputFile(clientLog);
    client.start(s.programDir + "/testclient", {"--port", QString::number(port), "--pick",
                                                "random", "--seed", QString::number(seed)});
    // The game starts when the client connects.
    if (!WaitForLine(clientLog, "- connected")) {
        std::fprintf(stderr, "the client did not connect\n");
        return false;
    }
    return true;
}

void EndClient(QProcess& client) {
    if (!client.waitForFinished(10000)) {
        client.kill();
        client.waitForFinished(10000);
    }
}

} // namespace killharness
