#include "report/Html.h"
#include "report/Pages.h"

namespace report {

namespace {

QString Share(qint64 count, qint64 total) {
    return total == 0
               ? QStringLiteral("—")
               : RussianNumber(100.0 * double(count) / double(total), 2) + QStringLiteral(" %");
}

QString Percent(double share) {
    return RussianNumber(100.0 * share, 2) + QStringLiteral(" %");
}

QString VerdictText(const QString& what, const Verdict& v) {
    return QStringLiteral("<p class=\"verdict\">%1: <strong>%2</strong> (хи-квадрат %3 при %4 "
                          "степенях свободы, p = %5).</p>")
        .arg(what, v.words)
        .arg(RussianNumber(v.chiSquare, 2))
        .arg(v.degrees)
        .arg(RussianNumber(v.p, 3));
}

QString Section(const QString& id, const QString& title, const DiceCounts& counts) {
    QString html = QStringLiteral("<section id=\"%1\"><h2>%2</h2><p>Бросков: <span class=\"total\">"
                                  "%3</span>.</p>")
                       .arg(id, title)
                       .arg(counts.total);
    html += VerdictText(QStringLiteral("Броски"), TestRolls(counts));
    html += VerdictText(QStringLiteral("Грани"), TestFaces(counts));
    html += QStringLiteral(
                "<table class=\"rolls\"><caption>%1: сколько раз выпал каждый бросок</caption>"
                "<thead><tr><th scope=\"col\">Бросок</th><th scope=\"col\" class=\"n\">Выпал</th>"
                "<th scope=\"col\" class=\"n\">Доля</th><th scope=\"col\" class=\"n\">"
                "Ожидается</th></tr></thead><tbody>")
                .arg(title);
    for (int i = 0; i < 21; ++i)
        html += QStringLiteral("<tr>") + Cell(QStringLiteral("Бросок"), RollName(i)) +
                Cell(QStringLiteral("Выпал"), Number(counts.rolls[size_t(i)]),
                     QStringLiteral("n count")) +
                Cell(QStringLiteral("Доля"), Share(counts.rolls[size_t(i)], counts.total),
                     QStringLiteral("n")) +
                Cell(QStringLiteral("Ожидается"), Percent(RollShare(i)), QStringLiteral("n")) +
                QStringLiteral("</tr>");
    html += QStringLiteral(
                "</tbody></table><table class=\"faces\"><caption>%1: сколько раз выпала "
                "каждая грань (по два кубика в броске)</caption><thead><tr><th scope=\"col\">"
                "Грань</th><th scope=\"col\" class=\"n\">Выпала</th><th scope=\"col\" "
                "class=\"n\">Доля</th><th scope=\"col\" class=\"n\">Ожидается</th></tr>"
                "</thead><tbody>")
                .arg(title);
    for (int f = 0; f < 6; ++f)
        html += QStringLiteral("<tr>") + Cell(QStringLiteral("Грань"), Number(f + 1)) +
                Cell(QStringLiteral("Выпала"), Number(counts.faces[size_t(f)]),
                     QStringLiteral("n count")) +
                Cell(QStringLiteral("Доля"), Share(counts.faces[size_t(f)], counts.total * 2),
                     QStringLiteral("n")) +
                Cell(QStringLiteral("Ожидается"), Percent(1.0 / 6), QStringLiteral("n")) +
                QStringLiteral("</tr>");
    return html + QStringLiteral("</tbody></table></section>");
}

} // namespace

QByteArray DicePage(const Site& site, const DiceAudit& audit) {
    QString body =
        QStringLiteral(
            "<p>Проверка костей по записям архива: партий с записью <span id=\"games\">%1</span> "
            "из %2 в "
            "журнале, бросков <span id=\"rolls\">%3</span>. Первый бросок партии (кто ходит "
            "первым) не "
            "считается: дубль в нём перебрасывают. Для честных костей каждый дубль выпадает в 1 "
            "броске "
            "из 36, любой другой бросок — в 2 из 36, каждая грань — в 1 случае из 6. Хи-квадрат "
            "сравнивает выпавшее с ожидаемым; p — вероятность, что честные кости разойдутся с "
            "ожиданием "
            "не меньше.</p>")
            .arg(audit.games)
            .arg(site.club.games.size())
            .arg(audit.all.total);
    body += Section(QStringLiteral("all"), QStringLiteral("Все броски"), audit.all);
    body +=
        Section(QStringLiteral("computer"), QStringLiteral("Броски компьютера"), audit.computer);
    body += Section(QStringLiteral("people"), QStringLiteral("Броски людей"), audit.people);
    return Page(QStringLiteral("Кости"), body, QString(), site.made);
}

} // namespace report
