#include "record/ForeignGame.h"

#include <algorithm>
#include <numeric>

namespace record {
namespace {

int32_t CellOf(proc::Side side, int point) {
    if (point == 25) {
        return side == proc::White ? proc::WhiteBar : proc::BlackBar;
    }
    return point == 0 ? proc::BearOff : OwnPoint(side, point);
}

// A cell as the mover counts it: its bar 25, off 0.
int PointOf(proc::Side side, int32_t cell) {
    if (cell == proc::WhiteBar || cell == proc::BlackBar) {
        return 25;
    }
    return cell == proc::BearOff ? 0 : OwnPoint(side, cell);
}

QString PointText(int point) {
    return point == 25  ? QStringLiteral("bar")
           : point == 0 ? QStringLiteral("off")
                        : QString::number(point);
}

// The dice still to play and how many moves they still allow.
struct Roll {
    proc::Dice dice = 0;
    int left = 0;
};

struct Position {
    proc::Board board{};
    Roll roll;
    std::vector<proc::Move> steps;

    void Play(proc::Side side, proc::Move move) {
        const bool doubles = proc::FirstDie(roll.dice) == proc::SecondDie(roll.dice);
        proc::ApplyMove(board, side, move);
        roll = {doubles ? roll.dice : proc::RemainingDice(move, roll.dice), roll.left - 1};
        steps.push_back(move);
    }
};

// Plays a written move as listed moves, one die each: "24/13" with 6-5 is two
// of them. The direct move first, so a file that writes every die's move is
// read as written.
bool PlayWritten(Position& at, proc::Side side, int32_t from, int to) {
    if (at.roll.left == 0) {
        return false;
    }
    proc::MoveList listed;
    const int32_t n = proc::ListMoves(at.board, at.roll.dice, side, listed);
    for (int32_t i = 0; i < n; ++i) {
        if (listed[i].from == from && PointOf(side, listed[i].to) == to) {
            at.Play(side, listed[i]);
            return true;
        }
    }
    for (int32_t i = 0; i < n; ++i) {
        const int reached = PointOf(side, listed[i].to);
        if (listed[i].from == from && listed[i].to != proc::BearOff && reached > to) {
            Position next = at;
            next.Play(side, listed[i]);
            if (PlayWritten(next, side, listed[i].to, to)) {
                at = std::move(next);
                return true;
            }
        }
    }
    return false;
}

// Plays the moves in the given order; the index of the first that cannot be
// played, or -1.
int PlayInOrder(Position& at, proc::Side side, const std::vector<ForeignMove>& moves,
                const std::vector<size_t>& order) {
    for (size_t k = 0; k < order.size(); ++k) {
        const ForeignMove& move = moves[order[k]];
        if (!PlayWritten(at, side, CellOf(side, move.from), move.to)) {
            return int(order[k]);
        }
    }
    return -1;
}

// The turn's single moves. Files list a turn's moves in their own order
// (highest point first), which is not always an order that can be played:
// every order is tried before the turn is refused.
QString PlayTurn(const proc::Board& board, proc::Side side, const ForeignTurn& turn,
                 std::vector<proc::Move>& steps) {
    const proc::Dice dice = proc::MakeDice(turn.firstDie, turn.secondDie);
    const int allowed = turn.firstDie == turn.secondDie ? 4 : 2;
    if (turn.moves.empty()) {
        proc::MoveList none;
        return proc::ListMoves(board, dice, side, none) == 0
                   ? QString()
                   : QStringLiteral("пропуск, хотя ход был");
    }
    std::vector<size_t> order(turn.moves.size());
    std::iota(order.begin(), order.end(), size_t(0));
    int firstFailed = -1;
    do {
        Position at{board, {dice, allowed}, {}};
        const int failed = PlayInOrder(at, side, turn.moves, order);
        if (failed < 0) {
            steps = std::move(at.steps);
            return QString();
        }
        if (firstFailed < 0) {
            firstFailed = failed;
        }
    } while (std::next_permutation(order.begin(), order.end()));
    const ForeignMove& move = turn.moves[size_t(firstFailed)];
    return QStringLiteral("ход %1/%2 невозможен").arg(PointText(move.from), PointText(move.to));
}

std::optional<proc::Board> StartBoard(const ForeignPosition& position, int whitePlayer) {
    proc::Board board{};
    for (int player = 0; player < 2; ++player) {
        const proc::Side side = player == whitePlayer ? proc::White : proc::Black;
        const auto& own = position[size_t(player)];
        if (std::accumulate(own.begin(), own.end(), 0) > 15) {
            return std::nullopt;
        }
        for (int point = 1; point <= 25; ++point) {
            int32_t& cell = proc::Cell(board, CellOf(side, point));
            if (own[size_t(point)] == 0) {
                continue;
            }
            if (cell != 0) {
                return std::nullopt; // both players on one point
            }
            cell = own[size_t(point)] * side;
        }
    }
    return board;
}

} // namespace

QString FirstGameNote(int games) {
    return games > 1 ? QStringLiteral("Партий в файле: %1. Показана только первая.").arg(games)
                     : QString();
}

std::optional<GameRecord> ReplayForeign(ForeignGame&& game, QString& error) {
    const int whitePlayer = game.turns.empty() ? 0 : game.turns.front().player;
    auto sideOf = [&](int player) { return player == whitePlayer ? proc::White : proc::Black; };
    StartInfo start;
    start.board = StandardStart();
    if (game.start) {
        const auto board = StartBoard(*game.start, whitePlayer);
        if (!board) {
            error = QStringLiteral("строка %1: начальная позиция невозможна").arg(game.startLine);
            return std::nullopt;
        }
        start.board = *board;
    }
    start.whiteLabel = game.names[size_t(whitePlayer)] + QStringLiteral(" (белые)");
    start.blackLabel = game.names[size_t(1 - whitePlayer)] + QStringLiteral(" (чёрные)");
    // The opening roll is the first move's; a double there was rolled after the colours.
    if (!game.turns.empty() && game.turns.front().firstDie != game.turns.front().secondDie) {
        const ForeignTurn& first = game.turns.front();
        start.opening = proc::MakeDice(std::max(first.firstDie, first.secondDie),
                                       std::min(first.firstDie, first.secondDie));
    }
    GameRecord record;
    record.Add(start);
    if (game.date.isValid()) {
        record.SetStartTime(game.date);
    }
    for (size_t i = 0; i < game.turns.size(); ++i) {
        const ForeignTurn& turn = game.turns[i];
        auto fail = [&](const QString& what) {
            error = QStringLiteral("строка %1: %2").arg(turn.line).arg(what);
            return std::nullopt;
        };
        if (record.Winner()) {
            return fail(QStringLiteral("ход после конца партии"));
        }
        if (i > 0 && turn.player == game.turns[i - 1].player) {
            return fail(QStringLiteral("второй ход подряд одного игрока"));
        }
        const proc::Side side = sideOf(turn.player);
        std::vector<proc::Move> steps;
        const QString wrong = PlayTurn(record.Board(), side, turn, steps);
        if (!wrong.isEmpty()) {
            return fail(wrong);
        }
        Turn played{side, proc::MakeDice(turn.firstDie, turn.secondDie), {}, steps.empty()};
        for (const proc::Move& step : steps) {
            played.moves.push_back(ShownMove{side, step, false});
        }
        record.AddTurn(std::move(played));
    }
    record.Finish();
    return record;
}

std::optional<GameRecord> ReplayFirstGame(std::optional<ForeignGame>&& game, QString& error,
                                          QString& note) {
    note.clear();
    if (!game) {
        return std::nullopt;
    }
    note = FirstGameNote(game->games);
    return ReplayForeign(std::move(*game), error);
}

} // namespace record
