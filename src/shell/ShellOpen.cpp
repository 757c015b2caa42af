#include "shell/ShellOpen.h"
#include "shell/AppOptions.h"
#include "shell/StepBack.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace shell {

namespace {

bool HasScheme(const QString& target) {
    static const QStringList schemes = {QStringLiteral("http:"), QStringLiteral("https:"),
                                        QStringLiteral("ftp:"), QStringLiteral("mailto:"),
                                        QStringLiteral("file:")};
    for (const QString& scheme : schemes)
        if (target.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    return false;
}

int OpenUrl(const QUrl& url) {
    if (!QDesktopServices::openUrl(url))
        return ShellNoAssociation;
    // The desktop's program opens a window of its own, not behind the launcher's.
    StepBackFor();
    return ShellSuccess;
}

// A file counts as a program when it has no document extension.
bool IsProgram(const QFileInfo& info) {
    static const QStringList programSuffixes = {QString(), QStringLiteral("exe"),
                                                QStringLiteral("sh"), QStringLiteral("bin"),
                                                QStringLiteral("appimage")};
    return programSuffixes.contains(info.suffix().toLower());
}

int StartProgram(const QString& path, std::function<void(bool)> onExit,
                 const QStringList& arguments = {}) {
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(path);
    process->setArguments(arguments);
    process->setWorkingDirectory(QDir::currentPath());
    // The program writes where the launcher writes; an unread pipe would
    // stall it once full.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return ShellBadFormat;
    }
    StepBackFor(process);
    QObject::connect(process, &QProcess::finished, process,
                     [process, onExit = std::move(onExit)](int code, QProcess::ExitStatus status) {
                         if (onExit)
                             onExit(status == QProcess::NormalExit && code == 0);
                         process->deleteLater();
                     });
    return ShellSuccess;
}

} // namespace

ShellPlan PlanShellOpen(const QString& target) {
    if (HasScheme(target))
        return {ShellPlan::Open, 0, QUrl(target), {}};
    // A bare host name the way the desktop shell takes it.
    if (target.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        return {ShellPlan::Open, 0, QUrl(QStringLiteral("http://") + target), {}};

    const QString path = LocalPath(target);
    if (path.isEmpty())
        return {ShellPlan::Result, ShellFileNotFound, {}, {}};
    const QFileInfo info(QDir::current(), path);
    if (!info.exists())
        return {ShellPlan::Result, info.dir().exists() ? ShellFileNotFound : ShellPathNotFound,
                {}, {}};
    if (info.isDir() || !IsProgram(info))
        return {ShellPlan::Open, 0, QUrl::fromLocalFile(info.absoluteFilePath()), {}};
    if (!info.isExecutable())
        return {ShellPlan::Result, ShellAccessDenied, {}, {}};
    return {ShellPlan::Start, 0, {}, info.absoluteFilePath()};
}

int ShellOpen(const QString& target, std::function<void(bool)> onExit) {
    const ShellPlan plan = PlanShellOpen(target);
    switch (plan.kind) {
    case ShellPlan::Open:
        return OpenUrl(plan.url);
    case ShellPlan::Start:
        return StartProgram(plan.program, std::move(onExit));
    case ShellPlan::Result:
        break;
    }
    return plan.result;
}

int ShellStart(const QString& target, const QStringList& arguments) {
    const ShellPlan plan = PlanShellOpen(target);
    switch (plan.kind) {
    case ShellPlan::Open:
        return ShellBadFormat;
    case ShellPlan::Start:
        return StartProgram(plan.program, {}, arguments);
    case ShellPlan::Result:
        break;
    }
    return plan.result;
}

int OpenWebAddress(const QString& address) {
    const QString trimmed = address.trimmed();
    return OpenUrl(QUrl(HasScheme(trimmed) ? trimmed : QStringLiteral("http://") + trimmed));
}

} // namespace shell
