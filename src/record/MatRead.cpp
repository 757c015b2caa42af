// Match text: a header, then " Game N", the players' names with their
// scores, and numbered lines of a left and a right column, each a roll with
// its moves or a cube action.
#include "record/ExchangeRead.h"

#include <QRegularExpression>
#include <QStringList>

namespace record {
namespace {

const QRegularExpression GameLine(QStringLiteral("^Game\\s+\\d+$"));
const QRegularExpression MatchLine(QStringLiteral("^\\d+\\s+point\\s+match$"));
const QRegularExpression
    PlayersLine(QStringLiteral("^(.*\\S)\\s*:\\s*\\d+\\s+(.*\\S)\\s*:\\s*\\d+$"));
const QRegularExpression MoveLine(QStringLiteral("^\\s*\\d+\\)(.*)$"));
const QRegularExpression
    DateLine(QStringLiteral("EventDate \"(\\d{4})\\.(\\d{1,2})\\.(\\d{1,2})\""));
const QRegularExpression Repeat(QStringLiteral("^(.*)\\(([1-4])\\)$"));
// A right column that starts a line stands this far from its number.
constexpr qsizetype RightColumn = 10;

int MatPoint(QString part) {
    part.remove('*');
    if (part.compare(QLatin1String("bar"), Qt::CaseInsensitive) == 0) {
        return 25;
    }
    if (part.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) {
        return 0;
    }
    bool ok = false;
    const int point = part.toInt(&ok);
    return ok && point >= 0 && point <= 25 ? point : -1;
}

// "13/8", "25/22*", "bar/20/14", "8/5(2)": the moves a token stands for.
bool ReadMoveToken(const QString& token, std::vector<ForeignMove>& moves) {
    QString body = token;
    int times = 1;
    if (const auto match = Repeat.match(token); match.hasMatch()) {
        body = match.captured(1);
        times = match.captured(2).toInt();
    }
    const QStringList parts = body.split('/');
    if (parts.size() < 2) {
        return false;
    }
    std::vector<ForeignMove> chain;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const int from = MatPoint(parts[i - 1]);
        const int to = MatPoint(parts[i]);
        if (from <= 0 || to < 0 || to >= from) {
            return false;
        }
        chain.push_back({from, to});
    }
    for (int k = 0; k < times; ++k) {
        moves.insert(moves.end(), chain.begin(), chain.end());
    }
    return true;
}

enum class Slot { Roll, Cube, Drop };

struct LineItem {
    Slot slot = Slot::Roll;
    qsizetype column = 0;
    ForeignTurn turn;
};

// One numbered line's columns; false for a token that is neither a roll, a
// move after one, nor a cube action.
bool ReadColumns(const QString& body, std::vector<LineItem>& items) {
    static const QRegularExpression token(QStringLiteral("\\S+"));
    for (auto it = token.globalMatch(body); it.hasNext();) {
        const auto match = it.next();
        const QString word = match.captured();
        const bool roll = word.size() == 3 && word[2] == ':' && word[0] >= '1' && word[0] <= '6' &&
                          word[1] >= '1' && word[1] <= '6';
        if (roll) {
            LineItem item{Slot::Roll, match.capturedStart(), {}};
            item.turn.firstDie = word[0].digitValue();
            item.turn.secondDie = word[1].digitValue();
            items.push_back(item);
        } else if (word == QLatin1String("Doubles") || word == QLatin1String("Takes") ||
                   word == QLatin1String("Beavers")) {
            items.push_back({Slot::Cube, match.capturedStart(), {}});
        } else if (word == QLatin1String("Drops") || word == QLatin1String("Passes")) {
            items.push_back({Slot::Drop, match.capturedStart(), {}});
        } else if (!items.empty() && items.back().slot == Slot::Cube) {
            continue; // "=> 2" after "Doubles"
        } else if (items.empty() || items.back().slot != Slot::Roll ||
                   !ReadMoveToken(word, items.back().turn.moves)) {
            return false;
        }
    }
    return items.size() <= 2;
}

} // namespace

std::optional<ForeignGame> ParseMat(const QString& text, QString& error) {
    ForeignGame game;
    game.games = 0;
    const QStringList lines = text.split('\n');
    bool named = false;
    bool dropped = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed().remove(QChar(0xFEFF));
        const int number = int(i + 1);
        auto fail = [&](const QString& what) {
            error = QStringLiteral("строка %1: %2: «%3»").arg(number).arg(what, line.left(80));
            return std::nullopt;
        };
        if (line.isEmpty()) {
            continue;
        }
        if (line.startsWith(';')) {
            if (const auto date = DateLine.match(line); date.hasMatch()) {
                game.date = QDateTime(QDate(date.captured(1).toInt(), date.captured(2).toInt(),
                                            date.captured(3).toInt()),
                                      QTime(0, 0));
            }
            continue;
        }
        if (GameLine.match(line).hasMatch()) {
            ++game.games;
            continue;
        }
        if (game.games == 0) {
            if (!MatchLine.match(line).hasMatch()) {
                return fail(QStringLiteral("это не запись партии в формате .mat"));
            }
            continue;
        }
        if (game.games > 1 || dropped) {
            continue; // only the first game is read; the others are counted
        }
        if (!named) {
            const auto players = PlayersLine.match(line);
            if (!players.hasMatch()) {
                return fail(QStringLiteral("нет имён игроков"));
            }
            game.names = {players.captured(1), players.captured(2)};
            named = true;
            continue;
        }
        const auto numbered = MoveLine.match(lines[i]);
        if (!numbered.hasMatch()) {
            continue; // "Wins 1 point" and other remarks
        }
        std::vector<LineItem> items;
        if (!ReadColumns(numbered.captured(1), items)) {
            return fail(QStringLiteral("ход не читается"));
        }
        for (size_t k = 0; k < items.size(); ++k) {
            // A single item is the right column's when it stands far from the number.
            const bool right = k == 1 || (items.size() == 1 && items[k].column > RightColumn);
            if (items[k].slot == Slot::Drop) {
                dropped = true;
            } else if (items[k].slot == Slot::Roll) {
                items[k].turn.player = right ? 1 : 0;
                items[k].turn.line = number;
                game.turns.push_back(std::move(items[k].turn));
            }
        }
    }
    if (game.games == 0) {
        error = lines.join(QString()).trimmed().isEmpty()
                    ? QStringLiteral("файл пуст")
                    : QStringLiteral("в файле нет ни одной партии");
        return std::nullopt;
    }
    return game;
}

std::optional<GameRecord> ReadMat(const QString& text, QString& error, QString& note) {
    return ReplayFirstGame(ParseMat(text, error), error, note);
}

} // namespace record
