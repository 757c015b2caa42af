// Picking and encoding the client's moves: only moves of the last list ever
// leave the client.
#pragma once

#include "proc/proc.h"

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace client {

/*! A seeded pick for the automatic mode. */
class MovePicker {
  public:
    explicit MovePicker(uint32_t seed) : engine_(seed) {}
    /*! One move of the list, nothing for an empty list. */
    std::optional<proc::Move> Pick(const std::vector<proc::Move>& list);

  private:
    std::mt19937 engine_;
};

} // namespace client
