// Where everything sits on the board. The board is laid out once in design
// units (1024 x 768) and scaled uniformly into any window, centred, so every
// resolution from 320 x 240 to full screen shows the same picture.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTransform>
#include <cstdint>

namespace client::geometry {

constexpr double DesignWidth = 1024;
constexpr double DesignHeight = 768;
constexpr double Checker = 56; // checker diameter
constexpr double PointWidth = 64;
constexpr double Frame = 16;
constexpr int PointSlots = 5; // checkers drawn on a point before a count is shown
constexpr int BarSlots = 4;
constexpr double SlabHeight = 14; // a borne-off checker seen edge-on
constexpr double SlabGap = 3;

const QRectF& BoardRect();  // the whole wooden board, frame included
const QRectF& HeaderRect(); // the labels above the board
const QRectF& FooterRect(); // the status line below it
const QRectF& LeftFelt();   // points 7..18
const QRectF& RightFelt();  // points 1..6 and 19..24
const QRectF& BarRect();
/*! Tray of the borne-off checkers of a side (white below, black above). */
QRectF TrayRect(int side);
double MiddleY();

/*! Design units to the device of that size: uniform scale, centred. */
QTransform DesignToDevice(QSize area);

/*! Column of point 1..24 (full half-height of the felt). */
QRectF PointRect(int32_t point);
bool IsTopPoint(int32_t point);
/*! Centre of the checker in slot 0.. of a point or bar (25, 26); slots past
    the last drawn one stay on the last. */
QPointF SlotCenter(int32_t cell, int slot);
/*! Rectangle of slab n (0 = first borne off) in a side's tray. */
QRectF SlabRect(int side, int n);
/*! The landing place of a checker borne off as the count-th of its side. */
QPointF TrayLanding(int side, int count);

/*! The doubling cube on the bar: in the middle (place 0), or at the edge of
    its owner, white's below (+1) and black's above (-1), clear of the bar's
    checkers. */
QRectF CubeRect(int place);
constexpr double CubeSize = 44;

/*! The cell under a device point of a window of that size: 1..24, 26 for the
    upper half of the bar, 25 for the lower, 27 for either tray, 0 for none. */
int32_t CellAt(QSize area, QPointF devicePoint);

} // namespace client::geometry
