#include "report/RecordUnpacker.h"

#define ZLIB_CONST // next_in points at bytes zlib only reads
#include <new>
#include <zlib.h>

namespace report {

namespace {

// As record::PackRecord allows: the length in front is trusted no further.
constexpr quint32 MaxRecordBytes = 4 * 1024 * 1024;

} // namespace

RecordUnpacker::RecordUnpacker() : stream_(new z_stream{}) {
    if (inflateInit(stream_) != Z_OK) {
        delete stream_;
        throw std::bad_alloc();
    }
}

RecordUnpacker::~RecordUnpacker() {
    inflateEnd(stream_);
    delete stream_;
}

std::optional<QString> RecordUnpacker::Unpack(const QByteArray& packed) {
    if (packed.size() < 4)
        return std::nullopt;
    const auto byte = [&](int i) { return quint32(uchar(packed[i])); };
    const quint32 length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (length == 0 || length > MaxRecordBytes)
        return std::nullopt;
    text_.resize(length);
    inflateReset(stream_);
    stream_->next_in = reinterpret_cast<const Bytef*>(packed.constData() + 4);
    stream_->avail_in = uInt(packed.size() - 4);
    stream_->next_out = reinterpret_cast<Bytef*>(text_.data());
    stream_->avail_out = length;
    // The text must end exactly at the length in front.
    if (inflate(stream_, Z_FINISH) != Z_STREAM_END || stream_->total_out != length)
        return std::nullopt;
    return QString::fromUtf8(text_.data(), qsizetype(length));
}

} // namespace report
