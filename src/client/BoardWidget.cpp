#include "client/BoardWidget.h"

#include "client/BoardGeometry.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace client {

BoardWidget::BoardWidget(ClientSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    setWindowTitle(QStringLiteral("Нарды"));
    setMouseTracking(true);
    setMinimumSize(320, 240);
    flight_.setStartValue(0.0);
    flight_.setEndValue(1.0);
    flight_.setDuration(FlightMs);
    connect(&flight_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (extras_.flight) {
            extras_.flight->progress = value.toDouble();
            update();
        }
    });
    connect(&flight_, &QVariantAnimation::finished, this, [this] {
        extras_.flight.reset();
        update();
    });
    connect(&session_, &ClientSession::Changed, this, [this] {
        const BoardModel& model = session_.Model();
        if (model.Started()) {
            setWindowTitle(
                QStringLiteral("Нарды: %1 — %2").arg(model.WhiteLabel(), model.BlackLabel()));
        }
        update();
    });
    connect(&session_, &ClientSession::MoveShown, this, &BoardWidget::StartFlight);
}

void BoardWidget::SetNotice(const QString& notice) {
    extras_.notice = notice;
    update();
}

QImage BoardWidget::Snapshot(QSize size) const {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    ViewExtras still = extras_;
    still.flight.reset();
    BoardRenderer renderer;
    renderer.Paint(painter, size, session_.Model(), still);
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
    renderer_.Paint(painter, size(), session_.Model(), extras_);
}

void BoardWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        session_.ClickCell(geometry::CellAt(size(), event->position()));
    }
}

void BoardWidget::mouseMoveEvent(QMouseEvent* event) {
    const bool live = session_.Model().Clickable(geometry::CellAt(size(), event->position()));
    setCursor(live ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void BoardWidget::keyPressEvent(QKeyEvent* event) {
    // Full screen has no frame to close: Escape gives the window back.
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        showNormal();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BoardWidget::closeEvent(QCloseEvent* event) {
    session_.Close();
    QWidget::closeEvent(event);
}

} // namespace client
