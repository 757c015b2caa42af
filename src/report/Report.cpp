#include "report/Report.h"

#include "db/DbError.h"
#include "record/RecordText.h"
#include "report/Html.h"
#include "report/Pages.h"
#include "report/SiteWriter.h"

#include <QDateTime>
#include <algorithm>
#include <stdexcept>

namespace report {

namespace {

void WriteSite(const ReadConnection& connection, const Club& club, SiteWriter& writer) {
    const History history = ReplayHistory(club);
    const QHash<qint64, PlayerStats> stats = CountGames(club);
    const Site site{club, history, stats,
                    QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy в HH:mm"))};
    writer.Write(QStringLiteral("style.css"), StyleSheet());
    writer.Write(QStringLiteral("report.js"), Script());
    writer.Write(QStringLiteral("index.html"), RatingPage(site));
    int rank = 0;
    for (size_t i = 0; i < club.ratings.size(); ++i) {
        const Player& player = club.ratings[i];
        if (i == 0 || club.ratings[i - 1].points != player.points)
            rank = int(i) + 1;
        writer.Write(QStringLiteral("players/%1.html").arg(player.code), PlayerPage(site, player, rank));
    }
    for (int page = 1; page <= JournalPageCount(club); ++page)
        writer.Write(QStringLiteral("journal/%1.html").arg(page), JournalPage(site, page));
    DiceAudit audit;
    if (club.hasArchive) {
        ForEachRecord(connection, [&](qint64 code, const QString& text) {
            const auto game = std::lower_bound(
                club.games.begin(), club.games.end(), code,
                [](const JournalGame& g, qint64 c) { return g.code < c; });
            // A record whose journal row is gone belongs to no game of the journal.
            if (game == club.games.end() || game->code != code)
                return;
            QString error;
            const std::optional<record::GameRecord> read = record::ReadRecord(text, error);
            if (read)
                audit.Add(*read);
            writer.Write(QStringLiteral("games/%1.html").arg(code), GamePage(site, *game, text, read, error));
        });
    }
    writer.Write(QStringLiteral("dice.html"), DicePage(site, audit));
}

} // namespace

ReportResult MakeReport(const db::DatabaseChoice& choice, const QString& dir) {
    try {
        // Everything the pages need but the records is read before a file is made.
        const ReadConnection connection(choice);
        const Club club = ReadClub(connection);
        SiteWriter writer(dir);
        WriteSite(connection, club, writer);
        writer.Commit();
        return {0, QStringLiteral("the club's page is in %1: %2 players, %3 games, %4 with records")
                       .arg(dir)
                       .arg(club.ratings.size())
                       .arg(club.games.size())
                       .arg(club.archived.size())};
    } catch (const db::DbError& error) {
        return {1, QString::fromUtf8(error.what())};
    } catch (const std::runtime_error& error) {
        return {1, QString::fromUtf8(error.what())};
    }
}

} // namespace report
