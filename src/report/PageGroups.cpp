#include "report/PageGroups.h"

#include "report/ClubLook.h"

#include <algorithm>
#include <future>
#include <unordered_map>

namespace report {

namespace {

// A player as the pages name and link him.
quint64 PersonDigest(const Club& club, qint64 code) {
    const auto name = club.names.find(code);
    Digest d;
    d.Int(code).Flag(club.IsComputer(code)).Flag(name != club.names.end());
    if (name != club.names.end())
        d.Bytes(name->second);
    return d.Value();
}

void AddPerson(Digest& d, const Club& club, qint64 code) {
    d.Word(PersonDigest(club, code));
}

// Whether codes up to top, count of them, are dense enough for a table by
// code, as the program gives them: a hash lookup would miss the cache at
// each of a million rows.
bool Dense(qint64 top, size_t count) {
    return top >= 0 && size_t(top) <= 4 * count + 1024;
}

// Every person's digest at hand for a million rows: a table by code where
// the codes are dense, else worked out each time.
class Persons {
  public:
    explicit Persons(const Club& club) : club_(club) {
        qint64 top = 0;
        for (const auto& [code, name] : club.names)
            top = std::max(top, code);
        if (Dense(top, club.names.size())) {
            table_.resize(size_t(top) + 1);
            for (qint64 code = 0; code <= top; ++code)
                table_[size_t(code)] = PersonDigest(club, code);
        }
    }
    quint64 Of(qint64 code) const {
        return code >= 0 && size_t(code) < table_.size() ? table_[size_t(code)]
                                                          : PersonDigest(club_, code);
    }

  private:
    const Club& club_;
    std::vector<quint64> table_;
};

quint64 RowDigest(const Club& club, const JournalGame& game, quint64 winner, quint64 loser) {
    Digest d;
    d.Int(game.code).Bytes(game.date).Int(game.margin).Int(game.award).Flag(game.archived);
    d.Int(game.match.length).Int(game.match.winner).Int(game.match.loser);
    d.Flag(club.reversed.count(game.code));
    return d.Word(winner).Word(loser).Value();
}

void AddStats(Digest& d, const Site& site, qint64 code) {
    const auto it = site.stats.constFind(code);
    if (it == site.stats.constEnd()) {
        d.Flag(false);
        return;
    }
    d.Flag(true).Int(it->games).Int(it->winsPeople).Int(it->lossesPeople);
    d.Int(it->winsComputer).Int(it->lossesComputer).Bytes(it->lastDate);
}

std::string Numbered(std::string_view folder, qint64 unit) {
    return std::string(folder) + std::to_string(unit) + ".html";
}

// The rating page: one unit.
UnitDigests RatingDigest(const Site& site) {
    const Club& club = site.club;
    Digest d;
    d.Int(qint64(club.games.size()));
    for (size_t i = 0; i < club.ratings.size(); ++i) {
        const Player& p = club.ratings[i];
        AddPerson(d.Text(p.name).Int(p.points).Int(site.ranks[i]), club, p.code);
        AddStats(d, site, p.code);
    }
    // "Последние партии" and the tournaments' links below and above them.
    for (size_t i = club.games.size() - std::min(club.games.size(), RecentGameRows);
         i < club.games.size(); ++i)
        d.Word(site.rows[i]);
    for (const db::TournamentData& t : club.tournaments)
        d.Int(t.info.code).Text(t.info.name);
    return {{0, d.Value()}};
}

// Where each player's running digest is, by code: a table where the codes
// are dense, else a hash.
class Slots {
  public:
    explicit Slots(const std::vector<Player>& players) {
        qint64 top = 0;
        for (const Player& p : players)
            top = std::max(top, p.code);
        dense_ = Dense(top, players.size());
        if (dense_)
            table_.assign(size_t(top) + 1, -1);
        for (size_t i = 0; i < players.size(); ++i) {
            if (players[i].code < 0)
                continue;
            if (dense_)
                table_[size_t(players[i].code)] = int(i);
            else
                hash_.emplace(players[i].code, int(i));
        }
    }
    int Of(qint64 code) const {
        if (dense_)
            return code >= 0 && size_t(code) < table_.size() ? table_[size_t(code)] : -1;
        const auto it = hash_.find(code);
        return it == hash_.end() ? -1 : it->second;
    }

  private:
    bool dense_ = false;
    std::vector<int> table_;
    std::unordered_map<qint64, int> hash_;
};

UnitDigests PlayerDigests(const Site& site) {
    const Club& club = site.club;
    // Each player's games, with his points after each, digested in one pass
    // over the journal in its order: a player's rows are scattered through a
    // million, the running digests of 100,000 players are not.
    const Slots places(club.ratings);
    std::vector<Digest> games(club.ratings.size());
    for (size_t i = 0; i < club.games.size(); ++i) {
        const JournalGame& g = club.games[i];
        if (const int w = places.Of(g.winner); w >= 0)
            games[size_t(w)].Word(site.rows[i]).Int(site.history.winnerAfter[i]);
        if (const int l = g.loser == g.winner ? -1 : places.Of(g.loser); l >= 0)
            games[size_t(l)].Word(site.rows[i]).Int(site.history.loserAfter[i]);
    }
    UnitDigests units;
    for (size_t i = 0; i < club.ratings.size(); ++i) {
        const Player& p = club.ratings[i];
        Digest d;
        AddPerson(d.Text(p.name).Int(p.points), club, p.code);
        d.Flag(site.history.shift.contains(p.code)).Int(site.history.shift.value(p.code));
        AddStats(d, site, p.code);
        units.emplace(p.code, d.Word(games[i].Value()).Value());
    }
    // The log's corrections, each on its player's page.
    for (const quint32 c : site.history.correctionOrder) {
        const ClubCorrection& correction = club.corrections[c];
        const auto unit = units.find(correction.player);
        if (unit == units.end())
            continue;
        Digest d;
        d.Word(unit->second).Int(correction.after).Bytes(correction.date).Bytes(correction.text);
        unit->second = d.Int(site.history.correctionAfter[c]).Value();
    }
    return units;
}

void WritePlayers(const Site& site, const std::vector<qint64>& units, SiteWriter& writer,
                  HtmlOut& out) {
    for (const qint64 code : units) {
        const size_t i = site.playerAt.at(code);
        out.Clear();
        PlayerPage(site, site.club.ratings[i], out);
        writer.Write(Numbered("players/", code), out.Bytes());
    }
}

// Unit 0 is the newest page again, under the name the menu leads to.
UnitDigests JournalDigests(const Site& site) {
    const Club& club = site.club;
    const int pages = JournalPageCount(club);
    UnitDigests units;
    for (int page = 1; page <= pages; ++page) {
        Digest d;
        d.Int(page).Flag(page == pages);
        const size_t oldest = size_t(page - 1) * JournalPageRows;
        for (size_t i = oldest; i < std::min(club.games.size(), oldest + JournalPageRows); ++i)
            d.Word(site.rows[i]);
        units.emplace(page, d.Value());
    }
    units.emplace(0, Digest().Word(units.rbegin()->second).Value());
    return units;
}

std::string JournalPath(qint64 unit) {
    return unit == 0 ? "journal/" + std::string(JournalNewest) : Numbered("journal/", unit);
}

void WriteJournal(const Site& site, const std::vector<qint64>& units, SiteWriter& writer,
                  HtmlOut& out) {
    for (const qint64 unit : units) {
        out.Clear();
        JournalPage(site, unit == 0 ? JournalPageCount(site.club) : int(unit), out);
        writer.Write(JournalPath(unit), out.Bytes());
    }
}

void AddCounts(Digest& d, const DiceCounts& counts) {
    for (const qint64 n : counts.rolls)
        d.Int(n);
    for (const qint64 n : counts.faces)
        d.Int(n);
    d.Int(counts.total);
}

UnitDigests DiceDigest(const Site& site) {
    Digest d;
    d.Int(qint64(site.club.games.size())).Int(site.dice->games);
    for (const DiceCounts* counts : {&site.dice->all, &site.dice->computer, &site.dice->people})
        AddCounts(d, *counts);
    return {{0, d.Value()}};
}

void AddEntrant(Digest& d, const Club& club, const db::TournamentEntry& e) {
    d.Int(e.seed).Text(e.name).Int(e.points).Flag(e.withdrawn);
    AddPerson(d, club, e.player);
}

UnitDigests TournamentDigests(const Site& site) {
    const Club& club = site.club;
    UnitDigests units;
    for (const db::TournamentData& t : club.tournaments) {
        Digest d;
        d.Text(t.info.name).Int(int(t.info.system)).Int(t.info.rounds).Flag(t.info.started);
        for (const db::TournamentEntry& e : t.entries)
            AddEntrant(d, club, e);
        for (const db::TournamentPairing& p : t.pairings) {
            d.Int(p.round).Int(p.board).Int(p.first).Int(p.second).Int(p.winner);
            d.Flag(p.forfeit).Text(p.claim).Int(p.game);
            // Its game links to its page when it has one.
            const size_t game = p.game ? GameIndex(club, p.game) : club.games.size();
            d.Flag(game < club.games.size() && club.games[game].archived);
        }
        units.emplace(t.info.code, d.Value());
    }
    return units;
}

void WriteTournaments(const Site& site, const std::vector<qint64>& units, SiteWriter& writer,
                      HtmlOut& out) {
    for (const qint64 code : units)
        for (const db::TournamentData& t : site.club.tournaments)
            if (t.info.code == code) {
                out.Clear();
                TournamentPage(site, t, out);
                writer.Write(TournamentPath(code), out.Bytes());
            }
}

// The style, the script and the board's field: the same for every club.
const std::vector<std::pair<std::string, QByteArray>>& Files() {
    static const std::vector<std::pair<std::string, QByteArray>> files{
        {"style.css", StyleSheet()},
        {"report.js", Script()},
        {std::string(BoardPictureName), QByteArray::fromStdString(BoardPicture())}};
    return files;
}

// After them, the club's logo when it has one.
const QByteArray& FileContent(qint64 unit) {
    return size_t(unit) < Files().size() ? Files()[size_t(unit)].second : CurrentClubLook().logo;
}

std::string FilePath(qint64 unit) {
    return size_t(unit) < Files().size() ? Files()[size_t(unit)].first
                                         : CurrentClubLook().LogoName().toStdString();
}

UnitDigests FileDigests(const Site&) {
    UnitDigests units;
    const qint64 count = qint64(Files().size()) + (CurrentClubLook().logo.isEmpty() ? 0 : 1);
    for (qint64 unit = 0; unit < count; ++unit) {
        const QByteArray& content = FileContent(unit);
        units.emplace(unit, Digest().Bytes({content.constData(), size_t(content.size())}).Value());
    }
    return units;
}

} // namespace

quint64 GameRowDigest(const Club& club, const JournalGame& game) {
    return RowDigest(club, game, PersonDigest(club, game.winner), PersonDigest(club, game.loser));
}

std::vector<quint64> GameRowDigests(const Club& club) {
    const Persons persons(club);
    std::vector<quint64> rows(club.games.size());
    // A million rows: half on each core.
    const auto digest = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const JournalGame& game = club.games[i];
            rows[i] = RowDigest(club, game, persons.Of(game.winner), persons.Of(game.loser));
        }
    };
    const size_t half = rows.size() / 2;
    std::future<void> first = std::async(std::launch::async, digest, 0, half);
    digest(half, rows.size());
    first.get();
    return rows;
}

const std::vector<PageGroup>& PageGroups() {
    static const std::vector<PageGroup> groups{
        {"ratings", RatingDigest, [](qint64) { return std::string("index.html"); },
         [](const Site& site, const std::vector<qint64>&, SiteWriter& writer, HtmlOut&) {
             SiteWriter::File file(writer, "index.html");
             RatingPage(site, file);
         }},
        {"players", PlayerDigests, [](qint64 code) { return Numbered("players/", code); },
         WritePlayers, 256},
        {"journal", JournalDigests, JournalPath, WriteJournal},
        {"dice", DiceDigest, [](qint64) { return std::string("dice.html"); },
         [](const Site& site, const std::vector<qint64>&, SiteWriter& writer, HtmlOut&) {
             writer.Write(QStringLiteral("dice.html"), DicePage(site, *site.dice));
         }},
        {"tournaments", TournamentDigests, TournamentPath, WriteTournaments},
        {"files", FileDigests, FilePath,
         [](const Site&, const std::vector<qint64>& units, SiteWriter& writer, HtmlOut&) {
             for (const qint64 unit : units)
                 writer.Write(QString::fromStdString(FilePath(unit)), FileContent(unit));
         },
         1, false},
    };
    return groups;
}

} // namespace report
