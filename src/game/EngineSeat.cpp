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
    const engine::EngineAnswer answer =
        engine_.Ask(match_ ? engine::FibsMatchText(board, side, dice, FibsView(*match_, side))
                           : engine::FibsBoardText(board, side, dice));
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

engine::FibsMatch FibsView(const match::MatchState& state, proc::Side side) {
    const match::Owner own = side > 0 ? match::Owner::White : match::Owner::Black;
    const match::Owner theirs = side > 0 ? match::Owner::Black : match::Owner::White;
    engine::FibsMatch view;
    view.length = state.length;
    view.score = side > 0 ? state.scoreWhite : state.scoreBlack;
    view.oppScore = side > 0 ? state.scoreBlack : state.scoreWhite;
    view.cube = state.cube.value;
    view.mayDouble = state.cube.owner != theirs;
    view.oppMayDouble = state.cube.owner != own;
    view.crawford = state.crawford;
    return view;
}

std::string EngineSeat::CubeAnswer(const std::string& line) {
    const engine::EngineAnswer answer = engine_.Ask(line, engine::Question::Cube);
    if (!answer.ok) {
        qWarning("vertan: GNU Backgammon: %s; the built-in rules decide on the cube",
                 qPrintable(answer.error));
        return {};
    }
    return answer.line.substr(0, answer.line.find_last_not_of(' ') + 1);
}

bool EngineSeat::Doubles(const proc::Board& board, proc::Side side,
                         const match::MatchState& state) {
    const std::string said =
        engine::EngineCanRead(board)
            ? CubeAnswer(engine::FibsMatchText(board, side, 0, FibsView(state, side)))
            : std::string();
    if (said == "double" || said == "roll")
        return said == "double";
    return IComputerSeat::Doubles(board, side, state);
}

bool EngineSeat::Takes(const proc::Board& board, proc::Side taker,
                       const match::MatchState& state) {
    const std::string said =
        engine::EngineCanRead(board)
            ? CubeAnswer(engine::FibsTakeText(board, taker, FibsView(state, taker)))
            : std::string();
    if (said == "take" || said == "beaver" || said == "drop")
        return said != "drop";
    return IComputerSeat::Takes(board, taker, state);
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
