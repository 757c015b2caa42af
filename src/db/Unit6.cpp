#include "db/Unit6.h"

#include "db/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>

namespace db {

TDModule* DModule = nullptr;

namespace {

QString UniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vertan-ratings-%1").arg(++counter);
}

} // namespace

TDModule::TDModule(const QString& programFolder, int busyTimeoutMs)
    : IBPlayers([this] { return Connection(); }), IBGames([this] { return Connection(); }),
      QRWork([this] { return Connection(); }), connectionName_(UniqueConnectionName()),
      path_(QDir::cleanPath(programFolder + QStringLiteral("/Data/Ratings.mdb"))),
      busyTimeoutMs_(busyTimeoutMs) {
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
}

TDModule::~TDModule() {
    if (DModule == this)
        DModule = nullptr;
    IBPlayers.Close();
    IBGames.Close();
    QRWork.Close();
    {
        QSqlDatabase connection = QSqlDatabase::database(connectionName_, false);
        connection.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

QSqlDatabase TDModule::Connection() {
    QSqlDatabase connection = QSqlDatabase::database(connectionName_, false);
    if (connection.isOpen())
        return connection;
    // The program never creates the file: check first, and open it read-write
    // without create, so a file removed in between is not made empty either.
    const QFileInfo file(path_);
    if (!file.exists() || !file.isFile())
        throw DbError("database file not found: " + path_.toStdString());
    connection.setDatabaseName(QUrl::fromLocalFile(path_).toString(QUrl::FullyEncoded) +
                               QStringLiteral("?mode=rw"));
    connection.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_));
    if (!connection.open())
        throw DbError("cannot open " + path_.toStdString() + ": " +
                      connection.lastError().text().toStdString());
    return connection;
}

void TDModule::DataModuleCreate() {
    IBPlayers.Close();
    IBGames.Close();
    QRWork.Close();
    QSqlDatabase::database(connectionName_, false).close();
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
    QSqlQuery query(Connection());
    if (!query.exec(statement.text))
        throw DbError((statement.text + ": " + query.lastError().text()).toStdString());
}

TDModule::Transaction::Transaction(TDModule& module) : module_(module) {
    module_.IBPlayers.Close();
    module_.IBGames.Close();
    module_.QRWork.Close();
    module_.Run(sql::BeginImmediate());
}

TDModule::Transaction::~Transaction() {
    if (!open_)
        return;
    // The error that ended the transaction is already on its way to the sink;
    // a failing rollback must not replace it (SQLite ends the transaction anyway
    // when the connection closes).
    try {
        module_.Run(sql::Rollback());
    } catch (const DbError&) {
    }
}

void TDModule::Transaction::Commit() {
    module_.Run(sql::Commit());
    open_ = false;
}

} // namespace db
