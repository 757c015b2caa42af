// GNU Backgammon at the board: a seat that asks the engine process for the
// turn's play and turns it into single moves the rules allow.
#pragma once

#include "engine/FibsBoard.h"
#include "engine/Gnubg.h"
#include "game/ComputerSeat.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace game {

/*! The engine's levels offered to the user: its chequer play plies. */
constexpr int EngineLevels[] = {0, 1, 2};
/*! "0-ply", "1-ply", "2-ply": a level as the engine names it. */
QString EngineLevelName(int plies);

class EngineSeat : public IComputerSeat {
  public:
    explicit EngineSeat(engine::GnubgSettings settings);
    TurnPlan PlanTurn(const proc::Board& board, proc::Side side, proc::Dice dice) override;
    /*! In a match, plays with the score and cube in each board line. */
    void SeeMatch(const match::MatchState& state) override {
        match_ = state.length > 1 ? std::optional(state) : std::nullopt;
    }
    /*! The engine's own cube decisions; where it cannot answer, the
        built-in rules (logged). Resignations are the built-in rules': the
        engine's protocol has no question for them. */
    bool Doubles(const proc::Board& board, proc::Side side,
                 const match::MatchState& state) override;
    bool Takes(const proc::Board& board, proc::Side taker,
               const match::MatchState& state) override;

  private:
    /*! The engine's cube answer to line, or empty when it gave none. */
    std::string CubeAnswer(const std::string& line);

    engine::GnubgEngine engine_;
    std::optional<match::MatchState> match_;
};

/*! The match as the engine's board line carries it, from side's view. */
engine::FibsMatch FibsView(const match::MatchState& state, proc::Side side);

/*! The seats of the program and the referee: the engine's name gets an
    engine at the chosen level, kept (its process running) for the owner's
    life; any other name the built-in computer. */
class EngineSeats : public ISeats {
  public:
    /*! socketFolder: the user's program folder, where the engine's private
        socket folder is made. */
    explicit EngineSeats(QString socketFolder, int plies = 0);
    ~EngineSeats() override;

    /*! Whether the engine is installed (engine::FindGnubg). */
    static bool Available();

    void SetPlies(int plies) { plies_ = plies; }
    int Plies() const { return plies_; }
    /*! The longest wait for the engine's start and for each answer. */
    void SetAnswerMs(int ms) { answerMs_ = ms; }

    IComputerSeat* SeatFor(proc::Side side, const QString& name) override;

  private:
    QString socketFolder_;
    int plies_;
    int answerMs_ = engine::GnubgSettings{}.answerMs;
    std::map<int, std::unique_ptr<EngineSeat>> seats_; // by level
};

} // namespace game
