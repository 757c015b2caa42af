// The match as the client keeps it: the status line around the game's own,
// the score through games whose colours are drawn again, and which of the
// person's commands each moment offers.
#include "StandardBoard.h"
#include "client/MatchModel.h"

#include <gtest/gtest.h>

using namespace client;
using proc::Black;
using proc::Command;
using proc::White;

namespace {

StartInfo Start(const char* white, const char* black) {
    return {StandardBoard(), QString::fromUtf8(white), QString::fromUtf8(black),
            proc::MakeDice(5, 2)};
}

MatchModel Fed(const std::vector<Message>& messages) {
    MatchModel match;
    match.Apply(Start("Анна (белые)", "Борис (чёрные)"));
    for (const Message& message : messages) {
        match.Apply(message);
    }
    return match;
}

const MatchStateInfo Length5{5, 0, 0, 1, 0, false};

// The commands offered, by name, in the protocol's order.
QString Offered(const MatchModel& match, bool movesListed) {
    static const std::pair<Command, const char*> names[] = {
        {Command::Roll, "roll"},     {Command::Double, "double"}, {Command::Take, "take"},
        {Command::Pass, "pass"},     {Command::Resign, "resign"}, {Command::Accept, "accept"},
        {Command::Refuse, "refuse"}, {Command::Move, "move"}};
    QStringList offered;
    for (const auto& [command, name] : names) {
        if (match.Offers(command, movesListed)) {
            offered << name;
        }
    }
    return offered.join(' ');
}

} // namespace

TEST(MatchModel, StatusLineAroundTheGamesOwn) {
    const struct {
        std::vector<Message> messages;
        const char* status;
    } cases[] = {
        // clang-format off
        {{DiceInfo{White, 0x0201}}, "Ход белых"},
        {{Length5}, "Ход белых"},
        {{Length5, CubeTurnInfo{White}}, "Ваш ход: удвоить или бросить кости?"},
        {{Length5, DoubleInfo{White, 2, true}}, "Белые удваивают до 2: принять или отказаться?"},
        {{Length5, DoubleInfo{Black, 2, false}, DoubleAnswerInfo{White, true}}, "Белые принимают удвоение: куб на 2. Ход белых"},
        {{Length5, DoubleInfo{White, 4, false}, DoubleAnswerInfo{Black, false}}, "Чёрные отказываются от удвоения. Ход белых"},
        {{Length5, DoubleInfo{Black, 2, false}, DoubleAnswerInfo{White, true}, DiceInfo{Black, 0x0203}}, "Белые принимают удвоение: куб на 2. Ход белых"},
        {{Length5, DoubleInfo{Black, 2, false}, DoubleAnswerInfo{White, true}, MoveInfo{Black, {1, 4}}}, "Ход белых"},
        {{MatchStateInfo{5, 0, 0, 4, White, false}, ResignInfo{Black, 2, true}}, "Чёрные сдаются (гаммон, 8 очков): принять или отклонить?"},
        {{Length5, ResignInfo{White, 1, false}, ResignAnswerInfo{Black, false}}, "Чёрные отклоняют сдачу, игра продолжается. Ход белых"},
        {{Length5, ResignInfo{Black, 3, false}, ResignAnswerInfo{White, true}}, "Белые принимают сдачу. Ход белых"},
        {{Length5, GameOverInfo{White, 4, 2, false}}, "Белые выигрывают 4 очка (гаммон)"},
        {{Length5, GameOverInfo{Black, 1, 1, false}}, "Чёрные выигрывают 1 очко"},
        {{MatchStateInfo{21, 3, 2, 1, 0, false}, GameOverInfo{Black, 21, 3, true}}, "Чёрные выигрывают 21 очко (бэкгаммон). Матч выиграл(а) Борис, 23 : 3"},
        {{MatchStateInfo{7, 5, 6, 1, 0, true}, GameOverInfo{White, 12, 3, true}}, "Белые выигрывают 12 очков (бэкгаммон). Матч выиграл(а) Анна, 17 : 6"},
        // clang-format on
    };
    for (const auto& k : cases) {
        EXPECT_EQ(Fed(k.messages).Status(QStringLiteral("Ход белых")), QString::fromUtf8(k.status));
    }
}

TEST(MatchModel, ScoreFollowsGameEndsAndThePlayersThroughColours) {
    MatchModel match = Fed({MatchStateInfo{7, 1, 2, 2, Black, false}});
    EXPECT_EQ(match.Score(White), 1);
    EXPECT_EQ(match.Score(Black), 2);
    EXPECT_EQ(match.CubeOwner(), Black);
    match.Apply(DoubleInfo{Black, 4, false});
    match.Apply(DoubleAnswerInfo{White, true});
    EXPECT_EQ(match.CubeValue(), 4);
    EXPECT_EQ(match.CubeOwner(), White);
    match.Apply(GameOverInfo{White, 8, 2, false});
    EXPECT_EQ(match.Score(White), 9);
    EXPECT_EQ(match.Score(Black), 2);
    // Anna now plays black: her points go with her, the cube back to the middle.
    match.Apply(Start("Борис (белые)", "Анна (чёрные)"));
    EXPECT_EQ(match.Score(White), 2);
    EXPECT_EQ(match.Score(Black), 9);
    EXPECT_EQ(match.CubeValue(), 1);
    EXPECT_EQ(match.CubeOwner(), 0);
    EXPECT_FALSE(match.GameEnd());
    // Same colours again: nothing moves.
    match.Apply(GameOverInfo{Black, 1, 1, false});
    match.Apply(Start("Борис (белые)", "Анна (чёрные)"));
    EXPECT_EQ(match.Score(White), 2);
    EXPECT_EQ(match.Score(Black), 10);
}

TEST(MatchModel, OffersWhatThePersonMayDoNow) {
    const struct {
        std::vector<Message> messages;
        std::vector<Command> sent;
        std::vector<Message> after; // what the referee said to that
        bool movesListed;
        const char* offered;
    } cases[] = {
        // clang-format off
        {{}, {}, {}, true, ""},  // a single game: moves only
        {{Length5, CubeTurnInfo{White}}, {}, {}, false, "roll double resign"},
        {{Length5, CubeTurnInfo{White}}, {Command::Roll}, {}, false, ""},
        {{Length5, CubeTurnInfo{White}}, {Command::Double}, {}, false, ""},
        {{Length5, CubeTurnInfo{White}, DiceInfo{White, 0x0103}}, {}, {}, true, "resign"},
        {{Length5, CubeTurnInfo{White}, DiceInfo{White, 0x0103}}, {}, {}, false, ""},
        {{Length5, DoubleInfo{Black, 2, true}}, {}, {}, false, "take pass"},
        {{Length5, DoubleInfo{Black, 2, false}}, {}, {}, false, ""},
        {{Length5, DoubleInfo{Black, 2, true}}, {Command::Pass}, {}, false, ""},
        {{Length5, ResignInfo{Black, 1, true}}, {}, {}, false, "accept refuse"},
        {{Length5, ResignInfo{Black, 1, false}}, {}, {}, false, ""},
        {{Length5, GameOverInfo{White, 1, 1, false}}, {}, {}, true, ""},
        // The person's resignation: nothing while it waits, then back to the
        // choice it interrupted when refused.
        {{Length5}, {Command::Resign}, {}, true, ""},
        {{Length5}, {Command::Resign}, {ResignInfo{White, 1, false}, ResignAnswerInfo{Black, false}}, true, "resign"},
        {{Length5, CubeTurnInfo{Black}}, {Command::Resign}, {ResignInfo{Black, 2, false}}, false, ""},
        {{Length5, CubeTurnInfo{Black}}, {Command::Resign}, {ResignInfo{Black, 2, false}, ResignAnswerInfo{White, false}}, false, "roll double resign"},
        {{Length5, CubeTurnInfo{Black}}, {Command::Resign}, {ResignInfo{Black, 2, false}, ResignAnswerInfo{White, true}}, false, ""},
        // clang-format on
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& k = cases[i];
        MatchModel match = Fed(k.messages);
        for (Command command : k.sent) {
            match.Sent(command);
        }
        for (const Message& message : k.after) {
            match.Apply(message);
        }
        EXPECT_EQ(Offered(match, k.movesListed), QString::fromUtf8(k.offered)) << "case " << i;
    }
}

// The counts of the status table cover the points' words; the length takes the genitive.
TEST(MatchModel, MatchLengthInRussian) {
    EXPECT_EQ(MatchLengthText(1), QStringLiteral("Матч до 1 очка"));
    EXPECT_EQ(MatchLengthText(11), QStringLiteral("Матч до 11 очков"));
    EXPECT_EQ(MatchLengthText(21), QStringLiteral("Матч до 21 очка"));
}
