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

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    // A program folder of its own with the help page in place.
    const QString folder = QDir::tempPath() + QStringLiteral("/vertan-fuzz-help");
    QDir().mkpath(folder + QStringLiteral("/Data"));
    QFile help(folder + QStringLiteral("/Data/Help.htm"));
    help.open(QIODevice::WriteOnly);
    QDir::setCurrent(folder);
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
    const shell::ShellPlan plan = shell::PlanShellOpen(target);
    if (plan.kind == shell::ShellPlan::Start && !QFileInfo(plan.program).isExecutable())
        std::abort();
    shell::PlanShellOpen(QStringLiteral("Data\\Help.htm"));
    return 0;
}
