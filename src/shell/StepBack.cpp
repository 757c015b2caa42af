#include "shell/StepBack.h"

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QWidget>
#include <vector>

namespace shell {

namespace {

// One per program: the windows it took the flag from and what holds them back.
class Stepper : public QObject {
  public:
    Stepper() {
        connect(qApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    // Back only after the user has been away: an activation
                    // still on its way from before does not count.
                    if (state != Qt::ApplicationActive)
                        left_ = untilActive_;
                    else if (untilActive_ && left_) {
                        untilActive_ = left_ = false;
                        Forward();
                    }
                });
    }

    void Back(QProcess* process) {
        if (process) {
            ++running_;
            connect(process, &QProcess::finished, this, [this] { Ended(); });
        } else {
            untilActive_ = true;
            left_ = false;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ||
                window->windowType() == Qt::ToolTip || window->windowType() == Qt::Popup)
                continue;
            SetOnTop(window, false);
            back_.emplace_back(window);
        }
    }
    bool Stepped() const { return running_ > 0 || untilActive_; }

  private:
    void Ended() {
        if (running_ > 0)
            --running_;
        Forward();
    }
    // Back on top once nothing holds them back.
    void Forward() {
        if (Stepped())
            return;
        for (const QPointer<QWidget>& window : back_)
            if (window)
                SetOnTop(window, true);
        back_.clear();
    }
    // Changing a window's flags hides it: a shown one is shown again in place.
    static void SetOnTop(QWidget* window, bool on) {
        const bool shown = window->isVisible();
        const QPoint at = window->pos();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        if (shown) {
            window->move(at);
            window->show();
        }
    }

    std::vector<QPointer<QWidget>> back_;
    int running_ = 0;
    bool untilActive_ = false;
    bool left_ = false; // the launcher was left since
};

Stepper& TheStepper() {
    static auto* stepper = new Stepper;
    return *stepper;
}

} // namespace

void StepBackFor(QProcess* process) {
    TheStepper().Back(process);
}

bool SteppedBack() {
    return TheStepper().Stepped();
}

} // namespace shell
