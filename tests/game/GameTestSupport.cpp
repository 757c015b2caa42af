#include "GameTestSupport.h"

#include "EventWait.h"
#include "text/Win1251.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <stdexcept>

namespace gametest {

namespace {

// The rules once more, written plainly and apart from the engine, so that
// replaying the referee's stream never checks the engine against itself.
using MoveSet = std::set<std::pair<int32_t, int32_t>>;

MoveSet SetOf(const std::vector<proc::Move>& moves) {
    MoveSet set;
    for (const proc::Move& m : moves)
        set.insert({m.from, m.to});
    return set;
}

bool Own(const proc::Board& board, int32_t cell, proc::Side side) {
    return proc::Cell(board, cell) * side > 0;
}

// Empty, own, or one opposing checker to hit.
bool Open(const proc::Board& board, int32_t point, proc::Side side) {
    const int32_t count = proc::Cell(board, point);
    return count * side >= 0 || count == -side;
}

MoveSet LegalMoves(const proc::Board& board, proc::Dice dice, proc::Side side) {
    MoveSet moves;
    std::vector<int> rolled;
    for (int d : {proc::FirstDie(dice), proc::SecondDie(dice)})
        if (d >= 1 && d <= 6) // a broken roll moves nothing
            rolled.push_back(d);
    const int32_t bar = side == proc::White ? proc::WhiteBar : proc::BlackBar;
    if (Own(board, bar, side)) {
        for (int d : rolled) {
            const int32_t entry = side == proc::White ? 25 - d : d;
            if (Open(board, entry, side))
                moves.insert({bar, entry});
        }
        return moves;
    }
    bool allHome = true;
    for (int32_t p = 1; p <= 24; ++p)
        if (Own(board, p, side) && (side == proc::White ? p > 6 : p < 19))
            allHome = false;
    for (int32_t p = 1; p <= 24; ++p) {
        if (!Own(board, p, side))
            continue;
        const int32_t distance = side == proc::White ? p : 25 - p; // to bearing off
        bool fartherOwn = false;
        for (int32_t q = 1; q <= 24; ++q)
            if (Own(board, q, side) && (side == proc::White ? q > p : q < p))
                fartherOwn = true;
        for (int d : rolled) {
            const int32_t target = p - side * d;
            if (target >= 1 && target <= 24 && Open(board, target, side))
                moves.insert({p, target});
            if (allHome && (d == distance || (d > distance && !fartherOwn)))
                moves.insert({p, proc::BearOff});
        }
    }
    return moves;
}

void Apply(proc::Board& board, proc::Side side, proc::Move move) {
    proc::Cell(board, move.from) -= side;
    if (move.to == proc::BearOff)
        return;
    if (proc::Cell(board, move.to) == -side) { // the hit checker goes to its bar
        proc::Cell(board, move.to) = 0;
        proc::Cell(board, side == proc::White ? proc::BlackBar : proc::WhiteBar) -= side;
    }
    proc::Cell(board, move.to) += side;
}

// After the first move of a non-double, the die it used shows the other one.
proc::Dice DiceLeft(proc::Move move, proc::Dice dice, proc::Side side) {
    const int a = proc::FirstDie(dice), b = proc::SecondDie(dice);
    int used = 0;
    if (move.to == proc::BearOff) {
        const int d = side == proc::White ? move.from : 25 - move.from;
        used = a == d ? a : b == d ? b : std::min(a, b) < d ? std::max(a, b) : std::min(a, b);
    } else if (move.from == proc::BlackBar) {
        used = move.to;
    } else if (move.from == proc::WhiteBar) {
        used = 25 - move.to;
    } else {
        used = std::abs(move.from - move.to);
    }
    return used == a ? proc::MakeDice(b, b) : proc::MakeDice(a, a);
}

// The computer's ranking: bear-off 7; entries 3 onto empty, 4 onto a
// checker; from a point of exactly two 2 or 3, from any other 1 or 4.
int Rank(const proc::Board& board, proc::Move move) {
    if (move.to == proc::BearOff && move.from <= 24)
        return 7;
    const bool empty = proc::Cell(board, move.to) == 0;
    if (move.from == proc::BlackBar || move.from == proc::WhiteBar)
        return empty ? 3 : 4;
    if (std::abs(proc::Cell(board, move.from)) == 2)
        return empty ? 2 : 3;
    return empty ? 1 : 4;
}

} // namespace

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
        // The outside engine is a computer too, but not ranked like the built-in one.
        whiteHuman_ = white != game::ComputerName && white != game::EngineName;
        blackHuman_ = black != game::ComputerName && black != game::EngineName;
        whiteBuiltIn_ = white == game::ComputerName;
        blackBuiltIn_ = black == game::ComputerName;
        EXPECT_EQ(m.whiteLabel, text::ToWin1251Std(white + " (белые)").substr(0, 20));
        EXPECT_EQ(m.blackLabel, text::ToWin1251Std(black + " (чёрные)").substr(0, 20));
        mustPass_ = true; // white's first roll comes next
        return;
    }
    switch (m.type) {
    case proc::DiceMessage: {
        const proc::Side expected = side_ == 0 ? proc::White : static_cast<proc::Side>(-side_);
        EXPECT_EQ(m.side, expected) << "the turn passes to the other side";
        EXPECT_FALSE(mustList_) << "a roll came where the list was due";
        if (!mustPass_) {
            EXPECT_TRUE(LegalMoves(board_, dice_, side_).empty())
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
        EXPECT_EQ(SetOf(m.moves), LegalMoves(board_, dice_, side_))
            << "the list differs from the rules for the replayed board and dice";
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
        const MoveSet legal = LegalMoves(board_, dice_, side_);
        ASSERT_TRUE(legal.count({move.from, move.to})) << "the echoed move is not legal";
        if (!Human(side_)) {
            int best = 0;
            for (const auto& [from, to] : legal)
                best = std::max(best, Rank(board_, {from, to}));
            if (side_ == proc::White ? whiteBuiltIn_ : blackBuiltIn_) {
                EXPECT_EQ(Rank(board_, move), best) << "the computer passed over a better move";
            }
            ++computerMoves;
        } else {
            ++humanMoves;
        }
        Apply(board_, side_, move);
        ++moves;
        listSinceMove_ = false;
        if (step_ == 4) {
            mustPass_ = true;
        } else {
            if (step_ == 1 && proc::FirstDie(dice_) != proc::SecondDie(dice_)) {
                step_ = 4;
                dice_ = DiceLeft(move, dice_, side_);
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
