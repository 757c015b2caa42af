#include "game/TurnController.h"

#include "text/Win1251.h"

#include <QDateTime>
#include <QTimer>
#include <algorithm>
#include <array>

namespace game {

namespace {

// Waits of the turn, in milliseconds.
constexpr int StartWait = 5000;
constexpr int FirstRollWait = 2000;
constexpr int ShortWait = 100;
constexpr int PassWait = 1000;
constexpr int ComputerMoveWait = 3000;

constexpr int32_t ReceiveSize = 2000;

} // namespace

TurnController::TurnController(IClientLink& link, IPlayerNames& names, IPause& pause,
                               IGameEndSink& sink, std::string programFolder, QObject* parent)
    : QObject(parent), CloseDialogHook([this] { FormClose(); }), link_(link), names_(names),
      pause_(pause), sink_(sink), programFolder_(std::move(programFolder)) {}

bool TurnController::SideIsHuman(proc::Side side) const {
    return side == proc::White ? WhiteHuman : BlackHuman;
}

void TurnController::Send(const proc::ByteArray& message) {
    link_.SendToClient(message.data(), static_cast<int32_t>(message.size()));
}

void TurnController::SendDice() {
    Send(proc::BuildDiceMessage(GameDice, SideToMove));
    Record.Add(record::DiceInfo{SideToMove, GameDice});
}

void TurnController::SendMoveList() {
    Send(proc::BuildMoveListMessage(GameBoard, GameDice, SideToMove));
}

proc::Dice TurnController::Roll() {
    return RollHook ? RollHook() : proc::RollDice();
}

void TurnController::StartGame() {
    byPlayer_ = match::MatchState{};
    byPlayer_.length = std::max(1, MatchLength);
    if (IsMatch()) {
        Match = record::MatchRecord{};
        Match.length = MatchLength;
        Match.first = names_.FirstName();
        Match.second = names_.SecondName();
        matchIdentity_.clear();
    }
    BeginGame();
}

void TurnController::BeginGame() {
    do {
        GameDice = Roll();
    } while (proc::FirstDie(GameDice) == proc::SecondDie(GameDice));
    const proc::Dice opening = GameDice;
    proc::LoadBoard(GameBoard, programFolder_);

    const bool firstIsWhite = proc::FirstDie(opening) > proc::SecondDie(opening);
    WhiteName = firstIsWhite ? names_.FirstName() : names_.SecondName();
    BlackName = firstIsWhite ? names_.SecondName() : names_.FirstName();
    WhiteHuman = !IsComputerName(WhiteName);
    BlackHuman = !IsComputerName(BlackName);
    whiteSeat_ = seats_ && !WhiteHuman ? seats_->SeatFor(proc::White, WhiteName) : nullptr;
    blackSeat_ = seats_ && !BlackHuman ? seats_->SeatFor(proc::Black, BlackName) : nullptr;
    plan_.clear();
    troubleTold_ = false;
    firstSide_ = firstIsWhite ? proc::White : proc::Black;
    cube_ = match::Cube{};
    cubeActions_.clear();
    resignActions_.clear();
    phase_ = Phase::Moving;

    const QString whiteLabel = WhiteName + " (белые)";
    const QString blackLabel = BlackName + " (чёрные)";
    Send(proc::BuildStartMessage(GameBoard, text::ToWin1251Std(whiteLabel),
                                 text::ToWin1251Std(blackLabel), opening));
    // The record keeps the whole names, which the message cuts to its fields.
    Record.Add(record::StartInfo{GameBoard, whiteLabel, blackLabel, opening});
    GameIdentity = record::NewGameIdentity(Record.StartTime());
    if (IsMatch()) {
        if (matchIdentity_.isEmpty())
            matchIdentity_ = GameIdentity;
        SendMatchState();
    }
    pause_.Wait(StartWait);

    SideToMove = proc::White;
    MoveStep = 1;
    if (IsMatch()) {
        GameRunning = true;
        BeginTurn(FirstRollWait);
        return;
    }
    RollTurn(FirstRollWait);
    GameRunning = true;
}

void TurnController::BeginTurn(int waitMs) {
    if (IsMatch() && proc::CheckGameEnd(GameBoard) != 0)
        return; // the timer's end test closes the game
    if (IsMatch() && match::MayDouble(ColourState(), SideToMove)) {
        if (SideIsHuman(SideToMove)) {
            Send(proc::BuildCubeTurnMessage(SideToMove));
            phase_ = Phase::CubeTurn;
            return;
        }
        if (CubeSeat(SideToMove).Doubles(GameBoard, SideToMove, ColourState())) {
            OfferDouble();
            return;
        }
    }
    RollTurn(waitMs);
}

void TurnController::RollTurn(int waitMs) {
    phase_ = Phase::Moving;
    GameDice = Roll();
    SendDice();
    pause_.Wait(waitMs);
    if (SideIsHuman(SideToMove))
        SendMoveList();
    pause_.Wait(ShortWait);
}

void TurnController::TimerTimer() {
    if (!GameRunning)
        return;
    if (phase_ != Phase::Moving) {
        MatchStep();
        return;
    }
    if (SideIsHuman(SideToMove))
        HumansGame();
    else
        ComputersGame();
    // A match's step may have ended its game, or stopped for an answer.
    if (IsMatch() && (!GameRunning || phase_ != Phase::Moving))
        return;
    const int32_t r = proc::CheckGameEnd(GameBoard);
    if (r == 0)
        return;
    if (IsMatch())
        EndMatchGame();
    else
        EndOfGame(r);
}

void TurnController::PlayMove(proc::Move move, int waitMs) {
    proc::ApplyMove(GameBoard, SideToMove, move);
    Send(proc::BuildMoveMessage(SideToMove, move));
    Record.Add(record::MoveInfo{SideToMove, move});
    pause_.Wait(waitMs);
}

void TurnController::AdvanceStep(proc::Move move) {
    MoveStep = NextTurnStep(MoveStep, GameDice, move);
}

void TurnController::HumansGame() {
    std::array<uint8_t, ReceiveSize> buffer{};
    proc::MoveList moves;
    const int32_t n = proc::ListMoves(GameBoard, GameDice, SideToMove, moves);
    if (n == 0) {
        ChangePlayer();
        return;
    }
    const int32_t k = link_.ReceiveFromClient(buffer.data(), ReceiveSize);
    if (k <= 0)
        return;
    const proc::ClientMessage message =
        proc::ParseClientMessage(buffer.data(), static_cast<size_t>(k));
    if (!message.isMove) {
        if (IsMatch())
            MovingCommand(proc::ParseClientCommand(buffer.data(), static_cast<size_t>(k)));
        return;
    }
    // The board is the referee's: only a whole move of the current list is
    // played. Anything else is refused and the client gets the list again.
    const auto end = moves.begin() + n;
    if (!message.complete || std::find(moves.begin(), end, message.move) == end) {
        SendMoveList();
        pause_.Wait(ShortWait);
        return;
    }

    PlayMove(message.move, ShortWait);
    // A match goes on to its next game: nothing more of this one is sent.
    if (IsMatch() && proc::CheckGameEnd(GameBoard) != 0)
        return;
    if (MoveStep >= 4) {
        ChangePlayer();
    } else {
        AdvanceStep(message.move);
        SendMoveList();
        pause_.Wait(ShortWait);
    }
    // A side left without a move passes now; after a pass this tests the
    // new side's roll, so the turn may come straight back. In a match the
    // new side may still be deciding on the cube, with no roll yet.
    if (phase_ == Phase::Moving && proc::ListMoves(GameBoard, GameDice, SideToMove, moves) == 0)
        ChangePlayer();
}

void TurnController::ComputersGame() {
    proc::MoveList moves;
    const int32_t n = proc::ListMoves(GameBoard, GameDice, SideToMove, moves);
    if (n == 0) {
        ChangePlayer();
        return;
    }
    proc::Move move{0, 0};
    if (!PlannedMove(moves, n, move))
        proc::ChooseMove(GameBoard, moves, n, move);
    PlayMove(move, ComputerMoveWait);
    if (MoveStep >= 4) {
        ChangePlayer();
    } else {
        AdvanceStep(move);
        pause_.Wait(ShortWait);
    }
}

bool TurnController::PlannedMove(const proc::MoveList& moves, int32_t count, proc::Move& move) {
    IComputerSeat* seat = SideToMove == proc::White ? whiteSeat_ : blackSeat_;
    if (seat == nullptr)
        return false;
    if (MoveStep == 1) {
        seat->SeeMatch(ColourState());
        TurnPlan plan = seat->PlanTurn(GameBoard, SideToMove, GameDice);
        plan_ = std::move(plan.moves);
        if (!plan.trouble.isEmpty())
            SeatTrouble(plan.trouble);
    }
    if (plan_.empty())
        return false;
    move = plan_.front();
    plan_.erase(plan_.begin());
    const auto end = moves.begin() + count;
    if (std::find(moves.begin(), end, move) != end)
        return true;
    plan_.clear();
    SeatTrouble(QStringLiteral("the move %1/%2 is not allowed here").arg(move.from).arg(move.to));
    return false;
}

void TurnController::SeatTrouble(const QString& why) {
    qWarning("vertan: %s: %s; the built-in computer plays this turn",
             qPrintable(SideToMove == proc::White ? WhiteName : BlackName), qPrintable(why));
    if (troubleTold_)
        return;
    troubleTold_ = true;
    if (NoticeHook)
        NoticeHook(SeatTroubleText);
}

void TurnController::ChangePlayer() {
    Record.ClosePass();
    SideToMove = static_cast<proc::Side>(-SideToMove);
    MoveStep = 1;
    BeginTurn(PassWait);
}

void TurnController::EndOfGame(int32_t r) {
    GameRunning = false;
    if (CloseDialogHook)
        CloseDialogHook();
    link_.CloseGameServer();
    Record.Finish();
    sink_.GameEnded(
        GameResult{r, WhiteName, BlackName, WhiteHuman, BlackHuman, Record, GameIdentity, {}});
}

void TurnController::FormClose() {
    GameRunning = false;
    link_.CloseGameServer();
}

QTimer* StartTurnTimer(TurnController& controller, QObject* owner, int intervalMs) {
    auto* timer = new QTimer(owner);
    timer->setInterval(intervalMs);
    QObject::connect(timer, &QTimer::timeout, &controller, &TurnController::TimerTimer);
    timer->start();
    return timer;
}

} // namespace game
