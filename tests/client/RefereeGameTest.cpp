// A whole game: the real referee against the client in automatic mode, both
// as separate processes on a free loopback port, with no pauses. The client's
// log must replay into the referee's result.
#include "client/BoardGeometry.h"
#include "client/BoardWidget.h"
#include "client/ClientWindow.h"
#include "record/RecordText.h"
#include "client/MovePicker.h"
#include "proc/proc.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString ProgramDir = QStringLiteral(VERTAN_PROGRAM_DIR);

QStringList Lines(const QByteArray& out) {
    return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
}

std::optional<proc::Move> ParseMove(const QString& text) {
    const QStringList parts = text.split('-');
    if (parts.size() != 2) {
        return std::nullopt;
    }
    return proc::Move{parts[0].toInt(), parts[1].toInt()};
}

proc::Side SideOf(const QString& word) {
    return word == "white" ? proc::White : proc::Black;
}

// waitForFinished answers false for a process that has already finished.
bool Finished(QProcess& process) {
    return process.state() == QProcess::NotRunning || process.waitForFinished(60000);
}

// Starts the referee on a free port; returns the port, or 0.
quint16 StartReferee(QProcess& referee, const QString& first, const QString& second,
                     QByteArray& out) {
    referee.start(ProgramDir + "/referee",
                  {"--port", "0", "--first", first, "--second", second, "--program-folder",
                   VERTAN_SOURCE_DIR "/data", "--pause-scale", "0", "--tick", "5"});
    if (!referee.waitForStarted(10000)) {
        return 0;
    }
    const QRegularExpression listening("listening on port (\\d+)");
    QRegularExpressionMatch match;
    while (!(match = listening.match(QString::fromUtf8(out))).hasMatch()) {
        if (!referee.waitForReadyRead(10000)) {
            return 0;
        }
        out += referee.readAllStandardOutput();
    }
    return static_cast<quint16>(match.captured(1).toUInt());
}

// Plays a person's side until the game ends: play makes one listed move
// through the window. Returns the number of moves, or -1 when a list never
// came or a move was not sent.
int PlayPersonSide(const client::BoardModel& model, uint32_t seed,
                   const std::function<void(proc::Move)>& play) {
    client::MovePicker picker(seed);
    int moves = 0;
    while (!model.GameOver()) {
        if (!QTest::qWaitFor([&] { return model.AwaitingPerson() || model.GameOver(); }, 60000)) {
            return -1;
        }
        if (model.GameOver()) {
            break;
        }
        play(*picker.Pick(model.LegalMoves()));
        if (model.AwaitingPerson()) {
            return -1; // the move was not sent
        }
        ++moves;
    }
    return moves;
}

} // namespace

TEST(RefereeGame, AutomaticClientPlaysAWholeGameAgainstTheComputer) {
    const QString refereePath = ProgramDir + "/referee";
    const QString clientPath = ProgramDir + "/tolvaner";
    if (!QFileInfo::exists(refereePath)) {
        GTEST_SKIP() << "no referee built";
    }
    ASSERT_TRUE(QFileInfo::exists(clientPath));

    QProcess referee;
    QByteArray refereeOut;
    const quint16 port = StartReferee(referee, "Тест", "Компьютер", refereeOut);
    ASSERT_NE(port, 0) << referee.readAllStandardError().toStdString();

    const QString shots = QStringLiteral(VERTAN_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    const QString screenshot = shots + "/client-auto-game.png";
    const QString recordFile = shots + "/client-auto-game.txt";
    QFile::remove(screenshot);
    QFile::remove(recordFile);
    QProcess client;
    client.setWorkingDirectory(shots); // no Config.cfg there: defaults, port from the option
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    client.setProcessEnvironment(env);
    client.start(clientPath, {"--auto", "--seed", "11", "--port", QString::number(port),
                              "--screenshot", screenshot, "--record", recordFile});
    ASSERT_TRUE(Finished(client));
    ASSERT_TRUE(Finished(referee));
    refereeOut += referee.readAllStandardOutput();
    EXPECT_EQ(referee.exitCode(), 0) << refereeOut.toStdString();
    EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(screenshot));

    // Replay the client's log.
    const QStringList log = Lines(client.readAllStandardOutput());
    ASSERT_GE(log.size(), 4);
    EXPECT_EQ(log.first(), "connected");
    EXPECT_EQ(log.last(), "closed");
    proc::Board board{};
    bool started = false;
    std::optional<proc::Side> person;
    std::vector<proc::Move> lastList;
    std::optional<proc::Move> sent;
    int sentCount = 0;
    for (const QString& line : log) {
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (f[0] == "start") {
            ASSERT_FALSE(started);
            started = true;
            const QString cells = line.section("board=", 1);
            const QStringList values = cells.split(',');
            ASSERT_EQ(values.size(), 26);
            for (int32_t k = 1; k <= 26; ++k) {
                proc::Cell(board, k) = values[k - 1].toInt();
            }
            // Which side is the person's: the one whose label carries "Тест".
            person = line.section("white=", 1).startsWith("\"Тест") ? proc::White : proc::Black;
        } else if (f[0] == "list") {
            ASSERT_EQ(SideOf(f[1]), person) << "a list for the computer's side";
            lastList.clear();
            for (int i = 3; i < f.size(); ++i) {
                lastList.push_back(*ParseMove(f[i]));
            }
        } else if (f[0] == "sent") {
            ASSERT_FALSE(sent) << "two moves for one list";
            sent = ParseMove(f[1]);
            ASSERT_NE(std::find(lastList.begin(), lastList.end(), *sent), lastList.end())
                << line.toStdString();
            lastList.clear();
            ++sentCount;
        } else if (f[0] == "move") {
            const proc::Side side = SideOf(f[1]);
            const proc::Move move = *ParseMove(f[2]);
            if (side == person) {
                // Every move of the person's side is the one the client sent.
                ASSERT_TRUE(sent) << line.toStdString();
                EXPECT_EQ(move, *sent);
                sent.reset();
            }
            proc::ApplyMove(board, side, move);
        }
    }
    ASSERT_TRUE(started);
    EXPECT_GT(sentCount, 10);
    const int32_t end = proc::CheckGameEnd(board);
    ASSERT_NE(end, 0) << "the client's board is not a finished game";
    const QString winnerColour = end < 0 ? "(white)" : "(black)";
    EXPECT_TRUE(QString::fromUtf8(refereeOut)
                    .contains(QRegularExpression("winner: \\S+ " +
                                                 QRegularExpression::escape(winnerColour))))
        << refereeOut.toStdString();

    // The record written at the end replays through the rules engine to the
    // board the referee's echoes made.
    QFile recordIn(recordFile);
    ASSERT_TRUE(recordIn.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(recordIn.readAll());
    QString error;
    const auto read = record::ReadRecord(text, error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->Board(), board);
    EXPECT_TRUE(text.contains(end < 0 ? QStringLiteral("Результат: победа белых")
                                      : QStringLiteral("Результат: победа чёрных")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Тест")));
}

// A person's side played in the client against a real referee process.
struct RefereePersonGame : ::testing::Test {
    QProcess referee;
    QByteArray refereeOut;
    client::ClientSession session{{}, nullptr};

    void SetUp() override {
        if (!QFileInfo::exists(ProgramDir + "/referee")) {
            GTEST_SKIP() << "no referee built";
        }
    }
    quint16 Start(const QString& first, const QString& second) {
        return StartReferee(referee, first, second, refereeOut);
    }
};

TEST_F(RefereePersonGame, APersonClicksThroughAWholeGame) {
    const quint16 port = Start("Компьютер", "Игрок");
    ASSERT_NE(port, 0);

    client::BoardWidget window(session);
    window.resize(1024, 768);
    window.show();
    session.Start(port);
    const QTransform toDevice = client::geometry::DesignToDevice(window.size());
    auto clickCell = [&](int32_t cell) {
        const QPointF design = cell == proc::BearOff
                                   ? client::geometry::TrayRect(session.Model().ListSide()).center()
                                   : client::geometry::SlotCenter(cell, 0);
        QTest::mouseClick(&window, Qt::LeftButton, {}, toDevice.map(design).toPoint());
    };
    const int clicks = PlayPersonSide(session.Model(), 4, [&](proc::Move move) {
        clickCell(move.from);
        EXPECT_EQ(session.Model().Selected(), move.from);
        clickCell(move.to);
    });
    ASSERT_TRUE(Finished(referee));
    refereeOut += referee.readAllStandardOutput();
    EXPECT_EQ(referee.exitCode(), 0) << refereeOut.toStdString();
    EXPECT_GT(clicks, 10);
    const auto winner = session.Model().Winner();
    ASSERT_TRUE(winner) << "the client's board is not a finished game";
    EXPECT_TRUE(refereeOut.contains(*winner == proc::White ? "(white); loser" : "(black); loser"))
        << refereeOut.toStdString();
    // The window shows the end (it repaints when the event loop turns).
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return window.Renderer().Record().texts.join('|').contains(
                QStringLiteral("Игра окончена"));
        },
        5000));
}

TEST_F(RefereePersonGame, APersonPlaysAWholeGameWithTheKeyboardAlone) {
    const quint16 port = Start("Игрок", "Компьютер");
    ASSERT_NE(port, 0);

    client::ClientWindow window(session);
    window.show();
    session.Start(port);
    const client::BoardModel& model = session.Model();
    auto press = [&](Qt::Key key) { QTest::keyClick(&window.Board(), key); };
    // Tab until the cell has the focus, then Enter.
    auto choose = [&](int32_t cell) {
        for (size_t i = 0; i <= model.FocusCycle().size() && model.Focused() != cell; ++i) {
            press(Qt::Key_Tab);
        }
        ASSERT_EQ(model.Focused(), cell);
        press(Qt::Key_Return);
    };
    const int moves = PlayPersonSide(model, 9, [&](proc::Move move) {
        choose(move.from);
        choose(move.to);
    });
    ASSERT_TRUE(Finished(referee));
    EXPECT_GT(moves, 10);
    ASSERT_TRUE(model.Winner());
    // The window stays, with the result last in the history and a replay
    // that ends exactly on the final board.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Replay() != nullptr; }, 5000));
    EXPECT_TRUE(window.isVisible());
    const QListWidget& history = window.History();
    EXPECT_TRUE(
        history.item(history.count() - 1)->text().startsWith(QStringLiteral("Результат: победа")));
    press(Qt::Key_Home);
    EXPECT_EQ(window.Board().Shown().Board(), session.Record().Start().board);
    for (int i = 0; i < window.Replay()->Steps(); ++i) {
        press(Qt::Key_Right);
    }
    EXPECT_EQ(window.Board().Shown().Board(), model.Board());
    EXPECT_TRUE(window.Board().Shown().GameOver());
}

// A referee that closes before any game started leaves nothing to record:
// no file, a message, and a status that says so.
TEST(ClientProgram, AConnectionEndedBeforeTheStartWritesNoRecord) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        server.nextPendingConnection()->disconnectFromHost();
    });
    QTemporaryDir dir;
    const QString file = dir.filePath("game.txt");
    QProcess client;
    client.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    client.setProcessEnvironment(environment);
    client.start(ProgramDir + "/tolvaner", {"--port", QString::number(server.serverPort()),
                                            "--record", file, "--quit-on-close"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.state() == QProcess::NotRunning; }, 30000));
    EXPECT_NE(client.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(client.readAllStandardError().contains("no game was played"));
}
