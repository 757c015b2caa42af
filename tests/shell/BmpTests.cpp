// Plain bitmaps read directly must come out exactly as Qt's reader gives
// them; every other bitmap is left to Qt.
#include "shell/BmpDecoder.h"

#include <QBuffer>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

namespace {

using shell::DecodePlainBmp;

// A picture whose every pixel differs, as Qt writes it (24 bits, bottom up).
QByteArray Written(int width, int height, const char* format = "BMP",
                   QImage::Format pixels = QImage::Format_RGB32) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 37 + y, y * 53 + x, (x ^ y) * 11));
    image.setDotsPerMeterX(3937);
    image.setDotsPerMeterY(2835);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(pixels).save(&buffer, format);
    return bytes;
}

QByteArray Edited(QByteArray bytes, const std::function<void(QByteArray&)>& edit) {
    edit(bytes);
    return bytes;
}

struct BmpCase {
    const char* name;
    QByteArray bytes;
    bool direct; // read here, not by Qt
};

class PlainBmp : public ::testing::TestWithParam<BmpCase> {};

TEST_P(PlainBmp, ReadsAsQtDoesOrLeavesItToQt) {
    const BmpCase& c = GetParam();
    const QImage direct = DecodePlainBmp(c.bytes);
    ASSERT_EQ(!direct.isNull(), c.direct);
    // The start-up trusts the header's verdict and reads the rest later.
    EXPECT_EQ(shell::PlainBmpComplete(c.bytes.left(shell::PlainBmpHeaderBytes), c.bytes.size()),
              c.direct);
    if (!c.direct)
        return;
    const QImage qt = QImage::fromData(c.bytes, "BMP");
    ASSERT_FALSE(qt.isNull());
    EXPECT_EQ(direct.format(), qt.format());
    EXPECT_EQ(direct, qt);
    EXPECT_EQ(direct.dotsPerMeterX(), qt.dotsPerMeterX());
    EXPECT_EQ(direct.dotsPerMeterY(), qt.dotsPerMeterY());
}

INSTANTIATE_TEST_SUITE_P(
    Files, PlainBmp,
    ::testing::Values(
        BmpCase{"Width1", Written(1, 3), true}, BmpCase{"Width2", Written(2, 2), true},
        BmpCase{"Width3", Written(3, 5), true}, BmpCase{"Width5", Written(5, 4), true},
        BmpCase{"DialogSize", Written(420, 320), true},
        BmpCase{"OneByteShort", Written(5, 4).chopped(1), false},
        BmpCase{"TopDown", Edited(Written(5, 4), [](QByteArray& b) {
                    qToLittleEndian<qint32>(-4, b.data() + 22);
                }), false},
        BmpCase{"Palette", Written(5, 4, "BMP", QImage::Format_Indexed8), false},
        BmpCase{"NotABitmap", Written(5, 4, "PNG"), false},
        BmpCase{"Empty", QByteArray(), false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
