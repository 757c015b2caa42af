#include "SelfPlay.h"

#include <charconv>
#include <cstring>

namespace selfplay {

namespace {

// An opening roll with a clock that never changes would be a double forever.
constexpr int OpeningRollLimit = 1000;

} // namespace

SelfPlayGame::SelfPlayGame(const proc::Board& start, GameObserver* observer)
    : board_(start), observer_(observer) {
    for (int i = 0; i < OpeningRollLimit; ++i) {
        opening_ = proc::RollDice();
        if (proc::FirstDie(opening_) != proc::SecondDie(opening_))
            break;
    }
    if (observer_)
        observer_->OnOpening(opening_);
    dice_ = proc::RollDice();
    if (observer_)
        observer_->OnRoll(side_, dice_);
}

void SelfPlayGame::ChangePlayer() {
    side_ = static_cast<proc::Side>(-side_);
    step_ = 1;
    dice_ = proc::RollDice();
    if (observer_)
        observer_->OnRoll(side_, dice_);
}

int32_t SelfPlayGame::Step() {
    const int32_t count = proc::ListMoves(board_, dice_, side_, list_);
    if (count == 0) {
        if (observer_)
            observer_->OnPass(side_, dice_);
        ChangePlayer();
    } else {
        proc::Move move = list_[0];
        proc::ChooseMove(board_, list_, count, move);
        const proc::Board before = board_;
        proc::ApplyMove(board_, side_, move);
        ++moves_;
        if (observer_)
            observer_->OnMove(before, board_, side_, dice_, list_, count, move);
        switch (step_) {
        case 1:
            if (proc::FirstDie(dice_) == proc::SecondDie(dice_)) {
                step_ = 2;
            } else {
                step_ = 4;
                dice_ = proc::RemainingDice(move, dice_);
            }
            break;
        case 2:
        case 3:
            ++step_;
            break;
        default:
            ChangePlayer();
            break;
        }
    }
    result_ = proc::CheckGameEnd(board_);
    return result_;
}

GameSummary PlayGame(const proc::Board& start, GameObserver* observer, int32_t stepLimit) {
    SelfPlayGame game(start, observer);
    GameSummary summary;
    while (summary.steps < stepLimit) {
        ++summary.steps;
        if (game.Step() != 0) {
            summary.finished = true;
            break;
        }
    }
    summary.result = game.Result();
    summary.moves = game.MovesPlayed();
    return summary;
}

proc::DiceClock SeededDiceClock(uint64_t seed) {
    return [state = seed]() mutable {
        // splitmix64
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
    };
}

namespace {

template <typename T> bool ParseNumber(const char* text, T& value) {
    const char* end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && ptr != text;
}

} // namespace

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg != "--games" && arg != "--seed" && arg != "--board") {
            error = "unknown argument: " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (arg == "--games") {
            if (!ParseNumber(value, options.games) || options.games < 1) {
                error = std::string("--games needs a positive whole number, not ") + value;
                return false;
            }
        } else if (arg == "--seed") {
            if (!ParseNumber(value, options.seed)) {
                error = std::string("--seed needs a whole number from 0, not ") + value;
                return false;
            }
            options.seeded = true;
        } else {
            options.board = value;
        }
    }
    return true;
}

std::string MoveText(proc::Move move) {
    std::string from = move.from > 24 ? "bar" : std::to_string(move.from);
    std::string to = move.to == proc::BearOff ? "off" : std::to_string(move.to);
    return from + "/" + to;
}

} // namespace selfplay
