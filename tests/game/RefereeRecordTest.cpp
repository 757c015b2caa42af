// `referee --record`: the launcher's recording code without windows, its
// announcement and notices printed.
#include "GameTestSupport.h"
#include "RatingsFolder.h"
#include "record/PackedRecord.h"
#include "record/RecordText.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace gametest;

namespace {

// White 2 checkers on its home board, black 3: a game of a few turns.
const proc::Board ShortGame = MakeBoard({{5, 1}, {3, 1}, {20, -2}, {22, -1}});

struct RecordCase {
    const char* first;
    const char* second;
    int exitCode;
    int newGames;
};

TEST(RefereeRecord, RecordsThroughTheLaunchersCodeOrSaysWhyNot) {
    const RecordCase cases[] = {
        {"Иван", "Пётр", 0, 1},
        {"Иван", "Компьютер", 0, 1},
        {"Призрак", "Компьютер", 3, 0}, // no such player: nothing recorded
        {"Компьютер", "Компьютер", 0, 0},
        // The engine's row is made by the recording; without the engine
        // installed the built-in computer plays its turns under its name.
        {"Иван", "GNU Backgammon", 0, 1},
        {"GNU Backgammon", "Компьютер", 0, 0},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " - " + c.second);
        RatingsFolder folder;
        folder.AddPlayer(2, "Иван", 6);
        folder.AddPlayer(3, "Пётр", 9);
        QFile board(folder.Path() + "/Data/Board.cfg");
        ASSERT_TRUE(board.open(QIODevice::WriteOnly));
        board.write(QByteArray::fromStdString(BoardText(ShortGame)));
        board.close();
        const QString points = folder.Rows("SELECT P_POINTS FROM PLAYERS ORDER BY P_CODE");

        QProcess referee;
        const uint16_t port = StartRefereeProcess(
            referee, {"--first", c.first, "--second", c.second, "--program-folder", folder.Path(),
                      "--tick", "0", "--record"});
        ASSERT_NE(port, 0);
        QProcess client;
        client.start(QStringLiteral(VERTAN_PROGRAM_DIR "/testclient"),
                     {"--port", QString::number(port), "--pick", "random", "--seed", "3"});
        ASSERT_TRUE(referee.waitForFinished(60000));
        client.waitForFinished(10000);
        EXPECT_EQ(referee.exitCode(), c.exitCode);
        const QStringList lines =
            QString::fromUtf8(referee.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 2);
        EXPECT_TRUE(lines.last().startsWith("winner: ")) << qPrintable(lines.last());
        EXPECT_TRUE(lines[0].contains(" победил ")) << qPrintable(lines[0]);
        EXPECT_EQ(lines.join('\n').contains("Результат игры не записан"), c.exitCode == 3);

        EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), c.newGames);
        // Each recorded game keeps its record, which the program reads back.
        QString error;
        const QString text =
            record::UnpackRecord(folder.Scalar("SELECT R_RECORD FROM GAME_RECORDS").toByteArray())
                .value_or(QString());
        const std::optional<record::GameRecord> replayed = record::ReadRecord(text, error);
        EXPECT_EQ(replayed.has_value(), c.newGames == 1) << qPrintable(error);
        // Replayed move by move, the record ends where the game ended.
        if (replayed) {
            EXPECT_EQ(replayed->Margin(), lines.last().section("margin: ", 1).toInt());
            EXPECT_EQ(proc::CheckGameEnd(replayed->Board()) < 0,
                      lines.last().contains("(white); loser"));
        }
        if (c.newGames == 0) {
            EXPECT_EQ(folder.Rows("SELECT P_POINTS FROM PLAYERS ORDER BY P_CODE"), points);
            continue;
        }
        // The winner named in the result line is the journal's winner.
        const QString winner =
            lines.last().mid(QStringLiteral("winner: ").size()).section(" (", 0, 0);
        EXPECT_EQ(folder.Rows("SELECT P_NAME FROM PLAYERS, GAMES WHERE P_CODE = G_WINPLAYER"),
                  winner == "Компьютер" ? "Computer" : winner);
        EXPECT_EQ(
            folder.Scalar("SELECT COUNT(*) FROM PLAYERS WHERE P_NAME = 'GNU Backgammon'").toInt(),
            QString(c.second) == "GNU Backgammon" ? 1 : 0);
    }
}

} // namespace
