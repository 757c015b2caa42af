#include "Ledger.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>

namespace killharness {

namespace {

bool Fill(QSqlDatabase& db, Ledger& ledger, QString& problem) {
    QSqlQuery q(db);
    if (!q.exec("PRAGMA integrity_check") || !q.next()) {
        problem = "integrity_check did not run: " + q.lastError().text();
        return false;
    }
    if (q.value(0).toString() != "ok") {
        problem = "integrity_check: " + q.value(0).toString();
        return false;
    }
    if (!q.exec("SELECT P_CODE, P_POINTS FROM PLAYERS")) {
        problem = q.lastError().text();
        return false;
    }
    while (q.next())
        ledger.points[q.value(0).toLongLong()] = q.value(1).toLongLong();
    if (!q.exec("SELECT G_CODE, G_WINPLAYER, G_LOSEPLAYER, G_SUPER, G_POINTS, R_IDENT FROM GAMES "
                "LEFT JOIN GAME_RECORDS ON R_GAME = G_CODE ORDER BY G_CODE")) {
        problem = q.lastError().text();
        return false;
    }
    while (q.next())
        ledger.games.push_back({q.value(0).toLongLong(), q.value(1).toLongLong(),
                                q.value(2).toLongLong(), q.value(3).toLongLong(),
                                q.value(4).toLongLong(), q.value(5).toString()});
    return true;
}

// The winner's gain against a person with these points: a third, rounded.
int64_t Gain(int64_t loserPoints) {
    return loserPoints >= 0 ? (loserPoints + 1) / 3 : -((-loserPoints + 1) / 3);
}

} // namespace

bool ReadLedger(const QString& databaseFile, Ledger& ledger, QString& problem) {
    ledger = {};
    const QString name = QUuid::createUuid().toString();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(databaseFile);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=10000");
        if (!db.open())
            problem = "cannot open: " + db.lastError().text();
        else
            ok = Fill(db, ledger, problem);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QString ApplyGame(Ledger& ledger, const GameRow& g) {
    const int64_t loserPoints = ledger.points.value(g.loser);
    if (g.loser == ComputerCode || g.winner == ComputerCode) {
        if (g.award != 1)
            return QString("award %1 in a game against the computer").arg(g.award);
    } else if (g.award != Gain(loserPoints)) {
        return QString("gain %1 for a loser with %2 points").arg(g.award).arg(loserPoints);
    }
    if (g.winner != ComputerCode)
        ledger.points[g.winner] += g.award;
    else if (loserPoints > 0)
        ledger.points[g.loser] -= 1;
    ledger.games.push_back(g);
    return {};
}

QString CompareRounds(const Ledger& before, const Ledger& after, bool& oneGame) {
    oneGame = false;
    if (after == before)
        return {};
    if (after.games.size() != before.games.size() + 1)
        return QString("journal went from %1 to %2 rows").arg(before.games.size()).arg(after.games.size());
    for (qsizetype i = 0; i < before.games.size(); ++i)
        if (!(after.games[i] == before.games[i]))
            return QString("journal row %1 changed").arg(before.games[i].code);
    const GameRow& g = after.games.last();
    const int64_t nextCode = before.games.isEmpty() ? 1 : before.games.last().code + 1;
    if (g.code != nextCode)
        return QString("new game code %1, expected %2").arg(g.code).arg(nextCode);
    Ledger expected = before;
    if (const QString wrong = ApplyGame(expected, g); !wrong.isEmpty())
        return wrong;
    if (!(after.points == expected.points))
        return QString("points do not match journal row %1").arg(g.code);
    oneGame = true;
    return QStringLiteral("one game");
}

QString CompareWriteOut(const Ledger& before, const Ledger& after, const QVector<GameRow>& waiting,
                        int& delivered, bool& own) {
    delivered = 0;
    own = false;
    if (after.games.size() < before.games.size())
        return QStringLiteral("the journal lost rows");
    if (!std::equal(before.games.begin(), before.games.end(), after.games.begin()))
        return QStringLiteral("a journal row changed");
    Ledger expected = before;
    for (qsizetype i = before.games.size(); i < after.games.size(); ++i) {
        const GameRow& g = after.games[i];
        const int64_t nextCode = expected.games.isEmpty() ? 1 : expected.games.last().code + 1;
        if (g.code != nextCode)
            return QString("new game code %1, expected %2").arg(g.code).arg(nextCode);
        if (own)
            return QString("row %1 came after the round's own game").arg(g.code);
        const auto stands = std::find_if(waiting.begin(), waiting.end(),
                                         [&](const GameRow& w) { return w.identity == g.identity; });
        const bool known = !g.identity.isEmpty();
        if (known && std::any_of(expected.games.begin(), expected.games.end(),
                                 [&](const GameRow& e) { return e.identity == g.identity; }))
            return QString("result %1 went in twice").arg(g.identity);
        if (delivered < waiting.size() && stands == waiting.begin() + delivered) {
            if (g.winner != stands->winner || g.loser != stands->loser || g.margin != stands->margin)
                return QString("row %1 is not the result %2").arg(g.code).arg(g.identity);
            ++delivered;
        } else if (stands != waiting.end()) {
            return QString("result %1 went in out of its order").arg(g.identity);
        } else if (delivered < waiting.size()) {
            return QString("row %1 went in before the waiting results").arg(g.code);
        } else {
            own = true;
        }
        if (const QString wrong = ApplyGame(expected, g); !wrong.isEmpty())
            return wrong;
    }
    if (!(after.points == expected.points))
        return QStringLiteral("points do not match the journal");
    return {};
}

QString JudgeFinishedRound(int exitCode, bool oneGame) {
    if (exitCode != 0)
        return QStringLiteral("the referee finished with exit code %1 (not recorded)").arg(exitCode);
    if (!oneGame)
        return QStringLiteral("the referee finished but nothing was recorded");
    return {};
}

QString JudgeRun(const Tally& tally) {
    if (tally.recorded == 0)
        return QStringLiteral("no game was recorded: the run tested nothing");
    if (tally.killedAfterCommit == 0)
        return QStringLiteral("no referee was killed after its commit");
    return {};
}

} // namespace killharness
