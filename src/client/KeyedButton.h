// A button of the client's windows: it never takes the focus (the arrows and
// Tab stay with the board) and has a key instead, shown as its tip.
#pragma once

#include <QKeySequence>
#include <QPushButton>

namespace client {

/*! shortcut: the key works through a shortcut owned by the button, live only
    while the button is shown and enabled; otherwise the window's own key
    handling presses it. */
QPushButton* KeyedButton(const QString& text, const QKeySequence& key, bool shortcut,
                         QWidget* parent = nullptr);

} // namespace client
