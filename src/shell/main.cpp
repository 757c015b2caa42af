// Program entry of the launcher: no arguments; the current directory is the
// program folder.
#include "desktop/CommandLine.h"
#include "desktop/DesktopIdentity.h"
#include "shell/Demo.h"
#include "shell/ExceptionSink.h"
#include "shell/StartUp.h"
#include "shell/WhileWorking.h"
#include "report/Report.h"

#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <cstdio>

namespace {

constexpr char Usage[] = "vertan [--demo FOLDER [--pause-scale X] | --report]";
constexpr char Summary[] =
    "Backgammon launcher and referee. Without arguments it runs in the current\n"
    "directory, its program folder. --demo plays a computer game offscreen and\n"
    "saves screenshots into FOLDER. --report writes the club's page into report/\n"
    "and opens it in the browser.";
constexpr char SummaryRu[] =
    "Запуск игры в нарды и судья. Без аргументов работает в текущем каталоге,\n"
    "своей папке программы. --demo играет партию компьютера с самим собой без\n"
    "экрана и сохраняет снимки в FOLDER. --report пишет страницу клуба в report/\n"
    "и открывает её в браузере.";

// "Страница клуба": the site into the program folder's report/, then the
// user's browser on it. No window of the launcher opens.
int RunReport() {
    const QString folder = QDir::currentPath() + QStringLiteral("/report");
    report::ReportResult result;
    // A big club's page takes a while: a small window says it is being made.
    shell::WhileWorking(QStringLiteral("Страница клуба"),
                        QStringLiteral("Создаётся страница клуба…"), [&] {
                            try {
                                result = report::MakeReport(
                                    db::ChooseDatabase(QDir::currentPath()), folder,
                                    report::ClubFileOf(QDir::currentPath()));
                            } catch (const std::exception& error) {
                                result = {1, QString::fromUtf8(error.what()), {}};
                            }
                        });
    for (const QString& warning : result.warnings)
        std::fprintf(stderr, "vertan: %s\n", warning.toLocal8Bit().constData());
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
    if (args == QStringList{QStringLiteral("--report")}) {
        shell::SinkApplication app(argc, argv);
        return RunReport();
    }
    QString error;
    const auto demo = shell::ParseDemoArguments(args, error);
    if (!error.isEmpty())
        return desktop::RejectArguments("vertan", error.toStdString(), Usage);
    shell::SinkApplication app(argc, argv);
    desktop::ApplyDesktopIdentity();
    return demo ? shell::RunDemo(*demo) : shell::RunProgram();
}
