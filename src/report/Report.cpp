#include "report/Report.h"

#include "db/DbError.h"
#include "record/MatchRecord.h"
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

// What a worker keeps of its own across its jobs.
struct WorkerState {
    DiceAudit audit;
    HtmlOut out;
    std::vector<qint64> unreadable; // games whose record bytes are damaged
    std::vector<std::pair<qint64, MatchScore>> matches; // the journal's rows that are matches
};

// The journal's winner is the match's, by the score's difference: the
// higher score is the winner's, whatever the names in the record.
MatchScore MatchScoreOf(const record::MatchRecord& match) {
    const auto [first, second] = match.Score();
    return {match.length, std::max(first, second), std::min(first, second)};
}

// A game page per record: read back (a match's text as a match), counted for
// the dice, written. A record that does not replay gets a page with its text
// and the reason; damaged bytes get none.
void WriteGames(const Site& site, const std::vector<PackedRecord>& batch, WorkerState& state,
                SiteWriter& writer) {
    for (const PackedRecord& item : batch) {
        RecordRead read;
        std::optional<QString> text = record::UnpackRecord(item.packed);
        if (!text) {
            state.unreadable.push_back(item.game->code);
            continue;
        }
        read.text = std::move(*text);
        read.isMatch = record::IsMatchText(read.text);
        if (read.isMatch) {
            read.match = record::ReadMatch(read.text, /*checkRules*/ false, read.error);
            if (read.match) {
                for (const record::MatchGame& g : read.match->games)
                    state.audit.Add(g.game);
                state.matches.push_back({item.game->code, MatchScoreOf(*read.match)});
            }
        } else {
            read.game = record::ReplayRecord(read.text, read.error);
            if (read.game)
                state.audit.Add(*read.game);
        }
        state.out.Clear();
        GamePage(site, *item.game, read, state.out);
        writer.Write(GamePath(item.game->code), state.out.Bytes());
    }
}

// The archive's records, read in code order, go to the workers a batch at a time.
void PostGamePages(const ReadConnection& connection, const Site& site, Workers& workers,
                   std::vector<WorkerState>& states, SiteWriter& writer) {
    auto batch = std::make_shared<std::vector<PackedRecord>>();
    qsizetype bytes = 0;
    const auto post = [&] {
        workers.Post([&, batch](size_t w) { WriteGames(site, *batch, states[w], writer); });
        batch = std::make_shared<std::vector<PackedRecord>>();
        bytes = 0;
    };
    ForEachRecord(connection, [&](qint64 code, const QByteArray& packed) {
        const size_t game = GameIndex(site.club, code);
        // A record whose journal row is gone belongs to no game of the journal.
        if (game == site.club.games.size())
            return;
        if (!batch->empty() &&
            (GameFolder(batch->back().game->code) != GameFolder(code) || bytes >= BatchBytes))
            post();
        batch->push_back({&site.club.games[game], packed});
        bytes += packed.size();
    });
    post();
}

void WriteSite(const ReadConnection& connection, Club& club, SiteWriter& writer) {
    // Two passes over the whole journal, one on each core.
    std::future<History> replayed = std::async(std::launch::async, ReplayHistory, std::cref(club));
    const QHash<qint64, PlayerStats> stats = CountGames(club);
    const History history = replayed.get();
    const Site site{club, history, stats,
                    QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy в HH:mm"))};
    writer.Write(QStringLiteral("style.css"), StyleSheet());
    writer.Write(QStringLiteral("report.js"), Script());
    writer.Write(BoardPictureName, BoardPicture());
    // The workers' own state outlives them: a failed run stops them first.
    std::vector<WorkerState> states(Workers::Cores());
    Workers workers(QueuedBatches);
    workers.Post([&](size_t) {
        SiteWriter::File file(writer, "index.html");
        RatingPage(site, file);
    });
    // The game pages before the pages that link to them: only reading a
    // record tells that its bytes are damaged, and such a game has no page.
    if (club.hasArchive)
        PostGamePages(connection, site, workers, states, writer);
    workers.Wait();
    for (const WorkerState& state : states)
        for (const qint64 code : state.unreadable)
            MarkRecordUnreadable(club, code);
    for (const WorkerState& state : states)
        for (const auto& [code, score] : state.matches)
            MarkMatch(club, code, score);
    const std::vector<int> ranks = Ranks(club);
    for (size_t from = 0; from < club.ratings.size(); from += PlayerBatch)
        workers.Post([&, from](size_t w) {
            HtmlOut& out = states[w].out;
            for (size_t i = from; i < std::min(from + PlayerBatch, club.ratings.size()); ++i) {
                out.Clear();
                PlayerPage(site, club.ratings[i], ranks[i], out);
                writer.Write("players/" + std::to_string(club.ratings[i].code) + ".html",
                             out.Bytes());
            }
        });
    for (int page = 1; page <= JournalPageCount(club); ++page)
        workers.Post([&, page](size_t w) {
            HtmlOut& out = states[w].out;
            out.Clear();
            JournalPage(site, page, out);
            writer.Write("journal/" + std::to_string(page) + ".html", out.Bytes());
        });
    workers.Wait();
    DiceAudit audit;
    for (const WorkerState& state : states)
        audit.Add(state.audit);
    writer.Write(QStringLiteral("dice.html"), DicePage(site, audit));
}

} // namespace

ReportResult MakeReport(const db::DatabaseChoice& choice, const QString& dir) {
    try {
        // Everything the pages need but the records is read before a file is made.
        const ReadConnection connection(choice);
        Club club = ReadClub(connection);
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
