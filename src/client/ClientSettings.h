// The client's own settings, read from Config.cfg the way the launcher's
// settings editor writes it: lines at fixed distances below the anchors.
#pragma once

#include "text/LineBuffer.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace client {

struct ClientSettings {
    int width = 800;
    int height = 600;
    bool fullscreen = false;
    uint16_t port = 4000;
};

/*! Reads the settings from the lines of Config.cfg. The last line containing
    "video" anchors the display lines: +2 "width N", +3 "height N", +4
    "fullscreen true|false"; the last line containing "net" anchors +3
    "server_port N", N in any integer-text form. Each missing or damaged value
    keeps its default and adds one message (in English, for standard error) to
    problems. */
ClientSettings ReadClientSettings(const text::LineBuffer& lines, QStringList& problems);

/*! The same from a file; a missing or unreadable file gives the defaults and
    one message. */
ClientSettings LoadClientSettings(const QString& path, QStringList& problems);

} // namespace client
