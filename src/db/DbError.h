// The kinds of error the database layer raises.
#pragma once

#include <stdexcept>

namespace db {

/*! Any failing database step: a missing or locked file, a statement the
    engine rejects, a field that is not in the result. Nobody in the database
    layer catches it; it ends the handler and goes to the application's sink. */
class DbError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/*! The database server cannot be reached, or Data/Database.cfg cannot be
    used. what() is the server's own text (UTF-8). The SQLite file's
    failures are plain DbErrors. */
class ConnectionError : public DbError {
  public:
    using DbError::DbError;
};

} // namespace db
