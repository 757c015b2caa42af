// The formats in which backgammon players exchange games: Jellyfish match
// text (.mat) and backgammon SGF (.sgf), each a single game without a cube.
#pragma once

#include "record/GameRecord.h"

#include <QDateTime>
#include <QString>

namespace record {

/*! Why the record cannot be written as match text, or empty when it can: the
    format has no start position, so only a game from the standard one. */
QString MatProblem(const GameRecord& record);
/*! Why the record cannot be written as SGF (a roll it lacks), or empty. */
QString SgfProblem(const GameRecord& record);

/*! A one-point match of one game: both names, one line a move pair, each
    roll its higher die first and each move from the mover's side as GNU
    Backgammon writes them (the bar 25, off 0, "*" for a hit), the winner. */
QString MatText(const GameRecord& record, const QDateTime& date);

/*! Backgammon SGF (GM[6]): the players, the start set up point by point,
    every roll and move, the result. */
QString SgfText(const GameRecord& record, const QDateTime& date);

} // namespace record
