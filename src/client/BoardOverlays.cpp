// What is drawn over the position for the person to play: lit targets,
// rings, the last turn's traces and the keyboard's focus.
#include "client/BoardRenderer.h"

#include "client/BoardPainting.h"

#include <QLinearGradient>
#include <algorithm>
#include <array>

namespace client {
namespace g = geometry;
using namespace painting;

void BoardRenderer::PaintHighlights(QPainter& p, const BoardModel& model) {
    if (!model.AwaitingPerson()) {
        return;
    }
    const auto selected = model.Selected();
    record_.selected = selected;
    if (selected) {
        for (int32_t target : model.TargetsFrom(*selected)) {
            record_.targets.push_back(target);
            if (target == proc::BearOff) {
                const QRectF tray = g::TrayRect(model.ListSide());
                p.setPen(QPen(TargetGlow, 3));
                p.setBrush(QColor(TargetGlow.red(), TargetGlow.green(), TargetGlow.blue(), 60));
                p.drawRoundedRect(tray.adjusted(2, 2, -2, -2), 6, 6);
                continue;
            }
            const QRectF column = g::PointRect(target);
            QLinearGradient glow(QPointF(0, g::IsTopPoint(target) ? column.top() : column.bottom()),
                                 QPointF(0, g::MiddleY()));
            glow.setColorAt(0,
                            QColor(TargetGlow.red(), TargetGlow.green(), TargetGlow.blue(), 110));
            glow.setColorAt(1, QColor(TargetGlow.red(), TargetGlow.green(), TargetGlow.blue(), 0));
            p.fillRect(column, glow);
        }
    }
    record_.movable = model.MovableSources();
}

void BoardRenderer::PaintTraces(QPainter& p, const BoardModel& model) {
    // Faint outlines where the last turn's checkers stood before they moved.
    std::array<int, 27> vacated{};
    for (const ShownMove& shown : model.LastTurn()) {
        const int32_t from = shown.move.from;
        const int own = proc::Cell(model.Board(), from) * shown.side;
        const int slot = std::max(own, 0) + vacated[static_cast<size_t>(from)]++;
        const int room = from <= 24 ? g::PointSlots : g::BarSlots;
        if (slot >= room) {
            continue;
        }
        const QColor edge = shown.side > 0 ? QColor(255, 248, 230, 150) : QColor(10, 10, 10, 150);
        p.setPen(QPen(edge, 2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(g::SlotCenter(from, slot), g::Checker / 2 - 3, g::Checker / 2 - 3);
        record_.traces.push_back(from);
    }
}

void BoardRenderer::PaintRings(QPainter& p, const BoardModel& model) {
    // Drawn over the checkers, so nothing covers them.
    const proc::Board& board = model.Board();
    for (int32_t source : record_.movable) {
        const int count = std::abs(proc::Cell(board, source));
        const QPointF top = g::SlotCenter(source, std::max(count - 1, 0));
        const bool chosen = model.Selected() == source;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(chosen ? QColor(0xff, 0xf1, 0x9c) : Gold, chosen ? 5 : 3));
        p.drawEllipse(top, g::Checker / 2 + 1, g::Checker / 2 + 1);
    }
    // Where the chosen checker would land: on top of its own, or on the blot it hits.
    for (int32_t target : record_.targets) {
        if (target == proc::BearOff) {
            continue;
        }
        const int own = proc::Cell(board, target) * model.ListSide();
        const QPointF landing = g::SlotCenter(target, own > 0 ? own : 0);
        p.setPen(QPen(TargetGlow, 3, Qt::DashLine));
        p.setBrush(own >= 0 ? QColor(TargetGlow.red(), TargetGlow.green(), TargetGlow.blue(), 50)
                            : QBrush(Qt::NoBrush));
        p.drawEllipse(landing, g::Checker / 2 - 1, g::Checker / 2 - 1);
    }
    PaintFocus(p, model);
}

void BoardRenderer::PaintFocus(QPainter& p, const BoardModel& model) {
    // The keyboard's cell, drawn as plainly as the pointer's: a bright double ring.
    const auto focused = model.Focused();
    if (!focused) {
        return;
    }
    record_.focused = focused;
    p.setBrush(Qt::NoBrush);
    if (*focused == proc::BearOff) {
        const QRectF tray = g::TrayRect(model.ListSide());
        p.setPen(QPen(Qt::white, 4));
        p.drawRoundedRect(tray.adjusted(-2, -2, 2, 2), 8, 8);
        return;
    }
    const int own = proc::Cell(model.Board(), *focused) * model.ListSide();
    // A source is its top checker; a target is where the checker would land.
    const int slot = model.Selected() ? std::max(own, 0) : std::max(own - 1, 0);
    const QPointF centre = g::SlotCenter(*focused, slot);
    p.setPen(QPen(QColor(0, 0, 0, 160), 7));
    p.drawEllipse(centre, g::Checker / 2 + 5, g::Checker / 2 + 5);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(centre, g::Checker / 2 + 5, g::Checker / 2 + 5);
}

} // namespace client
