// Matches to N points with the cube exported as match text and SGF: a match
// worked out by hand written to the letter, the cube's entries placed by a
// table, and a 5-point match of played games imported by GNU Backgammon,
// which must reach our scores, points, cube and final board.
#include "FormatsSupport.h"
#include "RecordedGame.h"
#include "record/ExchangeFormats.h"
#include "record/GameFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace record;
using namespace formats;

namespace {

constexpr proc::Side W = proc::White;
constexpr proc::Side B = proc::Black;
const QDateTime Saved(QDate(2026, 12, 8), QTime(14, 30));
const QString First = QStringLiteral("Анна");
const QString Second = QStringLiteral("Борис");

struct HandTurn {
    proc::Side side;
    int first, second;
    std::vector<proc::Move> moves;
};

// A game from the standard start; the match's first player plays firstSide.
GameRecord HandGame(proc::Side firstSide, const std::vector<HandTurn>& turns) {
    const QString white = firstSide == W ? First : Second;
    const QString black = firstSide == W ? Second : First;
    GameRecord game;
    game.Add(
        StartInfo{StandardStart(), white + " (белые)", black + " (чёрные)", proc::MakeDice(5, 2)});
    game.SetStartTime(Saved);
    for (const HandTurn& t : turns) {
        game.Add(DiceInfo{t.side, proc::MakeDice(t.first, t.second)});
        for (proc::Move m : t.moves)
            game.Add(MoveInfo{t.side, m});
    }
    game.Finish();
    return game;
}

MatchGame Settled(GameRecord game, proc::Side firstSide, std::vector<CubeAction> cube,
                  std::vector<ResignAction> resignations = {}) {
    MatchGame g;
    g.game = std::move(game);
    g.firstSide = firstSide;
    g.cube = std::move(cube);
    g.resignations = std::move(resignations);
    SettleGame(g);
    return g;
}

// The games one after another, each with the score and Crawford mark the rules give it.
MatchRecord Assemble(int length, std::vector<MatchGame> games) {
    MatchRecord m{length, First, Second, {}};
    match::MatchState state{length, 0, 0, false, false, {}};
    for (MatchGame& g : games) {
        g.scoreFirst = state.scoreWhite;
        g.scoreSecond = state.scoreBlack;
        g.crawford = state.crawford;
        if (g.end != GameEnd::Unfinished)
            state = match::AfterGame(state, g.winner == g.firstSide ? W : B, g.points);
        m.games.push_back(std::move(g));
    }
    return m;
}

// hand-match.mat/.sgf, worked out by hand: a 4-point match. Game 1 (Анна
// white): Анна doubles, Борис takes, Борис redoubles, Анна drops. Game 2
// (Анна black, her points mirrored in SGF): Борис doubles before the first
// roll, Анна takes, Борис resigns a gammon after a turn each: 4 points, the match.
MatchRecord HandMatch() {
    const GameRecord one = HandGame(W, {{W, 3, 1, {{8, 5}, {6, 5}}},
                                        {B, 6, 4, {{1, 7}, {12, 16}}},
                                        {W, 5, 2, {{13, 8}, {13, 11}}}});
    const GameRecord two =
        HandGame(B, {{W, 6, 5, {{24, 18}, {18, 13}}}, {B, 2, 1, {{12, 14}, {1, 2}}}});
    return Assemble(4, {Settled(one, W, {{2, W, 2, true}, {3, B, 4, false}}),
                        Settled(two, B, {{0, W, 2, true}}, {{2, W, match::Result::Gammon, true}})});
}

// The first turns of a played game, as if it had stopped there.
GameRecord FirstTurns(const GameRecord& full, int turns) {
    GameRecord cut;
    int rolls = 0;
    for (const Message& message : full.Messages()) {
        if (std::holds_alternative<DiceInfo>(message) && ++rolls > turns)
            break;
        cut.Add(message);
    }
    cut.SetStartTime(full.StartTime());
    cut.Finish();
    return cut;
}

// A computer game with the match's first player on firstSide.
GameRecord Played(uint64_t seed, proc::Side firstSide) {
    return firstSide == W ? selfplay::RecordedGame(StandardStart(), seed, First, Second)
                          : selfplay::RecordedGame(StandardStart(), seed, Second, First);
}

// The first seed whose game white or black wins at that level.
uint64_t SeedWith(proc::Side winner, match::Result level) {
    for (uint64_t seed = 1; seed < 500; ++seed) {
        const GameRecord game = Played(seed, W);
        if (game.Winner() == winner &&
            match::GameResult(game.Board(), match::StandardCheckers) == level)
            return seed;
    }
    ADD_FAILURE() << "no such game";
    return 1;
}

QStringList MoveLines(const QString& mat) {
    QStringList lines = mat.split('\n');
    return lines.mid(6, lines.size() - 7); // after " Game 1" and the scores, before the end
}

} // namespace

// The hand-made match written to the letter in each format, read back from
// the archive's text by the rules first (so it is one the referee could have
// played). The board client, which shows one game, opens the match's first;
// a damaged match says which line.
TEST(MatchFormats, HandMatchWrittenToTheLetter) {
    const MatchRecord hand = HandMatch();
    const QString text = MatchText(hand, Saved);
    QString error;
    const auto stored = ReadStored(text, error);
    ASSERT_TRUE(stored && stored->match) << error.toStdString();
    EXPECT_EQ(stored->game.Board(), hand.games[0].game.Board());
    // clang-format off
    for (const auto& [format, file] : {std::pair{GameFormat::Record, text},
                                       {GameFormat::Mat, StoredText("hand-match.mat")},
                                       {GameFormat::Sgf, StoredText("hand-match.sgf")}})
        EXPECT_EQ(StoredFileText(*stored, format, error).toStdString(), file.toStdString());
    // clang-format on

    QTemporaryDir dir;
    const QString path = dir.filePath("match.txt");
    ASSERT_TRUE(SaveStored(*stored, path, error)) << error.toStdString();
    QString note = QStringLiteral("left over");
    const auto opened = OpenGame(path, error, &note);
    ASSERT_TRUE(opened) << error.toStdString();
    EXPECT_EQ(opened->Board(), hand.games[0].game.Board());
    EXPECT_EQ(opened->PlayedTurns().size(), 3u);
    // The same note as a foreign match file's: only its first game is shown.
    EXPECT_EQ(note, QStringLiteral("Партий в файле: %1. Показана только первая.")
                        .arg(hand.games.size()));

    QString damaged = text;
    damaged.replace("удваивают до 4", "удваивают до 3");
    EXPECT_FALSE(ReadStored(damaged, error));
    EXPECT_TRUE(error.startsWith("строка ")) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged.toUtf8());
    file.close();
    EXPECT_FALSE(OpenGame(path, error));
}

// One white turn and one black (3-1: 8/5 6/5, 6-4: 24/18 13/9) with the
// cube's entries between them: in the column of the player who makes them,
// the match's first player on the left, white first (SGF: the first player
// is W, mirrored when black). The points won end the game in the winner's
// column, beside a pass made on the left.
TEST(MatchFormats, CubeEntriesInTheirColumns) {
    using R = match::Result;
    const struct {
        proc::Side first;
        std::vector<CubeAction> cube;
        std::vector<ResignAction> resign;
        QStringList mat;
        const char* sgf;
    } cases[] = {
        // clang-format off
        {W, {{2, W, 2, false}}, {},
         {"  1) 31: 8/5 6/5                  64: 24/18 13/9",
          "  2)  Doubles => 2                 Drops",
          "      Wins 1 point"},
         "RE[W+1] W[31hefe] B[64aglp] W[double] B[drop]"},
        {B, {{1, B, 2, true}}, {},
         {"  1)                              31: 8/5 6/5",
          "  2)  Doubles => 2                 Takes",
          "  3) 64: 24/18 13/9               "},
         "B[31qtst] W[double] B[take] W[64xrmi]"},
        {W, {{0, W, 2, true}, {1, B, 4, true}, {2, W, 8, false}}, {},
         {"  1)  Doubles => 2                 Takes",
          "  2) 31: 8/5 6/5                   Doubles => 4",
          "  3)  Takes                       64: 24/18 13/9",
          "  4)  Doubles => 8                 Drops",
          "      Wins 4 points"},
         "RE[W+4] W[double] B[take] W[31hefe] B[double] W[take] B[64aglp] W[double] B[drop]"},
        {B, {{2, W, 2, false}}, {},
         {"  1)                              31: 8/5 6/5",
          "  2) 64: 24/18 13/9                Doubles => 2",
          "  3)  Drops                        Wins 1 point"},
         "RE[B+1] B[31qtst] W[64xrmi] B[double] W[drop]"},
        {W, {}, {{1, B, R::Gammon, false}, {2, W, R::Single, true}},
         {"  1) 31: 8/5 6/5                  64: 24/18 13/9",
          "                                  Wins 1 point"},
         "RE[B+1R] W[31hefe] B[64aglp]"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const GameRecord game =
            HandGame(c.first, {{W, 3, 1, {{8, 5}, {6, 5}}}, {B, 6, 4, {{1, 7}, {12, 16}}}});
        const MatchRecord m = Assemble(5, {Settled(game, c.first, c.cube, c.resign)});
        SCOPED_TRACE(c.sgf);
        EXPECT_EQ(MoveLines(MatchMatText(m, Saved)).join('\n').toStdString(),
                  c.mat.join('\n').toStdString());
        // The SGF's result and its nodes after the set-up.
        const QString sgf = MatchSgfText(m, Saved);
        QStringList nodes = sgf.split('\n').mid(2);
        const qsizetype result = sgf.indexOf("RE[");
        if (result > 0)
            nodes.prepend(sgf.mid(result, sgf.indexOf(']', result) - result + 1));
        EXPECT_EQ(nodes.join(' ').remove(';').remove(")").trimmed().toStdString(), c.sgf);
    }
}

TEST(MatchFormats, GnuBackgammonReachesOurScoresCubeAndBoard) {
    using R = match::Result;
    // A 5-point match: a pass (game 1), a take and a gammon at the cube of 2
    // (2), the Crawford game (3), a double and a redouble taken and a
    // resignation (4).
    const proc::Side gammonWinner = B;
    const MatchRecord played =
        Assemble(5, {Settled(FirstTurns(Played(1, W), 3), W, {{3, B, 2, false}}),
                     Settled(Played(SeedWith(gammonWinner, R::Gammon), B), B, {{2, W, 2, true}}),
                     Settled(Played(SeedWith(W, R::Single), B), B, {}),
                     Settled(FirstTurns(Played(2, W), 9), W, {{3, B, 2, true}, {6, W, 4, true}},
                             {{9, B, R::Single, true}})});
    QString error;
    ASSERT_TRUE(ReadMatch(MatchText(played, Saved), true, error)) << error.toStdString();
    ASSERT_EQ(played.Score(), std::make_pair(8, 2));
    ASSERT_TRUE(played.games[2].crawford);
    ASSERT_EQ(played.games[1].level, R::Gammon);

    QTemporaryDir dir;
    const struct {
        MatchRecord match;
        QString path;
    } files[] = {{played, dir.filePath("match.mat")},
                 {played, dir.filePath("match.sgf")},
                 {HandMatch(), Stored("hand-match.mat")},
                 {HandMatch(), Stored("hand-match.sgf")}};
    QStringList paths;
    for (const auto& file : files) {
        paths << file.path;
        if (file.path.startsWith(dir.path())) {
            ASSERT_TRUE(WriteStored({file.match.games.front().game, file.match},
                                    *FormatOfPath(file.path), file.path, error))
                << error.toStdString();
        }
    }
    std::map<QString, QJsonObject> reached = ImportInGnubg(paths, dir.path());
    ASSERT_EQ(reached.size(), std::size(files));
    for (const auto& file : files) {
        SCOPED_TRACE(file.path.toStdString());
        const QJsonObject& got = reached[file.path];
        const MatchRecord& m = file.match;
        // The match's first player is GNU Backgammon's X in every game.
        EXPECT_EQ(Text(got["X"]), m.first.toStdString());
        EXPECT_EQ(Text(got["O"]), m.second.toStdString());
        EXPECT_EQ(got["length"].toInt(), m.length);
        const QJsonArray games = got["games"].toArray();
        ASSERT_EQ(games.size(), qsizetype(m.games.size()));
        for (size_t k = 0; k < m.games.size(); ++k) {
            SCOPED_TRACE(k + 1);
            const MatchGame& g = m.games[k];
            const QJsonObject read = games[qsizetype(k)].toObject();
            EXPECT_EQ(Text(read["score"]),
                      QStringLiteral("[%1,%2]").arg(g.scoreFirst).arg(g.scoreSecond).toStdString());
            EXPECT_EQ(read["crawford"].toBool(), g.crawford);
            EXPECT_EQ(Text(read["winner"]), g.winner == g.firstSide ? "X" : "O");
            EXPECT_EQ(read["points"].toInt(), g.points);
            EXPECT_EQ(read["resigned"].toBool(), g.end == GameEnd::Resign);
            EXPECT_EQ(read["cube"].toInt(), g.FinalCube().value);
        }
        const MatchGame& last = m.games.back();
        EXPECT_EQ(Text(got["boardX"]), Text(OwnView(last.game.Board(), last.firstSide)));
        EXPECT_EQ(Text(got["boardO"]),
                  Text(OwnView(last.game.Board(), static_cast<proc::Side>(-last.firstSide))));
    }
}
