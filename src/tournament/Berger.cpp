#include "tournament/tournament.h"

namespace tournament {

int BergerRounds(int players) {
    if (players < 2)
        return 0;
    return players % 2 == 0 ? players - 1 : players;
}

std::vector<Game> BergerSchedule(int players) {
    std::vector<Game> games;
    if (players < 2)
        return games;
    // With an odd count a missing player m makes the tables even; who meets
    // him has the round off.
    const int m = players % 2 == 0 ? players : players + 1;
    const int ring = m - 1; // players 1..m-1 turn around the fixed player m
    auto wrap = [ring](int x) { return ((x - 1) % ring + ring) % ring + 1; };
    auto add = [&](int round, int first, int second) {
        Game game;
        game.round = round;
        if (first > players || second > players) {
            // The bye's player is named first, and wins it.
            game.first = (first > players ? second : first) - 1;
            game.winner = game.first;
        } else {
            game.first = first - 1;
            game.second = second - 1;
        }
        games.push_back(game);
    };
    for (int round = 1; round <= ring; ++round) {
        // The fixed player alternates between second (odd rounds) and first
        // name on the top board; the other boards run outwards from there.
        const int top = round % 2 == 1 ? (round + 1) / 2 : round / 2 + m / 2;
        if (round % 2 == 1)
            add(round, top, m);
        else
            add(round, m, top);
        for (int board = 2; board <= m / 2; ++board)
            add(round, wrap(top + board - 1), wrap(top - (board - 1)));
    }
    return games;
}

} // namespace tournament
