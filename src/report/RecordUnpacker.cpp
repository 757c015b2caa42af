#include "report/RecordUnpacker.h"

#include <libdeflate.h>
#include <new>

namespace report {

namespace {

// As record::PackRecord allows: the length in front is trusted no further.
constexpr quint32 MaxRecordBytes = 4 * 1024 * 1024;

} // namespace

// libdeflate rather than zlib: a record is unpacked whole, in one call, and
// at a million records zlib's stream machinery was a fifth of the report's time.
RecordUnpacker::RecordUnpacker() : decompressor_(libdeflate_alloc_decompressor()) {
    if (!decompressor_)
        throw std::bad_alloc();
}

RecordUnpacker::~RecordUnpacker() {
    libdeflate_free_decompressor(decompressor_);
}

std::optional<QString> RecordUnpacker::Unpack(const QByteArray& packed) {
    if (packed.size() < 4)
        return std::nullopt;
    const auto byte = [&](int i) { return quint32(uchar(packed[i])); };
    const quint32 length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (length == 0 || length > MaxRecordBytes)
        return std::nullopt;
    text_.resize(length);
    size_t out = 0;
    // The text must end exactly at the length in front.
    if (libdeflate_zlib_decompress(decompressor_, packed.constData() + 4, size_t(packed.size() - 4),
                                   text_.data(), length, &out) != LIBDEFLATE_SUCCESS ||
        out != length)
        return std::nullopt;
    return QString::fromUtf8(text_.data(), qsizetype(length));
}

} // namespace report
