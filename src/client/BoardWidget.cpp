#include "client/BoardWidget.h"

#include "client/BoardGeometry.h"
#include "client/ReaderText.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace client {

BoardWidget::BoardWidget(ClientSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    setWindowTitle(QStringLiteral("Нарды"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Доска"));
    // Small, so that a window of 320 x 240 keeps every button beside it.
    setMinimumSize(160, 120);
    extras_.match = &session_.Match();
    flight_.setStartValue(0.0);
    flight_.setEndValue(1.0);
    flight_.setDuration(FlightMs);
    connect(&flight_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (extras_.flight) {
            // Only the checker moves: where it was and where it is now.
            const QRect before = BoardRenderer::FlightBounds(size(), Shown(), *extras_.flight);
            extras_.flight->progress = value.toDouble();
            update(before.united(BoardRenderer::FlightBounds(size(), Shown(), *extras_.flight)));
        }
    });
    connect(&flight_, &QVariantAnimation::finished, this, [this] {
        extras_.flight.reset();
        update();
    });
    connect(&session_, &ClientSession::Changed, this, &BoardWidget::Refresh);
    connect(&session_, &ClientSession::MoveShown, this, [this](const ShownMove& shown) {
        if (!shown_) {
            StartFlight(shown);
        }
    });
    Refresh();
}

void BoardWidget::Refresh() {
    const BoardModel& model = Shown();
    if (model.Started()) {
        setWindowTitle(
            QStringLiteral("Нарды: %1 — %2").arg(model.WhiteLabel(), model.BlackLabel()));
    }
    setAccessibleDescription(DescribeForReader(model, extras_.notice, extras_.match));
    update();
}

void BoardWidget::ShowModel(const BoardModel* model) {
    flight_.stop();
    extras_.flight.reset();
    shown_ = model;
    Refresh();
}

void BoardWidget::SetNotice(const QString& notice) {
    extras_.notice = notice;
    Refresh();
}

void BoardWidget::SetOtherNumbering(bool other) {
    extras_.otherNumbering = other;
    update();
}

QImage BoardWidget::Snapshot(QSize size) const {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    ViewExtras still = extras_;
    still.flight.reset();
    BoardRenderer renderer;
    renderer.Paint(painter, size, Shown(), still);
    return image;
}

void BoardWidget::StartFlight(const ShownMove& shown) {
    // A new echo lands the one still flying at once.
    flight_.stop();
    extras_.flight = Flight{shown, 0.0};
    flight_.start();
    update();
}

void BoardWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    renderer_.Paint(painter, size(), Shown(), extras_);
}

void BoardWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !shown_) {
        session_.ClickCell(geometry::CellAt(size(), event->position()));
    }
}

void BoardWidget::mouseMoveEvent(QMouseEvent* event) {
    const bool live =
        !shown_ && session_.Model().Clickable(geometry::CellAt(size(), event->position()));
    setCursor(live ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void BoardWidget::keyPressEvent(QKeyEvent* event) {
    const bool playing = Playing();
    switch (event->key()) {
    case Qt::Key_Tab:
        if (playing) {
            session_.MoveFocus(event->modifiers() & Qt::ShiftModifier ? -1 : +1);
            return;
        }
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (playing) {
            session_.MoveFocus(+1);
            return;
        }
        break;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (playing) {
            session_.MoveFocus(-1);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (playing) {
            session_.PickFocused();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (playing && session_.Model().Selected()) {
            session_.CancelPick();
            return;
        }
        // Full screen has no frame to close: Escape gives the window back.
        if (window()->isFullScreen()) {
            window()->showNormal();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

bool BoardWidget::focusNextPrevChild(bool next) {
    // During the person's turn Tab walks the checkers, not the widgets.
    return Playing() ? false : QWidget::focusNextPrevChild(next);
}

void BoardWidget::closeEvent(QCloseEvent* event) {
    session_.Close();
    QWidget::closeEvent(event);
}

} // namespace client
