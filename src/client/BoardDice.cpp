// The dice of the roll on show.
#include "client/BoardRenderer.h"

#include "client/BoardPainting.h"

#include <QLinearGradient>
#include <algorithm>
#include <array>
#include <vector>

namespace client {
namespace g = geometry;
using namespace painting;

namespace {

void PaintDie(QPainter& p, const QRectF& box, int value, int side) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(box.translated(3, 4), 8, 8);
    QLinearGradient body(box.topLeft(), box.bottomRight());
    if (side > 0) {
        body.setColorAt(0, QColor(0xff, 0xfd, 0xf6));
        body.setColorAt(1, QColor(0xd6, 0xcc, 0xb4));
    } else {
        body.setColorAt(0, QColor(0x5a, 0x16, 0x16));
        body.setColorAt(1, QColor(0x22, 0x05, 0x05));
    }
    p.setBrush(body);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1));
    p.drawRoundedRect(box, 8, 8);
    static const std::array<std::vector<QPointF>, 7> pips = {{
        {},
        {{0.5, 0.5}},
        {{0.25, 0.25}, {0.75, 0.75}},
        {{0.25, 0.25}, {0.5, 0.5}, {0.75, 0.75}},
        {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}},
        {{0.25, 0.25}, {0.75, 0.25}, {0.5, 0.5}, {0.25, 0.75}, {0.75, 0.75}},
        {{0.25, 0.22}, {0.75, 0.22}, {0.25, 0.5}, {0.75, 0.5}, {0.25, 0.78}, {0.75, 0.78}},
    }};
    p.setPen(Qt::NoPen);
    p.setBrush(side > 0 ? QColor(0x1c, 0x1c, 0x1c) : QColor(0xf4, 0xe9, 0xd2));
    const double r = box.width() * 0.09;
    for (const QPointF& pip : pips[static_cast<size_t>(std::clamp(value, 0, 6))]) {
        p.drawEllipse(
            QPointF(box.left() + pip.x() * box.width(), box.top() + pip.y() * box.height()), r, r);
    }
    p.restore();
}

} // namespace

void BoardRenderer::PaintDice(QPainter& p, const BoardModel& model) {
    const auto side = model.SideToMove();
    if (!side || model.GameOver()) {
        return;
    }
    // Each side rolls on its own half: white on the right, black on the left.
    // Doubles show four dice, one per move; a die that was played is dimmed.
    const QRectF felt = *side == proc::White ? g::RightFelt() : g::LeftFelt();
    const auto& uses = model.DiceUses();
    const double size = uses.size() > 2 ? 40 : 46;
    const double gap = 12;
    const double width = static_cast<double>(uses.size()) * (size + gap) - gap;
    double x = felt.center().x() - width / 2;
    for (const DieUse& die : uses) {
        p.save();
        p.setOpacity(die.used ? 0.3 : 1.0);
        PaintDie(p, QRectF(x, g::MiddleY() - size / 2, size, size), die.face, *side);
        p.restore();
        x += size + gap;
        ++record_.dice;
        record_.diceUsed += die.used ? 1 : 0;
    }
}

} // namespace client
