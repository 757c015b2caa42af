// Steps through a recorded game one checker move at a time, from the start
// position to the end, by feeding the recorded messages to a board model of
// its own. Pure logic: the window draws Model() and animates what Forward()
// returns.
#pragma once

#include "client/BoardModel.h"
#include "client/MessageDecoder.h"

#include "record/Notation.h"

#include <QString>
#include <optional>
#include <vector>

namespace client {

/*! Where a replay step falls among the turns of the history: the turn (from
    0; -1 at the start) whose move was shown last, and that move's place in
    it (from 1, of moves). */
struct ReplayPlace {
    int turn = -1;
    int move = 0;
    int moves = 0;
};
ReplayPlace PlaceOfStep(const std::vector<const record::Turn*>& turns, int step);

/*! The replay counter in turns: "Ход 12 из 57", with ", фишка 1 из 2" while
    a turn of several moves is shown part-way. */
QString ReplayCounterText(const ReplayPlace& place, int turns);

class GameReplay {
  public:
    /*! messages: start, dice and echoes in order (GameRecord::Messages()).
        finished: the game ended, so the last step shows it over. Starts at
        the end. */
    GameReplay(std::vector<Message> messages, bool finished);

    /*! Checker moves in the game. */
    int Steps() const { return static_cast<int>(echoes_.size()); }
    /*! Moves shown so far: 0 is the start position, Steps() the end. */
    int Position() const { return position_; }
    const BoardModel& Model() const { return model_; }

    /*! One move forward: the move to animate, nothing at the end. */
    std::optional<ShownMove> Forward();
    /*! One move back; false at the start. */
    bool Back();
    /*! Jumps to a step (clamped to 0..Steps()). */
    void Seek(int step);

  private:
    // Index of the first message after step's echo (the dice that follow
    // belong to the step, so the next roll is on show).
    size_t EndOf(int step) const;

    std::vector<Message> messages_;
    std::vector<size_t> echoes_; // index of every echo in messages_
    bool finished_ = false;
    int position_ = 0;
    BoardModel model_;
};

} // namespace client
