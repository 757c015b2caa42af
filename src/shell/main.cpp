// Program entry of the launcher: no arguments; the current directory is the
// program folder.
#include "desktop/CommandLine.h"
#include "desktop/DesktopIdentity.h"
#include "shell/Demo.h"
#include "shell/ExceptionSink.h"
#include "shell/StartUp.h"

namespace {

constexpr char Usage[] = "vertan [--demo FOLDER [--pause-scale X]]";
constexpr char Summary[] =
    "Backgammon launcher and referee. Without arguments it runs in the current\n"
    "directory, its program folder. --demo plays a computer game offscreen and\n"
    "saves screenshots into FOLDER.";

} // namespace

int main(int argc, char** argv) {
    if (const auto answered = desktop::AnswerStandardOptions(argc, argv, "vertan", Usage, Summary))
        return *answered;
    // Without arguments: the program. "--demo FOLDER" plays itself (no display
    // needed). A wrong command line is refused before any window system starts.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString error;
    const auto demo = shell::ParseDemoArguments(args, error);
    if (!error.isEmpty())
        return desktop::RejectArguments("vertan", error.toStdString(), Usage);
    shell::SinkApplication app(argc, argv);
    desktop::ApplyDesktopIdentity();
    return demo ? shell::RunDemo(*demo) : shell::RunProgram();
}
