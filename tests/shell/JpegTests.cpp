// JPEG files as libjpeg's own compressor writes them: harmless warnings,
// damaged data, and four-channel (CMYK, YCCK) pictures.
#include "shell/JpegDecoder.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <tuple>
#include <vector>

namespace {

struct Encoding {
    J_COLOR_SPACE input;   // JCS_RGB or JCS_CMYK
    J_COLOR_SPACE stored;  // the file's colour space
    bool adobeMarker;      // libjpeg writes it for CMYK and YCCK by default
    uint8_t jfifMajor = 1; // written in the JFIF header
};

// A 16 x 16 picture of one colour: 3 or 4 samples, as the input space has.
QByteArray Compress(const Encoding& e, const std::vector<uint8_t>& pixel) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = static_cast<int>(pixel.size());
    cinfo.in_color_space = e.input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, e.stored);
    jpeg_set_quality(&cinfo, 100, TRUE);
    cinfo.write_Adobe_marker = e.adobeMarker ? TRUE : FALSE;
    cinfo.JFIF_major_version = e.jfifMajor;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row;
    for (int x = 0; x < 16; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
    std::free(out);
    return bytes;
}

const Encoding Rgb{JCS_RGB, JCS_YCbCr, false};

// Garbage between the JFIF header and the next marker.
QByteArray WithBytesBeforeAMarker(QByteArray jpeg) {
    const qsizetype app0End = 4 + ((uchar(jpeg[4]) << 8) | uchar(jpeg[5]));
    return jpeg.insert(app0End, "\x12\x34\x56", 3);
}

// Each picture is one colour; a null colour means the picture is refused.
TEST(Jpeg, WarningsDamageAndFourChannels) {
    const QByteArray red = Compress(Rgb, {255, 0, 0});
    const QByteArray cmyk = Compress({JCS_CMYK, JCS_CMYK, true}, {1, 2, 3, 4});
    const std::vector<std::tuple<const char*, QByteArray, QColor>> cases = {
        {"JFIF revision 2", Compress({JCS_RGB, JCS_YCbCr, false, 2}, {255, 0, 0}), Qt::red},
        {"bytes before a marker", WithBytesBeforeAMarker(red), Qt::red},
        {"truncated", red.left(red.size() - 40), QColor()},
        {"no end marker", red.left(red.size() - 2), QColor()},
        {"truncated CMYK", cmyk.left(cmyk.size() / 2), QColor()},
        // Plain CMYK stores ink; Adobe's files store it inverted (255: no ink).
        {"plain CMYK", Compress({JCS_CMYK, JCS_CMYK, false}, {0, 255, 255, 0}), Qt::red},
        {"plain CMYK, half black", Compress({JCS_CMYK, JCS_CMYK, false}, {255, 0, 255, 128}),
         QColor(0, 127, 0)},
        {"Adobe CMYK", Compress({JCS_CMYK, JCS_CMYK, true}, {255, 0, 0, 255}), Qt::red},
        {"Adobe YCCK", Compress({JCS_CMYK, JCS_YCCK, true}, {0, 0, 255, 255}), Qt::blue},
        {"Adobe CMYK, all ink", Compress({JCS_CMYK, JCS_CMYK, true}, {0, 0, 0, 0}), Qt::black},
    };
    for (const auto& [name, bytes, colour] : cases) {
        const QImage image = shell::DecodeJpeg(bytes);
        EXPECT_EQ(image.isNull(), !colour.isValid()) << name;
        if (image.isNull() || !colour.isValid())
            continue;
        const QColor got = image.pixelColor(8, 8);
        EXPECT_NEAR(got.red(), colour.red(), 4) << name;
        EXPECT_NEAR(got.green(), colour.green(), 4) << name;
        EXPECT_NEAR(got.blue(), colour.blue(), 4) << name;
    }
}

} // namespace
