#include "shell/AppOptions.h"

#include <QGuiApplication>
#include <QPalette>
#include <optional>

namespace shell {

QString ProgramFolder;
int32_t MenuColor = 0;
QString MenuBackground;
QString DialogBackground;
int32_t ServerPort = 0;
QString ClientPath;

QString LocalPath(const QString& path) {
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
}

QString ProgramPath(const QString& relative) {
    QString tail = LocalPath(relative);
    // A drive-root folder keeps its separator: "/" + "/Data" must not double it.
    if (ProgramFolder.endsWith(QLatin1Char('/')) && tail.startsWith(QLatin1Char('/')))
        tail.remove(0, 1);
    return ProgramFolder + tail;
}

namespace {

constexpr uint32_t ColorNone = 0x1FFFFFFF;
constexpr uint32_t ColorDefault = 0x20000000;

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colours by their number; 25 does not exist.
std::optional<SystemRole> SystemColorRole(int index) {
    using P = QPalette;
    switch (index) {
    case 0:
        return SystemRole{P::Active, P::Button}; // scroll bar
    case 1:
        return SystemRole{P::Active, P::Dark}; // desktop
    case 2:
        return SystemRole{P::Active, P::Highlight}; // active caption
    case 3:
        return SystemRole{P::Inactive, P::Highlight}; // inactive caption
    case 4:
        return SystemRole{P::Active, P::Window}; // menu
    case 5:
        return SystemRole{P::Active, P::Base}; // window
    case 6:
        return SystemRole{P::Active, P::Shadow}; // window frame
    case 7:
        return SystemRole{P::Active, P::WindowText}; // menu text
    case 8:
        return SystemRole{P::Active, P::Text}; // window text
    case 9:
        return SystemRole{P::Active, P::HighlightedText}; // caption text
    case 10:
        return SystemRole{P::Active, P::Window}; // active border
    case 11:
        return SystemRole{P::Inactive, P::Window}; // inactive border
    case 12:
        return SystemRole{P::Active, P::Mid}; // application work space
    case 13:
        return SystemRole{P::Active, P::Highlight}; // highlight
    case 14:
        return SystemRole{P::Active, P::HighlightedText}; // highlight text
    case 15:
        return SystemRole{P::Active, P::Button}; // button face
    case 16:
        return SystemRole{P::Active, P::Dark}; // button shadow
    case 17:
        return SystemRole{P::Disabled, P::Text}; // grey text
    case 18:
        return SystemRole{P::Active, P::ButtonText}; // button text
    case 19:
        return SystemRole{P::Inactive, P::HighlightedText}; // inactive caption text
    case 20:
        return SystemRole{P::Active, P::Light}; // button highlight
    case 21:
        return SystemRole{P::Active, P::Shadow}; // 3D dark shadow
    case 22:
        return SystemRole{P::Active, P::Midlight}; // 3D light
    case 23:
        return SystemRole{P::Active, P::ToolTipText}; // info text
    case 24:
        return SystemRole{P::Active, P::ToolTipBase}; // info background
    case 26:
        return SystemRole{P::Active, P::Link}; // hot light
    case 27:
        return SystemRole{P::Active, P::Highlight}; // gradient active caption
    case 28:
        return SystemRole{P::Inactive, P::Highlight}; // gradient inactive caption
    case 29:
        return SystemRole{P::Active, P::Highlight}; // menu highlight
    case 30:
        return SystemRole{P::Active, P::Window}; // menu bar
    default:
        return std::nullopt;
    }
}

} // namespace

QColor ToQColor(int32_t colorValue) {
    const auto value = static_cast<uint32_t>(colorValue);
    if (value == ColorNone)
        return QColor(Qt::transparent);
    if (value == ColorDefault)
        return QColor(); // invalid: the control keeps its own colour
    if ((value >> 24) == 0xFF) {
        const auto role = SystemColorRole(static_cast<int>(value & 0xFF));
        if (!role)
            return QColor(Qt::black);
        return QGuiApplication::palette().color(role->group, role->role);
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

} // namespace shell
