#include "record/PackedRecord.h"

#include <libdeflate.h>
#include <memory>
#include <new>
#include <string>

namespace record {

namespace {

// One decompressor per thread, kept: the club page unpacks a million
// records, and libdeflate unpacks each whole in one call into a buffer of
// exactly the length in front (zlib's stream would grow its own).
class Unpacker {
  public:
    Unpacker() : decompressor_(libdeflate_alloc_decompressor()) {
        if (!decompressor_)
            throw std::bad_alloc();
    }
    ~Unpacker() { libdeflate_free_decompressor(decompressor_); }
    Unpacker(const Unpacker&) = delete;
    Unpacker& operator=(const Unpacker&) = delete;

    std::optional<QString> Unpack(const QByteArray& packed) {
        if (packed.size() < 4)
            return std::nullopt;
        const auto byte = [&](int i) { return quint32(uchar(packed[i])); };
        const quint32 length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        if (length == 0 || length > quint32(MaxRecordBytes))
            return std::nullopt;
        text_.resize(length);
        size_t out = 0;
        if (libdeflate_zlib_decompress(decompressor_, packed.constData() + 4,
                                       size_t(packed.size() - 4), text_.data(), length,
                                       &out) != LIBDEFLATE_SUCCESS ||
            out != length)
            return std::nullopt;
        return QString::fromUtf8(text_.data(), qsizetype(length));
    }

  private:
    libdeflate_decompressor* decompressor_;
    std::string text_;
};

} // namespace

QByteArray PackRecord(const QString& text) {
    return qCompress(text.toUtf8(), 9);
}

std::optional<QString> UnpackRecord(const QByteArray& packed) {
    thread_local Unpacker unpacker;
    return unpacker.Unpack(packed);
}

} // namespace record
