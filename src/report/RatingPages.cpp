#include "db/NameCollation.h"
#include "report/Html.h"
#include "report/Pages.h"

#include <QMap>
#include <algorithm>

namespace report {

namespace {

QString PlayerLink(const Club& club, qint64 code, const QString& root) {
    const QString name = Escape(NameOf(club, code));
    if (code == club.computer || !club.names.contains(code))
        return name;
    return QStringLiteral("<a href=\"%1players/%2.html\">%3</a>").arg(root).arg(code).arg(name);
}

QString GameLink(const Club& club, qint64 code, const QString& root) {
    if (!club.archived.count(code))
        return QString::number(code);
    return QStringLiteral("<a href=\"%1games/%2.html\">%2</a>").arg(root).arg(code);
}

const PlayerStats& StatsOf(const Site& site, qint64 code) {
    static const PlayerStats none;
    const auto it = site.stats.constFind(code);
    return it != site.stats.constEnd() ? *it : none;
}

} // namespace

void RatingPage(const Site& site, SiteWriter::File& file) {
    const Club& club = site.club;
    HtmlOut out;
    PageHead(out, QStringLiteral("Рейтинг"), "");
    out.Raw("<p>Игроков: ").Int(qint64(club.ratings.size())).Raw(". Партий в журнале: ");
    out.Int(qint64(club.games.size()));
    out.Raw(".</p><label class=\"search\">Найти игрока<input type=\"search\" "
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
    const auto number = [&](size_t label, qint64 value) {
        out.Raw("<td data-label=\"").Raw(labels[label]).Raw("\" class=\"n\">").Int(value);
        out.Raw("</td>");
    };
    const std::vector<int> ranks = Ranks(club);
    // A hundred thousand rows go to the file as they are made, not as one string.
    for (size_t i = 0; i < club.ratings.size(); ++i) {
        const Player& p = club.ratings[i];
        const PlayerStats& s = StatsOf(site, p.code);
        const QByteArray name = Escape(p.name).toUtf8();
        const std::string_view escaped(name.constData(), size_t(name.size()));
        out.Raw("<tr data-name=\"").Raw(escaped).Raw("\">");
        number(0, ranks[i]);
        out.Raw("<td data-label=\"Игрок\" data-key=\"").Raw(escaped).Raw("\">");
        if (p.code == club.computer || !club.names.contains(p.code))
            out.Raw(escaped);
        else
            out.Raw("<a href=\"players/").Int(p.code).Raw(".html\">").Raw(escaped).Raw("</a>");
        out.Raw("</td>");
        number(2, p.points);
        number(3, s.games);
        number(4, s.winsPeople);
        number(5, s.lossesPeople);
        number(6, s.winsComputer);
        number(7, s.lossesComputer);
        out.Raw("<td data-label=\"Последняя партия\" data-key=\"").Text(DateKey(s.lastDate));
        out.Raw("\">").Text(s.lastDate).Raw("</td></tr>");
        if (out.Size() >= (1 << 20)) {
            file.Append(out.Bytes());
            out.Clear();
        }
    }
    out.Raw("</tbody></table>");
    PageTail(out, "", site.made);
    file.Append(out.Bytes());
    file.Close();
}

QByteArray PlayerPage(const Site& site, const Player& player, int rank) {
    const Club& club = site.club;
    const PlayerStats& s = StatsOf(site, player.code);
    QString body = QStringLiteral("<p>Очки: %1. Место: %2. Партий в журнале: %3.</p>")
                       .arg(player.points)
                       .arg(rank)
                       .arg(s.games);
    if (site.history.shift.contains(player.code))
        body += QStringLiteral("<p class=\"note\">Журнал очищался, и его партии с начала не "
                               "сохранились: график пересчитан по оставшимся партиям и сдвинут на "
                               "%1 так, чтобы он кончался на сегодняшних очках.</p>")
                    .arg(site.history.shift.value(player.code));
    std::vector<qint64> points, codes;
    std::vector<QString> dates;
    struct Pair {
        qint64 wins = 0;
        qint64 losses = 0;
    };
    QHash<qint64, Pair> pairs;
    QString rows;
    for (const quint32 index : s.gameIndexes) {
        const JournalGame& g = club.games[index];
        const bool won = g.winner == player.code;
        const qint64 after = won ? site.history.winnerAfter[index] : site.history.loserAfter[index];
        const qint64 opponent = won ? g.loser : g.winner;
        points.push_back(after);
        codes.push_back(g.code);
        dates.push_back(g.date);
        (won ? pairs[opponent].wins : pairs[opponent].losses)++;
        rows +=
            QStringLiteral("<tr>") +
            Cell(QStringLiteral("Партия"), GameLink(club, g.code, QStringLiteral("../")),
                 QStringLiteral("n")) +
            Cell(QStringLiteral("Дата"), Escape(g.date)) +
            Cell(QStringLiteral("Соперник"), PlayerLink(club, opponent, QStringLiteral("../"))) +
            Cell(QStringLiteral("Итог"),
                 won ? QStringLiteral("победа") : QStringLiteral("поражение")) +
            Cell(QStringLiteral("Фишек"), Number(g.margin), QStringLiteral("n")) +
            Cell(QStringLiteral("Очки после"), Number(after), QStringLiteral("n")) +
            QStringLiteral("</tr>");
    }
    body += QStringLiteral("<figure>") + RatingChart(points, codes, dates) +
            QStringLiteral(
                "<figcaption>Очки после каждой партии, по порядку журнала.</figcaption></figure>");
    std::vector<qint64> opponents(pairs.keyBegin(), pairs.keyEnd());
    std::sort(opponents.begin(), opponents.end(), [&](qint64 a, qint64 b) {
        return db::CompareNames(NameOf(club, a), NameOf(club, b)) < 0;
    });
    body += QStringLiteral("<table class=\"cards\"><caption>Личные встречи</caption><thead><tr>"
                           "<th scope=\"col\">Соперник</th><th scope=\"col\" class=\"n\">Побед</th>"
                           "<th scope=\"col\" class=\"n\">Поражений</th></tr></thead><tbody>");
    for (const qint64 o : opponents)
        body += QStringLiteral("<tr>") +
                Cell(QStringLiteral("Соперник"), PlayerLink(club, o, QStringLiteral("../"))) +
                Cell(QStringLiteral("Побед"), Number(pairs[o].wins), QStringLiteral("n")) +
                Cell(QStringLiteral("Поражений"), Number(pairs[o].losses), QStringLiteral("n")) +
                QStringLiteral("</tr>");
    body +=
        QStringLiteral("</tbody></table><table class=\"cards\"><caption>Партии по порядку журнала"
                       "</caption><thead><tr><th scope=\"col\" class=\"n\">Партия</th>"
                       "<th scope=\"col\">Дата</th><th scope=\"col\">Соперник</th>"
                       "<th scope=\"col\">Итог</th><th scope=\"col\" class=\"n\">Фишек</th>"
                       "<th scope=\"col\" class=\"n\">Очки после</th></tr></thead><tbody>") +
        rows + QStringLiteral("</tbody></table>");
    return Page(player.name, body, QStringLiteral("../"), site.made);
}

int JournalPageCount(const Club& club) {
    return std::max<int>(1, int((club.games.size() + JournalPageRows - 1) / JournalPageRows));
}

QByteArray JournalPage(const Site& site, int page) {
    const Club& club = site.club;
    const int pages = JournalPageCount(club);
    QString pager =
        QStringLiteral("<nav class=\"pager\" aria-label=\"Страницы журнала\">Страница %1 из %2.")
            .arg(page)
            .arg(pages);
    for (const int to : {1, page - 1, page + 1, pages}) {
        if (to < 1 || to > pages || to == page)
            continue;
        const QString text = to == 1       ? QStringLiteral("первая")
                             : to == pages ? QStringLiteral("последняя")
                             : to < page   ? QStringLiteral("новее")
                                           : QStringLiteral("старше");
        pager += QStringLiteral(" <a href=\"%1.html\">%2</a>").arg(to).arg(text);
    }
    pager += QStringLiteral("</nav>");
    QString body =
        pager +
        QStringLiteral("<table class=\"cards\"><caption>Партии, сначала новые</caption>"
                       "<thead><tr><th scope=\"col\" class=\"n\">Партия</th>"
                       "<th scope=\"col\">Дата</th><th scope=\"col\">Победитель</th>"
                       "<th scope=\"col\">Проигравший</th><th scope=\"col\" class=\"n\">Фишек</th>"
                       "<th scope=\"col\" class=\"n\">Очков победителю</th></tr></thead><tbody>");
    const qsizetype n = qsizetype(club.games.size());
    const qsizetype first = n - 1 - qsizetype(page - 1) * JournalPageRows;
    for (qsizetype i = first; i >= 0 && i > first - JournalPageRows; --i) {
        const JournalGame& g = club.games[size_t(i)];
        body +=
            QStringLiteral("<tr>") +
            Cell(QStringLiteral("Партия"), GameLink(club, g.code, QStringLiteral("../")),
                 QStringLiteral("n")) +
            Cell(QStringLiteral("Дата"), Escape(g.date)) +
            Cell(QStringLiteral("Победитель"), PlayerLink(club, g.winner, QStringLiteral("../"))) +
            Cell(QStringLiteral("Проигравший"), PlayerLink(club, g.loser, QStringLiteral("../"))) +
            Cell(QStringLiteral("Фишек"), Number(g.margin), QStringLiteral("n")) +
            Cell(QStringLiteral("Очков победителю"), Number(g.award), QStringLiteral("n")) +
            QStringLiteral("</tr>");
    }
    body += QStringLiteral("</tbody></table>") + pager;
    return Page(QStringLiteral("Журнал"), body, QStringLiteral("../"), site.made);
}

} // namespace report
