#include "shell/ProgramEnd.h"

namespace shell {

namespace {
bool endRequested = false;
}

void RequestProgramEnd() {
    endRequested = true;
}
bool ProgramEndRequested() {
    return endRequested;
}
void ResetProgramEnd() {
    endRequested = false;
}

} // namespace shell
