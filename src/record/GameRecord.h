// The record of one game, kept from the referee's messages as they come:
// the start, every roll, every checker move and every pass.
#pragma once

#include "record/GameEvents.h"
#include "record/Notation.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace record {

class GameRecord {
  public:
    GameRecord() = default;
    /*! Without the messages: a record only shown, never replayed, is not
        made to hold every echo twice. Messages() stays empty. */
    struct WithoutMessages {};
    explicit GameRecord(WithoutMessages) : keepMessages_(false) {}

    /*! Takes one message: a start begins a new record, a dice message a new
        turn (the previous one passed if it has no move), an echo joins the
        turn of its side. Lists are not part of the game and are ignored. */
    void Add(const Message& message);
    /*! As Add of the turn's dice, when it has them, and then of an echo for
        each of its moves; the hit marks are the board's. */
    void AddTurn(Turn&& turn);
    /*! Room for the messages and turns to come, when their number is known. */
    void Reserve(size_t messages, size_t turns) {
        if (keepMessages_)
            messages_.reserve(messages);
        turns_.reserve(turns);
    }
    /*! The side to move had no move: its turn is a pass now, not only when
        the next roll comes (a match's cube may act in between). */
    void ClosePass() {
        if (!turns_.empty() && turns_.back().moves.empty() && turns_.back().dice != 0)
            turns_.back().passed = true;
    }
    /*! The game is over: nothing more joins the record. */
    void Finish() { finished_ = true; }

    bool Started() const { return started_; }
    bool Finished() const { return finished_; }
    const StartInfo& Start() const { return start_; }
    /*! When the start message came (the record's date). */
    const QDateTime& StartTime() const { return startTime_; }
    void SetStartTime(const QDateTime& time) { startTime_ = time; }
    const std::vector<Turn>& Turns() const { return turns_; }
    /*! The turns played or passed: a turn still waiting for its first move
        is not part of the game. */
    std::vector<const Turn*> PlayedTurns() const;
    /*! Start, dice and echoes in the order they came, for a replay. */
    const std::vector<Message>& Messages() const { return messages_; }
    const proc::Board& Board() const { return board_; }
    /*! The side left without checkers, once there is one. */
    std::optional<proc::Side> Winner() const;
    /*! The loser's checkers still on the board, once there is a winner. */
    int Margin() const;

  private:
    void Keep(const Message& message);
    /*! The turn an echo of side joins. */
    Turn& TurnOf(proc::Side side);
    /*! An echo applied to the board and kept as a message. */
    ShownMove Echo(proc::Side side, proc::Move move);

    bool keepMessages_ = true;
    bool started_ = false;
    bool finished_ = false;
    StartInfo start_;
    QDateTime startTime_;
    proc::Board board_{};
    std::vector<Turn> turns_;
    std::vector<Message> messages_;
};

/*! Side's label as the message's size limit left it, made whole where it
    can be: the side's colour cut short is completed, a name cut short ends
    in "…". */
QString LabelShown(const QString& label, proc::Side side);
/*! A new game's identity: its start time (UTC, to the millisecond) and a
    random id, so that no two games share one. */
QString NewGameIdentity(const QDateTime& start);

/*! Side's label without the colour the launcher appends: "Анна (белые)" ->
    "Анна" (LabelShown first). */
QString PlayerName(const QString& label, proc::Side side);
/*! The name of a side's player. */
QString PlayerOf(const GameRecord& record, proc::Side side);
/*! The result line: winner and margin, or that the game was cut short. */
QString ResultText(const GameRecord& record);

} // namespace record
