// The schema scripts of data/, built into the library.
#pragma once

#include <QString>

namespace db::sql {

/*! data/Ratings.sql: the SQLite schema. */
QString SqliteSchemaScript();
/*! data/Ratings.postgresql.sql: the PostgreSQL schema. */
QString PostgresSchemaScript();

} // namespace db::sql
