// A referee stand-in for the client's tests: a real loopback server that
// sends scripted messages and reads what the client sends back.
#pragma once

#include "StandardBoard.h"
#include "proc/proc.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <functional>

namespace client {

inline QByteArray Bytes(const proc::ByteArray& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

inline QByteArray GameStart(proc::Dice dice) {
    return Bytes(proc::BuildStartMessage(StandardBoard(), "P (white)", "C (black)",
                                         proc::MakeDice(5, 2))) +
           Bytes(proc::BuildDiceMessage(dice, proc::White)) +
           Bytes(proc::BuildMoveListMessage(StandardBoard(), dice, proc::White));
}

// A referee stand-in: listens on a free loopback port and keeps the client.
struct FakeReferee {
    QTcpServer server;
    QTcpSocket* client = nullptr;

    bool Listen(quint16 port = 0) { return server.listen(QHostAddress::LocalHost, port); }
    bool Accept() {
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000)) {
            return false;
        }
        client = server.nextPendingConnection();
        return client != nullptr;
    }
    void Send(const QByteArray& bytes) {
        client->write(bytes);
        client->flush();
    }
    // Turns the event loop (the client lives on this thread) until count bytes came.
    QByteArray Receive(qsizetype count) {
        (void)QTest::qWaitFor([&] { return client->bytesAvailable() >= count; }, 5000);
        return client->readAll();
    }
    // The client writes straight through to the kernel, so after one turn of
    // the event loop anything it sent is readable here at once.
    bool NothingArrived() {
        QCoreApplication::processEvents();
        return client->bytesAvailable() == 0 && !client->waitForReadyRead(0);
    }
};

// The event loop turns until the condition holds (no fixed sleep).
inline bool Until(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 5000);
}

} // namespace client
