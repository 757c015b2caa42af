// Byte formats of the messages exchanged with the board client.
#include "proc/proc.h"

#include <utility>

namespace proc {
namespace {

uint8_t Low(int32_t v) {
    return static_cast<uint8_t>(v & 0xFF);
}

void PutLabel(ByteArray& message, size_t offset, std::string_view label) {
    if (label.size() > LabelSize)
        label = label.substr(0, LabelSize);
    for (size_t j = 0; j < label.size(); ++j)
        message[offset + j] = static_cast<uint8_t>(label[j]);
}

} // namespace

ByteArray BuildStartMessage(const Board& board, std::string_view whiteLabel,
                            std::string_view blackLabel, Dice opening) {
    ByteArray message(StartMessageSize, 0);
    message[0] = StartMessage;
    for (int32_t k = 1; k <= 26; ++k)
        message[static_cast<size_t>(k)] = Biased(Cell(board, k));
    PutLabel(message, 27, whiteLabel);
    PutLabel(message, 47, blackLabel);
    message[67] = FirstDie(opening);
    message[68] = SecondDie(opening);
    return message;
}

ByteArray BuildDiceMessage(Dice dice, Side side) {
    return {DiceMessage, Biased(side), FirstDie(dice), SecondDie(dice)};
}

ByteArray BuildMoveListMessage(const Board& board, Dice dice, Side side) {
    MoveList moves;
    const int32_t n = ListMoves(board, dice, side, moves);
    const size_t count = static_cast<size_t>(n);
    // Bubble sort on the source alone: stable, so one source keeps the
    // generator's die order.
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t i = 0; i + 1 < count; ++i) {
            if (moves[i].from > moves[i + 1].from) {
                std::swap(moves[i], moves[i + 1]);
                swapped = true;
            }
        }
    }
    ByteArray message(3 + 2 * count);
    message[0] = MoveListMessage;
    message[1] = Biased(side);
    message[2] = Biased(n);
    for (size_t i = 0; i < count; ++i) {
        message[3 + 2 * i] = Low(moves[i].from);
        message[4 + 2 * i] = Low(moves[i].to);
    }
    return message;
}

ByteArray BuildMoveMessage(Side side, Move move) {
    return {MoveMessage, Biased(side), Low(move.from), Low(move.to)};
}

ByteArray BuildClientMoveMessage(Move move) {
    return {1, 0, Low(move.from - 1), Low(move.to - 1)};
}

ClientMessage ParseClientMessage(const uint8_t* data, size_t size) {
    ClientMessage message;
    auto byteAt = [&](size_t i) -> uint8_t { return data != nullptr && i < size ? data[i] : 0; };
    message.isMove = byteAt(0) == 1;
    message.complete = size >= 4;
    message.move = {byteAt(2) + 1, byteAt(3) + 1};
    return message;
}

} // namespace proc
