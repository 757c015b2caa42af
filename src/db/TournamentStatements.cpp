// The tournaments' part of the statement catalogue (Statements.h).
#include "db/Statements.h"

namespace db::sql {

namespace {

// Codes are bound as integers; a missing value (a bye, a pending winner, no
// game) as a NULL of the column's type.
QVariant OrNull(qint64 value) {
    return value == 0 ? QVariant(QMetaType::fromType<qlonglong>()) : QVariant(value);
}

QVariantList Key(qint64 code, int round, int board) {
    return {QVariant(code), QVariant(qlonglong(round)), QVariant(qlonglong(board))};
}

const QString PairingWhere =
    QStringLiteral(" WHERE N_TOURNAMENT = ? AND N_ROUND = ? AND N_BOARD = ?");

} // namespace

QStringList TournamentSchema(Dialect dialect) {
    return NewerTables(dialect, QStringLiteral("TOURNAMENT"));
}

Statement TournamentProbe() {
    // The last of the three is made last: where it exists, they all do.
    return TableProbe(QStringLiteral("TOURNAMENT_PAIRINGS"));
}

const QString TournamentColumns =
    QStringLiteral("SELECT T_CODE,T_NAME,T_SYSTEM,T_ROUNDS,T_STARTED FROM TOURNAMENTS");

Statement Tournaments() {
    return {TournamentColumns + QStringLiteral(" ORDER BY T_CODE"), {}};
}

Statement Tournament(qint64 code) {
    return {TournamentColumns + QStringLiteral(" WHERE T_CODE = ?"), {QVariant(code)}};
}

Statement MaxTournamentCode() {
    return {QStringLiteral("SELECT MAX(T_CODE) FROM TOURNAMENTS"), {}};
}

Statement InsertTournament(qint64 code, const QString& name, int system, int rounds) {
    return {QStringLiteral("INSERT INTO TOURNAMENTS VALUES (?,?,?,?,0)"),
            {QVariant(code), name, QVariant(qlonglong(system)), QVariant(qlonglong(rounds))}};
}

Statement StartTournament(qint64 code, int rounds) {
    return {QStringLiteral("UPDATE TOURNAMENTS SET T_STARTED = 1, T_ROUNDS = ? WHERE T_CODE = ?"),
            {QVariant(qlonglong(rounds)), QVariant(code)}};
}

Statement TournamentEntries(qint64 code) {
    return {QStringLiteral("SELECT E_SEED,E_PLAYER,P_NAME,E_POINTS,E_WITHDRAWN FROM "
                           "TOURNAMENT_ENTRIES, PLAYERS WHERE E_TOURNAMENT = ? AND "
                           "P_CODE = E_PLAYER ORDER BY E_SEED"),
            {QVariant(code)}};
}

Statement InsertEntry(qint64 code, int seed, qint64 player, qint64 points) {
    return {QStringLiteral("INSERT INTO TOURNAMENT_ENTRIES VALUES (?,?,?,?,0)"),
            {QVariant(code), QVariant(qlonglong(seed)), QVariant(player), QVariant(points)}};
}

Statement WithdrawEntry(qint64 code, int seed) {
    return {QStringLiteral("UPDATE TOURNAMENT_ENTRIES SET E_WITHDRAWN = 1 WHERE E_TOURNAMENT = ? "
                           "AND E_SEED = ?"),
            {QVariant(code), QVariant(qlonglong(seed))}};
}

Statement TournamentPairings(qint64 code) {
    return {QStringLiteral("SELECT N_ROUND,N_BOARD,N_FIRST,N_SECOND,N_WINNER,N_FORFEIT,N_GAME,"
                           "N_CLAIM FROM TOURNAMENT_PAIRINGS WHERE N_TOURNAMENT = ? "
                           "ORDER BY N_ROUND, N_BOARD"),
            {QVariant(code)}};
}

Statement InsertPairing(qint64 code, int round, int board, int first, int second, int winner) {
    QVariantList values = Key(code, round, board);
    values << QVariant(qlonglong(first)) << OrNull(second) << OrNull(winner);
    return {QStringLiteral("INSERT INTO TOURNAMENT_PAIRINGS VALUES (?,?,?,?,?,?,0,NULL,NULL)"),
            values};
}

Statement ClaimPairing(qint64 code, int round, int board, const QString& claim) {
    // One statement: of two computers claiming at once, the second finds the
    // claim made and changes nothing.
    QVariantList values{claim};
    values += Key(code, round, board);
    return {QStringLiteral("UPDATE TOURNAMENT_PAIRINGS SET N_CLAIM = ?") + PairingWhere +
                QStringLiteral(" AND N_CLAIM IS NULL AND N_WINNER IS NULL"),
            values};
}

Statement PairingClaim(qint64 code, int round, int board) {
    return {QStringLiteral("SELECT N_CLAIM FROM TOURNAMENT_PAIRINGS") + PairingWhere,
            Key(code, round, board)};
}

Statement ReleaseClaim(qint64 code, int round, int board) {
    return {QStringLiteral("UPDATE TOURNAMENT_PAIRINGS SET N_CLAIM = NULL") + PairingWhere +
                QStringLiteral(" AND N_WINNER IS NULL"),
            Key(code, round, board)};
}

Statement PairingResult(qint64 code, int round, int board, int winner, bool forfeit, qint64 game) {
    QVariantList values{QVariant(qlonglong(winner)), QVariant(qlonglong(forfeit ? 1 : 0)),
                        OrNull(game)};
    values += Key(code, round, board);
    return {
        QStringLiteral("UPDATE TOURNAMENT_PAIRINGS SET N_WINNER = ?, N_FORFEIT = ?, N_GAME = ?") +
            PairingWhere + QStringLiteral(" AND N_WINNER IS NULL"),
        values};
}

} // namespace db::sql
