#include "MatchFigures.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace referee {

namespace {

constexpr double Z95 = 1.959963984540054; // the normal distribution's 97.5 % point

QString Percent(double rate) {
    return QString::number(100 * rate, 'f', 1);
}

QString Elo(double elo) {
    if (std::isinf(elo))
        return elo > 0 ? QStringLiteral("+∞") : QStringLiteral("−∞");
    return (elo >= 0 ? QStringLiteral("+") : QString()) + QString::number(elo, 'f', 0);
}

QString Ms(double ms) {
    return QString::number(ms, 'g', 3) + QStringLiteral(" ms");
}

} // namespace

Interval WinRateInterval(int64_t wins, int64_t games) {
    const double n = static_cast<double>(games);
    const double p = static_cast<double>(wins) / n;
    const double z2 = Z95 * Z95;
    const double denominator = 1 + z2 / n;
    const double centre = (p + z2 / (2 * n)) / denominator;
    const double half = Z95 * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n)) / denominator;
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

double EloOfRate(double rate) {
    if (rate <= 0)
        return -std::numeric_limits<double>::infinity();
    if (rate >= 1)
        return std::numeric_limits<double>::infinity();
    return 400 * std::log10(rate / (1 - rate));
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    if (values.size() % 2 == 1)
        return values[middle];
    const double upper = values[middle];
    return (*std::max_element(values.begin(), values.begin() + middle) + upper) / 2;
}

double Percentile(std::vector<double> values, double q) {
    if (values.empty())
        return 0;
    const double rank = std::ceil(q / 100 * static_cast<double>(values.size()));
    const size_t index = static_cast<size_t>(std::clamp(rank, 1.0, double(values.size()))) - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

QStringList FiguresReport(const MatchFigures& f) {
    QStringList lines;
    const bool matches = f.length > 1;
    lines << (matches ? QStringLiteral("matches to %1: %2").arg(f.length).arg(f.games)
                      : QStringLiteral("games: %1").arg(f.games));
    if (f.unfinished > 0)
        lines << QStringLiteral("unfinished %1 (not counted): %2")
                     .arg(matches ? QStringLiteral("matches") : QStringLiteral("games"))
                     .arg(f.unfinished);
    QString tail;
    if (f.games > 0) {
        const double rate = static_cast<double>(f.first.wins) / static_cast<double>(f.games);
        const Interval interval = WinRateInterval(f.first.wins, f.games);
        const QString rateText =
            QStringLiteral("%1 %, 95 % interval %2–%3 %")
                .arg(Percent(rate), Percent(interval.low), Percent(interval.high));
        const QString eloText = QStringLiteral("%1, 95 % interval %2 to %3")
                                    .arg(Elo(EloOfRate(rate)), Elo(EloOfRate(interval.low)),
                                         Elo(EloOfRate(interval.high)));
        lines
            << QStringLiteral("%1 wins: %2 (%3)").arg(f.first.name).arg(f.first.wins).arg(rateText);
        lines << QStringLiteral("%1 wins: %2").arg(f.second.name).arg(f.second.wins);
        lines << QStringLiteral("Elo difference (%1 - %2): %3")
                     .arg(f.first.name, f.second.name, eloText);
        lines << QStringLiteral("mean plies a %1: %2")
                     .arg(matches ? QStringLiteral("match") : QStringLiteral("game"))
                     .arg(static_cast<double>(f.plies) / static_cast<double>(f.games), 0, 'f', 1);
        tail = QStringLiteral(" win rate %1, Elo %2").arg(rateText, eloText);
    }
    lines << QStringLiteral("median time per decision: %1 %2, %3 %4")
                 .arg(f.first.name, Ms(Median(f.first.decisionMs)), f.second.name,
                      Ms(Median(f.second.decisionMs)));
    lines << QStringLiteral("99th percentile time per decision: %1 %2, %3 %4")
                 .arg(f.first.name, Ms(Percentile(f.first.decisionMs, 99)), f.second.name,
                      Ms(Percentile(f.second.decisionMs, 99)));
    lines << QStringLiteral("%1: %2, %3: %4;%5")
                 .arg(f.first.name)
                 .arg(f.first.wins)
                 .arg(f.second.name)
                 .arg(f.second.wins)
                 .arg(tail);
    return lines;
}

} // namespace referee
