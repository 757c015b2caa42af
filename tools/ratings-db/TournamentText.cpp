#include "TournamentText.h"

#include "db/DbError.h"
#include "db/TournamentStore.h"
#include "db/Unit6.h"

#include <QStringList>

namespace ratingsdb {

TournamentTextResult TournamentText(db::TDModule& module, const QString& id) {
    bool number = false;
    const qint64 code = id.toLongLong(&number);
    if (!number)
        return {2, QStringLiteral("%1 is no tournament code").arg(id)};
    db::TournamentData data;
    try {
        // A database that cannot be read is told as such, not as a missing tournament.
        module.GenID(QStringLiteral("GAMES"));
        data = db::ReadTournament(module, code);
    } catch (const db::TournamentRefused&) {
        return {2, QStringLiteral("no tournament %1").arg(code)};
    } catch (const db::DbError& error) {
        return {1, QString::fromUtf8(error.what())};
    }
    const bool swiss = data.info.system == tournament::System::Swiss;
    QStringList lines;
    lines << QStringLiteral("%1 (%2, туров: %3)")
                 .arg(data.info.name,
                      swiss ? QStringLiteral("Швейцарский") : QStringLiteral("Круговой"))
                 .arg(data.info.rounds);
    QStringList head;
    for (const std::string& heading : tournament::StandingHeadings(data.info.system))
        head << QString::fromStdString(heading);
    lines << head.join(QLatin1Char('\t'));
    for (const tournament::Standing& s :
         tournament::Standings(data.info.system, data.Players(), data.Games())) {
        lines << QStringList{QString::number(s.place),      data.ShownName(s.player + 1),
                             QString::number(s.wins),       QString::number(s.tieBreak),
                             QString::number(s.headToHead), QString::number(s.rating)}
                     .join(QLatin1Char('\t'));
    }
    return {0, lines.join(QLatin1Char('\n'))};
}

} // namespace ratingsdb
