// The game server socket on real loopback connections.
#include "EventWait.h"
#include "net/TDM.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

using testclient::ProcessEventsUntil;

namespace {

class Tdm : public ::testing::Test {
  protected:
    void SetUp() override {
        dm.AcceptHook = [this] {
            ++accepts;
            connectedInHook = dm.ClientConnected;
        };
        dm.DisconnectHook = [this] { ++disconnects; };
        dm.OpenGameServer(0);
    }

    std::unique_ptr<QTcpSocket> Connect() {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, dm.ListeningPort());
        EXPECT_TRUE(socket->waitForConnected(5000));
        return socket;
    }

    // One write from the client, waited for until the referee has it.
    void Write(QTcpSocket& socket, const QByteArray& bytes) {
        const int64_t before = dm.BytesWaiting();
        socket.write(bytes);
        socket.flush();
        ASSERT_TRUE(ProcessEventsUntil([&] { return dm.BytesWaiting() >= before + bytes.size(); }));
    }

    int32_t Receive(QByteArray& into, int32_t size = 2000) {
        into = QByteArray(size, '\0');
        const int32_t n = dm.ReceiveFromClient(reinterpret_cast<uint8_t*>(into.data()), size);
        into.truncate(n > 0 ? n : 0);
        return n;
    }

    int32_t Send(const QByteArray& bytes) {
        return dm.SendToClient(reinterpret_cast<const uint8_t*>(bytes.constData()),
                               static_cast<int32_t>(bytes.size()));
    }

    net::TDM dm;
    int accepts = 0;
    int disconnects = 0;
    bool connectedInHook = false;
};

TEST_F(Tdm, ListensOnLoopbackOnly) {
    EXPECT_TRUE(dm.ServerSocket->isListening());
    EXPECT_EQ(dm.ServerSocket->serverAddress(), QHostAddress(QHostAddress::LocalHost));
    EXPECT_NE(dm.ListeningPort(), 0);
    EXPECT_FALSE(dm.ClientConnected);
}

TEST_F(Tdm, OpeningAgainOnTheSamePortOnlyClearsClientConnected) {
    auto client = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.ClientConnected; }));
    const uint16_t port = dm.ListeningPort();
    dm.OpenGameServer(0);
    EXPECT_FALSE(dm.ClientConnected);
    EXPECT_EQ(dm.ListeningPort(), port);
    EXPECT_EQ(client->state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(Send("x"), -1) << "a client no longer marked connected is not sent to";
}

TEST_F(Tdm, OpeningAnotherPortWhileListeningThrows) {
    const uint16_t port = dm.ListeningPort();
    const uint16_t other = port == 65535 ? port - 1 : port + 1;
    EXPECT_THROW(dm.OpenGameServer(other), std::runtime_error);
    EXPECT_EQ(dm.ListeningPort(), port);
}

TEST_F(Tdm, PortThatCannotBeBoundThrows) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0));
    net::TDM second;
    second.ClientConnected = true;
    EXPECT_THROW(second.OpenGameServer(other.serverPort()), std::runtime_error);
    EXPECT_FALSE(second.ClientConnected);
    EXPECT_EQ(second.ListeningPort(), 0);
}

TEST_F(Tdm, SendAndReceiveWithoutClientGiveMinusOne) {
    dm.PendingReads = 2;
    EXPECT_EQ(Send("abc"), -1);
    EXPECT_EQ(dm.PendingReads, 2) << "a send without a client leaves the count alone";
    QByteArray got;
    EXPECT_EQ(Receive(got), -1);
    EXPECT_EQ(dm.PendingReads, 2);
}

TEST_F(Tdm, AcceptMarksTheClientAndRunsTheHookOnce) {
    auto client = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return accepts > 0; }));
    EXPECT_TRUE(connectedInHook);
    EXPECT_EQ(accepts, 1);
    EXPECT_EQ(Send(QByteArray("\x02\x81\x03\x04", 4)), 4);
    ASSERT_TRUE(ProcessEventsUntil([&] { return client->bytesAvailable() == 4; }));
    EXPECT_EQ(client->readAll(), QByteArray("\x02\x81\x03\x04", 4));
}

TEST_F(Tdm, ReadGateCountsNotificationsAndSendsForgetThem) {
    auto client = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.ClientConnected; }));
    QByteArray got;
    EXPECT_EQ(Receive(got), -1) << "nothing announced yet";

    // Every arrival is announced, even while earlier bytes lie unread.
    Write(*client, "aaaa");
    Write(*client, "bbbb");
    Write(*client, "cccc");
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.PendingReads >= 3; }));
    Send("x");
    EXPECT_EQ(dm.PendingReads, 0);
    EXPECT_EQ(Receive(got), -1) << "bytes wait, but no notification is left";
    EXPECT_EQ(dm.BytesWaiting(), 12);

    // The next notification's receive returns the old bytes ahead of the new.
    Write(*client, "dddd");
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.PendingReads >= 1; }));
    const int32_t announced = dm.PendingReads;
    EXPECT_EQ(Receive(got), 16);
    EXPECT_EQ(got, QByteArray("aaaabbbbccccdddd"));
    EXPECT_EQ(dm.PendingReads, announced - 1);
}

TEST_F(Tdm, OneReceiveConsumesOneNotificationWhateverItReads) {
    auto client = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.ClientConnected; }));
    Write(*client, "12345678");
    Write(*client, "9");
    // The second write follows the first one's arrival, so at least two
    // notifications come; a loaded machine may split a write into more.
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.PendingReads >= 2; }));
    const int32_t announced = dm.PendingReads;
    QByteArray got;
    EXPECT_EQ(Receive(got, 4), 4);
    EXPECT_EQ(got, QByteArray("1234"));
    EXPECT_EQ(dm.PendingReads, announced - 1);
    EXPECT_EQ(Receive(got), 5);
    EXPECT_EQ(got, QByteArray("56789"));
    EXPECT_EQ(dm.PendingReads, announced - 2);
    // Notifications left over are consumed one by one, even with nothing to read.
    for (int32_t left = announced - 2; left > 0; --left) {
        EXPECT_EQ(Receive(got), 0);
        EXPECT_EQ(dm.PendingReads, left - 1);
    }
    EXPECT_EQ(Receive(got), -1);
}

TEST_F(Tdm, SecondConnectionIsClosedAndDoesNotRestartTheGame) {
    auto first = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return accepts == 1; }));
    auto second = std::make_unique<QTcpSocket>();
    bool secondClosed = false;
    QObject::connect(second.get(), &QTcpSocket::disconnected, [&] { secondClosed = true; });
    second->connectToHost(QHostAddress::LocalHost, dm.ListeningPort());
    ASSERT_TRUE(ProcessEventsUntil([&] { return secondClosed; }));
    EXPECT_EQ(accepts, 1);
    EXPECT_EQ(disconnects, 0) << "the refused connection is no disconnect of the client";
    EXPECT_TRUE(dm.ClientConnected);
    Send("keep");
    ASSERT_TRUE(ProcessEventsUntil([&] { return first->bytesAvailable() == 4; }));
    EXPECT_EQ(first->readAll(), QByteArray("keep"));
}

TEST_F(Tdm, ClientLeavingRunsTheDisconnectHook) {
    auto client = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.ClientConnected; }));
    Write(*client, "zz");
    client->disconnectFromHost();
    ASSERT_TRUE(ProcessEventsUntil([&] { return disconnects == 1; }));
    EXPECT_FALSE(dm.ClientConnected);
    EXPECT_EQ(Send("x"), -1);
    QByteArray got;
    EXPECT_EQ(Receive(got), -1);
}

TEST_F(Tdm, CloseEndsTheConnectionWithoutTheDisconnectHookAndOpensAgain) {
    auto client = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return dm.ClientConnected; }));
    Send("last");
    dm.CloseGameServer();
    EXPECT_FALSE(dm.ClientConnected);
    EXPECT_EQ(dm.ListeningPort(), 0);
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return client->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(client->readAll(), QByteArray("last")) << "what was sent before the close arrives";
    EXPECT_EQ(disconnects, 0);
    dm.CloseGameServer(); // closed already: nothing happens

    dm.OpenGameServer(0);
    auto next = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return accepts == 2; }));
    EXPECT_TRUE(dm.ClientConnected);
}

TEST_F(Tdm, NewClientAfterReopeningReplacesTheOldConnection) {
    auto old = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return accepts == 1; }));
    dm.OpenGameServer(0); // same port: only forgets the client
    auto fresh = Connect();
    ASSERT_TRUE(ProcessEventsUntil([&] { return accepts == 2; }));
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return old->state() == QAbstractSocket::UnconnectedState; }));
    Send("new");
    ASSERT_TRUE(ProcessEventsUntil([&] { return fresh->bytesAvailable() == 3; }));
    EXPECT_EQ(disconnects, 0);
}

} // namespace
