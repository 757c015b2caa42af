// The kinds of error the database layer raises.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace db {

/*! Any failing database step: a missing or locked file, a statement the
    engine rejects, a field that is not in the result. Nobody in the database
    layer catches it; it ends the handler and goes to the application's sink. */
class DbError : public std::runtime_error {
  public:
    /*! transient: the step may work later as it is (the database out of
        reach, locked past the wait, read-only or full for now), as opposed
        to a statement or a row that will fail again. */
    explicit DbError(const std::string& what, bool transient = false, std::string code = {})
        : std::runtime_error(what), transient_(transient), code_(std::move(code)) {}
    bool Transient() const { return transient_; }
    /*! The engine's own code of the error: a server's SQLSTATE ("42501"), an
        SQLite result code; empty when the engine gave none. */
    const std::string& Code() const { return code_; }

  private:
    bool transient_;
    std::string code_;
};

/*! The server's SQLSTATE for a role without the right asked for. */
inline constexpr char InsufficientPrivilege[] = "42501";

/*! The database server cannot be reached, or Data/Database.cfg cannot be
    used. what() is the server's own text (UTF-8). The SQLite file's
    failures are plain DbErrors. */
class ConnectionError : public DbError {
  public:
    explicit ConnectionError(const std::string& what) : DbError(what, true) {}
};

} // namespace db
