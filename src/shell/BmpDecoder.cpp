#include "shell/BmpDecoder.h"

#include <QtEndian>
#include <optional>

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

struct Layout {
    qint64 offset, stride;
    int width, height;
};

std::optional<Layout> PlainLayout(const QByteArray& head, qint64 size) {
    constexpr int InfoHeader = 40;
    if (head.size() < PlainBmpHeaderBytes || !head.startsWith("BM") ||
        U32(head, 14) != quint32(InfoHeader))
        return std::nullopt;
    const quint32 offset = U32(head, 10);
    const qint32 width = S32(head, 18);
    const qint32 height = S32(head, 22);
    if (U16(head, 26) != 1 || U16(head, 28) != 24 || U32(head, 30) != 0 || width <= 0 ||
        height <= 0 || width > 16384 || height > 16384 || offset < quint32(PlainBmpHeaderBytes))
        return std::nullopt;
    const qint64 stride = (qint64(width) * 3 + 3) / 4 * 4;
    if (qint64(offset) + stride * height > size)
        return std::nullopt;
    return Layout{offset, stride, width, height};
}

} // namespace

bool PlainBmpComplete(const QByteArray& head, qint64 size) {
    return PlainLayout(head, size).has_value();
}

QImage DecodePlainBmp(const QByteArray& bytes) {
    const std::optional<Layout> layout = PlainLayout(bytes, bytes.size());
    if (!layout)
        return {};
    QImage image(layout->width, layout->height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.setDotsPerMeterX(S32(bytes, 38));
    image.setDotsPerMeterY(S32(bytes, 42));
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData()) + layout->offset;
    for (int y = 0; y < layout->height; ++y) {
        const uchar* in = data + layout->stride * (layout->height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < layout->width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

} // namespace shell
