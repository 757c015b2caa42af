// Recording a finished game: the announcement, the rating rules and the
// journal row.
#pragma once

#include "db/GameArchive.h"

#include <QDate>
#include <QLocale>
#include <QString>
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

/*! The rest of EndOfGame for result r (negative: white won; positive: black
    won; the magnitude is the margin). When at least one person played, changes
    the points and adds the journal row in one write transaction (all of it or
    nothing, committed durably), then announces the result. When the recording
    failed the announcement still comes, and then DbError is thrown (nothing is
    changed), also when a person's name has no row. today gives the date text.
    The game's record, when given, is kept in the archive in the same
    transaction; where the archive cannot be made the game is recorded without. */
void RecordResult(TDModule& module, Announcer& announcer, int32_t r, const QString& whiteName,
                  const QString& blackName, bool whiteHuman, bool blackHuman,
                  const std::function<QString()>& today = TodayShortDate,
                  const ArchivedGame& archived = {});

} // namespace db
