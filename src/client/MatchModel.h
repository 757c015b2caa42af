// The match around the games as the client knows it: the score, the cube,
// the Crawford game, the last offer, answer or game's end, and what the
// person may do about the cube and resigning. A single game sends none of the
// match's messages and leaves all of this unused. No drawing, no socket.
#pragma once

#include "client/MessageDecoder.h"

#include <QString>
#include <optional>

namespace client {

/*! "очко", "очка" or "очков" as Russian counts n points. */
QString PointsWord(int n);
/*! "Матч до 5 очков", "Матч до 1 очка". */
QString MatchLengthText(int length);
/*! What a resignation or a game's end at level 1..3 gives away: "одна
    партия", "марс", "домашний марс". */
QString LevelName(int level);

class MatchModel {
  public:
    /*! Takes any message of the referee; those of a single game change
        nothing but the labels and the last offer's line. */
    void Apply(const Message& message);

    /*! A match's message came: the score and the cube are on show. */
    bool IsMatch() const { return isMatch_; }
    int Length() const { return state_.length; }
    /*! Points of the side's player, by the current game's colours; a game's
        end adds its points at once. */
    int Score(proc::Side side) const;
    int CubeValue() const { return state_.cubeValue; }
    /*! The side that owns the cube; 0 while it is in the middle. */
    proc::Side CubeOwner() const { return state_.cubeOwner; }
    bool Crawford() const { return state_.crawford; }
    /*! The end of the current game, once it came. */
    const std::optional<GameOverInfo>& GameEnd() const { return gameEnd_; }
    bool MatchOver() const { return gameEnd_ && gameEnd_->matchOver; }

    /*! Whether the person may send command now. movesListed: the person has a
        move list to play (a resignation may go then too). */
    bool Offers(proc::Command command, bool movesListed) const;
    /*! The person sent command: the question it answered is put away. */
    void Sent(proc::Command command);
    /*! The person's resignation waits for its answer: no move goes meanwhile. */
    bool ResignPending() const { return resignPending_; }

    /*! The status line around the game's own: the question to the person or
        the game's end instead of it, the last offer or answer before it. A
        single game's status as it is. */
    QString Status(const QString& gameStatus) const;
    /*! The game's end as one line: "Белые выигрывают 2 очка (марс)", and the
        match's winner when it is over. */
    QString GameEndText() const;

  private:
    enum class Prompt { None, CubeTurn, AnswerDouble, AnswerResign };
    void NewGame(const StartInfo& start);

    bool isMatch_ = false;
    MatchStateInfo state_;
    QString whiteLabel_;
    QString blackLabel_;
    Prompt prompt_ = Prompt::None;
    proc::Side promptSide_ = proc::White; // who answers the prompt
    std::optional<DoubleInfo> double_;    // the offer on the table
    bool resignPending_ = false;
    std::optional<proc::Side> resumeCubeTurn_; // the person resigned at the cube's turn
    QString event_;                            // the last offer or answer
    std::optional<GameOverInfo> gameEnd_;
};

} // namespace client
