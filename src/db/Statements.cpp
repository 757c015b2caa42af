#include "db/Statements.h"

#include "db/DbError.h"

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

} // namespace

Statement AllPlayers() {
    return {QStringLiteral("SELECT * FROM PLAYERS"), {}};
}

Statement AllGames() {
    return {JournalColumns + QStringLiteral("(P1.P_CODE = G_WINPLAYER) AND "
                                            "(P2.P_CODE = G_LOSEPLAYER) ORDER BY G_CODE"),
            {}};
}

Statement PlayerGames(const QString& code) {
    return {JournalColumns + QStringLiteral("((G_WINPLAYER = ?) OR (G_LOSEPLAYER = ?)) AND "
                                            "(P1.P_CODE = G_WINPLAYER) AND "
                                            "(P2.P_CODE = G_LOSEPLAYER) ORDER BY G_CODE"),
            {CodeValue(code), CodeValue(code)}};
}

Statement Ratings() {
    return {QStringLiteral("SELECT * FROM PLAYERS WHERE (P_NAME <> 'Computer') "
                           "ORDER BY P_POINTS DESC, P_NAME COLLATE RUSSIAN"),
            {}};
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
    return {QStringLiteral("SELECT * FROM PLAYERS ORDER BY P_NAME COLLATE RUSSIAN"), {}};
}

Statement PlayerByNameOrdered(const QString& name) {
    return {
        QStringLiteral("SELECT * FROM PLAYERS WHERE (P_NAME = ?) ORDER BY P_NAME COLLATE RUSSIAN"),
        {name}};
}

Statement Opponents(const QString& name) {
    return {QStringLiteral("SELECT * FROM PLAYERS WHERE (P_POINTS >= 3) AND (P_NAME <> ?)"),
            {name}};
}

Statement DurableCommits() {
    return {QStringLiteral("PRAGMA synchronous = FULL"), {}};
}

Statement BeginImmediate() {
    return {QStringLiteral("BEGIN IMMEDIATE"), {}};
}

Statement Commit() {
    return {QStringLiteral("COMMIT"), {}};
}

Statement Rollback() {
    return {QStringLiteral("ROLLBACK"), {}};
}

} // namespace db::sql
