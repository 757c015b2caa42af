// A match's page: its length and score at the top, then each game in turn
// with the score before it, its board and turns (the cube's and the
// resignations' lines among them) and its result.
#include "report/Html.h"
#include "report/Pages.h"

#include <algorithm>

namespace report {

namespace {

// "Анна 4, Иван 3": the match's first player first, as its text has them.
void AddScore(HtmlOut& out, const record::MatchRecord& m, int first, int second) {
    out.Text(m.first).Raw(" ").Int(first).Raw(", ").Text(m.second).Raw(" ").Int(second);
}

std::vector<TurnNote> NotesOf(const record::MatchGame& g) {
    std::vector<TurnNote> notes;
    for (const record::CubeAction& a : g.cube)
        notes.push_back({a.turn, record::CubeLine(a)});
    for (const record::ResignAction& a : g.resignations)
        notes.push_back({a.turn, record::ResignLine(a)});
    // A double comes before the roll, a resignation at the same turn after it.
    std::stable_sort(notes.begin(), notes.end(),
                     [](const TurnNote& a, const TurnNote& b) { return a.turn < b.turn; });
    return notes;
}

} // namespace

void AddMatch(HtmlOut& out, const record::MatchRecord& m) {
    const auto [first, second] = m.Score();
    out.Raw("<p>Матч до ").Int(m.length).Raw(" ").Text(record::PointsWord(m.length));
    out.Raw(m.Winner() == 0 ? ", не окончен. Счёт: " : ". Итоговый счёт: ");
    AddScore(out, m, first, second);
    out.Raw(". Партий: ").Int(static_cast<long long>(m.games.size())).Raw(".</p>");
    int number = 0;
    for (const record::MatchGame& g : m.games) {
        out.Raw("<h2>Партия ").Int(++number).Raw("</h2><p>Счёт перед партией: ");
        AddScore(out, m, g.scoreFirst, g.scoreSecond);
        out.Raw(g.crawford ? ". Партия Кроуфорда: куб не удваивают.</p>" : ".</p>");
        AddSides(out, g.game);
        out.Raw(".</p>");
        AddGameBoard(out, g.game, NotesOf(g), "<h3>Ходы</h3>");
        out.Raw("<p>Итог партии: ").Text(record::GameEndText(g)).Raw(".</p>");
    }
}

} // namespace report
