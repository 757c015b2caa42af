#include "db/QueryKeeper.h"

#include "db/DbError.h"

namespace db {

QueryKeeper::QueryKeeper(TQuery& query)
    : query_(query), statement_(query.SQL()), wasOpen_(query.Active()) {}

QueryKeeper::~QueryKeeper() {
    if (!wasOpen_) {
        return;
    }
    // A failed reopening leaves the grid empty; the error that may be on its
    // way to the sink stays the one reported.
    try {
        query_.SetSQL(statement_);
        query_.Open();
    } catch (const DbError&) {
    }
}

} // namespace db
