// JPEG decoding through libjpeg, returning control on every error.
#pragma once

#include <QByteArray>
#include <QImage>

namespace shell {

/*! Decodes JPEG bytes into an RGB32 image. Any error, and any corrupt-data
    warning (a truncated file included), gives a null image; never ends the
    process. Pictures above 64 million pixels are refused. */
QImage DecodeJpeg(const QByteArray& bytes);

} // namespace shell
