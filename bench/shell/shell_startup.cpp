// The program's start-up, ending as soon as the main menu is on screen.
#include "shell/ExceptionSink.h"
#include "shell/StartUp.h"

int main(int argc, char** argv) {
    shell::SinkApplication app(argc, argv);
    return shell::RunProgram(true);
}
