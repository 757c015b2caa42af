#include "client/BoardWidget.h"

#include "client/BoardGeometry.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

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
    connect(&session_, &ClientSession::Changed, this, qOverload<>(&QWidget::update));
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
    const BoardModel& model = session_.Model();
    bool live = false;
    if (model.AwaitingPerson()) {
        int32_t cell = geometry::CellAt(size(), event->position());
        if (cell == proc::BlackBar || cell == proc::WhiteBar) {
            cell = model.ListSide() == proc::White ? proc::WhiteBar : proc::BlackBar;
        }
        const auto sources = model.MovableSources();
        const auto targets =
            model.Selected() ? model.TargetsFrom(*model.Selected()) : std::vector<int32_t>{};
        live = std::find(sources.begin(), sources.end(), cell) != sources.end() ||
               std::find(targets.begin(), targets.end(), cell) != targets.end();
    }
    setCursor(live ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void BoardWidget::closeEvent(QCloseEvent* event) {
    session_.Close();
    QWidget::closeEvent(event);
}

} // namespace client
