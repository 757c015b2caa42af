// The plain Windows bitmap (24 bits a pixel, uncompressed, rows from the
// bottom up) read directly: Qt's reader first looks through every image
// plugin, which costs the start-up more than the picture itself.
#pragma once

#include <QByteArray>
#include <QImage>

namespace shell {

/*! Bytes at the start of a bitmap that tell whether it is plain. */
inline constexpr int PlainBmpHeaderBytes = 54;

/*! Whether a file of size bytes that starts with head is a complete plain
    bitmap: exactly the files DecodePlainBmp reads. */
bool PlainBmpComplete(const QByteArray& head, qint64 size);

/*! The RGB32 image of a complete plain bitmap, as Qt's reader gives it; a
    null image for any other file, to be read by Qt. */
QImage DecodePlainBmp(const QByteArray& bytes);

} // namespace shell
