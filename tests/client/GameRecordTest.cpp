// The notation, pip counts, the record and its text file, the replay, the
// dice on show and keyboard play, all without a window. Expected texts and
// positions are worked out by hand.
#include "StandardBoard.h"
#include "record/GameFile.h"
#include "record/GameRecord.h"
#include "record/RecordText.h"
#include "client/GameReplay.h"
#include "client/ReaderText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <tuple>
#include <gtest/gtest.h>

using namespace client;
using namespace record;
using proc::Black;
using proc::White;

namespace {

proc::Board Position(std::initializer_list<std::pair<int32_t, int32_t>> cells) {
    proc::Board board{};
    for (auto [cell, count] : cells) {
        proc::Cell(board, cell) = count;
    }
    return board;
}

// Five turns from the standard start: a hit, a pass on the bar, doubles,
// an entry. White's 6-6 finds 19 closed.
std::vector<Message> Scenario() {
    return {StartInfo{StandardBoard(), "Анна (белые)", "Компьютер (чёрные)", proc::MakeDice(5, 2)},
            DiceInfo{White, proc::MakeDice(6, 4)},
            MoveInfo{White, {24, 18}},
            MoveListInfo{White, {{13, 9}}},
            MoveInfo{White, {13, 9}},
            DiceInfo{Black, proc::MakeDice(6, 3)},
            MoveInfo{Black, {12, 18}},
            MoveInfo{Black, {1, 4}},
            DiceInfo{White, proc::MakeDice(6, 6)},
            DiceInfo{Black, proc::MakeDice(2, 2)},
            MoveInfo{Black, {17, 19}},
            MoveInfo{Black, {17, 19}},
            MoveInfo{Black, {19, 21}},
            MoveInfo{Black, {19, 21}},
            DiceInfo{White, proc::MakeDice(4, 1)},
            MoveInfo{White, {26, 24}},
            MoveInfo{White, {24, 20}}};
}

const proc::Board ScenarioEnd = Position({{1, -1},
                                          {4, -1},
                                          {6, 5},
                                          {8, 3},
                                          {9, 1},
                                          {12, -4},
                                          {13, 4},
                                          {17, -1},
                                          {18, -1},
                                          {19, -5},
                                          {20, 1},
                                          {21, -2},
                                          {24, 1}});

GameRecord Recorded(const std::vector<Message>& messages) {
    GameRecord record;
    for (const Message& m : messages) {
        record.Add(m);
    }
    return record;
}

proc::Board Replayed(const ParsedRecord& parsed) {
    proc::Board board = parsed.start;
    for (const Turn& turn : parsed.turns) {
        for (const ShownMove& m : turn.moves) {
            proc::ApplyMove(board, turn.side, m.move);
        }
    }
    return board;
}

} // namespace

TEST(Notation, SingleMoves) {
    const struct {
        ShownMove move;
        const char* text;
    } cases[] = {
        {{White, {24, 18}, false}, "24/18"},  {{Black, {1, 7}, false}, "24/18"},
        {{White, {13, 11}, true}, "13/11*"},  {{Black, {12, 18}, true}, "13/7*"},
        {{White, {26, 22}, false}, "bar/22"}, {{Black, {25, 3}, true}, "bar/22*"},
        {{White, {6, 27}, false}, "6/off"},   {{Black, {19, 27}, false}, "6/off"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MoveText(c.move), QString::fromUtf8(c.text)) << c.text;
    }
}

TEST(Notation, TurnsOfAGameBothColours) {
    const GameRecord record = Recorded(Scenario());
    QStringList texts;
    for (const Turn& turn : record.Turns()) {
        texts << TurnText(turn);
    }
    EXPECT_EQ(texts,
              QStringList({"Белые 6-4: 24/18 13/9", "Чёрные 6-3: 13/7* 24/21", "Белые 6-6: пропуск",
                           "Чёрные 2-2: 8/6(2) 6/4(2)", "Белые 4-1: bar/24 24/20"}));
    EXPECT_EQ(record.Board(), ScenarioEnd);
    EXPECT_FALSE(record.Winner());
}

TEST(Notation, RepeatsJoinOnlyInARowAndKeepTheHitApart) {
    const struct {
        std::vector<ShownMove> moves;
        const char* text;
    } cases[] = {
        {{{White, {8, 4}}, {White, {8, 4}}, {White, {8, 4}}, {White, {8, 4}}}, "8/4(4)"},
        {{{White, {6, 27}}, {White, {6, 27}}}, "6/off(2)"}, // 6-5 both bearing off from 6
        {{{Black, {1, 3}, true}, {Black, {1, 3}}, {Black, {3, 5}}}, "24/22* 24/22 22/20"},
        {{{White, {13, 7}}, {White, {7, 1}}, {White, {13, 7}}}, "13/7 7/1 13/7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TurnMovesText(Turn{White, 0, c.moves, false}), QString::fromUtf8(c.text));
    }
}

TEST(PipCount, HandWorkedPositions) {
    const struct {
        proc::Board board;
        int white, black;
    } cases[] = {
        {StandardBoard(), 167, 167},
        {ScenarioEnd, 159, 150},
        {Position({{26, 2}, {1, 3}, {25, -1}, {24, -1}, {19, -2}}), 53, 38},
        {Position({}), 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PipCount(c.board, White), c.white);
        EXPECT_EQ(PipCount(c.board, Black), c.black);
    }
}

TEST(Record, TextOfAnUnfinishedGame) {
    const GameRecord record = Recorded(Scenario());
    const QDateTime date(QDate(2026, 12, 8), QTime(0, 30));
    EXPECT_EQ(RecordText(record, date), QStringLiteral("Партия в нарды\n"
                                                       "Дата: 08.12.2026 00:30\n"
                                                       "Белые: Анна\n"
                                                       "Чёрные: Компьютер\n"
                                                       "Нумерация пунктов: от дома каждой стороны\n"
                                                       "Розыгрыш цвета: Анна (белые) 5, "
                                                       "Компьютер (чёрные) 2\n"
                                                       "\n"
                                                       "1. Белые 6-4: 24/18 13/9\n"
                                                       "2. Чёрные 6-3: 13/7* 24/21\n"
                                                       "3. Белые 6-6: пропуск\n"
                                                       "4. Чёрные 2-2: 8/6(2) 6/4(2)\n"
                                                       "5. Белые 4-1: bar/24 24/20\n"
                                                       "Результат: партия не окончена\n"));
}

TEST(Record, ResultLines) {
    // White bears off its last checker; black keeps two.
    const proc::Board start = Position({{1, 1}, {24, -2}});
    std::vector<Message> won = {
        StartInfo{start, "Анна (белые)", "Борис (чёрные)", proc::MakeDice(3, 1)},
        DiceInfo{White, proc::MakeDice(2, 1)}, MoveInfo{White, {1, 27}}};
    GameRecord record = Recorded(won);
    EXPECT_EQ(record.Winner(), White);
    EXPECT_EQ(ResultText(record),
              QStringLiteral("Результат: победа белых (Анна); фишек у чёрных: 2"));

    GameRecord cut = Recorded({won[0], won[1]});
    cut.Finish();
    EXPECT_EQ(ResultText(cut), QStringLiteral("Результат: партия прервана"));
    cut.Add(won[2]); // nothing joins a finished record
    EXPECT_FALSE(cut.Winner());
}

TEST(Record, ReadBackReplaysToTheSameBoard) {
    const proc::Board odd = Position({{1, 1}, {2, 1}, {24, -2}, {26, 1}, {25, -1}});
    const struct {
        std::vector<Message> messages;
        bool startLine;      // the start is written only when it is not the standard one
        const char* opening; // who rolled which, the first list's player first
    } cases[] = {
        {Scenario(), false, "Анна (белые) 5, Компьютер (чёрные) 2"},
        // The first list's player rolled lower and took black.
        {{StartInfo{StandardBoard(), "Гость 1, 2 (белые)", "Ян (чёрные)", proc::MakeDice(2, 5)},
          DiceInfo{White, proc::MakeDice(6, 4)}, MoveInfo{White, {24, 18}}},
         false,
         "Ян (чёрные) 2, Гость 1, 2 (белые) 5"},
        {{StartInfo{odd, "A (белые)", "B (чёрные)", proc::MakeDice(6, 1)},
          DiceInfo{White, proc::MakeDice(3, 3)}, MoveInfo{White, {26, 22}},
          MoveInfo{White, {2, 27}}, MoveInfo{White, {1, 27}}, DiceInfo{Black, proc::MakeDice(5, 5)},
          DiceInfo{White, proc::MakeDice(6, 6)}, MoveInfo{White, {22, 16}}},
         true,
         "A (белые) 6, B (чёрные) 1"},
        // An echo whose roll never came stays readable ("?-?").
        {{StartInfo{StandardBoard(), "A (белые)", "B (чёрные)", proc::MakeDice(6, 1)},
          MoveInfo{White, {24, 18}}, DiceInfo{Black, proc::MakeDice(3, 1)},
          MoveInfo{Black, {1, 4}}},
         false,
         "A (белые) 6, B (чёрные) 1"},
    };
    for (const auto& c : cases) {
        const GameRecord record = Recorded(c.messages);
        const QString text = RecordText(record, QDateTime::currentDateTime());
        EXPECT_EQ(text.contains(QStringLiteral("Начальная позиция: ")), c.startLine);
        EXPECT_TRUE(text.contains(QStringLiteral("\nРозыгрыш цвета: ") +
                                  QString::fromUtf8(c.opening) + '\n'))
            << text.toStdString();
        QString error;
        const auto parsed = ParseRecord(text, error);
        ASSERT_TRUE(parsed) << error.toStdString();
        EXPECT_EQ(parsed->start, record.Start().board);
        EXPECT_EQ(parsed->opening, record.Start().opening);
        EXPECT_EQ(parsed->white, PlayerName(record.Start().whiteLabel, White));
        EXPECT_EQ(Replayed(*parsed), record.Board());
        // Read back whole, it is the game as played: turns, hits and passes.
        const auto turnsText = [](const GameRecord& game) {
            QStringList turns;
            for (const Turn* turn : game.PlayedTurns())
                turns << TurnText(*turn);
            return turns;
        };
        const auto read = ReplayRecord(text, error);
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(turnsText(*read), turnsText(record)) << text.toStdString();
        EXPECT_EQ(read->Board(), record.Board());
    }
}

TEST(Record, SavedAsUtf8AndUnreadableLinesRefused) {
    QTemporaryDir dir;
    const GameRecord record = Recorded(Scenario());
    QString error;
    const QString path = dir.filePath("партия.txt");
    ASSERT_TRUE(SaveGame(record, path, error));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Чёрные 6-3: 13/7* 24/21"));
    EXPECT_FALSE(SaveGame(record, dir.filePath("no/such/dir/x.txt"), error));
    EXPECT_FALSE(SaveGame(record, dir.filePath("x.doc"), error));

    const QString good = RecordText(record, QDateTime::currentDateTime());
    ASSERT_TRUE(ReadRecord(good, error)) << error.toStdString();
    // Each damage is refused with the line it stands on (the title is line 1).
    for (const auto& [from, to, line] : std::initializer_list<std::tuple<const char*, const char*, int>>{
             {"24/18 13/9", "25/18 13/9", 8},    // a point the board does not have
             {"24/18 13/9", "off/18 13/9", 8},   // off is no source
             {"24/21", "24/21 bar", 9},          // a word that is no move
             {"Белые 4-1", "Белые 7-1", 12},     // no such die
             {"13/9", "13/8", 8},                // the roll had no 5
             {"13/7* 24/21", "13/7* 24/21 8/2", 9}, // three moves of a 6-3
             {"Белые 6-6: пропуск", "Белые 4-4: пропуск", 10}, // a pass with a move to play
             {"Партия в нарды", "Список покупок", 1}}) { // a foreign file
        QString bad = good;
        bad.replace(QString::fromUtf8(from), QString::fromUtf8(to));
        error.clear();
        EXPECT_FALSE(ReadRecord(bad, error)) << to;
        EXPECT_TRUE(error.startsWith(QStringLiteral("строка %1:").arg(line))) << error.toStdString();
    }
    QString noOpening = good;
    noOpening.replace(QStringLiteral("Розыгрыш цвета: "), QStringLiteral("x"));
    EXPECT_FALSE(ReadRecord(noOpening, error));
}

TEST(Record, OlderRecordsWithWhitesNumbersForBlackStillRead) {
    // Written before each side counted from its own home.
    const QString older = QStringLiteral("Партия в нарды\nДата: 08.12.2026 00:30\nБелые: Анна\n"
                                         "Чёрные: Компьютер\nРозыгрыш цвета: 5 : 2\n\n"
                                         "1. Белые 6-4: 24/18 13/9\n2. Чёрные 6-3: 12/18* 1/4\n"
                                         "3. Белые 6-6: пропуск\n4. Чёрные 2-2: 17/19(2) 19/21(2)\n"
                                         "5. Белые 4-1: bar/24 24/20\n");
    QString error;
    const auto read = ReadRecord(older, error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->Board(), ScenarioEnd);
    EXPECT_EQ(read->StartTime(), QDateTime(QDate(2026, 12, 8), QTime(0, 30)));
    EXPECT_EQ(TurnText(read->Turns()[1]), QStringLiteral("Чёрные 6-3: 13/7* 24/21"));
}

TEST(Replay, StepsFromTheStartToExactlyTheEnd) {
    const GameRecord record = Recorded(Scenario());
    GameReplay replay(record.Messages(), true);
    ASSERT_EQ(replay.Steps(), 10);
    EXPECT_EQ(replay.Position(), 10);
    EXPECT_EQ(replay.Model().Board(), ScenarioEnd);
    EXPECT_TRUE(replay.Model().GameOver());

    replay.Seek(0);
    EXPECT_EQ(replay.Model().Board(), StandardBoard());
    EXPECT_EQ(replay.Model().SideToMove(), White); // the first roll is on show
    EXPECT_FALSE(replay.Back());
    std::vector<proc::Move> shown;
    while (const auto move = replay.Forward()) {
        shown.push_back(move->move);
    }
    EXPECT_EQ(shown.size(), 10u);
    EXPECT_EQ(shown[2], (proc::Move{12, 18}));
    EXPECT_EQ(replay.Model().Board(), ScenarioEnd);
    EXPECT_TRUE(replay.Back());
    EXPECT_EQ(proc::Cell(replay.Model().Board(), 20), 0); // 24/20 taken back
    EXPECT_EQ(proc::Cell(replay.Model().Board(), 24), 2);
    replay.Seek(99);
    EXPECT_EQ(replay.Position(), 10);
}

TEST(Dice, PlayedDiceAreMarked) {
    const struct {
        proc::Dice dice;
        proc::Board board;
        std::vector<MoveInfo> echoes;
        std::vector<DieUse> uses;
    } cases[] = {
        {proc::MakeDice(6, 5), StandardBoard(), {{White, {24, 18}}}, {{6, true}, {5, false}}},
        {proc::MakeDice(6, 5), StandardBoard(), {{White, {13, 8}}}, {{6, false}, {5, true}}},
        {proc::MakeDice(3, 3),
         StandardBoard(),
         {{White, {8, 5}}, {White, {8, 5}}},
         {{3, true}, {3, true}, {3, false}, {3, false}}},
        // Bearing off from 4 with 6-2 takes the 6; from 2 the 2.
        {proc::MakeDice(2, 6),
         Position({{4, 1}, {2, 1}, {20, -1}}),
         {{White, {4, 27}}},
         {{2, false}, {6, true}}},
        {proc::MakeDice(6, 2),
         Position({{4, 1}, {2, 1}, {20, -1}}),
         {{White, {2, 27}}},
         {{6, false}, {2, true}}},
        // Black bears off from its point 19 with 6-5: the 6.
        {proc::MakeDice(6, 5),
         Position({{19, -1}, {21, -1}, {5, 1}}),
         {{Black, {19, 27}}},
         {{6, true}, {5, false}}},
        // Black enters from its bar on 3; the other side's echo uses nothing.
        {proc::MakeDice(1, 3),
         Position({{25, -1}, {6, 2}}),
         {{Black, {25, 3}}},
         {{1, false}, {3, true}}},
    };
    for (const auto& c : cases) {
        BoardModel model;
        model.Apply(StartInfo{c.board, "w", "b", proc::MakeDice(2, 1)});
        const proc::Side side = c.echoes.front().side;
        model.Apply(DiceInfo{side, c.dice});
        model.Apply(MoveInfo{static_cast<proc::Side>(-side), {12, 13}});
        for (const MoveInfo& echo : c.echoes) {
            model.Apply(echo);
        }
        EXPECT_EQ(model.DiceUses(), c.uses);
    }
}

TEST(Keyboard, FocusWalksCheckersThenTargets) {
    BoardModel model;
    model.Apply(StartInfo{StandardBoard(), "w", "b", proc::MakeDice(2, 1)});
    model.Apply(DiceInfo{White, proc::MakeDice(6, 5)});
    EXPECT_FALSE(model.MoveFocus(+1)); // nothing to focus before a list
    model.Apply(MoveListInfo{White, {{24, 18}, {13, 7}, {13, 8}, {8, 2}, {6, 1}}});
    const std::vector<int32_t> sources = {6, 8, 13, 24};
    EXPECT_EQ(model.FocusCycle(), sources);
    ASSERT_TRUE(model.MoveFocus(-1)); // from nothing, back goes to the last
    EXPECT_EQ(model.Focused(), 24);
    model.MoveFocus(+1); // and wraps round
    EXPECT_EQ(model.Focused(), 6);
    model.MoveFocus(+2);
    EXPECT_EQ(model.Focused(), 13);
    EXPECT_FALSE(model.PickFocused().send);
    EXPECT_EQ(model.Selected(), 13);
    EXPECT_EQ(model.Focused(), 7); // the first target of 13
    model.MoveFocus(+1);
    EXPECT_EQ(model.Focused(), 8);
    EXPECT_TRUE(model.CancelPick());
    EXPECT_FALSE(model.Selected());
    EXPECT_EQ(model.Focused(), 13);
    EXPECT_FALSE(model.CancelPick());
    model.PickFocused();
    model.MoveFocus(-1);
    const ClickResult sent = model.PickFocused();
    EXPECT_EQ(sent.send, (proc::Move{13, 8}));
    EXPECT_FALSE(model.Focused());
    EXPECT_FALSE(model.AwaitingPerson());
}

TEST(Reader, TellsTurnDicePipsAndTheLastMove) {
    BoardModel model;
    for (const Message& m : Scenario()) {
        model.Apply(m);
    }
    model.Apply(DiceInfo{Black, proc::MakeDice(5, 3)});
    const QString said = DescribeForReader(model);
    for (const char* part : {"Ход чёрных", "Кости чёрных: 5 и 3", "Анна (белые) 159",
                             "Компьютер (чёрные) 150", "Последний ход: белые bar/24 24/20"}) {
        EXPECT_TRUE(said.contains(QString::fromUtf8(part))) << part << " in " << said.toStdString();
    }
    EXPECT_TRUE(DescribeForReader(model, "Связь").startsWith("Связь."));
}

// The replay counts turns as the history lists them, passes included; the
// checker within a turn only while the turn is shown part-way.
TEST(Replay, CounterCountsTurns) {
    const GameRecord record = Recorded(Scenario()); // 2 moves, 2, pass, 4, 2
    for (const auto& [step, row, text] : {std::tuple{0, -1, "Ход 0 из 5"},
                                          {1, 0, "Ход 1 из 5, фишка 1 из 2"},
                                          {2, 0, "Ход 1 из 5"},
                                          {5, 3, "Ход 4 из 5, фишка 1 из 4"},
                                          {8, 3, "Ход 4 из 5"},
                                          {10, 4, "Ход 5 из 5"}}) {
        const ReplayPlace place = PlaceOfStep(record.PlayedTurns(), step);
        EXPECT_EQ(place.turn, row) << step;
        EXPECT_EQ(ReplayCounterText(place, 5), QString::fromUtf8(text)) << step;
    }
}

// The start message keeps 20 characters of a label, cutting the colour
// first: " (белые)" is 8 of them, " (чёрные)" 9. Both colours begin with
// " (", so a cut colour is completed with the side's own.
TEST(Record, LabelsCutByTheMessageLimit) {
    const struct {
        proc::Side side;
        const char* label; // as the message left it
        const char* shown;
        const char* name;
    } cases[] = {
        {White, "Иван Петров (белые)", "Иван Петров (белые)", "Иван Петров"},
        {White, "Мария Петрова (белые", "Мария Петрова (белые)", "Мария Петрова"},
        {White, "Александр Петрович (", "Александр Петрович (белые)", "Александр Петрович"},
        {White, "Александра Петровна ", "Александра Петровна (белые)", "Александра Петровна"},
        {White, "Александр Степанович", "Александр Степанович…", "Александр Степанович…"},
        {Black, "Иван Петров (чёрные)", "Иван Петров (чёрные)", "Иван Петров"},
        {Black, "Анна Петрова (чёрные", "Анна Петрова (чёрные)", "Анна Петрова"},
        {Black, "Мария Петрова (чёрны", "Мария Петрова (чёрные)", "Мария Петрова"},
        {Black, "Александр Петрович (", "Александр Петрович (чёрные)", "Александр Петрович"},
        {Black, "Александра Петровна ", "Александра Петровна (чёрные)", "Александра Петровна"},
        {Black, "Александр Степанович", "Александр Степанович…", "Александр Степанович…"},
        // The launcher's own record keeps the whole label.
        {Black, "Александр Константинович (чёрные)", "Александр Константинович (чёрные)",
         "Александр Константинович"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LabelShown(QString::fromUtf8(c.label), c.side).toStdString(), c.shown);
        EXPECT_EQ(PlayerName(QString::fromUtf8(c.label), c.side).toStdString(), c.name);
    }
}
