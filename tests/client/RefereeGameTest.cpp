// A whole game: the real referee against the client in automatic mode, both
// as separate processes on a free loopback port, with no pauses. The client's
// log must replay into the referee's result.
#include "proc/proc.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
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

} // namespace

TEST(RefereeGame, AutomaticClientPlaysAWholeGameAgainstTheComputer) {
    const QString refereePath = ProgramDir + "/referee";
    const QString clientPath = ProgramDir + "/tolvaner";
    if (!QFileInfo::exists(refereePath)) {
        GTEST_SKIP() << "no referee built";
    }
    ASSERT_TRUE(QFileInfo::exists(clientPath));

    QProcess referee;
    referee.start(refereePath,
                  {"--port", "0", "--first", "Тест", "--second", "Компьютер", "--program-folder",
                   VERTAN_SOURCE_DIR "/data", "--pause-scale", "0", "--tick", "5"});
    ASSERT_TRUE(referee.waitForStarted(10000));
    QByteArray refereeOut;
    QRegularExpression listening("listening on port (\\d+)");
    QRegularExpressionMatch match;
    while (!(match = listening.match(QString::fromUtf8(refereeOut))).hasMatch()) {
        ASSERT_TRUE(referee.waitForReadyRead(10000))
            << referee.readAllStandardError().toStdString();
        refereeOut += referee.readAllStandardOutput();
    }

    const QString shots = QStringLiteral(VERTAN_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    const QString screenshot = shots + "/client-auto-game.png";
    QFile::remove(screenshot);
    QProcess client;
    client.setWorkingDirectory(shots); // no Config.cfg there: defaults, port from the option
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    client.setProcessEnvironment(env);
    client.start(clientPath, {"--auto", "--seed", "11", "--port", match.captured(1), "--screenshot",
                              screenshot});
    ASSERT_TRUE(client.waitForFinished(120000));
    ASSERT_TRUE(referee.waitForFinished(30000));
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
}
