// Keeping a grid's rows across a transaction, which closes the shared queries.
#pragma once

#include "db/Query.h"

namespace db {

/*! Reopens a shared query's statement when it goes, if it was open before. */
class QueryKeeper {
  public:
    explicit QueryKeeper(TQuery& query);
    ~QueryKeeper();
    QueryKeeper(const QueryKeeper&) = delete;
    QueryKeeper& operator=(const QueryKeeper&) = delete;

  private:
    TQuery& query_;
    Statement statement_;
    bool wasOpen_;
};

} // namespace db
