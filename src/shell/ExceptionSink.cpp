#include "shell/ExceptionSink.h"

namespace shell {

void DropErrors(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        // Dropped by design: the handler stops at the failing step.
    }
}

SinkApplication::SinkApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool SinkApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    DropErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace shell
