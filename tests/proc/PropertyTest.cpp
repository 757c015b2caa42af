// Invariants over many positions reached by seeded self-play, and a
// comparison of the generator with a reference built from the rules as
// predicates (which moves are legal, not in which order they are found).
#include "Positions.h"
#include "SelfPlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace proc;

namespace {

bool Own(int32_t c, Side s) {
    return s > 0 ? c > 0 : c < 0;
}
bool Closed(int32_t c, Side s) {
    return s > 0 ? c <= -2 : c >= 2;
}
int32_t PipsToGo(int32_t point, Side s) {
    return s > 0 ? point : 25 - point;
}

std::vector<Move> ReferenceMoves(const Board& b, Dice dice, Side s) {
    std::vector<Move> out;
    const int32_t dice2[2] = {FirstDie(dice), SecondDie(dice)};
    const int32_t bar = s > 0 ? WhiteBar : BlackBar;
    if (Own(Cell(b, bar), s) || Own(Cell(b, WhiteBar + BlackBar - bar), s)) {
        for (int32_t d : dice2) {
            int32_t entry = s > 0 ? 25 - d : d;
            if (!Closed(Cell(b, entry), s))
                out.push_back({bar, entry});
        }
        return out;
    }
    int32_t farthest = 0; // pips of the side's rearmost checker
    for (int32_t p = 1; p <= 24; ++p) {
        if (!Own(Cell(b, p), s))
            continue;
        farthest = std::max(farthest, PipsToGo(p, s));
        for (int32_t d : dice2) {
            int32_t t = p - s * d;
            if (t >= 1 && t <= 24 && !Closed(Cell(b, t), s))
                out.push_back({p, t});
        }
    }
    if (farthest > 6 || farthest == 0)
        return out;
    for (int32_t d : dice2) {
        for (int32_t p = 1; p <= 24; ++p) {
            if (!Own(Cell(b, p), s))
                continue;
            const int32_t pips = PipsToGo(p, s);
            if (pips == d || (pips == farthest && farthest < d))
                out.push_back({p, BearOff});
        }
    }
    return out;
}

bool Less(const Move& a, const Move& b) {
    return a.from != b.from ? a.from < b.from : a.to < b.to;
}

// Checks every move of a game against the rules' invariants.
class Checker : public selfplay::GameObserver {
  public:
    void OnMove(const Board& before, const Board& after, Side side, Dice dice,
                const MoveList& moves, int32_t count, Move chosen) override {
        ++movesSeen;
        const std::vector<Move> listed(moves.begin(), moves.begin() + count);
        ASSERT_NE(std::find(listed.begin(), listed.end(), chosen), listed.end()) << chosen;

        std::vector<Move> reference = ReferenceMoves(before, dice, side);
        std::vector<Move> sorted = listed;
        std::sort(sorted.begin(), sorted.end(), Less);
        std::sort(reference.begin(), reference.end(), Less);
        ASSERT_EQ(sorted, reference);

        for (size_t i = 0; i < listed.size(); ++i) {
            const Move m = listed[i];
            ASSERT_TRUE(Own(Cell(before, m.from), side)) << m;
            if (m.to != BearOff) {
                ASSERT_FALSE(Closed(Cell(before, m.to), side)) << m;
            }
            if (FirstDie(dice) == SecondDie(dice) && i % 2 == 1) {
                ASSERT_EQ(m, listed[i - 1]);
            }
            if (i > 0 && m.to != BearOff) {
                ASSERT_TRUE(listed[i - 1].to != BearOff && listed[i - 1].from <= m.from);
            }
        }

        const Side other = static_cast<Side>(-side);
        const bool bearOff = chosen.to == BearOff;
        ASSERT_EQ(proctest::Checkers(after, side), proctest::Checkers(before, side) - bearOff);
        ASSERT_EQ(proctest::Checkers(after, other), proctest::Checkers(before, other));
        const int32_t otherBar = other > 0 ? WhiteBar : BlackBar;
        const bool hit = !bearOff && Cell(before, chosen.to) == other;
        const int32_t barGain = other * (Cell(after, otherBar) - Cell(before, otherBar));
        ASSERT_EQ(barGain, hit ? 1 : 0) << chosen;
        if (!bearOff) {
            ASSERT_TRUE(Own(Cell(after, chosen.to), side));
        }
        hits += hit;
        bearOffs += bearOff;
        entries += chosen.from > 24;
    }
    void OnPass(Side, Dice) override { ++passes; }

    int64_t movesSeen = 0, hits = 0, bearOffs = 0, entries = 0, passes = 0;
};

TEST(SelfPlayProperties, InvariantsHoldOverManyGames) {
    Board start;
    LoadBoard(start, VERTAN_SOURCE_DIR "/data");
    SetDiceClock(selfplay::SeededDiceClock(20261207));
    Checker checker;
    int finished = 0;
    for (int game = 0; game < 300 && !::testing::Test::HasFatalFailure(); ++game) {
        selfplay::GameSummary s = selfplay::PlayGame(start, &checker);
        finished += s.finished;
        if (s.finished) {
            ASSERT_NE(s.result, 0);
            ASSERT_LE(std::abs(s.result), 15);
        }
    }
    SetDiceClock({});
    EXPECT_EQ(finished, 300);
    // The games must have reached every kind of move for the checks to mean much.
    EXPECT_GT(checker.movesSeen, 300 * 50);
    EXPECT_GT(checker.hits, 100);
    EXPECT_GT(checker.entries, 100);
    EXPECT_GT(checker.bearOffs, 300 * 10);
    EXPECT_GT(checker.passes, 10);
}

TEST(GeneratorReference, RandomPositions) {
    std::mt19937 rng(7);
    auto die = [&rng] { return static_cast<int>(rng() % 6) + 1; };
    for (int i = 0; i < 20000; ++i) {
        Board b{};
        // Sparse boards of both colours, often all home, sometimes on the bar.
        const bool home = rng() % 2 == 0;
        for (int32_t p = 1; p <= 24; ++p) {
            if (rng() % 3 != 0)
                continue;
            int32_t count = static_cast<int32_t>(rng() % 3) + 1;
            bool white = rng() % 2 == 0;
            if (home && white && p > 6)
                white = false;
            if (home && !white && p < 19)
                white = true;
            Cell(b, p) = white ? count : -count;
        }
        if (rng() % 5 == 0)
            Cell(b, WhiteBar) = static_cast<int32_t>(rng() % 2) + 1;
        if (rng() % 5 == 0)
            Cell(b, BlackBar) = -static_cast<int32_t>(rng() % 2) - 1;
        const Dice dice = MakeDice(die(), die());
        for (Side side : {White, Black}) {
            std::vector<Move> listed = proctest::List(b, dice, side);
            std::vector<Move> reference = ReferenceMoves(b, dice, side);
            std::sort(listed.begin(), listed.end(), Less);
            std::sort(reference.begin(), reference.end(), Less);
            ASSERT_EQ(listed, reference) << "position " << i << " side " << int{side};
        }
    }
}

} // namespace
