// The dice audit's counting and its test against fair dice.
#include "report/DiceAudit.h"

#include <gtest/gtest.h>
#include <map>

namespace {

TEST(DiceAudit, EveryOrderedPairFallsIntoOneOfTwentyOneRolls) {
    std::map<int, int> ways;
    for (int a = 1; a <= 6; ++a)
        for (int b = 1; b <= 6; ++b) {
            const int index = report::RollIndex(a, b);
            ++ways[index];
            EXPECT_EQ(report::RollName(index),
                      QStringLiteral("%1-%2").arg(std::max(a, b)).arg(std::min(a, b)));
            EXPECT_DOUBLE_EQ(report::RollShare(index), (a == b ? 1 : 2) / 36.0);
        }
    ASSERT_EQ(ways.size(), 21u);
    EXPECT_EQ(ways.begin()->first, 0);
    EXPECT_EQ(ways.rbegin()->first, 20);
}

// Upper tail of chi-square at textbook critical values.
TEST(DiceAudit, PValuesOfKnownCriticalValues) {
    struct Case {
        double x;
        int df;
        double p;
    };
    for (const Case c : {Case{3.841, 1, 0.05}, Case{11.070, 5, 0.05}, Case{15.086, 5, 0.01},
                         Case{31.410, 20, 0.05}, Case{37.566, 20, 0.01}, Case{2.0, 2, 0.36788},
                         Case{0, 20, 1.0}, Case{200, 5, 0.0}})
        EXPECT_NEAR(report::ChiSquarePValue(c.x, c.df), c.p, 5e-4) << c.x << " " << c.df;
}

TEST(DiceAudit, VerdictsInWords) {
    report::DiceCounts fair, loaded, few;
    for (int a = 1; a <= 6; ++a)
        for (int b = 1; b <= 6; ++b) {
            for (int i = 0; i < 10; ++i)
                fair.Add(proc::MakeDice(a, b));
            for (int i = 0; i < (a == 6 && b == 6 ? 60 : 10); ++i)
                loaded.Add(proc::MakeDice(a, b));
            few.Add(proc::MakeDice(a, b));
        }
    EXPECT_EQ(fair.total, 360);
    qint64 faces = 0;
    for (const qint64 f : fair.faces)
        faces += f;
    EXPECT_EQ(faces, 720);
    EXPECT_EQ(report::TestRolls(fair).words, QStringLiteral("расхождение в пределах случайного"));
    EXPECT_EQ(report::TestFaces(fair).words, QStringLiteral("расхождение в пределах случайного"));
    EXPECT_EQ(report::TestRolls(loaded).words,
              QStringLiteral("расхождение больше, чем бывает случайно"));
    EXPECT_EQ(report::TestRolls(few).words, QStringLiteral("бросков слишком мало для вывода"));
    EXPECT_EQ(report::TestRolls(report::DiceCounts{}).words, QStringLiteral("бросков нет"));
}

} // namespace
