// The game as players write it down: pip counts, the notation of moves and
// turns, the record of one game as it comes off the wire, and the text file
// that keeps it. Pure logic beside BoardModel: no widgets, no socket.
#pragma once

#include "client/BoardModel.h"
#include "client/MessageDecoder.h"
#include "proc/proc.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace client {

/*! The position every game starts from unless the referee sends another. */
const proc::Board& StandardStart();

/*! Pips a side still has to travel: every checker's distance to bearing off,
    a checker on the bar counting 25. */
int PipCount(const proc::Board& board, proc::Side side);

/*! One checker move with the points as the board labels them: "24/18",
    "bar/22", "6/off", and "*" after a move that hits. */
QString MoveText(const ShownMove& move);

/*! One side's turn: its roll and the moves echoed for it. */
struct Turn {
    proc::Side side = proc::White;
    proc::Dice dice = 0;
    std::vector<ShownMove> moves;
    bool passed = false; // the side had no move and the turn went on
};

/*! The moves of a turn, equal moves joined as "8/5(2)"; a pass as "пропуск". */
QString TurnMovesText(const Turn& turn);
/*! "Белые 6-5: 24/18 13/8". */
QString TurnText(const Turn& turn);
/*! "белые" or "чёрные"; capitalised: "Белые", "Чёрные". */
QString SideName(proc::Side side, bool capitalised = false);
/*! "белых" or "чёрных". */
QString SideGenitive(proc::Side side);

/*! The game as the referee's messages tell it, turn by turn. */
class GameRecord {
  public:
    /*! Takes one message: a start begins a new record, a dice message a new
        turn (the previous one passed if it has no move), an echo joins the
        turn of its side. Lists are not part of the game and are ignored. */
    void Add(const Message& message);
    /*! The connection is over: nothing more joins the record. */
    void Finish() { finished_ = true; }

    bool Started() const { return started_; }
    bool Finished() const { return finished_; }
    const StartInfo& Start() const { return start_; }
    /*! When the start message came (the record's date). */
    const QDateTime& StartTime() const { return startTime_; }
    const std::vector<Turn>& Turns() const { return turns_; }
    /*! Start, dice and echoes in the order they came, for a replay. */
    const std::vector<Message>& Messages() const { return messages_; }
    const proc::Board& Board() const { return board_; }
    /*! The side left without checkers, once there is one. */
    std::optional<proc::Side> Winner() const;
    /*! The loser's checkers still on the board, once there is a winner. */
    int Margin() const;

  private:
    bool started_ = false;
    bool finished_ = false;
    StartInfo start_;
    QDateTime startTime_;
    proc::Board board_{};
    std::vector<Turn> turns_;
    std::vector<Message> messages_;
};

/*! A label without the colour the launcher appends: "Анна (белые)" -> "Анна". */
QString PlayerName(const QString& label);
/*! The result line: winner and margin, or that the game was cut short. */
QString ResultText(const GameRecord& record);

/*! The record as UTF-8 text: a header (date, players and colours, the start
    position when it is not the standard one, the opening roll), one numbered
    line per turn, and the result. */
QString RecordText(const GameRecord& record, const QDateTime& date);
/*! Writes RecordText to a file; false and a reason when it cannot. */
bool SaveRecord(const GameRecord& record, const QDateTime& date, const QString& path,
                QString& error);

/*! A record read back: enough to replay it through the rules engine. */
struct ParsedRecord {
    proc::Board start{};
    proc::Dice opening = 0;
    QString white;
    QString black;
    std::vector<Turn> turns; // moves without hit marks checked
};
/*! Reads RecordText back. Nothing and a reason for a line it cannot read. */
std::optional<ParsedRecord> ParseRecord(const QString& text, QString& error);

} // namespace client
