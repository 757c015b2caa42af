// Tournament rules: the round robin's Berger tables, the Swiss pairing, the
// standings and their tie-breaks. Pure functions over plain data: players
// are their entry numbers (0, 1, ...), games are what the tables hold.
//
// Colours in backgammon are decided by the opening roll, so a pairing's
// "colour" is only which player is named first (the first list of the
// new-game dialog). Both systems keep each player's first and second names
// balanced: a round robin by its Berger tables (no player is named first
// more than once above his second-named games), the Swiss by giving the
// first place to the player named first less often.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tournament {

enum class System { RoundRobin = 0, Swiss = 1 };

/*! The second player of a bye pairing. */
inline constexpr int Bye = -1;
/*! The winner of a game not played yet. */
inline constexpr int NoWinner = -1;

struct Player {
    int64_t rating = 0;     // rating points at entry: the last tie-break and the Swiss seeding
    bool withdrawn = false; // paired no more; his recorded games stay
};

struct Game {
    int round = 1; // from 1
    int first = 0;
    int second = Bye;
    int winner = NoWinner; // a bye is won by its player when it is made
    bool forfeit = false;  // won because the other did not come (or withdrew)

    bool operator==(const Game&) const = default;
};

/*! The number of rounds of a round robin of n players. */
int BergerRounds(int players);

/*! The whole round robin by the Berger tables, round by round and board by
    board; with an odd count the player who would meet the missing one has
    a bye (already won). */
std::vector<Game> BergerSchedule(int players);

/*! The pairings of Swiss round `round` (from 1) given every game so far:
    players of equal score meet (the higher-placed with the next one), no
    rematch while one can be avoided, with an odd count a bye (won) to the
    lowest-placed player who has had none. Withdrawn players are left out. */
std::vector<Game> SwissRound(int round, const std::vector<Player>& players,
                             const std::vector<Game>& games);

/*! The next round's pairings once every game of the last round has a
    winner (nothing while one is pending or after the last round). */
std::vector<Game> NextRound(System system, int rounds, const std::vector<Player>& players,
                            const std::vector<Game>& games);

/*! A player's line of the standings. */
struct Standing {
    int player = 0;
    int wins = 0;       // byes and forfeits won count as wins
    int tieBreak = 0;   // Buchholz (Swiss) or Sonneborn–Berger (round robin)
    int headToHead = 0; // wins against the players level on wins and tie-break
    int64_t rating = 0;
    int place = 1; // shared by players level on every tie-break
};

/*! The tie-break's name as the window and the page show it. */
std::string TieBreakName(System system);

/*! The standings' column headings, the tie-break's among them. */
std::vector<std::string> StandingHeadings(System system);

/*! Sorted by wins, the tie-break, the head-to-head games, then rating points. */
std::vector<Standing> Standings(System system, const std::vector<Player>& players,
                                const std::vector<Game>& games);

/*! One cell of the crosstable, row player against column player: "1" won,
    "0" lost, "+" won by forfeit, "-" lost by forfeit, "*" pending, empty when
    they have not met; several games side by side. */
std::string CrossCell(const std::vector<Game>& games, int row, int column);

} // namespace tournament
