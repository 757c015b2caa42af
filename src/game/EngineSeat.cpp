#include "game/EngineSeat.h"

#include "engine/EnginePlay.h"
#include "engine/FibsBoard.h"

namespace game {

QString EngineLevelName(int plies) {
    return QStringLiteral("%1-ply").arg(plies);
}

EngineSeat::EngineSeat(engine::GnubgSettings settings) : engine_(std::move(settings)) {}

TurnPlan EngineSeat::PlanTurn(const proc::Board& board, proc::Side side, proc::Dice dice) {
    if (!engine::EngineCanRead(board))
        return {{}, QStringLiteral("more than %1 checkers of a side").arg(engine::EngineCheckers)};
    const engine::EngineAnswer answer = engine_.Ask(engine::FibsBoardText(board, side, dice));
    if (!answer.ok)
        return {{}, answer.error};
    const QString said = QString::fromStdString(answer.line).trimmed();
    const auto play = engine::ParsePlay(answer.line);
    if (!play)
        return {{}, QStringLiteral("an answer that is not a play: \"%1\"").arg(said)};
    auto moves = engine::TurnSteps(board, side, dice, *play);
    if (!moves)
        return {{}, QStringLiteral("a play the rules do not allow: \"%1\"").arg(said)};
    return {std::move(*moves), QString()};
}

EngineSeats::EngineSeats(QString socketFolder, int plies)
    : socketFolder_(std::move(socketFolder)), plies_(plies) {}

EngineSeats::~EngineSeats() = default;

bool EngineSeats::Available() {
    return !engine::FindGnubg().isEmpty();
}

IComputerSeat* EngineSeats::SeatFor(proc::Side, const QString& name) {
    if (name != EngineName)
        return nullptr;
    std::unique_ptr<EngineSeat>& seat = seats_[plies_];
    if (!seat) {
        engine::GnubgSettings settings;
        settings.socketFolder = socketFolder_;
        settings.plies = plies_;
        settings.answerMs = answerMs_;
        seat = std::make_unique<EngineSeat>(settings);
    }
    return seat.get();
}

} // namespace game
