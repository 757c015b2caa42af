#include "shell/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace shell {

namespace {

constexpr unsigned long long MaxPixels = 64ull * 1024 * 1024;

// libjpeg's default handler calls exit(): jump back to the decoder instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(mgr->jump, 1);
}

// Level -1 is a warning. Those about damaged or missing data fail the
// picture; the harmless ones (an unknown JFIF revision, stray bytes between
// markers, an unknown Adobe transform code) do not.
bool DataIsDamaged(int code) {
    switch (code) {
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_ARITH_BAD_CODE:
        return true;
    default:
        return false;
    }
}

void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && DataIsDamaged(cinfo->err->msg_code))
        OnError(cinfo);
}

// Pixels land straight in the 32-bit layout of QImage::Format_RGB32.
constexpr J_COLOR_SPACE PixelLayout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// Four-channel pictures come out as CMYK (libjpeg turns YCCK into CMYK);
// Adobe's files store the channels inverted.
void CmykRowToRgb32(const JSAMPLE* cmyk, JDIMENSION width, bool inverted, QRgb* out) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

// Only plain data lives in this frame, so a longjmp out of libjpeg skips no
// destructor; the image belongs to the caller.
bool Decode(const unsigned char* data, unsigned long size, QImage* out) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnError;
    err.base.emit_message = OnMessage;
    jpeg_create_decompress(&cinfo);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), size);
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : PixelLayout;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 4 ||
        static_cast<unsigned long long>(cinfo.output_width) * cinfo.output_height > MaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    *out = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                  QImage::Format_RGB32);
    if (out->isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // A CMYK row is as wide as an RGB32 row: it is decoded in place.
    while (cinfo.output_scanline < cinfo.output_height) {
        uchar* line = out->scanLine(static_cast<int>(cinfo.output_scanline));
        JSAMPROW row = line;
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk)
            CmykRowToRgb32(line, cinfo.output_width, cinfo.saw_Adobe_marker,
                           reinterpret_cast<QRgb*>(line));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    QImage image;
    if (!Decode(reinterpret_cast<const unsigned char*>(bytes.constData()),
                static_cast<unsigned long>(bytes.size()), &image))
        return {};
    return image;
}

} // namespace shell
