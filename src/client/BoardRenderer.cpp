#include "client/BoardRenderer.h"

#include "client/BoardGeometry.h"
#include "record/GameRecord.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace client {
namespace g = geometry;
namespace {

const QColor Ink(0xf6, 0xe7, 0xc8);
const QColor Gold(0xf2, 0xc1, 0x4e);
const QColor TargetGlow(0x9c, 0xf0, 0x7a);
// A checker with its shadow fits in this square (design units), centred.
constexpr double CheckerBox = geometry::Checker + 10;

QFont Font(int pixels, bool bold = true) {
    QFont font(QStringLiteral("Comfortaa"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

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

// The position as drawn: a checker in flight has left its source (the model
// already moved it) but has not yet landed.
struct Displayed {
    proc::Board board{};
    int whiteOff = 0;
    int blackOff = 0;
    int Off(int side) const { return side > 0 ? whiteOff : blackOff; }
};

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

QString BoardRenderer::StatusText(const BoardModel& model) {
    if (model.GameOver()) {
        if (const auto winner = model.Winner()) {
            const QString label = *winner == proc::White ? model.WhiteLabel() : model.BlackLabel();
            return QStringLiteral("Игра окончена. Победа: %1").arg(label);
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

void BoardRenderer::Paint(QPainter& painter, QSize area, const BoardModel& model,
                          const ViewExtras& extras) {
    record_ = RenderRecord();
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    PaintStill(painter, area);
    painter.setWorldTransform(g::DesignToDevice(area));
    PaintHeader(painter, model);
    if (model.Started()) {
        PaintTrays(painter, model, extras);
        PaintHighlights(painter, model);
        PaintTraces(painter, model);
        PaintCheckers(painter, model, extras);
        PaintRings(painter, model);
        PaintDice(painter, model);
        if (extras.flight) {
            PaintFlight(painter, model, *extras.flight);
        }
    }
    PaintFooter(painter, model, extras);
    painter.restore();
}

void BoardRenderer::PaintStill(QPainter& painter, QSize area) {
    // The table, the wood, the felt and the point numbers never change with
    // the game: drawn once per size and copied onto every frame, which keeps
    // a frame in flight cheap.
    const QPaintDevice* device = painter.device();
    const qreal ratio = device ? device->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(area) * ratio).toSize();
    if (still_.size() != pixels || still_.devicePixelRatioF() != ratio) {
        still_ = QImage(pixels, QImage::Format_RGB32);
        still_.setDevicePixelRatio(ratio);
        QPainter p(&still_);
        p.setRenderHints(painter.renderHints());
        PaintTable(p, area);
        p.setWorldTransform(g::DesignToDevice(area));
        PaintBoard(p);
        PaintPointNumbers(p);
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

void BoardRenderer::PaintPointNumbers(QPainter& p) {
    // Each side counts the points from its own home, as moves are written:
    // white's number in the light ink on the left, black's in the dark on the right.
    p.setFont(Font(10));
    for (int32_t point = 1; point <= 24; ++point) {
        const QRectF column = g::PointRect(point);
        const double y =
            g::IsTopPoint(point) ? g::BoardRect().top() : g::BoardRect().bottom() - g::Frame;
        const QRectF rail(column.left() + 6, y, column.width() - 12, g::Frame);
        p.setPen(QColor(0xf3, 0xdf, 0xb8, 220));
        p.drawText(rail, Qt::AlignVCenter | Qt::AlignLeft,
                   QString::number(record::OwnPoint(proc::White, point)));
        p.setPen(QColor(0x1e, 0x12, 0x0a, 220));
        p.drawText(rail, Qt::AlignVCenter | Qt::AlignRight,
                   QString::number(record::OwnPoint(proc::Black, point)));
    }
}

void BoardRenderer::PaintHeader(QPainter& p, const BoardModel& model) {
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
        p.setFont(Font(22));
        p.setPen(active ? Gold : Ink);
        const QRectF label = plate.adjusted(28 + 2 * r, 0, -12, 0);
        // A long name gives way to the pips at the right.
        const double pips = QFontMetricsF(Font(14, false)).horizontalAdvance(QStringLiteral("на доске: 15")) + 12;
        PaintText(p, label, Qt::AlignVCenter | Qt::AlignLeft,
                  p.fontMetrics().elidedText(
                      record::LabelShown(side > 0 ? model.WhiteLabel() : model.BlackLabel()),
                      Qt::ElideRight, static_cast<int>(label.width() - pips)));
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
    p.setFont(Font(22));
    p.setPen(model.GameOver() ? Gold : Ink);
    const QString status = extras.notice.isEmpty() ? StatusText(model) : extras.notice;
    PaintText(p, footer.adjusted(8, 0, -220, 0), Qt::AlignVCenter | Qt::AlignLeft, status);
    if (model.Started()) {
        p.setFont(Font(16, false));
        p.setPen(QColor(0xe8, 0xd5, 0xb0));
        PaintText(p, footer.adjusted(0, 0, -8, 0), Qt::AlignVCenter | Qt::AlignRight,
                  QStringLiteral("Розыгрыш цвета: %1 : %2")
                      .arg(proc::FirstDie(model.Opening()))
                      .arg(proc::SecondDie(model.Opening())));
    }
}

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

void BoardRenderer::PaintFlight(QPainter& p, const BoardModel& model, const Flight& flight) {
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
    PaintChecker(p, at, s.side);
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

void BoardRenderer::PaintText(QPainter& p, const QRectF& box, int flags, const QString& text) {
    p.drawText(box, flags, text);
    record_.texts << text;
}

} // namespace client
