// Games exported as match text and SGF: games worked out by hand written to
// the letter, and every exported game imported by GNU Backgammon, a program
// we did not write, which must reach our final board, with the players' names
// and the winner.
#include "FormatsSupport.h"
#include "RecordedGame.h"
#include "record/ExchangeFormats.h"
#include "record/GameFile.h"
#include "record/RecordText.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace record;
using namespace formats;

namespace {

const QDateTime Saved(QDate(2026, 12, 8), QTime(14, 30));

struct Coverage {
    int hits = 0, entries = 0, doubles = 0, passes = 0, bearOffs = 0;
    void Count(const GameRecord& game) {
        for (const Turn* turn : game.PlayedTurns()) {
            doubles += proc::FirstDie(turn->dice) == proc::SecondDie(turn->dice);
            passes += turn->passed;
            for (const ShownMove& m : turn->moves) {
                hits += m.hit;
                entries += m.move.from == proc::WhiteBar || m.move.from == proc::BlackBar;
                bearOffs += m.move.to == proc::BearOff;
            }
        }
    }
};

} // namespace

// Two games worked out by hand, each file checked by hand against its format.
// hand-game.txt, from the standard start: a hit (turn 3), a pass on the bar
// (4), an entry (6), doubles, rolls recorded lower die first, bearing off to
// the end. bar-start.txt starts with two of white's checkers on the bar and
// one of black's. Match text: each roll its higher die first ("21" for 1-2),
// the moves from the mover's side as GNU Backgammon writes them (25 the bar,
// 0 off, "*" a hit, a double's four moves one by one), a pass the roll alone,
// white's turn and then black's on a line, the winner under its column. SGF:
// the start set up with AE[a:y] and AW/AB, a..x the board's points from
// white's 1, "y" the side's own bar, a move its roll as rolled and then each
// checker's from and to ("z" off).
TEST(ExchangeFormats, HandBuiltGamesWrittenToTheLetter) {
    const GameRecord hand = StoredGame("hand-game.txt");
    const GameRecord bars = StoredGame("bar-start.txt");
    const struct {
        const char* file;
        QString written;
    } cases[] = {
        {"hand-game.txt", RecordText(hand, Saved)}, {"hand-game.mat", MatText(hand, Saved)},
        {"hand-game.sgf", SgfText(hand, Saved)},    {"bar-start.txt", RecordText(bars, Saved)},
        {"bar-start.sgf", SgfText(bars, Saved)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.written.toStdString(), StoredText(c.file).toStdString()) << c.file;
}

TEST(ExchangeFormats, GnuBackgammonReachesOurFinalBoard) {
    QTemporaryDir dir;
    struct Exported {
        GameRecord game;
        QString path;
    };
    std::vector<Exported> files;
    Coverage coverage;
    // Names of the kinds the registration admits, SGF's closing bracket included.
    // (GNU Backgammon 1.07 keeps the escape of a backslash in a name.)
    const QString white = QStringLiteral("Анна");
    const QString black = QStringLiteral("Kot_[Б]^");
    for (uint64_t seed = 1; seed <= 8; ++seed) {
        const bool standard = seed <= 5;
        const GameRecord game =
            selfplay::RecordedGame(standard ? StandardStart() : OddStart(), seed, white, black);
        ASSERT_TRUE(game.Winner()) << seed;
        coverage.Count(game);
        for (const char* suffix : {".mat", ".sgf"}) {
            const QString path = dir.filePath(QStringLiteral("game%1%2").arg(seed).arg(suffix));
            QString error;
            // Match text cannot hold another start: it says why instead.
            const bool written = SaveGame(game, path, error);
            EXPECT_EQ(written, standard || QString(suffix) == ".sgf") << error.toStdString();
            if (written) {
                files.push_back({game, path});
            }
        }
    }
    // The copies checked by hand, judged too.
    for (const auto& [exported, game] : {std::pair{"hand-game.mat", "hand-game.txt"},
                                         {"hand-game.sgf", "hand-game.txt"},
                                         {"bar-start.sgf", "bar-start.txt"}})
        files.push_back({StoredGame(game), Stored(exported)});
    EXPECT_GT(coverage.hits, 0);
    EXPECT_GT(coverage.entries, 0);
    EXPECT_GT(coverage.doubles, 0);
    EXPECT_GT(coverage.passes, 0);
    EXPECT_GT(coverage.bearOffs, 0);

    QStringList paths;
    for (const Exported& file : files) {
        paths << file.path;
    }
    std::map<QString, QJsonObject> reached = ImportInGnubg(paths, dir.path());
    ASSERT_EQ(reached.size(), files.size());
    for (const Exported& file : files) {
        SCOPED_TRACE(file.path.toStdString());
        const QJsonObject& got = reached[file.path];
        // White moves first: GNU Backgammon's first player, X.
        EXPECT_EQ(Text(got["X"]), PlayerOf(file.game, proc::White).toStdString());
        EXPECT_EQ(Text(got["O"]), PlayerOf(file.game, proc::Black).toStdString());
        const auto winner = file.game.Winner();
        EXPECT_EQ(Text(got["winner"]), !winner ? "" : *winner == proc::White ? "X" : "O");
        EXPECT_EQ(Text(got["boardX"]), Text(OwnView(file.game.Board(), proc::White)));
        EXPECT_EQ(Text(got["boardO"]), Text(OwnView(file.game.Board(), proc::Black)));
    }
}
