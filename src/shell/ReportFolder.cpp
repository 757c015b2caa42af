#include "shell/ReportFolder.h"

#include <QDir>
#include <QSettings>

namespace shell {

namespace {

const QString Key = QStringLiteral("Folder");

QString IniOf(const QString& programFolder) {
    return programFolder + QStringLiteral("/Data/Report.ini");
}

} // namespace

QString RememberedReportFolder(const QString& programFolder) {
    const QSettings ini(IniOf(programFolder), QSettings::IniFormat);
    return ini.value(Key).toString();
}

bool RememberReportFolder(const QString& programFolder, const QString& folder) {
    QSettings ini(IniOf(programFolder), QSettings::IniFormat);
    ini.setValue(Key, folder);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

QString AskReportFolder(QTextStream& in, QTextStream& out, const QString& fallback) {
    out << QStringLiteral("Папка для страницы клуба [%1]: ").arg(fallback) << Qt::flush;
    QString answer = in.readLine().trimmed();
    if (answer.isEmpty())
        return fallback;
    if (answer == QLatin1String("~") || answer.startsWith(QLatin1String("~/")))
        answer = QDir::homePath() + answer.mid(1);
    return QDir::cleanPath(QDir::current().absoluteFilePath(answer));
}

} // namespace shell
