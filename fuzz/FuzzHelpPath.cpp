// The help page's path handling on any program folder and target: the
// backslash mapping and the decision what to open never fault, and a
// decision to start a program names an existing executable file.
#include "shell/AppOptions.h"
#include "shell/ShellOpen.h"
#include "text/Win1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdlib>

namespace {
// A program folder of its own with the help page in place.
const QString Folder = QDir::tempPath() + QStringLiteral("/vertan-fuzz-help");
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    // Qt warns on every path with a NUL in it; millions of lines of that
    // only slow the run and fill its log.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QDir().mkpath(Folder + QStringLiteral("/Data"));
    QFile help(Folder + QStringLiteral("/Data/Help.htm"));
    help.open(QIODevice::WriteOnly);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype cut = size > 0 ? data[0] % (size + 1) : 0;
    // The first part plays the program folder, the rest a target as written.
    shell::ProgramFolder = text::FromWin1251(bytes.left(cut));
    const QString joined = shell::ProgramPath(QStringLiteral("\\Data\\Help.htm"));
    if (joined.contains(QLatin1Char('\\')) && !shell::ProgramFolder.contains(QLatin1Char('\\')))
        std::abort();
    const QString target = text::FromWin1251(bytes.mid(cut));
    // The help button opens from the program folder; the fuzzer's own
    // folders are relative to where it started, so come back after.
    const QString started = QDir::currentPath();
    QDir::setCurrent(Folder);
    const shell::ShellPlan plan = shell::PlanShellOpen(target);
    const shell::ShellPlan help = shell::PlanShellOpen(QStringLiteral("Data\\Help.htm"));
    QDir::setCurrent(started);
    if (plan.kind == shell::ShellPlan::Start && !QFileInfo(plan.program).isExecutable())
        std::abort();
    if (help.kind != shell::ShellPlan::Open)
        std::abort(); // the page is there: it goes to the desktop
    return 0;
}
