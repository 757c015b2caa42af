#include "db/ResultRecording.h"

#include "db/DbError.h"
#include "db/GameArchive.h"
#include "db/QueryKeeper.h"
#include "db/Statements.h"
#include "db/Unit6.h"

#include <QDate>
#include <QLocale>
#include <exception>

namespace db {

namespace {

struct PlayerRow {
    int64_t points;
    QString code;
};

// Statement 8 on IBPlayers. A name without a row cannot be recorded.
PlayerRow ReadPlayer(TDModule& module, const QString& name) {
    module.IBPlayers.SetSQL(sql::PlayerByName(name));
    module.IBPlayers.Open();
    module.IBPlayers.First();
    if (module.IBPlayers.Eof())
        throw DbError("no player named " + name.toStdString());
    return {module.IBPlayers.FieldAsInteger(QStringLiteral("P_POINTS")),
            module.IBPlayers.FieldAsString(QStringLiteral("P_CODE"))};
}

void UpdatePoints(TDModule& module, int64_t points, const QString& code) {
    module.IBPlayers.SetSQL(sql::UpdatePoints(points, code));
    module.IBPlayers.ExecSQL();
}

// The journal row, and the game's record beside it when there is one.
void InsertGame(TDModule& module, const QString& date, const QString& winnerCode,
                const QString& loserCode, int64_t margin, int64_t award,
                const ArchivedGame* archived) {
    const QString gameCode = module.GenID(QStringLiteral("GAMES"));
    module.IBGames.SetSQL(sql::InsertGame(gameCode, date, winnerCode, loserCode, margin, award));
    module.IBGames.ExecSQL();
    if (archived)
        StoreRecord(module, gameCode, *archived);
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

void RecordResult(TDModule& module, Announcer& announcer, int32_t r, const QString& whiteName,
                  const QString& blackName, bool whiteHuman, bool blackHuman,
                  const std::function<QString()>& today, const ArchivedGame& archived) {
    const bool whiteWon = r < 0;
    const QString& winner = whiteWon ? whiteName : blackName;
    const QString& loser = whiteWon ? blackName : whiteName;
    const bool winnerHuman = whiteWon ? whiteHuman : blackHuman;
    const int64_t margin = r < 0 ? -int64_t(r) : int64_t(r);

    if (!whiteHuman && !blackHuman) {
        announcer.Announce(TwoComputersText);
        return;
    }
    // The result is committed before the announcement waits for the user: a
    // program killed while the message is up must not lose the game.
    std::exception_ptr failure;
    try {
        // Recording re-points IBGames and its transaction closes it; a
        // journal that was open shows its statement's rows again afterwards.
        const QueryKeeper journal(module.IBGames);
        // The archive's table is made, where it may be, before the transaction.
        const ArchivedGame* record =
            !archived.text.isEmpty() && PrepareArchive(module) ? &archived : nullptr;
        TDModule::Transaction transaction(module);
        if (whiteHuman && blackHuman) {
            const PlayerRow w = ReadPlayer(module, winner);
            const PlayerRow l = ReadPlayer(module, loser);
            const int64_t gain = PersonGain(l.points);
            UpdatePoints(module, w.points + gain, w.code);
            InsertGame(module, today(), w.code, l.code, margin, gain, record);
        } else {
            const bool computerWon = !winnerHuman && winner == ComputerDisplayName;
            const PlayerRow person = ReadPlayer(module, computerWon ? loser : winner);
            const QString computerCode = QStringLiteral("1");
            if (computerWon) {
                if (person.points > 0)
                    UpdatePoints(module, person.points - 1, person.code);
                InsertGame(module, today(), computerCode, person.code, margin, 1, record);
            } else {
                UpdatePoints(module, person.points + 1, person.code);
                InsertGame(module, today(), person.code, computerCode, margin, 1, record);
            }
        }
        transaction.Commit();
    } catch (const DbError&) {
        failure = std::current_exception();
    }
    announcer.Announce(AnnouncementText(winner, loser, margin));
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace db
