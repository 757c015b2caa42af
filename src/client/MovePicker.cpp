#include "client/MovePicker.h"

namespace client {

std::optional<proc::Move> MovePicker::Pick(const std::vector<proc::Move>& list) {
    if (list.empty()) {
        return std::nullopt;
    }
    // Modulo rather than a distribution object: the same seed gives the same
    // game with every standard library.
    return list[engine_() % list.size()];
}

} // namespace client
