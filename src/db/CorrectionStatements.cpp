#include "db/CorrectionStatements.h"

namespace db::sql {

QStringList CorrectionSchema(Dialect dialect) {
    return NewerTables(dialect, QStringLiteral("CORRECTIONS"));
}

Statement CorrectionProbe() {
    return TableProbe(QStringLiteral("CORRECTIONS"));
}

Statement NextCorrectionCode() {
    return {QStringLiteral("SELECT COALESCE(MAX(C_CODE), 0) + 1 FROM CORRECTIONS"), {}};
}

Statement LastGameCode() {
    return {QStringLiteral("SELECT COALESCE(MAX(G_CODE), 0) FROM GAMES"), {}};
}

Statement InsertCorrection(const QVariantList& values) {
    return {QStringLiteral("INSERT INTO CORRECTIONS VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"), values};
}

Statement AllCorrections() {
    return {QStringLiteral("SELECT C_CODE,C_TIME,C_WHO,C_KIND,C_PLAYER,C_OTHER,C_AFTER,C_OLD_NAME,"
                           "C_NEW_NAME,C_OLD_POINTS,C_NEW_POINTS,C_REASON FROM CORRECTIONS "
                           "ORDER BY C_CODE"),
            {}};
}

Statement GameByCode(qint64 code) {
    return {QStringLiteral("SELECT G_WINPLAYER,G_LOSEPLAYER,G_POINTS FROM GAMES WHERE G_CODE = ?"),
            {code}};
}

Statement PlayersOfGame(qint64 winner, qint64 loser) {
    return {QStringLiteral("SELECT P_CODE,P_NAME,P_POINTS FROM PLAYERS WHERE P_CODE IN (?,?)"),
            {winner, loser}};
}

Statement ReversalsOf(qint64 code) {
    return {
        QStringLiteral("SELECT C_CODE FROM CORRECTIONS WHERE C_KIND = 'reverse' AND C_OTHER = ?"),
        {code}};
}

Statement GamesBetween(qint64 a, qint64 b) {
    return {
        QStringLiteral("SELECT COUNT(*) FROM GAMES WHERE (G_WINPLAYER = ? AND G_LOSEPLAYER = ?) "
                       "OR (G_WINPLAYER = ? AND G_LOSEPLAYER = ?)"),
        {a, b, b, a}};
}

Statement RenamePlayer(qint64 code, const QString& name) {
    return {QStringLiteral("UPDATE PLAYERS SET P_NAME = ? WHERE P_CODE = ?"), {name, code}};
}

Statement MoveWins(qint64 from, qint64 to) {
    return {QStringLiteral("UPDATE GAMES SET G_WINPLAYER = ? WHERE G_WINPLAYER = ?"), {to, from}};
}

Statement MoveLosses(qint64 from, qint64 to) {
    return {QStringLiteral("UPDATE GAMES SET G_LOSEPLAYER = ? WHERE G_LOSEPLAYER = ?"), {to, from}};
}

Statement SharedTournaments(qint64 a, qint64 b) {
    return {QStringLiteral("SELECT COUNT(*) FROM TOURNAMENT_ENTRIES a, TOURNAMENT_ENTRIES b WHERE "
                           "a.E_TOURNAMENT = b.E_TOURNAMENT AND a.E_PLAYER = ? AND b.E_PLAYER = ?"),
            {a, b}};
}

Statement MoveEntries(qint64 from, qint64 to) {
    return {QStringLiteral("UPDATE TOURNAMENT_ENTRIES SET E_PLAYER = ? WHERE E_PLAYER = ?"),
            {to, from}};
}

Statement DeletePlayer(qint64 code) {
    return {QStringLiteral("DELETE FROM PLAYERS WHERE P_CODE = ?"), {code}};
}

Statement ForgetClearedReversals() {
    return {QStringLiteral("UPDATE CORRECTIONS SET C_OTHER = NULL WHERE C_KIND = 'reverse' AND "
                           "C_OTHER NOT IN (SELECT G_CODE FROM GAMES)"),
            {}};
}

Statement ForgetClearedPlaces() {
    return {QStringLiteral("UPDATE CORRECTIONS SET C_AFTER = 0 WHERE C_AFTER > "
                           "(SELECT COALESCE(MAX(G_CODE), 0) FROM GAMES)"),
            {}};
}

} // namespace db::sql
