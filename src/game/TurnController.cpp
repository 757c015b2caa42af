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

bool IsDouble(proc::Dice dice) {
    return proc::FirstDie(dice) == proc::SecondDie(dice);
}

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

void TurnController::StartGame() {
    do {
        GameDice = proc::RollDice();
    } while (IsDouble(GameDice));
    const proc::Dice opening = GameDice;
    proc::LoadBoard(GameBoard, programFolder_);

    const bool firstIsWhite = proc::FirstDie(opening) > proc::SecondDie(opening);
    WhiteName = firstIsWhite ? names_.FirstName() : names_.SecondName();
    BlackName = firstIsWhite ? names_.SecondName() : names_.FirstName();
    WhiteHuman = WhiteName != ComputerName;
    BlackHuman = BlackName != ComputerName;

    const QString whiteLabel = WhiteName + " (белые)";
    const QString blackLabel = BlackName + " (чёрные)";
    Send(proc::BuildStartMessage(GameBoard, text::ToWin1251Std(whiteLabel),
                                 text::ToWin1251Std(blackLabel), opening));
    // The record keeps the whole names, which the message cuts to its fields.
    Record.Add(record::StartInfo{GameBoard, whiteLabel, blackLabel, opening});
    GameIdentity = record::NewGameIdentity(Record.StartTime());
    pause_.Wait(StartWait);

    SideToMove = proc::White;
    MoveStep = 1;
    GameDice = proc::RollDice();
    SendDice();
    pause_.Wait(FirstRollWait);
    if (WhiteHuman)
        SendMoveList();
    pause_.Wait(ShortWait);
    GameRunning = true;
}

void TurnController::TimerTimer() {
    if (!GameRunning)
        return;
    if (SideIsHuman(SideToMove))
        HumansGame();
    else
        ComputersGame();
    const int32_t r = proc::CheckGameEnd(GameBoard);
    if (r != 0)
        EndOfGame(r);
}

void TurnController::PlayMove(proc::Move move, int waitMs) {
    proc::ApplyMove(GameBoard, SideToMove, move);
    Send(proc::BuildMoveMessage(SideToMove, move));
    Record.Add(record::MoveInfo{SideToMove, move});
    pause_.Wait(waitMs);
}

void TurnController::AdvanceStep(proc::Move move) {
    switch (MoveStep) {
    case 1:
        if (IsDouble(GameDice)) {
            MoveStep = 2;
        } else {
            MoveStep = 4;
            GameDice = proc::RemainingDice(move, GameDice);
        }
        break;
    case 2:
        MoveStep = 3;
        break;
    default:
        MoveStep = 4;
        break;
    }
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
    if (!message.isMove)
        return;
    // The board is the referee's: only a whole move of the current list is
    // played. Anything else is refused and the client gets the list again.
    const auto end = moves.begin() + n;
    if (!message.complete || std::find(moves.begin(), end, message.move) == end) {
        SendMoveList();
        pause_.Wait(ShortWait);
        return;
    }

    PlayMove(message.move, ShortWait);
    if (MoveStep >= 4) {
        ChangePlayer();
    } else {
        AdvanceStep(message.move);
        SendMoveList();
        pause_.Wait(ShortWait);
    }
    // A side left without a move passes now; after a pass this tests the
    // new side's roll, so the turn may come straight back.
    if (proc::ListMoves(GameBoard, GameDice, SideToMove, moves) == 0)
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
    proc::ChooseMove(GameBoard, moves, n, move);
    PlayMove(move, ComputerMoveWait);
    if (MoveStep >= 4) {
        ChangePlayer();
    } else {
        AdvanceStep(move);
        pause_.Wait(ShortWait);
    }
}

void TurnController::ChangePlayer() {
    SideToMove = static_cast<proc::Side>(-SideToMove);
    MoveStep = 1;
    GameDice = proc::RollDice();
    SendDice();
    pause_.Wait(PassWait);
    if (SideIsHuman(SideToMove))
        SendMoveList();
    pause_.Wait(ShortWait);
}

void TurnController::EndOfGame(int32_t r) {
    GameRunning = false;
    if (CloseDialogHook)
        CloseDialogHook();
    link_.CloseGameServer();
    Record.Finish();
    sink_.GameEnded(
        GameResult{r, WhiteName, BlackName, WhiteHuman, BlackHuman, Record, GameIdentity});
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
