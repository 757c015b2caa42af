// Board.cfg on any bytes: LoadBoardFile either throws InOutError or gives a
// board on which the rules engine lists moves for both sides without fault.
#include "proc/proc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader takes a path: one file in memory-backed storage, rewritten per input.
    static const std::string path = "/dev/shm/vertan-fuzz-board-" + std::to_string(getpid());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    proc::Board board{};
    try {
        proc::LoadBoardFile(board, path);
    } catch (const proc::InOutError&) {
        return 0;
    }
    proc::CheckGameEnd(board);
    proc::MoveList moves;
    const proc::Dice dice = proc::MakeDice(size % 6 + 1, (size / 6) % 6 + 1);
    for (proc::Side side : {proc::White, proc::Black}) {
        const int32_t n = proc::ListMoves(board, dice, side, moves);
        if (n < 0 || n > static_cast<int32_t>(moves.size()))
            std::abort();
        if (n > 0) {
            proc::Board after = board;
            proc::ApplyMove(after, side, moves[0]);
        }
    }
    return 0;
}
