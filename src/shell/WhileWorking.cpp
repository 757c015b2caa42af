#include "shell/WhileWorking.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <exception>
#include <thread>

namespace shell {

void WhileWorking(const QString& caption, const QString& text, const std::function<void()>& work,
                  int showAfterMs) {
    QProgressDialog window(text, QString(), 0, 0);
    window.setWindowTitle(caption);
    window.setCancelButton(nullptr);
    // Shown once the work has taken that long; never at all for quick work.
    QTimer show;
    show.setSingleShot(true);
    QObject::connect(&show, &QTimer::timeout, &window, &QWidget::show);
    show.start(showAfterMs);
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace shell
