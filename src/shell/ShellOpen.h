// Opening files, programs and links the way the desktop shell does.
#pragma once

#include <QString>
#include <functional>

namespace shell {

/*! Results: 0 out of resources, 2 file not found, 3 path not found,
    11 not a valid executable, 5 access denied, above 32 success. */
constexpr int ShellOutOfResources = 0;
constexpr int ShellFileNotFound = 2;
constexpr int ShellPathNotFound = 3;
constexpr int ShellAccessDenied = 5;
constexpr int ShellBadFormat = 11;
constexpr int ShellSuccess = 42;

/*! Executables start in the current directory with no arguments; documents
    and links go to the desktop's default handler. For an executable, onExit
    (if given) runs on the GUI thread when the started process ends. */
int ShellOpen(const QString& target, std::function<void()> onExit = {});

} // namespace shell
