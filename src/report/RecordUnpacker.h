// The archive's records unpacked by one decompressor kept for many: a
// million records are not a million set-ups.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

struct libdeflate_decompressor;

namespace report {

class RecordUnpacker {
  public:
    RecordUnpacker();
    ~RecordUnpacker();
    RecordUnpacker(const RecordUnpacker&) = delete;
    RecordUnpacker& operator=(const RecordUnpacker&) = delete;

    /*! As record::UnpackRecord: the text, or nothing for damaged bytes. */
    std::optional<QString> Unpack(const QByteArray& packed);

  private:
    libdeflate_decompressor* decompressor_;
    std::string text_;
};

} // namespace report
