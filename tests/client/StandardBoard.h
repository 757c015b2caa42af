// The standard starting position, point 1 first (white positive).
#pragma once

#include "proc/proc.h"

inline proc::Board StandardBoard() {
    proc::Board board{};
    const int32_t cells[24] = {-2, 0, 0, 0, 0,  5, 0,  3, 0, 0, 0, -5,
                               5,  0, 0, 0, -3, 0, -5, 0, 0, 0, 0, 2};
    for (int32_t k = 1; k <= 24; ++k)
        proc::Cell(board, k) = cells[k - 1];
    return board;
}
