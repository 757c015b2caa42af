// JPEG decoding through libjpeg, returning control on every error.
#pragma once

#include <QByteArray>
#include <QImage>

namespace shell {

/*! Decodes JPEG bytes (grey, colour, CMYK or YCCK) into an RGB32 image. Any
    error, and any warning about corrupt or missing data (a truncated file
    included), gives a null image; never ends the process. Pictures above 64
    million pixels are refused. */
QImage DecodeJpeg(const QByteArray& bytes);

} // namespace shell
