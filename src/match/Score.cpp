// The match score from game to game, and the Crawford rule.
#include "match/match.h"

#include <algorithm>
#include <climits>

namespace match {

MatchState AfterGame(const MatchState& state, Side winner, int points) {
    if ((winner != proc::White && winner != proc::Black) || points < 1 || MatchOver(state))
        return state;
    MatchState next = state;
    int& mine = winner == proc::White ? next.scoreWhite : next.scoreBlack;
    const int other = winner == proc::White ? next.scoreBlack : next.scoreWhite;
    mine = static_cast<int>(std::min<int64_t>(int64_t{mine} + points, INT_MAX));

    // Scores only grow, so while no Crawford game has been played a player
    // reaches length - 1 once at most.
    const int matchPoint = state.length - 1;
    next.crawford =
        !state.crawford && !state.postCrawford && mine == matchPoint && other < matchPoint;
    next.postCrawford = state.postCrawford || state.crawford;
    next.cube = Cube{};
    return next;
}

bool MatchOver(const MatchState& state) {
    return state.scoreWhite >= state.length || state.scoreBlack >= state.length;
}

Side MatchWinner(const MatchState& state) {
    if (!MatchOver(state) || state.scoreWhite == state.scoreBlack)
        return 0;
    return state.scoreWhite > state.scoreBlack ? proc::White : proc::Black;
}

} // namespace match

namespace match {

MatchState ByColour(const MatchState& byPlayer, Side firstSide) {
    MatchState state = byPlayer;
    if (firstSide == proc::Black)
        std::swap(state.scoreWhite, state.scoreBlack);
    return state;
}

} // namespace match
