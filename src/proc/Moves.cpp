// Legal single-checker moves, their application and the end-of-game test.
// Ownership is tested by sign rather than by multiplying with the side, so
// any 32-bit counts a board file holds are safe.
#include "proc/proc.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace proc {
namespace {

int32_t Wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

} // namespace

int32_t CheckGameEnd(const Board& board) {
    int64_t pos = 0;
    int64_t neg = 0;
    for (int32_t count : board) {
        if (count > 0)
            pos += count;
        else
            neg += count;
    }
    if (pos == 0 || neg == 0)
        return Wrap(pos + neg);
    return 0;
}

namespace {

bool ValidDie(int32_t d) {
    return d >= 1 && d <= 6;
}

// Point k is bit k + Shift of a mask, so a target up to six points beyond
// either edge is still a bit inside the word, and always a clear one.
constexpr int Shift = 8;
constexpr uint64_t Bit(int32_t k) {
    return uint64_t{1} << (k + Shift);
}
constexpr uint64_t Points(int32_t first, int32_t last) {
    return first > last ? 0 : (Bit(last) << 1) - Bit(first);
}
constexpr uint64_t WhiteOutside = Points(7, 24);
constexpr uint64_t BlackOutside = Points(1, 18);

int32_t PointOf(uint64_t mask) {
    return std::countr_zero(mask) - Shift;
}
int32_t HighestPointOf(uint64_t mask) {
    return 63 - std::countl_zero(mask) - Shift;
}

// Eight bytes of 0 or 1 packed into eight bits, byte i to bit i.
uint64_t PackBytes(const uint8_t* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return (word * 0x0102040810204080ull) >> 56;
}

// Points holding the side's checkers, and points it may land on (empty, its
// own, or one opposing checker to hit).
template <bool White> void Masks(const Board& board, uint64_t& own, uint64_t& open) {
    if constexpr (std::endian::native == std::endian::little) {
        // Compares into bytes vectorise; the bytes are then packed eight at a time.
        alignas(8) uint8_t ownBytes[24];
        alignas(8) uint8_t openBytes[24];
        for (size_t i = 0; i < 24; ++i) {
            const int32_t c = board[i];
            ownBytes[i] = White ? c > 0 : c < 0;
            openBytes[i] = White ? c >= -1 : c <= 1;
        }
        own = 0;
        open = 0;
        for (size_t i = 0; i < 24; i += 8) {
            own |= PackBytes(ownBytes + i) << i;
            open |= PackBytes(openBytes + i) << i;
        }
        own <<= 1 + Shift;
        open <<= 1 + Shift;
    } else {
        own = 0;
        open = 0;
        for (int32_t k = 1; k <= 24; ++k) {
            const int32_t c = board[static_cast<size_t>(k - 1)];
            own |= uint64_t{White ? c > 0 : c < 0} << (k + Shift);
            open |= uint64_t{White ? c >= -1 : c <= 1} << (k + Shift);
        }
    }
}

template <bool White>
int32_t ListFor(const Board& board, const int32_t (&dice)[2], MoveList& moves) {
    uint64_t own, open;
    Masks<White>(board, own, open);
    const bool valid[2] = {ValidDie(dice[0]), ValidDie(dice[1])};
    int32_t n = 0;
    // Candidates are written unconditionally into a scratch list and kept
    // when legal: no branch on the position inside the loop.
    Move scratch[50];
    for (uint64_t rest = own; rest != 0; rest &= rest - 1) {
        const int32_t p = PointOf(rest);
        for (int i = 0; i < 2; ++i) {
            const int32_t t = White ? p - dice[i] : p + dice[i];
            scratch[n] = {p, t};
            n += valid[i] & static_cast<int>((open >> ((t + Shift) & 63)) & 1);
        }
    }
    std::copy(scratch, scratch + n, moves.begin());
    if ((own & (White ? WhiteOutside : BlackOutside)) != 0)
        return n;

    for (int32_t d : dice) {
        if (!ValidDie(d))
            continue;
        const int32_t exact = White ? d : 25 - d;
        if (own & Bit(exact)) {
            moves[static_cast<size_t>(n++)] = {exact, BearOff};
            continue;
        }
        // A higher die bears off the rearmost checker when none stands farther.
        if (White) {
            if ((own & Points(d, 6)) == 0 && (own & Points(1, d - 1)) != 0)
                moves[static_cast<size_t>(n++)] = {HighestPointOf(own & Points(1, d - 1)), BearOff};
        } else {
            if ((own & Points(19, 25 - d)) == 0 && (own & Points(26 - d, 24)) != 0)
                moves[static_cast<size_t>(n++)] = {PointOf(own & Points(26 - d, 24)), BearOff};
        }
    }
    return n;
}

} // namespace

int32_t ListMoves(Board board, Dice dice, Side side, MoveList& moves) {
    const int32_t dieList[2] = {FirstDie(dice), SecondDie(dice)};
    const bool white = side > 0;

    // A side is on the bar when either bar cell shows its colour.
    const int32_t blackBar = Cell(board, BlackBar);
    const int32_t whiteBar = Cell(board, WhiteBar);
    if (white ? (blackBar > 0 || whiteBar > 0) : (blackBar < 0 || whiteBar < 0)) {
        int32_t n = 0;
        for (int32_t d : dieList) {
            if (!ValidDie(d))
                continue;
            if (white) {
                if (Cell(board, 25 - d) >= -1)
                    moves[static_cast<size_t>(n++)] = {WhiteBar, 25 - d};
            } else if (Cell(board, d) <= 1) {
                moves[static_cast<size_t>(n++)] = {BlackBar, d};
            }
        }
        return n;
    }
    return white ? ListFor<true>(board, dieList, moves) : ListFor<false>(board, dieList, moves);
}

void ApplyMove(Board& board, Side side, Move move) {
    // A move from a cell the board does not have, or onto anything but a point
    // or off the board, is ignored.
    if (move.from < 1 || move.from > 26 || move.to < 1 || (move.to > 24 && move.to != BearOff))
        return;
    int32_t& from = Cell(board, move.from);
    if (move.to == BearOff) {
        from = Wrap(int64_t{from} - side);
        return;
    }
    int32_t& to = Cell(board, move.to);
    if ((from > 0 && to < 0) || (from < 0 && to > 0)) {
        if (to < 0)
            Cell(board, BlackBar) = Wrap(int64_t{Cell(board, BlackBar)} - 1);
        else
            Cell(board, WhiteBar) = Wrap(int64_t{Cell(board, WhiteBar)} + 1);
        to = 0;
    }
    from = Wrap(int64_t{from} - side);
    to = Wrap(int64_t{to} + side);
}

bool UsesFirstDie(Move move, Dice dice) {
    const int32_t a = FirstDie(dice);
    const int32_t b = SecondDie(dice);
    if (move.to == BearOff) {
        const int32_t d = move.from <= 12 ? move.from : 25 - move.from;
        if (a == d)
            return true;
        if (b == d)
            return false;
        const int32_t small = a < b ? a : b;
        const int32_t large = a < b ? b : a;
        return a == (small < d ? large : small);
    }
    int32_t distance;
    if (move.from == BlackBar)
        distance = move.to;
    else if (move.from == WhiteBar)
        distance = 25 - move.to;
    else
        distance = std::abs(move.to - move.from);
    return distance == a;
}

Dice RemainingDice(Move move, Dice dice) {
    if (UsesFirstDie(move, dice))
        return MakeDice(SecondDie(dice), SecondDie(dice));
    return MakeDice(FirstDie(dice), FirstDie(dice));
}

} // namespace proc
