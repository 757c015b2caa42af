// Backgammon SGF: game trees of nodes, each node properties with values in
// brackets. Only the main line of the first tree is a game to show.
#include "record/ExchangeRead.h"

#include <QRegularExpression>

namespace record {
namespace {

struct SgfNode {
    int line = 0;
    std::vector<std::pair<QString, QStringList>> properties;
};

class SgfReader {
  public:
    explicit SgfReader(const QString& text) : text_(text) {}

    /*! Reads the game trees; the main line of the first goes to mainLine.
        False and a reason for text that is not SGF. */
    bool Read(std::vector<SgfNode>& mainLine, int& trees, QString& error) {
        trees = 0;
        SkipSpace();
        if (AtEnd() || text_[pos_] != '(') {
            return Fail(QStringLiteral("это не файл SGF"), error);
        }
        while (!AtEnd() && text_[pos_] == '(') {
            // A later game that does not read still leaves the first one.
            if (!ReadTree(trees == 0 ? &mainLine : nullptr, error)) {
                return trees > 0;
            }
            ++trees;
            SkipSpace();
        }
        return true;
    }

  private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    void Step() {
        if (text_[pos_] == '\n') {
            ++line_;
        }
        ++pos_;
    }
    void SkipSpace() {
        while (!AtEnd() && (text_[pos_].isSpace() || text_[pos_] == QChar(0xFEFF))) {
            Step();
        }
    }
    bool Fail(const QString& what, QString& error) const {
        error = QStringLiteral("строка %1: %2").arg(line_).arg(what);
        return false;
    }

    // '(' nodes, then the variations; the first one continues the main line.
    bool ReadTree(std::vector<SgfNode>* mainLine, QString& error) {
        const int opened = line_;
        Step();
        SkipSpace();
        if (AtEnd() || text_[pos_] != ';') {
            return Fail(QStringLiteral("это не файл SGF"), error);
        }
        while (!AtEnd() && text_[pos_] == ';') {
            SgfNode node{line_, {}};
            Step();
            if (!ReadProperties(node, error)) {
                return false;
            }
            if (mainLine) {
                mainLine->push_back(std::move(node));
            }
        }
        for (bool first = true; !AtEnd() && text_[pos_] == '('; first = false) {
            if (!ReadTree(first ? mainLine : nullptr, error)) {
                return false;
            }
            SkipSpace();
        }
        if (AtEnd() || text_[pos_] != ')') {
            line_ = opened;
            return Fail(QStringLiteral("дерево партии не закрыто"), error);
        }
        Step();
        return true;
    }

    bool ReadProperties(SgfNode& node, QString& error) {
        for (SkipSpace(); !AtEnd() && text_[pos_].isLetter(); SkipSpace()) {
            QString name;
            while (!AtEnd() && text_[pos_].isLetter()) {
                // Lowercase letters of old files' long names are not part of the name.
                if (text_[pos_].isUpper()) {
                    name += text_[pos_];
                }
                Step();
            }
            QStringList values;
            for (SkipSpace(); !AtEnd() && text_[pos_] == '['; SkipSpace()) {
                QString value;
                if (!ReadValue(value, error)) {
                    return false;
                }
                values << value;
            }
            if (values.isEmpty()) {
                return Fail(QStringLiteral("у свойства %1 нет значения").arg(name), error);
            }
            node.properties.emplace_back(name, values);
        }
        return true;
    }

    bool ReadValue(QString& value, QString& error) {
        const int opened = line_;
        Step();
        while (!AtEnd() && text_[pos_] != ']') {
            if (text_[pos_] == '\\') {
                Step();
                if (AtEnd()) {
                    break;
                }
            }
            value += text_[pos_];
            Step();
        }
        if (AtEnd()) {
            line_ = opened;
            return Fail(QStringLiteral("значение не закрыто"), error);
        }
        Step();
        return true;
    }

    const QString& text_;
    qsizetype pos_ = 0;
    int line_ = 1;
};

// A point letter as the player counts it: a..x the board from white's 1,
// y the player's bar, z off; -1 for any other.
int OwnPointOf(QChar letter, int player) {
    const char16_t c = letter.unicode();
    if (c == u'y') {
        return 25;
    }
    if (c == u'z') {
        return 0;
    }
    if (c < u'a' || c > u'x') {
        return -1;
    }
    const int index = c - u'a';
    return player == 0 ? index + 1 : 24 - index;
}

ForeignPosition StandardPosition() {
    ForeignPosition position{};
    for (auto& own : position) {
        own[6] = 5;
        own[8] = 3;
        own[13] = 5;
        own[24] = 2;
    }
    return position;
}

// AE[a:y] and AE[f]: the points a value names, both ends included.
bool Range(const QString& value, QChar& first, QChar& last) {
    const bool single = value.size() == 1;
    const bool range = value.size() == 3 && value[1] == ':';
    if (!single && !range) {
        return false;
    }
    first = value[0];
    last = value[value.size() - 1];
    return first >= 'a' && last <= 'y' && first <= last;
}

// Applies a set-up property to the position; false for a value it cannot read.
bool SetUp(const QString& name, const QStringList& values, ForeignPosition& position) {
    for (const QString& value : values) {
        QChar first;
        QChar last;
        if (!Range(value, first, last)) {
            return false;
        }
        for (char16_t c = first.unicode(); c <= last.unicode(); ++c) {
            for (size_t player = 0; player < 2; ++player) {
                const int point = OwnPointOf(c, int(player));
                if (point < 1) {
                    return false;
                }
                if (name == QLatin1String("AE")) {
                    position[player][size_t(point)] = 0;
                } else if ((name == QLatin1String("AW")) == (player == 0)) {
                    ++position[player][size_t(point)];
                }
            }
        }
    }
    return true;
}

// "52lgjg": the roll and then each checker's from and to.
bool ReadMove(const QString& value, ForeignTurn& turn) {
    static const QRegularExpression shape(QStringLiteral("^([1-6])([1-6])((?:[a-z][a-z])*)$"));
    const auto match = shape.match(value);
    if (!match.hasMatch()) {
        return false;
    }
    turn.firstDie = match.captured(1).toInt();
    turn.secondDie = match.captured(2).toInt();
    const QString points = match.captured(3);
    for (qsizetype i = 0; i < points.size(); i += 2) {
        const int from = OwnPointOf(points[i], turn.player);
        const int to = OwnPointOf(points[i + 1], turn.player);
        if (from <= 0 || to < 0 || to == 25 || to >= from) {
            return false;
        }
        turn.moves.push_back({from, to});
    }
    return true;
}

} // namespace

std::optional<ForeignGame> ParseSgf(const QString& text, QString& error) {
    std::vector<SgfNode> nodes;
    ForeignGame game;
    if (text.trimmed().isEmpty()) {
        error = QStringLiteral("файл пуст");
        return std::nullopt;
    }
    if (!SgfReader(text).Read(nodes, game.games, error)) {
        return std::nullopt;
    }
    bool dropped = false;
    for (const SgfNode& node : nodes) {
        auto fail = [&](const QString& what) {
            error = QStringLiteral("строка %1: %2").arg(node.line).arg(what);
            return std::nullopt;
        };
        for (const auto& [name, values] : node.properties) {
            const QString& value = values.front();
            if (&node == &nodes.front() && name == QLatin1String("GM") && value.trimmed() != "6") {
                return fail(QStringLiteral("это не партия в нарды (GM[%1])").arg(value));
            } else if (name == QLatin1String("PW") || name == QLatin1String("PB")) {
                game.names[name == QLatin1String("PW") ? 0 : 1] = value.trimmed();
            } else if (name == QLatin1String("DT")) {
                game.date = QDateTime(QDate::fromString(value.left(10), "yyyy-MM-dd"), QTime(0, 0));
            } else if (name == QLatin1String("AE") || name == QLatin1String("AW") ||
                       name == QLatin1String("AB")) {
                if (!game.turns.empty()) {
                    return fail(QStringLiteral("расстановка посреди партии"));
                }
                if (!game.start) {
                    game.start = StandardPosition();
                    game.startLine = node.line;
                }
                if (!SetUp(name, values, *game.start)) {
                    return fail(QStringLiteral("расстановка не читается: %1[%2]").arg(name, value));
                }
            } else if ((name == QLatin1String("W") || name == QLatin1String("B")) && !dropped) {
                const QString move = value.trimmed().toLower();
                if (move == QLatin1String("drop")) {
                    dropped = true; // the game ends there
                } else if (move != QLatin1String("double") && move != QLatin1String("take")) {
                    ForeignTurn turn{name == QLatin1String("W") ? 0 : 1, 0, 0, {}, node.line};
                    if (!ReadMove(move, turn)) {
                        return fail(QStringLiteral("ход не читается: %1[%2]").arg(name, value));
                    }
                    game.turns.push_back(std::move(turn));
                }
            }
        }
    }
    const bool backgammon =
        !nodes.empty() &&
        std::any_of(nodes.front().properties.begin(), nodes.front().properties.end(),
                    [](const auto& p) { return p.first == "GM"; });
    if (!backgammon) {
        error = QStringLiteral("строка %1: это не партия в нарды (нет GM[6])")
                    .arg(nodes.empty() ? 1 : nodes.front().line);
        return std::nullopt;
    }
    return game;
}

std::optional<GameRecord> ReadSgf(const QString& text, QString& error, QString& note) {
    return ReplayFirstGame(ParseSgf(text, error), error, note);
}

} // namespace record
