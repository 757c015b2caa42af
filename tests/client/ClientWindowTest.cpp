// The client's window against a loopback referee stand-in: keyboard play,
// the history beside the board, closing during a game, and after the game
// the replay and the saved record. Screenshots go to build/screenshots.
#include "FakeReferee.h"
#include "client/ClientWindow.h"
#include "desktop/QtTranslation.h"
#include "record/GameFile.h"
#include "record/RecordText.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QScrollBar>
#include <QTranslator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace client;
using proc::Black;
using proc::White;

namespace {

const QString Shots = QStringLiteral(VERTAN_BINARY_DIR "/screenshots");

// A window connected to a stand-in that has sent the start and white's 6-5
// with its list.
struct Connected {
    FakeReferee referee;
    ClientSession session{{}, nullptr};
    ClientWindow window{session};
    QStringList asked;
    bool answer = false;

    bool Open() {
        window.SetDialogs(
            [this](const QString& q) {
                asked << q;
                return answer;
            },
            nullptr, [](const QString&) {});
        window.ResizeBoardTo(QSize(800, 600));
        window.show();
        if (!referee.Listen()) {
            return false;
        }
        session.Start(referee.server.serverPort());
        if (!referee.Accept()) {
            return false;
        }
        referee.Send(GameStart(proc::MakeDice(6, 5)));
        return Until([&] { return session.Model().AwaitingPerson(); });
    }
    void Key(Qt::Key key) { QTest::keyClick(&window.Board(), key); }
    // Presses Tab until the cell is focused; false if the cycle has no such cell.
    bool TabTo(int32_t cell) {
        for (size_t i = 0; i <= session.Model().FocusCycle().size(); ++i) {
            if (session.Model().Focused() == cell) {
                return true;
            }
            Key(Qt::Key_Tab);
        }
        return false;
    }
    proc::Move Received() {
        const QByteArray bytes = referee.Receive(4);
        return proc::ParseClientMessage(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()))
            .move;
    }
};

QStringList Rows(QListWidget& list) {
    QStringList rows;
    for (int i = 0; i < list.count(); ++i) {
        rows << list.item(i)->text();
    }
    return rows;
}

} // namespace

TEST(ClientWindow, KeyboardPlaysAWholeTurn) {
    Connected c;
    ASSERT_TRUE(c.Open());
    // Tab walks the movable checkers in order; the focus is ringed like a hover.
    c.Key(Qt::Key_Tab);
    EXPECT_EQ(c.session.Model().Focused(), 8); // 6/1 is closed: 8 is the lowest source
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.window.Board().Renderer().Record().focused == 8; }));
    // Pick 13, change its mind with Escape, pick 24 and send it to 18.
    ASSERT_TRUE(c.TabTo(13));
    c.Key(Qt::Key_Return);
    EXPECT_EQ(c.session.Model().Selected(), 13);
    c.Key(Qt::Key_Escape);
    EXPECT_FALSE(c.session.Model().Selected());
    ASSERT_TRUE(c.TabTo(24));
    c.Key(Qt::Key_Space);
    ASSERT_TRUE(c.TabTo(18));
    c.Key(Qt::Key_Enter);
    EXPECT_EQ(c.Received(), (proc::Move{24, 18}));

    // The echo and the list for the 5 that is left: arrows work as Tab does.
    proc::Board board = StandardBoard();
    proc::ApplyMove(board, White, {24, 18});
    const proc::Dice left = proc::RemainingDice({24, 18}, proc::MakeDice(6, 5));
    c.referee.Send(Bytes(proc::BuildMoveMessage(White, {24, 18})) +
                   Bytes(proc::BuildMoveListMessage(board, left, White)));
    ASSERT_TRUE(Until([&] { return c.session.Model().AwaitingPerson(); }));
    EXPECT_EQ(c.session.Model().DiceUses(), (std::vector<DieUse>{{6, true}, {5, false}}));
    // Sources 8, 13, 18 (24/19 and 6/1 are closed).
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
        c.Key(key);
    }
    EXPECT_EQ(c.session.Model().Focused(), 18);
    c.Key(Qt::Key_Return);
    c.Key(Qt::Key_Return);
    EXPECT_EQ(c.Received(), (proc::Move{18, 13}));
    EXPECT_TRUE(c.referee.NothingArrived());
}

TEST(ClientWindow, ClosingDuringAGameAsksFirst) {
    const struct {
        const char* name;
        bool ask;      // false: the automatic mode
        bool answer;   // Yes ends the game
        bool gameOver; // the referee ended it first
        bool asked, closes;
    } cases[] = {
        {"No keeps playing", true, false, false, true, false},
        {"Yes ends the game", true, true, false, true, true},
        {"automatic mode", false, false, false, false, true},
        {"after the end", true, false, true, false, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Connected c;
        ASSERT_TRUE(c.Open());
        c.window.SetAskOnClose(k.ask);
        c.answer = k.answer;
        if (k.gameOver) {
            c.referee.client->disconnectFromHost();
            ASSERT_TRUE(Until([&] { return c.session.Model().GameOver(); }));
        }
        QSignalSpy gone(c.referee.client, &QTcpSocket::disconnected);
        c.window.close();
        EXPECT_EQ(c.asked,
                  k.asked
                      ? QStringList{QStringLiteral("Прервать партию? Результат не будет записан.")}
                      : QStringList{});
        EXPECT_EQ(c.window.isVisible(), !k.closes);
        if (k.closes && !k.gameOver) {
            EXPECT_TRUE(Until([&] { return gone.size() == 1; }));
        }
        if (!k.closes) {
            EXPECT_TRUE(c.session.Connected());
        }
    }
}

TEST(ClientWindow, HistoryFollowsTheGameAndHidesWithoutBendingTheBoard) {
    Connected c;
    ASSERT_TRUE(c.Open());
    c.referee.Send(Bytes(proc::BuildMoveMessage(White, {24, 18})) +
                   Bytes(proc::BuildMoveMessage(White, {13, 8})) +
                   Bytes(proc::BuildDiceMessage(proc::MakeDice(6, 6), Black)) +
                   Bytes(proc::BuildMoveMessage(Black, {12, 18})) +
                   Bytes(proc::BuildMoveMessage(Black, {12, 18})) +
                   Bytes(proc::BuildDiceMessage(proc::MakeDice(1, 1), White)));
    ASSERT_TRUE(Until([&] { return c.window.History().count() == 3; }));
    EXPECT_EQ(Rows(c.window.History()),
              QStringList({"Белые 6-5: 24/18 13/8", "Чёрные 6-6: 13/7* 13/7", "Белые 1-1:"}));
    c.referee.Send(Bytes(proc::BuildDiceMessage(proc::MakeDice(3, 2), Black)));
    ASSERT_TRUE(Until([&] { return c.window.History().count() == 4; }));
    EXPECT_EQ(c.window.History().item(2)->text(), QStringLiteral("Белые 1-1: пропуск"));
    // The pieces of the game a screen reader follows. White: 167 - 11, and the
    // checker hit on 18 starts again from 25: 163. Black: 167 - 12.
    const QString said = c.window.Board().accessibleDescription();
    for (const char* part : {"Ход чёрных", "Кости чёрных: 3 и 2", "P (white) 163", "C (black) 155",
                             "Последний ход: чёрные 13/7* 13/7"}) {
        EXPECT_TRUE(said.contains(QString::fromUtf8(part))) << said.toStdString();
    }
    ASSERT_TRUE(Until([&] {
        return c.window.Board().Renderer().Record().texts.contains(QStringLiteral("пипы: 163"));
    }));
    EXPECT_FALSE(c.window.History().accessibleName().isEmpty());
    EXPECT_EQ(c.window.accessibleName(), QStringLiteral("Нарды"));

    QDir().mkpath(Shots);
    EXPECT_TRUE(c.window.grab().save(Shots + "/client-history.png"));
    const QSize board = c.window.Board().size();
    const int wide = c.window.width();
    c.window.SetHistoryShown(false);
    ASSERT_TRUE(Until([&] { return c.window.width() < wide; }));
    EXPECT_TRUE(Until([&] { return c.window.Board().size() == board; }));
    c.window.SetHistoryShown(true);
    EXPECT_TRUE(Until([&] { return c.window.width() == wide; }));
}

TEST(ClientWindow, AfterTheGameTheWindowStaysForTheReplayAndTheRecord) {
    Connected c;
    ASSERT_TRUE(c.Open());
    // White bears off nothing yet; the game simply stops here with moves made.
    c.referee.Send(Bytes(proc::BuildMoveMessage(White, {24, 18})) +
                   Bytes(proc::BuildMoveMessage(White, {13, 8})) +
                   Bytes(proc::BuildDiceMessage(proc::MakeDice(4, 2), Black)) +
                   Bytes(proc::BuildMoveMessage(Black, {1, 5})) +
                   Bytes(proc::BuildMoveMessage(Black, {5, 7})));
    c.referee.client->disconnectFromHost();
    ASSERT_TRUE(Until([&] { return c.window.Replay() != nullptr; }));
    EXPECT_TRUE(c.window.isVisible());
    EXPECT_EQ(Rows(c.window.History()).last(), QStringLiteral("Результат: партия прервана"));
    const proc::Board end = c.session.Model().Board();
    EXPECT_EQ(c.window.Board().Shown().Board(), end);

    QTest::keyClick(&c.window.Board(), Qt::Key_Home);
    EXPECT_EQ(c.window.Board().Shown().Board(), StandardBoard());
    QTest::keyClick(&c.window.Board(), Qt::Key_Right);
    EXPECT_EQ(c.window.Replay()->Position(), 1);
    EXPECT_TRUE(c.window.Board().Animating()); // the same flight as in the game
    EXPECT_EQ(c.window.History().currentRow(), 0);
    QTest::keyClick(&c.window.Board(), Qt::Key_Right);
    QTest::keyClick(&c.window.Board(), Qt::Key_Right);
    EXPECT_EQ(c.window.History().currentRow(), 1);
    ASSERT_TRUE(Until([&] { return !c.window.Board().Animating(); }));
    EXPECT_TRUE(c.window.grab().save(Shots + "/client-replay.png"));
    QTest::keyClick(&c.window.Board(), Qt::Key_Left);
    EXPECT_EQ(c.window.Replay()->Position(), 2);
    QTest::keyClick(&c.window.Board(), Qt::Key_End);
    EXPECT_EQ(c.window.Board().Shown().Board(), end);

    QTemporaryDir dir;
    QStringList told;
    QString path = dir.filePath("game.txt");
    c.window.SetDialogs(
        nullptr, [&] { return path; }, [&](const QString& t) { told << t; });
    c.window.SaveGame();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    const auto parsed = record::ParseRecord(QString::fromUtf8(file.readAll()), error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(parsed->turns.size(), 2u);
    EXPECT_TRUE(told.isEmpty());
    path = dir.filePath("missing/game.txt");
    c.window.SaveGame();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("Не удалось сохранить партию")));
}

// After a game, GNU Backgammon opens it as SGF, offered only where `gnubg` is
// on the path.
TEST(ClientWindow, AnalysisIsOfferedWhereGnuBackgammonIsOnThePath) {
    QTemporaryDir bin;
    const QString opened = bin.filePath("opened.sgf");
    QFile fake(bin.filePath("gnubg"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\n/bin/cp \"$1\" " + opened.toUtf8() + ".part && /bin/mv " +
               opened.toUtf8() + ".part " + opened.toUtf8() + "\n");
    fake.close();
    fake.setPermissions(fake.permissions() | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    QString error;
    const auto game = record::ReadRecord(
        QStringLiteral("Партия в нарды\nБелые: Анна\nЧёрные: Борис\nРозыгрыш цвета: 5 : 2\n"
                       "1. Белые 6-5: 24/18 18/13\n"),
        error);
    ASSERT_TRUE(game) << error.toStdString();
    for (const bool installed : {false, true}) {
        qputenv("PATH", installed ? bin.path().toUtf8() : QByteArray("/nonexistent"));
        ClientSession session{{}, nullptr};
        ClientWindow window{session};
        session.ShowRecord(*game);
        QPushButton* analysis = nullptr;
        for (QPushButton* button : window.findChildren<QPushButton*>())
            if (button->text() == "Анализ в GNU Backgammon")
                analysis = button;
        ASSERT_NE(analysis, nullptr);
        EXPECT_EQ(analysis->isVisibleTo(&window), installed);
        if (installed) {
            analysis->click();
            ASSERT_TRUE(Until([&] { return QFile::exists(opened); }));
            QFile sgf(opened);
            ASSERT_TRUE(sgf.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(sgf.readAll());
            EXPECT_TRUE(text.startsWith("(;FF[4]GM[6]")) << text.toStdString();
            EXPECT_TRUE(text.contains("PW[Анна]PB[Борис]")) << text.toStdString();
        }
    }
    qputenv("PATH", path);
}

// A saved game opened without a referee (tolvaner --open): its start on show,
// the whole history beside it, and the replay keys at work.
TEST(ClientWindow, ASavedGameOpensAtItsStartForReplay) {
    QString error;
    const auto game = record::ReadRecord(
        QStringLiteral("Партия в нарды\nБелые: Анна\nЧёрные: Борис\n"
                       "Нумерация пунктов: от дома каждой стороны\nРозыгрыш цвета: 5 : 2\n"
                       "1. Белые 6-5: 24/18 18/13\n2. Чёрные 6-6: 24/18(2) 13/7(2)\n"),
        error);
    ASSERT_TRUE(game) << error.toStdString();
    ClientSession session{{}, nullptr};
    ClientWindow window{session};
    session.ShowRecord(*game);
    window.ReplayFirst();
    EXPECT_FALSE(session.Connected());
    EXPECT_FALSE(session.GameRunning()); // closing asks nothing
    ASSERT_NE(window.Replay(), nullptr);
    EXPECT_EQ(window.Replay()->Position(), 0);
    EXPECT_EQ(window.Board().Shown().Board(), record::StandardStart());
    EXPECT_EQ(Rows(window.History()),
              QStringList({"Белые 6-5: 24/18 18/13", "Чёрные 6-6: 24/18(2) 13/7(2)",
                           "Результат: партия прервана"}));
    QTest::keyClick(&window.Board(), Qt::Key_End);
    EXPECT_EQ(window.Replay()->Position(), 6);
    EXPECT_EQ(window.Board().Shown().Board(), game->Board());
}

// Ctrl+O opens a saved game of any of the three kinds: a damaged file is
// told and leaves the board alone, a match shows its first game and says so,
// a cancelled dialog changes nothing.
TEST(ClientWindow, CtrlOOpensMatchTextAndSgf) {
    ClientSession session{{}, nullptr};
    ClientWindow window{session};
    QStringList told;
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.sgf");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("(;FF[4]GM[6]\n;W[52xx])\n");
    file.close();
    QStringList paths{damaged, VERTAN_SOURCE_DIR "/tests/record/gnubg-match.mat", QString()};
    window.SetDialogs(nullptr, nullptr, [&](const QString& text) { told << text; });
    window.SetOpenDialog([&] { return paths.takeFirst(); });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window)); // shortcuts need it
    QTest::keySequence(&window, QKeySequence::Open);
    EXPECT_EQ(window.Replay(), nullptr);
    EXPECT_EQ(told, QStringList("Не удалось открыть партию " + damaged +
                                ": строка 2: ход не читается: W[52xx]"));
    QTest::keySequence(&window, QKeySequence::Open);
    ASSERT_NE(window.Replay(), nullptr);
    EXPECT_EQ(window.Replay()->Position(), 0);
    EXPECT_EQ(told.last(), QStringLiteral("Партий в файле: 3. Показана только первая."));
    // The first game's 45 turns and its end, cut short by a resignation.
    EXPECT_EQ(window.History().count(), 46);
    EXPECT_EQ(window.History().item(0)->text(), QStringLiteral("Белые 5-1: 13/8 24/23"));
    QTest::keySequence(&window, QKeySequence::Open);
    EXPECT_TRUE(paths.isEmpty());
    EXPECT_EQ(window.History().count(), 46);
}

// A window of 320 x 240 after a game (the replay's buttons, saving, the
// analysis where GNU Backgammon is installed, the history) keeps every button
// whole inside it; widened again, the buttons get their full texts back.
TEST(ClientWindow, EveryButtonFitsA320By240Window) {
    QString error;
    const auto game = record::OpenGame(VERTAN_SOURCE_DIR "/tests/record/hand-game.txt", error);
    ASSERT_TRUE(game) << error.toStdString();
    ClientSession session{{}, nullptr};
    ClientWindow window{session};
    window.ResizeBoardTo(QSize(800, 600));
    window.show();
    window.ShowGame(*game, QString());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const QSize size : {QSize(320, 240), QSize(1100, 700)}) {
        window.resize(size);
        QCoreApplication::processEvents();
        ASSERT_EQ(window.size(), size);
        int shown = 0;
        for (const QPushButton* button : window.findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(&window)) {
                continue;
            }
            ++shown;
            const QRect at(button->mapTo(&window, QPoint(0, 0)), button->size());
            EXPECT_TRUE(window.rect().contains(at)) << button->text().toStdString();
            EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 8)
                << button->text().toStdString();
            if (size.width() > 1000) {
                EXPECT_EQ(button->text(), button->accessibleName());
            }
        }
        EXPECT_GE(shown, 6); // four replay steps, saving, the history
        QDir().mkpath(Shots);
        window.grab().save(
            Shots + QStringLiteral("/client-%1x%2.png").arg(size.width()).arg(size.height()));
    }
}

// N (and the window's menu) turns the rails to the other side's numbering and back.
TEST(ClientWindow, NTogglesTheNumbering) {
    ClientSession session{{}, nullptr};
    ClientWindow window{session};
    QString error;
    const auto game = record::OpenGame(VERTAN_SOURCE_DIR "/tests/record/hand-game.txt", error);
    ASSERT_TRUE(game) << error.toStdString();
    session.ShowRecord(*game);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QStringList menu;
    for (const QAction* action : window.actions())
        menu << action->text();
    EXPECT_TRUE(menu.contains("Нумерация другой стороны"));
    EXPECT_TRUE(menu.contains("Открыть партию…"));
    // Анна and Борис: the side to move at the start of the replay, white.
    for (const char* first : {"1", "24", "1"}) {
        window.Board().repaint();
        EXPECT_EQ(window.Board().Renderer().Record().rails.first(), first);
        QTest::keyClick(&window.Board(), Qt::Key_N);
    }
}

// Qt's own texts (the save dialog) and the client's close question speak Russian.
TEST(ClientWindow, SaveDialogAndCloseQuestionInRussian) {
    const std::unique_ptr<QTranslator> russian(desktop::InstallQtTranslation());
    ASSERT_NE(russian, nullptr) << "Qt's Russian translation is not installed";
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->text(),
              QStringLiteral("&Сохранить"));
    const auto box = ClientWindow::CloseQuestionBox(nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Вертан"));
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->buttons()[0]->text() + box->escapeButton()->text(), QStringLiteral("ДаНет"));
    EXPECT_EQ(box->defaultButton(), box->escapeButton());
}

// The roll sent with the winning move is no turn: the history ends with the
// winning turn and the result, wrapped and in view. A narrow board starts
// without the history.
TEST(ClientWindow, HistoryEndsWithTheWinningTurnAndNarrowBoardsHideIt) {
    FakeReferee referee;
    ClientSession session{{}, nullptr};
    ClientWindow window{session};
    window.ResizeBoardTo(QSize(639, 480));
    EXPECT_FALSE(window.History().isVisibleTo(&window));
    window.SetHistoryShown(true);
    window.show();
    ASSERT_TRUE(referee.Listen());
    session.Start(referee.server.serverPort());
    ASSERT_TRUE(referee.Accept());
    proc::Board board{};
    proc::Cell(board, 1) = 1;
    proc::Cell(board, 24) = -2;
    referee.Send(Bytes(proc::BuildStartMessage(board, "VeryLongPlayerName12", "C", 0x205)) +
                 Bytes(proc::BuildDiceMessage(0x102, White)) +
                 Bytes(proc::BuildMoveMessage(White, {1, 27})) +
                 Bytes(proc::BuildDiceMessage(0x401, Black)));
    referee.client->disconnectFromHost();
    ASSERT_TRUE(Until([&] { return window.Replay() != nullptr; }));
    QListWidget& history = window.History();
    ASSERT_EQ(history.count(), 2) << Rows(history).join('|').toStdString();
    const QRect result = history.visualItemRect(history.item(1));
    EXPECT_TRUE(history.viewport()->rect().contains(result));
    EXPECT_EQ(history.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(result.height(), history.visualItemRect(history.item(0)).height()); // wrapped
}
