// The initial position file: 24 signed decimal numbers separated by any
// characters with codes 0..32; a number missing at the end reads as 0.
#include "proc/proc.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

namespace proc {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void ThrowErrno(int code) {
    if (code == ENOENT)
        throw InOutError(code, "file not found");
    throw InOutError(code, std::strerror(code));
}

[[noreturn]] void ThrowBadNumber() {
    throw InOutError(EINVAL, "invalid numeric format");
}

bool IsSeparator(int c) {
    return c >= 0 && c <= 32;
}

// Reads the next number; false at end of file before any digit.
bool ReadNumber(std::FILE* f, int32_t& value) {
    int c = std::fgetc(f);
    while (c != EOF && IsSeparator(c))
        c = std::fgetc(f);
    if (c == EOF) {
        if (std::ferror(f))
            ThrowErrno(errno != 0 ? errno : EIO);
        return false;
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::fgetc(f);
    }
    int64_t magnitude = 0;
    int digits = 0;
    for (; c != EOF && !IsSeparator(c); c = std::fgetc(f)) {
        if (c < '0' || c > '9')
            ThrowBadNumber();
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{INT32_MAX} + 1)
            ThrowBadNumber();
        ++digits;
    }
    if (std::ferror(f))
        ThrowErrno(errno != 0 ? errno : EIO);
    if (digits == 0)
        ThrowBadNumber();
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        ThrowBadNumber();
    value = static_cast<int32_t>(signedValue);
    return true;
}

} // namespace

void LoadBoardFile(Board& board, const std::string& path) {
    errno = 0;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        ThrowErrno(errno != 0 ? errno : ENOENT);
    for (int32_t k = 1; k <= 24; ++k) {
        int32_t value = 0;
        if (!ReadNumber(file.get(), value))
            value = 0;
        Cell(board, k) = value;
    }
    Cell(board, BlackBar) = 0;
    Cell(board, WhiteBar) = 0;
}

std::string BoardFilePath(const std::string& programFolder) {
    return programFolder + "/Data/Board.cfg";
}

void LoadBoard(Board& board, const std::string& programFolder) {
    LoadBoardFile(board, BoardFilePath(programFolder));
}

} // namespace proc
