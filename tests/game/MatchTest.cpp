// Headless matches between computers: the figures' formulas against
// textbook values, the match's games against its seed, and the referee's
// --match command line.
#include "GameTestSupport.h"
#include "Match.h"
#include "MatchFigures.h"
#include "FormatsSupport.h"
#include "engine/Gnubg.h"
#include "record/GameFile.h"
#include "record/MatchRecord.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <gtest/gtest.h>

using namespace gametest;

namespace {

const QString ProgramDir = QStringLiteral(VERTAN_PROGRAM_DIR);

// Wilson's interval as tables of it give it (e.g. 50 of 100: 0.4038 to
// 0.5962); Elo from the logistic curve, whose 75 % is +190.8.
struct RateCase {
    int64_t wins, games;
    double low, high, elo;
};

class Figures : public ::testing::TestWithParam<RateCase> {};

TEST_P(Figures, WinRateIntervalAndElo) {
    const RateCase& c = GetParam();
    const referee::Interval interval = referee::WinRateInterval(c.wins, c.games);
    EXPECT_NEAR(interval.low, c.low, 5e-5);
    EXPECT_NEAR(interval.high, c.high, 5e-5);
    const double elo = referee::EloOfRate(double(c.wins) / double(c.games));
    if (std::isinf(c.elo))
        EXPECT_EQ(elo, c.elo);
    else
        EXPECT_NEAR(elo, c.elo, 0.05);
}

const double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Known, Figures,
                         ::testing::Values(RateCase{50, 100, 0.4038, 0.5962, 0.0},
                                           RateCase{75, 100, 0.6570, 0.8245, 190.8},
                                           RateCase{870, 1000, 0.8477, 0.8894, 330.2},
                                           RateCase{300, 1000, 0.2724, 0.3291, -147.2},
                                           RateCase{0, 10, 0.0, 0.2775, -Inf},
                                           RateCase{10, 10, 0.7225, 1.0, Inf}));

TEST(Figures, MedianAndPercentiles) {
    EXPECT_EQ(referee::Median({}), 0.0);
    EXPECT_EQ(referee::Median({5, 1, 3}), 3.0);
    EXPECT_EQ(referee::Median({8, 1, 4, 2}), 3.0);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i);
    EXPECT_EQ(referee::Percentile(hundred, 99), 99.0);
    EXPECT_EQ(referee::Percentile(hundred, 100), 100.0);
    EXPECT_EQ(referee::Percentile({7, 3}, 99), 7.0);
    EXPECT_EQ(referee::Percentile({}, 99), 0.0);
}

TEST(Figures, LastLineNamesEachPlayersWins) {
    referee::MatchFigures f;
    f.first = {"GNU Backgammon", 87, {2.0, 4.0}};
    f.second = {"Компьютер", 13, {0.5}};
    f.games = 100;
    f.plies = 5000;
    const QStringList report = referee::FiguresReport(f);
    EXPECT_TRUE(report.last().startsWith("GNU Backgammon: 87, Компьютер: 13;"))
        << report.last().toStdString();
    EXPECT_TRUE(report.join('\n').contains("mean plies a game: 50.0"));
    EXPECT_TRUE(report.join('\n').contains("GNU Backgammon 3 ms, Компьютер 0.5 ms"));
}

referee::MatchOptions ComputerMatch(const ProgramFolder& folder, int64_t games, int workers) {
    referee::MatchOptions options;
    options.games = games;
    options.seed = 42;
    options.first = {game::ComputerName, 0};
    options.second = {game::ComputerName, 0};
    options.programFolder = QString::fromStdString(folder.Path());
    options.workers = workers;
    return options;
}

// The dice of each game come from the seed and the game's number, so one
// worker and two play the same games; every game is saved.
TEST(Match, GamesFollowTheSeedWhateverTheWorkers) {
    ProgramFolder folder(StandardBoardText());
    QTemporaryDir saved;
    std::atomic<bool> stop{false};
    referee::MatchOptions options = ComputerMatch(folder, 12, 1);
    const referee::MatchFigures one = referee::PlayMatch(options, stop);
    options.workers = 2;
    options.saveDir = saved.path() + "/games";
    const referee::MatchFigures two = referee::PlayMatch(options, stop);

    EXPECT_EQ(one.games, 12);
    EXPECT_EQ(one.first.wins + one.second.wins, 12);
    EXPECT_EQ(two.first.wins, one.first.wins);
    EXPECT_EQ(two.plies, one.plies);
    EXPECT_FALSE(one.first.decisionMs.empty() || one.second.decisionMs.empty());
    const QStringList files = QDir(options.saveDir).entryList({"*.mat"}, QDir::Files);
    EXPECT_EQ(files.size(), 12);
    EXPECT_TRUE(files.contains("game-00001.mat") && files.contains("game-00012.mat"));
}

// An engine that cannot start leaves its turns to the built-in computer, so
// its games go on under its name: the first player is white in even games.
TEST(Match, ColoursAlternateFromGameToGame) {
    qputenv("VERTAN_GNUBG", "/nonexistent/gnubg");
    ProgramFolder folder(StandardBoardText());
    std::atomic<bool> stop{false};
    referee::MatchOptions options = ComputerMatch(folder, 6, 2);
    options.first = {game::EngineName, 0};
    std::map<int64_t, QString> white;
    referee::PlayMatch(options, stop, [&](const referee::MatchGame& game) {
        white[game.index] = game.result.whiteName;
    });
    qunsetenv("VERTAN_GNUBG");
    ASSERT_EQ(white.size(), 6u);
    for (const auto& [index, name] : white)
        EXPECT_EQ(name, index % 2 == 0 ? game::EngineName : game::ComputerName) << "game " << index;
}

// The engine's matches against the built-in computer to length, each
// saved and read back by the rules; the engine is the first player.
struct PlayedMatches {
    referee::MatchFigures figures;
    std::vector<record::MatchRecord> saved;
};
PlayedMatches EngineMatches(int64_t count, int workers, int length) {
    ProgramFolder folder(StandardBoardText());
    QTemporaryDir dir;
    std::atomic<bool> stop{false};
    referee::MatchOptions options = ComputerMatch(folder, count, workers);
    options.first = {game::EngineName, 0};
    options.length = length;
    options.saveDir = dir.path();
    PlayedMatches played{referee::PlayMatch(options, stop), {}};
    for (const QString& name : QDir(dir.path()).entryList({"match-*.txt"}, QDir::Files)) {
        QFile file(QDir(dir.path()).filePath(name));
        QString error;
        const auto m = file.open(QIODevice::ReadOnly)
                           ? record::ReadMatch(QString::fromUtf8(file.readAll()), true, error)
                           : std::nullopt;
        EXPECT_TRUE(m) << name.toStdString() << ": " << error.toStdString();
        if (m)
            played.saved.push_back(*m);
    }
    return played;
}

// With --length each unit is a match to points: the first player keeps its
// place in every game whatever its colour, each match is saved, and the wins
// counted are those its saved score gives.
TEST(Match, MatchesToPointsAreCountedBySavedScores) {
    qputenv("VERTAN_GNUBG", "/nonexistent/gnubg");
    const PlayedMatches played = EngineMatches(4, 2, 3);
    qunsetenv("VERTAN_GNUBG");
    EXPECT_EQ(played.figures.games, 4);
    EXPECT_TRUE(referee::FiguresReport(played.figures).contains("matches to 3: 4"));
    ASSERT_EQ(played.saved.size(), 4u);
    int firstWins = 0;
    for (const record::MatchRecord& m : played.saved) {
        EXPECT_EQ(m.first, game::EngineName);
        for (const record::MatchGame& g : m.games)
            EXPECT_EQ(record::PlayerOf(g.game, g.firstSide), game::EngineName);
        firstWins += m.Winner() > 0;
    }
    EXPECT_EQ(played.figures.first.wins, firstWins);
}

// The engine's seat decides on the cube itself in a headless match: a stand-in
// that doubles whenever it may and drops every double leaves its mark on
// every game that is not the Crawford game.
TEST(Match, TheEnginesOwnCubeDecisionsAreAsked) {
    QTemporaryDir logs;
    qputenv("VERTAN_GNUBG", VERTAN_SOURCE_DIR "/tests/engine/fake_gnubg.py");
    qputenv("FAKE_GNUBG_MODE", "cube");
    qputenv("FAKE_GNUBG_LOG", (logs.path() + "/starts").toUtf8());
    const PlayedMatches played = EngineMatches(2, 1, 3);
    for (const char* name : {"VERTAN_GNUBG", "FAKE_GNUBG_MODE", "FAKE_GNUBG_LOG"})
        qunsetenv(name);
    ASSERT_EQ(played.saved.size(), 2u);
    for (const record::MatchRecord& m : played.saved) {
        for (const record::MatchGame& g : m.games) {
            if (g.crawford)
                continue;
            ASSERT_FALSE(g.cube.empty());
            const proc::Side engine = g.firstSide;
            EXPECT_EQ(g.cube.front().doubler, engine) << "its first double is the engine's";
            for (const record::CubeAction& a : g.cube)
                EXPECT_TRUE(a.doubler == engine || !a.taken) << "the engine drops";
        }
    }
}

// A 5-point match played against the real engine, its cube included, is
// read by GNU Backgammon from our match text and SGF to the same games.
TEST(Match, AMatchAgainstTheEngineReadsBackInGnuBackgammon) {
    if (engine::FindGnubg().isEmpty())
        GTEST_SKIP() << "GNU Backgammon is not installed";
    const PlayedMatches played = EngineMatches(1, 1, 5);
    ASSERT_EQ(played.saved.size(), 1u);
    const record::MatchRecord& m = played.saved[0];
    QTemporaryDir dir;
    QString error;
    QStringList paths;
    for (const char* name : {"match.mat", "match.sgf"}) {
        paths << dir.filePath(name);
        ASSERT_TRUE(record::WriteStored({m.games.front().game, m},
                                        *record::FormatOfPath(paths.last()), paths.last(), error))
            << error.toStdString();
    }
    const auto reached = formats::ImportInGnubg(paths, dir.path());
    ASSERT_EQ(reached.size(), 2u);
    for (const auto& [path, got] : reached) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(got["length"].toInt(), 5);
        const QJsonArray games = got["games"].toArray();
        ASSERT_EQ(games.size(), qsizetype(m.games.size()));
        for (size_t k = 0; k < m.games.size(); ++k) {
            const record::MatchGame& g = m.games[k];
            const QJsonObject read = games[qsizetype(k)].toObject();
            EXPECT_EQ(formats::Text(read["score"]),
                      QStringLiteral("[%1,%2]").arg(g.scoreFirst).arg(g.scoreSecond).toStdString());
            EXPECT_EQ(read["points"].toInt(), g.points) << "game " << k + 1;
            EXPECT_EQ(read["cube"].toInt(), g.FinalCube().value) << "game " << k + 1;
        }
    }
}

TEST(Match, StoppedMatchPlaysNothing) {
    ProgramFolder folder(StandardBoardText());
    std::atomic<bool> stop{true};
    const referee::MatchFigures f = referee::PlayMatch(ComputerMatch(folder, 5, 2), stop);
    EXPECT_EQ(f.games, 0);
}

TEST(Match, RefereeCommandLinePrintsTheFigures) {
    ProgramFolder folder(StandardBoardText());
    QProcess referee;
    referee.start(ProgramDir + "/referee",
                  {"--match", "6", "--first", game::ComputerName, "--second", game::ComputerName,
                   "--seed", "7", "--program-folder", QString::fromStdString(folder.Path())});
    ASSERT_TRUE(referee.waitForFinished(60000));
    EXPECT_EQ(referee.exitCode(), 0) << referee.readAllStandardError().toStdString();
    const QStringList lines =
        QString::fromUtf8(referee.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    const QRegularExpressionMatch m =
        QRegularExpression("^Компьютер: (\\d+), Компьютер: (\\d+);").match(lines.last());
    ASSERT_TRUE(m.hasMatch()) << lines.last().toStdString();
    EXPECT_EQ(m.captured(1).toInt() + m.captured(2).toInt(), 6);
    EXPECT_TRUE(lines.contains("games: 6"));
}

} // namespace
