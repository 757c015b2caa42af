#include "db/DatabaseConfig.h"

#include "db/DbError.h"
#include "db/FileTrust.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace db {

namespace {

[[noreturn]] void Refuse(const QString& path, const QString& why) {
    throw ConnectionError((path + QStringLiteral(": ") + why).toStdString());
}

} // namespace

DatabaseChoice ChooseDatabase(const QString& programFolder) {
    const QString data = QDir::cleanPath(programFolder + QStringLiteral("/Data"));
    const QString path = data + QStringLiteral("/Database.cfg");
    if (!QFile::exists(path))
        return {Dialect::SQLite, data + QStringLiteral("/Ratings.mdb")};
    if (const QString others = OthersMayChange(path); !others.isEmpty())
        Refuse(path, others);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(path, file.errorString());
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const QString engine = lines.value(0).trimmed();
    if (engine.compare(QLatin1String("postgresql"), Qt::CaseInsensitive) != 0)
        Refuse(path, QStringLiteral("unknown database engine \"%1\"").arg(engine));
    const QString connection = lines.value(1).trimmed();
    if (connection.isEmpty())
        Refuse(path, QStringLiteral("no connection string on its second line"));
    return {Dialect::PostgreSQL, connection};
}

QString ServerConnectOptions(const QString& connectionString) {
    static const QRegularExpression timeout(QStringLiteral("(^|\\s)connect_timeout\\s*="));
    if (timeout.match(connectionString).hasMatch())
        return connectionString;
    return connectionString + QStringLiteral(" connect_timeout=10");
}

} // namespace db
