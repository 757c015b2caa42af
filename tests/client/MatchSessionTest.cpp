// A match game against a loopback referee stand-in: the buttons the person
// sees at each moment, inside the window at its smallest, the bytes their
// clicks and keys send, and the score, cube and status drawn on the board.
#include "FakeReferee.h"
#include "client/ClientWindow.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace client;
using proc::Black;
using proc::Command;
using proc::White;

namespace {

QByteArray CommandBytes(Command command, int level = 0) {
    return Bytes(proc::BuildClientCommand(command, level));
}

struct MatchWindow {
    FakeReferee referee;
    int decoded = 0; // the referee's messages the session has taken
    ClientSession session{{}, [this](const QString& line) {
                              decoded += line != "connected" && !line.startsWith("sent");
                          }};
    ClientWindow window{session};

    bool Open(QSize board) {
        window.SetAskOnClose(false);
        window.ResizeBoardTo(board);
        window.show();
        if (!referee.Listen()) {
            return false;
        }
        session.Start(referee.server.serverPort());
        return referee.Accept() && QTest::qWaitForWindowActive(&window);
    }
    // Sends and waits until the client has taken every message of it.
    bool Send(const QByteArray& bytes) {
        QStringList problems;
        const int expected =
            decoded + static_cast<int>(MessageDecoder().Feed(bytes, problems).size());
        referee.Send(bytes);
        return problems.isEmpty() && Until([&] { return decoded == expected; });
    }
    QStringList Buttons() {
        QStringList texts;
        for (QPushButton* button : window.Controls().Shown()) {
            texts << button->text();
        }
        return texts;
    }
    QPushButton* Button(const QString& text) {
        for (QPushButton* button : window.Controls().Shown()) {
            if (button->text() == text) {
                return button;
            }
        }
        return nullptr;
    }
    // Every shown button lies whole inside the board, which is inside the window.
    bool AllInside() {
        const QRect board(window.Board().mapTo(&window, QPoint(0, 0)), window.Board().size());
        for (QPushButton* button : window.Controls().Shown()) {
            const QRect r(button->mapTo(&window, QPoint(0, 0)), button->size());
            if (!board.contains(r) || !window.rect().contains(r)) {
                return false;
            }
        }
        return true;
    }
    QString Status() {
        return BoardRenderer::StatusLine(session.Model(), {std::nullopt, {}, &session.Match()});
    }
    const RenderRecord& Drawn() {
        window.Board().repaint();
        return window.Board().Renderer().Record();
    }
};

QByteArray Start(const char* white, const char* black) {
    return Bytes(proc::BuildStartMessage(StandardBoard(), white, black, proc::MakeDice(5, 2)));
}

QByteArray State(proc::MatchStateFields fields) {
    return Bytes(proc::BuildMatchStateMessage(fields));
}

QByteArray WhitesRoll(proc::Dice dice) {
    return Bytes(proc::BuildDiceMessage(dice, White)) +
           Bytes(proc::BuildMoveListMessage(StandardBoard(), dice, White));
}

} // namespace

class MatchSession : public ::testing::TestWithParam<QSize> {};

// The cube's turn, a double taken, a resignation chosen, withdrawn, sent and
// refused, a double to answer and the game's end: at the smallest board and
// at a common one.
TEST_P(MatchSession, ThePersonsButtonsAndWhatTheySend) {
    MatchWindow m;
    ASSERT_TRUE(m.Open(GetParam()));
    ASSERT_TRUE(m.Send(Start("Ann", "Bob") + State({5, 1, 2, 1, 0, false}) +
                       Bytes(proc::BuildCubeTurnMessage(White))));
    EXPECT_EQ(m.Buttons(), QStringList({"Удвоить", "Бросить кости", "Сдаться"}));
    EXPECT_TRUE(m.AllInside());
    EXPECT_EQ(m.Status(), QStringLiteral("Ваш ход: удвоить или бросить кости?"));
    EXPECT_EQ(m.Drawn().cube, 0);
    EXPECT_TRUE(m.Drawn().texts.contains(QStringLiteral("Матч до 5 очков")));

    QTest::keyClick(&m.window, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(m.referee.Receive(2), CommandBytes(Command::Double));
    EXPECT_EQ(m.Buttons(), QStringList());
    ASSERT_TRUE(m.Send(Bytes(proc::BuildDoubleMessage(White, 2, false)) +
                       Bytes(proc::BuildDoubleAnswerMessage(Black, true)) +
                       State({5, 1, 2, 2, Black, false}) + WhitesRoll(proc::MakeDice(6, 5))));
    EXPECT_EQ(m.Drawn().cube, Black);
    EXPECT_EQ(m.Status(),
              QStringLiteral("Чёрные принимают удвоение: куб на 2. Ваш ход: выберите фишку"));

    // With moves to play only resigning is offered; its levels can be left.
    EXPECT_EQ(m.Buttons(), QStringList({"Сдаться"}));
    m.Button("Сдаться")->click();
    EXPECT_EQ(m.Buttons(), QStringList({"Одна партия", "Гаммон", "Бэкгаммон", "Отмена"}));
    EXPECT_TRUE(m.AllInside());
    QTest::keyClick(&m.window, Qt::Key_Escape);
    EXPECT_EQ(m.Buttons(), QStringList({"Сдаться"}));
    EXPECT_TRUE(m.referee.NothingArrived());
    QTest::keyClick(&m.window, Qt::Key_E, Qt::ControlModifier);
    m.Button("Гаммон")->click();
    EXPECT_EQ(m.referee.Receive(2), CommandBytes(Command::Resign, 2));
    // Waiting for the answer: neither buttons nor moves.
    EXPECT_EQ(m.Buttons(), QStringList());
    m.session.ClickCell(24);
    m.session.ClickCell(18);
    EXPECT_TRUE(m.referee.NothingArrived());
    ASSERT_TRUE(m.Send(Bytes(proc::BuildResignMessage(White, 2, false)) +
                       Bytes(proc::BuildResignAnswerMessage(Black, false))));
    EXPECT_EQ(m.Buttons(), QStringList({"Сдаться"}));
    m.session.ClickCell(24);
    m.session.ClickCell(18);
    EXPECT_EQ(m.referee.Receive(4), Bytes(proc::BuildClientMoveMessage({24, 18})));
    EXPECT_EQ(m.Buttons(), QStringList());

    // The computer redoubles; the person passes with the key.
    ASSERT_TRUE(m.Send(Bytes(proc::BuildDoubleMessage(Black, 4, true))));
    EXPECT_EQ(m.Buttons(), QStringList({"Принять", "Отказаться"}));
    EXPECT_TRUE(m.AllInside());
    QTest::keyClick(&m.window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(m.referee.Receive(2), CommandBytes(Command::Pass));
    ASSERT_TRUE(m.Send(Bytes(proc::BuildDoubleAnswerMessage(White, false)) +
                       Bytes(proc::BuildGameOverMessage(Black, 2, 1, false))));
    EXPECT_EQ(m.Status(), QStringLiteral("Чёрные выигрывают 2 очка"));
    EXPECT_EQ(m.window.History().item(m.window.History().count() - 1)->text(),
              QStringLiteral("Результат: чёрные выигрывают 2 очка"));
    EXPECT_EQ(m.session.Match().Score(Black), 4); // Bob's 2 + 2
    EXPECT_TRUE(m.Drawn().texts.contains(QStringLiteral("4")));
    EXPECT_EQ(m.Buttons(), QStringList());
    EXPECT_TRUE(m.session.GameRunning()); // the match goes on
}

INSTANTIATE_TEST_SUITE_P(Sizes, MatchSession, ::testing::Values(QSize(320, 240), QSize(800, 600)));

// The computer resigns in the Crawford game and the person accepts; the match
// ends. The shot shows the cube left out of play at its end.
TEST(MatchSession, AResignationToAnswerAndTheMatchsEnd) {
    MatchWindow m;
    ASSERT_TRUE(m.Open(QSize(800, 600)));
    ASSERT_TRUE(m.Send(Start("Bob", "Ann") + State({5, 1, 4, 1, 0, true}) +
                       WhitesRoll(proc::MakeDice(3, 1))));
    EXPECT_TRUE(m.Drawn().cubeDimmed);
    EXPECT_TRUE(m.Drawn().texts.contains(QStringLiteral("Матч до 5 очков, Кроуфорд")));
    ASSERT_TRUE(m.Send(Bytes(proc::BuildMoveMessage(White, {8, 5})) +
                       Bytes(proc::BuildResignMessage(White, 1, true))));
    EXPECT_EQ(m.Buttons(), QStringList({"Принять", "Отклонить"}));
    EXPECT_EQ(m.Status(),
              QStringLiteral("Белые сдаются (одна партия, 1 очко): принять или отклонить?"));
    QDir().mkpath(QStringLiteral(VERTAN_BINARY_DIR "/screenshots"));
    EXPECT_TRUE(
        m.window.grab().save(QStringLiteral(VERTAN_BINARY_DIR "/screenshots/client-match.png")));
    QTest::keyClick(&m.window, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(m.referee.Receive(2), CommandBytes(Command::Accept));
    ASSERT_TRUE(m.Send(Bytes(proc::BuildResignAnswerMessage(Black, true)) +
                       Bytes(proc::BuildGameOverMessage(Black, 1, 1, true))));
    EXPECT_EQ(m.Status(), QStringLiteral("Чёрные выигрывают 1 очко. Матч выиграл(а) Ann, 5 : 1"));
    EXPECT_FALSE(m.session.GameRunning());
    EXPECT_EQ(m.Buttons(), QStringList());
    // The replay and the history are of this game.
    m.referee.client->disconnectFromHost();
    ASSERT_TRUE(Until([&] { return m.window.Replay() != nullptr; }));
    EXPECT_EQ(m.window.Replay()->Steps(), 1);
    QStringList rows;
    for (int i = 0; i < m.window.History().count(); ++i) {
        rows << m.window.History().item(i)->text();
    }
    EXPECT_EQ(rows, QStringList({"Белые 3-1: 8/5", "Результат: чёрные выигрывают 1 очко. "
                                                   "Матч выиграл(а) Ann, 5 : 1"}));
}

// The automatic player answers every question, so a match never waits on it.
TEST(MatchSession, TheAutomaticPlayerRollsTakesAndAccepts) {
    FakeReferee referee;
    ASSERT_TRUE(referee.Listen());
    ClientSession session({true, 3}, nullptr);
    session.Start(referee.server.serverPort());
    ASSERT_TRUE(referee.Accept());
    const struct {
        QByteArray message;
        QByteArray answer;
    } steps[] = {
        {Start("a", "b") + State({3, 0, 0, 1, 0, false}) + Bytes(proc::BuildCubeTurnMessage(White)),
         CommandBytes(Command::Roll)},
        {Bytes(proc::BuildDoubleMessage(Black, 2, true)), CommandBytes(Command::Take)},
        {Bytes(proc::BuildResignMessage(Black, 2, true)), CommandBytes(Command::Accept)},
    };
    for (const auto& step : steps) {
        referee.Send(step.message);
        EXPECT_EQ(referee.Receive(2), step.answer);
    }
    referee.Send(Bytes(proc::BuildDoubleMessage(Black, 4, false)));
    EXPECT_TRUE(referee.NothingArrived());
}

// A single game sends no match message: no buttons, no cube, no score.
TEST(MatchSession, ASingleGameShowsNoneOfIt) {
    MatchWindow m;
    ASSERT_TRUE(m.Open(QSize(800, 600)));
    ASSERT_TRUE(m.Send(GameStart(proc::MakeDice(6, 5))));
    EXPECT_TRUE(m.session.Model().AwaitingPerson());
    EXPECT_EQ(m.Buttons(), QStringList());
    QTest::keyClick(&m.window, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(m.Buttons(), QStringList());
    m.session.SendCommand(Command::Resign, 1);
    EXPECT_TRUE(m.referee.NothingArrived());
    EXPECT_FALSE(m.Drawn().cube);
    EXPECT_EQ(m.Status(), QStringLiteral("Ваш ход: выберите фишку"));
}
