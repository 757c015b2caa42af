// Recording a finished game: the announcement, the rating rules and the
// journal row.
#pragma once

#include "db/GameArchive.h"
#include "db/Outbox.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace db {

class TDModule;

/*! Shows a message to the user and returns once it has been dismissed. */
class Announcer {
  public:
    virtual ~Announcer() = default;
    virtual void Announce(const QString& text) = 0;
};

/*! A date as journal text: the locale's short date format; where the
    locale is C or POSIX (no locale set) the Russian short date, dd.MM.yyyy. */
QString JournalDate(const QLocale& locale, QDate date);
/*! The text that tells the user a finished game could not be recorded. */
QString RecordingFailedText(const QString& reason);

/*! Today's date as journal text in the system locale (JournalDate). */
QString TodayShortDate();

/*! The display name of the computer's side in a game. */
inline const QString ComputerDisplayName = QStringLiteral("Компьютер");
/*! What a game between two computers announces; nothing is recorded. */
inline const QString TwoComputersText = QStringLiteral(
    "Ура!!! Один компьютер победил другого!!! Да здравствует искусственный разум!!!");

/*! "<winner> победил <loser> с преимуществом в <margin> фишек (фишку)!" */
QString AnnouncementText(const QString& winner, const QString& loser, int64_t margin);

/*! The winner's gain in a game between two people: the loser's points / 3,
    rounded to the nearest integer. */
int64_t PersonGain(int64_t loserPoints);

/*! What became of a finished game. */
enum class Recorded {
    Done,    // in the journal
    Nothing, // two computers: nothing to record
    Queued,  // the database could not take it: kept in the outbox until it can
};

/*! What tells the user that a result waits in the outbox. */
inline const QString QueuedText = QStringLiteral(
    "Нет связи с базой данных игроков. Результат игры сохранён и будет записан, когда связь "
    "восстановится.");

/*! Records one result as one write transaction (all of it or nothing,
    committed durably): the rating rules, the journal row dated game.date and,
    where the archive can be made, the record with its identity. A result
    whose identity the archive holds already is not recorded again. Throws
    DbError, also when a person's name has no row. */
void ApplyResult(TDModule& module, const PendingResult& game);

/*! What writing out the outbox came to. */
struct DeliveryReport {
    int delivered = 0;
    bool waiting = false; // stopped: the database still cannot take them
    QStringList problems; // results set aside, files that cannot be read
};
/*! Records the outbox's results in their order, each removed once recorded;
    stops at the first the database cannot take yet. One that can never be
    recorded is set aside and named in the report. */
DeliveryReport DeliverOutbox(TDModule& module, Outbox& outbox);

/*! The rest of EndOfGame for result r (negative: white won; positive: black
    won; the magnitude is the margin). When at least one person played,
    records it (ApplyResult, dated today()), then announces the result. With
    an outbox, the results waiting there are written out first, and a result
    the database cannot take now (out of reach, locked, read-only: a
    transient DbError) is kept there instead: Queued. Otherwise, when the
    recording failed, the announcement still comes and then DbError is
    thrown (nothing is changed). */
Recorded RecordResult(TDModule& module, Announcer& announcer, int32_t r, const QString& whiteName,
                      const QString& blackName, bool whiteHuman, bool blackHuman,
                      const std::function<QString()>& today = TodayShortDate,
                      const ArchivedGame& archived = {}, Outbox* outbox = nullptr);

} // namespace db
