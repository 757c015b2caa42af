#include "db/DatabaseConfig.h"

#include "db/DbError.h"
#include "db/FileTrust.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QUrl>
#include <algorithm>

namespace db {

namespace {

[[noreturn]] void Refuse(const QString& where, const QString& why) {
    throw ConnectionError(HidePasswords(where + QStringLiteral(": ") + why).toStdString());
}

bool IsUri(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://")) ||
           text.startsWith(QLatin1String("postgres://"));
}

QString Decoded(const QString& part) {
    return QUrl::fromPercentEncoding(part.toUtf8());
}

// postgresql://[user[:password]@][host[:port][,host[:port]...]][/dbname][?key=value&...]
QList<ConnectionParameter> ParseUri(const QString& uri) {
    QString rest = uri.mid(uri.indexOf(QLatin1String("://")) + 3);
    QList<ConnectionParameter> parameters;
    QString query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.mid(mark + 1);
        rest.truncate(mark);
    }
    QString dbname;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        dbname = rest.mid(slash + 1);
        rest.truncate(slash);
    }
    if (const qsizetype at = rest.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString user = rest.left(at);
        const qsizetype colon = user.indexOf(QLatin1Char(':'));
        parameters.append({QStringLiteral("user"), Decoded(user.left(colon))});
        if (colon >= 0)
            parameters.append({QStringLiteral("password"), Decoded(user.mid(colon + 1))});
        rest = rest.mid(at + 1);
    }
    QStringList hosts, ports;
    for (const QString& hostPort : rest.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        // [::1]:5432 or name:5432; a bracketed address keeps its colons.
        const qsizetype close =
            hostPort.startsWith(QLatin1Char('[')) ? hostPort.indexOf(QLatin1Char(']')) : -1;
        const qsizetype colon = hostPort.indexOf(QLatin1Char(':'), std::max<qsizetype>(close, 0));
        QString host = hostPort.left(colon);
        if (close > 0)
            host = hostPort.mid(1, close - 1);
        hosts << Decoded(host);
        ports << (colon >= 0 ? hostPort.mid(colon + 1) : QString());
    }
    if (!hosts.isEmpty() && !hosts.join(QString()).isEmpty())
        parameters.append({QStringLiteral("host"), hosts.join(QLatin1Char(','))});
    if (!ports.join(QString()).isEmpty())
        parameters.append({QStringLiteral("port"), ports.join(QLatin1Char(','))});
    if (!dbname.isEmpty())
        parameters.append({QStringLiteral("dbname"), Decoded(dbname)});
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0)
            Refuse(uri, QStringLiteral("a URI parameter without a value"));
        parameters.append({Decoded(pair.left(equals)), Decoded(pair.mid(equals + 1))});
    }
    return parameters;
}

// libpq's form: key = value, the value bare or in '...', with \ escaping.
QList<ConnectionParameter> ParseKeywords(const QString& text) {
    QList<ConnectionParameter> parameters;
    qsizetype i = 0;
    const auto skipSpace = [&] {
        while (i < text.size() && text.at(i).isSpace())
            ++i;
    };
    for (skipSpace(); i < text.size(); skipSpace()) {
        const qsizetype keyStart = i;
        while (i < text.size() && !text.at(i).isSpace() && text.at(i) != QLatin1Char('='))
            ++i;
        const QString key = text.mid(keyStart, i - keyStart);
        skipSpace();
        if (key.isEmpty() || i >= text.size() || text.at(i) != QLatin1Char('='))
            Refuse(text, QStringLiteral("\"%1\" has no \"=\" and value").arg(key));
        ++i;
        skipSpace();
        QString value;
        const bool quoted = i < text.size() && text.at(i) == QLatin1Char('\'');
        if (quoted)
            ++i;
        for (; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (quoted ? c == QLatin1Char('\'') : c.isSpace())
                break;
            if (c == QLatin1Char('\\') && i + 1 < text.size())
                ++i;
            value += text.at(i);
        }
        if (quoted) {
            if (i >= text.size())
                Refuse(key, QStringLiteral("the quoted value has no closing quote"));
            ++i;
        }
        parameters.append({key, value});
    }
    return parameters;
}

QString Quoted(QString value) {
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
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
    QString text = QString::fromUtf8(file.readAll());
    // Windows editors start a UTF-8 file with a byte-order mark.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QString engine = lines.value(0).trimmed();
    if (engine.compare(QLatin1String("postgresql"), Qt::CaseInsensitive) != 0)
        Refuse(path, QStringLiteral("unknown database engine \"%1\"").arg(engine));
    const QString connection = lines.value(1).trimmed();
    if (connection.isEmpty())
        Refuse(path, QStringLiteral("no connection string on its second line"));
    return {Dialect::PostgreSQL, connection};
}

QList<ConnectionParameter> ParseConnectionString(const QString& text) {
    const QString trimmed = text.trimmed();
    return IsUri(trimmed) ? ParseUri(trimmed) : ParseKeywords(trimmed);
}

void SetUpServerConnection(QSqlDatabase& connection, const QString& connectionString,
                           std::chrono::milliseconds bound) {
    QList<ConnectionParameter> parameters = ParseConnectionString(connectionString);
    const auto has = [&](const QString& key) {
        return std::any_of(parameters.begin(), parameters.end(),
                           [&](const ConnectionParameter& p) { return p.key == key; });
    };
    // A server that stops answering, or a link that drops, ends a wait
    // within the bound instead of the system's TCP time-out. libpq takes
    // whole seconds, two at least, for connecting.
    const long long seconds = std::max<long long>(2, (bound.count() + 999) / 1000);
    const QList<ConnectionParameter> bounds = {
        {QStringLiteral("connect_timeout"), QString::number(seconds)},
        {QStringLiteral("keepalives"), QStringLiteral("1")},
        {QStringLiteral("keepalives_idle"), QStringLiteral("5")},
        {QStringLiteral("keepalives_interval"), QStringLiteral("2")},
        {QStringLiteral("keepalives_count"), QStringLiteral("2")},
        {QStringLiteral("tcp_user_timeout"), QString::number(bound.count())},
    };
    for (const ConnectionParameter& p : bounds)
        if (!has(p.key))
            parameters.append(p);
    QStringList options;
    for (const ConnectionParameter& p : parameters) {
        if (p.key == QLatin1String("host"))
            connection.setHostName(p.value);
        else if (p.key == QLatin1String("dbname"))
            connection.setDatabaseName(p.value);
        else if (p.key == QLatin1String("user"))
            connection.setUserName(p.value);
        else if (p.key == QLatin1String("password"))
            connection.setPassword(p.value);
        else if (p.key == QLatin1String("port") && p.value.toInt() > 0)
            connection.setPort(p.value.toInt());
        else if (p.value.contains(QLatin1Char(';')) || p.key.contains(QLatin1Char(';')))
            Refuse(p.key, QStringLiteral("a \";\" in this value cannot be passed to the "
                                         "database driver; remove it"));
        else
            options << p.key + QLatin1Char('=') + Quoted(p.value);
    }
    connection.setConnectOptions(options.join(QLatin1Char(' ')));
}

QString HidePasswords(const QString& text) {
    static const QRegularExpression keyword(
        QStringLiteral("(password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'?|[^\\s&]*)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression uri(QStringLiteral("(postgres(?:ql)?://[^:@/\\s]*:)[^@\\s]*@"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString hidden = text;
    hidden.replace(keyword, QStringLiteral("\\1***"));
    hidden.replace(uri, QStringLiteral("\\1***@"));
    return hidden;
}

} // namespace db
