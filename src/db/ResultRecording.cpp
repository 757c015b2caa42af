#include "db/ResultRecording.h"

#include "db/DbError.h"
#include "db/GameArchive.h"
#include "db/PlayerRows.h"
#include "db/QueryKeeper.h"
#include "db/ServerWatch.h"
#include "db/Statements.h"
#include "db/TournamentStore.h"
#include "db/Unit6.h"
#include "record/ComputerNames.h"
#include "record/GameRecord.h"
#include "record/MatchRecord.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <exception>
#include <optional>

namespace db {

namespace {

// A person's row. A name without a row cannot be recorded.
PlayerRow ReadPlayer(TDModule& module, const QString& name) {
    // Statement 8 on IBPlayers.
    std::optional<PlayerRow> row = FindPlayer(module.IBPlayers, name);
    if (!row)
        throw DbError(QStringLiteral("Игрок «%1» не зарегистрирован в базе данных.")
                          .arg(name)
                          .toStdString());
    return *row;
}

} // namespace

// The built-in computer's row is 1; the engine's row goes by its name and is
// made, with 0 points, the first time a game needs it (databases made before
// the engine have none).
QString ComputerCode(TDModule& module, const QString& name) {
    if (name != record::EngineName)
        return QStringLiteral("1");
    if (std::optional<PlayerRow> row = FindPlayer(module.IBPlayers, name))
        return QString::number(row->code);
    const QString code = module.GenID(QStringLiteral("PLAYERS"));
    module.IBPlayers.SetSQL(sql::InsertPlayer(code, name));
    module.IBPlayers.ExecSQL();
    return code;
}

namespace {

// Whether the archive has a game of this identity (inside the transaction).
bool IdentityRecorded(TDModule& module, const QString& identity) {
    module.QRWork.SetSQL(sql::RecordByIdentity(identity));
    module.QRWork.Open();
    return !module.QRWork.Eof();
}

void UpdatePoints(TDModule& module, int64_t points, qint64 code) {
    module.IBPlayers.SetSQL(sql::UpdatePoints(points, QString::number(code)));
    module.IBPlayers.ExecSQL();
}

// The journal row, and the game's record beside it when there is one.
QString InsertGame(TDModule& module, const QString& date, const QString& winnerCode,
                   const QString& loserCode, int64_t margin, int64_t award,
                   const ArchivedGame* archived) {
    const QString gameCode = module.GenID(QStringLiteral("GAMES"));
    module.IBGames.SetSQL(sql::InsertGame(gameCode, date, winnerCode, loserCode, margin, award));
    module.IBGames.ExecSQL();
    if (archived)
        StoreRecord(module, gameCode, *archived);
    return gameCode;
}

} // namespace

QString JournalDate(const QLocale& locale, QDate date) {
    // The program is Russian: a machine without a locale gets its dates too,
    // not the C locale's "7 Dec 2026" beside rows written as "07.12.2026".
    if (locale.language() == QLocale::C)
        return date.toString(QStringLiteral("dd.MM.yyyy"));
    return locale.toString(date, QLocale::ShortFormat);
}

QString RecordingFailedText(const QString& reason) {
    return QStringLiteral("Результат игры не записан в базу данных!\n") + reason;
}

QString TodayShortDate() {
    return JournalDate(QLocale::system(), QDate::currentDate());
}

QString AnnouncementText(const QString& winner, const QString& loser, int64_t margin) {
    return winner + QStringLiteral(" победил ") + loser + QStringLiteral(" с преимуществом в ") +
           QString::number(margin) + QStringLiteral(" фишек (фишку)!");
}

int64_t PersonGain(int64_t loserPoints) {
    // A third never ends in exactly one half, so rounding is unambiguous.
    return loserPoints >= 0 ? (loserPoints + 1) / 3 : -((-loserPoints + 1) / 3);
}

void ApplyResult(TDModule& module, const PendingResult& game) {
    const bool whiteWon = game.r < 0;
    const QString& winner = whiteWon ? game.whiteName : game.blackName;
    const QString& loser = whiteWon ? game.blackName : game.whiteName;
    const bool winnerHuman = whiteWon ? game.whiteHuman : game.blackHuman;
    const int64_t margin = game.r < 0 ? -int64_t(game.r) : int64_t(game.r);
    // Recording re-points IBGames and its transaction closes it; a journal
    // that was open shows its statement's rows again afterwards.
    const QueryKeeper journal(module.IBGames);
    // The archive's table is made, where it may be, before the transaction.
    const ArchivedGame archived{game.identity, game.recordText};
    const ArchivedGame* record =
        !game.recordText.isEmpty() && PrepareArchive(module) ? &archived : nullptr;
    TDModule::Transaction transaction(module);
    // A result written out again after its commit's reply was lost is there already.
    if (record && !game.identity.isEmpty() && IdentityRecorded(module, game.identity)) {
        transaction.Commit();
        return;
    }
    QString gameCode;
    if (game.whiteHuman && game.blackHuman) {
        const PlayerRow w = ReadPlayer(module, winner);
        const PlayerRow l = ReadPlayer(module, loser);
        const int64_t gain = PersonGain(l.points);
        UpdatePoints(module, w.points + gain, w.code);
        gameCode = InsertGame(module, game.date, QString::number(w.code), QString::number(l.code),
                              margin, gain, record);
    } else {
        const bool computerWon = !winnerHuman && record::IsComputerName(winner);
        const PlayerRow person = ReadPlayer(module, computerWon ? loser : winner);
        const QString personCode = QString::number(person.code);
        const QString computerCode = ComputerCode(module, computerWon ? winner : loser);
        if (computerWon) {
            if (person.points > 0)
                UpdatePoints(module, person.points - 1, person.code);
            gameCode = InsertGame(module, game.date, computerCode, personCode, margin, 1, record);
        } else {
            UpdatePoints(module, person.points + 1, person.code);
            gameCode = InsertGame(module, game.date, personCode, computerCode, margin, 1, record);
        }
    }
    // A tournament's game decides its pairing with the journal row, or neither.
    if (!game.pairing.isEmpty())
        RecordPairingGame(module, game.pairing, gameCode.toLongLong(), winner);
    transaction.Commit();
}

void Announcer::OutboxTrouble(const DeliveryReport& report) {
    for (const QString& problem : report.problems)
        qWarning("vertan: outbox: %s", qPrintable(problem));
    if (!report.refused.isEmpty())
        qWarning("vertan: outbox: %s", qPrintable(report.refused));
}

QString OutboxTroubleText(const DeliveryReport& report) {
    QStringList parts;
    if (!report.refused.isEmpty())
        parts << report.refused;
    if (!report.problems.isEmpty())
        parts << QStringLiteral("Результаты, которые нельзя записать, отложены в папке "
                                "Data/Outbox:\n") +
                     report.problems.join(QLatin1Char('\n'));
    return parts.join(QStringLiteral("\n\n"));
}

DeliveryReport DeliverOutbox(TDModule& module, Outbox& outbox) {
    DeliveryReport report;
    const std::vector<Outbox::Entry> entries = outbox.Pending(&report.problems);
    try {
        // A result written out again may be in already, its commit's reply
        // lost on the way: only the identity kept beside it can tell.
        if (!entries.empty() && !PrepareArchive(module)) {
            report.refused = NoIdentitiesText;
            report.waiting = true;
            return report;
        }
    } catch (const DbError& error) {
        if (!error.Transient() && !module.ServerLost())
            throw;
        report.waiting = true;
        return report;
    }
    for (const Outbox::Entry& entry : entries) {
        try {
            ApplyResult(module, entry.result);
        } catch (const DbError& error) {
            if (error.Transient() || module.ServerLost()) {
                report.waiting = true;
                return report;
            }
            // One that can never be recorded (its player is gone) must not
            // hold back the others: it stays beside them, set aside.
            report.problems << QStringLiteral("%1: %2").arg(entry.file, QString::fromUtf8(error.what()));
            outbox.SetAside(entry);
            continue;
        }
        outbox.Remove(entry);
        ++report.delivered;
    }
    return report;
}

Recorded RecordResult(TDModule& module, Announcer& announcer, int32_t r, const QString& whiteName,
                      const QString& blackName, bool whiteHuman, bool blackHuman,
                      const std::function<QString()>& today, const ArchivedGame& archived,
                      Outbox* outbox, const QString& pairing) {
    // A result kept for later needs an identity even when its game has none.
    const QString identity = archived.identity.isEmpty()
                                 ? record::NewGameIdentity(QDateTime::currentDateTime())
                                 : archived.identity;
    const PendingResult game{identity,   r,          whiteName,     blackName, whiteHuman,
                             blackHuman, today(),    archived.text, pairing};
    const QString winner = r < 0 ? whiteName : blackName;
    const QString loser = r < 0 ? blackName : whiteName;
    // A match is told by its score, not by checkers left.
    const auto match = record::ReadMatchSummary(archived.text);
    const QString announcement =
        match ? record::MatchEndText(*match)
              : AnnouncementText(winner, loser, r < 0 ? -int64_t(r) : int64_t(r));
    if (!whiteHuman && !blackHuman) {
        announcer.Announce(TwoComputersText);
        return Recorded::Nothing;
    }
    // The result is committed (or kept in the outbox) before the announcement
    // waits for the user: a program killed while the message is up must not
    // lose the game. Results still waiting go first, in their order.
    std::exception_ptr failure;
    bool refused = false;
    try {
        // One bound for the whole recording, however many statements it takes.
        const ServerWait wait;
        if (outbox) {
            const DeliveryReport report = DeliverOutbox(module, *outbox);
            if (!report.problems.isEmpty() || !report.refused.isEmpty())
                announcer.OutboxTrouble(report);
            refused = !report.refused.isEmpty();
            if (report.waiting)
                throw DbError("earlier results are still waiting for the database", true);
        }
        ApplyResult(module, game);
    } catch (const DbError& error) {
        QString kept;
        // A server whose link broke under the statement tells no error code of its own.
        const bool transient = error.Transient() || module.ServerLost();
        if (outbox && transient && outbox->Put(game, kept)) {
            announcer.Announce(announcement);
            return refused ? Recorded::Held : Recorded::Queued;
        }
        failure = std::current_exception();
    }
    announcer.Announce(announcement);
    if (failure)
        std::rethrow_exception(failure);
    return Recorded::Done;
}

} // namespace db
