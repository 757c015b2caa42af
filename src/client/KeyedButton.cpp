#include "client/KeyedButton.h"

#include <QShortcut>

namespace client {

QPushButton* KeyedButton(const QString& text, const QKeySequence& key, bool shortcut,
                         QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(key.toString(QKeySequence::NativeText));
    if (shortcut) {
        auto* keys = new QShortcut(key, button);
        QObject::connect(keys, &QShortcut::activated, button, &QPushButton::click);
    }
    return button;
}

} // namespace client
