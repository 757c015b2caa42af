// Command line of the client. The launcher starts it with no arguments; the
// options here serve tests and the demo.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace client {

struct ClientArguments {
    bool autoPlay = false;        // --auto: plays every list it gets, logs every message
    uint32_t seed = 1;            // --seed S
    std::optional<uint16_t> port; // --port P: overrides Config.cfg
    QString screenshot;           // --screenshot FILE: the final board as PNG
    QString record;               // --record FILE: the game record, written at the end
    QString open;                 // --open FILE: replays a saved record instead of playing
    bool quitOnClose = false;     // --quit-on-close (always on with --auto)
};

/*! Parses the arguments after the program name. Numbers take any integer-text
    form. Returns nothing and sets error for an unknown option or a bad value. */
std::optional<ClientArguments> ParseClientArguments(const QStringList& args, QString& error);

} // namespace client
