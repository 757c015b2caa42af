// Program entry of the launcher: no arguments; the current directory is the
// program folder.
#include "shell/Demo.h"
#include "shell/ExceptionSink.h"
#include "shell/StartUp.h"

#include <cstdio>

int main(int argc, char** argv) {
    shell::SinkApplication app(argc, argv);
    // Without arguments: the program. "--demo FOLDER" plays itself (no display needed).
    QString error;
    const auto demo = shell::ParseDemoArguments(app.arguments().mid(1), error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "vertan: %s\nusage: vertan [--demo FOLDER [--pause-scale X]]\n",
                     error.toUtf8().constData());
        return 2;
    }
    return demo ? shell::RunDemo(*demo) : shell::RunProgram();
}
