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
using Message = std::variant<StartInfo, DiceInfo, MoveListInfo, MoveInfo>;

/*! A move echo as applied to the board. */
struct ShownMove {
    proc::Side side = proc::White;
    proc::Move move{0, 0};
    bool hit = false;
};

} // namespace record
