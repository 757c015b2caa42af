// Opening files, programs and links the way the desktop shell does.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace shell {

/*! Results: 0 out of resources, 2 file not found, 3 path not found,
    5 access denied (a program without execute permission), 11 not a valid
    executable, 31 no program for the document or link, above 32 success. */
constexpr int ShellOutOfResources = 0;
constexpr int ShellFileNotFound = 2;
constexpr int ShellPathNotFound = 3;
constexpr int ShellAccessDenied = 5;
constexpr int ShellBadFormat = 11;
constexpr int ShellNoAssociation = 31;
constexpr int ShellSuccess = 42;

/*! Targets with a scheme (http:, https:, ftp:, mailto:, file:) and host names
    starting with "www." are links; any other target is a path, "\" read as
    "/", relative to the current directory. A file without a document
    extension is a program: it starts in the current directory with no
    arguments, and onExit (if given) runs on the GUI thread when it ends,
    told whether it ended normally with status 0.
    Documents, folders and links go to the desktop's default handler. */
int ShellOpen(const QString& target, std::function<void(bool cleanExit)> onExit = {});

/*! Starts the program target names, as ShellOpen would, with arguments; a
    target that is no program gives ShellBadFormat. */
int ShellStart(const QString& target, const QStringList& arguments);

/*! Opens a web address as a link, whatever its host name: an address
    without a scheme is a host name (and path) reached over http. */
int OpenWebAddress(const QString& address);

/*! What ShellOpen decides for a target, before it opens or starts anything:
    a result to return at once, a link or document for the desktop, or a
    program to start. Reads the file system only. */
struct ShellPlan {
    enum Kind { Result, Open, Start } kind = Result;
    int result = ShellFileNotFound; // for Result
    QUrl url;                       // for Open
    QString program;                // for Start: absolute path
};
ShellPlan PlanShellOpen(const QString& target);

} // namespace shell
