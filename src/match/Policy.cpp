// The built-in computer's cube policy: rules of thumb on pip counts and the
// score, so that its doubles and takes are easy to explain to a player.
// Shares are compared as whole numbers (lead * 100 against percent * pips)
// so that a boundary such as exactly 8 % is decided without rounding.
#include "match/match.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace match {
namespace {

bool Owns(int32_t count, Side side) {
    return side > 0 ? count > 0 : count < 0;
}

int64_t Pips(const proc::Board& board, Side side) {
    int64_t total = 0;
    for (int32_t k = 1; k <= proc::WhiteBar; ++k) {
        const int32_t count = proc::Cell(board, k);
        if (!Owns(count, side))
            continue;
        const int64_t distance = k > 24 ? 25 : side > 0 ? k : 25 - k;
        total += (count < 0 ? -int64_t{count} : int64_t{count}) * distance;
    }
    return total;
}

bool OnBar(const proc::Board& board, Side side) {
    return Owns(proc::Cell(board, proc::BlackBar), side) ||
           Owns(proc::Cell(board, proc::WhiteBar), side);
}

/*! leader's lead in hundredths of pips minus percent of its own count:
    non-negative when it leads by at least percent, positive when by more. */
int64_t LeadBeyond(const proc::Board& board, Side leader, int64_t percent) {
    const int64_t own = Pips(board, leader);
    const int64_t lead = Pips(board, static_cast<Side>(-leader)) - own;
    return lead * 100 - percent * own;
}

int ScoreOf(const MatchState& state, Side side) {
    return side > 0 ? state.scoreWhite : state.scoreBlack;
}

/*! side at length - 1 once the Crawford game has been played. */
bool OnePointAway(const MatchState& state, Side side) {
    return state.postCrawford && ScoreOf(state, side) == state.length - 1;
}

/*! Whether side's score plus the current cube reaches the length. */
bool CubeWinsMatch(const MatchState& state, Side side) {
    return int64_t{ScoreOf(state, side)} + std::max(state.cube.value, 1) >= state.length;
}

int CheckersOn(const proc::Board& board, Side side) {
    int count = 0;
    for (int32_t k = 1; k <= proc::WhiteBar; ++k)
        if (Owns(proc::Cell(board, k), side))
            count += std::abs(proc::Cell(board, k));
    return count;
}

/*! Whether a checker of side stands in home's home board. */
bool InHome(const proc::Board& board, Side side, Side home) {
    const int32_t low = home > 0 ? 1 : 19;
    for (int32_t k = low; k < low + 6; ++k)
        if (Owns(proc::Cell(board, k), side))
            return true;
    return false;
}

Owner OwnerOf(Side side) {
    return side > 0 ? Owner::White : Owner::Black;
}

} // namespace

int PipCount(const proc::Board& board, Side side) {
    return static_cast<int>(std::min<int64_t>(Pips(board, side), INT_MAX));
}

bool Contact(const proc::Board& board) {
    if (OnBar(board, proc::White) || OnBar(board, proc::Black))
        return true;
    // White moves down to 1 and black up to 24: they have passed each other
    // once white's highest checker is below black's lowest.
    int32_t whiteHighest = 0;
    int32_t blackLowest = 25;
    for (int32_t k = 1; k <= 24; ++k) {
        if (Owns(proc::Cell(board, k), proc::White))
            whiteHighest = k;
        if (Owns(proc::Cell(board, k), proc::Black))
            blackLowest = std::min(blackLowest, k);
    }
    return whiteHighest > blackLowest;
}

bool BuiltInDoubles(const proc::Board& board, Side side, const MatchState& state) {
    if (!MayDouble(state, side) || Winner(board) != 0)
        return false;
    if (OnePointAway(state, side) || CubeWinsMatch(state, side))
        return false;
    const Side other = static_cast<Side>(-side);
    if (OnePointAway(state, other))
        return true;
    if (!Contact(board))
        return LeadBeyond(board, side, state.cube.owner == OwnerOf(side) ? 9 : 8) >= 0;
    return LeadBeyond(board, side, OnBar(board, other) ? 15 : 25) >= 0;
}

bool BuiltInTakes(const proc::Board& board, Side taker, const MatchState& state) {
    if ((taker != proc::White && taker != proc::Black) || Winner(board) != 0)
        return false;
    const Side doubler = static_cast<Side>(-taker);
    if (CubeWinsMatch(state, doubler) || OnePointAway(state, taker))
        return true;
    if (!Contact(board))
        return LeadBeyond(board, doubler, 12) <= 0;
    if (OnBar(board, taker) && LeadBeyond(board, doubler, 20) > 0)
        return false;
    return LeadBeyond(board, doubler, 30) <= 0;
}

} // namespace match

namespace match {

bool BuiltInAccepts(const proc::Board& board, Side side, const Resignation& offer,
                    const MatchState& state) {
    if ((side != proc::White && side != proc::Black) || offer.by != -side ||
        Winner(board) != 0)
        return false;
    const int offered = Points(offer.level, state.cube);
    if (int64_t{ScoreOf(state, side)} + offered >= state.length || LeadBeyond(board, side, 0) <= 0)
        return true;
    const Side loser = offer.by;
    Result threat = Result::Single;
    if (Pips(board, loser) > 0 && CheckersOn(board, loser) >= StandardCheckers)
        threat = OnBar(board, loser) || InHome(board, loser, side) ? Result::Backgammon
                                                                    : Result::Gammon;
    return offer.level >= threat;
}

} // namespace match
