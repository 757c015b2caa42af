#include "report/Report.h"

#include "db/DbError.h"
#include "record/RecordText.h"
#include "report/Html.h"
#include "report/Pages.h"
#include "report/SiteWriter.h"

#include <QDateTime>
#include <algorithm>
#include <future>
#include <stdexcept>
#include <thread>

namespace report {

namespace {

// A game of the archive waiting for its page.
struct ArchivedGame {
    const JournalGame* game;
    QString text;
};

// Pages are made on every core: each worker takes every n-th item, with a
// piece of state of its own (the dice counts) that is merged at the end.
template <typename State, typename Make> State OnEveryCore(size_t count, Make make) {
    const size_t workers = std::max(1u, std::thread::hardware_concurrency());
    std::vector<State> states(workers);
    std::vector<std::future<void>> running;
    for (size_t w = 0; w < workers; ++w)
        running.push_back(std::async(std::launch::async, [&, w] {
            for (size_t i = w; i < count; i += workers)
                make(i, states[w]);
        }));
    State merged;
    for (size_t w = 0; w < workers; ++w) {
        running[w].get(); // a failed write is thrown here
        merged.Add(states[w]);
    }
    return merged;
}

struct NoState {
    void Add(const NoState&) {}
};

// Reading a record back by the rules and making its page is most of the work.
DiceAudit WriteGames(const Site& site, const std::vector<ArchivedGame>& batch, SiteWriter& writer) {
    return OnEveryCore<DiceAudit>(batch.size(), [&](size_t i, DiceAudit& audit) {
        QString error;
        const std::optional<record::GameRecord> read = record::ReadRecord(batch[i].text, error);
        if (read)
            audit.Add(*read);
        writer.Write(QStringLiteral("games/%1.html").arg(batch[i].game->code),
                     GamePage(site, *batch[i].game, batch[i].text, read, error));
    });
}

void WriteSite(const ReadConnection& connection, const Club& club, SiteWriter& writer) {
    const History history = ReplayHistory(club);
    const QHash<qint64, PlayerStats> stats = CountGames(club);
    const Site site{club, history, stats,
                    QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy в HH:mm"))};
    writer.Write(QStringLiteral("style.css"), StyleSheet());
    writer.Write(QStringLiteral("report.js"), Script());
    writer.Write(QStringLiteral("index.html"), RatingPage(site));
    const std::vector<int> ranks = Ranks(club);
    OnEveryCore<NoState>(club.ratings.size(), [&](size_t i, NoState&) {
        writer.Write(QStringLiteral("players/%1.html").arg(club.ratings[i].code),
                     PlayerPage(site, club.ratings[i], ranks[i]));
    });
    OnEveryCore<NoState>(size_t(JournalPageCount(club)), [&](size_t i, NoState&) {
        writer.Write(QStringLiteral("journal/%1.html").arg(i + 1), JournalPage(site, int(i) + 1));
    });
    DiceAudit audit;
    if (club.hasArchive) {
        std::vector<ArchivedGame> batch;
        ForEachRecord(connection, [&](qint64 code, const QString& text) {
            const auto game =
                std::lower_bound(club.games.begin(), club.games.end(), code,
                                 [](const JournalGame& g, qint64 c) { return g.code < c; });
            // A record whose journal row is gone belongs to no game of the journal.
            if (game == club.games.end() || game->code != code)
                return;
            batch.push_back({&*game, text});
            if (batch.size() == 1024) {
                audit.Add(WriteGames(site, batch, writer));
                batch.clear();
            }
        });
        audit.Add(WriteGames(site, batch, writer));
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
