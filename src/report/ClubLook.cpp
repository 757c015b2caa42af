#include "report/ClubLook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace report {
namespace {

constexpr qint64 MaxLogoBytes = 1 << 20;

ClubLook& Look() {
    static ClubLook look;
    return look;
}

// A colour that goes into the style as it is: only "#rrggbb".
bool IsColour(const QString& value) {
    static const QRegularExpression colour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    return colour.match(value).hasMatch();
}

QString ReadLogo(const QString& base, const QString& value, ClubLook& look) {
    const QString path = QDir(base).absoluteFilePath(value);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "png" && suffix != "jpg" && suffix != "gif" && suffix != "svg") {
        return QStringLiteral("логотип должен быть файлом .png, .jpg, .gif или .svg");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("логотип %1 не читается: %2").arg(path, file.errorString());
    }
    if (file.size() > MaxLogoBytes) {
        return QStringLiteral("логотип %1 больше 1 МБ").arg(path);
    }
    look.logo = file.readAll();
    look.logoSuffix = suffix == "jpeg" ? QStringLiteral("jpg") : suffix;
    return QString();
}

} // namespace

ClubLook ReadClubLook(const QString& path, QStringList& problems) {
    ClubLook look;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        problems << QStringLiteral("%1: %2").arg(path, file.errorString());
        return look;
    }
    const QString base = QFileInfo(path).absolutePath();
    int number = 0;
    for (const QString& raw : QString::fromUtf8(file.read(MaxLogoBytes)).split('\n')) {
        ++number;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';')) {
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        QString wrong;
        if (equals < 0) {
            wrong = QStringLiteral("нет знака «=»");
        } else if (key == "name") {
            look.name = value;
        } else if (key == "logo") {
            wrong = ReadLogo(base, value, look);
        } else if (key == "accent" || key == "background") {
            if (IsColour(value)) {
                (key == "accent" ? look.accent : look.background) = value;
            } else {
                wrong = QStringLiteral("цвет пишется как #rrggbb: «%1»").arg(value);
            }
        } else {
            wrong = QStringLiteral("неизвестный ключ «%1»").arg(key);
        }
        if (!wrong.isEmpty()) {
            problems << QStringLiteral("%1, строка %2: %3").arg(path).arg(number).arg(wrong);
        }
    }
    return look;
}

void SetClubLook(const ClubLook& look) {
    Look() = look;
}

const ClubLook& CurrentClubLook() {
    return Look();
}

} // namespace report
