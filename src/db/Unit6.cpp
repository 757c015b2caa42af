#include "db/Unit6.h"

#include "db/DbError.h"
#include "db/NameCollation.h"
#include "db/ServerWatch.h"
#include "db/Statements.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QUrl>
#include <algorithm>
#include <atomic>

namespace db {

TDModule* DModule = nullptr;

namespace {

QString UniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vertan-ratings-%1").arg(++counter);
}

// The watch lets go of a server connection before it is finished.
void Close(QSqlDatabase& connection) {
    UnwatchServerConnection(connection.driver());
    connection.close();
}

} // namespace

TDModule::TDModule(const QString& programFolder, int busyTimeoutMs)
    : TDModule(ChosenFor(programFolder), busyTimeoutMs) {}

TDModule::TDModule(const DatabaseChoice& choice, int busyTimeoutMs)
    : TDModule(Chosen{choice, {}}, busyTimeoutMs) {}

TDModule::TDModule(Chosen chosen, int busyTimeoutMs)
    : IBPlayers([this] { return QueryConnection(playersConnection_); }),
      IBGames([this] { return QueryConnection(gamesConnection_); }),
      QRWork([this] { return Connection(); }),
      connectionName_(UniqueConnectionName()),
      playersConnection_(connectionName_ + QStringLiteral("-players")),
      gamesConnection_(connectionName_ + QStringLiteral("-games")),
      choice_(std::move(chosen.choice)), configError_(std::move(chosen.error)),
      busyTimeoutMs_(busyTimeoutMs) {
    if (choice_.dialect == Dialect::PostgreSQL) {
        // Without the driver Qt would only say "Driver not loaded", in English.
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            configError_ = MissingServerDriverText.toStdString();
        QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName_);
        return;
    }
    for (const QString& name : {connectionName_, playersConnection_, gamesConnection_})
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
}

TDModule::Chosen TDModule::ChosenFor(const QString& programFolder) {
    try {
        return {ChooseDatabase(programFolder), {}};
    } catch (const ConnectionError& error) {
        // Reported when the module connects, like an unreachable server.
        return {{}, error.what()};
    }
}

TDModule::~TDModule() {
    if (DModule == this)
        DModule = nullptr;
    IBPlayers.Close();
    IBGames.Close();
    QRWork.Close();
    for (const QString& name : {connectionName_, playersConnection_, gamesConnection_}) {
        if (!QSqlDatabase::contains(name))
            continue;
        {
            QSqlDatabase connection = QSqlDatabase::database(name, false);
            Close(connection);
        }
        QSqlDatabase::removeDatabase(name);
    }
}

QSqlDatabase TDModule::Connection() {
    return Connection(connectionName_);
}

QSqlDatabase TDModule::QueryConnection(const QString& name) {
    QSqlDatabase main = Connection();
    // Without WAL a pending read of one connection would block the writes of
    // another: then everything shares the main connection.
    return inTransaction_ || !walMode_ ? main : Connection(name);
}

QSqlDatabase TDModule::Connection(const QString& name) {
    QSqlDatabase connection = QSqlDatabase::database(name, false);
    // A server connection whose link broke, or that a restarted server ended
    // while it stood idle, is opened again, but never inside a transaction:
    // the rest of it would run outside one and could be half-written.
    if (connection.isOpen() && !inTransaction_ && ServerConnectionDead(connection.driver()))
        Close(connection);
    if (connection.isOpen())
        return connection;
    if (inTransaction_)
        throw DbError("the connection to the database was lost during a transaction", true);
    if (!configError_.empty())
        throw ConnectionError(configError_);
    if (choice_.dialect == Dialect::SQLite)
        return OpenFile(connection, name);
    // This step already waited its time for a silent server.
    ThrowIfServerSilent();
    return OpenServer(connection);
}

QSqlDatabase TDModule::OpenFile(QSqlDatabase connection, const QString& name) {
    const QString& path = choice_.target;
    // The program never creates the file: check first, and open it read-write
    // without create, so a file removed in between is not made empty either.
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError("database file not found: " + path.toStdString(), true);
    connection.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                               QStringLiteral("?mode=rw"));
    connection.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_));
    if (!connection.open())
        throw DbError("cannot open " + path.toStdString() + ": " +
                          connection.lastError().text().toStdString(),
                      true);
    RegisterNameCollation(connection);
    QSqlQuery durable(connection);
    if (!durable.exec(sql::DurableCommits().text)) {
        connection.close();
        throw DbError("cannot set up " + path.toStdString() + ": " +
                      durable.lastError().text().toStdString());
    }
    if (name == connectionName_) {
        QSqlQuery mode(connection);
        walMode_ = mode.exec(QStringLiteral("PRAGMA journal_mode")) && mode.next() &&
                   mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    }
    return connection;
}

QSqlDatabase TDModule::OpenServer(QSqlDatabase connection) {
    // A password is best kept in PGPASSWORD or ~/.pgpass; one in the file
    // never shows in a message.
    SetUpServerConnection(connection, choice_.target, ServerWaitBound());
    UseServer();
    const ServerWait wait;
    bool opened = false;
    // libpq's connect_timeout bounds the connect; the watch takes over once it is open.
    AwayFromTheWindows([&] { opened = connection.open(); });
    if (opened)
        WatchServerConnection(connection.driver());
    else {
        const QSqlError error = connection.lastError();
        const QString text = error.databaseText().trimmed();
        // libpq's connect_timeout ran out: the server took the connection but never answered.
        if (text.contains(QLatin1String("timeout expired")))
            throw ServerTimeout();
        throw ConnectionError(HidePasswords(text.isEmpty() ? error.text() : text).toStdString());
    }
    // A lock held by another launcher is waited for as long as a busy SQLite
    // file; no statement runs longer than a step may wait.
    for (const QString& setting :
         {QStringLiteral("SET lock_timeout = %1").arg(std::max(busyTimeoutMs_, 1)),
          QStringLiteral("SET statement_timeout = %1").arg(ServerWaitBound().count())}) {
        QSqlQuery setup(connection);
        bool done = false;
        AwayFromTheWindows([&] { done = setup.exec(setting); });
        if (!done) {
            const QString text = setup.lastError().text();
            Close(connection);
            ThrowIfServerSilent();
            throw ConnectionError(text.toStdString());
        }
    }
    reachedServer_ = true;
    return connection;
}

void TDModule::DataModuleCreate() {
    IBPlayers.Close();
    IBGames.Close();
    QRWork.Close();
    for (const QString& name : {connectionName_, playersConnection_, gamesConnection_})
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase connection = QSqlDatabase::database(name, false);
            Close(connection);
        }
    IBPlayers.SetSQL(sql::AllPlayers());
    IBPlayers.Open();
    IBGames.SetSQL(sql::AllGames());
    IBGames.Open();
}

QString TDModule::GenID(const QString& tableName) {
    QRWork.SetSQL(sql::MaxCode(tableName));
    QRWork.Open();
    // The maximum of an empty table is NULL, which counts as 0.
    const QVariant maximum = QRWork.Eof() ? QVariant() : QRWork.Model()->record(0).value(0);
    return QString::number((maximum.isNull() ? 0 : maximum.toLongLong()) + 1);
}

TQuery& TDModule::OpenPlayerList() {
    IBPlayers.SetSQL(sql::PlayersByName());
    IBPlayers.Open();
    return IBPlayers;
}

TQuery& TDModule::OpenPlayer(const QString& name) {
    IBPlayers.SetSQL(sql::PlayerByNameOrdered(name));
    IBPlayers.Open();
    return IBPlayers;
}

TQuery& TDModule::OpenOpponents(const QString& name) {
    IBPlayers.SetSQL(sql::Opponents(name));
    IBPlayers.Open();
    return IBPlayers;
}

void TDModule::Run(const Statement& statement) {
    const QString& text = statement.Text(choice_.dialect);
    if (text.isEmpty())
        return;
    const ServerWait wait;
    QSqlDatabase connection = Connection();
    AwayFromTheWindows([&] {
        QSqlQuery query(connection);
        if (!query.exec(text)) {
            ThrowIfServerSilent();
            throw DbError((text + ": " + query.lastError().text()).toStdString(),
                          IsTransient(query.lastError()),
                          query.lastError().nativeErrorCode().toStdString());
        }
    });
}

QString TDModule::FailureText(const DbError& error) {
    const QString text = QString::fromUtf8(error.what());
    if (dynamic_cast<const ServerTimeout*>(&error) || !ServerLost())
        return text;
    return ServerSilentText + QLatin1Char('\n') + text;
}

bool TDModule::ServerLost() {
    // A server never reached was told once at start-up.
    if (choice_.dialect != Dialect::PostgreSQL || !reachedServer_)
        return false;
    const QSqlDatabase connection = QSqlDatabase::database(connectionName_, false);
    return ServerWasSilent() || !connection.isOpen() || ServerConnectionDead(connection.driver());
}

TDModule::Transaction::Transaction(TDModule& module, bool keepPlayers) : module_(module) {
    if (!keepPlayers)
        module_.IBPlayers.Close();
    module_.IBGames.Close();
    module_.QRWork.Close();
    module_.Run(sql::BeginWrite());
    module_.inTransaction_ = true;
    try {
        module_.Run(sql::LockWriters());
    } catch (const DbError&) {
        End();
        throw;
    }
}

TDModule::Transaction::~Transaction() {
    if (open_)
        End();
}

void TDModule::Transaction::End() {
    open_ = false;
    module_.inTransaction_ = false;
    // The error that ended the transaction is already on its way to the sink;
    // a failing rollback must not replace it (SQLite ends the transaction anyway
    // when the connection closes, a server when its connection is lost).
    try {
        module_.Run(sql::Rollback());
    } catch (const DbError&) {
    }
}

void TDModule::Transaction::Commit() {
    module_.Run(sql::Commit());
    open_ = false;
    module_.inTransaction_ = false;
}

} // namespace db
