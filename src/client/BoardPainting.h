// What the board's painting files share: the colours, the font and the
// position as drawn. Private to the renderer.
#pragma once

#include "client/BoardGeometry.h"
#include "client/BoardRenderer.h"

#include <QColor>
#include <QFont>

namespace client::painting {

inline const QColor Ink(0xf6, 0xe7, 0xc8);
inline const QColor Gold(0xf2, 0xc1, 0x4e);
inline const QColor TargetGlow(0x9c, 0xf0, 0x7a);
// A checker with its shadow fits in this square (design units), centred.
constexpr double CheckerBox = geometry::Checker + 10;
// The score beside a player's name in a match.
constexpr double ScoreBadgeWidth = 48;

QFont Font(int pixels, bool bold = true);

// The position as drawn: a checker in flight has left its source (the model
// already moved it) but has not yet landed.
struct Displayed {
    proc::Board board{};
    int whiteOff = 0;
    int blackOff = 0;
    int Off(int side) const { return side > 0 ? whiteOff : blackOff; }
};

Displayed DisplayedPosition(const BoardModel& model, const ViewExtras& extras);

} // namespace client::painting
