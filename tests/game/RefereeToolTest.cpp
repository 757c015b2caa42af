// The referee and test client programs, run as separate processes the way
// scripts use them.
#include "GameTestSupport.h"
#include "common/OtherAccount.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace gametest;

namespace {

const QString ProgramDir = QStringLiteral(VERTAN_PROGRAM_DIR);

struct Outcome {
    int exitCode = -1;
    QStringList lines;
};

class RefereeTool : public ::testing::Test {
  protected:
    // Starts the referee on a free port and returns the port it reports.
    uint16_t StartReferee(const QStringList& args) {
        referee.setProgram(ProgramDir + "/referee");
        referee.setArguments(args +
                             QStringList{"--port", "0", "--pause-scale", "0", "--tick", "0"});
        referee.start();
        if (!referee.waitForStarted(10000) || !referee.waitForReadyRead(10000))
            return 0;
        const QString first = QString::fromUtf8(referee.readLine()).trimmed();
        const QRegularExpressionMatch m =
            QRegularExpression("^listening on port (\\d+)$").match(first);
        return m.hasMatch() ? static_cast<uint16_t>(m.captured(1).toUInt()) : 0;
    }

    static Outcome Finish(QProcess& process) {
        Outcome run;
        EXPECT_TRUE(process.waitForFinished(60000));
        run.exitCode = process.exitCode();
        run.lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return run;
    }

    Outcome Client(uint16_t port, const QStringList& args) {
        QProcess client;
        client.start(ProgramDir + "/testclient",
                     QStringList{"--port", QString::number(port)} + args);
        return Finish(client);
    }

    QProcess referee;
};

// White 2 checkers on its home board, black 3: a game of a few turns.
const proc::Board ShortGame = MakeBoard({{5, 1}, {3, 1}, {20, -2}, {22, -1}});

TEST_F(RefereeTool, RefereesAComputerGameAndPrintsTheResult) {
    ProgramFolder folder(BoardText(ShortGame));
    const uint16_t port = StartReferee({"--first", "Компьютер", "--second", "Компьютер",
                                        "--program-folder", QString::fromStdString(folder.Path())});
    ASSERT_NE(port, 0);
    const Outcome client = Client(port, {});
    const Outcome ref = Finish(referee);
    EXPECT_EQ(ref.exitCode, 0);
    ASSERT_EQ(ref.lines.size(), 1);
    EXPECT_TRUE(QRegularExpression("^winner: Компьютер \\((white|black)\\); loser: Компьютер "
                                   "\\((white|black)\\); margin: [1-3]$")
                    .match(ref.lines[0])
                    .hasMatch())
        << ref.lines[0].toStdString();
    EXPECT_EQ(client.exitCode, 0);
    ASSERT_GE(client.lines.size(), 4);
    EXPECT_EQ(client.lines[0], "- connected");
    EXPECT_TRUE(client.lines[1].startsWith(
        "< start white=\"Компьютер (белые)\" black=\"Компьютер (чёрные)\""));
    EXPECT_TRUE(client.lines[2].startsWith("< dice white"));
    EXPECT_EQ(client.lines.back(), "- connection ended");
    EXPECT_FALSE(client.lines.join('\n').contains("< list")) << "no lists for the computer";
}

TEST_F(RefereeTool, PersonGameNamesThePersonInTheResult) {
    ProgramFolder folder(BoardText(ShortGame));
    // Two people: whichever colour the opening roll gives Иван, the client
    // gets a list to answer (a computer on white could win before any list).
    const uint16_t port = StartReferee({"--first", "Иван", "--second", "Пётр", "--program-folder",
                                        QString::fromStdString(folder.Path())});
    ASSERT_NE(port, 0);
    const Outcome client = Client(port, {"--pick", "random", "--seed", "7", "--short"});
    const Outcome ref = Finish(referee);
    EXPECT_EQ(ref.exitCode, 0);
    ASSERT_EQ(ref.lines.size(), 1);
    EXPECT_TRUE(ref.lines[0].contains("Иван")) << ref.lines[0].toStdString();
    EXPECT_TRUE(client.lines.join('\n').contains("> short move"));
}

TEST_F(RefereeTool, ClientLeavingFirstEndsWithExitCodeOne) {
    ProgramFolder folder(StandardBoardText());
    const uint16_t port = StartReferee({"--first", "Иван", "--second", "Компьютер",
                                        "--program-folder", QString::fromStdString(folder.Path())});
    ASSERT_NE(port, 0);
    const Outcome client = Client(port, {"--disconnect-after", "2", "--watch"});
    const Outcome ref = Finish(referee);
    EXPECT_EQ(client.exitCode, 0);
    EXPECT_EQ(ref.exitCode, 1);
    EXPECT_EQ(ref.lines, QStringList{"client disconnected"});
}

// As nobody: connects, and 0 when closed without a byte of the game.
int KnockAsAnotherAccount(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_storage to = testsupport::Loopback(AF_INET, port);
    char byte;
    return connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0
               ? 2
               : read(fd, &byte, 1) > 0;
}

TEST_F(RefereeTool, AnotherAccountIsTurnedAwayAndTheOwnClientPlays) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a second account needs root";
    ProgramFolder folder(BoardText(ShortGame));
    const uint16_t port = StartReferee({"--first", "Компьютер", "--second", "Компьютер",
                                        "--program-folder", QString::fromStdString(folder.Path())});
    ASSERT_NE(port, 0);
    testsupport::OtherAccount other(testsupport::Nobody,
                                    [port](int) { return KnockAsAnotherAccount(port); });
    EXPECT_EQ(other.Finish(), 0) << "another account's program got into the game";
    const Outcome client = Client(port, {});
    const Outcome ref = Finish(referee);
    EXPECT_EQ(client.exitCode, 0);
    EXPECT_EQ(ref.exitCode, 0);
    EXPECT_TRUE(ref.lines.value(0).startsWith("winner: Компьютер"));
    EXPECT_TRUE(referee.readAllStandardError().contains("another account (uid 65534)"));
}

TEST_F(RefereeTool, BadCommandLinesAndMissingPositionExitWithTwo) {
    ProgramFolder empty;
    const QStringList cases[] = {
        {"--first", "A", "--second", "B"},
        {"--port", "70000", "--first", "A", "--second", "B"},
        {"--port", "0", "--first", "A", "--second", "B", "--pause-scale", "x"},
        {"--port", "0", "--first", "A", "--second", "B", "--bogus", "1"},
        {"--port", "0", "--first", "A", "--second", "B", "--program-folder",
         QString::fromStdString(empty.Path())},
        // A match is for computers, at levels the engine has, and a seed is a match's.
        {"--match", "0", "--first", "Компьютер", "--second", "Компьютер"},
        {"--match", "3", "--first", "Иван", "--second", "Компьютер"},
        {"--match", "3", "--first", "Компьютер"},
        {"--match", "3", "--first", "GNU Backgammon", "--second", "Компьютер", "--level", "9"},
        {"--port", "0", "--first", "A", "--second", "B", "--seed", "1"},
        // A match to points is one point at least.
        {"--match", "3", "--first", "Компьютер", "--second", "Компьютер", "--length", "0"},
        {"--port", "0", "--first", "A", "--second", "B", "--length", "x"},
    };
    for (const QStringList& args : cases) {
        QProcess process;
        process.start(ProgramDir + "/referee", args);
        ASSERT_TRUE(process.waitForFinished(10000)) << args.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), 2) << args.join(' ').toStdString();
    }
}

} // namespace
