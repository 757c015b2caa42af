// What a screen reader says about the board: the board is one picture, so its
// state goes into the accessible description as plain sentences.
#pragma once

#include "client/BoardModel.h"
#include "client/MatchModel.h"

#include <QString>

namespace client {

/*! Whose turn (or notice, when there is one), the dice left, both pip
    counts and the last move; in a match the score and the cube too. */
QString DescribeForReader(const BoardModel& model, const QString& notice = {},
                          const MatchModel* match = nullptr);

} // namespace client
