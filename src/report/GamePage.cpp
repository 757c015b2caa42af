#include "report/Html.h"
#include "report/Pages.h"

#include "record/Notation.h"

#include <QStringList>
#include <array>

namespace report {

namespace {

void AddCells(QString& out, const proc::Board& board) {
    // A cell holds -15..15 checkers: their texts are made once.
    static const auto texts = [] {
        std::array<QString, 31> t;
        for (int n = -15; n <= 15; ++n)
            t[size_t(n + 15)] = QString::number(n);
        return t;
    }();
    out += QLatin1Char('[');
    for (size_t i = 0; i < board.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        const int32_t c = board[i];
        out += c >= -15 && c <= 15 ? texts[size_t(c + 15)] : QString::number(c);
    }
    out += QLatin1Char(']');
}

QString BorneOff(const proc::Board& board, proc::Side side) {
    int on = 0;
    for (const int32_t c : board)
        on += std::max(0, c * side);
    return QString::number(15 - on);
}

} // namespace

QByteArray GamePage(const Site& site, const JournalGame& game, const QString& recordText,
                    const std::optional<record::GameRecord>& read, const QString& readError) {
    const Club& club = site.club;
    QString body = QStringLiteral("<p>Дата: %1. Победил %2, проиграл %3; фишек у проигравшего: "
                                  "%4; очков победителю: %5.</p>")
                       .arg(Escape(game.date), Escape(NameOf(club, game.winner)),
                            Escape(NameOf(club, game.loser)))
                       .arg(game.margin)
                       .arg(game.award);
    if (!read) {
        body += QStringLiteral("<p class=\"note\">Запись партии не читается: %1</p><pre>%2</pre>")
                    .arg(Escape(readError), Escape(recordText));
        return Page(QStringLiteral("Партия №%1").arg(game.code), body, QStringLiteral("../"),
                    site.made);
    }
    const record::GameRecord& g = *read;
    body +=
        QStringLiteral("<p>Белые: %1. Чёрные: %2. Первый бросок: %3. %4.</p>")
            .arg(Escape(record::PlayerOf(g, proc::White)), Escape(record::PlayerOf(g, proc::Black)),
                 record::DiceText(g.Start().opening), Escape(record::ResultText(g)));
    // Every position from the start, one after each turn, for the arrow keys.
    proc::Board board = g.Start().board;
    QString positions;
    positions.reserve(4096);
    AddCells(positions, board);
    QString moves;
    for (const record::Turn* turn : g.PlayedTurns()) {
        for (const record::ShownMove& move : turn->moves)
            proc::ApplyMove(board, move.side, move.move);
        positions += QLatin1Char(',');
        AddCells(positions, board);
        moves += QStringLiteral("<li>") + Escape(record::TurnText(*turn)) + QStringLiteral("</li>");
    }
    const QString caption =
        QStringLiteral("Позиция после последнего хода. Пипсов: у белых %1, у чёрных %2. Сброшено "
                       "фишек: белыми %3, чёрными %4.")
            .arg(record::PipCount(g.Board(), proc::White))
            .arg(record::PipCount(g.Board(), proc::Black))
            .arg(BorneOff(g.Board(), proc::White), BorneOff(g.Board(), proc::Black));
    body +=
        QStringLiteral("<section class=\"game\" data-positions=\"[") + positions +
        QStringLiteral("]\"><figure>") + BoardSvg(g.Board(), QStringLiteral("Доска")) +
        QStringLiteral("<figcaption>") + caption +
        QStringLiteral("</figcaption></figure><div class=\"steps\" hidden><button type=\"button\" "
                       "class=\"back\">← назад</button><button type=\"button\" class=\"forward\">"
                       "вперёд →</button><span class=\"step\" aria-live=\"polite\"></span> "
                       "(стрелки влево и вправо)</div><h2>Ходы</h2><ol class=\"moves\">") +
        moves + QStringLiteral("</ol></section>");
    return Page(QStringLiteral("Партия №%1").arg(game.code), body, QStringLiteral("../"),
                site.made);
}

} // namespace report
