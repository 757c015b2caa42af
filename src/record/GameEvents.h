// What happens in a game, as the referee tells the board client: the start,
// each roll, each checker move. The referee keeps its record from these, and
// the client decodes them off the wire, so both write the same record.
#pragma once

#include "proc/proc.h"

#include <QString>
#include <variant>
#include <vector>

namespace record {

struct StartInfo {
    proc::Board board{};
    QString whiteLabel;
    QString blackLabel;
    proc::Dice opening = 0;
};
struct DiceInfo {
    proc::Side side = proc::White;
    proc::Dice dice = 0;
};
struct MoveListInfo {
    proc::Side side = proc::White;
    std::vector<proc::Move> moves;
};
struct MoveInfo {
    proc::Side side = proc::White;
    proc::Move move{0, 0};
};
// A match's messages around its games; a single game has none.
/*! The match around the game now played; scores by this game's colours. */
struct MatchStateInfo {
    int length = 1;
    int scoreWhite = 0;
    int scoreBlack = 0;
    int cubeValue = 1;
    proc::Side cubeOwner = 0; // 0: centred
    bool crawford = false;
};
/*! The person to move may double before rolling (or roll, or resign). */
struct CubeTurnInfo {
    proc::Side side = proc::White;
};
/*! A double offered: value is the cube's value once taken. */
struct DoubleInfo {
    proc::Side doubler = proc::White;
    int value = 2;
    bool personAnswers = false; // the taker's client must answer
};
struct DoubleAnswerInfo {
    proc::Side taker = proc::Black;
    bool taken = false;
};
/*! A resignation offered: level 1 single, 2 gammon, 3 backgammon. */
struct ResignInfo {
    proc::Side by = proc::White;
    int level = 1;
    bool personAnswers = false;
};
struct ResignAnswerInfo {
    proc::Side side = proc::Black;
    bool accepted = false;
};
/*! A game of the match ended: the winner and what it scored. */
struct GameOverInfo {
    proc::Side winner = proc::White;
    int points = 1;
    int level = 1;
    bool matchOver = false;
};

using Message = std::variant<StartInfo, DiceInfo, MoveListInfo, MoveInfo, MatchStateInfo,
                             CubeTurnInfo, DoubleInfo, DoubleAnswerInfo, ResignInfo,
                             ResignAnswerInfo, GameOverInfo>;
/*! Whether the message is one of a match's own (none of a single game's). */
inline bool IsMatchMessage(const Message& message) {
    return message.index() > 3;
}

/*! A move echo as applied to the board. */
struct ShownMove {
    proc::Side side = proc::White;
    proc::Move move{0, 0};
    bool hit = false;
};

} // namespace record
