// Recording a finished game: the announcement, the rating rules and the
// journal row.
#pragma once

#include "db/GameArchive.h"
#include "db/Outbox.h"
#include "record/ComputerNames.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace db {

class TDModule;

/*! What writing out the outbox came to. */
struct DeliveryReport {
    int delivered = 0;
    bool waiting = false; // stopped: the database still cannot take them
    QString refused;      // stopped: the database cannot take them safely (why, for the user)
    QStringList problems; // results set aside, files that cannot be read
};

/*! Shows a message to the user and returns once it has been dismissed. */
class Announcer {
  public:
    virtual ~Announcer() = default;
    virtual void Announce(const QString& text) = 0;
    /*! What writing out the outbox ran into (problems or a refusal); by
        default it goes to the log. */
    virtual void OutboxTrouble(const DeliveryReport& report);
};

/*! A date as journal text: the locale's short date format; where the
    locale is C or POSIX (no locale set) the Russian short date, dd.MM.yyyy. */
QString JournalDate(const QLocale& locale, QDate date);
/*! The text that tells the user a finished game could not be recorded. */
QString RecordingFailedText(const QString& reason);

/*! Today's date as journal text in the system locale (JournalDate). */
QString TodayShortDate();

/*! The display name of the computer's side in a game. */
inline const QString& ComputerDisplayName = record::ComputerName;
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
    Held,    // the database cannot take results safely: kept in the outbox (refused told)
};

/*! What tells the user that a result waits in the outbox. */
inline const QString QueuedText = QStringLiteral(
    "Нет связи с базой данных игроков. Результат игры сохранён и будет записан, когда связь "
    "восстановится.");

/*! What tells the user that a result waits in the outbox until the
    database can take it safely (the reason is told apart). */
inline const QString HeldText =
    QStringLiteral("Результат игры сохранён и будет записан, когда база данных сможет его принять.");

/*! Why the outbox is not written out to a database that keeps no games'
    identities: a result sent again might be recorded twice. */
inline const QString NoIdentitiesText = QStringLiteral(
    "Результаты, ожидающие записи, не записаны: в базе данных нет таблицы архива партий "
    "(GAME_RECORDS), и у этой учётной записи сервера нет права её создать. Без неё результат, "
    "отправленный повторно, мог бы быть записан дважды. Попросите администратора базы данных "
    "создать таблицу или дать право на её создание; до тех пор результаты хранятся в папке "
    "Data/Outbox.");

/*! What tells the user about what writing out the outbox ran into; empty
    when nothing. */
QString OutboxTroubleText(const DeliveryReport& report);

/*! Inside a transaction: the journal's code of a computer's row ("Компьютер"
    is 1; the engine's row is made when missing). */
QString ComputerCode(TDModule& module, const QString& name);

/*! Records one result as one write transaction (all of it or nothing,
    committed durably): the rating rules, the journal row dated game.date and,
    where the archive can be made, the record with its identity. A result
    whose identity the archive holds already is not recorded again. The
    engine is a computer to the rules; its journal rows name its own row,
    made in the same transaction when missing. A tournament's game (pairing
    set) decides its pairing in the same transaction. Throws DbError, also
    when a person's name has no row. */
void ApplyResult(TDModule& module, const PendingResult& game);

/*! Records the outbox's results in their order, each removed once recorded;
    stops at the first the database cannot take yet. One that can never be
    recorded is set aside and named in the report. A database that cannot
    keep the games' identities (no archive, and no right to make it) takes
    none of them: refused. */
DeliveryReport DeliverOutbox(TDModule& module, Outbox& outbox);

/*! The rest of EndOfGame for result r (negative: white won; positive: black
    won; the magnitude is the margin). When at least one person played,
    records it (ApplyResult, dated today()), then announces the result. With
    an outbox, the results waiting there are written out first, and a result
    the database cannot take now (out of reach, locked, read-only: a
    transient DbError) is kept there instead: Queued (Held when the outbox
    was refused). pairing: the tournament pairing the game was played for
    (TournamentStore's PairingKey). The whole recording waits on a server for one bound in
    all. Otherwise, when the recording failed, the announcement still comes
    and then DbError is thrown (nothing is changed). */
Recorded RecordResult(TDModule& module, Announcer& announcer, int32_t r, const QString& whiteName,
                      const QString& blackName, bool whiteHuman, bool blackHuman,
                      const std::function<QString()>& today = TodayShortDate,
                      const ArchivedGame& archived = {}, Outbox* outbox = nullptr,
                      const QString& pairing = {});

} // namespace db
