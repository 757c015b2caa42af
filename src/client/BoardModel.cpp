#include "client/BoardModel.h"

#include <algorithm>

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
        EndPersonTurn();
        return std::nullopt;
    }
    if (const auto* list = std::get_if<MoveListInfo>(&message)) {
        legal_ = list->moves;
        listSide_ = list->side;
        awaiting_ = !legal_.empty();
        selected_.reset();
        return std::nullopt;
    }
    const auto& echo = std::get<MoveInfo>(message);
    ShownMove shown{echo.side, echo.move, false};
    if (echo.move.to != proc::BearOff) {
        shown.hit = proc::Cell(board_, echo.move.to) * echo.side < 0;
    } else {
        (echo.side == proc::White ? whiteOff_ : blackOff_) += 1;
    }
    proc::ApplyMove(board_, echo.side, echo.move);
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

ClickResult BoardModel::Click(int32_t cell) {
    ClickResult result;
    if (!awaiting_) {
        return result;
    }
    if (cell == proc::BlackBar || cell == proc::WhiteBar) {
        cell = listSide_ == proc::White ? proc::WhiteBar : proc::BlackBar;
    }
    if (selected_) {
        const auto targets = TargetsFrom(*selected_);
        if (std::find(targets.begin(), targets.end(), cell) != targets.end()) {
            result.send = proc::Move{*selected_, cell};
            result.changed = true;
            EndPersonTurn();
            return result;
        }
    }
    const auto sources = MovableSources();
    std::optional<int32_t> pick;
    if (std::find(sources.begin(), sources.end(), cell) != sources.end() && selected_ != cell) {
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
}

} // namespace client
