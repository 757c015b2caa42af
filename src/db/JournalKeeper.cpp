#include "db/JournalKeeper.h"

#include "db/DbError.h"
#include "db/Query.h"

namespace db {

JournalKeeper::JournalKeeper(TQuery& games)
    : games_(games), statement_(games.SQL()), wasOpen_(games.Active()) {}

JournalKeeper::~JournalKeeper() {
    if (!wasOpen_)
        return;
    try {
        games_.SetSQL(statement_);
        games_.Open();
    } catch (const DbError&) {
    }
}

} // namespace db
