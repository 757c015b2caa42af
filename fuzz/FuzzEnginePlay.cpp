// An engine's answer on any bytes, against a board and roll made of the first
// bytes: writing the board line, reading the play and finding its single
// moves never fail, and the moves found are ones the rules engine lists in
// turn, no more than the roll plays, written back as a play that reads again.
#include "engine/EnginePlay.h"
#include "engine/FibsBoard.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace {

bool Listed(const proc::Board& board, proc::Dice dice, proc::Side side, proc::Move move) {
    proc::MoveList list;
    const int32_t n = proc::ListMoves(board, dice, side, list);
    for (int32_t i = 0; i < n; ++i)
        if (list[static_cast<size_t>(i)] == move)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Roll and side, then one signed byte a cell; the rest is the answer.
    constexpr size_t Head = 2 + 26;
    if (size < Head)
        return 0;
    const proc::Side side = (data[0] & 0x80) != 0 ? proc::Black : proc::White;
    const proc::Dice dice = proc::MakeDice(data[0] % 7, data[1] % 7);
    proc::Board board{};
    for (size_t k = 0; k < board.size(); ++k)
        board[k] = static_cast<int8_t>(data[2 + k]);
    // Now and then a cell as wide as a board file may hold.
    if ((data[1] & 0x80) != 0)
        board[data[1] % board.size()] = (data[1] & 0x40) != 0 ? std::numeric_limits<int32_t>::min()
                                                              : std::numeric_limits<int32_t>::max();
    const std::string_view answer(reinterpret_cast<const char*>(data + Head), size - Head);

    if (engine::FibsBoardText(board, side, dice).empty())
        std::abort();
    engine::EngineCanRead(board);
    const auto hops = engine::ParsePlay(answer);
    if (!hops)
        return 0;
    if (hops->size() > 4)
        std::abort();
    const auto steps = engine::TurnSteps(board, side, dice, *hops);
    if (!steps)
        return 0;
    const bool isDouble = proc::FirstDie(dice) == proc::SecondDie(dice);
    if (steps->size() > (isDouble ? 4u : 2u))
        std::abort();
    proc::Board now = board;
    proc::Dice left = dice;
    for (size_t i = 0; i < steps->size(); ++i) {
        const proc::Move move = (*steps)[i];
        if (!Listed(now, left, side, move))
            std::abort();
        if (i == 0 && !isDouble)
            left = proc::RemainingDice(move, left);
        proc::ApplyMove(now, side, move);
    }
    if (!engine::ParsePlay(engine::PlayText(*steps, side)))
        std::abort();
    return 0;
}
