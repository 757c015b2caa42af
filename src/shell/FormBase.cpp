#include "shell/FormBase.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace shell {

namespace {
const QString DesignFamily = QStringLiteral("Comic Sans MS");
// The substitute runs about 15% wider than the design face; narrowing it
// keeps every text inside the layout made for the design face.
int designStretch = 100;

QFont DesignFont(int pixelHeight) {
    QFont font(DesignFamily);
    font.setBold(true);
    font.setPixelSize(pixelHeight);
    font.setStretch(designStretch);
    return font;
}
} // namespace

void InstallFontSubstitution() {
    // The look-alike needs Cyrillic letters, which Comfortaa has.
    if (!QFontDatabase::families().contains(DesignFamily, Qt::CaseInsensitive)) {
        QFont::insertSubstitution(DesignFamily, QStringLiteral("Comfortaa"));
        designStretch = 85;
    }
}

void TLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
    QLabel::mouseReleaseEvent(event);
}

void TLabel::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove();
    QLabel::mouseMoveEvent(event);
}

void TLabel::leaveEvent(QEvent* event) {
    emit MouseLeave();
    QLabel::leaveEvent(event);
}

void SetLabelColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     color.isValid() ? color
                                     : QGuiApplication::palette().color(QPalette::WindowText));
    label->setPalette(palette);
}

QColor LabelColor(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

TFormBase::TFormBase(const QString& caption, QSize clientSize, Frame frame, QWidget* parent)
    : QWidget(parent) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (frame == Frame::Dialog)
        flags |= Qt::Dialog | Qt::WindowStaysOnTopHint;
    else
        flags |= Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setFont(DesignFont(13));

    Background = new QLabel(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->setScaledContents(true);
    Background->setGeometry(rect());
    Background->lower();
}

TLabel* TFormBase::AddLabel(const QString& text, QPoint pos, int pixelHeight, const QColor& color) {
    auto* label = new TLabel(text, this);
    label->setFont(DesignFont(pixelHeight));
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    SetLabelColor(label, color);
    label->move(pos);
    label->adjustSize();
    return label;
}

QPushButton* TFormBase::AddButton(const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, this);
    button->setGeometry(geometry);
    // Enter and Return press the focused button, as Space does.
    button->setAutoDefault(true);
    return button;
}

void TFormBase::ShowCentred() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        // Before the first show the frame is not known yet: it equals the client area.
        const QSize outer = frameGeometry().size();
        const QPoint topLeft = area.center() - QPoint(outer.width() / 2, outer.height() / 2);
        move(topLeft);
        show();
        // The first show makes the frame known: centre the whole frame then.
        const QSize shown = frameGeometry().size();
        if (shown != outer)
            move(area.center() - QPoint(shown.width() / 2, shown.height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void TFormBase::resizeEvent(QResizeEvent* event) {
    Background->setGeometry(rect());
    QWidget::resizeEvent(event);
}

} // namespace shell
