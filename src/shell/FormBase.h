// Common frame of the program's windows: a fixed client area, the
// background picture under everything, and builders for the controls.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace shell {

/*! The family substituted for "Comic Sans MS" where that font is missing. */
void InstallFontSubstitution();

class TFormBase : public QWidget {
    Q_OBJECT
public:
    enum class Frame { MainWindow, Dialog };
    /*! Dialog: topmost, no system menu and no caption buttons. Main window:
        minimise only. Both have a fixed client area. */
    TFormBase(const QString& caption, QSize clientSize, Frame frame, QWidget* parent = nullptr);

    QLabel* Background; // stretched picture, beneath every control

    /*! A transparent label at (left, top), as large as its text; font
        "Comic Sans MS", bold, the given character height in pixels. */
    QLabel* AddLabel(const QString& text, QPoint pos, int pixelHeight, const QColor& color);
    QPushButton* AddButton(const QString& text, const QRect& geometry);
    /*! Centres the window on the screen and shows it. */
    void ShowCentred();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace shell
