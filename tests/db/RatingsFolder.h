// A program folder in a temporary directory with Data/Ratings.mdb made from
// the shipped schema by the sqlite3 shell, or with Data/Database.cfg naming a
// fresh database on the tests' PostgreSQL server, and a second connection of
// its own for setting up and inspecting rows.
#pragma once

#include "common/QStringPrint.h"

#include "db/Statements.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <ostream>
#include <string>

namespace testing {
template <typename T>
struct TestParamInfo;
}

/*! "SQLite" or "PostgreSQL": names the cases of suites run on both engines. */
std::string EngineName(const ::testing::TestParamInfo<db::Dialect>& info);

class RatingsFolder {
  public:
    /*! withDatabase = false leaves Data/ without the file (SQLite) or the
        server's database without tables. */
    explicit RatingsFolder(bool withDatabase = true, db::Dialect engine = db::Dialect::SQLite);
    /*! Data/Database.cfg naming a database made elsewhere (PrivateServer). */
    explicit RatingsFolder(const QString& server);
    ~RatingsFolder();

    QString Path() const { return dir_.path(); }
    QString DatabaseFile() const { return dir_.path() + "/Data/Ratings.mdb"; }
    db::Dialect Engine() const { return engine_; }
    /*! The server database's connection string (PostgreSQL only). */
    QString Server() const { return server_; }

    /*! Takes the write lock that recordings and registrations wait for, as
        another launcher in the middle of one would hold it; Exec("ROLLBACK")
        releases it. */
    void HoldWriteLock();

    /*! Runs one statement on the folder's own connection; fails the test on error. */
    void Exec(const QString& statement);
    /*! The first field of the first row, or an invalid value when there is none. */
    QVariant Scalar(const QString& statement);
    /*! Adds a player row. */
    void AddPlayer(int code, const QString& name, int points);
    /*! Adds a game row (code, winner, loser, margin, award; date "01.01.2026"). */
    void AddGame(int code, int winner, int loser, int margin = 1, int award = 1);
    /*! Every row of a statement, fields joined by "|", rows by ";". */
    QString Rows(const QString& statement);

    /*! A login role that may change the rows of tables (a list) but create
        no table; returns the server's connection string for it. */
    QString RoleWithoutCreate(const QString& tables);

    /*! The folder's own connection, e.g. for holding a lock. */
    QSqlDatabase Connection();

  private:
    void WriteConfig();
    QTemporaryDir dir_;
    QString name_;
    db::Dialect engine_;
    QString server_;
};

