// Rules engine of the game and the byte formats of the board client's
// messages. Standard C++ only: the engine keeps no state but the dice
// generator's, and works on boards that the caller owns.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace proc {

using Board = std::array<int32_t, 26>; // cell k at index k - 1
using Side = int8_t;                   // +1 white, -1 black
using Dice = uint16_t;                 // first die in the low byte, second in the high byte
struct Move {
    int32_t from;
    int32_t to;
};
using MoveList = std::array<Move, 1000>;
using ByteArray = std::vector<uint8_t>;
constexpr int32_t BearOff = 27;

constexpr Side White = 1;
constexpr Side Black = -1;
constexpr int32_t BlackBar = 25;
constexpr int32_t WhiteBar = 26;

inline bool operator==(const Move& a, const Move& b) { return a.from == b.from && a.to == b.to; }

/*! Cell k (1..26) of a board. */
inline int32_t& Cell(Board& board, int32_t k) { return board[static_cast<size_t>(k - 1)]; }
inline int32_t Cell(const Board& board, int32_t k) { return board[static_cast<size_t>(k - 1)]; }

inline uint8_t FirstDie(Dice dice) { return static_cast<uint8_t>(dice & 0xFF); }
inline uint8_t SecondDie(Dice dice) { return static_cast<uint8_t>(dice >> 8); }
inline Dice MakeDice(int first, int second) { return static_cast<Dice>(first | (second << 8)); }

/*! Raised by LoadBoard: carries the platform's error code and text. */
class InOutError : public std::runtime_error {
public:
    InOutError(int code, const std::string& text) : std::runtime_error(text), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

/*! The clock read at every roll; tests replace it. Returns the low 32 bits of
    a high-resolution counter. An empty function restores the steady clock. */
using DiceClock = std::function<uint32_t()>;
void SetDiceClock(DiceClock clock);

/*! Reseeds the process-wide generator from the dice clock, then draws two dice. */
Dice RollDice();
/*! The same two generator steps from a given state: RollDice() == RollDiceFrom(clock). */
Dice RollDiceFrom(uint32_t seed);

/*! Reads programFolder + "\Data\Board.cfg" into cells 1..24 and clears both
    bars. Throws InOutError on a missing file, a bad token or an out-of-range
    number; cells read before the failure keep their new values. */
void LoadBoard(Board& board, const std::string& programFolder);
/*! The initial position file below a program folder. */
std::string BoardFilePath(const std::string& programFolder);
/*! LoadBoard on a file named directly. */
void LoadBoardFile(Board& board, const std::string& path);
/*! 0 while both sides have checkers; otherwise the signed sum of what is left
    (negative: white has won, positive: black has won). */
int32_t CheckGameEnd(const Board& board);
/*! Every legal single-checker move of side for the dice, in the fixed order;
    returns the count. The caller's board is not changed, nor the list beyond
    the count. A die outside 1..6 gives no move. */
int32_t ListMoves(Board board, Dice dice, Side side, MoveList& moves);
/*! Applies one listed move: bear-off, hit, entry or ordinary move. No rule
    checks; a move naming cells the board does not have changes nothing. */
void ApplyMove(Board& board, Side side, Move move);
/*! The computer's choice among the first count entries; writes nothing when count < 1. */
void ChooseMove(const Board& board, const MoveList& moves, int32_t count, Move& result);

/*! Type 1, 69 bytes. Labels are Windows-1251 bytes; each is cut to 20. */
ByteArray BuildStartMessage(const Board& board, std::string_view whiteLabel,
                            std::string_view blackLabel, Dice opening);
/*! Type 2, 4 bytes. */
ByteArray BuildDiceMessage(Dice dice, Side side);
/*! Type 3, 3 + 2n bytes: the generator's list sorted stably by source cell. */
ByteArray BuildMoveListMessage(const Board& board, Dice dice, Side side);
/*! Type 4, 4 bytes. */
ByteArray BuildMoveMessage(Side side, Move move);

/*! Message types of the protocol (first byte). */
enum MessageType : uint8_t { StartMessage = 1, DiceMessage = 2, MoveListMessage = 3, MoveMessage = 4 };
constexpr size_t StartMessageSize = 69;
constexpr size_t LabelSize = 20;
/*! The biased byte of a signed value, and back. */
inline uint8_t Biased(int32_t v) { return static_cast<uint8_t>((v + 128) & 0xFF); }
inline int32_t Unbiased(uint8_t b) { return static_cast<int32_t>(b) - 128; }

/*! The client's move message: 1, any, from - 1, to - 1 (zero-based cells). */
ByteArray BuildClientMoveMessage(Move move);
/*! One receive of the client, as the referee reads it: isMove when byte 0 is 1;
    complete when at least four bytes came; move = (byte 2 + 1, byte 3 + 1),
    missing bytes reading as 0. */
struct ClientMessage {
    bool isMove = false;
    bool complete = false;
    Move move{0, 0};
};
ClientMessage ParseClientMessage(const uint8_t* data, size_t size);

// Match play. A game of a longer match adds these messages; a single game
// sends none of them. Numbers wider than a byte go low byte first.

/*! Types of the match's messages to the client. */
enum MatchMessageType : uint8_t {
    MatchStateMessage = 5,  // 10 bytes: length, both scores, cube, flags
    CubeTurnMessage = 6,    // 2 bytes: the person to move may double or roll
    DoubleMessage = 7,      // 4 bytes: the doubler, the cube's new value, taker is a person
    DoubleAnswerMessage = 8, // 3 bytes: the taker took (1) or passed (0)
    ResignMessage = 9,      // 4 bytes: who offers, the level 1..3, answerer is a person
    ResignAnswerMessage = 10, // 3 bytes: who answered, accepted (1) or not (0)
    GameOverMessage = 11,   // 6 bytes: winner, points, level, match over
};
constexpr size_t MatchStateMessageSize = 10;

/*! A server message's size by its type byte where the type fixes it; 0 for
    the move list (its count is in byte 2) and for an unknown type. */
constexpr size_t FixedMessageSize(uint8_t type) {
    switch (type) {
    case StartMessage:
        return StartMessageSize;
    case MatchStateMessage:
        return MatchStateMessageSize;
    case CubeTurnMessage:
        return 2;
    case DoubleAnswerMessage:
    case ResignAnswerMessage:
        return 3;
    case DiceMessage:
    case MoveMessage:
    case DoubleMessage:
    case ResignMessage:
        return 4;
    case GameOverMessage:
        return 6;
    default:
        return 0;
    }
}

/*! The match around the current game. Scores are by this game's colours;
    the cube's value is a power of two up to 64, owner 0 while centred. */
struct MatchStateFields {
    int32_t length = 1;
    int32_t scoreWhite = 0;
    int32_t scoreBlack = 0;
    int32_t cubeValue = 1;
    Side cubeOwner = 0;
    bool crawford = false;
};
ByteArray BuildMatchStateMessage(const MatchStateFields& fields);
ByteArray BuildCubeTurnMessage(Side side);
/*! value: the cube's value once taken; personAnswers: the taker is a person
    whose client must answer. */
ByteArray BuildDoubleMessage(Side doubler, int32_t value, bool personAnswers);
ByteArray BuildDoubleAnswerMessage(Side taker, bool taken);
ByteArray BuildResignMessage(Side by, int32_t level, bool personAnswers);
ByteArray BuildResignAnswerMessage(Side side, bool accepted);
ByteArray BuildGameOverMessage(Side winner, int32_t points, int32_t level, bool matchOver);
/*! log2 of a cube value (1 -> 0, 64 -> 6); values that are no power of two
    round down, below 1 read as 1. */
uint8_t CubeLog(int32_t value);

/*! What the person's client may send in a match besides a move: two bytes,
    the type and an argument (the level of a resignation). */
enum class Command : uint8_t {
    None = 0,
    Move = 1,
    Roll = 2,
    Double = 3,
    Take = 4,
    Pass = 5,
    Resign = 6,
    Accept = 7,
    Refuse = 8,
};
struct ClientCommand {
    Command command = Command::None;
    int32_t level = 0; // Resign: 1 single, 2 gammon, 3 backgammon
    ClientMessage move; // Move: as ParseClientMessage reads it
};
/*! One receive of the client in a match. A type byte outside the table, or
    a resignation level outside 1..3, is None. */
ClientCommand ParseClientCommand(const uint8_t* data, size_t size);
ByteArray BuildClientCommand(Command command, int32_t level = 0);

/*! Which die a move used, for the remaining-die rule: true for the first die. */
bool UsesFirstDie(Move move, Dice dice);
/*! The remaining-die rule: the used die takes the value of the other one. */
Dice RemainingDice(Move move, Dice dice);

} // namespace proc
