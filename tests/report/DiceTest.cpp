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

// Counts worked out by hand: 21 rolls have 20 degrees of freedom, 6 faces
// 5. The p-values are the chi-square's upper tail in closed form (for even
// degrees e^(-x/2) times a sum of powers of x/2, for odd with erfc), outside
// this code.
TEST(DiceAudit, ChiSquareOfCountsWorkedOutByHand) {
    // 360 rolls: a double expected 10 times, any other roll 20. Four off by
    // 8 and one by 16: 64/10 * 2 + 256/20 + 64/20 * 2 = 32.
    report::DiceCounts rolls;
    for (int high = 1; high <= 6; ++high)
        for (int low = 1; low <= high; ++low) {
            int times = high == low ? 10 : 20;
            if (high == 6 && low == 6)
                times = 18;
            else if (high == 1 && low == 1)
                times = 2;
            else if (high == 2 && low == 1)
                times = 36;
            else if ((high == 3 && low == 1) || (high == 3 && low == 2))
                times = 12;
            for (int i = 0; i < times; ++i)
                rolls.Add(proc::MakeDice(high, low));
        }
    // Their 720 faces, 120 expected each: 112, 128, 104, 120, 120, 136.
    report::DiceCounts faces;
    faces.faces = {10, 16, 18, 22, 24, 30}; // 60 rolls: 20 expected each
    faces.total = 60;
    const struct {
        const char* what;
        report::Verdict verdict;
        double chiSquare;
        int degrees;
        double p;
        const char* words;
    } cases[] = {
        {"rolls", report::TestRolls(rolls), 32, 20, 0.043298,
         "расхождение заметное, но и случайно такое бывает"},
        {"faces of those rolls", report::TestFaces(rolls), 640.0 / 120, 5, 0.376568,
         "расхождение в пределах случайного"},
        {"faces", report::TestFaces(faces), 12, 5, 0.034788,
         "расхождение заметное, но и случайно такое бывает"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.verdict.degrees, c.degrees) << c.what;
        EXPECT_NEAR(c.verdict.chiSquare, c.chiSquare, 1e-9) << c.what;
        EXPECT_NEAR(c.verdict.p, c.p, 1e-5) << c.what;
        EXPECT_TRUE(c.verdict.enough) << c.what;
        EXPECT_EQ(c.verdict.words, QString::fromUtf8(c.words)) << c.what;
    }
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
