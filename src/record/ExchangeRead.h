// Games read back from the exchange formats: match text (.mat) and
// backgammon SGF (.sgf), as this program and GNU Backgammon write them.
#pragma once

#include "record/ForeignGame.h"

#include <QString>
#include <optional>

namespace record {

/*! Match text read, not yet checked by the rules: the players of its first
    game (the left column is player 0), its moves line by line, cube actions
    skipped, a dropped double its end. Nothing and a reason naming the line
    for text that is not match text or a move line it cannot read. */
std::optional<ForeignGame> ParseMat(const QString& text, QString& error);

/*! Backgammon SGF (GM[6]) read, not yet checked by the rules: the main line
    of its first game tree, PW player 0 and PB player 1, a set-up start when
    it has one. Nothing and a reason naming the line for a file that is not
    SGF, another game, or a move it cannot read. */
std::optional<ForeignGame> ParseSgf(const QString& text, QString& error);

/*! ParseMat or ParseSgf, then ReplayForeign. note is set to what the user
    should know beside the game (FirstGameNote), or cleared. */
std::optional<GameRecord> ReadMat(const QString& text, QString& error, QString& note);
std::optional<GameRecord> ReadSgf(const QString& text, QString& error, QString& note);

} // namespace record
