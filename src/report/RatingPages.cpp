#include "db/NameCollation.h"
#include "report/Html.h"
#include "report/Pages.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

void AddPlayerLink(HtmlOut& out, const Club& club, qint64 code, std::string_view root) {
    if (club.IsComputer(code) || !club.names.count(code)) {
        AddName(out, club, code);
        return;
    }
    out.Raw("<a href=\"").Raw(root).Raw("players/").Int(code).Raw(".html\">");
    AddName(out, club, code);
    out.Raw("</a>");
}

// Where a game shows the loser's checkers left, a match shows its length
// and score: "матч до 5, 5:3", the winner's score first unless the row is
// the loser's own.
void AddMargin(HtmlOut& out, const JournalGame& game, bool loserFirst = false) {
    if (game.match.length == 0) {
        out.Int(game.margin);
        return;
    }
    const MatchScore& score = game.match;
    out.Raw("матч до ").Int(score.length).Raw(", ");
    out.Int(loserFirst ? score.loser : score.winner).Raw(":");
    out.Int(loserFirst ? score.winner : score.loser);
}

// "<td data-label=...>", the cell's text to follow.
HtmlOut& Td(HtmlOut& out, std::string_view label, bool number = false) {
    return out.Raw("<td data-label=\"").Raw(label).Raw(number ? "\" class=\"n\">" : "\">");
}

const PlayerStats& StatsOf(const Site& site, qint64 code) {
    static const PlayerStats none;
    const auto it = site.stats.constFind(code);
    return it != site.stats.constEnd() ? *it : none;
}

// The newest games of the journal, below the ratings.
void RecentGames(const Site& site, HtmlOut& out) {
    const Club& club = site.club;
    if (club.games.empty())
        return;
    out.Raw(
        "<section class=\"recent\"><h2>Последние партии</h2><table class=\"cards\">"
        "<caption>Последние партии, сначала новые</caption><thead><tr>"
        "<th scope=\"col\" class=\"n\">Партия</th><th scope=\"col\">Дата</th>"
        "<th scope=\"col\">Победитель</th><th scope=\"col\">Проигравший</th></tr></thead><tbody>");
    const size_t shown = std::min<size_t>(club.games.size(), RecentGameRows);
    for (size_t i = club.games.size(); i-- > club.games.size() - shown;) {
        const JournalGame& g = club.games[i];
        AddGameLink(Td(out.Raw("<tr>"), "Партия", true), g, "");
        Td(out.Raw("</td>"), "Дата").Text(g.date).Raw("</td>");
        AddPlayerLink(Td(out, "Победитель"), club, g.winner, "");
        AddPlayerLink(Td(out.Raw("</td>"), "Проигравший"), club, g.loser, "");
        out.Raw("</td></tr>");
    }
    out.Raw("</tbody></table><p><a href=\"journal/index.html\">Весь журнал</a></p></section>");
}

} // namespace

void AddGameLink(HtmlOut& out, const JournalGame& game, std::string_view root) {
    if (!game.archived) {
        out.Int(game.code);
        return;
    }
    out.Raw("<a href=\"").Raw(root).Raw(GamePath(game.code)).Raw("\">").Int(game.code).Raw("</a>");
}

void RatingPage(const Site& site, SiteWriter::File& file) {
    const Club& club = site.club;
    HtmlOut out;
    PageHead(out, QStringLiteral("Рейтинг"), "");
    out.Raw("<p>Игроков: ").Int(qint64(club.ratings.size())).Raw(". Партий в журнале: ");
    out.Int(qint64(club.games.size()));
    out.Raw(".</p>");
    TournamentLinks(out, club);
    out.Raw("<label class=\"search\">Найти игрока<input type=\"search\" "
            "data-filter=\"ratings\" autocomplete=\"off\"></label><table id=\"ratings\" "
            "class=\"sortable cards\"><caption>Рейтинг игроков: по очкам, при равенстве по имени"
            "</caption><thead><tr>");
    static constexpr std::string_view labels[] = {
        "Место",    "Игрок", "Очки", "Партий", "Побед над людьми", "Поражений от людей",
        "Побед над компьютером", "Поражений от компьютера", "Последняя партия"};
    for (size_t i = 0; i < std::size(labels); ++i)
        out.Raw(i != 1 && i != 8 ? "<th scope=\"col\" class=\"n\" data-sort>"
                                 : "<th scope=\"col\" data-sort>")
            .Raw(labels[i])
            .Raw("</th>");
    out.Raw("</tr></thead><tbody>");
    // The cells' labels on a phone come from the style: a label in each of a
    // hundred thousand rows would double the page.
    const auto number = [&](qint64 value) { out.Raw("<td class=\"n\">").Int(value).Raw("</td>"); };
    const std::vector<int>& ranks = site.ranks;
    // A hundred thousand rows go to the file as they are made, not as one string.
    for (size_t i = 0; i < club.ratings.size(); ++i) {
        const Player& p = club.ratings[i];
        const PlayerStats& s = StatsOf(site, p.code);
        const QByteArray name = Escape(p.name).toUtf8();
        const std::string_view escaped(name.constData(), size_t(name.size()));
        out.Raw("<tr data-name=\"").Raw(escaped).Raw("\">");
        number(ranks[i]);
        out.Raw("<td>");
        if (club.IsComputer(p.code) || !club.names.count(p.code))
            out.Raw(escaped);
        else
            out.Raw("<a href=\"players/").Int(p.code).Raw(".html\">").Raw(escaped).Raw("</a>");
        out.Raw("</td>");
        number(p.points);
        number(s.games);
        number(s.winsPeople);
        number(s.lossesPeople);
        number(s.winsComputer);
        number(s.lossesComputer);
        out.Raw("<td data-key=\"");
        out.Text(DateKey(QString::fromStdString(s.lastDate)));
        out.Raw("\">").Text(s.lastDate).Raw("</td></tr>");
        if (out.Size() >= (1 << 20)) {
            file.Append(out.Bytes());
            out.Clear();
        }
    }
    out.Raw("</tbody></table>");
    RecentGames(site, out);
    PageTail(out, "", site.made);
    file.Append(out.Bytes());
    file.Close();
}

// No place: one game moves the place of every player whose points it passes,
// and each of their pages would be made again.
void PlayerPage(const Site& site, const Player& player, HtmlOut& out) {
    const Club& club = site.club;
    const PlayerStats& s = StatsOf(site, player.code);
    PageHead(out, player.name, "../");
    out.Raw("<p>Очки: ").Int(player.points).Raw(". Партий в журнале: ").Int(s.games).Raw(".</p>");
    if (site.history.shift.contains(player.code))
        out.Raw("<p class=\"note\">Журнал очищался, и его партии с начала не сохранились: "
                "график пересчитан по оставшимся партиям и сдвинут на ")
            .Int(site.history.shift.value(player.code))
            .Raw(" так, чтобы он кончался на сегодняшних очках.</p>");
    std::vector<qint64> points, codes;
    std::vector<std::string_view> dates;
    struct Pair {
        qint64 wins = 0;
        qint64 losses = 0;
    };
    QHash<qint64, Pair> pairs;
    HtmlOut rows;
    // The log's corrections of this player, each in its place among the games.
    std::vector<quint32> corrections;
    for (const quint32 c : site.history.correctionOrder)
        if (club.corrections[c].player == player.code)
            corrections.push_back(c);
    auto correction = corrections.begin();
    const auto correctionRows = [&](qint64 upTo) {
        for (; correction != corrections.end() && club.corrections[*correction].after < upTo;
             ++correction) {
            const ClubCorrection& c = club.corrections[*correction];
            rows.Raw("<tr class=\"correction\">");
            Td(rows, "Партия", true).Raw("</td>");
            Td(rows, "Дата").Text(c.date).Raw("</td>");
            Td(rows, "Соперник").Raw("</td>");
            Td(rows, "Итог").Text(c.text).Raw("</td>");
            Td(rows, "Фишек", true).Raw("</td>");
            Td(rows, "Очки после", true)
                .Int(site.history.correctionAfter[*correction])
                .Raw("</td></tr>");
        }
    };
    for (const quint32 index : s.gameIndexes) {
        const JournalGame& g = club.games[index];
        correctionRows(g.code);
        const bool won = g.winner == player.code;
        const qint64 after = won ? site.history.winnerAfter[index] : site.history.loserAfter[index];
        const qint64 opponent = won ? g.loser : g.winner;
        points.push_back(after);
        codes.push_back(g.code);
        dates.push_back(g.date);
        (won ? pairs[opponent].wins : pairs[opponent].losses)++;
        rows.Raw("<tr>");
        AddGameLink(Td(rows, "Партия", true), g, "../");
        Td(rows.Raw("</td>"), "Дата").Text(g.date).Raw("</td>");
        AddPlayerLink(Td(rows, "Соперник"), club, opponent, "../");
        Td(rows.Raw("</td>"), "Итог").Raw(won ? "победа" : "поражение");
        rows.Raw(club.reversed.count(g.code) ? " (отменена)</td>" : "</td>");
        AddMargin(Td(rows, "Фишек", true), g, !won);
        rows.Raw("</td>");
        Td(rows, "Очки после", true).Int(after).Raw("</td></tr>");
    }
    correctionRows(std::numeric_limits<qint64>::max());
    RatingChart(out.Raw("<figure>"), points, codes, dates);
    out.Raw("<figcaption>Очки после каждой партии, по порядку журнала.</figcaption></figure>");
    std::vector<qint64> opponents(pairs.keyBegin(), pairs.keyEnd());
    {
        // Each name copied once, not at every comparison.
        std::vector<std::pair<QString, qint64>> named;
        for (const qint64 o : opponents)
            named.emplace_back(NameOf(club, o), o);
        std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
            return db::CompareNames(a.first, b.first) < 0;
        });
        for (size_t i = 0; i < named.size(); ++i)
            opponents[i] = named[i].second;
    }
    out.Raw("<table class=\"cards\"><caption>Личные встречи</caption><thead><tr>"
            "<th scope=\"col\">Соперник</th><th scope=\"col\" class=\"n\">Побед</th>"
            "<th scope=\"col\" class=\"n\">Поражений</th></tr></thead><tbody>");
    for (const qint64 o : opponents) {
        AddPlayerLink(Td(out.Raw("<tr>"), "Соперник"), club, o, "../");
        Td(out.Raw("</td>"), "Побед", true).Int(pairs[o].wins).Raw("</td>");
        Td(out, "Поражений", true).Int(pairs[o].losses).Raw("</td></tr>");
    }
    out.Raw("</tbody></table><table class=\"cards\"><caption>Партии по порядку журнала"
            "</caption><thead><tr><th scope=\"col\" class=\"n\">Партия</th>"
            "<th scope=\"col\">Дата</th><th scope=\"col\">Соперник</th>"
            "<th scope=\"col\">Итог</th><th scope=\"col\" class=\"n\">Фишек</th>"
            "<th scope=\"col\" class=\"n\">Очки после</th></tr></thead><tbody>");
    out.Raw(rows.Bytes()).Raw("</tbody></table>");
    PageTail(out, "../", site.made);
}

int JournalPageCount(const Club& club) {
    return std::max<int>(1, int((club.games.size() + JournalPageRows - 1) / JournalPageRows));
}

// A page holds the same games however many come after them, and says
// nothing of the page count: new games change the newest page only.
void JournalPage(const Site& site, int page, HtmlOut& out) {
    const Club& club = site.club;
    const int pages = JournalPageCount(club);
    HtmlOut pager;
    pager.Raw("<nav class=\"pager\" aria-label=\"Страницы журнала\">Страница ").Int(page);
    pager.Raw(".");
    const auto link = [&](std::string_view file, int to, std::string_view text) {
        pager.Raw(" <a href=\"");
        (to > 0 ? pager.Int(to).Raw(".html") : pager.Raw(file)).Raw("\">").Raw(text).Raw("</a>");
    };
    if (page < pages) {
        link(JournalNewest, 0, "последние");
        link({}, page + 1, "новее");
    }
    if (page > 1) {
        link({}, page - 1, "старше");
        link({}, 1, "первые");
    }
    pager.Raw("</nav>");
    PageHead(out, QStringLiteral("Журнал"), "../");
    out.Raw(pager.Bytes());
    out.Raw("<table class=\"cards\"><caption>Партии, сначала новые</caption>"
            "<thead><tr><th scope=\"col\" class=\"n\">Партия</th>"
            "<th scope=\"col\">Дата</th><th scope=\"col\">Победитель</th>"
            "<th scope=\"col\">Проигравший</th><th scope=\"col\" class=\"n\">Фишек</th>"
            "<th scope=\"col\" class=\"n\">Очков победителю</th></tr></thead><tbody>");
    const qsizetype oldest = qsizetype(page - 1) * JournalPageRows;
    const qsizetype newest = std::min(qsizetype(club.games.size()), oldest + JournalPageRows) - 1;
    for (qsizetype i = newest; i >= oldest; --i) {
        const JournalGame& g = club.games[size_t(i)];
        AddGameLink(Td(out.Raw("<tr>"), "Партия", true), g, "../");
        Td(out.Raw("</td>"), "Дата").Text(g.date).Raw("</td>");
        AddPlayerLink(Td(out, "Победитель"), club, g.winner, "../");
        AddPlayerLink(Td(out.Raw("</td>"), "Проигравший"), club, g.loser, "../");
        AddMargin(Td(out.Raw("</td>"), "Фишек", true), g);
        out.Raw("</td>");
        Td(out, "Очков победителю", true).Int(g.award);
        out.Raw(club.reversed.count(g.code) ? " (отменена)</td></tr>" : "</td></tr>");
    }
    out.Raw("</tbody></table>").Raw(pager.Bytes());
    PageTail(out, "../", site.made);
}

} // namespace report
