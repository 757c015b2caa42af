#include "GameTestSupport.h"

#include "EventWait.h"
#include "text/Win1251.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

namespace gametest {

ProgramFolder::ProgramFolder(const std::string& boardText) {
    QDir(dir_.path()).mkpath("Data");
    std::ofstream(dir_.path().toStdString() + "/Data/Board.cfg") << boardText;
}

ProgramFolder::ProgramFolder() = default;

std::string StandardBoardText() {
    std::ifstream in(VERTAN_SOURCE_DIR "/data/Data/Board.cfg");
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().empty())
        throw std::runtime_error("the shipped Board.cfg is missing");
    return text.str();
}

std::string BoardText(const proc::Board& board) {
    std::string text;
    for (int32_t k = 1; k <= 24; ++k)
        text += std::to_string(proc::Cell(board, k)) + (k % 12 == 0 ? "\n" : " ");
    return text;
}

proc::Board MakeBoard(std::initializer_list<std::pair<int32_t, int32_t>> cells) {
    proc::Board board{};
    for (const auto& [cell, count] : cells)
        proc::Cell(board, cell) = count;
    return board;
}

uint32_t SeedFor(int first, int second) {
    const proc::Dice wanted = proc::MakeDice(first, second);
    for (uint32_t seed = 0;; ++seed)
        if (proc::RollDiceFrom(seed) == wanted)
            return seed;
}

ScriptedDice::ScriptedDice(std::vector<std::pair<int, int>> rolls, uint32_t fallbackSeed)
    : state_(std::make_shared<State>()) {
    for (const auto& [a, b] : rolls)
        state_->seeds.push_back(SeedFor(a, b));
    state_->counter = fallbackSeed;
    std::shared_ptr<State> state = state_;
    proc::SetDiceClock([state] {
        ++state->reads;
        if (state->next < state->seeds.size())
            return state->seeds[state->next++];
        return state->counter++;
    });
}

ScriptedDice::~ScriptedDice() {
    proc::SetDiceClock({});
}

void ScriptedDice::Push(int first, int second) {
    state_->seeds.push_back(SeedFor(first, second));
}

int32_t CountingLink::SendToClient(const uint8_t* data, int32_t size) {
    const int32_t n = dm_.SendToClient(data, size);
    if (n > 0)
        sent += n;
    return n;
}

void ProtocolChecker::Feed(const clientproto::Message& m) {
    SCOPED_TRACE("message " + std::to_string(index_++) + ": " +
                 clientproto::Describe(m, [](std::string_view s) { return std::string(s); }));
    if (!started_) {
        ASSERT_EQ(m.type, proc::StartMessage) << "the first message must be the start";
        started_ = true;
        board_ = m.board;
        const int a = proc::FirstDie(m.dice), b = proc::SecondDie(m.dice);
        EXPECT_NE(a, b) << "the opening roll decides the colours: never a double";
        EXPECT_TRUE(a >= 1 && a <= 6 && b >= 1 && b <= 6);
        whiteIsFirst_ = a > b;
        const QString white = whiteIsFirst_ ? first_ : second_;
        const QString black = whiteIsFirst_ ? second_ : first_;
        whiteHuman_ = white != game::ComputerName;
        blackHuman_ = black != game::ComputerName;
        EXPECT_EQ(m.whiteLabel, text::ToWin1251Std(white + " (белые)").substr(0, 20));
        EXPECT_EQ(m.blackLabel, text::ToWin1251Std(black + " (чёрные)").substr(0, 20));
        mustPass_ = true; // white's first roll comes next
        return;
    }
    proc::MoveList list;
    switch (m.type) {
    case proc::DiceMessage: {
        const proc::Side expected = side_ == 0 ? proc::White : static_cast<proc::Side>(-side_);
        EXPECT_EQ(m.side, expected) << "the turn passes to the other side";
        EXPECT_FALSE(mustList_) << "a roll came where the list was due";
        if (!mustPass_) {
            EXPECT_EQ(proc::ListMoves(board_, dice_, side_, list), 0)
                << "the turn passed although a move was possible";
        }
        const int a = proc::FirstDie(m.dice), b = proc::SecondDie(m.dice);
        EXPECT_TRUE(a >= 1 && a <= 6 && b >= 1 && b <= 6);
        side_ = m.side;
        dice_ = m.dice;
        step_ = 1;
        mustPass_ = false;
        mustList_ = Human(side_);
        listSinceMove_ = false;
        ++passes;
        break;
    }
    case proc::MoveListMessage:
        EXPECT_EQ(m.side, side_);
        EXPECT_TRUE(Human(side_)) << "a list for the computer's side";
        EXPECT_TRUE(mustList_ || (allowResentList && listSinceMove_)) << "a list out of turn";
        EXPECT_EQ(m.bytes, proc::BuildMoveListMessage(board_, dice_, side_))
            << "the list differs from the engine's for the replayed board and dice";
        mustList_ = false;
        listSinceMove_ = true;
        if (m.moves.empty())
            mustPass_ = true;
        ++lists;
        break;
    case proc::MoveMessage: {
        ASSERT_EQ(m.moves.size(), 1u);
        const proc::Move move = m.moves.front();
        EXPECT_EQ(m.side, side_);
        EXPECT_FALSE(mustList_) << "a move before the list was sent";
        EXPECT_FALSE(mustPass_) << "a move after the last one of the turn";
        const int32_t n = proc::ListMoves(board_, dice_, side_, list);
        EXPECT_NE(std::find(list.begin(), list.begin() + n, move), list.begin() + n)
            << "the echoed move is not legal";
        if (!Human(side_)) {
            proc::Move choice{0, 0};
            proc::ChooseMove(board_, list, n, choice);
            EXPECT_EQ(move, choice) << "the computer must play ChooseMove's choice";
            ++computerMoves;
        } else {
            ++humanMoves;
        }
        proc::ApplyMove(board_, side_, move);
        ++moves;
        listSinceMove_ = false;
        if (step_ == 4) {
            mustPass_ = true;
        } else {
            if (step_ == 1 && proc::FirstDie(dice_) != proc::SecondDie(dice_)) {
                step_ = 4;
                dice_ = proc::RemainingDice(move, dice_);
            } else {
                ++step_;
            }
            mustList_ = Human(side_);
        }
        break;
    }
    default:
        ADD_FAILURE() << "unexpected message type " << int(m.type);
    }
}

Rig::Rig(QString first, QString second, const std::string& boardText,
         testclient::Options clientOptions)
    : folder(boardText), names(first, second), controller(link, names, pause, sink, folder.Path()),
      client(clientOptions) {
    dm.AcceptHook = [this] { controller.StartGame(); };
    dm.DisconnectHook = [this] { controller.FormClose(); };
    dm.OpenGameServer(0);
}

bool Rig::Connect() {
    client.ConnectTo(dm.ListeningPort());
    return testclient::ProcessEventsUntil(
               [&] { return dm.ClientConnected && client.Connected(); }) &&
           Sync();
}

bool Rig::Sync() {
    return testclient::ProcessEventsUntil([&] { return client.BytesReceived() >= link.sent; });
}

void Rig::Tick() {
    controller.TimerTimer();
    Sync();
}

bool Rig::SendRaw(const proc::ByteArray& bytes) {
    const int64_t before = dm.BytesWaiting();
    client.Send(bytes);
    return testclient::ProcessEventsUntil(
        [&] { return dm.BytesWaiting() >= before + static_cast<int64_t>(bytes.size()); });
}

bool Rig::SendMove(proc::Move move) {
    return SendRaw(proc::BuildClientMoveMessage(move));
}

std::vector<clientproto::Message> Rig::TakeNew() {
    const auto& all = client.Messages();
    std::vector<clientproto::Message> fresh(all.begin() + static_cast<std::ptrdiff_t>(taken_),
                                            all.end());
    taken_ = all.size();
    return fresh;
}

void Rig::SetPosition(const proc::Board& board, proc::Dice dice, proc::Side side, uint8_t step) {
    controller.GameBoard = board;
    controller.GameDice = dice;
    controller.SideToMove = side;
    controller.MoveStep = step;
}

std::string Types(const std::vector<clientproto::Message>& messages) {
    std::string types;
    for (const auto& m : messages) {
        if (!types.empty())
            types += ' ';
        types += std::to_string(m.type);
    }
    return types;
}

uint16_t StartRefereeProcess(QProcess& referee, const QStringList& args) {
    referee.setProgram(QStringLiteral(VERTAN_PROGRAM_DIR "/referee"));
    referee.setArguments(args + QStringList{"--port", "0", "--pause-scale", "0"});
    referee.start();
    if (!referee.waitForStarted(10000) || !referee.waitForReadyRead(10000))
        return 0;
    const QRegularExpressionMatch m = QRegularExpression("^listening on port (\\d+)$")
                                          .match(QString::fromUtf8(referee.readLine()).trimmed());
    return m.hasMatch() ? static_cast<uint16_t>(m.captured(1).toUInt()) : 0;
}

} // namespace gametest
