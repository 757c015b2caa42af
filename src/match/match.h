// Rules of match play to N points with the doubling cube, as pure functions
// over plain data. Standard C++ only: nothing here keeps state, and bad input
// (a side other than +1/-1, a level or cube value out of range) gives a
// defined answer rather than a fault.
#pragma once

#include "proc/proc.h"

#include <cstdint>
#include <optional>

namespace match {

using proc::Side;

/*! Highest cube value: a side may double only while the cube is below it. */
constexpr int CubeCap = 64;
/*! Checkers a side has at the start of a standard game. */
constexpr int StandardCheckers = 15;

enum class Owner : int8_t { Centre, White, Black };

struct Cube {
    int value = 1;
    Owner owner = Owner::Centre;
};

/*! How a game is won, before the cube: the multiplier of its value. */
enum class Result : int8_t { Single = 1, Gammon = 2, Backgammon = 3 };

/*! The end of one game: who won and the points it is worth (cube included).
    winner 0 means no game ended. */
struct GameOutcome {
    Side winner = 0;
    int points = 0;
};

/*! The score of a match and the state of its current game.
    crawford: the current game is the Crawford game (no doubling).
    postCrawford: the Crawford game has been played. */
struct MatchState {
    int length = 1;
    int scoreWhite = 0;
    int scoreBlack = 0;
    bool crawford = false;
    bool postCrawford = false;
    Cube cube;
};

// Result of a finished game.

/*! The side with no checkers left (bars included); 0 while both sides have
    some, and on an empty board. */
Side Winner(const proc::Board& board);
/*! Single, gammon or backgammon; nothing while the game is not finished.
    The board does not show borne-off checkers, so the caller tells how many
    the loser started with (StandardCheckers normally): the loser has borne
    off none when it still has at least that many on the board. A gammon is a
    backgammon when a loser's checker is on either bar cell or in the
    winner's home board (points 1..6 for white, 19..24 for black). */
std::optional<Result> GameResult(const proc::Board& board, int loserCheckersAtStart);
/*! The points of a finished game: its result times the cube; 0 while the
    game goes on. */
int GameValue(const proc::Board& board, int loserCheckersAtStart, const Cube& cube);
/*! A result times a cube value. A level out of 1..3 counts as the nearest
    one, a cube below 1 as 1; the product saturates instead of overflowing. */
int Points(Result result, const Cube& cube);

// The cube.

/*! Whether side, before rolling, may offer a double: the cube is centred or
    its own and below CubeCap, the match is longer than one point and not
    over, and this is not the Crawford game. A player already one point from
    the match may double after the Crawford game although it gains nothing
    by it; that is allowed, as in real play. A one-point match has a dead
    cube. */
bool MayDouble(const MatchState& state, Side side);
/*! The taken double: the value doubled (at most CubeCap), the taker owns it.
    A taker other than white or black leaves the cube as it was. */
Cube Take(const Cube& cube, Side taker);
/*! The refused double ends the game: the doubler wins the value the cube had
    before the double. */
GameOutcome Pass(const Cube& cube, Side doubler);

// The built-in computer's cube policy.

/*! Pips side still has to travel: a white checker on cell p needs p, a black
    one 25 - p, a checker on either bar 25. Summed wide, capped at INT_MAX. */
int PipCount(const proc::Board& board, Side side);
/*! Whether a checker still has to pass an opposing one: a checker is on
    either bar, or white's farthest checker lies above black's farthest. */
bool Contact(const proc::Board& board);
/*! Whether the computer playing side doubles before its roll. The lead is
    the opponent's pips minus side's, as a share of side's own pips.
    - Never when MayDouble is false or the game is over.
    - Never at length - 1 after the Crawford game, nor when a win at the
      current cube already reaches the length.
    - At once when the opponent is at length - 1 after the Crawford game.
    - In a race, on a lead of at least 8 % (9 % when side owns the cube);
      a bigger lead still doubles, as the opponent should then pass.
    - With contact, on a lead of at least 15 % when an opposing checker is
      on the bar, otherwise of at least 25 %. */
bool BuiltInDoubles(const proc::Board& board, Side side, const MatchState& state);
/*! Whether the computer playing taker takes a double by the other side. The
    doubler's lead is again a share of the doubler's own pips.
    - Never on a finished game or for a taker other than white or black.
    - Always when passing loses the match (the doubler's score plus the
      current cube reaches the length), and at length - 1 after the
      Crawford game.
    - In a race, when the doubler leads by at most 12 %.
    - With contact, unless the doubler leads by over 20 % while a taker's
      checker is on the bar, or by over 30 %. */
bool BuiltInTakes(const proc::Board& board, Side taker, const MatchState& state);

// Resignations.

/*! An offer by side to lose the game as level times the cube. */
struct Resignation {
    Side by = 0;
    Result level = Result::Single;
};
/*! The accepted offer ends the game: the other side wins its points. An offer
    by neither white nor black ends nothing. */
GameOutcome Accept(const Resignation& offer, const Cube& cube);

/*! Whether the computer playing side accepts the other side's resignation:
    - never on a finished game, or an offer by side itself;
    - always when the offered points win the match, or side does not lead
      in the race (a sure win is worth more than playing on);
    - otherwise when the offer is at least what the board still threatens:
      a single once the resigner has borne off, else a gammon, or a
      backgammon while a resigner's checker is on the bar or in side's
      home board. */
bool BuiltInAccepts(const proc::Board& board, Side side, const Resignation& offer,
                    const MatchState& state);

// Match score.

/*! The state for the next game once winner has won points: the points are
    added in full (a score may pass the length), the cube is centred at 1.
    The next game is the Crawford game exactly when the winner has just
    reached length - 1 while the other is below it and no Crawford game has
    been played; after the Crawford game the match is post-Crawford. A
    finished match, a winner other than white or black, or points below 1
    leave the state as it was. */
MatchState AfterGame(const MatchState& state, Side winner, int points);
/*! A state kept by players (the match's first player's score in
    scoreWhite) seen by the colours of a game in which the first player
    plays firstSide. */
MatchState ByColour(const MatchState& byPlayer, Side firstSide);
/*! Whether a side has reached the length. */
bool MatchOver(const MatchState& state);
/*! The side that reached the length (the higher score should both have); 0
    while the match goes on. */
Side MatchWinner(const MatchState& state);

} // namespace match
