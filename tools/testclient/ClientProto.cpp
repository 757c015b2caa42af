#include "ClientProto.h"

#include <algorithm>

namespace clientproto {

namespace {

std::string Label(const uint8_t* field) {
    std::string label(reinterpret_cast<const char*>(field), proc::LabelSize);
    label.erase(std::find(label.begin(), label.end(), '\0'), label.end());
    return label;
}

std::string HexBytes(const proc::ByteArray& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : bytes) {
        if (!hex.empty())
            hex += ' ';
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

} // namespace

std::optional<size_t> MessageLength(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    if (data[0] == proc::MoveListMessage) {
        if (size < 3)
            return 0;
        return 3 + 2 * static_cast<size_t>(data[2] ^ 0x80); // n is biased: n + 128
    }
    if (const size_t fixed = proc::FixedMessageSize(data[0]))
        return fixed;
    return std::nullopt;
}

std::optional<Message> Decode(const uint8_t* data, size_t size) {
    const std::optional<size_t> length = MessageLength(data, size);
    if (!length || *length == 0 || *length != size)
        return std::nullopt;
    Message m;
    m.type = data[0];
    m.bytes.assign(data, data + size);
    switch (m.type) {
    case proc::StartMessage:
        for (int32_t k = 1; k <= 26; ++k)
            proc::Cell(m.board, k) = proc::Unbiased(data[k]);
        m.whiteLabel = Label(data + 27);
        m.blackLabel = Label(data + 47);
        m.dice = proc::MakeDice(data[67], data[68]);
        break;
    case proc::DiceMessage:
        m.side = static_cast<proc::Side>(proc::Unbiased(data[1]));
        m.dice = proc::MakeDice(data[2], data[3]);
        break;
    case proc::MoveListMessage:
        m.side = static_cast<proc::Side>(proc::Unbiased(data[1]));
        for (size_t i = 3; i + 1 < size; i += 2)
            m.moves.push_back({data[i], data[i + 1]});
        break;
    case proc::MoveMessage:
        m.side = static_cast<proc::Side>(proc::Unbiased(data[1]));
        m.moves.push_back({data[2], data[3]});
        break;
    case proc::MatchStateMessage:
        break; // the fields are read from bytes where a test needs them
    default: // the other match messages: the side comes first
        m.side = static_cast<proc::Side>(proc::Unbiased(data[1]));
        break;
    }
    return m;
}

void MessageSplitter::Append(const uint8_t* data, size_t size) {
    pending_.insert(pending_.end(), data, data + size);
}

std::optional<Message> MessageSplitter::Next() {
    if (broken_)
        return std::nullopt;
    const std::optional<size_t> length = MessageLength(pending_.data(), pending_.size());
    if (!length) {
        broken_ = true;
        return std::nullopt;
    }
    if (*length == 0 || pending_.size() < *length)
        return std::nullopt;
    std::optional<Message> m = Decode(pending_.data(), *length);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*length));
    return m;
}

std::string SideName(proc::Side side) {
    return side == proc::White ? "white" : side == proc::Black ? "black" : std::to_string(side);
}

std::string DescribeMove(proc::Move move) {
    return std::to_string(move.from) + "-" + std::to_string(move.to);
}

std::string Describe(const Message& m, const LabelText& labelText) {
    std::string line;
    switch (m.type) {
    case proc::StartMessage: {
        line = "start white=\"" + labelText(m.whiteLabel) + "\" black=\"" +
               labelText(m.blackLabel) + "\" opening=" + std::to_string(proc::FirstDie(m.dice)) +
               "-" + std::to_string(proc::SecondDie(m.dice)) + " board=";
        bool first = true;
        for (int32_t k = 1; k <= 26; ++k) {
            if (proc::Cell(m.board, k) == 0)
                continue;
            if (!first)
                line += ' ';
            line += std::to_string(k);
            line += ':';
            line += std::to_string(proc::Cell(m.board, k));
            first = false;
        }
        break;
    }
    case proc::DiceMessage:
        line = "dice " + SideName(m.side) + " " + std::to_string(proc::FirstDie(m.dice)) + "-" +
               std::to_string(proc::SecondDie(m.dice));
        break;
    case proc::MoveListMessage:
        line = "list " + SideName(m.side) + " n=" + std::to_string(m.moves.size());
        for (size_t i = 0; i < m.moves.size(); ++i) {
            line += i == 0 ? ": " : " ";
            line += DescribeMove(m.moves[i]);
        }
        break;
    case proc::MoveMessage:
        line = "move " + SideName(m.side) + " " + DescribeMove(m.moves.front());
        break;
    case proc::MatchStateMessage:
        line = "match " + HexBytes(m.bytes);
        break;
    case proc::CubeTurnMessage:
        line = "cube-turn " + SideName(m.side);
        break;
    case proc::DoubleMessage:
        line = "double " + SideName(m.side) + " to " + std::to_string(1 << m.bytes[2]);
        break;
    case proc::DoubleAnswerMessage:
        line = (m.bytes[2] != 0 ? "take " : "pass ") + SideName(m.side);
        break;
    case proc::ResignMessage:
        line = "resign " + SideName(m.side) + " level " + std::to_string(m.bytes[2]);
        break;
    case proc::ResignAnswerMessage:
        line = (m.bytes[2] != 0 ? "accept " : "refuse ") + SideName(m.side);
        break;
    case proc::GameOverMessage:
        line = "game-over " + SideName(m.side) + " points " +
               std::to_string(m.bytes[2] | (m.bytes[3] << 8));
        break;
    default:
        line = "unknown " + HexBytes(m.bytes);
        break;
    }
    return line;
}

} // namespace clientproto
