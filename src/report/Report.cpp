#include "report/Report.h"

#include "db/DbError.h"
#include "report/ClubLook.h"
#include "report/GamePages.h"
#include "report/PageGroups.h"
#include "report/SiteState.h"
#include "report/Workers.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace report {

namespace {

constexpr size_t QueuedBatches = 6;
// Not pages: the names every page shows, so that a renamed player is seen.
constexpr char NamesGroup[] = "names";
// Nor this: the club's name, logo and colours every page shows.
constexpr char LookGroup[] = "look";

UnitDigests LookDigest() {
    const ClubLook& look = CurrentClubLook();
    Digest d;
    d.Text(look.name).Bytes({look.logo.constData(), size_t(look.logo.size())});
    d.Text(look.logoSuffix).Text(look.accent).Text(look.background);
    return {{0, d.Value()}};
}

UnitDigests NameDigests(const Club& club) {
    UnitDigests units;
    for (const auto& [code, name] : club.names)
        units.emplace(code, Digest().Bytes(name).Value());
    return units;
}

SiteState::Units AsUnits(const UnitDigests& digests) {
    SiteState::Units units;
    for (const auto& [key, digest] : digests)
        units.emplace_hint(units.end(), key, SiteState::Unit{digest, {}});
    return units;
}

// Why the site cannot be updated from its state; empty: it can.
QString FullRunBecause(const SiteState& old, const Club& club, const UnitDigests& names) {
    const bool had = old.lastCode != 0;
    if (had && (GameIndex(club, old.firstCode) == club.games.size() ||
                GameIndex(club, old.lastCode) == club.games.size()))
        return QStringLiteral("the journal was cleared");
    const auto oldNames = old.groups.find(NamesGroup);
    const auto oldLook = old.groups.find(LookGroup);
    if (oldNames == old.groups.end() || oldLook == old.groups.end())
        return QStringLiteral("the site's state is damaged");
    if (oldLook->second != AsUnits(LookDigest()))
        return QStringLiteral("the club's name, logo or colours changed");
    for (const auto& [code, unit] : oldNames->second) {
        const auto now = names.find(code);
        if (now == names.end())
            return QStringLiteral("player %1 was deleted").arg(code);
        if (now->second != unit.digest)
            return QStringLiteral("player %1 was renamed").arg(code);
    }
    return {};
}

// The units to make: all of them in a full run, else the new and the changed.
std::vector<qint64> Changed(const UnitDigests& now, const SiteState::Units* old) {
    std::vector<qint64> units;
    for (const auto& [key, digest] : now) {
        if (old) {
            const auto before = old->find(key);
            if (before != old->end() && before->second.digest == digest)
                continue;
        }
        units.push_back(key);
    }
    return units;
}


// One run of the writers: what it made goes into state, what is gone into stale.
class SiteRun {
  public:
    SiteRun(const ReadConnection& connection, Club& club, Site& site, SiteWriter& writer,
            const SiteState* old, const UnitDigests& names)
        : connection_(connection), club_(club), site_(site), writer_(writer), old_(old),
          names_(names) {}

    SiteState Make() {
        SiteState state;
        if (!club_.games.empty()) {
            state.firstCode = club_.games.front().code;
            state.lastCode = club_.games.back().code;
        }
        // The rows as the records left them; the game pages mark some.
        site_.rows = GameRowDigests(club_);
        // A million rows: the folders' digests on the other core meanwhile.
        std::future<UnitDigests> folders = std::async(std::launch::async, GameFolderDigests,
                                                      std::cref(club_), std::cref(site_.rows));
        state.groups[NamesGroup] = AsUnits(names_);
        state.groups[LookGroup] = AsUnits(LookDigest());
        Workers workers(QueuedBatches);
        for (const PageGroup& group : PageGroups())
            if (!group.afterGames)
                Post(group, group.digests(site_), workers, state);
        DiceAudit audit;
        state.groups[GamesGroup] = GamePagesOf(folders.get(), workers, audit);
        site_.dice = &audit;
        // The other groups' digests at once, each on a core of its own: the
        // club no longer changes.
        std::vector<std::future<UnitDigests>> digests;
        for (const PageGroup& group : PageGroups())
            if (group.afterGames)
                digests.push_back(
                    std::async(std::launch::async, group.digests, std::cref(site_)));
        auto next = digests.begin();
        for (const PageGroup& group : PageGroups())
            if (group.afterGames)
                Post(group, (next++)->get(), workers, state);
        workers.Wait();
        site_.dice = nullptr;
        return state;
    }

    std::vector<std::string> stale; // pages of units gone
    std::vector<std::string> sweep; // folders of game pages made again or gone

  private:
    const SiteState::Units* OldUnits(const std::string& name) const {
        if (!old_)
            return nullptr;
        static const SiteState::Units none;
        const auto it = old_->groups.find(name);
        return it == old_->groups.end() ? &none : &it->second;
    }

    void Post(const PageGroup& group, const UnitDigests& digests, Workers& workers,
              SiteState& state) {
        const SiteState::Units* old = OldUnits(group.name);
        if (old)
            for (const auto& [key, unit] : *old)
                if (!digests.count(key))
                    stale.push_back(group.path(key));
        const auto units = std::make_shared<std::vector<qint64>>(Changed(digests, old));
        for (size_t from = 0; from < units->size(); from += group.batch)
            workers.Post([this, &group, units, from](size_t) {
                static thread_local HtmlOut out;
                const auto first = units->begin() + qsizetype(from);
                const std::vector<qint64> batch(
                    first, first + qsizetype(std::min(group.batch, units->size() - from)));
                group.write(site_, batch, writer_, out);
            });
        state.groups[group.name] = AsUnits(digests);
    }

    // The game pages of the folders that changed; the others' rolls,
    // unreadable records and matches' scores come from the state.
    SiteState::Units GamePagesOf(const UnitDigests& digests, Workers& workers, DiceAudit& audit) {
        const SiteState::Units* old = OldUnits(GamesGroup);
        std::vector<qint64> folders = Changed(digests, old);
        std::map<qint64, FolderMade> kept;
        if (old)
            for (const auto& [folder, unit] : *old) {
                if (!digests.count(folder)) {
                    sweep.push_back(FolderPath(folder));
                    continue;
                }
                if (unit.digest != digests.at(folder))
                    continue;
                std::optional<FolderMade> made = FolderFromKept(unit.kept);
                if (made)
                    kept.emplace(folder, std::move(*made));
                else
                    folders.insert(std::upper_bound(folders.begin(), folders.end(), folder),
                                   folder);
            }
        std::map<qint64, FolderMade> made =
            WriteGamePages(connection_, site_, workers, writer_, old ? &folders : nullptr);
        if (old)
            for (const qint64 folder : folders)
                sweep.push_back(FolderPath(folder));
        made.merge(kept);
        SiteState::Units units;
        for (const auto& [folder, digest] : digests) {
            const FolderMade& part = made[folder];
            audit.Add(part.audit);
            for (const qint64 code : part.unreadable)
                Marked(code, [&] { MarkRecordUnreadable(club_, code); });
            for (const auto& [code, score] : part.matches)
                Marked(code, [&] { MarkMatch(club_, code, score); });
            units.emplace_hint(units.end(), folder, SiteState::Unit{digest, KeptOf(part)});
        }
        return units;
    }

    // A journal row the game pages changed, with its digest.
    void Marked(qint64 code, const std::function<void()>& mark) {
        mark();
        const size_t i = GameIndex(club_, code);
        if (i < club_.games.size())
            site_.rows[i] = GameRowDigest(club_, club_.games[i]);
    }

    static std::string FolderPath(qint64 folder) {
        const std::string page = GamePath(folder * GamesPerFolder);
        return page.substr(0, page.rfind('/'));
    }

    const ReadConnection& connection_;
    Club& club_;
    Site& site_;
    SiteWriter& writer_;
    const SiteState* old_;
    const UnitDigests& names_;
};

} // namespace

QString ClubFileOf(const QString& programFolder) {
    const QString path = QDir(programFolder).filePath(QStringLiteral("Data/Club.cfg"));
    return QFileInfo::exists(path) ? path : QString();
}

ReportResult MakeReport(const db::DatabaseChoice& choice, const QString& dir,
                        const ReportOptions& options) {
    QStringList warnings;
    SetClubLook(options.clubFile.isEmpty() ? ClubLook() : ReadClubLook(options.clubFile, warnings));
    try {
        // Everything the pages need but the records is read before a file is made.
        const ReadConnection connection(choice);
        Club club = ReadClub(connection);
        club.tournaments = ReadTournaments(choice);
        const UnitDigests names = NameDigests(club);
        QString fullRun;
        std::optional<SiteState> old;
        if (options.full)
            fullRun = QStringLiteral("asked for with --full");
        else if (!SiteWriter::IsSite(dir))
            fullRun = QStringLiteral("the folder holds no club page yet");
        else if ((old = LoadState(dir, fullRun)))
            fullRun = FullRunBecause(*old, club, names);
        if (!fullRun.isEmpty())
            old.reset();
        // Two passes over the whole journal, one on each core.
        std::future<History> replayed =
            std::async(std::launch::async, ReplayHistory, std::cref(club));
        const QHash<qint64, PlayerStats> stats = CountGames(club);
        const History history = replayed.get();
        Site site{club, history, stats,
                  options.made.isEmpty()
                      ? QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy в HH:mm"))
                      : options.made,
                  Ranks(club),
                  {}};
        for (size_t i = 0; i < club.ratings.size(); ++i)
            site.playerAt.emplace(club.ratings[i].code, i);
        SiteWriter writer(dir, old.has_value(), options.fault);
        SiteRun run(connection, club, site, writer, old ? &*old : nullptr, names);
        const SiteState state = run.Make();
        if (old)
            writer.CommitUpdate(run.stale, run.sweep);
        else
            writer.Commit();
        SaveState(dir, state);
        writer.Step("state written");
        QString message =
            QStringLiteral("the club's page is in %1: %2 players, %3 games, %4 with records")
                .arg(dir)
                .arg(club.ratings.size())
                .arg(club.games.size())
                .arg(club.archived);
        if (old)
            message += QStringLiteral("; updated: %1 pages written, %2 removed")
                           .arg(writer.Written())
                           .arg(writer.Removed());
        return {0, message, fullRun, warnings};
    } catch (const db::DbError& error) {
        return {1, QString::fromUtf8(error.what()), {}, warnings};
    } catch (const std::runtime_error& error) {
        return {1, QString::fromUtf8(error.what()), {}, warnings};
    }
}

} // namespace report
