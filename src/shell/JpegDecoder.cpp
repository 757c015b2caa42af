#include "shell/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

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

struct Decoded {
    std::vector<unsigned char> rgb;
    unsigned width = 0;
    unsigned height = 0;
};

// Only plain data lives in this frame, so a longjmp out of libjpeg skips no
// destructor; `out` belongs to the caller.
bool Decode(const unsigned char* data, unsigned long size, Decoded* out) {
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
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 ||
        static_cast<unsigned long long>(cinfo.output_width) * cinfo.output_height > MaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out->width = cinfo.output_width;
    out->height = cinfo.output_height;
    out->rgb.resize(static_cast<size_t>(out->width) * out->height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row =
            out->rgb.data() + static_cast<size_t>(cinfo.output_scanline) * out->width * 3;
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
    Decoded decoded;
    if (!Decode(reinterpret_cast<const unsigned char*>(bytes.constData()),
                static_cast<unsigned long>(bytes.size()), &decoded))
        return {};
    QImage image(static_cast<int>(decoded.width), static_cast<int>(decoded.height),
                 QImage::Format_RGB888);
    if (image.isNull())
        return {};
    const size_t rowBytes = static_cast<size_t>(decoded.width) * 3;
    for (unsigned y = 0; y < decoded.height; ++y)
        std::copy_n(decoded.rgb.data() + y * rowBytes, rowBytes,
                    image.scanLine(static_cast<int>(y)));
    return image;
}

} // namespace shell
