// Computer-against-computer games with the rules engine alone: the turn
// structure of the referee (doubles give four moves, the remaining-die rule,
// passes), without pauses or a client.
#pragma once

#include "proc/proc.h"

#include <cstdint>
#include <string>

namespace selfplay {

/*! Told what a game does; every method is optional. */
class GameObserver {
  public:
    virtual ~GameObserver() = default;
    /*! The opening roll, whose dice differ; it decides nothing here. */
    virtual void OnOpening(proc::Dice dice) { (void)dice; }
    /*! A roll for side: white's first roll, or the roll of a pass. */
    virtual void OnRoll(proc::Side side, proc::Dice dice) {
        (void)side;
        (void)dice;
    }
    /*! A move chosen from moves[0..count) and applied: before and after the move. */
    virtual void OnMove(const proc::Board& before, const proc::Board& after, proc::Side side,
                        proc::Dice dice, const proc::MoveList& moves, int32_t count,
                        proc::Move chosen) {
        (void)before, (void)after, (void)side, (void)dice, (void)moves, (void)count, (void)chosen;
    }
    /*! Side had no legal move for dice and hands over the turn. */
    virtual void OnPass(proc::Side side, proc::Dice dice) {
        (void)side;
        (void)dice;
    }
};

/*! One game, advanced one step at a time like the referee's timer ticks. */
class SelfPlayGame {
  public:
    /*! Rolls until the dice differ (the opening roll), then gives white a fresh roll. */
    explicit SelfPlayGame(const proc::Board& start, GameObserver* observer = nullptr);

    /*! One step: a pass when the side cannot move, otherwise one chosen move.
        Returns the end-of-game result, 0 while the game goes on. */
    int32_t Step();

    const proc::Board& Board() const { return board_; }
    proc::Dice CurrentDice() const { return dice_; }
    proc::Dice Opening() const { return opening_; }
    proc::Side SideToMove() const { return side_; }
    int32_t MovesPlayed() const { return moves_; }
    int32_t Result() const { return result_; }

  private:
    void ChangePlayer();

    proc::Board board_;
    GameObserver* observer_;
    proc::MoveList list_;
    proc::Dice opening_ = 0;
    proc::Dice dice_ = 0;
    proc::Side side_ = proc::White;
    int step_ = 1;
    int32_t moves_ = 0;
    int32_t result_ = 0;
};

struct GameSummary {
    int32_t result = 0; // CheckGameEnd's value: negative white won, positive black won
    int32_t moves = 0;  // checker moves applied
    int32_t steps = 0;  // steps taken, passes included
    bool finished = false;
};

/*! Steps after which a game that cannot end (no checkers, or both sides shut
    out for good) is given up. */
constexpr int32_t DefaultStepLimit = 100000;

/*! Plays one game to its end, or until stepLimit steps have passed. */
GameSummary PlayGame(const proc::Board& start, GameObserver* observer = nullptr,
                     int32_t stepLimit = DefaultStepLimit);

/*! A reproducible dice clock: a 64-bit mixing generator started from seed. */
proc::DiceClock SeededDiceClock(uint64_t seed);

/*! Command line of the selfplay tool. */
struct Options {
    int64_t games = 1;
    bool seeded = false;
    uint64_t seed = 0;
    std::string board = "Data/Board.cfg";
};

/*! Parses selfplay [--games N] [--seed S] [--board FILE]; false with error set
    on anything else. */
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

/*! "13/8", "bar/22", "5/off": a move as players write it. */
std::string MoveText(proc::Move move);

} // namespace selfplay
