// The doubling cube and resignations: offers that end or raise a game.
#include "match/match.h"

#include <algorithm>

namespace match {
namespace {

bool IsSide(Side side) {
    return side == proc::White || side == proc::Black;
}

Owner OwnerOf(Side side) {
    return side == proc::White ? Owner::White : Owner::Black;
}

} // namespace

bool MayDouble(const MatchState& state, Side side) {
    if (!IsSide(side) || state.length <= 1 || state.crawford || MatchOver(state))
        return false;
    if (state.cube.value >= CubeCap)
        return false;
    return state.cube.owner == Owner::Centre || state.cube.owner == OwnerOf(side);
}

Cube Take(const Cube& cube, Side taker) {
    if (!IsSide(taker))
        return cube;
    const int64_t doubled = int64_t{cube.value} * 2;
    return {static_cast<int>(std::clamp<int64_t>(doubled, 2, CubeCap)), OwnerOf(taker)};
}

GameOutcome Pass(const Cube& cube, Side doubler) {
    if (!IsSide(doubler))
        return {};
    return {doubler, Points(Result::Single, cube)};
}

GameOutcome Accept(const Resignation& offer, const Cube& cube) {
    if (!IsSide(offer.by))
        return {};
    return {static_cast<Side>(-offer.by), Points(offer.level, cube)};
}

} // namespace match
