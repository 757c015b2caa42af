#include "client/GameReplay.h"

#include <algorithm>

namespace client {

ReplayPlace PlaceOfStep(const std::vector<const record::Turn*>& turns, int step) {
    ReplayPlace place;
    int before = 0; // moves of the turns before this one
    for (const record::Turn* turn : turns) {
        const int moves = static_cast<int>(turn->moves.size());
        if (step <= before) {
            break;
        }
        ++place.turn;
        place.move = std::min(step - before, moves);
        place.moves = moves;
        before += moves;
    }
    return place;
}

QString ReplayCounterText(const ReplayPlace& place, int turns) {
    QString text = QStringLiteral("Ход %1 из %2").arg(place.turn + 1).arg(turns);
    if (place.move < place.moves) {
        text += QStringLiteral(", фишка %1 из %2").arg(place.move).arg(place.moves);
    }
    return text;
}

GameReplay::GameReplay(std::vector<Message> messages, bool finished)
    : messages_(std::move(messages)), finished_(finished) {
    for (size_t i = 0; i < messages_.size(); ++i) {
        if (std::holds_alternative<MoveInfo>(messages_[i])) {
            echoes_.push_back(i);
        }
    }
    Seek(Steps());
}

size_t GameReplay::EndOf(int step) const {
    return step < Steps() ? echoes_[static_cast<size_t>(step)] : messages_.size();
}

std::optional<ShownMove> GameReplay::Forward() {
    if (position_ >= Steps()) {
        return std::nullopt;
    }
    std::optional<ShownMove> shown;
    for (size_t i = EndOf(position_); i < EndOf(position_ + 1); ++i) {
        const auto applied = model_.Apply(messages_[i]);
        shown = shown ? shown : applied;
    }
    ++position_;
    if (position_ == Steps() && finished_) {
        model_.SetGameOver();
    }
    return shown;
}

bool GameReplay::Back() {
    if (position_ == 0) {
        return false;
    }
    Seek(position_ - 1);
    return true;
}

void GameReplay::Seek(int step) {
    step = std::clamp(step, 0, Steps());
    // The model only goes forward: rebuild from the start.
    model_ = BoardModel();
    for (size_t i = 0; i < EndOf(0); ++i) {
        model_.Apply(messages_[i]);
    }
    position_ = 0;
    while (position_ < step) {
        Forward();
    }
    if (position_ == Steps() && finished_) {
        model_.SetGameOver();
    }
}

} // namespace client
