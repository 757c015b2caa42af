// What a ratings database holds, as the kill harness compares it from one
// round to the next: every player's points and every journal row.
#pragma once

#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>

namespace killharness {

struct GameRow {
    int64_t code = 0;
    int64_t winner = 0;
    int64_t loser = 0;
    int64_t margin = 0;
    int64_t award = 0;
    QString identity = {}; // the game's identity in the archive, if it has a record
    bool operator==(const GameRow&) const = default;
};

struct Ledger {
    QMap<int64_t, int64_t> points; // player code -> points
    QVector<GameRow> games;        // in code order
    bool operator==(const Ledger&) const = default;
};

/*! Reads the file on a connection of its own (closed again before it
    returns). False with a reason when it cannot be read, or when
    PRAGMA integrity_check is not "ok". */
bool ReadLedger(const QString& databaseFile, Ledger& ledger, QString& problem);

/*! The computer's row: its points never change. */
inline constexpr int64_t ComputerCode = 1;

/*! Adds row to ledger as the rating rules say: "" when the row's award is
    the rules', otherwise a reason (ledger then is left as it was). */
QString ApplyGame(Ledger& ledger, const GameRow& row);

/*! How after differs from before: "" when unchanged; "one game" when exactly
    one journal row was added, with the next code, and the points changed as
    the rating rules say for that row and nowhere else; otherwise a reason. */
QString CompareRounds(const Ledger& before, const Ledger& after, bool& oneGame);

/*! A round of the outbox's write-out: after must be before plus, in order,
    the next rows of waiting (each the result it stands for: winner, loser,
    margin and identity; code and award ignored) by the rules, then at most
    one game of the round's own. "" or a reason; delivered counts the rows of
    waiting that went in, own whether the round's own game did. */
QString CompareWriteOut(const Ledger& before, const Ledger& after, const QVector<GameRow>& waiting,
                        int& delivered, bool& own);

/*! What a run did, counted round by round. */
struct Tally {
    int finished = 0;          // the referee ended by itself
    int killed = 0;            // SIGKILL came first
    int killedAfterCommit = 0; // killed, yet the game is wholly recorded
    int recorded = 0;          // rounds that added one game
};

/*! A referee that ended by itself must have recorded its game (exit code 0
    and one game); "" when it did, otherwise a reason. */
QString JudgeFinishedRound(int exitCode, bool oneGame);

/*! A run that tested something: "" when it recorded games and killed at
    least one referee after its commit, otherwise a reason. */
QString JudgeRun(const Tally& tally);

} // namespace killharness
