#include "report/Html.h"
#include "report/Pages.h"

#include "record/Notation.h"

#include <algorithm>

namespace report {

namespace {

// The same places as the page's script: points 13-24 along the top, 12-1
// along the bottom, the bar in the middle.
int PointX(int k) {
    const int column = k >= 13 ? k - 13 : 12 - k;
    return 20 + column * 20 + (column >= 6 ? 20 : 0);
}

} // namespace

// The field and its points are the same on every board: one picture of the
// site that each board shows under its checkers, so that a million pages do
// not each carry it. Its colours are its own: the pages' style does not reach it.
std::string BoardPicture() {
    HtmlOut out;
    out.Raw("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 280 220\" width=\"280\" "
            "height=\"220\"><rect fill=\"#d9c7a0\" x=\"0\" y=\"0\" width=\"280\" height=\"220\"/>");
    for (const int odd : {1, 0}) {
        out.Raw(odd ? "<path fill=\"#a0704a\" d=\"" : "<path fill=\"#f0e4c8\" d=\"");
        for (int k = 1; k <= 24; ++k) {
            if (k % 2 != odd)
                continue;
            const bool topRow = k >= 13;
            out.Raw("M").Int(PointX(k) - 10).Raw(",").Int(topRow ? 10 : 210).Raw("h20l-10,");
            out.Int(topRow ? 90 : -90).Raw("z");
        }
        out.Raw("\"/>");
    }
    out.Raw("<rect fill=\"#6b4a2e\" x=\"130\" y=\"0\" width=\"20\" height=\"220\"/></svg>\n");
    return out.Bytes();
}

namespace {

void AddBoard(HtmlOut& out, const proc::Board& board) {
    out.Raw("<svg class=\"board\" role=\"img\" viewBox=\"0 0 280 220\" aria-label=\"Доска\">");
    out.Raw("<image href=\"").Raw(GameRoot).Raw(BoardPictureName);
    out.Raw("\" width=\"280\" height=\"220\"/><g class=\"checkers\">");
    for (int k = 1; k <= 26; ++k) {
        const int count = proc::Cell(board, k);
        if (count == 0)
            continue;
        const int many = std::abs(count);
        int x, y0, dy;
        if (k >= 25) {
            x = 140;
            y0 = k == proc::WhiteBar ? 130 : 90;
            dy = k == proc::WhiteBar ? 20 : -20;
        } else {
            x = PointX(k);
            y0 = k >= 13 ? 20 : 200;
            dy = k >= 13 ? 20 : -20;
        }
        for (int i = 0; i < std::min(many, 5); ++i) {
            out.Raw("<circle cx=\"").Int(x).Raw("\" cy=\"").Int(y0 + i * dy);
            out.Raw(count > 0 ? "\" r=\"9\" class=\"white\"/>" : "\" r=\"9\" class=\"black\"/>");
        }
        if (many > 5)
            out.Raw("<text x=\"").Int(x).Raw("\" y=\"").Int(y0 + 2 * dy + 4).Raw("\">").Int(many)
                .Raw("</text>");
    }
    out.Raw("</g></svg>");
}

// A cell as the side that moves counts it, as record::MoveText writes it.
void AddCell(HtmlOut& out, proc::Side side, int32_t cell) {
    if (cell == proc::BlackBar || cell == proc::WhiteBar)
        out.Raw("bar");
    else if (cell == proc::BearOff)
        out.Raw("off");
    else
        out.Int(record::OwnPoint(side, cell));
}

int BorneOff(const proc::Board& board, proc::Side side) {
    int on = 0;
    for (const int32_t c : board)
        on += std::max(0, c * side);
    return 15 - on;
}

bool SameText(const record::ShownMove& a, const record::ShownMove& b) {
    return a.side == b.side && a.move == b.move && a.hit == b.hit;
}

} // namespace

// The page's script reads these lines back to step through the positions.
void AddTurnText(HtmlOut& list, const record::Turn& turn) {
    list.Raw(turn.side == proc::White ? "Белые " : "Чёрные ");
    if (turn.dice == 0)
        list.Raw("?-?");
    else
        list.Int(proc::FirstDie(turn.dice)).Raw("-").Int(proc::SecondDie(turn.dice));
    list.Raw(": ");
    if (turn.moves.empty() && turn.passed)
        list.Raw("пропуск");
    const auto& moves = turn.moves;
    for (size_t i = 0; i < moves.size();) {
        // Only equal moves in a row are joined, so the text replays in the order played.
        size_t times = 1;
        while (i + times < moves.size() && SameText(moves[i], moves[i + times]))
            ++times;
        const record::ShownMove& m = moves[i];
        if (i > 0)
            list.Raw(" ");
        AddCell(list, m.side, m.move.from);
        list.Raw("/");
        AddCell(list, m.side, m.move.to);
        if (m.hit)
            list.Raw("*");
        if (times > 1)
            list.Raw("(").Int(static_cast<long long>(times)).Raw(")");
        i += times;
    }
}

void AddSides(HtmlOut& out, const record::GameRecord& g) {
    out.Raw("<p>Белые: ").Text(record::PlayerOf(g, proc::White));
    out.Raw(". Чёрные: ").Text(record::PlayerOf(g, proc::Black));
    out.Raw(". Первый бросок: ").Html(record::DiceText(g.Start().opening));
}

void AddGameBoard(HtmlOut& out, const record::GameRecord& g, const std::vector<TurnNote>& notes,
                  std::string_view heading) {
    // The script steps through the positions from the start and the turns
    // of the list; the final one is drawn here, so the page reads without it.
    out.Raw("<section class=\"game\" data-start=\"");
    for (size_t i = 0; i < g.Start().board.size(); ++i)
        (i ? out.Raw(",") : out).Int(g.Start().board[i]);
    out.Raw("\"><figure>");
    AddBoard(out, g.Board());
    out.Raw("<figcaption>Позиция после последнего хода. Пипсов: у белых ");
    out.Int(record::PipCount(g.Board(), proc::White)).Raw(", у чёрных ");
    out.Int(record::PipCount(g.Board(), proc::Black)).Raw(". Сброшено фишек: белыми ");
    out.Int(BorneOff(g.Board(), proc::White)).Raw(", чёрными ");
    out.Int(BorneOff(g.Board(), proc::Black)).Raw(".</figcaption></figure>").Raw(heading);
    // The end tags of the items may go (HTML5): a million pages are shorter.
    // A note is an item the script skips; the turn after it keeps its number.
    out.Raw("<ol class=\"moves\">");
    const std::vector<const record::Turn*> turns = g.PlayedTurns();
    size_t next = 0;
    // The notes due before turn i (all that are left after the last); whether there were any.
    const auto notesBefore = [&](size_t i) {
        const size_t from = next;
        for (; next < notes.size() && (i == turns.size() || notes[next].turn <= int(i)); ++next)
            out.Raw("<li class=\"action\">").Text(notes[next].text);
        return next > from;
    };
    for (size_t i = 0; i < turns.size(); ++i) {
        if (notesBefore(i))
            out.Raw("<li value=\"").Int(static_cast<long long>(i + 1)).Raw("\">");
        else
            out.Raw("<li>");
        AddTurnText(out, *turns[i]);
    }
    notesBefore(turns.size());
    out.Raw("</ol></section>");
}

void GamePage(const Site& site, const JournalGame& game, const RecordRead& record, HtmlOut& out) {
    const Club& club = site.club;
    const QString title =
        (record.isMatch ? QStringLiteral("Матч №%1") : QStringLiteral("Партия №%1")).arg(game.code);
    PageHead(out, title, GameRoot);
    AddName(out.Raw("<p>Дата: ").Text(game.date).Raw(". Победил "), club, game.winner);
    AddName(out.Raw(", проиграл "), club, game.loser);
    out.Raw(record.isMatch ? "; разница в счёте: " : "; фишек у проигравшего: ");
    out.Int(game.margin).Raw("; очков победителю: ").Int(game.award).Raw(".</p>");
    if (record.match) {
        AddMatch(out, *record.match);
        PageTail(out, GameRoot, site.made);
        return;
    }
    if (!record.game) {
        out.Raw(record.isMatch ? "<p class=\"note\">Запись матча не читается: "
                               : "<p class=\"note\">Запись партии не читается: ")
            .Text(record.error);
        out.Raw("</p><pre>").Text(record.text).Raw("</pre>");
        PageTail(out, GameRoot, site.made);
        return;
    }
    const record::GameRecord& g = *record.game;
    AddSides(out, g);
    out.Raw(". ").Text(record::ResultText(g)).Raw(".</p>");
    AddGameBoard(out, g, {}, "<h2>Ходы</h2>");
    PageTail(out, GameRoot, site.made);
}

} // namespace report
