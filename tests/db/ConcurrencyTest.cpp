// Two launchers recording into one database at the same time: every game is
// in the journal under a code of its own, and no points change is lost. The
// launchers are the recording code in a process of its own (500 games each),
// and `referee --record` refereeing whole games against the test client (a
// few games each here; VERTAN_REFEREE_GAMES=500 for the full run by hand).
#include "RatingsFolder.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct ConcurrencyTest : ::testing::TestWithParam<db::Dialect> {};

// The points every player must have: the rating rules applied to the journal
// in the order of its codes, from the points they started with.
QMap<qlonglong, qlonglong> Replay(RatingsFolder& folder, QMap<qlonglong, qlonglong> points) {
    QSqlQuery games(folder.Connection());
    EXPECT_TRUE(games.exec("SELECT G_WINPLAYER, G_LOSEPLAYER FROM GAMES ORDER BY G_CODE"));
    while (games.next()) {
        const qlonglong winner = games.value(0).toLongLong();
        const qlonglong loser = games.value(1).toLongLong();
        if (winner != 1)
            ++points[winner];
        else if (points[loser] > 0)
            --points[loser];
    }
    return points;
}

// Starts two launchers (program plus arguments, the folder and the seed
// appended) on one database and checks what they leave behind.
void TwoLaunchersAtOnce(db::Dialect engine, const QString& program, const QStringList& args,
                        int perLauncher) {
    RatingsFolder folder(true, engine);
    const QMap<qlonglong, qlonglong> start{{2, 0}, {3, 2}, {4, 40}};
    folder.AddPlayer(2, "Анна", 0);
    folder.AddPlayer(3, "Борис", 2);
    folder.AddPlayer(4, "Вера", 40);
    // A short game for the referee: white 2 checkers at home, black 3.
    QFile board(folder.Path() + "/Data/Board.cfg");
    ASSERT_TRUE(board.open(QIODevice::WriteOnly));
    board.write("0 0 1 0 1 0 0 0 0 0 0 0\n0 0 0 0 0 0 0 -2 0 -1 0 0\n");
    board.close();

    QProcess launchers[2];
    for (int i = 0; i < 2; ++i)
        launchers[i].start(program, args + QStringList{folder.Path(), QString::number(perLauncher),
                                                       QString::number(17 + i)});
    for (QProcess& launcher : launchers) {
        ASSERT_TRUE(launcher.waitForFinished(60000 + 2000 * perLauncher));
        EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString();
    }

    const int games = 2 * perLauncher;
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), games);
    // Codes 1..games, each once: none given twice, none skipped.
    EXPECT_EQ(folder.Rows("SELECT COUNT(DISTINCT G_CODE), MIN(G_CODE), MAX(G_CODE) FROM GAMES"),
              QStringLiteral("%1|1|%1").arg(games));
    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES WHERE G_POINTS <> 1 OR "
                            "(G_WINPLAYER <> 1 AND G_LOSEPLAYER <> 1)")
                  .toInt(),
              0);
    const QMap<qlonglong, qlonglong> expected = Replay(folder, start);
    QSqlQuery players(folder.Connection());
    ASSERT_TRUE(players.exec("SELECT P_CODE, P_POINTS FROM PLAYERS WHERE P_CODE > 1"));
    int seen = 0;
    while (players.next()) {
        ++seen;
        EXPECT_EQ(players.value(1).toLongLong(), expected.value(players.value(0).toLongLong()))
            << "player " << players.value(0).toLongLong();
    }
    EXPECT_EQ(seen, 3);
}

} // namespace

TEST_P(ConcurrencyTest, TwoRecordingProcessesLoseNothing) {
    TwoLaunchersAtOnce(GetParam(), VERTAN_BINARY_DIR "/tests-bin/record_games", {}, 500);
}

TEST_P(ConcurrencyTest, TwoRefereesRecordingAtOnceLoseNothing) {
    const int games = qEnvironmentVariableIsSet("VERTAN_REFEREE_GAMES")
                          ? qEnvironmentVariableIntValue("VERTAN_REFEREE_GAMES")
                          : 10;
    TwoLaunchersAtOnce(GetParam(), VERTAN_SOURCE_DIR "/tests/db/referee-games.sh",
                       {VERTAN_PROGRAM_DIR}, games);
}

INSTANTIATE_TEST_SUITE_P(Engines, ConcurrencyTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);
