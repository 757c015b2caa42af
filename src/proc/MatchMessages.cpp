// Byte formats of the match's messages: the cube, resignations, the score.
#include "proc/proc.h"

#include <algorithm>

namespace proc {
namespace {

uint8_t Low(int32_t v) {
    return static_cast<uint8_t>(v & 0xFF);
}

uint8_t High(int32_t v) {
    return static_cast<uint8_t>((v >> 8) & 0xFF);
}

// Lengths and scores travel as two bytes; anything wider is clamped so a
// huge score never wraps round to a small one.
int32_t Word(int32_t v) {
    return std::clamp(v, 0, 0xFFFF);
}

} // namespace

uint8_t CubeLog(int32_t value) {
    uint8_t log = 0;
    while (log < 6 && (int32_t{2} << log) <= value)
        ++log;
    return log;
}

ByteArray BuildMatchStateMessage(const MatchStateFields& f) {
    const int32_t length = Word(f.length);
    const int32_t white = Word(f.scoreWhite);
    const int32_t black = Word(f.scoreBlack);
    return {MatchStateMessage, Low(length), High(length), Low(white), High(white),
            Low(black),        High(black), CubeLog(f.cubeValue), Biased(f.cubeOwner),
            static_cast<uint8_t>(f.crawford ? 1 : 0)};
}

ByteArray BuildCubeTurnMessage(Side side) {
    return {CubeTurnMessage, Biased(side)};
}

ByteArray BuildDoubleMessage(Side doubler, int32_t value, bool personAnswers) {
    return {DoubleMessage, Biased(doubler), CubeLog(value),
            static_cast<uint8_t>(personAnswers ? 1 : 0)};
}

ByteArray BuildDoubleAnswerMessage(Side taker, bool taken) {
    return {DoubleAnswerMessage, Biased(taker), static_cast<uint8_t>(taken ? 1 : 0)};
}

ByteArray BuildResignMessage(Side by, int32_t level, bool personAnswers) {
    return {ResignMessage, Biased(by), Low(std::clamp(level, 1, 3)),
            static_cast<uint8_t>(personAnswers ? 1 : 0)};
}

ByteArray BuildResignAnswerMessage(Side side, bool accepted) {
    return {ResignAnswerMessage, Biased(side), static_cast<uint8_t>(accepted ? 1 : 0)};
}

ByteArray BuildGameOverMessage(Side winner, int32_t points, int32_t level, bool matchOver) {
    const int32_t p = Word(points);
    return {GameOverMessage, Biased(winner),  Low(p), High(p), Low(std::clamp(level, 1, 3)),
            static_cast<uint8_t>(matchOver ? 1 : 0)};
}

ClientCommand ParseClientCommand(const uint8_t* data, size_t size) {
    ClientCommand command;
    if (data == nullptr || size == 0)
        return command;
    const uint8_t type = data[0];
    if (type < static_cast<uint8_t>(Command::Move) || type > static_cast<uint8_t>(Command::Refuse))
        return command;
    command.command = static_cast<Command>(type);
    if (command.command == Command::Move) {
        command.move = ParseClientMessage(data, size);
    } else if (command.command == Command::Resign) {
        command.level = size > 1 ? data[1] : 0;
        if (command.level < 1 || command.level > 3)
            command = ClientCommand{};
    }
    return command;
}

ByteArray BuildClientCommand(Command command, int32_t level) {
    return {static_cast<uint8_t>(command), Low(level)};
}

} // namespace proc
