// The turn controller: referees one game from the client's connection to its
// end, one checker move per timer tick. It holds the authoritative board,
// plays the computer's side and tells the board client about everything.
// It knows no widget: the socket, the dialog's lists, the waits and the
// result recording come in through the seams of GamePorts.h.
#pragma once

#include "game/ComputerSeat.h"
#include "game/GamePorts.h"
#include "proc/proc.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QTimer;

namespace game {

class TurnController : public QObject {
    Q_OBJECT
  public:
    /*! programFolder holds Data/Board.cfg. The seams must outlive the controller. */
    TurnController(IClientLink& link, IPlayerNames& names, IPause& pause, IGameEndSink& sink,
                   std::string programFolder, QObject* parent = nullptr);

    // The one game's state; each game overwrites the last one's.
    proc::Board GameBoard{};
    proc::Dice GameDice = 0;
    proc::Side SideToMove = proc::White;
    uint8_t MoveStep = 1; // 1..4 within a turn
    QString WhiteName;
    QString BlackName;
    bool WhiteHuman = false;
    bool BlackHuman = false;
    bool GameRunning = false;
    /*! The game as the client is told it, and the identity it is played under. */
    record::GameRecord Record;
    QString GameIdentity;

    /*! "Close the new-game dialog", run by EndOfGame. Until a dialog sets its
        own, it runs FormClose (which is what closing the dialog does). */
    std::function<void()> CloseDialogHook;
    /*! Tells the user something without stopping the game (a seat that
        failed: SeatTroubleText, once a game). Unset: the log alone. */
    std::function<void(const QString&)> NoticeHook;
    /*! Every roll of the game; unset, proc::RollDice. A match sets its own,
        so that games can run side by side from seeds. */
    std::function<proc::Dice()> RollHook;

    /*! The match's length, set before StartGame: 1 is the single game, which
        sends none of the match's messages and ends with its one game. */
    int MatchLength = 1;
    /*! The match so far (games finished, their cube actions), when longer. */
    record::MatchRecord Match;

    /*! Who plays the computer's sides (null: the built-in computer for
        both). Read at each game's start; it must outlive the controller. */
    void SetSeats(ISeats* seats) { seats_ = seats; }

    /*! Decides the colours, loads the initial position, sends the start, the
        first roll and (for a person) white's list, then sets GameRunning. A
        LoadBoard failure throws proc::InOutError before anything is sent. */
    void StartGame();
    /*! One step of the running game, then the end-of-game test. Nothing while
        GameRunning is false. Errors of the step propagate. */
    void TimerTimer();
    /*! One step of a person's side: reads the client's move, if announced. */
    void HumansGame();
    /*! One step of the computer's side. */
    void ComputersGame();
    /*! Passes the turn to the other side with a new roll. */
    void ChangePlayer();
    /*! Stops the game, closes the dialog and the socket, and hands the result
        (r, the names, the human flags) to the sink. */
    void EndOfGame(int32_t r);
    /*! The game part of the dialog's close: stops the game, closes the socket. */
    void FormClose();

    /*! Whether the side to move is played by a person. */
    bool SideIsHuman(proc::Side side) const;

  private:
    /*! What the controller waits for in a match besides a move. */
    enum class Phase { Moving, CubeTurn, DoubleAnswer, ResignAnswer };

    bool IsMatch() const { return MatchLength > 1; }
    /*! One game of the match (or the single game): colours, start, first turn. */
    void BeginGame();
    /*! The turn's start: in a match the cube may come first, then the roll. */
    void BeginTurn(int waitMs);
    /*! Rolls for the side to move, sends it and (for a person) the list. */
    void RollTurn(int waitMs);
    /*! One receive of a person's answer while the match waits for one. */
    void MatchStep();
    /*! A person's command while the match waits: taken when it answers. */
    void TakeAnswer(const proc::ClientCommand& command);
    /*! A command other than a move while a person moves: a resignation. */
    void MovingCommand(const proc::ClientCommand& command);
    void OfferDouble();
    void AnswerDouble(bool taken);
    void OfferResign(match::Result level);
    void AnswerResign(bool accepted);
    /*! The game is over (by the board, a pass or a resignation): it joins the
        match, the score moves on, and the next game starts or the match ends. */
    void EndMatchGame();
    void SendMatchState();
    /*! The match's state by this game's colours, the cube included. */
    match::MatchState ColourState() const;
    /*! The seat that decides side's cube and resignation answers. */
    IComputerSeat& CubeSeat(proc::Side side);
    /*! Turns begun in this game: where a cube or resignation line goes. */
    int TurnsBegun() const { return static_cast<int>(Record.Turns().size()); }

    proc::Dice Roll();
    /*! The seat's next move of the turn when it is one of moves[0..count):
        the plan is made at the turn's first move. False: the built-in choice. */
    bool PlannedMove(const proc::MoveList& moves, int32_t count, proc::Move& move);
    /*! A seat that failed: logged, told once a game; its turn is the built-in computer's. */
    void SeatTrouble(const QString& why);
    void Send(const proc::ByteArray& message);
    /*! Sends the roll of the side to move and records it. */
    void SendDice();
    void SendMoveList();
    /*! Applies the move, echoes it and waits. */
    void PlayMove(proc::Move move, int waitMs);
    /*! After the move at MoveStep 1..3: the next step, with the remaining-die
        rule after the first move of a non-double. */
    void AdvanceStep(proc::Move move);

    IClientLink& link_;
    IPlayerNames& names_;
    IPause& pause_;
    IGameEndSink& sink_;
    std::string programFolder_;
    ISeats* seats_ = nullptr;
    IComputerSeat* whiteSeat_ = nullptr;
    IComputerSeat* blackSeat_ = nullptr;
    std::vector<proc::Move> plan_; // the rest of the seat's turn
    bool troubleTold_ = false;

    // The match: scores kept by players (the first player's as white's).
    Phase phase_ = Phase::Moving;
    Phase resumePhase_ = Phase::Moving;
    match::MatchState byPlayer_;
    match::Cube cube_;
    proc::Side firstSide_ = proc::White;
    match::Resignation offer_;
    std::vector<record::CubeAction> cubeActions_;
    std::vector<record::ResignAction> resignActions_;
    QString matchIdentity_;
    BuiltInSeat builtIn_;
};

/*! The 1000 ms Timer of the controller's owner: created as a child of owner,
    connected to TimerTimer and started; it is never stopped. A tick that falls
    due while a step blocks the thread runs once after it. */
QTimer* StartTurnTimer(TurnController& controller, QObject* owner, int intervalMs = 1000);

} // namespace game
