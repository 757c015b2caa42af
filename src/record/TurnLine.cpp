#include "record/TurnLine.h"

namespace record {
namespace {

// One pass over the line without regular expressions or copies: an archive
// holds a million records, most of their lines turns.
class TurnLineReader {
  public:
    TurnLineReader(QStringView line, bool ownNumbering)
        : line_(line), ownNumbering_(ownNumbering) {}

    std::optional<Turn> Read() {
        Turn turn;
        turn.moves.reserve(4); // a double moves four times
        int number = 0;
        if (!Digits(number) || !Skip(u". ") || !Side(turn.side) || !Skip(u' ') ||
            !Roll(turn.dice) || !Skip(u':'))
            return std::nullopt;
        SkipSpaces();
        const qsizetype moves = at_;
        // "пропуск" alone: a roll that allowed no move.
        if (turn.dice != 0 && Skip(u"пропуск") && TokenEnds()) {
            SkipSpaces();
            turn.passed = at_ == line_.size();
            return turn.passed ? std::optional<Turn>(std::move(turn)) : std::nullopt;
        }
        at_ = moves;
        while (at_ < line_.size()) {
            if (!Move(turn))
                return std::nullopt;
            SkipSpaces();
        }
        return turn.moves.empty() ? std::nullopt : std::optional<Turn>(std::move(turn));
    }

  private:
    bool Skip(char16_t c) {
        if (at_ == line_.size() || line_[at_] != c)
            return false;
        ++at_;
        return true;
    }
    bool Skip(QStringView text) {
        if (line_.size() - at_ < text.size())
            return false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (line_[at_ + i] != text[i])
                return false;
        }
        at_ += text.size();
        return true;
    }
    void SkipSpaces() {
        while (Skip(u' ')) {
        }
    }
    bool TokenEnds() const { return at_ == line_.size() || line_[at_] == u' '; }
    // One or more digits, leading zeros allowed; past 99 the value stops
    // growing (no number read here means anything there).
    bool Digits(int& value) {
        const qsizetype from = at_;
        value = 0;
        for (; at_ < line_.size() && line_[at_] >= u'0' && line_[at_] <= u'9'; ++at_) {
            if (value < 100)
                value = value * 10 + (line_[at_].unicode() - u'0');
        }
        return at_ > from;
    }
    // A die 1..6; 0 for anything else.
    int Die() {
        if (at_ == line_.size() || line_[at_] < u'1' || line_[at_] > u'6')
            return 0;
        return line_[at_++].unicode() - u'0';
    }
    bool Side(proc::Side& side) {
        if (Skip(u"Белые"))
            side = proc::White;
        else if (Skip(u"Чёрные"))
            side = proc::Black;
        else
            return false;
        return true;
    }
    // "6-5", or "?-?" for a roll that never came (0).
    bool Roll(proc::Dice& dice) {
        if (Skip(u"?-?")) {
            dice = 0;
            return true;
        }
        const int first = Die();
        if (!first || !Skip(u'-'))
            return false;
        const int second = Die();
        dice = proc::MakeDice(first, second);
        return second != 0;
    }
    // A point 1..24 as the line numbers it, "bar" to leave, "off" to arrive.
    std::optional<int32_t> Cell(proc::Side side, bool source) {
        if (source && Skip(u"bar"))
            return side == proc::White ? proc::WhiteBar : proc::BlackBar;
        if (!source && Skip(u"off"))
            return proc::BearOff;
        int point = 0;
        if (!Digits(point) || point < 1 || point > 24)
            return std::nullopt;
        return ownNumbering_ ? OwnPoint(side, point) : point;
    }
    // "24/18", "bar/22*", "8/5(2)", up to the next space or the end.
    bool Move(Turn& turn) {
        const auto from = Cell(turn.side, true);
        if (!from || !Skip(u'/'))
            return false;
        const auto to = Cell(turn.side, false);
        if (!to)
            return false;
        const bool hit = Skip(u'*');
        int times = 1;
        if (Skip(u'(')) {
            times = Die();
            if (times < 1 || times > 4 || !Skip(u')'))
                return false;
        }
        if (!TokenEnds())
            return false;
        for (int i = 0; i < times; ++i)
            turn.moves.push_back(ShownMove{turn.side, {*from, *to}, hit});
        return true;
    }

    QStringView line_;
    bool ownNumbering_;
    qsizetype at_ = 0;
};

} // namespace

std::optional<Turn> ParseTurnLine(QStringView line, bool ownNumbering) {
    return TurnLineReader(line, ownNumbering).Read();
}

} // namespace record
