// A game as another program's file tells it, before the rules have seen it:
// two players as the file names them, each move from the mover's own side.
// The match text and SGF readers fill it; one replay checks it by the rules.
#pragma once

#include "record/GameRecord.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace record {

/*! Mover's points: 1..24 from its own home, 25 its bar, 0 off. */
struct ForeignMove {
    int from = 0;
    int to = 0;
};

struct ForeignTurn {
    int player = 0; // 0 or 1, the file's own order of the players
    int firstDie = 0;
    int secondDie = 0;
    std::vector<ForeignMove> moves; // a move may span several dice ("24/13")
    int line = 0;                   // from 1
};

/*! Checkers of each player on its own points 1..24, index 25 its bar. */
using ForeignPosition = std::array<std::array<int, 26>, 2>;

struct ForeignGame {
    std::array<QString, 2> names;
    std::optional<ForeignPosition> start; // nothing: the standard start
    int startLine = 0;
    std::vector<ForeignTurn> turns;
    QDateTime date;
    int games = 1; // games in the file; only the first is read
};

/*! The game replayed by the referee's rules. The player who moves first is
    white; a first roll that is not a double is taken as the colour roll. Every
    written move must be made of moves the rules list at that point; a roll
    with no move must be one that allowed none. Nothing and a reason naming
    the line for a move the rules refuse. The record comes back finished. */
std::optional<GameRecord> ReplayForeign(ForeignGame&& game, QString& error);

/*! ReplayForeign of a game read, and its FirstGameNote in note (cleared
    for a single game or a file not read). */
std::optional<GameRecord> ReplayFirstGame(std::optional<ForeignGame>&& game, QString& error,
                                          QString& note);

/*! The note shown with a file that holds more games than the one shown;
    empty for a single game. */
QString FirstGameNote(int games);

} // namespace record
