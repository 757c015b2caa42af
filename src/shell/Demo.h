// A self-running showing of the program for machines without a display:
// a computer-against-computer game with the board client in its automatic
// mode, every message printed, screenshots saved.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace shell {

struct DemoOptions {
    QString folder;           // where the screenshots go
    double pauseScale = 0.02; // multiplies every wait of the game and the tick
};

/*! "--demo FOLDER [--pause-scale X]". Nothing for no arguments (the normal
    start); an error text for anything else. */
std::optional<DemoOptions> ParseDemoArguments(const QStringList& args, QString& error);

/*! Starts the program as RunProgram does and plays the demo; returns the
    exit status (0 when the game ran to its end). */
int RunDemo(const DemoOptions& options);

} // namespace shell
