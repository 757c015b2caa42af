#include "report/Html.h"
#include "report/Pages.h"

#include <QDate>
#include <QStringList>
#include <algorithm>
#include <optional>

namespace report {

std::string GamePath(qint64 code) {
    return "games/" + std::to_string(GameFolder(code)) + '/' + std::to_string(code) + ".html";
}

std::vector<int> Ranks(const Club& club) {
    std::vector<int> ranks(club.ratings.size());
    for (size_t i = 0; i < club.ratings.size(); ++i)
        ranks[i] = i > 0 && club.ratings[i - 1].points == club.ratings[i].points ? ranks[i - 1]
                                                                                 : int(i) + 1;
    return ranks;
}

QString NameOf(const Club& club, qint64 code) {
    const auto it = club.names.find(code);
    return it != club.names.end() ? QString::fromStdString(it->second)
                                  : QStringLiteral("игрок №%1").arg(code);
}

void AddName(HtmlOut& out, const Club& club, qint64 code) {
    const auto it = club.names.find(code);
    if (it != club.names.end())
        out.Text(it->second);
    else
        out.Raw("игрок №").Int(code);
}

QString Cell(const QString& label, const QString& html, const QString& cls, const QString& key) {
    QString cell = QStringLiteral("<td data-label=\"") + label + QLatin1Char('"');
    if (!cls.isEmpty())
        cell += QStringLiteral(" class=\"") + cls + QLatin1Char('"');
    if (!key.isNull())
        cell += QStringLiteral(" data-key=\"") + Escape(key) + QLatin1Char('"');
    return cell + QLatin1Char('>') + html + QStringLiteral("</td>");
}

QString Number(qint64 value) {
    return QString::number(value);
}

namespace {

std::optional<QDate> JournalDate(const QString& date) {
    // The forms differ in their separators and lengths, so none reads another's.
    for (const char* format : {"dd.MM.yyyy", "dd.MM.yy", "yyyy-MM-dd", "M/d/yy", "MM/dd/yyyy"}) {
        QDate parsed = QDate::fromString(date, QLatin1String(format));
        if (parsed.isValid()) {
            if (parsed.year() < 1970)
                parsed = parsed.addYears(100);
            return parsed;
        }
    }
    return std::nullopt;
}

} // namespace

QString DateKey(const QString& date) {
    // The pages' own form (ShownDate's), a hundred thousand on the rating
    // page: read without the date parser.
    const auto number = [&](int at, int length) {
        int value = 0;
        for (int i = at; i < at + length; ++i)
            value = date[i].isDigit() ? value * 10 + date[i].digitValue() : -1000000;
        return value;
    };
    if (date.size() == 10 && date[2] == u'.' && date[5] == u'.' && number(6, 4) >= 1970 &&
        QDate(number(6, 4), number(3, 2), number(0, 2)).isValid())
        return date.mid(6, 4) + u'-' + date.mid(3, 2) + u'-' + date.left(2);
    const auto parsed = JournalDate(date);
    return parsed ? parsed->toString(Qt::ISODate) : date;
}

QString ShownDate(const QString& date) {
    const auto parsed = JournalDate(date);
    return parsed ? parsed->toString(QStringLiteral("dd.MM.yyyy")) : date;
}

QString RussianNumber(double value, int decimals) {
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

void RatingChart(HtmlOut& out, const std::vector<qint64>& points, const std::vector<qint64>& codes,
                 const std::vector<std::string_view>& dates) {
    const int width = 600, height = 240, left = 50, right = 10, top = 10, bottom = 30;
    qint64 low = 0, high = 0;
    for (const qint64 p : points) {
        low = std::min(low, p);
        high = std::max(high, p);
    }
    if (high == low)
        high = low + 1;
    const size_t n = points.size();
    const auto x = [&](size_t i) {
        return left + (n <= 1 ? (width - left - right) / 2.0
                              : double(i) * (width - left - right) / double(n - 1));
    };
    const auto y = [&](qint64 p) {
        return top + double(high - p) * (height - top - bottom) / double(high - low);
    };
    const QString summary =
        n == 0 ? QStringLiteral("Партий нет.")
               : QStringLiteral("Партий: %1; очки от %2 до %3, после последней партии %4.")
                     .arg(n)
                     .arg(*std::min_element(points.begin(), points.end()))
                     .arg(*std::max_element(points.begin(), points.end()))
                     .arg(points.back());
    QString svg =
        QStringLiteral("<svg class=\"chart\" role=\"img\" viewBox=\"0 0 %1 %2\" width=\"%1\" "
                       "height=\"%2\" aria-labelledby=\"chart-title chart-desc\">"
                       "<title id=\"chart-title\">Рейтинг по партиям</title>"
                       "<desc id=\"chart-desc\">%3</desc>")
            .arg(width)
            .arg(height)
            .arg(Escape(summary));
    svg += QStringLiteral("<line class=\"axis\" x1=\"%1\" y1=\"%2\" x2=\"%1\" y2=\"%3\"/>"
                          "<line class=\"axis\" x1=\"%1\" y1=\"%3\" x2=\"%4\" y2=\"%3\"/>")
               .arg(left)
               .arg(top)
               .arg(height - bottom)
               .arg(width - right);
    svg += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"end\">%3</text>"
                          "<text x=\"%1\" y=\"%4\" text-anchor=\"end\">%5</text>")
               .arg(left - 4)
               .arg(top + 10)
               .arg(high)
               .arg(height - bottom)
               .arg(low);
    out.Html(svg);
    if (n > 0) {
        out.Raw("<polyline class=\"line\" points=\"");
        for (size_t i = 0; i < n; ++i)
            out.Raw(i ? " " : "").Fixed(x(i)).Raw(",").Fixed(y(points[i]));
        out.Raw("\"/><g class=\"points\">");
        for (size_t i = 0; i < n; ++i) {
            out.Raw("<circle cx=\"").Fixed(x(i)).Raw("\" cy=\"").Fixed(y(points[i]));
            out.Raw("\" r=\"3\" data-points=\"").Int(points[i]).Raw("\"><title>Партия №");
            out.Int(codes[i]).Raw(", ").Text(dates[i]).Raw(": ").Int(points[i]);
            out.Raw("</title></circle>");
        }
        out.Raw("</g>");
    }
    out.Html(QStringLiteral("<text x=\"%1\" y=\"%2\">первая партия</text>"
                            "<text x=\"%3\" y=\"%2\" text-anchor=\"end\">последняя</text></svg>")
                 .arg(left)
                 .arg(height - 8)
                 .arg(width - right));
}

} // namespace report
