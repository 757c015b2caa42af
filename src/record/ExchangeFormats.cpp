#include "record/ExchangeFormats.h"

#include "record/ExchangeParts.h"

#include <QStringList>
#include <algorithm>

namespace record {

using namespace exchange;

namespace {

bool AllRolled(const GameRecord& record) {
    const auto turns = record.PlayedTurns();
    return std::all_of(turns.begin(), turns.end(), [](const Turn* t) { return t->dice != 0; });
}

QString UnrolledProblem() {
    return QStringLiteral("в записи есть ход без броска костей");
}

QChar SgfColour(proc::Side side) {
    return side == proc::White ? QLatin1Char('W') : QLatin1Char('B');
}

} // namespace

QString MatProblem(const GameRecord& record) {
    if (record.Start().board != StandardStart()) {
        return QStringLiteral("формат .mat хранит только партии из обычной начальной позиции, "
                              "эту партию можно сохранить в формате .sgf");
    }
    return AllRolled(record) ? QString() : UnrolledProblem();
}

QString SgfProblem(const GameRecord& record) {
    return AllRolled(record) ? QString() : UnrolledProblem();
}

QString MatText(const GameRecord& record, const QDateTime& date) {
    QStringList lines{QStringLiteral("; [EventDate \"%1\"]").arg(date.toString("yyyy.MM.dd")),
                      QString(), QStringLiteral(" 1 point match"), QString()};
    lines << MatGameHead(1, PlayerOf(record, proc::White), 0, PlayerOf(record, proc::Black), 0);
    // White always moves first: a line holds a white turn and the black one after it.
    MatLines moves(lines);
    for (const Turn* turn : record.PlayedTurns()) {
        moves.Put(turn->side == proc::White, MatTurn(*turn));
    }
    if (const auto winner = record.Winner()) {
        moves.Wins(*winner == proc::White, 1, false);
    }
    moves.Flush();
    return lines.join('\n') + '\n';
}

QString SgfText(const GameRecord& record, const QDateTime& date) {
    QString root = QStringLiteral("(;FF[4]GM[6]CA[UTF-8]AP[Вертан:1.0]"
                                  "MI[length:1][game:0][ws:0][bs:0]");
    root += QStringLiteral("PW[%1]PB[%2]DT[%3]RU[NoCube]")
                .arg(SgfValue(PlayerOf(record, proc::White)),
                     SgfValue(PlayerOf(record, proc::Black)), date.toString("yyyy-MM-dd"));
    if (const auto winner = record.Winner()) {
        root += QStringLiteral("RE[%1+1]").arg(SgfColour(*winner));
    }
    // The start is always set up, so any Board.cfg start arrives as it was.
    QStringList nodes{root, SgfSetup(record.Start().board, false)};
    for (const Turn* turn : record.PlayedTurns()) {
        nodes << QStringLiteral(";%1[%2]").arg(SgfColour(turn->side)).arg(SgfMove(*turn, false));
    }
    return nodes.join('\n') + QStringLiteral(")\n");
}

} // namespace record
