#include "db/Statements.h"

#include "db/DbError.h"
#include "db/SchemaScripts.h"
#include "record/ComputerNames.h"

namespace db {

Statement Statement::Page(const QVariantList* after, int rows) const {
    // The condition joins the statement's own, before its ORDER BY.
    auto page = [&](const QString& statement, const QString& condition) {
        const qsizetype order = statement.lastIndexOf(QLatin1String(" ORDER BY "));
        QString head = statement.left(order);
        if (after != nullptr)
            head += (head.contains(QLatin1String(" WHERE ")) ? QLatin1String(" AND (")
                                                             : QLatin1String(" WHERE (")) +
                    condition + QLatin1Char(')');
        return head + statement.mid(order) + QStringLiteral(" LIMIT %1").arg(rows);
    };
    Statement paged(page(text, keyset.condition), values,
                    postgresText.isNull() ? QString()
                                          : page(postgresText, keyset.postgresCondition.isNull()
                                                                   ? keyset.condition
                                                                   : keyset.postgresCondition));
    if (after != nullptr)
        paged.values += *after;
    return paged;
}

} // namespace db

namespace db::sql {

namespace {

QVariant CodeValue(const QString& code) {
    bool ok = false;
    const qlonglong value = code.toLongLong(&ok);
    return ok ? QVariant(value) : QVariant(code);
}

// SQLite names both name columns P_NAME; the journal reads the loser's as P_NAME1.
const QString JournalColumns =
    QStringLiteral("SELECT G_CODE,G_GAMEDATE,P1.P_NAME AS P_NAME,P2.P_NAME AS P_NAME1,"
                   "G_SUPER,G_POINTS FROM GAMES,PLAYERS P1, PLAYERS P2 WHERE ");

// The name order of the lists. Names compare bytes (they are unique exactly);
// the ordering uses a Russian collation that ignores letter case, puts Ё beside
// Е and breaks ties by the exact text: on SQLite the one the program registers
// on each connection, on PostgreSQL the schema's.
const QString SqliteNameOrder = QStringLiteral("P_NAME COLLATE RUSSIAN");
const QString PostgresNameOrder = QStringLiteral("P_NAME COLLATE RU_NAMES");

// The engine's row as a literal: a constant of the program, so a statement
// without other values is still sent as it stands, unprepared.
const QString EngineRow = QLatin1Char('\'') + record::EngineName + QLatin1Char('\'');

// The same statement with the name order of each engine put in for %1.
Statement WithNameOrder(const QString& text, QVariantList values = {}) {
    return {text.arg(SqliteNameOrder), std::move(values), text.arg(PostgresNameOrder)};
}

} // namespace

Statement AllPlayers() {
    return {QStringLiteral("SELECT * FROM PLAYERS"), {}};
}

// The journals are read in pages by code.
const Keyset JournalPages{QStringLiteral("G_CODE > ?"), QString(), {QStringLiteral("G_CODE")}};

Statement AllGames() {
    Statement statement{JournalColumns +
                            QStringLiteral("(P1.P_CODE = G_WINPLAYER) AND "
                                           "(P2.P_CODE = G_LOSEPLAYER) ORDER BY G_CODE"),
                        {}};
    statement.keyset = JournalPages;
    return statement;
}

Statement PlayerGames(const QString& code) {
    Statement statement{JournalColumns +
                            QStringLiteral("((G_WINPLAYER = ?) OR (G_LOSEPLAYER = ?)) AND "
                                           "(P1.P_CODE = G_WINPLAYER) AND "
                                           "(P2.P_CODE = G_LOSEPLAYER) ORDER BY G_CODE"),
                        {CodeValue(code), CodeValue(code)}};
    statement.keyset = JournalPages;
    return statement;
}

namespace {

// Lists by points (highest first), then name, in pages: points first bound
// the index range; names are unique, so the order is total.
Statement ByPoints(const QString& text, QVariantList values = {}) {
    Statement statement = WithNameOrder(text, std::move(values));
    const QString after = QStringLiteral("(P_POINTS <= ?) AND ((P_POINTS < ?) OR (%1 > ?))");
    statement.keyset = {
        after.arg(SqliteNameOrder),
        after.arg(PostgresNameOrder),
        {QStringLiteral("P_POINTS"), QStringLiteral("P_POINTS"), QStringLiteral("P_NAME")}};
    return statement;
}

} // namespace

Statement Ratings() {
    return ByPoints(QStringLiteral("SELECT * FROM PLAYERS WHERE (P_NAME <> 'Computer') AND "
                                   "(P_NAME <> %2) ORDER BY P_POINTS DESC, %1")
                        .replace(QLatin1String("%2"), EngineRow));
}

Statement MaxCode(const QString& table) {
    // A table name cannot be bound; only the two tables of the program are known.
    if (table != QLatin1String("PLAYERS") && table != QLatin1String("GAMES"))
        throw DbError("no code column for table " + table.toStdString());
    return {QStringLiteral("SELECT MAX(%1_CODE) FROM %2").arg(table.at(0)).arg(table), {}};
}

Statement NameCheck(const QString& name) {
    return {QStringLiteral("SELECT P_NAME FROM PLAYERS WHERE P_NAME = ?"), {name}};
}

Statement InsertPlayer(const QString& code, const QString& name) {
    return {QStringLiteral("INSERT INTO PLAYERS VALUES (?,?,0)"), {CodeValue(code), name}};
}

Statement PlayerByName(const QString& name) {
    return {QStringLiteral("SELECT * FROM PLAYERS WHERE (P_NAME = ?)"), {name}};
}

Statement UpdatePoints(int64_t points, const QString& code) {
    return {QStringLiteral("UPDATE PLAYERS SET P_POINTS = ? WHERE (P_CODE = ?)"),
            {QVariant(qlonglong(points)), CodeValue(code)}};
}

Statement InsertGame(const QString& code, const QString& date, const QString& winnerCode,
                     const QString& loserCode, int64_t margin, int64_t award) {
    return {QStringLiteral("INSERT INTO GAMES VALUES (?,?,?,?,?,?)"),
            {CodeValue(code), date, CodeValue(winnerCode), CodeValue(loserCode),
             QVariant(qlonglong(margin)), QVariant(qlonglong(award))}};
}

Statement ClearGames() {
    return {QStringLiteral("DELETE FROM GAMES"), {}};
}

Statement ClearPlayerGames(const QString& code) {
    return {QStringLiteral("DELETE FROM GAMES WHERE (G_WINPLAYER = ?) OR (G_LOSEPLAYER = ?)"),
            {CodeValue(code), CodeValue(code)}};
}

Statement PlayersByName() {
    // The engine's row is not listed: the dialog offers the engine itself.
    Statement statement =
        WithNameOrder(QStringLiteral("SELECT * FROM PLAYERS WHERE (P_NAME <> %2) ORDER BY %1")
                          .replace(QLatin1String("%2"), EngineRow));
    statement.keyset = {QStringLiteral("%1 > ?").arg(SqliteNameOrder),
                        QStringLiteral("%1 > ?").arg(PostgresNameOrder),
                        {QStringLiteral("P_NAME")}};
    return statement;
}

Statement PlayerByNameOrdered(const QString& name) {
    return WithNameOrder(QStringLiteral("SELECT * FROM PLAYERS WHERE (P_NAME = ?) ORDER BY %1"),
                         {name});
}

Statement Opponents(const QString& name) {
    // Read in pages, so in an order: the ratings' one, which an index serves.
    return ByPoints(QStringLiteral("SELECT * FROM PLAYERS WHERE (P_POINTS >= 3) AND (P_NAME <> ?) "
                                   "AND (P_NAME <> %2) ORDER BY P_POINTS DESC, %1")
                        .replace(QLatin1String("%2"), EngineRow),
                    {name});
}

QStringList NewerTables(Dialect dialect, const QString& marker) {
    QStringList statements;
    for (QString statement : Schema(dialect)) {
        if (statement.contains(marker)) {
            statements << statement.replace(QLatin1String("CREATE TABLE "),
                                            QLatin1String("CREATE TABLE IF NOT EXISTS "));
        }
    }
    return statements;
}

Statement TableProbe(const QString& table) {
    // Asked of the catalogue: only a missing table means "none"; a failure
    // of any other kind (a server gone silent) fails the step. The name is
    // the program's own constant, never the user's.
    return {QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                           "name = '%1' COLLATE NOCASE")
                .arg(table),
            {},
            QStringLiteral("SELECT CASE WHEN to_regclass('%1') IS NULL THEN 0 ELSE 1 END")
                .arg(table.toLower())};
}

QStringList ArchiveSchema(Dialect dialect) {
    return NewerTables(dialect, QStringLiteral("GAME_RECORDS"));
}

Statement ArchiveProbe() {
    return TableProbe(QStringLiteral("GAME_RECORDS"));
}

Statement InsertRecord(const QString& gameCode, const QString& identity, const QByteArray& packed) {
    // Codes are used again once their games are cleared; a record that outlived
    // its game (a journal row deleted elsewhere) must not stand for the new one.
    return {QStringLiteral("INSERT INTO GAME_RECORDS VALUES (?,?,?) ON CONFLICT (R_GAME) DO "
                           "UPDATE SET R_IDENT = excluded.R_IDENT, R_RECORD = excluded.R_RECORD"),
            {CodeValue(gameCode), identity.isEmpty() ? QVariant() : QVariant(identity), packed}};
}

Statement RecordByIdentity(const QString& identity) {
    return {QStringLiteral("SELECT R_GAME FROM GAME_RECORDS WHERE R_IDENT = ?"), {identity}};
}

Statement RecordOfGame(qint64 gameCode) {
    return {QStringLiteral("SELECT R_RECORD FROM GAME_RECORDS WHERE R_GAME = ?"), {gameCode}};
}

Statement ClearRecords() {
    return {QStringLiteral("DELETE FROM GAME_RECORDS"), {}};
}

Statement ClearPlayerRecords(const QString& code) {
    return {QStringLiteral("DELETE FROM GAME_RECORDS WHERE R_GAME IN (SELECT G_CODE FROM GAMES "
                           "WHERE (G_WINPLAYER = ?) OR (G_LOSEPLAYER = ?))"),
            {CodeValue(code), CodeValue(code)}};
}

Statement DurableCommits() {
    // A server's commits are durable by its own settings.
    return {QStringLiteral("PRAGMA synchronous = FULL"), {}, QString("")};
}

Statement BeginWrite() {
    return {QStringLiteral("BEGIN IMMEDIATE"), {}, QStringLiteral("BEGIN")};
}

Statement LockWriters() {
    // SQLite's BEGIN IMMEDIATE already took the write lock. EXCLUSIVE mode
    // lets plain reads through and queues every other writer.
    return {QString(""), {}, QStringLiteral("LOCK TABLE PLAYERS, GAMES IN EXCLUSIVE MODE")};
}

Statement Commit() {
    return {QStringLiteral("COMMIT"), {}};
}

Statement Rollback() {
    return {QStringLiteral("ROLLBACK"), {}};
}

QStringList Schema(Dialect dialect) {
    const QString script =
        dialect == Dialect::PostgreSQL ? PostgresSchemaScript() : SqliteSchemaScript();
    QStringList statements;
    QString current;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        current += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            statements << current.trimmed().chopped(1);
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

} // namespace db::sql

namespace db::sql {

Statement ReportJournal() {
    return {QStringLiteral("SELECT G_CODE,G_GAMEDATE,G_WINPLAYER,G_LOSEPLAYER,G_SUPER,G_POINTS "
                           "FROM GAMES ORDER BY G_CODE"),
            {}};
}

Statement ReportPlayers() {
    return {QStringLiteral("SELECT P_CODE,P_NAME,P_POINTS FROM PLAYERS"), {}};
}

Statement ReportRecordCodes() {
    return {QStringLiteral(
                "SELECT R_GAME,R_IDENT,length(R_RECORD) FROM GAME_RECORDS ORDER BY R_GAME"),
            {}};
}

Statement ReportRecordsBetween(qint64 from, qint64 to) {
    return {QStringLiteral("SELECT R_GAME,R_RECORD FROM GAME_RECORDS WHERE R_GAME >= ? AND "
                           "R_GAME < ? ORDER BY R_GAME"),
            {from, to}};
}

Statement ReportRecords() {
    return {QStringLiteral("SELECT R_GAME,R_RECORD FROM GAME_RECORDS ORDER BY R_GAME"), {}};
}

} // namespace db::sql
