// Computer seats at the board: the controller plays a seat's planned turn
// move by move, and the built-in computer's choice wherever the plan fails.
#include "GameTestSupport.h"
#include "game/EngineSeat.h"

#include <gtest/gtest.h>

using namespace gametest;
using proc::Move;

namespace {

using Moves = std::vector<Move>;

class ScriptedSeat : public game::IComputerSeat {
  public:
    game::TurnPlan PlanTurn(const proc::Board&, proc::Side, proc::Dice) override {
        return asked < plans.size() ? plans[asked++] : game::TurnPlan{};
    }
    std::vector<game::TurnPlan> plans;
    size_t asked = 0;
};

class WhiteSeat : public game::ISeats {
  public:
    explicit WhiteSeat(game::IComputerSeat& seat) : seat_(seat) {}
    game::IComputerSeat* SeatFor(proc::Side side, const QString&) override {
        return side == proc::White ? &seat_ : nullptr;
    }

  private:
    game::IComputerSeat& seat_;
};

std::vector<Move> EchoesOf(const std::vector<clientproto::Message>& messages) {
    Moves moves;
    for (const auto& m : messages)
        if (m.type == proc::MoveMessage)
            moves.push_back(m.moves.front());
    return moves;
}

// The engine on white meets the built-in computer on black, from the
// standard position with white to play 6-3.
struct SeatRig : Rig {
    SeatRig() : Rig(game::EngineName, game::ComputerName), seats(seat) {
        controller.SetSeats(&seats);
        controller.NoticeHook = [this](const QString& text) { notices.push_back(text); };
    }
    void Start(ScriptedDice& dice) {
        dice.Push(6, 1); // the first list's player takes white
        dice.Push(6, 3);
        ASSERT_TRUE(Connect());
        TakeNew();
    }
    /*! Ticks until white's turn is over; returns its echoes. */
    Moves WhiteTurn() {
        Moves echoes;
        do {
            Tick();
            const Moves some = EchoesOf(TakeNew());
            echoes.insert(echoes.end(), some.begin(), some.end());
        } while (controller.GameRunning && controller.SideToMove == proc::White);
        return echoes;
    }
    ScriptedSeat seat;
    WhiteSeat seats;
    std::vector<QString> notices;
};

// 'P': the plan's next move is played; 'B': the built-in computer's choice.
struct PlanCase {
    const char* title;
    game::TurnPlan plan;
    const char* played;
    bool told;
};

class SeatPlans : public ::testing::TestWithParam<PlanCase> {};

TEST_P(SeatPlans, EachMoveIsThePlansWhileItIsLegalAndTheBuiltInChoiceAfter) {
    const PlanCase& c = GetParam();
    ScriptedDice dice;
    SeatRig rig;
    rig.seat.plans = {c.plan};
    rig.Start(dice);
    const proc::Board start = rig.controller.GameBoard;

    const Moves echoes = rig.WhiteTurn();

    // Walk the turn as it should have gone, on a board of our own.
    proc::Board board = start;
    proc::Dice left = proc::MakeDice(6, 3);
    ASSERT_EQ(echoes.size(), std::strlen(c.played));
    for (size_t i = 0; i < echoes.size(); ++i) {
        const Move expected =
            c.played[i] == 'P' ? c.plan.moves[i]
                               : game::BuiltInSeat().PlanTurn(board, proc::White, left).moves.at(0);
        EXPECT_EQ(echoes[i].from, expected.from) << "move " << i;
        EXPECT_EQ(echoes[i].to, expected.to) << "move " << i;
        proc::ApplyMove(board, proc::White, echoes[i]);
        if (i == 0)
            left = proc::RemainingDice(echoes[0], left);
    }
    EXPECT_EQ(rig.controller.GameBoard, board);
    EXPECT_EQ(rig.notices.size(), c.told ? 1u : 0u);
    EXPECT_EQ(rig.seat.asked, 1u) << "a seat is asked once a turn";
}

INSTANTIATE_TEST_SUITE_P(
    Turns, SeatPlans,
    ::testing::Values(PlanCase{"WholePlan", {{{13, 7}, {7, 4}}, {}}, "PP", false},
                      PlanCase{"FirstNotListed", {{{8, 1}, {13, 10}}, {}}, "BB", true},
                      PlanCase{"SecondUsesTheSpentDie", {{{13, 7}, {8, 2}}, {}}, "PB", true},
                      PlanCase{"ShortPlan", {{{24, 21}}, {}}, "PB", false},
                      PlanCase{"SeatFailed", {{}, QStringLiteral("no answer")}, "BB", true}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(Seats, TheUserIsToldOnceAGameHoweverOftenTheSeatFails) {
    ScriptedDice dice;
    SeatRig rig;
    rig.seat.plans = {{{}, QStringLiteral("died")}, {{}, QStringLiteral("died again")}};
    rig.Start(dice);
    rig.WhiteTurn();
    for (int i = 0; i < 50 && rig.seat.asked < 2 && rig.controller.GameRunning; ++i)
        rig.Tick();
    ASSERT_EQ(rig.seat.asked, 2u);
    rig.WhiteTurn();
    EXPECT_EQ(rig.notices, std::vector<QString>{game::SeatTroubleText});
}

// The built-in seat's whole-turn plan is the controller's own play, move for
// move, over whole games from the same dice.
TEST(Seats, BuiltInSeatPlaysTheSameGamesAsTheControllerItself) {
    class BuiltIn : public game::ISeats {
      public:
        game::IComputerSeat* SeatFor(proc::Side, const QString&) override { return &seat; }
        game::BuiltInSeat seat;
    } builtIn;
    for (uint32_t seed : {3u, 17u, 2024u}) {
        std::vector<std::vector<clientproto::Message>> games;
        for (bool seated : {false, true}) {
            ScriptedDice dice({}, seed);
            Rig rig(game::ComputerName, game::ComputerName);
            if (seated)
                rig.controller.SetSeats(&builtIn);
            ASSERT_TRUE(rig.Connect());
            for (int i = 0; i < 2000 && rig.controller.GameRunning; ++i)
                rig.Tick();
            ASSERT_FALSE(rig.controller.GameRunning) << "seed " << seed;
            games.push_back(rig.TakeNew());
        }
        ASSERT_EQ(games[0].size(), games[1].size()) << "seed " << seed;
        EXPECT_EQ(EchoesOf(games[0]), EchoesOf(games[1])) << "seed " << seed;
    }
}

} // namespace

namespace {

// The match as the engine is shown it, from the side asked: its own score
// first, and who may double by the cube's owner.
TEST(Seats, TheEngineSeesTheMatchFromTheSideAsked) {
    using match::Owner;
    const struct {
        proc::Side side;
        Owner owner;
        bool crawford;
        int score, oppScore;
        bool may, oppMay;
    } cases[] = {
        {proc::White, Owner::Centre, false, 2, 4, true, true},
        {proc::Black, Owner::Centre, true, 4, 2, true, true},
        {proc::White, Owner::White, false, 2, 4, true, false},
        {proc::White, Owner::Black, false, 2, 4, false, true},
        {proc::Black, Owner::White, false, 4, 2, false, true},
        {proc::Black, Owner::Black, false, 4, 2, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.side) << " " << int(c.owner));
        const match::MatchState state{7, 2, 4, c.crawford, false, {4, c.owner}};
        const engine::FibsMatch view = game::FibsView(state, c.side);
        EXPECT_EQ(view.length, 7);
        EXPECT_EQ(view.score, c.score);
        EXPECT_EQ(view.oppScore, c.oppScore);
        EXPECT_EQ(view.cube, 4);
        EXPECT_EQ(view.mayDouble, c.may);
        EXPECT_EQ(view.oppMayDouble, c.oppMay);
        EXPECT_EQ(view.crawford, c.crawford);
    }
}

} // namespace
