// The checkers: on the points and the bar, in the trays, and in flight.
#include "client/BoardRenderer.h"

#include "client/BoardPainting.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace client {
namespace g = geometry;
using namespace painting;

namespace painting {

Displayed DisplayedPosition(const BoardModel& model, const ViewExtras& extras) {
    Displayed d{model.Board(), model.BorneOff(proc::White), model.BorneOff(proc::Black)};
    if (extras.flight) {
        const ShownMove& s = extras.flight->shown;
        if (s.move.to == proc::BearOff) {
            int& off = s.side == proc::White ? d.whiteOff : d.blackOff;
            off = std::max(off - 1, 0);
        } else if (proc::Cell(d.board, s.move.to) * s.side > 0) {
            proc::Cell(d.board, s.move.to) -= s.side;
        }
    }
    return d;
}

} // namespace painting

void BoardRenderer::PaintCheckers(QPainter& p, const BoardModel& model, const ViewExtras& extras) {
    const Displayed shown = DisplayedPosition(model, extras);
    for (int32_t cell = 1; cell <= 26; ++cell) {
        const int32_t value = proc::Cell(shown.board, cell);
        const int count = std::abs(value);
        if (count == 0) {
            continue;
        }
        const int side = value > 0 ? 1 : -1;
        const int room = cell <= 24 ? g::PointSlots : g::BarSlots;
        const int drawn = std::min(count, room);
        for (int slot = 0; slot < drawn; ++slot) {
            PaintChecker(p, g::SlotCenter(cell, slot), side);
        }
        record_.shown[static_cast<size_t>(cell)] = count;
        record_.discs[static_cast<size_t>(cell)] = drawn;
        if (count > room) {
            const QPointF top = g::SlotCenter(cell, room - 1);
            const QRectF badge(top - QPointF(18, 14), QSizeF(36, 28));
            p.setFont(Font(22));
            p.setPen(side > 0 ? QColor(0x5a, 0x16, 0x16) : Gold);
            PaintText(p, badge, Qt::AlignCenter, QString::number(count));
        }
    }
}

void BoardRenderer::PaintTrays(QPainter& p, const BoardModel& model, const ViewExtras& extras) {
    const Displayed shown = DisplayedPosition(model, extras);
    for (int side : {proc::White, proc::Black}) {
        const int off = shown.Off(side);
        const QRectF tray = g::TrayRect(side);
        int drawn = 0;
        for (int n = 0; n < off; ++n) {
            const QRectF slab = g::SlabRect(side, n);
            if (!tray.contains(slab)) {
                break;
            }
            QLinearGradient edge(slab.topLeft(), slab.bottomLeft());
            edge.setColorAt(0, side > 0 ? QColor(0xfb, 0xf5, 0xe6) : QColor(0x6a, 0x6a, 0x6a));
            edge.setColorAt(1, side > 0 ? QColor(0xb3, 0xa3, 0x86) : QColor(0x0a, 0x0a, 0x0a));
            p.setPen(QPen(QColor(0, 0, 0, 140), 1));
            p.setBrush(edge);
            p.drawRoundedRect(slab, 4, 4);
            ++drawn;
        }
        const size_t index = side > 0 ? WhiteTray : BlackTray;
        record_.shown[index] = off;
        record_.discs[index] = drawn;
    }
}

QPointF BoardRenderer::FlightCentre(const BoardModel& model, const Flight& flight) {
    const ShownMove& s = flight.shown;
    const proc::Board& board = model.Board();
    // The checker left the top of its source, and lands on top of its target.
    const int leftBehind = std::abs(proc::Cell(board, s.move.from));
    const QPointF from = g::SlotCenter(s.move.from, leftBehind);
    QPointF to;
    if (s.move.to == proc::BearOff) {
        to = g::TrayLanding(s.side, model.BorneOff(s.side));
    } else {
        const int landed = std::abs(proc::Cell(board, s.move.to));
        to = g::SlotCenter(s.move.to, std::max(landed - 1, 0));
    }
    const double t = std::clamp(flight.progress, 0.0, 1.0);
    const double eased = t * t * (3 - 2 * t);
    QPointF at = from + (to - from) * eased;
    at.ry() -= std::sin(std::numbers::pi * eased) * 50;
    return at;
}

QRect BoardRenderer::FlightBounds(QSize area, const BoardModel& model, const Flight& flight) {
    const QTransform t = g::DesignToDevice(area);
    const double half = CheckerBox * t.m11() / 2;
    const QPointF centre = t.map(FlightCentre(model, flight));
    // A pixel more on each side for the rounding of the checker's place.
    return QRectF(centre - QPointF(half, half), QSizeF(2 * half, 2 * half))
        .toAlignedRect()
        .adjusted(-1, -1, 1, 1);
}

void BoardRenderer::PaintFlight(QPainter& p, const BoardModel& model, const Flight& flight) {
    PaintChecker(p, FlightCentre(model, flight), flight.shown.side);
    record_.flying = true;
}

void BoardRenderer::PaintChecker(QPainter& p, QPointF c, int side, double alpha) {
    // Gradients are the dearest thing on a frame: each side's checker is drawn
    // once per scale and copied pixel for pixel, without resampling.
    const QTransform t = p.worldTransform();
    const QPaintDevice* device = p.device();
    const double ratio = device ? device->devicePixelRatioF() : 1.0;
    const double scale = t.m11();
    Sprite& sprite = sprites_[side > 0 ? 0 : 1];
    if (sprite.scale != scale || sprite.image.devicePixelRatioF() != ratio ||
        sprite.image.isNull()) {
        sprite.scale = scale;
        const int pixels = static_cast<int>(std::ceil(CheckerBox * scale * ratio));
        sprite.image = QImage(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        sprite.image.setDevicePixelRatio(ratio);
        sprite.image.fill(Qt::transparent);
        QPainter sp(&sprite.image);
        sp.setRenderHints(p.renderHints());
        sp.scale(scale, scale);
        DrawChecker(sp, QPointF(CheckerBox / 2, CheckerBox / 2), side);
    }
    const double half = sprite.image.width() / ratio / 2;
    const QPointF at = t.map(c) - QPointF(half, half);
    p.save();
    p.resetTransform();
    p.setOpacity(alpha);
    p.drawImage(QPointF(std::round(at.x() * ratio) / ratio, std::round(at.y() * ratio) / ratio),
                sprite.image);
    p.restore();
}

void BoardRenderer::DrawChecker(QPainter& p, QPointF c, int side) {
    const double r = g::Checker / 2 - 1;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 100));
    p.drawEllipse(c + QPointF(2, 3), r, r);
    QRadialGradient body(c, r, c - QPointF(r * 0.35, r * 0.4));
    if (side > 0) {
        body.setColorAt(0, QColor(0xff, 0xff, 0xff));
        body.setColorAt(0.55, QColor(0xee, 0xe4, 0xcc));
        body.setColorAt(1, QColor(0xb0, 0x9f, 0x80));
    } else {
        body.setColorAt(0, QColor(0x80, 0x80, 0x80));
        body.setColorAt(0.45, QColor(0x2c, 0x2c, 0x2c));
        body.setColorAt(1, QColor(0x06, 0x06, 0x06));
    }
    p.setBrush(body);
    p.setPen(QPen(side > 0 ? QColor(0x8a, 0x7a, 0x5e) : QColor(0, 0, 0), 1.2));
    p.drawEllipse(c, r, r);
    // A carved ring, lit from the upper left.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(side > 0 ? QColor(0x9c, 0x8a, 0x6a, 160) : QColor(0, 0, 0, 200), 2));
    p.drawEllipse(c + QPointF(0.6, 0.6), r * 0.62, r * 0.62);
    p.setPen(QPen(side > 0 ? QColor(255, 255, 255, 200) : QColor(150, 150, 150, 120), 1));
    p.drawEllipse(c - QPointF(0.6, 0.6), r * 0.62, r * 0.62);
    p.restore();
}

} // namespace client
