// An error escaping an event handler is dropped and the program goes on with
// the next event. Exit status 0 when that holds.
#include "shell/ExceptionSink.h"

#include <QTimer>
#include <cstdio>
#include <stdexcept>

namespace {
class Thrower : public QObject {
  public:
    int handled = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++handled;
            if (handled == 1)
                throw std::runtime_error("escaped");
            if (handled == 2)
                throw 42; // not even an exception class
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::SinkApplication app(argc, argv);
    Thrower thrower;
    for (int i = 0; i < 3; ++i)
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    bool timerRan = false;
    QTimer::singleShot(0, [&] {
        timerRan = true;
        throw std::logic_error("from a timer");
    });
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    app.exec();
    const bool ok = thrower.handled == 3 && timerRan;
    std::printf("%s: handled %d events, timer %s\n", ok ? "ok" : "FAILED", thrower.handled,
                timerRan ? "ran" : "did not run");
    return ok ? 0 : 1;
}
