// GNU Backgammon at the board: a seat that asks the engine process for the
// turn's play and turns it into single moves the rules allow.
#pragma once

#include "engine/Gnubg.h"
#include "game/ComputerSeat.h"

#include <map>
#include <memory>

namespace game {

/*! The engine's levels offered to the user: its chequer play plies. */
constexpr int EngineLevels[] = {0, 1, 2};
/*! "0-ply", "1-ply", "2-ply": a level as the engine names it. */
QString EngineLevelName(int plies);

class EngineSeat : public IComputerSeat {
  public:
    explicit EngineSeat(engine::GnubgSettings settings);
    TurnPlan PlanTurn(const proc::Board& board, proc::Side side, proc::Dice dice) override;

  private:
    engine::GnubgEngine engine_;
};

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
