#include "report/DiceAudit.h"

#include "record/ComputerNames.h"

#include <cmath>
#include <utility>

namespace report {

int RollIndex(int first, int second) {
    if (first < second)
        std::swap(first, second);
    return (first - 1) * first / 2 + (second - 1);
}

QString RollName(int index) {
    int high = 1;
    while ((high * (high + 1)) / 2 <= index)
        ++high;
    const int low = index - (high - 1) * high / 2 + 1;
    return QStringLiteral("%1-%2").arg(high).arg(low);
}

double RollShare(int index) {
    const QString name = RollName(index);
    return name.front() == name.back() ? 1.0 / 36 : 2.0 / 36;
}

void DiceCounts::Add(proc::Dice dice) {
    const int a = proc::FirstDie(dice);
    const int b = proc::SecondDie(dice);
    if (a < 1 || a > 6 || b < 1 || b > 6)
        return;
    ++rolls[static_cast<size_t>(RollIndex(a, b))];
    ++faces[static_cast<size_t>(a - 1)];
    ++faces[static_cast<size_t>(b - 1)];
    ++total;
}

void DiceCounts::Add(const DiceCounts& other) {
    for (size_t i = 0; i < rolls.size(); ++i)
        rolls[i] += other.rolls[i];
    for (size_t i = 0; i < faces.size(); ++i)
        faces[i] += other.faces[i];
    total += other.total;
}

void DiceAudit::Add(const DiceAudit& other) {
    all.Add(other.all);
    computer.Add(other.computer);
    people.Add(other.people);
    games += other.games;
}

void DiceAudit::Add(const record::GameRecord& game) {
    ++games;
    const bool whiteComputer = record::IsComputerName(record::PlayerOf(game, proc::White));
    const bool blackComputer = record::IsComputerName(record::PlayerOf(game, proc::Black));
    for (const record::Turn* turn : game.PlayedTurns()) {
        all.Add(turn->dice);
        const bool byComputer = turn->side == proc::White ? whiteComputer : blackComputer;
        (byComputer ? computer : people).Add(turn->dice);
    }
}

namespace {

// The regularized lower incomplete gamma function P(a, x) by its series,
// and the upper Q(a, x) by its continued fraction (Lentz).
double LowerSeries(double a, double x) {
    double term = 1.0 / a;
    double sum = term;
    for (int n = 1; n < 1000 && std::fabs(term) > std::fabs(sum) * 1e-15; ++n) {
        term *= x / (a + n);
        sum += term;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

double UpperFraction(double a, double x) {
    const double tiny = 1e-300;
    double b = x + 1 - a;
    double c = 1 / tiny;
    double d = 1 / b;
    double h = d;
    for (int i = 1; i < 1000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        d = std::fabs(d) < tiny ? tiny : d;
        c = b + an / c;
        c = std::fabs(c) < tiny ? tiny : c;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < 1e-15)
            break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

Verdict Test(const qint64* counts, const double* shares, int n, qint64 total) {
    Verdict verdict;
    verdict.degrees = n - 1;
    verdict.enough = total > 0;
    for (int i = 0; i < n; ++i) {
        const double expected = shares[i] * static_cast<double>(total);
        if (expected < 5)
            verdict.enough = false;
        if (expected > 0) {
            const double gap = static_cast<double>(counts[i]) - expected;
            verdict.chiSquare += gap * gap / expected;
        }
    }
    verdict.p = ChiSquarePValue(verdict.chiSquare, verdict.degrees);
    if (total == 0)
        verdict.words = QStringLiteral("бросков нет");
    else if (!verdict.enough)
        verdict.words = QStringLiteral("бросков слишком мало для вывода");
    else if (verdict.p >= 0.05)
        verdict.words = QStringLiteral("расхождение в пределах случайного");
    else if (verdict.p >= 0.01)
        verdict.words = QStringLiteral("расхождение заметное, но и случайно такое бывает");
    else
        verdict.words = QStringLiteral("расхождение больше, чем бывает случайно");
    return verdict;
}

} // namespace

double ChiSquarePValue(double x, int df) {
    if (x <= 0 || df <= 0)
        return 1;
    const double a = df / 2.0;
    const double half = x / 2;
    return half < a + 1 ? 1 - LowerSeries(a, half) : UpperFraction(a, half);
}

Verdict TestRolls(const DiceCounts& counts) {
    double shares[21];
    for (int i = 0; i < 21; ++i)
        shares[i] = RollShare(i);
    return Test(counts.rolls.data(), shares, 21, counts.total);
}

Verdict TestFaces(const DiceCounts& counts) {
    const double shares[6] = {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6};
    return Test(counts.faces.data(), shares, 6, counts.total * 2);
}

} // namespace report
