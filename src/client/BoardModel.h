// What the client knows of the game: the position and the turn as the
// referee's messages tell them, and the person's pick of a move. No drawing,
// no socket.
#pragma once

#include "client/MessageDecoder.h"
#include "proc/proc.h"

#include <QString>
#include <optional>
#include <vector>

namespace client {

using record::ShownMove;

/*! One die of the roll on show; doubles give four. */
struct DieUse {
    int face = 0;
    bool used = false;
    bool operator==(const DieUse&) const = default;
};

/*! What a click did. */
struct ClickResult {
    bool changed = false;           // selection changed: redraw
    std::optional<proc::Move> send; // a listed move to send
};

class BoardModel {
  public:
    /*! Applies one message. A move echo updates the board (hits and bear-offs
        included) and is returned for the animation. A match's game end ends
        the game (SetGameOver). Returns nothing for the other messages, and
        for every message before the start message except another start. */
    std::optional<ShownMove> Apply(const Message& message);

    bool Started() const { return started_; }
    const proc::Board& Board() const { return board_; }
    const QString& WhiteLabel() const { return whiteLabel_; }
    const QString& BlackLabel() const { return blackLabel_; }
    proc::Dice Opening() const { return opening_; }
    /*! Checkers of a side borne off since the start. */
    int BorneOff(proc::Side side) const { return side == proc::White ? whiteOff_ : blackOff_; }
    /*! Checkers of a side on the board, bar included. */
    int OnBoard(proc::Side side) const;

    /*! The side of the last dice message and its dice, before any dice: nothing. */
    std::optional<proc::Side> SideToMove() const { return sideToMove_; }
    proc::Dice CurrentDice() const { return dice_; }
    /*! The dice of the current roll, each marked once a move of the side to
        play has used it. */
    const std::vector<DieUse>& DiceUses() const { return uses_; }
    /*! The side that passed: a dice message came while the side of the one
        before had not moved. Cleared by the next move. */
    std::optional<proc::Side> PassedSide() const { return passed_; }
    /*! The echoed moves of the last side that moved, since its turn began;
        they stay until the other side moves, so a person sees what the
        opponent just did. */
    const std::vector<ShownMove>& LastTurn() const { return lastTurn_; }
    /*! The side left without checkers, once there is one. */
    std::optional<proc::Side> Winner() const;

    /*! The person's side in a game against a computer: the side whose
        player is not a computer while the other's is. Nothing otherwise. */
    std::optional<proc::Side> PersonSide() const;

    /*! A person's turn: a non-empty list came and no move was sent since. */
    bool AwaitingPerson() const { return awaiting_; }
    /*! The side of the last list (meaningful while AwaitingPerson). */
    proc::Side ListSide() const { return listSide_; }
    const std::vector<proc::Move>& LegalMoves() const { return legal_; }
    /*! Distinct sources of the legal moves, ascending. */
    std::vector<int32_t> MovableSources() const;
    /*! Distinct targets of the legal moves from source, in list order. */
    std::vector<int32_t> TargetsFrom(int32_t source) const;
    std::optional<int32_t> Selected() const { return selected_; }

    /*! A person's click on cell 1..24, on the bar (25 or 26: either half means
        the bar of the side to play), on the trays (27), or elsewhere (0).
        Picks a source, then a target of that source; a listed pair is returned
        to be sent and ends the person's turn until the next list. */
    ClickResult Click(int32_t cell);
    /*! Whether a click on cell would pick a source or complete a move. */
    bool Clickable(int32_t cell) const;

    /*! Keyboard play: the cells the focus cycles through, the targets of the
        picked checker or else the movable checkers. */
    std::vector<int32_t> FocusCycle() const;
    /*! The focused cell, while it is in the cycle. */
    std::optional<int32_t> Focused() const;
    /*! Moves the focus step places along the cycle, wrapping round; from no
        focus, +1 goes to the first and -1 to the last. False with nothing to
        focus. */
    bool MoveFocus(int step);
    /*! Enter: the click on the focused cell. Picking a checker focuses its
        first target. */
    ClickResult PickFocused();
    /*! Escape: drops the picked checker and focuses it again. False when
        nothing was picked. */
    bool CancelPick();

    /*! The connection or the match's game is over. */
    void SetGameOver() { gameOver_ = true, awaiting_ = false, selected_.reset(); }
    bool GameOver() const { return gameOver_; }

  private:
    void EndPersonTurn();
    int32_t OwnBar(int32_t cell) const;
    bool IsTargetOfSelected(int32_t cell) const;
    bool IsSource(int32_t cell) const;
    void UseDie(const proc::Move& move);

    bool started_ = false;
    bool gameOver_ = false;
    proc::Board board_{};
    QString whiteLabel_;
    QString blackLabel_;
    proc::Dice opening_ = 0;
    int whiteOff_ = 0;
    int blackOff_ = 0;
    std::optional<proc::Side> sideToMove_;
    proc::Dice dice_ = 0;
    bool movedSinceDice_ = false;
    std::optional<proc::Side> passed_;
    std::vector<ShownMove> lastTurn_;
    bool awaiting_ = false;
    proc::Side listSide_ = proc::White;
    std::vector<proc::Move> legal_;
    std::optional<int32_t> selected_;
    std::optional<int32_t> focus_;
    std::vector<DieUse> uses_;
};

/*! Whose numbering the rails show: the person's side against a computer,
    else the side to move (white before the first roll); the other side's
    when other. */
proc::Side RailSide(const BoardModel& model, bool other);

/*! "Иван 5, Компьютер 2": who rolled which in the colour roll, the first
    die first (the higher die took white); empty when the roll is not known. */
QString ColourRollText(const BoardModel& model);

} // namespace client
