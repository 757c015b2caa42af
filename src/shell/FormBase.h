// Common frame of the program's windows: a fixed client area, the
// background picture under everything, and builders for the controls.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace shell {

/*! The family substituted for "Comic Sans MS" where that font is missing. */
void InstallFontSubstitution();

/*! A label that reports clicks, pointer movement over it and the pointer leaving it. */
class TLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void Click();
    void MouseMove();
    void MouseLeave();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

/*! Sets a label's font colour; an invalid colour restores the default. */
void SetLabelColor(QLabel* label, const QColor& color);
/*! The font colour a label currently shows. */
QColor LabelColor(const QLabel* label);

class TFormBase : public QWidget {
    Q_OBJECT
  public:
    enum class Frame { MainWindow, Dialog };
    /*! Dialog: topmost, no system menu and no caption buttons. Main window:
        minimise only. Both have a fixed client area; default font
        "Comic Sans MS", bold, 13 pixels. */
    TFormBase(const QString& caption, QSize clientSize, Frame frame, QWidget* parent = nullptr);

    QLabel* Background; // stretched picture, beneath every control

    /*! A transparent label at (left, top), as large as its text; font
        "Comic Sans MS", bold, the given character height in pixels. */
    TLabel* AddLabel(const QString& text, QPoint pos, int pixelHeight, const QColor& color);
    QPushButton* AddButton(const QString& text, const QRect& geometry);
    /*! Centres the window on the screen and shows it, at every call. */
    void ShowCentred();

  protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace shell
