#include "record/GameRecord.h"

#include <QUuid>
#include <cstdlib>

namespace record {

void GameRecord::Add(const Message& message) {
    if (const auto* start = std::get_if<StartInfo>(&message)) {
        const bool keep = keepMessages_;
        *this = GameRecord();
        keepMessages_ = keep;
        started_ = true;
        start_ = *start;
        startTime_ = QDateTime::currentDateTime();
        board_ = start->board;
        Keep(message);
        return;
    }
    // Lists and the match's messages are not moves of the game: the match
    // record keeps the cube's story beside the games.
    if (!started_ || finished_ || std::holds_alternative<MoveListInfo>(message) ||
        IsMatchMessage(message)) {
        return;
    }
    if (const auto* dice = std::get_if<DiceInfo>(&message)) {
        if (!turns_.empty() && turns_.back().moves.empty()) {
            turns_.back().passed = true;
        }
        turns_.push_back(Turn{dice->side, dice->dice, {}, false});
        Keep(message);
        return;
    }
    const auto& echo = std::get<MoveInfo>(message);
    std::vector<ShownMove>& moves = TurnOf(echo.side).moves;
    if (moves.empty()) {
        moves.reserve(4); // a double moves four times
    }
    moves.push_back(Echo(echo.side, echo.move));
}

void GameRecord::AddTurn(Turn&& turn) {
    if (turn.dice != 0) {
        Add(DiceInfo{turn.side, turn.dice});
    }
    if (!started_ || finished_ || turn.moves.empty()) {
        return;
    }
    std::vector<ShownMove>& moves = TurnOf(turn.side).moves;
    if (!moves.empty()) {
        for (const ShownMove& shown : turn.moves) {
            moves.push_back(Echo(turn.side, shown.move));
        }
        return;
    }
    // The turn's own list becomes the record's: a game's turns are not all made twice.
    moves = std::move(turn.moves);
    for (ShownMove& shown : moves) {
        shown = Echo(turn.side, shown.move);
    }
}

void GameRecord::Keep(const Message& message) {
    if (keepMessages_) {
        messages_.push_back(message);
    }
}

Turn& GameRecord::TurnOf(proc::Side side) {
    // An echo whose roll never came still joins a turn of its own side.
    if (turns_.empty() || turns_.back().side != side) {
        turns_.push_back(Turn{side, 0, {}, false});
    }
    return turns_.back();
}

ShownMove GameRecord::Echo(proc::Side side, proc::Move move) {
    ShownMove shown{side, move, false};
    if (move.to != proc::BearOff) {
        shown.hit = proc::Cell(board_, move.to) * side < 0;
    }
    proc::ApplyMove(board_, side, move);
    Keep(MoveInfo{side, move});
    return shown;
}

std::vector<const Turn*> GameRecord::PlayedTurns() const {
    std::vector<const Turn*> played;
    for (const Turn& turn : turns_) {
        if (!turn.moves.empty() || turn.passed) {
            played.push_back(&turn);
        }
    }
    return played;
}

std::optional<proc::Side> GameRecord::Winner() const {
    const int32_t end = started_ ? proc::CheckGameEnd(board_) : 0;
    if (end == 0) {
        return std::nullopt;
    }
    return end < 0 ? proc::White : proc::Black;
}

int GameRecord::Margin() const {
    return Winner() ? std::abs(proc::CheckGameEnd(board_)) : 0;
}

QString NewGameIdentity(const QDateTime& start) {
    return start.toUTC().toString(Qt::ISODateWithMs) + ' ' +
           QUuid::createUuid().toString(QUuid::WithoutBraces);
}

namespace {

// " (белые)": the colour the launcher appends to a name.
const QString& ColourSuffix(proc::Side side) {
    static const QString white = QStringLiteral(" (%1)").arg(SideName(proc::White));
    static const QString black = QStringLiteral(" (%1)").arg(SideName(proc::Black));
    return side == proc::White ? white : black;
}

} // namespace

QString LabelShown(const QString& label, proc::Side side) {
    if (label.size() < static_cast<qsizetype>(proc::LabelSize)) {
        return label;
    }
    // The limit cuts the colour first: a part of it means the name is whole.
    // Only the side's own colour: both begin " (", and a cut one of the
    // other side's would read as this side's.
    const QString& suffix = ColourSuffix(side);
    for (qsizetype kept = suffix.size(); kept > 0; --kept) {
        if (label.endsWith(suffix.left(kept))) {
            return label.chopped(kept) + suffix;
        }
    }
    return label + QStringLiteral("…");
}

QString PlayerName(const QString& shortLabel, proc::Side side) {
    const QString label = LabelShown(shortLabel, side);
    const QString& suffix = ColourSuffix(side);
    return label.endsWith(suffix) ? label.chopped(suffix.size()) : label;
}

QString PlayerOf(const GameRecord& record, proc::Side side) {
    return PlayerName(side == proc::White ? record.Start().whiteLabel : record.Start().blackLabel,
                      side);
}

QString ResultText(const GameRecord& record) {
    const QString key = QStringLiteral("Результат: ");
    if (const auto winner = record.Winner()) {
        return key + QStringLiteral("победа %1 (%2); фишек у %3: %4")
                         .arg(SideGenitive(*winner), PlayerOf(record, *winner),
                              SideGenitive(static_cast<proc::Side>(-*winner)))
                         .arg(record.Margin());
    }
    return key + (record.Finished() ? QStringLiteral("партия прервана")
                                    : QStringLiteral("партия не окончена"));
}

} // namespace record
