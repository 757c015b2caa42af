// Program entry of the launcher: no arguments; the current directory is the
// program folder.
#include "shell/ExceptionSink.h"
#include "shell/StartUp.h"

int main(int argc, char** argv) {
    shell::SinkApplication app(argc, argv);
    return shell::RunProgram();
}
