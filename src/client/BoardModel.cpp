#include "client/BoardModel.h"

#include "record/ComputerNames.h"
#include "record/GameRecord.h"

#include <algorithm>
#include <cstdlib>

namespace client {

std::optional<ShownMove> BoardModel::Apply(const Message& message) {
    if (const auto* start = std::get_if<StartInfo>(&message)) {
        *this = BoardModel();
        started_ = true;
        board_ = start->board;
        whiteLabel_ = start->whiteLabel;
        blackLabel_ = start->blackLabel;
        opening_ = start->opening;
        return std::nullopt;
    }
    if (!started_ || gameOver_) {
        return std::nullopt;
    }
    if (const auto* dice = std::get_if<DiceInfo>(&message)) {
        passed_.reset();
        if (sideToMove_ && !movedSinceDice_) {
            passed_ = *sideToMove_;
        }
        sideToMove_ = dice->side;
        dice_ = dice->dice;
        movedSinceDice_ = false;
        const int first = proc::FirstDie(dice_);
        const int second = proc::SecondDie(dice_);
        uses_ = first == second ? std::vector<DieUse>(4, DieUse{first, false})
                                : std::vector<DieUse>{{first, false}, {second, false}};
        EndPersonTurn();
        return std::nullopt;
    }
    if (const auto* list = std::get_if<MoveListInfo>(&message)) {
        legal_ = list->moves;
        listSide_ = list->side;
        awaiting_ = !legal_.empty();
        selected_.reset();
        focus_.reset();
        return std::nullopt;
    }
    if (std::holds_alternative<GameOverInfo>(message)) {
        SetGameOver(); // a match's game can end before its last checker is off
        return std::nullopt;
    }
    if (!std::holds_alternative<MoveInfo>(message)) {
        return std::nullopt; // the match's cube and score are not the board's
    }
    const auto& echo = std::get<MoveInfo>(message);
    ShownMove shown{echo.side, echo.move, false};
    if (echo.move.to != proc::BearOff) {
        shown.hit = proc::Cell(board_, echo.move.to) * echo.side < 0;
    } else {
        (echo.side == proc::White ? whiteOff_ : blackOff_) += 1;
    }
    proc::ApplyMove(board_, echo.side, echo.move);
    if (sideToMove_ == echo.side) {
        UseDie(echo.move);
    }
    if (!lastTurn_.empty() && lastTurn_.back().side != echo.side) {
        lastTurn_.clear();
    }
    lastTurn_.push_back(shown);
    movedSinceDice_ = movedSinceDice_ || echo.side == sideToMove_;
    passed_.reset();
    EndPersonTurn();
    return shown;
}

int BoardModel::OnBoard(proc::Side side) const {
    int count = 0;
    for (int32_t cell : board_) {
        count += cell * side > 0 ? cell * side : 0;
    }
    return count;
}

std::optional<proc::Side> BoardModel::Winner() const {
    if (!started_) {
        return std::nullopt;
    }
    const bool whiteLeft = OnBoard(proc::White) > 0;
    const bool blackLeft = OnBoard(proc::Black) > 0;
    if (whiteLeft == blackLeft) {
        return std::nullopt;
    }
    return whiteLeft ? proc::Black : proc::White;
}

std::vector<int32_t> BoardModel::MovableSources() const {
    std::vector<int32_t> sources;
    if (!awaiting_) {
        return sources;
    }
    for (const proc::Move& move : legal_) {
        sources.push_back(move.from);
    }
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    return sources;
}

std::vector<int32_t> BoardModel::TargetsFrom(int32_t source) const {
    std::vector<int32_t> targets;
    if (!awaiting_) {
        return targets;
    }
    for (const proc::Move& move : legal_) {
        if (move.from == source &&
            std::find(targets.begin(), targets.end(), move.to) == targets.end()) {
            targets.push_back(move.to);
        }
    }
    return targets;
}

int32_t BoardModel::OwnBar(int32_t cell) const {
    if (cell == proc::BlackBar || cell == proc::WhiteBar) {
        return listSide_ == proc::White ? proc::WhiteBar : proc::BlackBar;
    }
    return cell;
}

bool BoardModel::IsTargetOfSelected(int32_t cell) const {
    if (!selected_) {
        return false;
    }
    const auto targets = TargetsFrom(*selected_);
    return std::find(targets.begin(), targets.end(), cell) != targets.end();
}

bool BoardModel::IsSource(int32_t cell) const {
    const auto sources = MovableSources();
    return std::find(sources.begin(), sources.end(), cell) != sources.end();
}

bool BoardModel::Clickable(int32_t cell) const {
    cell = OwnBar(cell);
    return awaiting_ && (IsTargetOfSelected(cell) || IsSource(cell));
}

ClickResult BoardModel::Click(int32_t cell) {
    ClickResult result;
    if (!awaiting_) {
        return result;
    }
    cell = OwnBar(cell);
    if (IsTargetOfSelected(cell)) {
        result.send = proc::Move{*selected_, cell};
        result.changed = true;
        EndPersonTurn();
        return result;
    }
    std::optional<int32_t> pick;
    if (IsSource(cell) && selected_ != cell) {
        pick = cell;
    }
    result.changed = pick != selected_;
    selected_ = pick;
    return result;
}

void BoardModel::EndPersonTurn() {
    awaiting_ = false;
    legal_.clear();
    selected_.reset();
    focus_.reset();
}

void BoardModel::UseDie(const proc::Move& move) {
    int distance = 0;
    if (move.to == proc::BearOff) {
        distance = move.from <= 12 ? move.from : 25 - move.from;
    } else if (move.from == proc::BlackBar) {
        distance = move.to;
    } else if (move.from == proc::WhiteBar) {
        distance = 25 - move.to;
    } else {
        distance = std::abs(move.to - move.from);
    }
    // The die of that distance; bearing off may take a larger one, the
    // smallest that does.
    DieUse* best = nullptr;
    for (DieUse& die : uses_) {
        if (!die.used && die.face == distance) {
            best = &die;
            break;
        }
        if (!die.used && move.to == proc::BearOff && die.face > distance &&
            (!best || die.face < best->face)) {
            best = &die;
        }
    }
    if (best) {
        best->used = true;
    }
}

std::vector<int32_t> BoardModel::FocusCycle() const {
    return selected_ ? TargetsFrom(*selected_) : MovableSources();
}

std::optional<int32_t> BoardModel::Focused() const {
    const auto cycle = FocusCycle();
    if (focus_ && std::find(cycle.begin(), cycle.end(), *focus_) != cycle.end()) {
        return focus_;
    }
    return std::nullopt;
}

bool BoardModel::MoveFocus(int step) {
    const auto cycle = FocusCycle();
    if (cycle.empty()) {
        return false;
    }
    const auto n = static_cast<int>(cycle.size());
    const auto current = Focused();
    int index = step > 0 ? 0 : n - 1;
    if (current) {
        const auto at =
            static_cast<int>(std::find(cycle.begin(), cycle.end(), *current) - cycle.begin());
        index = ((at + step) % n + n) % n;
    }
    focus_ = cycle[static_cast<size_t>(index)];
    return true;
}

ClickResult BoardModel::PickFocused() {
    const auto focused = Focused();
    if (!focused) {
        return {};
    }
    ClickResult result = Click(*focused);
    if (selected_) {
        focus_ = TargetsFrom(*selected_).front();
    }
    return result;
}

bool BoardModel::CancelPick() {
    if (!selected_) {
        return false;
    }
    focus_ = selected_;
    selected_.reset();
    return true;
}

std::optional<proc::Side> BoardModel::PersonSide() const {
    const bool whiteComputer = record::IsComputerName(record::PlayerName(whiteLabel_, proc::White));
    const bool blackComputer = record::IsComputerName(record::PlayerName(blackLabel_, proc::Black));
    if (whiteComputer == blackComputer) {
        return std::nullopt;
    }
    return whiteComputer ? proc::Black : proc::White;
}

proc::Side RailSide(const BoardModel& model, bool other) {
    const proc::Side side = model.PersonSide().value_or(model.SideToMove().value_or(proc::White));
    return other ? static_cast<proc::Side>(-side) : side;
}

QString ColourRollText(const BoardModel& model) {
    const int first = proc::FirstDie(model.Opening());
    const int second = proc::SecondDie(model.Opening());
    if (first == 0 || second == 0) {
        return QString();
    }
    const proc::Side firstSide = first > second ? proc::White : proc::Black;
    auto name = [&](proc::Side side) {
        return record::PlayerName(side == proc::White ? model.WhiteLabel() : model.BlackLabel(),
                                  side);
    };
    return QStringLiteral("%1 %2, %3 %4")
        .arg(name(firstSide))
        .arg(first)
        .arg(name(static_cast<proc::Side>(-firstSide)))
        .arg(second);
}

} // namespace client
