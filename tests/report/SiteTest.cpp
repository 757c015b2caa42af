// The site made from a database on either engine: the launcher's order,
// names escaped everywhere, the journal's pages, and a folder replaced only
// where the report made it.
#include "ReportClub.h"
#include "db/Corrections.h"
#include "db/Unit6.h"
#include "record/PackedRecord.h"
#include "report/Report.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Text(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList Matches(const QString& text, const QString& pattern) {
    QStringList found;
    auto it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext())
        found << it.next().captured(1);
    return found;
}

// What html_check.py finds wrong with the site's pages: parse errors, ids
// used twice, a page without lang="ru".
QString HtmlFaults(const QString& site) {
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(VERTAN_HTML_PYTHON, {VERTAN_HTML_CHECK, site});
    if (!check.waitForFinished(-1) || check.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("html_check.py did not run: ") + check.errorString();
    const QString faults = QString::fromUtf8(check.readAll());
    return check.exitCode() == 0 ? QString() : faults + QStringLiteral("(exit %1)").arg(check.exitCode());
}

// Names the registration would refuse, but a database may hold, as the
// pages must show them.
const QString Named = QStringLiteral("Кот & \"Пёс\" <'Ёж'>");
const QString NamedEscaped = QStringLiteral("Кот &amp; &quot;Пёс&quot; &lt;&#39;Ёж&#39;&gt;");
const QString Script = QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;");

class ReportSite : public ::testing::TestWithParam<db::Dialect> {};

TEST_P(ReportSite, OrderEscapingJournalPagesAndGames) {
    RatingsFolder folder(true, GetParam());
    folder.AddPlayer(2, QStringLiteral("<script>alert(1)</script>"), 9);
    folder.AddPlayer(3, Named, 8);
    folder.AddPlayer(4, QStringLiteral("Ёлкин"), 3);
    folder.AddPlayer(5, QStringLiteral("Ежов"), 3);
    folder.AddPlayer(6, QStringLiteral("{{body}}"), 1);
    const int rolls = AddRecordedGame(folder, 1, 2, QStringLiteral("<script>alert(1)</script>"), 3,
                                      Named, 7) +
                      AddRecordedGame(folder, 2, 1, QStringLiteral("Компьютер"), 6,
                                      QStringLiteral("{{body}}"), 11);
    folder.Exec(QStringLiteral("BEGIN"));
    for (int code = 4; code <= 503; ++code)
        folder.AddGame(code, 4, 5);
    // A record whose journal row is gone (game 3): no page, no link.
    folder.Exec(QStringLiteral("INSERT INTO GAME_RECORDS SELECT 3, NULL, R_RECORD FROM "
                               "GAME_RECORDS WHERE R_GAME = 1"));
    // Records whose bytes are damaged: a sound length and then no zlib stream
    // (game 4), a packed record cut short (game 5). No page, no link, not
    // counted either.
    AddRecordBytes(folder, 4, QByteArray::fromHex("00000040") + QByteArray(60, 'x'));
    AddRecordBytes(folder, 5, qCompress(QByteArrayLiteral("Партия в нарды\n")).chopped(4));
    folder.Exec(QStringLiteral("COMMIT"));

    const QTemporaryDir out;
    const QString site = out.path() + "/site/a";
    const report::ReportResult result = report::MakeReport(ChoiceOf(folder), site);
    ASSERT_EQ(result.code, 0) << result.message.toStdString();

    const QString index = Text(site + "/index.html");
    EXPECT_EQ(Matches(index, "<tr data-name=\"([^\"]*)\""),
              QStringList({Script, NamedEscaped, "Ежов", "Ёлкин", "{{body}}"}));
    QStringList files;
    const QString all = ReadAll(site, &files);
    EXPECT_FALSE(all.contains("<script>alert")) << "a name ran as a script";
    EXPECT_FALSE(all.contains(Named));
    // Each kind of page shows both names, every time escaped to the letter:
    // the rating page (its own escaping), the players' pages, the journal, a
    // game's page.
    for (const char* page : {"/index.html", "/players/2.html", "/players/3.html",
                             "/journal/1.html", "/games/0/1.html"}) {
        const QString text = Text(site + page);
        EXPECT_GT(text.count(Script), 0) << page;
        EXPECT_EQ(text.count("alert(1)"), text.count(Script)) << page;
        EXPECT_GT(text.count(NamedEscaped), 0) << page;
        EXPECT_EQ(text.count("Кот"), text.count(NamedEscaped)) << page;
    }
    EXPECT_EQ(all.count("<main>"), files.filter(".html").size()) << "a name filled a template";
    EXPECT_EQ(files, QStringList({".vertan-site", ".vertan-site-state", "board.svg", "dice.html",
                                  "games/0/1.html", "games/0/2.html", "index.html",
                                  "journal/1.html", "journal/2.html", "journal/index.html",
                                  "players/2.html", "players/3.html", "players/4.html",
                                  "players/5.html", "players/6.html", "report.js", "style.css"}));
    EXPECT_TRUE(result.message.endsWith(QStringLiteral("502 games, 2 with records")))
        << result.message.toStdString();

    // 500 rows a page from the oldest, newest first on each; the newest page
    // again where the menu leads; a game with a record links to its page.
    const QString first = Text(site + "/journal/1.html");
    const QStringList codes =
        Matches(first, "<td data-label=\"Партия\" class=\"n\">(?:<a [^>]*>)?(\\d+)");
    ASSERT_EQ(codes.size(), 500);
    EXPECT_EQ(codes.front(), "501");
    EXPECT_EQ(codes.back(), "1");
    EXPECT_EQ(Matches(Text(site + "/journal/2.html"),
                      "<td data-label=\"Партия\" class=\"n\">(?:<a [^>]*>)?(\\d+)"),
              QStringList({"503", "502"}));
    EXPECT_EQ(Text(site + "/journal/index.html"), Text(site + "/journal/2.html"));
    EXPECT_TRUE(first.contains("href=\"../games/0/1.html\""));
    const QString linked = "<td data-label=\"Партия\" class=\"n\"><a [^>]*>(\\d+)";
    EXPECT_EQ(Matches(first + Text(site + "/journal/2.html"), linked), QStringList({"2", "1"}))
        << "only the games with a record link to a page";
    for (const char* page : {"/players/4.html", "/players/5.html"})
        EXPECT_EQ(Matches(Text(site + page), linked), QStringList()) << page;

    // Ежов's chart: one point per game, the loser of 500 games at 0.
    const QString player = Text(site + "/players/5.html");
    EXPECT_EQ(Matches(player, "<circle [^>]*data-points=\"(-?\\d+)\"").size(), 500);
    EXPECT_TRUE(player.contains("class=\"note\"")) << "3 points that no kept game explains";
    EXPECT_EQ(Matches(Text(site + "/dice.html"), "<span id=\"rolls\">(\\d+)</span>"),
              QStringList{QString::number(rolls)});
    EXPECT_TRUE(Text(site + "/games/0/2.html").contains("Чёрные: {{body}}."));
    EXPECT_EQ(HtmlFaults(site), QString());
}

// The engine's row is a computer's: not ranked, no page of its own, its games
// against the computer's column, its rolls with the computer's.
TEST_P(ReportSite, TheEnginesRowIsAComputers) {
    RatingsFolder folder(true, GetParam());
    const QString engine = QStringLiteral("GNU Backgammon");
    folder.AddPlayer(2, QStringLiteral("Анна"), 1);
    folder.AddPlayer(7, engine, 0);
    // The same game twice with the sides swapped: one won by each, and the
    // engine's rolls are those of one whole game.
    const int rolls = AddRecordedGame(folder, 1, 2, QStringLiteral("Анна"), 7, engine, 5);
    EXPECT_EQ(AddRecordedGame(folder, 2, 7, engine, 2, QStringLiteral("Анна"), 5), rolls);

    const QTemporaryDir out;
    const QString site = out.path() + "/site";
    const report::ReportResult result = report::MakeReport(ChoiceOf(folder), site);
    ASSERT_EQ(result.code, 0) << result.message.toStdString();
    const QString index = Text(site + "/index.html");
    EXPECT_EQ(Matches(index, "<tr data-name=\"([^\"]*)\""), QStringList{"Анна"});
    // Анна's row: place, name, points, games, won and lost against people, against computers.
    const QStringList cells = Matches(index, "<td[^>]*>((?:<a [^>]*>)?[^<]*)(?:</a>)?</td>");
    ASSERT_GE(cells.size(), 8);
    EXPECT_EQ(cells.mid(3, 5), (QStringList{"2", "0", "0", "1", "1"}));
    QStringList files;
    ReadAll(site, &files);
    EXPECT_FALSE(files.contains("players/7.html"));
    const QString player = Text(site + "/players/2.html");
    EXPECT_EQ(player.count(engine), 3) << "both games and the head-to-head row";
    EXPECT_FALSE(player.contains("players/7.html")) << "a link to a page there is not";
    const QString dice = Text(site + "/dice.html");
    for (const char* section : {"computer", "people"})
        EXPECT_EQ(Matches(dice, QStringLiteral("<section id=\"%1\"><h2>[^<]*</h2><p>Бросков: "
                                               "<span class=\"total\">(\\d+)")
                                    .arg(section)),
                  QStringList{QString::number(rolls)})
            << section;
}

// The correction log in a player's history, in place of a guess that the
// journal was cleared; a reversed game marked where it is listed.
TEST_P(ReportSite, CorrectionsAreToldInTheHistory) {
    RatingsFolder folder(true, GetParam());
    folder.AddPlayer(2, QStringLiteral("Анна"), 9);
    folder.AddPlayer(3, QStringLiteral("Борис"), 0);
    folder.AddGame(1, 2, 3, 1, 0);
    folder.AddGame(2, 2, 1);
    {
        db::TDModule module(folder.Path(), 0);
        const db::CorrectionNote note{"admin", "турнир",
                                      QDateTime(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC)};
        db::SetPoints(module, "Анна", 8, note);
        db::ReverseGame(module, 2, note);
        db::RenamePlayer(module, "Борис", "Борис Ёлкин", note);
    }
    folder.Exec("UPDATE PLAYERS SET P_POINTS = 9 WHERE P_CODE = 2"); // a change with no log row
    const QTemporaryDir out;
    const QString site = out.path() + "/site";
    ASSERT_EQ(report::MakeReport(ChoiceOf(folder), site).code, 0);
    const QString anna = Text(site + "/players/2.html");
    EXPECT_EQ(Matches(anna, "<td data-label=\"Итог\">([^<]*)</td>"),
              (QStringList{"победа", "победа (отменена)", "Исправление: очки 9 → 8: турнир (admin)",
                           "Исправление: партия 2 отменена, очки 8 → 7: турнир (admin)"}));
    // Replayed 0, 1, then set 8 and 7; the change of 2 the log does not hold
    // is the only shift told.
    EXPECT_EQ(Matches(anna, "<td data-label=\"Очки после\" class=\"n\">(\\d+)</td>"),
              (QStringList{"2", "3", "10", "9"}));
    EXPECT_TRUE(anna.contains("сдвинут на 2 так")) << anna.toStdString();
    EXPECT_TRUE(Text(site + "/players/3.html")
                    .contains("Исправление: новое имя: «Борис Ёлкин» вместо «Борис»"));
    EXPECT_TRUE(Text(site + "/journal/1.html").contains(">1 (отменена)</td>"));
}

TEST_P(ReportSite, UnreadableDatabaseLeavesTheOldSiteAsItWas) {
    RatingsFolder good(true, GetParam());
    good.AddPlayer(2, QStringLiteral("Анна"), 0);
    const QTemporaryDir out;
    const QString site = out.path() + "/site";
    ASSERT_EQ(report::MakeReport(ChoiceOf(good), site).code, 0);
    const QString before = ReadAll(site);
    const auto entries = [&] {
        return QDir(site).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList entriesBefore = entries();

    RatingsFolder broken(false, GetParam());
    const report::ReportResult result = report::MakeReport(ChoiceOf(broken), site);
    EXPECT_EQ(result.code, 1);
    EXPECT_FALSE(result.message.isEmpty());
    EXPECT_EQ(ReadAll(site), before);
    EXPECT_EQ(entries(), entriesBefore) << "a temporary folder was left behind";
    const QString missing = out.path() + "/never";
    EXPECT_EQ(report::MakeReport(ChoiceOf(broken), missing).code, 1);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

// A single game, a 5-point and a 2-point match and a match's text that does
// not read: the match's page shows each game with its score, cube and
// result; the lists show a match's length and score, the reversed one marked.
TEST(ReportMatch, MatchPageAndLists) {
    const QString anna = QStringLiteral("Анна"), ivan = QStringLiteral("Ив<а>н");
    RatingsFolder folder;
    folder.AddPlayer(2, anna, 5);
    folder.AddPlayer(3, ivan, 3);
    // The match's first player wins the long one, the second the short one.
    const int rolls = AddRecordedGame(folder, 1, 2, anna, 3, ivan, 7) +
                      AddRecordedMatch(folder, 2, 2, anna, 3, ivan, 5, FivePointMatch()) +
                      AddRecordedMatch(folder, 3, 2, anna, 3, ivan, 2, {FivePointMatch()[0]});
    folder.AddGame(4, 3, 2, 2, 1);
    AddRecordBytes(folder, 4,
                   record::PackRecord("Матч до 3 очков\nПартия 1. Счёт: Анна (белые) 0, Ив "
                                      "(чёрные) 0\nКуб: белые удваивают до 3, чёрные принимают\n"));
    {
        // A match reversed like a game: the winner's award back, its score kept.
        db::TDModule module(folder.Path(), 0);
        db::ReverseGame(module, 2,
                        {"admin", "ошибка", QDateTime(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC)});
    }
    EXPECT_EQ(folder.Rows("SELECT P_POINTS FROM PLAYERS WHERE P_CODE IN (2,3) ORDER BY P_CODE"),
              "4;3");
    const QTemporaryDir out;
    const QString site = out.path() + "/site";
    ASSERT_EQ(report::MakeReport({db::Dialect::SQLite, folder.DatabaseFile()}, site).code, 0);

    const QString page = Text(site + "/games/0/2.html");
    EXPECT_TRUE(
        page.contains("<p>Матч до 5 очков. Итоговый счёт: Анна 6, Ив&lt;а&gt;н 3. Партий: 5.</p>"));
    // Each game: the score before it | its list, "." a turn, a number the turn
    // after a cube's or resignation's line (it keeps its own) | its result.
    // clang-format off
    const QStringList games = {
        "Анна 0, Ив&lt;а&gt;н 0 | ..Куб: белые удваивают до 2, чёрные принимают;3Куб: чёрные удваивают до 4, белые отказываются; | победа чёрных (Ив&lt;а&gt;н), 2 очка (отказ от удвоения)",
        "Анна 0, Ив&lt;а&gt;н 2 | .Сдача: белые предлагают одну партию, чёрные отклоняют;2.Сдача: белые предлагают гаммон, чёрные принимают; | победа чёрных (Анна), 2 очка (сдача, гаммон)",
        "Анна 2, Ив&lt;а&gt;н 2 | .Куб: чёрные удваивают до 2, белые принимают;2...Сдача: чёрные предлагают одну партию, белые принимают; | победа белых (Анна), 2 очка (сдача, одну партию)",
        "Анна 4, Ив&lt;а&gt;н 2. Партия Кроуфорда: куб не удваивают | ..Сдача: белые предлагают одну партию, чёрные принимают; | победа чёрных (Ив&lt;а&gt;н), 1 очко (сдача, одну партию)",
        "Анна 4, Ив&lt;а&gt;н 3 | Куб: белые удваивают до 2, чёрные принимают;1..Сдача: белые предлагают одну партию, чёрные принимают; | победа чёрных (Анна), 2 очка (сдача, одну партию)",
    };
    // clang-format on
    QStringList shown;
    for (const QString& part : page.split("<h2>Партия ").mid(1)) {
        QString items;
        for (auto it = QRegularExpression("<li(?: class=\"action\">([^<]*)| value=\"(\\d+)\">|>)")
                           .globalMatch(part);
             it.hasNext();) {
            const auto item = it.next();
            items += item.hasCaptured(1)   ? item.captured(1) + ";"
                     : item.hasCaptured(2) ? item.captured(2)
                                           : ".";
        }
        shown << Matches(part, "Счёт перед партией: (.*?)\\.?</p>").join("") + " | " + items +
                     " | " + Matches(part, "Итог партии: ([^<]*)\\.</p>").join("");
    }
    EXPECT_EQ(shown.join("\n").toStdString(), games.join("\n").toStdString());

    const QString broken = Text(site + "/games/0/4.html");
    EXPECT_TRUE(broken.contains("<p class=\"note\">Запись матча не читается: "));
    EXPECT_FALSE(broken.contains("data-start"));
    // Where a game shows its margin, a match its length and score; the
    // loser's own page the loser's score first.
    const QString margin = "<td data-label=\"Фишек\" class=\"n\">([^<]*)</td>";
    const QStringList journal = Matches(Text(site + "/journal/1.html"), margin);
    EXPECT_EQ(journal.mid(0, 3).join(" | ").toStdString(), "2 | матч до 2, 2:0 | матч до 5, 6:3");
    EXPECT_EQ(Matches(Text(site + "/players/3.html"), margin).mid(1, 2).join(" | ").toStdString(),
              "матч до 5, 3:6 | матч до 2, 2:0");
    EXPECT_EQ(Matches(Text(site + "/journal/1.html"),
                      "<td data-label=\"Очков победителю\" class=\"n\">([^<]*)</td>")
                  .join(" | ")
                  .toStdString(),
              "1 | 1 | 1 (отменена) | 1");
    EXPECT_TRUE(Matches(Text(site + "/players/2.html"), "<td data-label=\"Итог\">([^<]*)</td>")
                    .contains("победа (отменена)"));
    EXPECT_EQ(Matches(Text(site + "/dice.html"), "<span id=\"rolls\">(\\d+)</span>"),
              QStringList{QString::number(rolls)});
    EXPECT_EQ(HtmlFaults(site), QString());
}

INSTANTIATE_TEST_SUITE_P(Report, ReportSite,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);

} // namespace
