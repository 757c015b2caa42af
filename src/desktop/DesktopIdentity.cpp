#include "desktop/DesktopIdentity.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

namespace desktop {

void PrepareDesktopIdentity() {
    // The xcb platform reads the instance name from here when it makes a window.
    qputenv("RESOURCE_NAME", DesktopId);
}

void ApplyDesktopIdentity(const QString& programFolder) {
    const QString id = QString::fromLatin1(DesktopId);
    QGuiApplication::setDesktopFileName(id);
    // Installed layout: <prefix>/lib/vertan/<program>, icons under <prefix>/share.
    const QString programs =
        programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    const QDir icons(programs + QStringLiteral("/../../share/icons/hicolor"));
    QIcon fallback;
    for (const QString& size : icons.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString file = icons.filePath(size + QStringLiteral("/apps/") + id + ".png");
        if (QFile::exists(file))
            fallback.addFile(file);
    }
    const QIcon icon = QIcon::fromTheme(id, fallback);
    if (!icon.isNull())
        QGuiApplication::setWindowIcon(icon);
}

} // namespace desktop
