#include "client/MatchControls.h"

#include "client/BoardGeometry.h"
#include "client/KeyedButton.h"

#include <QEvent>
#include <algorithm>

namespace client {

using proc::Command;

MatchControls::MatchControls(ClientSession& session, QWidget* board)
    : QWidget(board), session_(session) {
    setAccessibleName(QStringLiteral("Куб и сдача"));
    layout_ = new QBoxLayout(QBoxLayout::LeftToRight, this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(6);
    auto send = [this](Command command, int level = 0) {
        return [this, command, level] { session_.SendCommand(command, level); };
    };
    double_ =
        Add(QStringLiteral("Удвоить"), QKeySequence(Qt::CTRL | Qt::Key_D), send(Command::Double));
    roll_ = Add(QStringLiteral("Бросить кости"), QKeySequence(Qt::CTRL | Qt::Key_R),
                send(Command::Roll));
    take_ = Add(QStringLiteral("Принять"), QKeySequence(Qt::CTRL | Qt::Key_Y), send(Command::Take));
    pass_ =
        Add(QStringLiteral("Отказаться"), QKeySequence(Qt::CTRL | Qt::Key_N), send(Command::Pass));
    accept_ =
        Add(QStringLiteral("Принять"), QKeySequence(Qt::CTRL | Qt::Key_Y), send(Command::Accept));
    refuse_ =
        Add(QStringLiteral("Отклонить"), QKeySequence(Qt::CTRL | Qt::Key_N), send(Command::Refuse));
    resign_ = Add(QStringLiteral("Сдаться"), QKeySequence(Qt::CTRL | Qt::Key_E),
                  [this] { ChooseResignLevel(); });
    const QString levelTexts[] = {QStringLiteral("Одна партия"), QStringLiteral("Гаммон"),
                                  QStringLiteral("Бэкгаммон")};
    const Qt::Key levelKeys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3};
    for (int level = 1; level <= 3; ++level) {
        levels_[static_cast<size_t>(level - 1)] =
            Add(levelTexts[level - 1], QKeySequence(Qt::CTRL | levelKeys[level - 1]),
                send(Command::Resign, level));
    }
    cancel_ =
        Add(QStringLiteral("Отмена"), QKeySequence(Qt::Key_Escape), [this] { CancelResign(); });
    board->installEventFilter(this);
    connect(&session_, &ClientSession::Changed, this, &MatchControls::Update);
    Update();
}

QPushButton* MatchControls::Add(const QString& text, const QKeySequence& key,
                                const std::function<void()>& action) {
    QPushButton* button = KeyedButton(text, key, true, this);
    connect(button, &QPushButton::clicked, this, action);
    layout_->addWidget(button);
    return button;
}

void MatchControls::ChooseResignLevel() {
    if (session_.Offers(Command::Resign)) {
        choosingLevel_ = true;
        Update();
    }
}

void MatchControls::CancelResign() {
    choosingLevel_ = false;
    Update();
}

QList<QPushButton*> MatchControls::Shown() const {
    QList<QPushButton*> shown;
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (!isHidden() && button->isVisibleTo(this)) {
            shown << button;
        }
    }
    return shown;
}

void MatchControls::Update() {
    // The levels stay only while a resignation can still go.
    const bool mayResign = session_.Offers(Command::Resign);
    choosingLevel_ = choosingLevel_ && mayResign;
    double_->setVisible(!choosingLevel_ && session_.Offers(Command::Double));
    roll_->setVisible(!choosingLevel_ && session_.Offers(Command::Roll));
    take_->setVisible(session_.Offers(Command::Take));
    pass_->setVisible(session_.Offers(Command::Pass));
    accept_->setVisible(session_.Offers(Command::Accept));
    refuse_->setVisible(session_.Offers(Command::Refuse));
    resign_->setVisible(!choosingLevel_ && mayResign);
    for (QPushButton* level : levels_) {
        level->setVisible(choosingLevel_);
    }
    cancel_->setVisible(choosingLevel_);
    bool any = false;
    for (QPushButton* button : findChildren<QPushButton*>()) {
        any = any || button->isVisibleTo(this);
    }
    setVisible(any);
    if (any) {
        Place();
        raise();
    }
}

// On the half of the board without dice, at its middle line: in a row when
// it fits the half, else in a column; never outside the board.
void MatchControls::Place() {
    const QWidget* board = parentWidget();
    const BoardModel& model = session_.Model();
    const bool diceOnRight =
        model.SideToMove() && !model.GameOver() && *model.SideToMove() == proc::White;
    const QRectF half = geometry::DesignToDevice(board->size())
                            .mapRect(diceOnRight ? geometry::LeftFelt() : geometry::RightFelt());
    layout_->setDirection(QBoxLayout::LeftToRight);
    layout_->activate();
    if (sizeHint().width() > half.width()) {
        layout_->setDirection(QBoxLayout::TopToBottom);
        layout_->activate();
    }
    QSize size = sizeHint().boundedTo(board->size());
    QRect place(QPoint(0, 0), size);
    place.moveCenter(QPointF(half.center().x(), half.center().y()).toPoint());
    place.moveLeft(std::clamp(place.left(), 0, board->width() - size.width()));
    place.moveTop(std::clamp(place.top(), 0, board->height() - size.height()));
    setGeometry(place);
}

bool MatchControls::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && !isHidden()) {
        Place();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace client
