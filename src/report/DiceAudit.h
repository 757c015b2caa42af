// Are the dice fair? The rolls of the archive's games counted by kind and by
// face, with Pearson's chi-square test against fair dice.
#pragma once

#include "record/GameRecord.h"

#include <QString>
#include <array>

namespace report {

/*! The 21 rolls in order 1-1, 2-1, 2-2, 3-1 ... 6-6; a roll's two dice in any order. */
int RollIndex(int first, int second);
QString RollName(int index);
/*! 1/36 for a double, 2/36 for any other. */
double RollShare(int index);

struct DiceCounts {
    std::array<qint64, 21> rolls{};
    std::array<qint64, 6> faces{};
    qint64 total = 0; // rolls; faces add up to twice this
    void Add(proc::Dice dice);
    void Add(const DiceCounts& other);
};

struct DiceAudit {
    DiceCounts all;
    DiceCounts computer;
    DiceCounts people;
    qint64 games = 0;
    /*! Every turn's roll of a game; the opening roll, whose doubles are
        rolled again, is no fair roll and is left out. */
    void Add(const record::GameRecord& game);
    void Add(const DiceAudit& other);
};

/*! The probability of a chi-square of at least x with df degrees of freedom. */
double ChiSquarePValue(double x, int df);

struct Verdict {
    double chiSquare = 0;
    int degrees = 0;
    double p = 1;
    bool enough = false; // every expected count is 5 or more
    QString words;
};
Verdict TestRolls(const DiceCounts& counts);
Verdict TestFaces(const DiceCounts& counts);

} // namespace report
