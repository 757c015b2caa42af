// The formats in which backgammon players exchange games: Jellyfish match
// text (.mat) and backgammon SGF (.sgf): a single game without a cube, or a
// match to N points with the cube.
#pragma once

#include "record/GameRecord.h"
#include "record/MatchRecord.h"

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

/*! Why the match cannot be written as match text (MatProblem of a game),
    or empty. */
QString MatchMatProblem(const MatchRecord& match);
/*! Why the match cannot be written as SGF (SgfProblem of a game), or empty. */
QString MatchSgfProblem(const MatchRecord& match);

/*! The match as match text: its length, then each game with both players
    and their scores before it, the match's first player always the left
    column. A double is its doubler's entry (" Doubles => 4"), the answer
    the other's (" Takes", " Drops"); the game ends with the points won by
    the board, a pass or a resignation alike (the format has no
    resignation), " and the match" on the game that decides it. */
QString MatchMatText(const MatchRecord& match, const QDateTime& date);

/*! The match as SGF: one game tree a game, its root with the length, the
    game's number from 0 and the scores before it (MI), the Crawford game
    marked (RU[Crawford:CrawfordGame]) and the result (RE[W+2], "R" after a
    resignation); the match's first player is always W, so a game in which
    it plays black has its points mirrored. A double and its answer are
    nodes of their own (;W[double] ;B[take] or ;B[drop]). */
QString MatchSgfText(const MatchRecord& match, const QDateTime& date);

} // namespace record
