#include "client/BoardGeometry.h"

#include <algorithm>

namespace client::geometry {
namespace {
// Horizontal run, left to right: frame, six points, bar, six points, frame,
// tray, frame.
constexpr double BoardLeft = 36;
constexpr double BoardTop = 72;
constexpr double BoardBottom = 700;
constexpr double BarWidth = 64;
constexpr double TrayWidth = 72;
constexpr double LeftFeltX = BoardLeft + Frame;
constexpr double BarX = LeftFeltX + 6 * PointWidth;
constexpr double RightFeltX = BarX + BarWidth;
constexpr double TrayX = RightFeltX + 6 * PointWidth + Frame;
constexpr double BoardRight = TrayX + TrayWidth + Frame;
constexpr double FeltTop = BoardTop + Frame;
constexpr double FeltBottom = BoardBottom - Frame;
constexpr double Middle = (FeltTop + FeltBottom) / 2;
constexpr double BarGap = 36; // between the middle and the first bar checker
constexpr double TrayGap = 8;
} // namespace

const QRectF& BoardRect() {
    static const QRectF r(QPointF(BoardLeft, BoardTop), QPointF(BoardRight, BoardBottom));
    return r;
}
const QRectF& HeaderRect() {
    static const QRectF r(QPointF(BoardLeft, 8), QPointF(BoardRight, BoardTop - 8));
    return r;
}
const QRectF& FooterRect() {
    static const QRectF r(QPointF(BoardLeft, BoardBottom + 8), QPointF(BoardRight, 760));
    return r;
}
const QRectF& LeftFelt() {
    static const QRectF r(QPointF(LeftFeltX, FeltTop), QPointF(BarX, FeltBottom));
    return r;
}
const QRectF& RightFelt() {
    static const QRectF r(QPointF(RightFeltX, FeltTop),
                          QPointF(RightFeltX + 6 * PointWidth, FeltBottom));
    return r;
}
const QRectF& BarRect() {
    static const QRectF r(QPointF(BarX, BoardTop), QPointF(RightFeltX, BoardBottom));
    return r;
}
QRectF TrayRect(int side) {
    return side > 0
               ? QRectF(QPointF(TrayX, Middle + TrayGap / 2),
                        QPointF(TrayX + TrayWidth, FeltBottom))
               : QRectF(QPointF(TrayX, FeltTop), QPointF(TrayX + TrayWidth, Middle - TrayGap / 2));
}
double MiddleY() {
    return Middle;
}

QTransform DesignToDevice(QSize area) {
    const double scale = std::min(area.width() / DesignWidth, area.height() / DesignHeight);
    QTransform t;
    t.translate((area.width() - DesignWidth * scale) / 2,
                (area.height() - DesignHeight * scale) / 2);
    t.scale(scale, scale);
    return t;
}

bool IsTopPoint(int32_t point) {
    return point >= 13;
}

QRectF PointRect(int32_t point) {
    double x = 0;
    if (point <= 12) { // bottom row, point 1 at the right end
        const int i = point - 1;
        x = i < 6 ? RightFeltX + (5 - i) * PointWidth : LeftFeltX + (11 - i) * PointWidth;
    } else { // top row, point 13 at the left end
        const int j = point - 13;
        x = j < 6 ? LeftFeltX + j * PointWidth : RightFeltX + (j - 6) * PointWidth;
    }
    const double top = IsTopPoint(point) ? FeltTop : Middle;
    return QRectF(x, top, PointWidth, Middle - FeltTop);
}

QPointF SlotCenter(int32_t cell, int slot) {
    const double r = Checker / 2;
    if (cell == 25 || cell == 26) {
        slot = std::clamp(slot, 0, BarSlots - 1);
        const double x = BarX + BarWidth / 2;
        // White waits in the upper half, black in the lower, each growing away
        // from the middle.
        return cell == 26 ? QPointF(x, Middle - BarGap - r - slot * Checker)
                          : QPointF(x, Middle + BarGap + r + slot * Checker);
    }
    slot = std::clamp(slot, 0, PointSlots - 1);
    const QRectF column = PointRect(cell);
    const double x = column.center().x();
    return IsTopPoint(cell) ? QPointF(x, FeltTop + r + slot * Checker)
                            : QPointF(x, FeltBottom - r - slot * Checker);
}

QRectF SlabRect(int side, int n) {
    const QRectF tray = TrayRect(side);
    const double w = tray.width() - 12;
    const double step = SlabHeight + SlabGap;
    const double y =
        side > 0 ? tray.bottom() - 6 - SlabHeight - n * step : tray.top() + 6 + n * step;
    return QRectF(tray.left() + 6, y, w, SlabHeight);
}

QPointF TrayLanding(int side, int count) {
    return SlabRect(side, std::max(count - 1, 0)).center();
}

QRectF CubeRect(int place) {
    const double margin = Frame / 2 + CubeSize / 2; // its outer side half-way across the frame
    const double y = place == 0 ? Middle : place > 0 ? BoardBottom - margin : BoardTop + margin;
    return QRectF(BarX + (BarWidth - CubeSize) / 2, y - CubeSize / 2, CubeSize, CubeSize);
}

int32_t CellAt(QSize area, QPointF devicePoint) {
    bool invertible = false;
    const QTransform back = DesignToDevice(area).inverted(&invertible);
    if (!invertible) {
        return 0;
    }
    const QPointF p = back.map(devicePoint);
    for (int32_t point = 1; point <= 24; ++point) {
        if (PointRect(point).contains(p)) {
            return point;
        }
    }
    const QRectF bar(QPointF(BarX, FeltTop), QPointF(RightFeltX, FeltBottom));
    if (bar.contains(p)) {
        return p.y() < Middle ? 26 : 25;
    }
    const QRectF trays(QPointF(TrayX, FeltTop), QPointF(TrayX + TrayWidth, FeltBottom));
    return trays.contains(p) ? 27 : 0;
}

} // namespace client::geometry
