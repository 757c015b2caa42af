#include "record/MatchRecord.h"

#include "record/RecordText.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace record {
namespace {

const QString MatchTitle = QStringLiteral("Матч до ");
const QString& DateKey = RecordDateKey;
const QString PlayersKey = QStringLiteral("Игроки: ");
const QString ScoreKey = QStringLiteral("Счёт: ");
const QString CubeKey = QStringLiteral("Куб: ");
const QString ResignKey = QStringLiteral("Сдача: ");
const QString EndKey = QStringLiteral("Итог партии: ");
const QString CrawfordMark = QStringLiteral(", Кроуфорд");
const QString& DateFormat = RecordDateFormat;

proc::Side Other(proc::Side side) {
    return static_cast<proc::Side>(-side);
}

match::Owner OwnerOf(proc::Side side) {
    return side == proc::White ? match::Owner::White : match::Owner::Black;
}

// The levels as players say them when they resign.
QString LevelText(match::Result level) {
    switch (level) {
    case match::Result::Gammon:
        return QStringLiteral("гаммон");
    case match::Result::Backgammon:
        return QStringLiteral("бэкгаммон");
    default:
        return QStringLiteral("одну партию");
    }
}

int CheckersOf(const proc::Board& board, proc::Side side) {
    int count = 0;
    for (int32_t cell = 1; cell <= proc::WhiteBar; ++cell)
        count += std::max(proc::Cell(board, cell) * side, 0);
    return count;
}

} // namespace

QString CubeLine(const CubeAction& a) {
    return CubeKey + QStringLiteral("%1 удваивают до %2, %3 %4")
                         .arg(SideName(a.doubler))
                         .arg(a.value)
                         .arg(SideName(Other(a.doubler)),
                              a.taken ? QStringLiteral("принимают")
                                      : QStringLiteral("отказываются"));
}

QString ResignLine(const ResignAction& a) {
    return ResignKey + QStringLiteral("%1 предлагают %2, %3 %4")
                           .arg(SideName(a.by), LevelText(a.level), SideName(Other(a.by)),
                                a.accepted ? QStringLiteral("принимают")
                                           : QStringLiteral("отклоняют"));
}

QString GameEndText(const MatchGame& g) {
    if (g.end == GameEnd::Unfinished)
        return QStringLiteral("партия не окончена");
    QString how;
    switch (g.end) {
    case GameEnd::Pass:
        how = QStringLiteral("отказ от удвоения");
        break;
    case GameEnd::Resign:
        how = QStringLiteral("сдача, ") + LevelText(g.level);
        break;
    default:
        how = g.level == match::Result::Single ? QStringLiteral("одна партия")
                                                 : LevelText(g.level);
    }
    return QStringLiteral("победа %1 (%2), %3 %4 (%5)")
        .arg(SideGenitive(g.winner), PlayerOf(g.game, g.winner))
        .arg(g.points)
        .arg(PointsWord(g.points), how);
}

namespace {

QString EndLine(const MatchGame& g) {
    return EndKey + GameEndText(g);
}

QString ScoreLine(const MatchGame& g, int number) {
    const QString first = PlayerOf(g.game, g.firstSide);
    const QString second = PlayerOf(g.game, Other(g.firstSide));
    // One pass: a name may hold "%5" of its own.
    return QStringLiteral("Партия %1. %2%3 (%4) %5, %6 (%7) %8%9")
        .arg(QString::number(number), ScoreKey, first, SideName(g.firstSide),
             QString::number(g.scoreFirst), second, SideName(Other(g.firstSide)),
             QString::number(g.scoreSecond), g.crawford ? CrawfordMark : QString());
}

// The game's own text with the match's lines before the turn they precede.
QStringList GameLines(const MatchGame& g) {
    struct Placed {
        int turn;
        QString line;
    };
    std::vector<Placed> placed;
    for (const CubeAction& a : g.cube)
        placed.push_back({a.turn, CubeLine(a)});
    for (const ResignAction& a : g.resignations)
        placed.push_back({a.turn, ResignLine(a)});
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.turn < b.turn; });

    QStringList lines = RecordText(g.game, g.game.StartTime()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QStringList out;
    int turnsSeen = 0;
    size_t next = 0;
    static const QRegularExpression turnLine(QStringLiteral("^\\d+\\. "));
    for (const QString& line : lines) {
        const bool isTurn = turnLine.match(line).hasMatch();
        const bool isResult = line.startsWith(QStringLiteral("Результат: "));
        if (isTurn || isResult) {
            while (next < placed.size() && (isResult || placed[next].turn <= turnsSeen))
                out << placed[next++].line;
        }
        if (isTurn)
            ++turnsSeen;
        out << line;
    }
    for (; next < placed.size(); ++next)
        out << placed[next].line;
    if (g.end != GameEnd::Unfinished)
        out << EndLine(g);
    return out;
}

} // namespace

match::Cube MatchGame::FinalCube() const {
    match::Cube result;
    for (const CubeAction& a : cube)
        if (a.taken)
            result = match::Cube{a.value, OwnerOf(Other(a.doubler))};
    return result;
}

void SettleGame(MatchGame& g) {
    g.end = GameEnd::Unfinished;
    g.winner = 0;
    g.points = 0;
    g.level = match::Result::Single;
    const match::Cube cube = g.FinalCube();
    if (!g.resignations.empty() && g.resignations.back().accepted) {
        const ResignAction& offer = g.resignations.back();
        const match::GameOutcome outcome = match::Accept({offer.by, offer.level}, cube);
        g.end = GameEnd::Resign;
        g.winner = outcome.winner;
        g.points = outcome.points;
        g.level = offer.level;
        return;
    }
    if (!g.cube.empty() && !g.cube.back().taken) {
        const match::GameOutcome outcome = match::Pass(cube, g.cube.back().doubler);
        g.end = GameEnd::Pass;
        g.winner = outcome.winner;
        g.points = outcome.points;
        return;
    }
    const auto winner = g.game.Winner();
    if (!winner)
        return;
    // Checkers missing from a side's fifteen count as borne off, as on any board.
    const int loserStart =
        std::max(match::StandardCheckers, CheckersOf(g.game.Start().board, Other(*winner)));
    const auto level = match::GameResult(g.game.Board(), loserStart);
    if (!level)
        return;
    g.end = GameEnd::Play;
    g.winner = *winner;
    g.level = *level;
    g.points = match::Points(*level, cube);
}

std::pair<int, int> MatchRecord::Score() const {
    int first = 0;
    int second = 0;
    for (const MatchGame& g : games) {
        if (g.end == GameEnd::Unfinished)
            continue;
        (g.winner == g.firstSide ? first : second) += g.points;
    }
    return {first, second};
}

int MatchRecord::Winner() const {
    const auto [first, second] = Score();
    if (first >= length && first > second)
        return 1;
    if (second >= length && second > first)
        return -1;
    return 0;
}

namespace {

// "очка" after a number ending in one (but not eleven), as "до" asks.
QString GenitivePoints(int n) {
    return n % 10 == 1 && n % 100 != 11 ? QStringLiteral("очка") : QStringLiteral("очков");
}

} // namespace

QString PointsWord(int n) {
    const int tens = n % 100;
    const int ones = n % 10;
    if (tens >= 11 && tens <= 14)
        return QStringLiteral("очков");
    if (ones == 1)
        return QStringLiteral("очко");
    if (ones >= 2 && ones <= 4)
        return QStringLiteral("очка");
    return QStringLiteral("очков");
}

QString MatchText(const MatchRecord& m, const QDateTime& date) {
    const auto [first, second] = m.Score();
    QStringList lines{MatchTitle + QStringLiteral("%1 %2").arg(m.length).arg(GenitivePoints(m.length)),
                      DateKey + date.toString(DateFormat),
                      PlayersKey + m.first + QStringLiteral(", ") + m.second,
                      ScoreKey + QStringLiteral("%1 %2, %3 %4")
                                     .arg(m.first, QString::number(first), m.second,
                                          QString::number(second))};
    int number = 0;
    for (const MatchGame& g : m.games) {
        lines << QString() << ScoreLine(g, ++number);
        lines << GameLines(g);
    }
    return lines.join('\n') + '\n';
}

std::optional<MatchSummary> ReadMatchSummary(const QString& text) {
    if (!IsMatchText(text))
        return std::nullopt;
    static const QRegularExpression titleRe(QStringLiteral("^Матч до (\\d{1,4}) очк"));
    static const QRegularExpression scoreRe(QStringLiteral("^Счёт: (.+) (\\d+), (.+) (\\d+)$"));
    MatchSummary summary;
    const QStringList lines = QString(text).remove(QChar(0xFEFF)).remove('\r').split('\n');
    const auto title = titleRe.match(lines.value(0));
    const auto score = scoreRe.match(lines.value(3));
    if (!title.hasMatch() || !score.hasMatch())
        return std::nullopt;
    summary.length = title.captured(1).toInt();
    summary.first = score.captured(1);
    summary.scoreFirst = score.captured(2).toInt();
    summary.second = score.captured(3);
    summary.scoreSecond = score.captured(4).toInt();
    return summary;
}

QString MatchEndText(const MatchSummary& s) {
    const bool firstWon = s.scoreFirst >= s.scoreSecond;
    return QStringLiteral("Матч до %1 %2 окончен. Победитель: %3, счёт %4:%5 (%6 — %7).")
        .arg(s.length)
        .arg(GenitivePoints(s.length), firstWon ? s.first : s.second)
        .arg(std::max(s.scoreFirst, s.scoreSecond))
        .arg(std::min(s.scoreFirst, s.scoreSecond))
        .arg(firstWon ? s.first : s.second, firstWon ? s.second : s.first);
}

bool IsMatchText(const QString& text) {
    return text.startsWith(MatchTitle) ||
           (text.startsWith(QChar(0xFEFF)) && text.mid(1).startsWith(MatchTitle));
}


namespace {

proc::Side SideFrom(const QString& word) {
    return word == QStringLiteral("белые") ? proc::White : proc::Black;
}

match::Result LevelFrom(const QString& word) {
    if (word == QStringLiteral("гаммон"))
        return match::Result::Gammon;
    if (word == QStringLiteral("бэкгаммон"))
        return match::Result::Backgammon;
    return match::Result::Single;
}

QString LineError(int number, const QString& what, const QString& line) {
    return QStringLiteral("строка %1: %2: «%3»").arg(number).arg(what, line.left(80));
}

// One game's block: its lines with the match's own blanked out, so that the
// game reader names the same line numbers as the whole text.
struct Block {
    int header = 0; // index of the "Партия N." line
    int end = 0;    // one past the block's last line
};

} // namespace

std::optional<MatchRecord> ReadMatch(const QString& text, bool checkRules, QString& error) {
    QString body = text;
    body.remove(QChar(0xFEFF));
    body.remove(QChar('\r'));
    const QStringList lines = body.split('\n');
    static const QRegularExpression titleRe(QStringLiteral("^Матч до (\\d{1,4}) очк"));
    static const QRegularExpression gameRe(QStringLiteral(
        "^Партия (\\d+)\\. Счёт: (.+) \\((белые|чёрные)\\) (\\d+), (.+) \\((белые|чёрные)\\) "
        "(\\d+)(, Кроуфорд)?$"));
    static const QRegularExpression cubeRe(QStringLiteral(
        "^Куб: (белые|чёрные) удваивают до (\\d+), (белые|чёрные) (принимают|отказываются)$"));
    static const QRegularExpression resignRe(
        QStringLiteral("^Сдача: (белые|чёрные) предлагают (одну партию|гаммон|бэкгаммон), "
                       "(белые|чёрные) (принимают|отклоняют)$"));
    static const QRegularExpression turnRe(QStringLiteral("^\\d+\\. "));

    MatchRecord m;
    const auto title = titleRe.match(lines.value(0).trimmed());
    if (!title.hasMatch() || title.captured(1).toInt() < 1) {
        error = LineError(1, QStringLiteral("это не запись матча"), lines.value(0));
        return std::nullopt;
    }
    m.length = title.captured(1).toInt();

    std::vector<Block> blocks;
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (blocks.empty() && line.startsWith(PlayersKey)) {
            const QString names = line.mid(PlayersKey.size());
            const qsizetype comma = names.indexOf(QStringLiteral(", "));
            m.first = names.left(comma);
            m.second = comma < 0 ? QString() : names.mid(comma + 2);
        }
        if (gameRe.match(line).hasMatch()) {
            if (!blocks.empty())
                blocks.back().end = i;
            blocks.push_back({i, int(lines.size())});
        }
    }
    if (blocks.empty()) {
        error = LineError(1, QStringLiteral("в матче нет ни одной партии"), lines.value(0));
        return std::nullopt;
    }

    match::MatchState byPlayer{m.length, 0, 0, false, false, {}};
    for (const Block& block : blocks) {
        const auto header = gameRe.match(lines[block.header].trimmed());
        if (match::MatchOver(byPlayer)) {
            error = LineError(block.header + 1, QStringLiteral("партия после конца матча"),
                              lines[block.header]);
            return std::nullopt;
        }
        MatchGame g;
        g.firstSide = SideFrom(header.captured(3));
        g.scoreFirst = byPlayer.scoreWhite;
        g.scoreSecond = byPlayer.scoreBlack;
        g.crawford = byPlayer.crawford;

        QStringList gameLines;
        for (int i = 0; i <= block.header; ++i)
            gameLines << QString();
        int turnsSeen = 0;
        std::vector<int> actionLines; // cube lines, for their errors
        for (int i = block.header + 1; i < block.end; ++i) {
            const QString line = lines[i].trimmed();
            if (const auto c = cubeRe.match(line); c.hasMatch()) {
                g.cube.push_back({turnsSeen, SideFrom(c.captured(1)), c.captured(2).toInt(),
                                  c.captured(4) == QStringLiteral("принимают")});
                actionLines.push_back(i);
                gameLines << QString();
            } else if (const auto r = resignRe.match(line); r.hasMatch()) {
                g.resignations.push_back({turnsSeen, SideFrom(r.captured(1)),
                                          LevelFrom(r.captured(2)),
                                          r.captured(4) == QStringLiteral("принимают")});
                gameLines << QString();
            } else if (line.startsWith(EndKey)) {
                gameLines << QString();
            } else {
                if (turnRe.match(line).hasMatch())
                    ++turnsSeen;
                gameLines << lines[i];
            }
        }
        const QString gameText = gameLines.join('\n');
        auto game = checkRules ? ReadRecord(gameText, error) : ReplayRecord(gameText, error);
        if (!game)
            return std::nullopt;
        g.game = std::move(*game);

        // Each double by the cube's rules at its point of the game.
        match::MatchState state = match::ByColour(byPlayer, g.firstSide);
        for (size_t k = 0; k < g.cube.size(); ++k) {
            const CubeAction& a = g.cube[k];
            const bool last = k + 1 == g.cube.size();
            // Turns alternate from white's first, so turn k is white's when k is even.
            const proc::Side due = a.turn % 2 == 0 ? proc::White : proc::Black;
            if (a.doubler != due || !match::MayDouble(state, a.doubler) ||
                a.value != state.cube.value * 2 ||
                (!a.taken && (!last || a.turn != turnsSeen))) {
                const int at = actionLines[k];
                error = LineError(at + 1, QStringLiteral("удвоение не по правилам"), lines[at]);
                return std::nullopt;
            }
            if (a.taken)
                state.cube = match::Take(state.cube, Other(a.doubler));
        }
        SettleGame(g);
        const bool lastGame = &block == &blocks.back();
        if (g.end == GameEnd::Unfinished && !lastGame) {
            error = LineError(block.header + 1, QStringLiteral("партия не окончена"),
                              lines[block.header]);
            return std::nullopt;
        }
        if (g.end != GameEnd::Unfinished)
            byPlayer = match::AfterGame(byPlayer, g.winner == g.firstSide ? proc::White : proc::Black,
                                        g.points);
        m.games.push_back(std::move(g));
    }
    return m;
}

} // namespace record
