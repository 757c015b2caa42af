// The archive's records unpacked with one zlib stream kept for many: a
// million records are not a million set-ups of zlib.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

struct z_stream_s;

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
    z_stream_s* stream_;
    std::string text_;
};

} // namespace report
