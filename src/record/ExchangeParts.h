// What the exchange formats share between one game and a match: match
// text's move lines and its moves, SGF's points and nodes. Internal to
// the record module.
#pragma once

#include "record/Notation.h"

#include <QString>
#include <QStringList>

namespace record::exchange {

/*! Width of the first player's half of a match text line. */
constexpr int MatColumn = 28;

/*! "64: 25/20* 13/9": a roll its higher die first, each move from the
    mover's side (the bar 25, off 0); a pass is the roll alone. */
QString MatTurn(const Turn& turn);

/*! The " 5 point match" header and a game's " Game K" and score lines. */
QStringList MatGameHead(int number, const QString& left, int leftScore, const QString& right,
                        int rightScore);

/*! The numbered lines of one game: the first player's column on the left,
    the other's on the right. A line holds one entry a column; an entry in
    the left column, or in a right column already taken, begins a new line. */
class MatLines {
  public:
    explicit MatLines(QStringList& lines) : lines_(lines) {}
    void Put(bool left, const QString& entry);
    /*! " Wins 2 points" (and " and the match") in the winner's column, on a
        line of its own, unnumbered, unless the winner's column of the
        current line is free after the other's (a pass just made). */
    void Wins(bool left, int points, bool match);
    /*! Ends the line being made, if any. */
    void Flush();

  private:
    QStringList& lines_;
    QString left_;
    QString right_;
    int number_ = 0;
};

/*! A point as SGF writes it: a..x the board's points from white's 1 ("mirrored":
    from black's 1, for a game in which the SGF's white is our black), y either
    bar, z off. */
QChar SgfPoint(int32_t cell, bool mirrored);
/*! Side's checkers as an AW/AB list, points as SgfPoint gives them. */
QString SgfCheckers(const proc::Board& board, proc::Side side, bool mirrored);
/*! "63mgxu": the roll as rolled, then each move's from and to. */
QString SgfMove(const Turn& turn, bool mirrored);
/*! A property's value escaped: "\" and "]". */
QString SgfValue(QString text);
/*! The setup node: who moves first and every checker of the start. */
QString SgfSetup(const proc::Board& start, bool mirrored);

} // namespace record::exchange
