// Small steps on the work query that the stores share: one value, and the
// newer tables a database made before them lacks.
#pragma once

#include "db/Statements.h"

#include <QStringList>
#include <string>

namespace db {

class TDModule;

/*! The first field of the statement's first row as a whole number (0 for
    no row or NULL), on QRWork, which it closes. Throws DbError. */
qint64 Scalar(TDModule& module, const Statement& statement);

/*! Whether the tables that probe asks after exist, making them from schema
    where they are missing; false where the role has not the right to create
    tables (refusal, when given, gets the server's words). Outside a
    transaction. Throws DbError for any other failure. */
bool PrepareTables(TDModule& module, const Statement& probe, QStringList (*schema)(Dialect),
                   std::string* refusal = nullptr);

} // namespace db
