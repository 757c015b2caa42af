#include "client/ClientSettings.h"

#include "text/NumberText.h"

namespace client {
namespace {

// Smallest and largest window side we accept from the file; anything else is
// a damaged line rather than a wish.
constexpr int MinSide = 160;
constexpr int MaxSide = 8192;

int LastLineContaining(const text::LineBuffer& lines, const QString& anchor) {
    int found = -1;
    for (int i = 0; i < lines.Count(); ++i) {
        if (lines.Line(i).contains(anchor)) {
            found = i;
        }
    }
    return found;
}

// "key value" with the value in integer text; nothing when the key is absent
// or the value does not parse.
std::optional<int32_t> KeyedNumber(const QString& line, const QString& key) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(key)) {
        return std::nullopt;
    }
    const QString value = trimmed.mid(key.size()).trimmed();
    if (value.isEmpty() || trimmed.size() == key.size() || !trimmed.at(key.size()).isSpace()) {
        return std::nullopt;
    }
    return text::ParseIntegerText(value);
}

void ReadSide(const text::LineBuffer& lines, int index, const QString& key, int& target,
              QStringList& problems) {
    const auto value = KeyedNumber(lines.Line(index), key);
    if (value && *value >= MinSide && *value <= MaxSide) {
        target = *value;
        return;
    }
    problems << QStringLiteral("Config.cfg: line %1 should read \"%2 N\" (N from %3 to %4), "
                               "found \"%5\"; using %6")
                    .arg(index + 1)
                    .arg(key)
                    .arg(MinSide)
                    .arg(MaxSide)
                    .arg(lines.Line(index))
                    .arg(target);
}

} // namespace

ClientSettings ReadClientSettings(const text::LineBuffer& lines, QStringList& problems) {
    ClientSettings settings;
    const int video = LastLineContaining(lines, QStringLiteral("video"));
    if (video < 0) {
        problems << QStringLiteral("Config.cfg: no \"video\" line; using %1 x %2, windowed")
                        .arg(settings.width)
                        .arg(settings.height);
    } else {
        ReadSide(lines, video + 2, QStringLiteral("width"), settings.width, problems);
        ReadSide(lines, video + 3, QStringLiteral("height"), settings.height, problems);
        const QString mode = lines.Line(video + 4);
        if (mode.contains(QStringLiteral("true"))) {
            settings.fullscreen = true;
        } else if (!mode.contains(QStringLiteral("false"))) {
            problems << QStringLiteral("Config.cfg: line %1 should read \"fullscreen true\" or "
                                       "\"fullscreen false\", found \"%2\"; using a window")
                            .arg(video + 5)
                            .arg(mode);
        }
    }
    const int net = LastLineContaining(lines, QStringLiteral("net"));
    if (net < 0) {
        problems << QStringLiteral("Config.cfg: no \"net\" line; using port %1").arg(settings.port);
    } else {
        const auto port = KeyedNumber(lines.Line(net + 3), QStringLiteral("server_port"));
        if (port && *port >= 1 && *port <= 65535) {
            settings.port = static_cast<uint16_t>(*port);
        } else {
            problems << QStringLiteral("Config.cfg: line %1 should read \"server_port N\" "
                                       "(N from 1 to 65535), found \"%2\"; using port %3")
                            .arg(net + 4)
                            .arg(lines.Line(net + 3))
                            .arg(settings.port);
        }
    }
    return settings;
}

ClientSettings LoadClientSettings(const QString& path, QStringList& problems) {
    text::LineBuffer lines;
    try {
        lines.LoadFromFile(path);
    } catch (const text::FileError& error) {
        const ClientSettings defaults;
        problems << QStringLiteral("cannot read %1 (%2); using %3 x %4, windowed, port %5")
                        .arg(path, QString::fromLocal8Bit(error.what()))
                        .arg(defaults.width)
                        .arg(defaults.height)
                        .arg(defaults.port);
        return defaults;
    }
    return ReadClientSettings(lines, problems);
}

} // namespace client
