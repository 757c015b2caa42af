// The client against a real loopback server standing in for the referee:
// connection with retries, decoding off the wire, the automatic player's and
// the person's moves as bytes, and the end of the connection.
#include "FakeReferee.h"
#include "StandardBoard.h"
#include "client/BoardGeometry.h"
#include "client/BoardWidget.h"
#include "client/ClientSession.h"
#include "common/OtherAccount.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

using namespace client;

namespace {

std::vector<proc::Move> Listed(proc::Dice dice) {
    proc::MoveList all{};
    const int32_t n = proc::ListMoves(StandardBoard(), dice, proc::White, all);
    return {all.begin(), all.begin() + n};
}

} // namespace

TEST(Session, AutomaticPlayerAnswersAListWithAZeroBasedListedMove) {
    FakeReferee referee;
    ASSERT_TRUE(referee.Listen());
    QStringList log;
    ClientSession session({true, 5}, [&](const QString& line) { log << line; });
    session.Start(referee.server.serverPort());
    ASSERT_TRUE(referee.Accept());
    const proc::Dice dice = proc::MakeDice(6, 2);
    referee.Send(GameStart(dice)); // three messages in one piece

    const QByteArray reply = referee.Receive(4);
    ASSERT_EQ(reply.size(), 4);
    EXPECT_EQ(reply[0], 1);
    const proc::Move move{static_cast<uint8_t>(reply[2]) + 1, static_cast<uint8_t>(reply[3]) + 1};
    const auto listed = Listed(dice);
    EXPECT_NE(std::find(listed.begin(), listed.end(), move), listed.end());
    // Nothing more until the next list, even after the echo.
    referee.Send(Bytes(proc::BuildMoveMessage(proc::White, move)));
    ASSERT_TRUE(Until([&] { return log.size() >= 6; }));
    EXPECT_TRUE(referee.NothingArrived());

    EXPECT_EQ(log[0], QStringLiteral("connected"));
    EXPECT_TRUE(log[1].startsWith("start "));
    EXPECT_EQ(log[2], QStringLiteral("dice white 6-2"));
    EXPECT_TRUE(log[3].startsWith("list white n="));
    EXPECT_EQ(log[4], QStringLiteral("sent %1-%2").arg(move.from).arg(move.to));
    EXPECT_EQ(log[5], QStringLiteral("move white %1-%2").arg(move.from).arg(move.to));
}

TEST(Session, MessagesCutIntoSingleBytesStillArrive) {
    FakeReferee referee;
    ASSERT_TRUE(referee.Listen());
    ClientSession session({}, nullptr);
    QSignalSpy changed(&session, &ClientSession::Changed);
    session.Start(referee.server.serverPort());
    ASSERT_TRUE(referee.Accept());
    const QByteArray stream = GameStart(proc::MakeDice(3, 1));
    for (char byte : stream) {
        referee.Send(QByteArray(1, byte));
        QTest::qWait(0);
    }
    ASSERT_TRUE(Until([&] { return session.Model().AwaitingPerson(); }));
    EXPECT_EQ(session.Model().Board(), StandardBoard());
    EXPECT_EQ(session.Model().LegalMoves(), Listed(proc::MakeDice(3, 1)));
}

TEST(Session, GarbageIsDroppedAndTheGameGoesOn) {
    FakeReferee referee;
    ASSERT_TRUE(referee.Listen());
    QStringList log;
    ClientSession session({}, [&](const QString& line) { log << line; });
    session.Start(referee.server.serverPort());
    ASSERT_TRUE(referee.Accept());
    referee.Send(QByteArray::fromHex("ee0102030405"));
    ASSERT_TRUE(Until([&] { return log.size() >= 2; }));
    EXPECT_TRUE(log[1].startsWith("error: "));
    referee.Send(GameStart(proc::MakeDice(4, 4)));
    ASSERT_TRUE(Until([&] { return session.Model().AwaitingPerson(); }));
}

TEST(Session, RetriesUntilTheRefereeListens) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close(); // nobody listens there now

    FakeReferee referee;
    ClientSession session({}, nullptr);
    QSignalSpy connected(&session, &ClientSession::ConnectedToServer);
    QSignalSpy failed(&session, &ClientSession::ConnectFailed);
    // The referee starts listening as soon as the first attempt was refused.
    QObject::connect(&session.Link(), &ServerLink::Retrying, &referee.server, [&] {
        if (!referee.server.isListening()) {
            referee.Listen(port);
        }
    });
    session.Start(port, 10000);
    ASSERT_TRUE(Until([&] { return connected.size() == 1; }));
    EXPECT_TRUE(failed.isEmpty());
}

TEST(Session, GivesUpWhenNobodyListens) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    ClientSession session({}, nullptr);
    QSignalSpy failed(&session, &ClientSession::ConnectFailed);
    session.Start(port, 0); // a window of nothing: one attempt
    ASSERT_TRUE(Until([&] { return failed.size() == 1; }));
    EXPECT_TRUE(failed[0][0].toString().contains(QString::number(port)));
}

TEST(Session, RefereeClosingEndsTheGameAndClosingTheWindowClosesTheConnection) {
    FakeReferee referee;
    ASSERT_TRUE(referee.Listen());
    {
        ClientSession session({}, nullptr);
        QSignalSpy over(&session, &ClientSession::GameOver);
        session.Start(referee.server.serverPort());
        ASSERT_TRUE(referee.Accept());
        // The last echo and the close come together: the echo still counts.
        referee.Send(GameStart(proc::MakeDice(6, 5)) +
                     Bytes(proc::BuildMoveMessage(proc::White, {24, 18})));
        referee.client->disconnectFromHost();
        ASSERT_TRUE(Until([&] { return over.size() == 1; }));
        EXPECT_TRUE(session.Model().GameOver());
        EXPECT_EQ(proc::Cell(session.Model().Board(), 18), 1);
    }
    {
        ClientSession session({}, nullptr);
        session.Start(referee.server.serverPort());
        ASSERT_TRUE(referee.Accept());
        QSignalSpy gone(referee.client, &QTcpSocket::disconnected);
        BoardWidget window(session);
        window.show();
        ASSERT_TRUE(Until([&] { return session.Connected(); }));
        window.close();
        ASSERT_TRUE(Until([&] { return gone.size() == 1; }));
    }
}

TEST(Session, PersonClicksSendTheMoveAndNothingElse) {
    FakeReferee referee;
    ASSERT_TRUE(referee.Listen());
    ClientSession session({}, nullptr);
    BoardWidget window(session);
    window.resize(800, 600);
    window.show();
    session.Start(referee.server.serverPort());
    ASSERT_TRUE(referee.Accept());
    const QTransform toDevice = geometry::DesignToDevice(window.size());
    auto click = [&](int32_t cell, int slot) {
        QTest::mouseClick(&window, Qt::LeftButton, {},
                          toDevice.map(geometry::SlotCenter(cell, slot)).toPoint());
    };

    // Before any list: clicks send nothing.
    referee.Send(Bytes(proc::BuildStartMessage(StandardBoard(), "a", "b", proc::MakeDice(5, 2))));
    ASSERT_TRUE(Until([&] { return session.Model().Started(); }));
    click(13, 4);
    click(7, 0);
    EXPECT_TRUE(referee.NothingArrived());

    const proc::Dice dice = proc::MakeDice(6, 2);
    referee.Send(Bytes(proc::BuildDiceMessage(dice, proc::White)) +
                 Bytes(proc::BuildMoveListMessage(StandardBoard(), dice, proc::White)));
    ASSERT_TRUE(Until([&] { return session.Model().AwaitingPerson(); }));
    click(13, 4); // the top checker of 13
    EXPECT_EQ(session.Model().Selected(), 13);
    click(7, 0); // 13 - 6
    const QByteArray sent = referee.Receive(4);
    EXPECT_EQ(sent, QByteArray::fromHex("01000c06"));
    // A second pick in the same list goes nowhere.
    click(24, 1);
    click(18, 0);
    EXPECT_TRUE(referee.NothingArrived());
}

TEST(Session, LeavesAServerOfAnotherAccount) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a second account needs root";
    testsupport::OtherAccount other(testsupport::Nobody, [](int toTest) {
        return testsupport::ListenAndHold(AF_INET, toTest);
    });
    uint16_t port = 0;
    ASSERT_TRUE(other.Read(port));
    ClientSession session({true, 1}, nullptr);
    QSignalSpy foreign(&session, &ClientSession::ForeignServer);
    QSignalSpy connected(&session, &ClientSession::ConnectedToServer);
    session.Start(port);
    ASSERT_TRUE(Until([&] { return !foreign.isEmpty(); }));
    EXPECT_TRUE(connected.isEmpty());
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(other.Finish(), 0) << "the client did not close the connection";
}
