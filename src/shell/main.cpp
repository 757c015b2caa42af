// Program entry of the launcher: no arguments; the current directory is the
// program folder.
#include "desktop/CommandLine.h"
#include "desktop/DesktopIdentity.h"
#include "shell/Demo.h"
#include "shell/ExceptionSink.h"
#include "shell/StartUp.h"
#include "shell/WhileWorking.h"
#include "shell/ReportFolder.h"
#include "report/Report.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTextStream>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr char Usage[] = "vertan [--demo FOLDER [--pause-scale X] | --report [--update]]";
constexpr char Summary[] =
    "Backgammon launcher and referee. Without arguments it runs in the current\n"
    "directory, its program folder. --demo plays a computer game offscreen and\n"
    "saves screenshots into FOLDER. --report writes the club's page into the\n"
    "folder asked for once (on a terminal; else report/) and opens it in the\n"
    "browser; --report --update only brings that page up to date (the timer's).";
constexpr char SummaryRu[] =
    "Запуск игры в нарды и судья. Без аргументов работает в текущем каталоге,\n"
    "своей папке программы. --demo играет партию компьютера с самим собой без\n"
    "экрана и сохраняет снимки в FOLDER. --report пишет страницу клуба в папку,\n"
    "спрошенную один раз (в терминале; иначе report/), и открывает её в браузере;\n"
    "--report --update только обновляет эту страницу (так делает таймер).";

// The folder chosen before; the first time, asked for on a terminal, else
// the program folder's report/. Empty: none, and why is on stderr.
QString ReportFolder(desktop::ReportCommand command) {
    const QString program = QDir::currentPath();
    QString folder = shell::RememberedReportFolder(program);
    if (!folder.isEmpty())
        return folder;
    if (command == desktop::ReportCommand::Update) {
        std::fprintf(stderr, "vertan: no folder for the club's page was chosen yet: "
                             "run vertan --report once\n");
        return {};
    }
    folder = program + QStringLiteral("/report");
    if (::isatty(STDIN_FILENO)) {
        QTextStream in(stdin), out(stdout);
        folder = shell::AskReportFolder(in, out, folder);
    }
    if (!shell::RememberReportFolder(program, folder))
        std::fprintf(stderr, "vertan: the folder of the club's page cannot be remembered\n");
    return folder;
}

// The program folder's club page into folder; the settings it cannot use
// are told on stderr.
report::ReportResult MakeClubPage(const QString& folder) {
    report::ReportResult result;
    try {
        report::ReportOptions options;
        options.clubFile = report::ClubFileOf(QDir::currentPath());
        result = report::MakeReport(db::ChooseDatabase(QDir::currentPath()), folder, options);
    } catch (const std::exception& error) {
        result = {1, QString::fromUtf8(error.what()), {}, {}};
    }
    for (const QString& warning : result.warnings)
        std::fprintf(stderr, "vertan: %s\n", warning.toLocal8Bit().constData());
    return result;
}

// The timer's run: no display, nothing opened; what happened goes to its log.
int UpdateReport(const QString& folder) {
    const report::ReportResult result = MakeClubPage(folder);
    if (result.code != 0) {
        std::fprintf(stderr, "vertan: %s\n", result.message.toLocal8Bit().constData());
        return 1;
    }
    if (!result.fullRun.isEmpty())
        std::printf("every page made again: %s\n", result.fullRun.toLocal8Bit().constData());
    std::printf("%s\n", result.message.toLocal8Bit().constData());
    return 0;
}

// "Страница клуба": the site into the chosen folder, then the user's
// browser on it. No window of the launcher opens.
int RunReport(const QString& folder) {
    report::ReportResult result;
    // A big club's page takes a while: a small window says it is being made.
    shell::WhileWorking(QStringLiteral("Страница клуба"),
                        QStringLiteral("Создаётся страница клуба…"),
                        [&] { result = MakeClubPage(folder); });
    if (result.code != 0) {
        std::fprintf(stderr, "vertan: %s\n", result.message.toLocal8Bit().constData());
        QMessageBox::warning(nullptr, QStringLiteral("Страница клуба"),
                             QStringLiteral("Страница клуба не сделана:\n") + result.message);
        return 1;
    }
    if (!QProcess::startDetached(QStringLiteral("xdg-open"),
                                 {folder + QStringLiteral("/index.html")})) {
        std::fprintf(stderr, "vertan: the page is in %s, but xdg-open did not start\n",
                     folder.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto answered = desktop::AnswerStandardOptions(argc, argv, "vertan", Usage, Summary, SummaryRu))
        return *answered;
    // Without arguments: the program. "--demo FOLDER" plays itself (no display
    // needed). A wrong command line is refused before any window system starts.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    std::vector<std::string> words;
    for (const QString& arg : args)
        words.push_back(arg.toStdString());
    std::string reportError;
    if (const auto command = desktop::ParseReportCommand(words, reportError)) {
        if (*command == desktop::ReportCommand::Update) {
            QCoreApplication app(argc, argv);
            const QString folder = ReportFolder(*command);
            return folder.isEmpty() ? 1 : UpdateReport(folder);
        }
        shell::SinkApplication app(argc, argv);
        return RunReport(ReportFolder(*command));
    }
    if (!reportError.empty())
        return desktop::RejectArguments("vertan", reportError, Usage);
    QString error;
    const auto demo = shell::ParseDemoArguments(args, error);
    if (!error.isEmpty())
        return desktop::RejectArguments("vertan", error.toStdString(), Usage);
    shell::SinkApplication app(argc, argv);
    desktop::ApplyDesktopIdentity();
    return demo ? shell::RunDemo(*demo) : shell::RunProgram();
}
