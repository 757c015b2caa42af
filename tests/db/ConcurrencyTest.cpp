// Two launchers recording into one database at the same time: every game is
// in the journal under a code of its own, and no points change is lost.
#include "RatingsFolder.h"

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

} // namespace

TEST_P(ConcurrencyTest, TwoLaunchersRecordingAtOnceLoseNothing) {
    RatingsFolder folder(true, GetParam());
    const QMap<qlonglong, qlonglong> start{{2, 0}, {3, 2}, {4, 40}};
    folder.AddPlayer(2, "Анна", 0);
    folder.AddPlayer(3, "Борис", 2);
    folder.AddPlayer(4, "Вера", 40);

    const int perLauncher = 500;
    QProcess launchers[2];
    for (int i = 0; i < 2; ++i)
        launchers[i].start(VERTAN_BINARY_DIR "/tests-bin/record_games",
                           {folder.Path(), QString::number(perLauncher), QString::number(17 + i)});
    for (QProcess& launcher : launchers) {
        ASSERT_TRUE(launcher.waitForFinished(280000));
        EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString();
    }

    EXPECT_EQ(folder.Scalar("SELECT COUNT(*) FROM GAMES").toInt(), 2 * perLauncher);
    // Codes 1..1000, each once: none given twice, none skipped.
    EXPECT_EQ(folder.Rows("SELECT COUNT(DISTINCT G_CODE), MIN(G_CODE), MAX(G_CODE) FROM GAMES"),
              "1000|1|1000");
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

INSTANTIATE_TEST_SUITE_P(Engines, ConcurrencyTest,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);
