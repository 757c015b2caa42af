#include "client/BoardRenderer.h"

#include "client/BoardPainting.h"
#include "record/GameRecord.h"

#include <QLinearGradient>
#include <algorithm>

namespace client {
namespace g = geometry;
using namespace painting;

namespace painting {

QFont Font(int pixels, bool bold) {
    QFont font(QStringLiteral("Comfortaa"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace painting

namespace {

QString SideWord(proc::Side side, bool nominative = true) {
    if (nominative) {
        return side == proc::White ? QStringLiteral("белые") : QStringLiteral("чёрные");
    }
    return side == proc::White ? QStringLiteral("белых") : QStringLiteral("чёрных");
}

QString Capitalised(QString s) {
    if (!s.isEmpty()) {
        s[0] = s[0].toUpper();
    }
    return s;
}

} // namespace

QString BoardRenderer::StatusText(const BoardModel& model) {
    if (model.GameOver()) {
        if (const auto winner = model.Winner()) {
            const QString label = *winner == proc::White ? model.WhiteLabel() : model.BlackLabel();
            return QStringLiteral("Игра окончена. Победа: %1")
                .arg(record::LabelShown(label, *winner));
        }
        return QStringLiteral("Игра окончена");
    }
    if (!model.Started()) {
        return QStringLiteral("Ожидание начала игры…");
    }
    const auto side = model.SideToMove();
    if (!side) {
        return QStringLiteral("Цвета разыграны: первыми ходят белые");
    }
    QString status;
    if (const auto passed = model.PassedSide()) {
        status = QStringLiteral("%1 пропускают ход. ").arg(Capitalised(SideWord(*passed)));
    }
    if (model.AwaitingPerson()) {
        status += model.Selected() ? QStringLiteral("Ваш ход: выберите, куда пойти")
                                   : QStringLiteral("Ваш ход: выберите фишку");
    } else {
        status += QStringLiteral("Ход %1").arg(SideWord(*side, false));
    }
    return status;
}

QString BoardRenderer::StatusLine(const BoardModel& model, const ViewExtras& extras) {
    if (!extras.notice.isEmpty()) {
        return extras.notice;
    }
    return extras.match ? extras.match->Status(StatusText(model)) : StatusText(model);
}

void BoardRenderer::Paint(QPainter& painter, QSize area, const BoardModel& model,
                          const ViewExtras& extras) {
    record_ = RenderRecord();
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    PaintStill(painter, area, RailSide(model, extras.otherNumbering));
    record_.rails = rails_;
    painter.setWorldTransform(g::DesignToDevice(area));
    const MatchModel* match = extras.match && extras.match->IsMatch() ? extras.match : nullptr;
    PaintHeader(painter, model, match);
    if (model.Started()) {
        PaintTrays(painter, model, extras);
        PaintHighlights(painter, model);
        PaintTraces(painter, model);
        PaintCheckers(painter, model, extras);
        PaintRings(painter, model);
        PaintDice(painter, model);
        if (match) {
            PaintCube(painter, *match);
        }
        if (extras.flight) {
            PaintFlight(painter, model, *extras.flight);
        }
    }
    PaintFooter(painter, model, extras);
    painter.restore();
}

void BoardRenderer::PaintHeader(QPainter& p, const BoardModel& model, const MatchModel* match) {
    const QRectF header = g::HeaderRect();
    if (!model.Started()) {
        p.setFont(Font(30));
        p.setPen(Ink);
        PaintText(p, header, Qt::AlignCenter, QStringLiteral("Нарды"));
        return;
    }
    const double half = (header.width() - 24) / 2;
    const auto toMove = model.SideToMove();
    for (int side : {proc::White, proc::Black}) {
        const QRectF plate(side > 0 ? header.left() : header.left() + half + 24, header.top(), half,
                           header.height());
        const bool active = toMove && *toMove == side && !model.GameOver();
        p.setPen(active ? QPen(Gold, 3) : QPen(QColor(0, 0, 0, 120), 1));
        QLinearGradient shade(plate.topLeft(), plate.bottomLeft());
        shade.setColorAt(0, QColor(0x3b, 0x22, 0x10, 230));
        shade.setColorAt(1, QColor(0x22, 0x12, 0x07, 230));
        p.setBrush(shade);
        p.drawRoundedRect(plate, 10, 10);
        const double r = plate.height() * 0.32;
        PaintChecker(p, QPointF(plate.left() + 14 + r, plate.center().y()), side);
        // A match's score takes room from the name: a smaller letter keeps the
        // computer's whole label.
        p.setFont(Font(match ? 20 : 22));
        p.setPen(active ? Gold : Ink);
        const QRectF label = plate.adjusted(28 + 2 * r, 0, -12, 0);
        // A long name gives way to the pips at the right, and in a match to
        // the score before them.
        const double pips = QFontMetricsF(Font(14, false)).horizontalAdvance(QStringLiteral("на доске: 15")) + 12;
        const double score = match ? ScoreBadgeWidth + 8 : 0;
        PaintText(p, label, Qt::AlignVCenter | Qt::AlignLeft,
                  p.fontMetrics().elidedText(
                      record::LabelShown(side > 0 ? model.WhiteLabel() : model.BlackLabel(),
                                         static_cast<proc::Side>(side)),
                      Qt::ElideRight, static_cast<int>(label.width() - pips - score)));
        if (match) {
            PaintScore(p,
                       QRectF(label.right() - pips - score, plate.top() + 8, ScoreBadgeWidth,
                              plate.height() - 16),
                       match->Score(static_cast<proc::Side>(side)));
        }
        p.setFont(Font(14, false));
        p.setPen(QColor(0xe8, 0xd5, 0xb0, 210));
        const auto s = static_cast<proc::Side>(side);
        const double line = label.height() / 2;
        PaintText(p, label.adjusted(0, 4, 0, -line), Qt::AlignVCenter | Qt::AlignRight,
                  QStringLiteral("пипы: %1").arg(record::PipCount(model.Board(), s)));
        PaintText(p, label.adjusted(0, line, 0, -4), Qt::AlignVCenter | Qt::AlignRight,
                  QStringLiteral("на доске: %1").arg(model.OnBoard(s)));
    }
}

void BoardRenderer::PaintFooter(QPainter& p, const BoardModel& model, const ViewExtras& extras) {
    const QRectF footer = g::FooterRect();
    const bool match = model.Started() && extras.match && extras.match->IsMatch();
    const QRectF right = footer.adjusted(0, 0, -8, 0);
    // The colour roll on the right, its names cut short before the status is;
    // a match's line goes under it.
    QString roll = model.Started() ? ColourRollText(model) : QString();
    double rollWidth = 0;
    if (!roll.isEmpty()) {
        p.setFont(Font(16, false));
        roll = p.fontMetrics().elidedText(QStringLiteral("Розыгрыш цвета: ") + roll,
                                          Qt::ElideMiddle, int(footer.width() * 0.45));
        rollWidth = p.fontMetrics().horizontalAdvance(roll);
        p.setPen(QColor(0xe8, 0xd5, 0xb0));
        PaintText(p, match ? right.adjusted(0, 0, 0, -right.height() / 2) : right,
                  Qt::AlignVCenter | Qt::AlignRight, roll);
    }
    if (match) {
        p.setFont(Font(16, false));
        p.setPen(QColor(0xe8, 0xd5, 0xb0));
        PaintMatchLine(p, right.adjusted(0, right.height() / 2, 0, 0), *extras.match);
    }
    const QRectF statusBox =
        footer.adjusted(8, 0, -std::max(rollWidth + 24, match ? 220.0 : 0.0), 0);
    const QString status = StatusLine(model, extras);
    // A long line (a match's end) takes a smaller letter rather than run on.
    int pixels = 22;
    while (pixels > 14 &&
           QFontMetricsF(Font(pixels)).horizontalAdvance(status) > statusBox.width()) {
        --pixels;
    }
    p.setFont(Font(pixels));
    const bool ended = model.GameOver() || (extras.match && extras.match->GameEnd());
    p.setPen(ended ? Gold : Ink);
    PaintText(p, statusBox, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, status);
}

void BoardRenderer::PaintText(QPainter& p, const QRectF& box, int flags, const QString& text) {
    p.drawText(box, flags, text);
    record_.texts << text;
}

} // namespace client
