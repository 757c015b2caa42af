#include "client/GameReplay.h"

#include <algorithm>

namespace client {

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
