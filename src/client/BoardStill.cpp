// The layer that never changes with the game: the table, the wooden board,
// the felt, the points and their numbers.
#include "client/BoardRenderer.h"

#include "client/BoardPainting.h"
#include "record/Notation.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace client {
namespace g = geometry;
using namespace painting;

namespace {

// Wood grain: thin wavy strokes along the piece, placed by a fixed sequence
// so every frame draws the same wood.
void PaintGrain(QPainter& p, const QRectF& area, bool vertical, uint32_t seed) {
    p.save();
    p.setClipRect(area);
    uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1u << 24);
    };
    const double across = vertical ? area.width() : area.height();
    const double along = vertical ? area.height() : area.width();
    const int lines = std::max(3, static_cast<int>(across / 3.5));
    for (int i = 0; i < lines; ++i) {
        const double offset = next() * across;
        const double amp = 0.5 + next() * (across < 30 ? 1.0 : 3.0);
        const double phase = next() * 6.28;
        const double wave = 60 + next() * 90;
        QPainterPath path;
        for (double t = -8; t <= along + 8; t += 6) {
            const double o = offset + amp * std::sin(phase + t / wave);
            const QPointF point = vertical ? QPointF(area.left() + o, area.top() + t)
                                           : QPointF(area.left() + t, area.top() + o);
            if (t == -8) {
                path.moveTo(point);
            } else {
                path.lineTo(point);
            }
        }
        const bool dark = next() < 0.65;
        p.setPen(QPen(dark ? QColor(50, 22, 6, 22 + int(next() * 30))
                           : QColor(255, 220, 160, 10 + int(next() * 16)),
                      0.5 + next() * 1.2));
        p.drawPath(path);
    }
    p.restore();
}

void PaintWood(QPainter& p, const QRectF& area, QColor light, QColor dark) {
    QLinearGradient wood(area.topLeft(), area.bottomRight());
    wood.setColorAt(0, light);
    wood.setColorAt(0.5, dark.lighter(118));
    wood.setColorAt(1, dark);
    p.fillRect(area, wood);
}

void PaintFelt(QPainter& p, const QRectF& felt) {
    QRadialGradient cloth(felt.center(), felt.width() * 0.75);
    cloth.setColorAt(0, QColor(0x2c, 0x7a, 0x4b));
    cloth.setColorAt(1, QColor(0x12, 0x44, 0x28));
    p.fillRect(felt, cloth);
    // Inner shadow where the felt meets the frame.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        p.setPen(QPen(QColor(0, 0, 0, 70 - i * 11), 1));
        p.drawRect(felt.adjusted(i + 0.5, i + 0.5, -i - 0.5, -i - 0.5));
    }
}

void PaintTriangle(QPainter& p, int32_t point) {
    const QRectF column = g::PointRect(point);
    const bool top = g::IsTopPoint(point);
    const double height = g::PointSlots * g::Checker - 18;
    const double base = top ? column.top() : column.bottom();
    const double tip = top ? base + height : base - height;
    QPainterPath path;
    path.moveTo(column.left() + 2, base);
    path.lineTo(column.right() - 2, base);
    path.lineTo(column.center().x(), tip);
    path.closeSubpath();
    const bool light = point % 2 == 1;
    QLinearGradient shade(QPointF(column.left(), 0), QPointF(column.right(), 0));
    const QColor c = light ? QColor(0xe4, 0xc9, 0x92) : QColor(0x8e, 0x24, 0x20);
    shade.setColorAt(0, c.darker(112));
    shade.setColorAt(0.5, c.lighter(108));
    shade.setColorAt(1, c.darker(118));
    p.setPen(QPen(QColor(0, 0, 0, 60), 1));
    p.setBrush(shade);
    p.drawPath(path);
}

} // namespace

void BoardRenderer::PaintStill(QPainter& painter, QSize area, proc::Side rails) {
    // The table, the wood, the felt and the point numbers never change with
    // the game: drawn once per size and copied onto every frame, which keeps
    // a frame in flight cheap.
    const QPaintDevice* device = painter.device();
    const qreal ratio = device ? device->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(area) * ratio).toSize();
    if (still_.size() != pixels || still_.devicePixelRatioF() != ratio || stillRails_ != rails) {
        stillRails_ = rails;
        still_ = QImage(pixels, QImage::Format_RGB32);
        still_.setDevicePixelRatio(ratio);
        QPainter p(&still_);
        p.setRenderHints(painter.renderHints());
        PaintTable(p, area);
        p.setWorldTransform(g::DesignToDevice(area));
        PaintBoard(p);
        PaintPointNumbers(p, rails);
    }
    painter.drawImage(QPointF(0, 0), still_);
}

void BoardRenderer::PaintTable(QPainter& p, QSize area) {
    const QRectF all(QPointF(0, 0), QSizeF(area));
    QRadialGradient table(all.center(), std::max(all.width(), all.height()) * 0.7);
    table.setColorAt(0, QColor(0x4a, 0x2c, 0x18));
    table.setColorAt(1, QColor(0x1c, 0x0f, 0x07));
    p.fillRect(all, table);
}

void BoardRenderer::PaintBoard(QPainter& p) {
    const QRectF board = g::BoardRect();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(board.translated(6, 8), 14, 14);
    QPainterPath outline;
    outline.addRoundedRect(board, 12, 12);
    p.save();
    p.setClipPath(outline);
    PaintWood(p, board, QColor(0xa8, 0x6b, 0x36), QColor(0x6a, 0x3a, 0x17));
    // Top and bottom rails run across, the side pieces up and down.
    const QRectF left = g::LeftFelt();
    const QRectF right = g::RightFelt();
    const QRectF trays = g::TrayRect(proc::White).united(g::TrayRect(proc::Black));
    PaintGrain(p, QRectF(board.left(), board.top(), board.width(), g::Frame), false, 3);
    PaintGrain(p, QRectF(board.left(), board.bottom() - g::Frame, board.width(), g::Frame), false,
               5);
    const double innerTop = board.top() + g::Frame;
    const double innerHeight = board.height() - 2 * g::Frame;
    uint32_t seed = 7;
    for (const auto& [x0, x1] :
         {std::pair{board.left(), left.left()}, std::pair{right.right(), trays.left()},
          std::pair{trays.right(), board.right()}}) {
        PaintGrain(p, QRectF(x0, innerTop, x1 - x0, innerHeight), true, seed += 4);
    }
    const double gapTop = g::TrayRect(proc::Black).bottom();
    PaintGrain(p,
               QRectF(trays.left(), gapTop, trays.width(), g::TrayRect(proc::White).top() - gapTop),
               false, 13);
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 225, 170, 90), 2));
    p.drawRoundedRect(board.adjusted(1, 1, -1, -1), 12, 12);

    for (const QRectF& felt : {left, right}) {
        PaintFelt(p, felt);
    }
    for (int32_t point = 1; point <= 24; ++point) {
        PaintTriangle(p, point);
    }
    // The bar: darker wood with a hinge in the middle.
    const QRectF bar = g::BarRect().adjusted(4, 0, -4, 0);
    PaintWood(p, bar, QColor(0x86, 0x4e, 0x22), QColor(0x55, 0x2d, 0x10));
    PaintGrain(p, bar, true, 11);
    p.setPen(QPen(QColor(0, 0, 0, 90), 2));
    p.drawLine(bar.topLeft(), bar.bottomLeft());
    p.drawLine(bar.topRight(), bar.bottomRight());
    p.setPen(QPen(QColor(0xd8, 0xb0, 0x6a), 3));
    p.drawLine(QPointF(bar.center().x(), g::MiddleY() - 22),
               QPointF(bar.center().x(), g::MiddleY() + 22));
    for (int side : {proc::White, proc::Black}) {
        const QRectF tray = g::TrayRect(side);
        p.fillRect(tray, QColor(0x2a, 0x16, 0x09));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 5; ++i) {
            p.setPen(QPen(QColor(0, 0, 0, 90 - i * 16), 1));
            p.drawRect(tray.adjusted(i + 0.5, i + 0.5, -i - 0.5, -i - 0.5));
        }
    }
}

void BoardRenderer::PaintPointNumbers(QPainter& p, proc::Side side) {
    // One side's numbers, from its own home as its moves are written: two
    // sets at once were read as one. White's in the light ink, black's in the dark.
    p.setFont(Font(10));
    p.setPen(side == proc::White ? QColor(0xf3, 0xdf, 0xb8, 230) : QColor(0x1e, 0x12, 0x0a, 230));
    rails_.clear();
    for (int32_t point = 1; point <= 24; ++point) {
        const QRectF column = g::PointRect(point);
        const double y =
            g::IsTopPoint(point) ? g::BoardRect().top() : g::BoardRect().bottom() - g::Frame;
        const QString number = QString::number(record::OwnPoint(side, point));
        p.drawText(QRectF(column.left(), y, column.width(), g::Frame), Qt::AlignCenter, number);
        rails_ << number;
    }
}

} // namespace client
