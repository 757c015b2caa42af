#include "report/Report.h"

#include "db/DbError.h"
#include "record/PackedRecord.h"
#include "record/RecordText.h"
#include "report/Html.h"
#include "report/Pages.h"
#include "report/SiteWriter.h"
#include "report/Workers.h"

#include <QDateTime>
#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>

namespace report {

namespace {

// Records go to the workers a folder of game pages at a time (two workers
// making files in one folder wait on each other in the kernel), or less
// where the records are big; few batches wait.
constexpr size_t QueuedBatches = 6;
constexpr qsizetype BatchBytes = 8 << 20;
constexpr size_t PlayerBatch = 256;

struct PackedRecord {
    const JournalGame* game;
    QByteArray packed;
};

// A game page per record: read back, counted for the dice, written. A record
// that does not replay gets a page with its text and the reason; damaged
// bytes get none.
void WriteGames(const Site& site, const std::vector<PackedRecord>& batch, DiceAudit& audit,
                HtmlOut& out, SiteWriter& writer) {
    for (const PackedRecord& item : batch) {
        RecordRead read;
        std::optional<QString> text = record::UnpackRecord(item.packed);
        if (!text)
            continue;
        read.text = std::move(*text);
        read.game = record::ReplayRecord(read.text, read.error);
        if (read.game)
            audit.Add(*read.game);
        out.Clear();
        GamePage(site, *item.game, read, out);
        writer.Write(GamePath(item.game->code), out.Bytes());
    }
}

void WriteSite(const ReadConnection& connection, const Club& club, SiteWriter& writer) {
    // Two passes over the whole journal, one on each core.
    std::future<History> replayed = std::async(std::launch::async, ReplayHistory, std::cref(club));
    const QHash<qint64, PlayerStats> stats = CountGames(club);
    const History history = replayed.get();
    const Site site{club, history, stats,
                    QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy в HH:mm"))};
    writer.Write(QStringLiteral("style.css"), StyleSheet());
    writer.Write(QStringLiteral("report.js"), Script());
    writer.Write(BoardPictureName, BoardPicture());
    const std::vector<int> ranks = Ranks(club);
    // The workers' own state outlives them: a failed run stops them first.
    std::vector<DiceAudit> audits(Workers::Cores());
    std::vector<HtmlOut> outs(Workers::Cores());
    Workers workers(QueuedBatches);
    workers.Post([&](size_t) {
        SiteWriter::File file(writer, "index.html");
        RatingPage(site, file);
    });
    for (size_t from = 0; from < club.ratings.size(); from += PlayerBatch)
        workers.Post([&, from](size_t w) {
            for (size_t i = from; i < std::min(from + PlayerBatch, club.ratings.size()); ++i) {
                outs[w].Clear();
                PlayerPage(site, club.ratings[i], ranks[i], outs[w]);
                writer.Write("players/" + std::to_string(club.ratings[i].code) + ".html",
                             outs[w].Bytes());
            }
        });
    for (int page = 1; page <= JournalPageCount(club); ++page)
        workers.Post([&, page](size_t w) {
            outs[w].Clear();
            JournalPage(site, page, outs[w]);
            writer.Write("journal/" + std::to_string(page) + ".html", outs[w].Bytes());
        });
    if (club.hasArchive) {
        auto batch = std::make_shared<std::vector<PackedRecord>>();
        qsizetype bytes = 0;
        const auto post = [&] {
            workers.Post([&, batch](size_t w) { WriteGames(site, *batch, audits[w], outs[w], writer); });
            batch = std::make_shared<std::vector<PackedRecord>>();
            bytes = 0;
        };
        ForEachRecord(connection, [&](qint64 code, const QByteArray& packed) {
            const auto game =
                std::lower_bound(club.games.begin(), club.games.end(), code,
                                 [](const JournalGame& g, qint64 c) { return g.code < c; });
            // A record whose journal row is gone belongs to no game of the journal.
            if (game == club.games.end() || game->code != code)
                return;
            if (!batch->empty() && (GameFolder(batch->back().game->code) != GameFolder(code) ||
                                    bytes >= BatchBytes))
                post();
            batch->push_back({&*game, packed});
            bytes += packed.size();
        });
        post();
    }
    workers.Wait();
    DiceAudit audit;
    for (const DiceAudit& part : audits)
        audit.Add(part);
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
                       .arg(club.archived)};
    } catch (const db::DbError& error) {
        return {1, QString::fromUtf8(error.what())};
    } catch (const std::runtime_error& error) {
        return {1, QString::fromUtf8(error.what())};
    }
}

} // namespace report
