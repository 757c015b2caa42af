#include "report/ClubData.h"
#include "report/Pages.h"

#include "db/CorrectionStatements.h"
#include "db/DbError.h"
#include "db/NameCollation.h"
#include "db/Query.h"
#include "db/Unit6.h"
#include "db/ResultRecording.h"
#include "db/ServerWatch.h"
#include "db/SqliteScan.h"
#include "db/Statements.h"
#include "record/ComputerNames.h"
#include "report/Digest.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <functional>
#include <future>

namespace report {

namespace {

QString ConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vertan-report-%1").arg(++counter);
}

[[noreturn]] void FailReading(const QSqlQuery& query) {
    db::ThrowIfServerSilent();
    throw db::DbError(("cannot read the database: " + query.lastError().text()).toStdString(),
                      db::IsTransient(query.lastError()));
}

// Forward only: a server hands the rows over one by one, not as one block.
// Each wait for the server, the statement's and each row's, has the bound
// of a step: a long read goes on, a silent server ends it.
QSqlQuery Run(const ReadConnection& connection, const db::Statement& statement) {
    QSqlQuery query(connection.Database());
    query.setForwardOnly(true);
    const db::ServerWait wait;
    if (statement.values.isEmpty() ? !query.exec(statement.Text(connection.Engine()))
                                   : !query.prepare(statement.Text(connection.Engine())))
        FailReading(query);
    if (statement.values.isEmpty())
        return query;
    for (const QVariant& value : statement.values)
        query.addBindValue(value);
    if (!query.exec())
        FailReading(query);
    return query;
}

// The next row; false at the end. A read cut short is an error, not the end.
bool Next(QSqlQuery& query) {
    const db::ServerWait wait;
    if (query.next())
        return true;
    if (query.lastError().isValid())
        FailReading(query);
    return false;
}

// A correction in words: what changed, why and who.
std::string CorrectionText(const QSqlQuery& row) {
    const QString kind = row.value(3).toString();
    const QString oldName = row.value(7).toString(), newName = row.value(8).toString();
    const QString points = QStringLiteral("очки %1 → %2")
                               .arg(row.value(9).toLongLong())
                               .arg(row.value(10).toLongLong());
    QString text =
        kind == QLatin1String("rename")
            ? QStringLiteral("новое имя: «%1» вместо «%2»").arg(newName, oldName)
        : kind == QLatin1String("merge")
            ? QStringLiteral("объединён с «%1», %2").arg(oldName, points)
        : kind == QLatin1String("points") ? points
        : kind == QLatin1String("reverse")
            ? QStringLiteral("партия %1 отменена, %2").arg(row.value(5).toLongLong()).arg(points)
        : kind == QLatin1String("register")
            ? QStringLiteral("зарегистрирован как «%1»").arg(newName)
            : kind;
    if (!row.value(11).toString().isEmpty())
        text += QStringLiteral(": ") + row.value(11).toString();
    return (QStringLiteral("Исправление: ") + text + QStringLiteral(" (") +
            row.value(2).toString() + QLatin1Char(')'))
        .toStdString();
}

// The correction log, where the database has one.
void ReadCorrections(const ReadConnection& connection, Club& club) {
    QSqlQuery probe = Run(connection, db::sql::CorrectionProbe());
    if (!Next(probe) || probe.value(0).toInt() == 0)
        return;
    QSqlQuery rows = Run(connection, db::sql::AllCorrections());
    while (Next(rows)) {
        const QDateTime when = QDateTime::fromString(rows.value(1).toString(), Qt::ISODate);
        ClubCorrection c{rows.value(4).toLongLong(), rows.value(6).toLongLong(),
                         when.toLocalTime().toString(QStringLiteral("dd.MM.yyyy")).toStdString(),
                         CorrectionText(rows), std::nullopt};
        if (!rows.value(10).isNull())
            c.points = rows.value(10).toLongLong();
        if (rows.value(3).toString() == QLatin1String("reverse") && !rows.value(5).isNull())
            club.reversed.insert(rows.value(5).toLongLong());
        club.corrections.push_back(std::move(c));
    }
}

} // namespace

ReadConnection::ReadConnection(const db::DatabaseChoice& choice)
    : name_(ConnectionName()), engine_(choice.dialect), choice_(choice) {
    try {
        Open(choice);
    } catch (...) {
        Drop();
        throw;
    }
}

void ReadConnection::Open(const db::DatabaseChoice& choice) {
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
        connection.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(db::DefaultBusyTimeoutMs));
    }
    // libpq's connect_timeout bounds the connect; the watch takes over once it is open.
    if (!connection.open()) {
        const QSqlError error = connection.lastError();
        const QString text = error.databaseText().trimmed();
        if (text.contains(QLatin1String("timeout expired")))
            throw db::ServerTimeout();
        throw db::DbError(
            ("cannot open the database: " + (text.isEmpty() ? error.text() : text)).toStdString());
    }
    if (!server) {
        db::RegisterNameCollation(connection);
        return;
    }
    db::WatchServerConnection(connection.driver());
    // A lock held by a launcher is waited for as long as the launcher waits.
    QSqlQuery lockWait(connection);
    const db::ServerWait wait;
    if (!lockWait.exec(QStringLiteral("SET lock_timeout = %1").arg(db::DefaultBusyTimeoutMs)))
        FailReading(lockWait);
}

void ReadConnection::Drop() {
    if (!QSqlDatabase::contains(name_))
        return;
    {
        QSqlDatabase connection = QSqlDatabase::database(name_, false);
        db::UnwatchServerConnection(connection.driver());
        connection.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

ReadConnection::~ReadConnection() {
    Drop();
}

QSqlDatabase ReadConnection::Database() const {
    return QSqlDatabase::database(name_, false);
}

namespace {

// A row of a server's reading, as ScanRow.
class QueryRow : public db::ScanRow {
  public:
    explicit QueryRow(const QSqlQuery& query) : query_(query) {}
    qint64 Int(int column) const override { return query_.value(column).toLongLong(); }
    bool IsNull(int column) const override { return query_.isNull(column); }
    std::string_view Utf8(int column) const override {
        text_ = query_.value(column).toString().toUtf8();
        return {text_.constData(), size_t(text_.size())};
    }

  private:
    const QSqlQuery& query_;
    mutable QByteArray text_;
};

// Each row of a statement without values: a file's straight from SQLite.
void ForEachRow(const ReadConnection& connection, const db::Statement& statement,
                const std::function<void(const db::ScanRow&)>& visit) {
    if (connection.Engine() == db::Dialect::SQLite) {
        db::ScanSqlite(connection.Database(), statement.text, visit);
        return;
    }
    QSqlQuery query = Run(connection, statement);
    const QueryRow row(query);
    while (Next(query))
        visit(row);
}

struct RecordCode {
    qint64 code = 0;
    quint64 key = 0; // JournalGame::recordKey
};

std::vector<RecordCode> ReadRecordCodes(const ReadConnection& connection) {
    std::vector<RecordCode> codes;
    ForEachRow(connection, db::sql::ReportRecordCodes(), [&](const db::ScanRow& row) {
        codes.push_back(
            {row.Int(0), Digest().Flag(row.IsNull(1)).Bytes(row.Utf8(1)).Int(row.Int(2)).Value()});
    });
    return codes;
}

} // namespace

Club ReadClub(const ReadConnection& connection) {
    Club club;
    const std::string engine = record::EngineName.toStdString();
    ForEachRow(connection, db::sql::ReportPlayers(), [&](const db::ScanRow& row) {
        const qint64 code = row.Int(0);
        const std::string_view name = row.Utf8(1);
        const bool computer = name == "Computer";
        if (computer)
            club.computer = code;
        else if (name == engine)
            club.engine = code;
        club.names.emplace(code, computer ? db::ComputerDisplayName.toStdString() : std::string(name));
    });
    QSqlQuery ratings = Run(connection, db::sql::Ratings());
    const int codeField = ratings.record().indexOf(QStringLiteral("P_CODE"));
    const int nameField = ratings.record().indexOf(QStringLiteral("P_NAME"));
    const int pointsField = ratings.record().indexOf(QStringLiteral("P_POINTS"));
    while (Next(ratings))
        club.ratings.push_back({ratings.value(codeField).toLongLong(),
                                ratings.value(nameField).toString(),
                                ratings.value(pointsField).toLongLong()});
    // A database made before the archive has no table of records.
    QSqlQuery probe = Run(connection, db::sql::ArchiveProbe());
    club.hasArchive = Next(probe) && probe.value(0).toInt() > 0;
    // Which games have a record: a file's read on a connection of its own
    // meanwhile (a million rows each, the records' table the longer to
    // walk); a server's waits are watched on one connection only.
    const bool aside = club.hasArchive && connection.Engine() == db::Dialect::SQLite;
    std::future<std::vector<RecordCode>> records;
    if (aside)
        records = std::async(std::launch::async, [&connection] {
            return ReadRecordCodes(ReadConnection(connection.Choice()));
        });
    // One form on every page, whatever the recording computer wrote; a club
    // has a few thousand days, and reading a date is slow.
    std::unordered_map<std::string, std::string> shown;
    ForEachRow(connection, db::sql::ReportJournal(), [&](const db::ScanRow& row) {
        const std::string_view date = row.Utf8(1);
        auto known = shown.find(std::string(date));
        if (known == shown.end())
            known = shown.emplace(std::string(date),
                                  ShownDate(QString::fromUtf8(date.data(), qsizetype(date.size())))
                                      .toStdString())
                        .first;
        club.games.push_back(
            {row.Int(0), known->second, row.Int(2), row.Int(3), row.Int(4), row.Int(5)});
    });
    if (club.hasArchive) {
        const std::vector<RecordCode> codes = aside ? records.get() : ReadRecordCodes(connection);
        // Both in code order: one walk marks the games.
        auto game = club.games.begin();
        for (const RecordCode& record : codes) {
            while (game != club.games.end() && game->code < record.code)
                ++game;
            if (game != club.games.end() && game->code == record.code) {
                game->archived = true;
                game->recordKey = record.key;
                ++club.archived;
            }
        }
    }
    ReadCorrections(connection, club);
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

void MarkMatch(Club& club, qint64 code, const MatchScore& score) {
    const size_t i = GameIndex(club, code);
    if (i != club.games.size())
        club.games[i].match = score;
}

namespace {

void Visit(QSqlQuery records, const std::function<void(qint64, const QByteArray&)>& visit) {
    while (Next(records))
        visit(records.value(0).toLongLong(), records.value(1).toByteArray());
}

} // namespace

void ForEachRecord(const ReadConnection& connection,
                   const std::function<void(qint64, const QByteArray&)>& visit) {
    Visit(Run(connection, db::sql::ReportRecords()), visit);
}

void ForEachRecordBetween(const ReadConnection& connection, qint64 from, qint64 to,
                          const std::function<void(qint64, const QByteArray&)>& visit) {
    Visit(Run(connection, db::sql::ReportRecordsBetween(from, to)), visit);
}

} // namespace report
