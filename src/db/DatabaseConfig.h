// Which engine holds the ratings: the optional Data/Database.cfg of the
// program folder.
#pragma once

#include "db/Statements.h"

#include <QString>

namespace db {

struct DatabaseChoice {
    Dialect dialect = Dialect::SQLite;
    /*! The SQLite file, or the libpq connection string of the server. */
    QString target;
};

/*! Absent Data/Database.cfg: SQLite on Data/Ratings.mdb. Present: its first
    line "postgresql" and a libpq connection string ("key=value ...") on the
    next. Throws ConnectionError for a file that cannot be read, that other
    accounts could change (OthersMayChange), that names another engine or
    has no connection string. */
DatabaseChoice ChooseDatabase(const QString& programFolder);

/*! The connection string as handed to the server: a connect_timeout of 10 s
    is added when it has none, so an unreachable host never hangs the window
    for the system's TCP timeout. */
QString ServerConnectOptions(const QString& connectionString);

} // namespace db
