// The figures of a match between two players: the win rate with its 95 %
// interval (Wilson's score interval, sound near 0 and 1 too), the Elo
// difference that rate means, and the medians of the decision times.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace referee {

struct Interval {
    double low = 0;
    double high = 0;
};

/*! Wilson's 95 % score interval for wins out of games (games > 0). */
Interval WinRateInterval(int64_t wins, int64_t games);
/*! The Elo difference of a win rate: 400 log10(p / (1 - p)); infinite at 0 and 1. */
double EloOfRate(double rate);
/*! The middle value (the mean of the two middle ones for an even count); 0 when empty. */
double Median(std::vector<double> values);
/*! The nearest-rank percentile q (0 < q <= 100): the smallest value with at
    least q % of the values at or below it; 0 when empty. */
double Percentile(std::vector<double> values, double q);

/*! One player's share of a match. */
struct PlayerFigures {
    QString name;
    int64_t wins = 0;
    std::vector<double> decisionMs; // each turn's decision
};

struct MatchFigures {
    PlayerFigures first;
    PlayerFigures second;
    int64_t games = 0;      // finished games
    int64_t plies = 0;      // turns of the finished games, passes included
    int64_t unfinished = 0; // games given up (stopped, or no end in sight)
    int length = 1;         // above 1: each "game" above is a match to this many points
};

/*! The report printed at the end: one figure a line, the last line
    beginning "FIRST: W, SECOND: W;". */
QStringList FiguresReport(const MatchFigures& figures);

} // namespace referee
