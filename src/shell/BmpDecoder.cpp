#include "shell/BmpDecoder.h"

#include <QtEndian>

namespace shell {

namespace {

quint32 U32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
qint32 S32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}
quint16 U16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

constexpr int FileHeader = 14;
constexpr int InfoHeader = 40;

} // namespace

QImage DecodePlainBmp(const QByteArray& bytes) {
    if (bytes.size() < FileHeader + InfoHeader || !bytes.startsWith("BM") ||
        U32(bytes, 14) != quint32(InfoHeader))
        return {};
    const quint32 offset = U32(bytes, 10);
    const qint32 width = S32(bytes, 18);
    const qint32 height = S32(bytes, 22);
    if (U16(bytes, 26) != 1 || U16(bytes, 28) != 24 || U32(bytes, 30) != 0 || width <= 0 ||
        height <= 0 || width > 16384 || height > 16384 || offset < quint32(FileHeader + InfoHeader))
        return {};
    const qint64 stride = (qint64(width) * 3 + 3) / 4 * 4;
    if (qint64(offset) + stride * height > bytes.size())
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.setDotsPerMeterX(S32(bytes, 38));
    image.setDotsPerMeterY(S32(bytes, 42));
    for (int y = 0; y < height; ++y) {
        const auto* in =
            reinterpret_cast<const uchar*>(bytes.constData()) + offset + stride * (height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

} // namespace shell
