// The tournaments' pages: standings, crosstable and rounds, read through
// the database layer's tournament store.
#include "db/Unit6.h"
#include "report/Pages.h"

#include <map>

namespace report {

namespace {

HtmlOut& Td(HtmlOut& out, std::string_view label, bool number = false) {
    return out.Raw("<td data-label=\"").Raw(label).Raw(number ? "\" class=\"n\">" : "\">");
}

// A person's name links to the player's page; a computer's has none.
void AddEntryName(HtmlOut& out, const Club& club, const db::TournamentData& t, int seed) {
    for (const db::TournamentEntry& e : t.entries) {
        if (e.seed != seed)
            continue;
        const bool page = !club.IsComputer(e.player) && club.names.count(e.player);
        if (page)
            out.Raw("<a href=\"../players/").Int(e.player).Raw(".html\">");
        out.Text(e.name);
        if (page)
            out.Raw("</a>");
        if (e.withdrawn)
            out.Raw(" (выбыл)");
    }
}

void Standings(HtmlOut& out, const Club& club, const db::TournamentData& t) {
    const std::vector<std::string> headings = tournament::StandingHeadings(t.info.system);
    out.Raw("<table class=\"cards\"><caption>Турнирная таблица: по победам, затем ")
        .Raw(tournament::TieBreakName(t.info.system))
        .Raw(", личные встречи и очки рейтинга</caption><thead><tr>");
    for (const std::string& heading : headings)
        out.Raw("<th scope=\"col\">").Raw(heading).Raw("</th>");
    out.Raw("</tr></thead><tbody>");
    for (const tournament::Standing& s :
         tournament::Standings(t.info.system, t.Players(), t.Games())) {
        out.Raw("<tr>");
        Td(out, headings[0], true).Int(s.place).Raw("</td>");
        Td(out, headings[1]);
        AddEntryName(out, club, t, s.player + 1);
        out.Raw("</td>");
        Td(out, headings[2], true).Int(s.wins).Raw("</td>");
        Td(out, headings[3], true).Int(s.tieBreak).Raw("</td>");
        Td(out, headings[4], true).Int(s.headToHead).Raw("</td>");
        Td(out, headings[5], true).Int(s.rating).Raw("</td></tr>");
    }
    out.Raw("</tbody></table>");
}

void Crosstable(HtmlOut& out, const Club& club, const db::TournamentData& t) {
    const std::vector<tournament::Game> games = t.Games();
    const int n = int(t.entries.size());
    out.Raw("<table class=\"cards\"><caption>Кросстаблица: 1 победа, 0 поражение, + и - "
            "неявка, * партия не сыграна</caption><thead><tr><th scope=\"col\">Игрок</th>");
    for (int c = 1; c <= n; ++c)
        out.Raw("<th scope=\"col\" class=\"n\">").Int(c).Raw("</th>");
    out.Raw("</tr></thead><tbody>");
    for (int r = 1; r <= n; ++r) {
        out.Raw("<tr>");
        Td(out, "Игрок").Int(r).Raw(". ");
        AddEntryName(out, club, t, r);
        out.Raw("</td>");
        for (int c = 1; c <= n; ++c) {
            const std::string label = std::to_string(c);
            Td(out, label, true);
            if (r == c)
                out.Raw("×");
            else
                out.Text(tournament::CrossCell(games, r - 1, c - 1));
            out.Raw("</td>");
        }
        out.Raw("</tr>");
    }
    out.Raw("</tbody></table>");
}

void Round(HtmlOut& out, const Club& club, const db::TournamentData& t, int round) {
    out.Raw("<table class=\"cards\"><caption>Тур ")
        .Int(round)
        .Raw("</caption><thead><tr><th scope=\"col\" class=\"n\">Стол</th><th scope=\"col\">Первый"
             "</th><th scope=\"col\">Второй</th><th scope=\"col\">Результат</th><th scope=\"col\" "
             "class=\"n\">Партия</th></tr></thead><tbody>");
    for (const db::TournamentPairing& p : t.pairings) {
        if (p.round != round)
            continue;
        out.Raw("<tr>");
        Td(out, "Стол", true).Int(p.board).Raw("</td>");
        Td(out, "Первый");
        AddEntryName(out, club, t, p.first);
        out.Raw("</td>");
        Td(out, "Второй");
        AddEntryName(out, club, t, p.second);
        out.Raw("</td>");
        Td(out, "Результат");
        if (p.second == 0)
            out.Raw("свободен от игры");
        else if (p.winner == 0)
            out.Raw("—");
        else
            out.Raw(p.winner == p.first ? "1:0" : "0:1").Raw(p.forfeit ? " (неявка)" : "");
        out.Raw("</td>");
        Td(out, "Партия", true);
        const size_t game = GameIndex(club, p.game);
        if (p.game != 0 && game < club.games.size())
            AddGameLink(out, club.games[game], "../");
        out.Raw("</td></tr>");
    }
    out.Raw("</tbody></table>");
}

} // namespace

std::vector<db::TournamentData> ReadTournaments(const db::DatabaseChoice& choice) {
    db::TDModule module(choice);
    std::vector<db::TournamentData> tournaments;
    for (const db::TournamentInfo& info : db::ListTournaments(module))
        tournaments.push_back(db::ReadTournament(module, info.code));
    return tournaments;
}

std::string TournamentPath(qint64 code) {
    return "tournaments/" + std::to_string(code) + ".html";
}

void TournamentLinks(HtmlOut& out, const Club& club) {
    if (club.tournaments.empty())
        return;
    out.Raw("<p>Турниры: ");
    for (size_t i = 0; i < club.tournaments.size(); ++i) {
        const db::TournamentData& t = club.tournaments[i];
        out.Raw(i ? ", <a href=\"" : "<a href=\"").Raw(TournamentPath(t.info.code)).Raw("\">");
        out.Text(t.info.name).Raw("</a>");
    }
    out.Raw(".</p>");
}

void TournamentPage(const Site& site, const db::TournamentData& t, HtmlOut& out) {
    PageHead(out, t.info.name, "../");
    out.Raw("<p>Система: ")
        .Raw(t.info.system == tournament::System::Swiss ? "швейцарская" : "круговая")
        .Raw(". Туров: ")
        .Int(t.info.rounds)
        .Raw(t.info.started ? "." : ". Турнир ещё не начат.")
        .Raw("</p>");
    Standings(out, site.club, t);
    Crosstable(out, site.club, t);
    int rounds = 0;
    for (const db::TournamentPairing& p : t.pairings)
        rounds = std::max(rounds, p.round);
    for (int round = 1; round <= rounds; ++round)
        Round(out, site.club, t, round);
    PageTail(out, "../", site.made);
}

} // namespace report
