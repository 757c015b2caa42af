// A 64-bit digest of what a page shows, fed value by value. Not for
// secrets: it only tells an update which pages' inputs changed since the
// last run.
#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <string_view>

namespace report {

class Digest {
  public:
    Digest& Word(quint64 value) {
        // splitmix64's finaliser over a running sum: order matters, every bit counts.
        quint64 x = state_ + value + 0x9e3779b97f4a7c15ULL;
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
        state_ = x ^ (x >> 31);
        return *this;
    }
    Digest& Int(qint64 value) { return Word(quint64(value)); }
    Digest& Flag(bool value) { return Word(value ? 1 : 2); }
    /*! Bytes with their length, so that "ab"+"c" and "a"+"bc" differ. */
    Digest& Bytes(std::string_view bytes) {
        Word(bytes.size());
        quint64 word = 0;
        size_t n = 0;
        for (const char c : bytes) {
            word = (word << 8) | quint8(c);
            if (++n % 8 == 0) {
                Word(word);
                word = 0;
            }
        }
        return n % 8 ? Word(word) : *this;
    }
    Digest& Text(const QString& text) {
        return Bytes(std::string_view(reinterpret_cast<const char*>(text.utf16()),
                                      size_t(text.size()) * 2));
    }
    quint64 Value() const { return state_; }

  private:
    quint64 state_ = 0;
};

} // namespace report
