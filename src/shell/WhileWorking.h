// Long work without a window of its own (the club's page) runs on a thread
// while a small window says that the program is working.
#pragma once

#include <QString>
#include <functional>

namespace shell {

/*! Runs work on a thread of its own and returns when it is done; meanwhile
    the event loop runs, and a window with text and a busy bar shows once the
    work has taken showAfterMs. The work must not touch widgets. Its
    exception is thrown here. */
void WhileWorking(const QString& caption, const QString& text, const std::function<void()>& work,
                  int showAfterMs = 500);

} // namespace shell
