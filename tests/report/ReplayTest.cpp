// The archive's records read back for their pages: turn lines of every
// shape, the replay that trusts the rolls but not the board, and each turn
// written as the notation writes it.
#include "record/RecordText.h"
#include "report/Pages.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

const QString Head = QStringLiteral("Партия в нарды\nДата: 08.12.2026 00:30\nБелые: Анна\n"
                                    "Чёрные: Борис\nНумерация пунктов: от дома каждой стороны\n"
                                    "Розыгрыш цвета: Анна (белые) 5, Борис (чёрные) 2\n\n");

struct Shown {
    int from, to;
    bool hit;
};

TEST(RecordLines, EveryShapeOfATurnLineReadsAsWritten) {
    const struct {
        const char* line;
        proc::Side side;
        proc::Dice dice;
        bool passed;
        std::vector<Shown> moves; // board cells; empty and not passed: refused
    } cases[] = {
        {"1. Белые 6-4: 24/18 13/9", proc::White, proc::MakeDice(6, 4), false,
         {{24, 18, false}, {13, 9, false}}},
        // Black counts from its own home: its 24 is the board's 1.
        {"1. Чёрные 6-3: 13/7* 24/21", proc::Black, proc::MakeDice(6, 3), false,
         {{12, 18, true}, {1, 4, false}}},
        {"7. Чёрные 2-2: bar/23 6/4*(2) 4/2", proc::Black, proc::MakeDice(2, 2), false,
         {{proc::BlackBar, 2, false}, {19, 21, true}, {19, 21, true}, {21, 23, false}}},
        {"3. Белые 5-1: 5/off 1/off", proc::White, proc::MakeDice(5, 1), false,
         {{5, proc::BearOff, false}, {1, proc::BearOff, false}}},
        {"2. Белые ?-?: 24/18", proc::White, 0, false, {{24, 18, false}}},
        {"2. Белые 6-6: пропуск", proc::White, proc::MakeDice(6, 6), true, {}},
        {"2. Белые 6-6:   пропуск  ", proc::White, proc::MakeDice(6, 6), true, {}},
        // Shapes no program writes, read all the same.
        {"01. Белые 6-4:  024/18   13/9", proc::White, proc::MakeDice(6, 4), false,
         {{24, 18, false}, {13, 9, false}}},
        {"1. Белые 6-4: 8/4(4)", proc::White, proc::MakeDice(6, 4), false,
         {{8, 4, false}, {8, 4, false}, {8, 4, false}, {8, 4, false}}},
        {"0. Белые 6-4:24/18 0013/9", proc::White, proc::MakeDice(6, 4), false,
         {{24, 18, false}, {13, 9, false}}},
        {"1000000. Чёрные 1-1: 6/5*(4)", proc::Black, proc::MakeDice(1, 1), false,
         {{19, 20, true}, {19, 20, true}, {19, 20, true}, {19, 20, true}}},
        // Refused.
        {"2. Белые ?-?: пропуск", proc::White, 0, false, {}},
        {"2. Белые 6-6: пропуск 24/18", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/18\t13/9", proc::White, 0, false, {}},
        {"1. Белые 6-4: 25/18", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/0", proc::White, 0, false, {}},
        {"1. Белые 6-4: off/18", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/bar", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/18(5)", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/18(2)(2)", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/18 (2)", proc::White, 0, false, {}},
        {"1. Белые 6-4: 99999999999/18", proc::White, 0, false, {}},
        {"2. Белые 6-6: пропуск2", proc::White, 0, false, {}},
        {"2. Белые 6-6: 24/18 пропуск", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/18 x", proc::White, 0, false, {}},
        {"1. Белые 6-4: 24/18*x", proc::White, 0, false, {}},
        {"1. Белые 7-4: 24/18", proc::White, 0, false, {}},
        {"1. Белые 6-4 24/18", proc::White, 0, false, {}},
        {"1. Белые 6-4:", proc::White, 0, false, {}},
        {"1.Белые 6-4: 24/18", proc::White, 0, false, {}},
        {"1. белые 6-4: 24/18", proc::White, 0, false, {}},
    };
    for (const auto& c : cases) {
        QString error;
        const auto parsed = record::ParseRecord(Head + QString::fromUtf8(c.line) + '\n', error);
        const bool refused = c.moves.empty() && !c.passed;
        ASSERT_EQ(!parsed, refused) << c.line << ": " << error.toStdString();
        if (refused) {
            EXPECT_TRUE(error.startsWith(QStringLiteral("строка 8: ход не читается"))) << c.line;
            continue;
        }
        ASSERT_EQ(parsed->turns.size(), 1u) << c.line;
        const record::Turn& turn = parsed->turns[0];
        EXPECT_EQ(turn.side, c.side) << c.line;
        EXPECT_EQ(turn.dice, c.dice) << c.line;
        EXPECT_EQ(turn.passed, c.passed) << c.line;
        ASSERT_EQ(turn.moves.size(), c.moves.size()) << c.line;
        for (size_t i = 0; i < c.moves.size(); ++i) {
            EXPECT_EQ(turn.moves[i].move, (proc::Move{c.moves[i].from, c.moves[i].to})) << c.line;
            EXPECT_EQ(turn.moves[i].hit, c.moves[i].hit) << c.line;
            EXPECT_EQ(turn.moves[i].side, c.side) << c.line;
        }
    }
}

TEST(RecordLines, DatesReadAsWrittenOrNotAtAll) {
    for (const auto& [text, expected] : std::initializer_list<std::pair<const char*, QDateTime>>{
             {"08.12.2026 00:30", QDateTime(QDate(2026, 12, 8), QTime(0, 30))},
             {"29.02.2024 23:59", QDateTime(QDate(2024, 2, 29), QTime(23, 59))},
             {"29.02.2026 10:00", QDateTime()},
             {"08.12.2026 24:00", QDateTime()}}) {
        QString head = Head;
        head.replace(QStringLiteral("08.12.2026 00:30"), QString::fromUtf8(text));
        QString error;
        const auto parsed = record::ParseRecord(head, error);
        ASSERT_TRUE(parsed) << error.toStdString();
        EXPECT_EQ(parsed->date.isValid(), expected.isValid()) << text;
        if (expected.isValid()) {
            EXPECT_EQ(parsed->date, expected) << text;
        }
    }
}

TEST(RecordLines, OpeningDiceFromTheLastRollThatLeavesRoomForTheSecond) {
    for (const auto& [line, first, second] : std::initializer_list<std::tuple<const char*, int, int>>{
             {"Анна (белые) 5, Борис (чёрные) 2", 5, 2},
             {"Ян (чёрные) 2, Гость 1, 2 (белые) 5", 2, 5},
             {"А) 4, Б (белые) 5, В (чёрные) 2", 5, 2},
             {"(белые) 5, ) 2", 5, 2},
             {"5 : 2", 5, 2},
             {"Анна (белые) 7, Борис (чёрные) 2", 0, 0},
             {"Анна (белые) 5,Борис (чёрные) 2", 0, 0},
             {"Анна (белые) 5, Борис (чёрные)", 0, 0}}) {
        QString head = Head;
        head.replace(QStringLiteral("Анна (белые) 5, Борис (чёрные) 2"), QString::fromUtf8(line));
        QString error;
        const auto parsed = record::ParseRecord(head, error);
        ASSERT_EQ(bool(parsed), first != 0) << line << ": " << error.toStdString();
        if (parsed) {
            EXPECT_EQ(parsed->opening, proc::MakeDice(first, second)) << line;
        }
    }
}

TEST(RecordReplay, TrustsTheRollsButNotTheBoard) {
    const struct {
        const char* turns;
        bool byTheRules;    // ReadRecord takes it
        const char* refusal; // ReplayRecord's reason; empty when it takes it
    } cases[] = {
        {"1. Белые 6-4: 24/18 13/9\n2. Чёрные 6-3: 13/7* 24/21\n", true, ""},
        // A 2 with a 6-4: the roll did not allow it, the board does.
        {"1. Белые 6-4: 24/22 13/9\n", false, ""},
        {"1. Белые 6-4: 23/17\n", false, "строка 8: ход 23/17 невозможен"},
        {"1. Белые 6-4: 24/19\n", false, "строка 8: ход 24/19 невозможен"},
        {"1. Белые 6-4: bar/21\n", false, "строка 8: ход bar/21 невозможен"},
        {"1. Белые 6-4: 24/18\n2. Белые 6-4: 18/14 13/9 9/3\n", false, ""},
    };
    for (const auto& c : cases) {
        const QString text = Head + QString::fromUtf8(c.turns);
        QString readError, replayError;
        const auto read = record::ReadRecord(text, readError);
        const auto replayed = record::ReplayRecord(text, replayError);
        EXPECT_EQ(bool(read), c.byTheRules) << c.turns;
        EXPECT_EQ(replayError, QString::fromUtf8(c.refusal)) << c.turns;
        ASSERT_EQ(bool(replayed), replayError.isEmpty()) << c.turns;
        if (read && replayed) {
            EXPECT_EQ(replayed->Board(), read->Board()) << c.turns;
            EXPECT_EQ(replayed->Turns()[1].moves[0].hit, true) << "the hit is the board's";
        }
    }
}

TEST(RecordReplay, EachTurnWrittenAsTheNotationWritesIt) {
    using record::ShownMove;
    const proc::Side w = proc::White, b = proc::Black;
    const std::vector<record::Turn> turns = {
        {w, proc::MakeDice(6, 5), {{w, {24, 18}, false}, {w, {13, 8}, false}}, false},
        {b, proc::MakeDice(2, 2),
         {{b, {12, 14}, false}, {b, {12, 14}, false}, {b, {12, 14}, true}, {b, {14, 16}, false}},
         false},
        {w, proc::MakeDice(4, 4), {{w, {proc::WhiteBar, 21}, true}, {w, {4, proc::BearOff}, false},
                                   {w, {4, proc::BearOff}, false}}, false},
        {b, proc::MakeDice(6, 6), {}, true},
        {b, 0, {{b, {proc::BlackBar, 3}, false}}, false},
    };
    for (const record::Turn& turn : turns) {
        report::HtmlOut out;
        report::AddTurnText(out, turn);
        EXPECT_EQ(QString::fromStdString(out.Bytes()), record::TurnText(turn));
    }
}

} // namespace
