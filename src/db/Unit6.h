// The database module: the connection to Data/Ratings.mdb or to the server
// named in Data/Database.cfg, the three shared queries and the code generator.
#pragma once

#include "db/DatabaseConfig.h"
#include "db/DbError.h"
#include "db/Query.h"

#include <QObject>
#include <QString>
#include <string>

class QSqlQueryModel;

namespace db {

/*! How long a lock held by another process is waited for, unless set. */
inline constexpr int DefaultBusyTimeoutMs = 5000;

/*! A component like the windows: created once at start-up, owned by the start-up. */
class TDModule : public QObject {
  public:
    /*! Nothing is opened yet: DataModuleCreate connects. programFolder and its
        Data/Database.cfg are read now; busyTimeoutMs is how long a lock held by
        another process is waited for. */
    explicit TDModule(const QString& programFolder, int busyTimeoutMs = DefaultBusyTimeoutMs);
    /*! The same on a database named directly (tools). */
    explicit TDModule(const DatabaseChoice& choice, int busyTimeoutMs = DefaultBusyTimeoutMs);
    ~TDModule();
    TDModule(const TDModule&) = delete;
    TDModule& operator=(const TDModule&) = delete;

    /*! Connects to ProgramFolder + "/Data/Ratings.mdb" (or the server) and
        opens IBPlayers with every player and IBGames with the all-games
        journal. Throws DbError when the file is missing or unusable, and
        ConnectionError when the server cannot be reached; then both queries
        stay closed, no file is created, and every later step throws at its
        first statement (a server is tried again at every step). */
    void DataModuleCreate();

    /*! The next free code of "PLAYERS" or "GAMES" (maximum plus one, 1 for an
        empty table) as decimal text. Re-points QRWork. Throws DbError. */
    QString GenID(const QString& tableName);

    /*! Re-point IBPlayers and open it: every player by name (13), one player by
        name (14), the possible opponents of a player (15). Throw DbError. */
    TQuery& OpenPlayerList();
    TQuery& OpenPlayer(const QString& name);
    TQuery& OpenOpponents(const QString& name);

    /*! Runs a statement without values as it stands on the main connection:
        what a server cannot prepare (transaction control, schema). Throws DbError. */
    void Run(const Statement& statement);

    /*! The engine behind the module. */
    Dialect Engine() const { return choice_.dialect; }
    /*! The SQLite file, or the server's connection string (no password shown). */
    QString DatabasePath() const { return HidePasswords(choice_.target); }

    /*! The text of a failed step's error for the user: led by "Сервер базы
        данных не отвечает" when the server went silent or the link to it is
        gone, the error's own text otherwise. */
    QString FailureText(const DbError& error);
    /*! After a failed step: the server, reached before, went silent or the
        link to it is gone (false for a statement the server refused, for a
        server never reached, and for a file). */
    bool ServerLost();

    TQuery IBPlayers;
    TQuery IBGames;
    TQuery QRWork;
    // The data sources of the grids.
    QSqlQueryModel* DataSource1() const { return IBPlayers.Model(); }
    QSqlQueryModel* DataSource2() const { return IBGames.Model(); }

    /*! A write transaction that every other writer waits for: rolls back
        unless committed. The shared queries are closed first so no read of
        this connection pins an old snapshot; keepPlayers leaves IBPlayers
        (the ratings grid) open for a transaction that writes no player.
        Throws DbError. */
    class Transaction {
      public:
        explicit Transaction(TDModule& module, bool keepPlayers = false);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

      private:
        void End();
        TDModule& module_;
        bool open_ = true;
    };

  private:
    // The database chosen, or why Data/Database.cfg could not be used.
    struct Chosen {
        DatabaseChoice choice;
        std::string error;
    };
    TDModule(Chosen chosen, int busyTimeoutMs);
    static Chosen ChosenFor(const QString& programFolder);

    // A grid's query fetches lazily, so its statement stays pending and pins
    // the snapshot of its connection. IBPlayers and IBGames therefore read
    // and write on connections of their own, so that the other statements see
    // (and write over) what other processes have committed. Inside a
    // Transaction every query runs on the main connection; so does every
    // query of a database not in WAL mode. A server's rows are read whole,
    // so there everything shares the main connection.
    QSqlDatabase Connection(const QString& name);
    QSqlDatabase Connection();
    QSqlDatabase QueryConnection(const QString& name);
    QSqlDatabase OpenFile(QSqlDatabase connection, const QString& name);
    QSqlDatabase OpenServer(QSqlDatabase connection);

    QString connectionName_;
    QString playersConnection_;
    QString gamesConnection_;
    bool inTransaction_ = false;
    bool walMode_ = false;
    bool reachedServer_ = false;
    DatabaseChoice choice_;
    std::string configError_;
    int busyTimeoutMs_;
};

/*! What the program says when Data/Database.cfg names a server but Qt's
    PostgreSQL driver is not installed. */
inline const QString MissingServerDriverText = QStringLiteral(
    "Не установлен драйвер сервера баз данных PostgreSQL: установите пакет libqt6sql6-psql.");

/*! The one instance, created at start-up after the main window; reset when it is destroyed. */
extern TDModule* DModule;

} // namespace db
