#include "client/MessageDecoder.h"

#include "text/Win1251.h"

#include <algorithm>

namespace client {
namespace {

uint8_t ByteAt(QByteArrayView bytes, qsizetype i) {
    return static_cast<uint8_t>(bytes[i]);
}

bool ReadSide(uint8_t byte, proc::Side& side) {
    const int32_t value = proc::Unbiased(byte);
    if (value != proc::White && value != proc::Black) {
        return false;
    }
    side = static_cast<proc::Side>(value);
    return true;
}

bool IsDie(uint8_t value) {
    return value >= 1 && value <= 6;
}
bool IsSource(uint8_t cell) {
    return cell >= 1 && cell <= 26;
}
bool IsTarget(uint8_t cell) {
    return (cell >= 1 && cell <= 24) || cell == proc::BearOff;
}

// A label field: Windows-1251 bytes, zero-padded, unterminated when full.
QString Label(QByteArrayView field) {
    const qsizetype end = field.indexOf('\0');
    return text::FromWin1251(field.first(end < 0 ? field.size() : end).toByteArray());
}

QString SideName(proc::Side side) {
    return side == proc::White ? QStringLiteral("white") : QStringLiteral("black");
}

QString MoveText(proc::Move move) {
    return QStringLiteral("%1-%2").arg(move.from).arg(move.to);
}

QString DiceText(proc::Dice dice) {
    return QStringLiteral("%1-%2").arg(proc::FirstDie(dice)).arg(proc::SecondDie(dice));
}

std::optional<Message> DecodeStart(QByteArrayView bytes, QString& problem) {
    StartInfo start;
    for (int32_t k = 1; k <= 26; ++k) {
        proc::Cell(start.board, k) = proc::Unbiased(ByteAt(bytes, k));
    }
    if (proc::Cell(start.board, proc::BlackBar) > 0 ||
        proc::Cell(start.board, proc::WhiteBar) < 0) {
        problem = QStringLiteral("start message: a bar holds the other side's checkers");
        return std::nullopt;
    }
    start.whiteLabel = Label(bytes.sliced(27, proc::LabelSize));
    start.blackLabel = Label(bytes.sliced(47, proc::LabelSize));
    if (!IsDie(ByteAt(bytes, 67)) || !IsDie(ByteAt(bytes, 68))) {
        problem = QStringLiteral("start message: opening dice %1 and %2 are not dice")
                      .arg(ByteAt(bytes, 67))
                      .arg(ByteAt(bytes, 68));
        return std::nullopt;
    }
    start.opening = proc::MakeDice(ByteAt(bytes, 67), ByteAt(bytes, 68));
    return start;
}

std::optional<Message> DecodeDice(QByteArrayView bytes, QString& problem) {
    DiceInfo dice;
    if (!ReadSide(ByteAt(bytes, 1), dice.side) || !IsDie(ByteAt(bytes, 2)) ||
        !IsDie(ByteAt(bytes, 3))) {
        problem = QStringLiteral("dice message with side byte %1 and dice %2, %3")
                      .arg(ByteAt(bytes, 1))
                      .arg(ByteAt(bytes, 2))
                      .arg(ByteAt(bytes, 3));
        return std::nullopt;
    }
    dice.dice = proc::MakeDice(ByteAt(bytes, 2), ByteAt(bytes, 3));
    return dice;
}

std::optional<Message> DecodeList(QByteArrayView bytes, QString& problem) {
    MoveListInfo list;
    if (!ReadSide(ByteAt(bytes, 1), list.side)) {
        problem = QStringLiteral("move list with side byte %1").arg(ByteAt(bytes, 1));
        return std::nullopt;
    }
    const int count = proc::Unbiased(ByteAt(bytes, 2));
    for (int i = 0; i < count; ++i) {
        const uint8_t from = ByteAt(bytes, 3 + 2 * i);
        const uint8_t to = ByteAt(bytes, 4 + 2 * i);
        if (!IsSource(from) || !IsTarget(to)) {
            problem = QStringLiteral("move list entry %1 names cells %2 and %3")
                          .arg(i + 1)
                          .arg(from)
                          .arg(to);
            return std::nullopt;
        }
        list.moves.push_back({from, to});
    }
    return list;
}

std::optional<Message> DecodeMove(QByteArrayView bytes, QString& problem) {
    MoveInfo move;
    const uint8_t from = ByteAt(bytes, 2);
    const uint8_t to = ByteAt(bytes, 3);
    if (!ReadSide(ByteAt(bytes, 1), move.side) || !IsSource(from) || !IsTarget(to)) {
        problem = QStringLiteral("move message with side byte %1 and cells %2, %3")
                      .arg(ByteAt(bytes, 1))
                      .arg(from)
                      .arg(to);
        return std::nullopt;
    }
    move.move = {from, to};
    return move;
}

bool ReadFlag(uint8_t byte, bool& flag) {
    flag = byte == 1;
    return byte <= 1;
}

bool IsLevel(uint8_t level) {
    return level >= 1 && level <= 3;
}

// Two bytes, low first.
int Word(QByteArrayView bytes, qsizetype at) {
    return ByteAt(bytes, at) | (ByteAt(bytes, at + 1) << 8);
}

// The cube's value travels as its log2; the cube stops at 64.
constexpr uint8_t MaxCubeLog = 6;

// A match message's fields, or a problem naming its bytes.
template <typename Info>
std::optional<Message> Checked(bool valid, const Info& info, const char* what, QByteArrayView bytes,
                               QString& problem) {
    if (!valid) {
        problem =
            QStringLiteral("%1 message with bytes %2").arg(what, bytes.toByteArray().toHex(' '));
        return std::nullopt;
    }
    return info;
}

std::optional<Message> DecodeMatchState(QByteArrayView bytes, QString& problem) {
    MatchStateInfo state;
    state.length = Word(bytes, 1);
    state.scoreWhite = Word(bytes, 3);
    state.scoreBlack = Word(bytes, 5);
    const uint8_t cubeLog = ByteAt(bytes, 7);
    const int32_t owner = proc::Unbiased(ByteAt(bytes, 8));
    state.cubeValue = 1 << std::min(cubeLog, MaxCubeLog);
    state.cubeOwner = static_cast<proc::Side>(std::clamp(owner, -1, 1));
    const bool valid = state.length >= 1 && cubeLog <= MaxCubeLog && owner >= -1 && owner <= 1 &&
                       ReadFlag(ByteAt(bytes, 9), state.crawford);
    return Checked(valid, state, "match state", bytes, problem);
}

std::optional<Message> DecodeCubeTurn(QByteArrayView bytes, QString& problem) {
    CubeTurnInfo turn;
    return Checked(ReadSide(ByteAt(bytes, 1), turn.side), turn, "cube turn", bytes, problem);
}

// A double (the cube's new value) or a resignation (its level): the side that
// offers, one byte, and whether a person answers.
template <typename Info>
std::optional<Message> DecodeOffer(QByteArrayView bytes, QString& problem, proc::Side Info::*side,
                                   bool valueInRange, const char* what) {
    Info offer;
    const bool valid = ReadSide(ByteAt(bytes, 1), offer.*side) && valueInRange &&
                       ReadFlag(ByteAt(bytes, 3), offer.personAnswers);
    return Checked(valid, offer, what, bytes, problem);
}

std::optional<Message> DecodeDouble(QByteArrayView bytes, QString& problem) {
    const uint8_t cubeLog = ByteAt(bytes, 2);
    auto offer = DecodeOffer(bytes, problem, &DoubleInfo::doubler,
                             cubeLog >= 1 && cubeLog <= MaxCubeLog, "double");
    if (offer) {
        std::get<DoubleInfo>(*offer).value = 1 << cubeLog;
    }
    return offer;
}

std::optional<Message> DecodeResign(QByteArrayView bytes, QString& problem) {
    auto offer = DecodeOffer(bytes, problem, &ResignInfo::by, IsLevel(ByteAt(bytes, 2)), "resign");
    if (offer) {
        std::get<ResignInfo>(*offer).level = ByteAt(bytes, 2);
    }
    return offer;
}

// The answer to a double or a resignation: the side and yes (1) or no (0).
template <typename Info>
std::optional<Message> DecodeAnswer(QByteArrayView bytes, QString& problem, proc::Side Info::*side,
                                    bool Info::*yes, const char* what) {
    Info answer;
    const bool valid =
        ReadSide(ByteAt(bytes, 1), answer.*side) && ReadFlag(ByteAt(bytes, 2), answer.*yes);
    return Checked(valid, answer, what, bytes, problem);
}

std::optional<Message> DecodeGameOver(QByteArrayView bytes, QString& problem) {
    GameOverInfo over;
    over.points = Word(bytes, 2);
    over.level = ByteAt(bytes, 4);
    const bool valid = ReadSide(ByteAt(bytes, 1), over.winner) && over.points >= 1 &&
                       IsLevel(ByteAt(bytes, 4)) && ReadFlag(ByteAt(bytes, 5), over.matchOver);
    return Checked(valid, over, "game over", bytes, problem);
}

} // namespace

int MessageLength(QByteArrayView bytes) {
    if (bytes.isEmpty()) {
        return -1;
    }
    if (ByteAt(bytes, 0) == proc::MoveListMessage) {
        if (bytes.size() < 3) {
            return -1;
        }
        const int count = proc::Unbiased(ByteAt(bytes, 2));
        return count < 0 ? 0 : 3 + 2 * count;
    }
    return static_cast<int>(proc::FixedMessageSize(ByteAt(bytes, 0)));
}

std::optional<Message> DecodeMessage(QByteArrayView bytes, QString& problem) {
    const int length = MessageLength(bytes);
    if (length <= 0 || bytes.size() != length) {
        problem = QStringLiteral("not one whole message (%1 bytes)").arg(bytes.size());
        return std::nullopt;
    }
    switch (ByteAt(bytes, 0)) {
    case proc::StartMessage:
        return DecodeStart(bytes, problem);
    case proc::DiceMessage:
        return DecodeDice(bytes, problem);
    case proc::MoveListMessage:
        return DecodeList(bytes, problem);
    case proc::MoveMessage:
        return DecodeMove(bytes, problem);
    case proc::MatchStateMessage:
        return DecodeMatchState(bytes, problem);
    case proc::CubeTurnMessage:
        return DecodeCubeTurn(bytes, problem);
    case proc::DoubleMessage:
        return DecodeDouble(bytes, problem);
    case proc::DoubleAnswerMessage:
        return DecodeAnswer(bytes, problem, &DoubleAnswerInfo::taker, &DoubleAnswerInfo::taken,
                            "double answer");
    case proc::ResignMessage:
        return DecodeResign(bytes, problem);
    case proc::ResignAnswerMessage:
        return DecodeAnswer(bytes, problem, &ResignAnswerInfo::side, &ResignAnswerInfo::accepted,
                            "resign answer");
    default:
        return DecodeGameOver(bytes, problem);
    }
}

QString DescribeMessage(const Message& message) {
    struct Describe {
        QString operator()(const StartInfo& m) const {
            QStringList cells;
            for (int32_t k = 1; k <= 26; ++k) {
                cells << QString::number(proc::Cell(m.board, k));
            }
            return QStringLiteral("start white=\"%1\" black=\"%2\" opening=%3 board=%4")
                .arg(m.whiteLabel, m.blackLabel, DiceText(m.opening), cells.join(','));
        }
        QString operator()(const DiceInfo& m) const {
            return QStringLiteral("dice %1 %2").arg(SideName(m.side), DiceText(m.dice));
        }
        QString operator()(const MoveListInfo& m) const {
            QStringList moves;
            for (const proc::Move& move : m.moves) {
                moves << MoveText(move);
            }
            return QStringLiteral("list %1 n=%2%3")
                .arg(SideName(m.side))
                .arg(m.moves.size())
                .arg(moves.isEmpty() ? QString() : QLatin1Char(' ') + moves.join(' '));
        }
        QString operator()(const MoveInfo& m) const {
            return QStringLiteral("move %1 %2").arg(SideName(m.side), MoveText(m.move));
        }
        QString operator()(const MatchStateInfo& m) const {
            return QStringLiteral("match length=%1 score=%2:%3 cube=%4 owner=%5%6")
                .arg(m.length)
                .arg(m.scoreWhite)
                .arg(m.scoreBlack)
                .arg(m.cubeValue)
                .arg(m.cubeOwner == 0 ? QStringLiteral("centre") : SideName(m.cubeOwner))
                .arg(m.crawford ? QStringLiteral(" crawford") : QString());
        }
        QString operator()(const CubeTurnInfo& m) const {
            return QStringLiteral("cube-turn %1").arg(SideName(m.side));
        }
        QString operator()(const DoubleInfo& m) const {
            return QStringLiteral("double %1 %2").arg(SideName(m.doubler)).arg(m.value);
        }
        QString operator()(const DoubleAnswerInfo& m) const {
            return QStringLiteral("%1 %2").arg(m.taken ? "take" : "pass", SideName(m.taker));
        }
        QString operator()(const ResignInfo& m) const {
            return QStringLiteral("resign %1 %2").arg(SideName(m.by)).arg(m.level);
        }
        QString operator()(const ResignAnswerInfo& m) const {
            return QStringLiteral("%1 %2").arg(m.accepted ? "accept" : "refuse", SideName(m.side));
        }
        QString operator()(const GameOverInfo& m) const {
            return QStringLiteral("game-over %1 points=%2 level=%3%4")
                .arg(SideName(m.winner))
                .arg(m.points)
                .arg(m.level)
                .arg(m.matchOver ? QStringLiteral(" match-over") : QString());
        }
    };
    return std::visit(Describe{}, message);
}

std::vector<Message> MessageDecoder::Feed(QByteArrayView bytes, QStringList& problems) {
    buffer_.append(bytes);
    std::vector<Message> messages;
    qsizetype head = 0;
    while (head < buffer_.size()) {
        const QByteArrayView rest = QByteArrayView(buffer_).sliced(head);
        const int length = MessageLength(rest);
        if (length == 0) {
            problems << QStringLiteral("message type %1 cannot be framed; dropped %2 bytes")
                            .arg(ByteAt(rest, 0))
                            .arg(rest.size());
            head = buffer_.size();
            break;
        }
        if (length < 0 || rest.size() < length) {
            break;
        }
        QString problem;
        if (auto message = DecodeMessage(rest.first(length), problem)) {
            messages.push_back(std::move(*message));
        } else {
            problems << problem;
        }
        head += length;
    }
    buffer_.remove(0, head);
    return messages;
}

} // namespace client
