#include "engine/EnginePlay.h"

#include <array>

namespace engine {

namespace {

constexpr int Bar = 25;
constexpr int Off = 0;
// A turn is at most four single moves: a double's.
constexpr size_t MostHops = 4;

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    bool AtBlank() const { return !AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t'); }
    void SkipBlanks() {
        while (AtBlank())
            ++pos_;
    }
    bool Take(char c) {
        if (AtEnd() || text_[pos_] != c)
            return false;
        ++pos_;
        return true;
    }
    bool Take(std::string_view word) {
        if (text_.substr(pos_).substr(0, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }
    /*! Decimal digits worth at most `most`; reading stops early past it. */
    std::optional<int> Number(int most) {
        int value = 0;
        const size_t start = pos_;
        while (!AtEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            value = value * 10 + (text_[pos_++] - '0');
            if (value > most)
                return std::nullopt;
        }
        if (pos_ == start)
            return std::nullopt;
        return value;
    }
    std::optional<int> Point() {
        if (Take("bar"))
            return Bar;
        if (Take("off"))
            return Off;
        return Number(Bar);
    }

  private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Towards home, never from off the board, never onto the bar.
bool GoesHome(Hop hop) {
    return hop.from <= Bar && hop.to >= Off && hop.from > hop.to && hop.to != Bar;
}

bool AddHop(std::vector<Hop>& hops, Hop hop) {
    if (!GoesHome(hop) || hops.size() == MostHops)
        return false;
    hops.push_back(hop);
    return true;
}

// One move as written: "a/b", a chain "a/b*/c", either with a repeat "(n)".
bool ReadMove(Reader& in, std::vector<Hop>& hops) {
    const size_t first = hops.size();
    std::optional<int> from = in.Point();
    if (!from)
        return false;
    while (in.Take('/')) {
        const std::optional<int> to = in.Point();
        if (!to)
            return false;
        in.Take('*');
        if (!AddHop(hops, {*from, *to}))
            return false;
        from = to;
    }
    const size_t chain = hops.size() - first;
    if (chain == 0)
        return false;
    if (in.Take('(')) {
        const std::optional<int> times = in.Number(MostHops);
        if (!times || *times < 1 || !in.Take(')'))
            return false;
        for (int i = 1; i < *times; ++i)
            for (size_t k = 0; k < chain; ++k)
                if (!AddHop(hops, Hop{hops[first + k]}))
                    return false;
    }
    return true;
}

// Where one die takes a checker from point `at` on its way to `to`: a point
// on the way, the end, or off with a die larger than needed; -1 past the end.
int Landing(int at, int to, int die) {
    const int point = at - die;
    if (point >= to)
        return point;
    return to == Off ? Off : -1;
}

bool Listed(const proc::MoveList& list, int32_t count, proc::Move move) {
    for (int32_t i = 0; i < count; ++i)
        if (list[static_cast<size_t>(i)] == move)
            return true;
    return false;
}

// A depth-first search over the hops' single moves, each checked against the
// rules engine's list for the dice still to play. The play's own order and
// its first die come first, so a play written as the engine plays it costs
// one list per move.
class StepSearch {
  public:
    StepSearch(proc::Side side, const std::vector<Hop>& play) : side_(side), hops_(play) {}

    bool From(const proc::Board& board, proc::Dice dice, int movesLeft, bool firstOfTwo) {
        int pending = 0;
        for (const Hop& hop : hops_)
            pending += hop.from != hop.to;
        if (pending == 0)
            return true;
        if (pending > movesLeft)
            return false;
        proc::MoveList& list = lists_[steps_.size()];
        const int32_t count = proc::ListMoves(board, dice, side_, list);
        const int dieValues[2] = {proc::FirstDie(dice), proc::SecondDie(dice)};
        const int kinds = dieValues[0] == dieValues[1] ? 1 : 2;
        for (size_t i = 0; i < hops_.size(); ++i) {
            if (hops_[i].from == hops_[i].to || SameAsEarlier(i))
                continue;
            // A die that ends the hop before one that stops on the way: the
            // fewest moves, as the engine counts them.
            for (const bool ends : {true, false})
                for (int k = 0; k < kinds; ++k)
                    if (Try(board, dice, movesLeft, firstOfTwo, list, count, i, dieValues[k], ends))
                        return true;
        }
        return false;
    }

    std::vector<proc::Move> Steps() const { return steps_; }

  private:
    bool Try(const proc::Board& board, proc::Dice dice, int movesLeft, bool firstOfTwo,
             const proc::MoveList& list, int32_t count, size_t i, int die, bool ends) {
        Hop& hop = hops_[i];
        const int at = Landing(hop.from, hop.to, die);
        if (at < 0 || (at == hop.to) != ends)
            return false;
        // A point passed on the way is not hit: the play's position has that
        // checker where it was (a hit on the way is written as a hop of its own).
        const int32_t passed = at != hop.to ? proc::Cell(board, BoardCell(at, side_)) : 0;
        if (side_ > 0 ? passed < 0 : passed > 0)
            return false;
        const proc::Move move{BoardCell(hop.from, side_), BoardCell(at, side_)};
        if (!Listed(list, count, move))
            return false;
        proc::Board next = board;
        proc::ApplyMove(next, side_, move);
        const int from = hop.from;
        hop.from = at;
        steps_.push_back(move);
        if (From(next, firstOfTwo ? proc::RemainingDice(move, dice) : dice, movesLeft - 1, false))
            return true;
        steps_.pop_back();
        hop.from = from;
        return false;
    }

    // Two checkers on the same way are one choice, not two.
    bool SameAsEarlier(size_t i) const {
        for (size_t j = 0; j < i; ++j)
            if (hops_[j] == hops_[i])
                return true;
        return false;
    }

    proc::Side side_;
    std::vector<Hop> hops_; // from: where each checker stands now
    std::vector<proc::Move> steps_;
    std::array<proc::MoveList, MostHops> lists_;
};

} // namespace

std::optional<std::vector<Hop>> ParsePlay(std::string_view answer) {
    if (!answer.empty() && answer.back() == '\n')
        answer.remove_suffix(1);
    if (!answer.empty() && answer.back() == '\r')
        answer.remove_suffix(1);
    std::vector<Hop> hops;
    hops.reserve(MostHops);
    Reader in(answer);
    for (in.SkipBlanks(); !in.AtEnd(); in.SkipBlanks()) {
        if (!ReadMove(in, hops))
            return std::nullopt;
        if (!in.AtEnd() && !in.AtBlank())
            return std::nullopt;
    }
    return hops;
}

int32_t BoardCell(int point, proc::Side side) {
    if (point == Off)
        return proc::BearOff;
    if (point == Bar)
        return side > 0 ? proc::WhiteBar : proc::BlackBar;
    if (point < 1 || point > 24)
        return 0;
    return side > 0 ? point : 25 - point;
}

std::string PlayText(const std::vector<proc::Move>& moves, proc::Side side) {
    // The point of the mover's numbering a cell is; a cell no board has stays as it is.
    const auto point = [side](int32_t cell) {
        if (cell == proc::BearOff)
            return Off;
        if (cell == proc::WhiteBar || cell == proc::BlackBar)
            return Bar;
        return side > 0 || cell < 1 || cell > 24 ? cell : 25 - cell;
    };
    std::string text;
    for (const proc::Move& move : moves) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(point(move.from)) + '/' + std::to_string(point(move.to));
    }
    return text;
}

std::optional<std::vector<proc::Move>> TurnSteps(const proc::Board& board, proc::Side side,
                                                 proc::Dice dice, const std::vector<Hop>& play) {
    if ((side != proc::White && side != proc::Black) || play.size() > MostHops)
        return std::nullopt;
    for (const Hop& hop : play)
        if (!GoesHome(hop))
            return std::nullopt;
    const bool isDouble = proc::FirstDie(dice) == proc::SecondDie(dice);
    StepSearch search(side, play);
    if (!search.From(board, dice, isDouble ? 4 : 2, !isDouble))
        return std::nullopt;
    return search.Steps();
}

} // namespace engine
