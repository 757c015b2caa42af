// Which engine holds the ratings: the optional Data/Database.cfg of the
// program folder, and how its connection string reaches Qt's driver.
#pragma once

#include "db/Statements.h"

#include <QList>
#include <QString>
#include <chrono>

class QSqlDatabase;

namespace db {

struct DatabaseChoice {
    Dialect dialect = Dialect::SQLite;
    /*! The SQLite file, or the libpq connection string of the server. */
    QString target;
};

/*! Absent Data/Database.cfg: SQLite on Data/Ratings.mdb. Present: its first
    line "postgresql" and a libpq connection string ("key=value ..." or a
    postgresql:// URI) on the next; a UTF-8 byte-order mark is skipped. Throws
    ConnectionError for a file that cannot be read, that other accounts could
    change (OthersMayChange), that names another engine or has no connection
    string; the text never shows a password. */
DatabaseChoice ChooseDatabase(const QString& programFolder);

/*! One parameter of a libpq connection string. */
struct ConnectionParameter {
    QString key;
    QString value;
    bool operator==(const ConnectionParameter&) const = default;
};

/*! The parameters of a connection string in their order: libpq's
    "key = value" form (values quoted with '...' and \ escapes, or bare) or a
    postgresql:// (postgres://) URI, percent-decoded. Throws ConnectionError
    for text that is neither. */
QList<ConnectionParameter> ParseConnectionString(const QString& text);

/*! Prepares a QPSQL connection for the connection string: the program's
    bounds are added where it sets none (connect_timeout, TCP keepalives,
    tcp_user_timeout, all from bound). host, port, dbname, user and password
    go through the driver's own fields, which it quotes, so any character
    arrives; every other value goes into the options, where the driver turns
    ";" into a space, so a ";" there is refused with ConnectionError. */
void SetUpServerConnection(QSqlDatabase& connection, const QString& connectionString,
                           std::chrono::milliseconds bound);

/*! text with the value of every password key, and the password of a URI,
    shown as "***". */
QString HidePasswords(const QString& text);

} // namespace db
