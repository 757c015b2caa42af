// The tests' own PostgreSQL server and a fresh database on it per test.
#pragma once

#include <QString>

namespace pgtest {

/*! The folder of the server that one CTest run shares (started and stopped
    by the pg_server fixture tests), named after the build folder. */
QString SharedServerDir();

/*! A new empty database on the shared server, or, when that is not running
    (a test binary started by hand), on a server of this process's own that is
    stopped at exit. withSchema creates the tables from the catalogue's schema.
    Returns its libpq connection string; fails the test on error. */
QString NewDatabase(bool withSchema = true);

/*! Drops a database made by NewDatabase, ending its other connections. */
void DropDatabase(const QString& connectionString);

/*! A server of one test's own, for faults that would disturb the others:
    stopped, killed and restarted at will. */
class PrivateServer {
  public:
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    /*! The connection string of a new database with the schema's tables. */
    QString NewDatabase();
    /*! Sends sig to the server and every process of it (SIGSTOP, SIGCONT, SIGKILL). */
    void Signal(int sig);
    /*! Restarts it (started again after SIGKILL), keeping its data. */
    void Restart();

  private:
    QString dir_;
};

} // namespace pgtest
