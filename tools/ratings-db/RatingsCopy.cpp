#include "RatingsCopy.h"

#include "db/CorrectionStatements.h"
#include "db/DbError.h"
#include "db/Statements.h"
#include "record/PackedRecord.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <functional>

namespace ratingsdb {

namespace {

using db::Dialect;

void Exec(QSqlQuery& query, const QString& text) {
    if (!query.exec(text))
        throw db::DbError((text + ": " + query.lastError().text()).toStdString());
}

void Exec(const QSqlDatabase& server, const QString& text) {
    QSqlQuery query(server);
    Exec(query, text);
}

// Rolls back unless committed.
class ServerTransaction {
  public:
    explicit ServerTransaction(const QSqlDatabase& server) : server_(server) {
        Exec(server_, db::sql::BeginWrite().Text(Dialect::PostgreSQL));
    }
    ~ServerTransaction() {
        if (open_)
            QSqlQuery(server_).exec(db::sql::Rollback().Text(Dialect::PostgreSQL));
    }
    void Commit() {
        Exec(server_, db::sql::Commit().Text(Dialect::PostgreSQL));
        open_ = false;
    }

  private:
    QSqlDatabase server_;
    bool open_ = true;
};

int64_t Count(const QSqlDatabase& server, const QString& text) {
    QSqlQuery query(server);
    Exec(query, text);
    return query.next() ? query.value(0).toLongLong() : 0;
}

// A file made before the tournaments has none of them.
const QStringList TournamentTables{QStringLiteral("TOURNAMENTS"), QStringLiteral("TOURNAMENT_ENTRIES"),
                                   QStringLiteral("TOURNAMENT_PAIRINGS")};

// Rows go over in multi-row inserts: one round trip per block, not per row.
constexpr int BlockRows = 500;

// Whether a row of the file goes over; rows left out are counted, not copied.
using RowCheck = std::function<bool(const QSqlQuery& row)>;

int64_t CopyTable(const QSqlDatabase& file, const QSqlDatabase& server, const QString& table,
                  const RowCheck& check = {}, int64_t* leftOut = nullptr) {
    QSqlQuery source(file);
    source.setForwardOnly(true);
    Exec(source, QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
    const int columns = source.record().count();
    QString row = QStringLiteral("(") + QStringLiteral("?,").repeated(columns);
    row.back() = QLatin1Char(')');
    int64_t copied = 0;
    QVariantList values;
    int rows = 0;
    auto flush = [&] {
        if (rows == 0)
            return;
        QStringList tuples;
        for (int i = 0; i < rows; ++i)
            tuples << row;
        QSqlQuery insert(server);
        const QString text =
            QStringLiteral("INSERT INTO %1 VALUES %2").arg(table, tuples.join(QLatin1Char(',')));
        if (!insert.prepare(text))
            throw db::DbError(insert.lastError().text().toStdString());
        for (const QVariant& value : values)
            insert.addBindValue(value);
        if (!insert.exec())
            throw db::DbError((table + ": " + insert.lastError().text()).toStdString());
        copied += rows;
        values.clear();
        rows = 0;
    };
    while (source.next()) {
        if (check && !check(source)) {
            ++*leftOut;
            continue;
        }
        for (int i = 0; i < columns; ++i)
            values << source.value(i);
        if (++rows == BlockRows)
            flush();
    }
    if (source.lastError().isValid())
        throw db::DbError((table + ": " + source.lastError().text()).toStdString());
    flush();
    return copied;
}

// The file, opened read-only on a connection of its own.
class SourceFile {
  public:
    explicit SourceFile(const QString& path) : name_(QUuid::createUuid().toString()) {
        if (!QFileInfo(path).isFile())
            throw db::DbError("no database file " + path.toStdString());
        QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        file.setDatabaseName(path);
        file.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!file.open())
            throw db::DbError(file.lastError().text().toStdString());
    }
    ~SourceFile() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase Connection() const { return QSqlDatabase::database(name_, false); }

  private:
    QString name_;
};

} // namespace

void CreateSchema(const QSqlDatabase& server) {
    ServerTransaction transaction(server);
    for (const QString& statement : db::sql::Schema(Dialect::PostgreSQL))
        Exec(server, statement);
    transaction.Commit();
}

Copied CopyRatings(const QString& mdbPath, const QSqlDatabase& server, bool replace) {
    const SourceFile file(mdbPath);
    ServerTransaction transaction(server);
    Exec(server, db::sql::LockWriters().Text(Dialect::PostgreSQL));
    const int64_t players = Count(server, QStringLiteral("SELECT COUNT(*) FROM PLAYERS WHERE P_CODE <> 1"));
    const int64_t games = Count(server, QStringLiteral("SELECT COUNT(*) FROM GAMES"));
    if ((players > 0 || games > 0) && !replace)
        throw db::DbError(QStringLiteral("the server already has %1 players and %2 games; "
                                         "--replace deletes them")
                              .arg(players)
                              .arg(games)
                              .toStdString());
    // The games' records go with them; an older file has none, and then no
    // record the server kept may stand for one of the copied games.
    for (const QString& statement : db::sql::ArchiveSchema(Dialect::PostgreSQL))
        Exec(server, statement);
    // So does the correction log: the histories of the copied players.
    for (const QString& statement : db::sql::CorrectionSchema(Dialect::PostgreSQL))
        Exec(server, statement);
    Exec(server, QStringLiteral("DELETE FROM CORRECTIONS"));
    Exec(server, QStringLiteral("DELETE FROM GAME_RECORDS"));
    for (const QString& statement : db::sql::TournamentSchema(Dialect::PostgreSQL))
        Exec(server, statement);
    for (const QString& table : TournamentTables)
        Exec(server, QStringLiteral("DELETE FROM %1").arg(table));
    Exec(server, QStringLiteral("DELETE FROM GAMES"));
    Exec(server, QStringLiteral("DELETE FROM PLAYERS"));
    Copied copied;
    copied.players = CopyTable(file.Connection(), server, QStringLiteral("PLAYERS"));
    copied.games = CopyTable(file.Connection(), server, QStringLiteral("GAMES"));
    // A record is trusted no more than the file it came in: one that does not
    // unpack within the limit (damaged, or built to take the reader's memory)
    // stays behind, and its game goes over without a record.
    if (file.Connection().tables().contains(QStringLiteral("GAME_RECORDS"))) {
        const auto unpacks = [](const QSqlQuery& row) {
            return record::UnpackRecord(row.value(QStringLiteral("R_RECORD")).toByteArray())
                .has_value();
        };
        copied.records = CopyTable(file.Connection(), server, QStringLiteral("GAME_RECORDS"),
                                   unpacks, &copied.damagedRecords);
    }
    for (const QString& table : TournamentTables)
        if (file.Connection().tables().contains(table))
            copied.tournamentRows += CopyTable(file.Connection(), server, table);
    if (file.Connection().tables().contains(QStringLiteral("CORRECTIONS")))
        copied.corrections = CopyTable(file.Connection(), server, QStringLiteral("CORRECTIONS"));
    transaction.Commit();
    return copied;
}

} // namespace ratingsdb
