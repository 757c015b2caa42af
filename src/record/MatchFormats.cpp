// A match to N points in the exchange formats: the games one after another,
// with their cube actions where they were made.
#include "record/ExchangeFormats.h"
#include "record/ExchangeParts.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>

namespace record {

using namespace exchange;

namespace {

proc::Side Other(proc::Side side) {
    return static_cast<proc::Side>(-side);
}

// One entry of a game in the order it was played: a turn, a double or its answer.
struct Step {
    enum Kind { Move, Double, Take, Drop } kind = Move;
    proc::Side side = proc::White;
    const Turn* turn = nullptr;
    int value = 0;
};

std::vector<Step> Steps(const MatchGame& g) {
    std::vector<Step> steps;
    size_t next = 0;
    auto cubeBefore = [&](size_t turn) {
        for (; next < g.cube.size() && size_t(std::max(g.cube[next].turn, 0)) <= turn; ++next) {
            const CubeAction& a = g.cube[next];
            steps.push_back({Step::Double, a.doubler, nullptr, a.value});
            steps.push_back(
                {a.taken ? Step::Take : Step::Drop, Other(a.doubler), nullptr, a.value});
        }
    };
    const std::vector<Turn>& turns = g.game.Turns();
    for (size_t i = 0; i < turns.size(); ++i) {
        cubeBefore(i);
        // A roll that ended in a resignation before its first move is not played.
        if (!turns[i].moves.empty() || turns[i].passed)
            steps.push_back({Step::Move, turns[i].side, &turns[i], 0});
    }
    cubeBefore(SIZE_MAX);
    return steps;
}

QString FirstProblem(const MatchRecord& m, QString (*problem)(const GameRecord&)) {
    for (const MatchGame& g : m.games) {
        const QString found = problem(g.game);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

QString MatEntry(const Step& step) {
    switch (step.kind) {
    case Step::Double:
        return QStringLiteral(" Doubles => %1").arg(step.value);
    case Step::Take:
        return QStringLiteral(" Takes");
    case Step::Drop:
        return QStringLiteral(" Drops");
    default:
        return MatTurn(*step.turn);
    }
}

QString SgfEntry(const Step& step, bool mirrored) {
    switch (step.kind) {
    case Step::Double:
        return QStringLiteral("double");
    case Step::Take:
        return QStringLiteral("take");
    case Step::Drop:
        return QStringLiteral("drop");
    default:
        return SgfMove(*step.turn, mirrored);
    }
}

bool DecidesMatch(const MatchRecord& m, size_t index) {
    return index + 1 == m.games.size() && m.Winner() != 0;
}

} // namespace

QString MatchMatProblem(const MatchRecord& match) {
    return FirstProblem(match, MatProblem);
}

QString MatchSgfProblem(const MatchRecord& match) {
    return FirstProblem(match, SgfProblem);
}

QString MatchMatText(const MatchRecord& m, const QDateTime& date) {
    QStringList lines{QStringLiteral("; [EventDate \"%1\"]").arg(date.toString("yyyy.MM.dd")),
                      QString(), QStringLiteral(" %1 point match").arg(m.length)};
    for (size_t k = 0; k < m.games.size(); ++k) {
        const MatchGame& g = m.games[k];
        lines << QString();
        lines << MatGameHead(int(k) + 1, PlayerOf(g.game, g.firstSide), g.scoreFirst,
                             PlayerOf(g.game, Other(g.firstSide)), g.scoreSecond);
        MatLines column(lines);
        for (const Step& step : Steps(g))
            column.Put(step.side == g.firstSide, MatEntry(step));
        if (g.end != GameEnd::Unfinished)
            column.Wins(g.winner == g.firstSide, g.points, DecidesMatch(m, k));
        column.Flush();
    }
    return lines.join('\n') + '\n';
}

QString MatchSgfText(const MatchRecord& m, const QDateTime& date) {
    QString text;
    for (size_t k = 0; k < m.games.size(); ++k) {
        const MatchGame& g = m.games[k];
        const bool mirrored = g.firstSide == proc::Black;
        auto colour = [&](proc::Side side) { return side == g.firstSide ? 'W' : 'B'; };
        QString root = QStringLiteral("(;FF[4]GM[6]CA[UTF-8]AP[Вертан:1.0]"
                                      "MI[length:%1][game:%2][ws:%3][bs:%4]")
                           .arg(m.length)
                           .arg(k)
                           .arg(g.scoreFirst)
                           .arg(g.scoreSecond);
        root += QStringLiteral("PW[%1]PB[%2]")
                    .arg(SgfValue(PlayerOf(g.game, g.firstSide)),
                         SgfValue(PlayerOf(g.game, Other(g.firstSide))));
        if (k == 0)
            root += QStringLiteral("DT[%1]").arg(date.toString("yyyy-MM-dd"));
        root += QStringLiteral("RU[Crawford%1]")
                    .arg(g.crawford ? QStringLiteral(":CrawfordGame") : QString());
        if (g.end != GameEnd::Unfinished)
            root += QStringLiteral("RE[%1+%2%3]")
                        .arg(QChar::fromLatin1(colour(g.winner)))
                        .arg(g.points)
                        .arg(g.end == GameEnd::Resign ? QStringLiteral("R") : QString());
        QStringList nodes{root, SgfSetup(g.game.Start().board, mirrored)};
        for (const Step& step : Steps(g))
            nodes << QStringLiteral(";%1[%2]")
                         .arg(QChar::fromLatin1(colour(step.side)))
                         .arg(SgfEntry(step, mirrored));
        text += nodes.join('\n') + QStringLiteral(")\n");
    }
    return text;
}

} // namespace record
