#include "shell/ServerWaitNote.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace shell {

ServerWaitNote::~ServerWaitNote() {
    delete window_;
}

void ServerWaitNote::Show(const std::function<void()>& cancel) {
    delete window_;
    // Modal: while it shows, it is the one window that takes the user's input.
    window_ = new QWidget(QApplication::activeWindow(), Qt::Dialog | Qt::CustomizeWindowHint |
                                                            Qt::WindowTitleHint);
    window_->setWindowTitle(QStringLiteral("Вертан"));
    window_->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QHBoxLayout(window_);
    layout->addWidget(new QLabel(ServerWaitText, window_));
    if (cancel) {
        auto* button = new QPushButton(QStringLiteral("Отмена"), window_);
        QObject::connect(button, &QPushButton::clicked, window_, [cancel, button] {
            button->setEnabled(false);
            cancel();
        });
        layout->addWidget(button);
        button->setFocus();
    }
    window_->show();
}

void ServerWaitNote::Hide() {
    delete window_;
}

} // namespace shell
