#include "report/ClubData.h"

#include "db/DbError.h"
#include "db/NameCollation.h"
#include "db/ResultRecording.h"
#include "db/ServerWatch.h"
#include "db/Statements.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <algorithm>
#include <atomic>

namespace report {

namespace {

QString ConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vertan-report-%1").arg(++counter);
}

// Forward only: a server hands the rows over one by one, not as one block.
QSqlQuery Run(const ReadConnection& connection, const db::Statement& statement) {
    QSqlQuery query(connection.Database());
    query.setForwardOnly(true);
    if (!query.exec(statement.Text(connection.Engine())))
        throw db::DbError(("cannot read the database: " + query.lastError().text()).toStdString());
    return query;
}

} // namespace

ReadConnection::ReadConnection(const db::DatabaseChoice& choice)
    : name_(ConnectionName()), engine_(choice.dialect) {
    const bool server = engine_ == db::Dialect::PostgreSQL;
    QSqlDatabase connection = QSqlDatabase::addDatabase(
        server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name_);
    if (server) {
        db::SetUpServerConnection(connection, choice.target, db::ServerWaitBound());
    } else {
        // Read-only and never created: a missing file is an error, not an empty club.
        if (!QFileInfo(choice.target).isFile())
            throw db::DbError("database file not found: " + choice.target.toStdString());
        connection.setDatabaseName(QUrl::fromLocalFile(choice.target).toString(QUrl::FullyEncoded) +
                                   QStringLiteral("?mode=ro"));
        connection.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    }
    if (!connection.open()) {
        const QSqlError error = connection.lastError();
        const QString text = error.databaseText().trimmed();
        throw db::DbError(
            ("cannot open the database: " + (text.isEmpty() ? error.text() : text)).toStdString());
    }
    if (!server)
        db::RegisterNameCollation(connection);
}

ReadConnection::~ReadConnection() {
    {
        QSqlDatabase connection = QSqlDatabase::database(name_, false);
        connection.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase ReadConnection::Database() const {
    return QSqlDatabase::database(name_, false);
}

Club ReadClub(const ReadConnection& connection) {
    Club club;
    QSqlQuery players = Run(connection, db::sql::ReportPlayers());
    while (players.next()) {
        const qint64 code = players.value(0).toLongLong();
        const QString name = players.value(1).toString();
        const bool computer = name == QLatin1String("Computer");
        if (computer)
            club.computer = code;
        club.names.emplace(code, (computer ? db::ComputerDisplayName : name).toStdString());
    }
    QSqlQuery ratings = Run(connection, db::sql::Ratings());
    const int codeField = ratings.record().indexOf(QStringLiteral("P_CODE"));
    const int nameField = ratings.record().indexOf(QStringLiteral("P_NAME"));
    const int pointsField = ratings.record().indexOf(QStringLiteral("P_POINTS"));
    while (ratings.next())
        club.ratings.push_back({ratings.value(codeField).toLongLong(),
                                ratings.value(nameField).toString(),
                                ratings.value(pointsField).toLongLong()});
    QSqlQuery journal = Run(connection, db::sql::ReportJournal());
    while (journal.next()) {
        club.games.push_back({journal.value(0).toLongLong(),
                              journal.value(1).toString().toStdString(),
                              journal.value(2).toLongLong(), journal.value(3).toLongLong(),
                              journal.value(4).toLongLong(), journal.value(5).toLongLong()});
    }
    // A database made before the archive has no table of records.
    QSqlQuery probe(connection.Database());
    club.hasArchive = probe.exec(db::sql::ArchiveProbe().text);
    if (club.hasArchive) {
        // Both in code order: one walk marks the games.
        QSqlQuery codes = Run(connection, db::sql::ReportRecordCodes());
        auto game = club.games.begin();
        while (codes.next()) {
            const qint64 code = codes.value(0).toLongLong();
            while (game != club.games.end() && game->code < code)
                ++game;
            if (game != club.games.end() && game->code == code) {
                game->archived = true;
                ++club.archived;
            }
        }
    }
    return club;
}

size_t GameIndex(const Club& club, qint64 code) {
    const auto game =
        std::lower_bound(club.games.begin(), club.games.end(), code,
                         [](const JournalGame& g, qint64 c) { return g.code < c; });
    return game != club.games.end() && game->code == code ? size_t(game - club.games.begin())
                                                          : club.games.size();
}

void MarkRecordUnreadable(Club& club, qint64 code) {
    const size_t i = GameIndex(club, code);
    if (i == club.games.size() || !club.games[i].archived)
        return;
    club.games[i].archived = false;
    --club.archived;
}

void ForEachRecord(const ReadConnection& connection,
                   const std::function<void(qint64, const QByteArray&)>& visit) {
    QSqlQuery records = Run(connection, db::sql::ReportRecords());
    while (records.next())
        visit(records.value(0).toLongLong(), records.value(1).toByteArray());
}

} // namespace report
