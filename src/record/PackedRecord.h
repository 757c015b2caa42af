// A record as the archive stores it: UTF-8, zlib-compressed behind its
// 4-byte big-endian length. The stored bytes may come from anyone who can
// write the archive, so unpacking never trusts them past MaxRecordBytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace record {

/*! The largest record text there is: a record is a few kilobytes, so far
    more is no record. Files, the archive and the club page all stop here. */
inline constexpr qsizetype MaxRecordBytes = 4 * 1024 * 1024;

/*! Packs a record's text (it shrinks to about a third). */
QByteArray PackRecord(const QString& text);

/*! The text of packed bytes; nothing for damaged bytes, a length in front
    over MaxRecordBytes, or a stream that does not end exactly there. Never
    allocates more than the length in front. Thread-safe. */
std::optional<QString> UnpackRecord(const QByteArray& packed);

} // namespace record
