#include "report/GamePages.h"

#include "record/MatchRecord.h"
#include "record/PackedRecord.h"
#include "record/RecordText.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <memory>

namespace report {

namespace {

// Records go to the workers a folder of game pages at a time (two workers
// making files in one folder wait on each other in the kernel), or less
// where the records are big; few batches wait.
constexpr qsizetype BatchBytes = 8 << 20;

struct PackedRecord {
    const JournalGame* game;
    QByteArray packed;
};

// What a worker keeps of its own across its jobs.
struct WorkerState {
    std::map<qint64, FolderMade> folders;
    HtmlOut out;
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
        FolderMade& folder = state.folders[GameFolder(item.game->code)];
        RecordRead read;
        std::optional<QString> text = record::UnpackRecord(item.packed);
        if (!text) {
            folder.unreadable.push_back(item.game->code);
            continue;
        }
        read.text = std::move(*text);
        read.isMatch = record::IsMatchText(read.text);
        if (read.isMatch) {
            read.match = record::ReadMatch(read.text, /*checkRules*/ false, read.error);
            if (read.match) {
                for (const record::MatchGame& g : read.match->games)
                    folder.audit.Add(g.game);
                folder.matches.push_back({item.game->code, MatchScoreOf(*read.match)});
            }
        } else {
            read.game = record::ReplayRecord(read.text, read.error);
            if (read.game)
                folder.audit.Add(*read.game);
        }
        state.out.Clear();
        GamePage(site, *item.game, read, state.out);
        writer.Write(GamePath(item.game->code), state.out.Bytes());
    }
}

void AddCounts(QDataStream& out, const DiceCounts& counts) {
    for (const qint64 n : counts.rolls)
        out << n;
    for (const qint64 n : counts.faces)
        out << n;
    out << counts.total;
}

void ReadCounts(QDataStream& in, DiceCounts& counts) {
    for (qint64& n : counts.rolls)
        in >> n;
    for (qint64& n : counts.faces)
        in >> n;
    in >> counts.total;
}

} // namespace

UnitDigests GameFolderDigests(const Club& club, const std::vector<quint64>& rows) {
    UnitDigests units;
    Digest d;
    qint64 folder = -1;
    for (size_t i = 0; i < club.games.size(); ++i) {
        const JournalGame& game = club.games[i];
        if (!game.archived)
            continue;
        if (GameFolder(game.code) != folder) {
            if (folder >= 0)
                units.emplace_hint(units.end(), folder, d.Value());
            folder = GameFolder(game.code);
            d = Digest();
        }
        d.Word(rows[i]).Word(game.recordKey);
    }
    if (folder >= 0)
        units.emplace_hint(units.end(), folder, d.Value());
    return units;
}

QByteArray KeptOf(const FolderMade& made) {
    QByteArray kept;
    QDataStream out(&kept, QIODevice::WriteOnly);
    out << made.audit.games;
    for (const DiceCounts* counts : {&made.audit.all, &made.audit.computer, &made.audit.people})
        AddCounts(out, *counts);
    out << quint32(made.unreadable.size());
    for (const qint64 code : made.unreadable)
        out << code;
    out << quint32(made.matches.size());
    for (const auto& [code, score] : made.matches)
        out << code << qint32(score.length) << qint32(score.winner) << qint32(score.loser);
    return kept;
}

std::optional<FolderMade> FolderFromKept(const QByteArray& kept) {
    FolderMade made;
    QDataStream in(kept);
    in >> made.audit.games;
    for (DiceCounts* counts : {&made.audit.all, &made.audit.computer, &made.audit.people})
        ReadCounts(in, *counts);
    quint32 count = 0;
    in >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i)
        in >> made.unreadable.emplace_back();
    count = 0;
    in >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint64 code = 0;
        qint32 length = 0, winner = 0, loser = 0;
        in >> code >> length >> winner >> loser;
        made.matches.push_back({code, {length, winner, loser}});
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return made;
}

std::map<qint64, FolderMade> WriteGamePages(const ReadConnection& connection, const Site& site,
                                            Workers& workers, SiteWriter& writer,
                                            const std::vector<qint64>* folders) {
    // The workers' own state outlives them: a failed run stops them first.
    std::vector<WorkerState> states(Workers::Cores());
    auto batch = std::make_shared<std::vector<PackedRecord>>();
    qsizetype bytes = 0;
    const auto post = [&] {
        if (batch->empty())
            return;
        workers.Post([&, batch](size_t w) { WriteGames(site, *batch, states[w], writer); });
        batch = std::make_shared<std::vector<PackedRecord>>();
        bytes = 0;
    };
    const auto visit = [&](qint64 code, const QByteArray& packed) {
        const size_t game = GameIndex(site.club, code);
        // A record whose journal row is gone belongs to no game of the journal.
        if (game == site.club.games.size())
            return;
        if (!batch->empty() &&
            (GameFolder(batch->back().game->code) != GameFolder(code) || bytes >= BatchBytes))
            post();
        batch->push_back({&site.club.games[game], packed});
        bytes += packed.size();
    };
    if (!folders)
        ForEachRecord(connection, visit);
    else
        for (const qint64 folder : *folders)
            ForEachRecordBetween(connection, folder * GamesPerFolder,
                                 (folder + 1) * GamesPerFolder, visit);
    post();
    workers.Wait();
    std::map<qint64, FolderMade> made;
    if (folders)
        for (const qint64 folder : *folders)
            made[folder];
    for (WorkerState& state : states)
        for (auto& [folder, part] : state.folders) {
            FolderMade& whole = made[folder];
            whole.audit.Add(part.audit);
            whole.unreadable.insert(whole.unreadable.end(), part.unreadable.begin(),
                                    part.unreadable.end());
            whole.matches.insert(whole.matches.end(), part.matches.begin(), part.matches.end());
        }
    for (auto& [folder, whole] : made) {
        std::sort(whole.unreadable.begin(), whole.unreadable.end());
        std::sort(whole.matches.begin(), whole.matches.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    return made;
}

} // namespace report
