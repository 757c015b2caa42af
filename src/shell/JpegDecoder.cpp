#include "shell/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

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

// Level -1 is a corrupt-data warning: the picture is damaged, so fail.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        OnError(cinfo);
}

// Pixels land straight in the 32-bit layout of QImage::Format_RGB32.
constexpr J_COLOR_SPACE PixelLayout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

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
    cinfo.out_color_space = PixelLayout;
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
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
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
