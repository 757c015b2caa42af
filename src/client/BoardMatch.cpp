// What a match adds to the board: the doubling cube on the bar, each
// player's score beside the name and the match's length under the board.
#include "client/BoardRenderer.h"

#include "client/BoardPainting.h"

#include <QLinearGradient>

namespace client {
namespace g = geometry;
using namespace painting;

void BoardRenderer::PaintScore(QPainter& p, const QRectF& badge, int score) {
    p.setPen(QPen(Gold, 2));
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(badge, 8, 8);
    p.setFont(Font(24));
    p.setPen(Gold);
    PaintText(p, badge, Qt::AlignCenter, QString::number(score));
}

void BoardRenderer::PaintCube(QPainter& p, const MatchModel& match) {
    // A real cube starts in the middle showing 64; taken, it goes to the
    // owner's edge showing its value. The Crawford game leaves it out of play.
    const int place = match.CubeOwner();
    const QRectF cube = g::CubeRect(place);
    record_.cube = place;
    record_.cubeDimmed = match.Crawford();
    p.save();
    p.setOpacity(match.Crawford() ? 0.35 : 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 100));
    p.drawRoundedRect(cube.translated(3, 4), 7, 7);
    QLinearGradient body(cube.topLeft(), cube.bottomRight());
    body.setColorAt(0, QColor(0xfb, 0xf6, 0xe8));
    body.setColorAt(1, QColor(0xcf, 0xc3, 0xa6));
    p.setBrush(body);
    p.setPen(QPen(QColor(0x3b, 0x22, 0x10), 2));
    p.drawRoundedRect(cube, 7, 7);
    const int value = match.CubeValue();
    p.setFont(Font(value >= 16 || value == 1 ? 20 : 24));
    p.setPen(QColor(0x2a, 0x16, 0x08));
    PaintText(p, cube, Qt::AlignCenter, QString::number(value == 1 ? 64 : value));
    p.restore();
}

void BoardRenderer::PaintMatchLine(QPainter& p, const QRectF& box, const MatchModel& match) {
    QString line = MatchLengthText(match.Length());
    if (match.Crawford()) {
        p.setPen(Gold);
        line += QStringLiteral(", Кроуфорд");
    }
    PaintText(p, box, Qt::AlignVCenter | Qt::AlignRight, line);
}

} // namespace client
