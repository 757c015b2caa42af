// The board client's link takes at most a bounded amount of the referee's
// bytes per arrival, whatever the referee pushes at it.
#include "client/ServerLink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

TEST(ServerLinkBound, AFloodingRefereeIsTakenInBoundedPieces) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    client::ServerLink link;
    qint64 total = 0, largest = 0;
    QObject::connect(&link, &client::ServerLink::BytesArrived, [&](const QByteArray& bytes) {
        total += bytes.size();
        largest = std::max<qint64>(largest, bytes.size());
    });
    link.Open(QHostAddress::LocalHost, server.serverPort());
    ASSERT_TRUE(server.waitForNewConnection(10000));
    QTcpSocket* peer = server.nextPendingConnection();
    const QDeadlineTimer connected(10000);
    while (!link.IsConnected() && !connected.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(link.IsConnected());

    // Fill the kernel's buffers before the link reads anything at all.
    const QByteArray flood(8 << 20, '\x02');
    peer->write(flood);
    while (peer->bytesToWrite() > 0 && peer->waitForBytesWritten(300)) {
    }
    const QDeadlineTimer drained(60000);
    while (total < flood.size() && !drained.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(total, flood.size());
    EXPECT_LE(largest, client::ServerReadBufferBytes);
    EXPECT_GT(largest, 0);
}

} // namespace
