// The turn controller's match play: the cube before a roll, resignations,
// and one game after another until a player reaches the length. A single
// game never comes here.
#include "game/TurnController.h"

#include <array>

namespace game {

namespace {

constexpr int32_t ReceiveSize = 2000;
constexpr int OfferWait = 1000;       // a double or resignation shown before its answer
constexpr int BetweenGamesWait = 5000; // the game's result shown before the next start

proc::Side Other(proc::Side side) {
    return static_cast<proc::Side>(-side);
}

} // namespace

match::MatchState TurnController::ColourState() const {
    match::MatchState state = match::ByColour(byPlayer_, firstSide_);
    state.cube = cube_;
    return state;
}

IComputerSeat& TurnController::CubeSeat(proc::Side side) {
    IComputerSeat* seat = side == proc::White ? whiteSeat_ : blackSeat_;
    return seat != nullptr ? *seat : builtIn_;
}

void TurnController::SendMatchState() {
    const match::MatchState state = ColourState();
    proc::MatchStateFields fields;
    fields.length = state.length;
    fields.scoreWhite = state.scoreWhite;
    fields.scoreBlack = state.scoreBlack;
    fields.cubeValue = cube_.value;
    fields.cubeOwner = cube_.owner == match::Owner::White   ? proc::White
                       : cube_.owner == match::Owner::Black ? proc::Black
                                                            : proc::Side{0};
    fields.crawford = state.crawford;
    Send(proc::BuildMatchStateMessage(fields));
}

void TurnController::MatchStep() {
    std::array<uint8_t, ReceiveSize> buffer{};
    const int32_t k = link_.ReceiveFromClient(buffer.data(), ReceiveSize);
    if (k <= 0)
        return;
    // One receive may hold several messages (a move sent late, then the
    // answer): they are read in turn until one is taken.
    const Phase waiting = phase_;
    for (size_t at = 0; at < static_cast<size_t>(k) && phase_ == waiting;) {
        const proc::ClientCommand command =
            proc::ParseClientCommand(buffer.data() + at, static_cast<size_t>(k) - at);
        if (command.command == proc::Command::None)
            return;
        at += command.command == proc::Command::Move ? 4 : 2;
        TakeAnswer(command);
    }
}

void TurnController::TakeAnswer(const proc::ClientCommand& command) {
    switch (phase_) {
    case Phase::CubeTurn:
        if (command.command == proc::Command::Roll)
            RollTurn(OfferWait);
        else if (command.command == proc::Command::Double)
            OfferDouble();
        else if (command.command == proc::Command::Resign)
            OfferResign(static_cast<match::Result>(command.level));
        break;
    case Phase::DoubleAnswer:
        if (command.command == proc::Command::Take || command.command == proc::Command::Pass)
            AnswerDouble(command.command == proc::Command::Take);
        break;
    case Phase::ResignAnswer:
        if (command.command == proc::Command::Accept || command.command == proc::Command::Refuse)
            AnswerResign(command.command == proc::Command::Accept);
        break;
    case Phase::Moving:
        break;
    }
}

void TurnController::MovingCommand(const proc::ClientCommand& command) {
    if (command.command == proc::Command::Resign)
        OfferResign(static_cast<match::Result>(command.level));
}

void TurnController::OfferDouble() {
    const proc::Side taker = Other(SideToMove);
    Send(proc::BuildDoubleMessage(SideToMove, cube_.value * 2, SideIsHuman(taker)));
    pause_.Wait(OfferWait);
    if (SideIsHuman(taker)) {
        phase_ = Phase::DoubleAnswer;
        return;
    }
    AnswerDouble(CubeSeat(taker).Takes(GameBoard, taker, ColourState()));
}

void TurnController::AnswerDouble(bool taken) {
    const proc::Side taker = Other(SideToMove);
    cubeActions_.push_back({TurnsBegun(), SideToMove, cube_.value * 2, taken});
    Send(proc::BuildDoubleAnswerMessage(taker, taken));
    if (!taken) {
        EndMatchGame();
        return;
    }
    cube_ = match::Take(cube_, taker);
    SendMatchState();
    RollTurn(OfferWait);
}

void TurnController::OfferResign(match::Result level) {
    // Only the person whose turn it is resigns, and once at a time.
    if (!SideIsHuman(SideToMove) || phase_ == Phase::ResignAnswer ||
        phase_ == Phase::DoubleAnswer)
        return;
    const proc::Side answerer = Other(SideToMove);
    offer_ = match::Resignation{SideToMove, level};
    Send(proc::BuildResignMessage(SideToMove, static_cast<int32_t>(level), SideIsHuman(answerer)));
    resumePhase_ = phase_;
    if (SideIsHuman(answerer)) {
        phase_ = Phase::ResignAnswer;
        return;
    }
    pause_.Wait(OfferWait);
    AnswerResign(CubeSeat(answerer).Accepts(GameBoard, answerer, offer_, ColourState()));
}

void TurnController::AnswerResign(bool accepted) {
    resignActions_.push_back({TurnsBegun(), offer_.by, offer_.level, accepted});
    Send(proc::BuildResignAnswerMessage(Other(offer_.by), accepted));
    if (accepted) {
        EndMatchGame();
        return;
    }
    // Play goes on where it stopped: the person sees the cube or the list again.
    phase_ = resumePhase_;
    if (phase_ == Phase::CubeTurn)
        Send(proc::BuildCubeTurnMessage(SideToMove));
    else
        SendMoveList();
}

void TurnController::EndMatchGame() {
    Record.Finish();
    record::MatchGame game;
    game.game = Record;
    game.firstSide = firstSide_;
    game.scoreFirst = byPlayer_.scoreWhite;
    game.scoreSecond = byPlayer_.scoreBlack;
    game.crawford = byPlayer_.crawford;
    game.cube = cubeActions_;
    game.resignations = resignActions_;
    record::SettleGame(game);
    byPlayer_ = match::AfterGame(byPlayer_, game.winner == firstSide_ ? proc::White : proc::Black,
                                 game.points);
    const bool over = match::MatchOver(byPlayer_);
    Send(proc::BuildGameOverMessage(game.winner, game.points, static_cast<int32_t>(game.level),
                                    over));
    Match.games.push_back(std::move(game));
    phase_ = Phase::Moving;
    if (!over) {
        GameRunning = false;
        pause_.Wait(BetweenGamesWait);
        BeginGame();
        return;
    }

    // The journal's row: the winner by the score's difference, under the
    // names and colours of the last game.
    const int first = byPlayer_.scoreWhite;
    const int second = byPlayer_.scoreBlack;
    const bool firstWon = first > second;
    const proc::Side winnerSide = firstWon ? firstSide_ : Other(firstSide_);
    const int32_t margin = firstWon ? first - second : second - first;
    GameRunning = false;
    if (CloseDialogHook)
        CloseDialogHook();
    link_.CloseGameServer();
    GameResult result{winnerSide == proc::White ? -margin : margin,
                      WhiteName,
                      BlackName,
                      WhiteHuman,
                      BlackHuman,
                      Record,
                      matchIdentity_,
                      Match};
    sink_.GameEnded(result);
}

} // namespace game
