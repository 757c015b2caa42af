// What the club sees of itself on its page: dates in one form whatever the
// recording computer wrote, numbers written the Russian way, the club's
// name, logo and colours from its settings file, and the newest games.
#include "ReportClub.h"
#include "report/ClubLook.h"
#include "report/Pages.h"
#include "report/Report.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Text(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(ClubPage, DatesInOneFormNumbersTheRussianWay) {
    const struct {
        const char* written;
        const char* shown;
        const char* key;
    } dates[] = {
        // clang-format off
        {"07.12.2026", "07.12.2026", "2026-12-07"},
        {"07.12.26",   "07.12.2026", "2026-12-07"},
        {"2026-12-07", "07.12.2026", "2026-12-07"},
        {"12/7/26",    "07.12.2026", "2026-12-07"},
        {"12/07/2026", "07.12.2026", "2026-12-07"},
        {"1/2/99",     "02.01.1999", "1999-01-02"},
        {"31.02.2026", "31.02.2026", "31.02.2026"}, // no such day: as written
        {"29.02.2024", "29.02.2024", "2024-02-29"},
        {"29.02.2025", "29.02.2025", "29.02.2025"},
        {"07.1a.2026", "07.1a.2026", "07.1a.2026"},
        {"вчера",      "вчера",      "вчера"},
        // clang-format on
    };
    for (const auto& d : dates) {
        EXPECT_EQ(report::ShownDate(QString::fromUtf8(d.written)), QString::fromUtf8(d.shown))
            << d.written;
        EXPECT_EQ(report::DateKey(QString::fromUtf8(d.written)), QString::fromUtf8(d.key))
            << d.written;
    }
    EXPECT_EQ(report::RussianNumber(0.7192, 3), "0,719");
    EXPECT_EQ(report::RussianNumber(12.5, 2), "12,50");
    EXPECT_EQ(report::RussianNumber(1234.04, 1), "1234,0");
}

// Each line of the settings file used or told with its line; the rest still applies.
TEST(ClubPage, SettingsFileReadLineByLine) {
    QTemporaryDir dir;
    Write(dir.filePath("logo.png"), QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(100, 'x'));
    Write(dir.filePath("logo.bmp"), "BM");
    Write(dir.filePath("big.png"), QByteArray((1 << 20) + 1, 'x'));
    const struct {
        const char* text;
        const char* name;
        const char* accent;
        const char* background;
        int logoBytes;
        const char* problem; // after the file's name; "" for none
    } cases[] = {
        // clang-format off
        {"# клуб\nname = Клуб «Ладья»\nlogo = logo.png\naccent=#1A2b3C\nbackground = #fafafa\n", "Клуб «Ладья»", "#1A2b3C", "#fafafa", 108, ""},
        {"name=Ладья\naccent = red\nbackground=#ffffff\n", "Ладья", "", "#ffffff", 0, ", строка 2: цвет пишется как #rrggbb: «red»"},
        {"name=Ладья\naccent=#12345\n", "Ладья", "", "", 0, ", строка 2: цвет пишется как #rrggbb: «#12345»"},
        {"; старое\ncolour=#000000\nname=Ладья\n", "Ладья", "", "", 0, ", строка 2: неизвестный ключ «colour»"},
        {"Ладья\n", "", "", "", 0, ", строка 1: нет знака «=»"},
        {"logo=logo.bmp\n", "", "", "", 0, ", строка 1: логотип должен быть файлом .png, .jpg, .gif или .svg"},
        {"name=Ладья\nlogo=big.png\n", "Ладья", "", "", 0, ", строка 2: логотип "},
        {"logo=none.png\n", "", "", "", 0, ", строка 1: логотип "},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString path = dir.filePath("Club.cfg");
        Write(path, c.text);
        QStringList problems;
        const report::ClubLook look = report::ReadClubLook(path, problems);
        EXPECT_EQ(look.name, QString::fromUtf8(c.name));
        EXPECT_EQ(look.accent, QString::fromUtf8(c.accent));
        EXPECT_EQ(look.background, QString::fromUtf8(c.background));
        EXPECT_EQ(look.logo.size(), c.logoBytes);
        if (*c.problem) {
            ASSERT_EQ(problems.size(), 1) << problems.join('\n').toStdString();
            EXPECT_TRUE(problems[0].startsWith(path + QString::fromUtf8(c.problem)))
                << problems[0].toStdString();
        } else {
            EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
        }
    }
    QStringList problems;
    report::ReadClubLook(dir.filePath("missing.cfg"), problems);
    EXPECT_EQ(problems.size(), 1);
}

// A club with its settings file: its name, logo and colours on every page,
// the journal's dates in one form, the newest games on the rating page.
TEST(ClubPage, NameLogoColoursAndTheNewestGamesOnThePages) {
    RatingsFolder folder;
    folder.AddPlayer(2, QStringLiteral("Анна"), 5);
    folder.AddPlayer(3, QStringLiteral("Иван"), 3);
    AddRecordedGame(folder, 1, 2, QStringLiteral("Анна"), 3, QStringLiteral("Иван"), 3);
    for (int code = 2; code <= 12; ++code)
        folder.AddGame(code, code % 2 ? 2 : 3, code % 2 ? 3 : 2);
    // Recorded on computers of other countries.
    folder.Exec(QStringLiteral("UPDATE GAMES SET G_GAMEDATE = '12/7/26' WHERE G_CODE = 12"));
    folder.Exec(QStringLiteral("UPDATE GAMES SET G_GAMEDATE = '2026-03-04' WHERE G_CODE = 11"));
    QTemporaryDir dir;
    Write(dir.filePath("ladya.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    Write(
        dir.filePath("Club.cfg"),
        "name = Клуб «Ладья» & <друзья>\nlogo = ladya.svg\naccent = #803020\nbackground = nope\n");
    const QString site = dir.filePath("site");
    report::ReportOptions options;
    options.clubFile = dir.filePath("Club.cfg");
    const report::ReportResult result =
        report::MakeReport({db::Dialect::SQLite, folder.DatabaseFile()}, site, options);
    ASSERT_EQ(result.code, 0) << result.message.toStdString();
    EXPECT_EQ(result.warnings.size(), 1);
    EXPECT_EQ(Text(site + "/club/logo.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    for (const char* page :
         {"index.html", "dice.html", "journal/1.html", "players/2.html", "games/0/1.html"}) {
        const QString text = Text(site + "/" + page);
        const QString root = QString(page).count('/') == 2 ? "../../"
                             : QString(page).contains('/') ? "../"
                                                           : "";
        EXPECT_TRUE(text.contains("<p class=\"club\"><img src=\"" + root +
                                  "club/logo.svg\" alt=\"\" height=\"48\">"
                                  "Клуб «Ладья» &amp; &lt;друзья&gt;</p>"))
            << page;
        EXPECT_TRUE(text.contains("a,.club{color:#803020}")) << page;
        EXPECT_FALSE(text.contains("nope")) << page;
    }
    const QString journal = Text(site + "/journal/1.html");
    EXPECT_TRUE(journal.contains(">07.12.2026<"));
    EXPECT_TRUE(journal.contains(">04.03.2026<"));
    EXPECT_FALSE(journal.contains("12/7/26"));

    const QString index = Text(site + "/index.html");
    const qsizetype recent = index.indexOf("<h2>Последние партии</h2>");
    ASSERT_GE(recent, 0);
    QStringList codes;
    auto it =
        QRegularExpression("<td data-label=\"Партия\" class=\"n\">(?:<a href=\"([^\"]*)\">)?(\\d+)")
            .globalMatch(index.mid(recent));
    while (it.hasNext()) {
        const auto m = it.next();
        codes << m.captured(2) + (m.captured(1).isEmpty() ? "" : " " + m.captured(1));
    }
    EXPECT_EQ(codes, QStringList({"12", "11", "10", "9", "8", "7", "6", "5", "4", "3"}));
    EXPECT_TRUE(index.mid(recent).contains(">07.12.2026<"));

    // Without the file: no club line, no style of its own; a record's game links.
    const report::ReportResult plain =
        report::MakeReport({db::Dialect::SQLite, folder.DatabaseFile()}, dir.filePath("plain"));
    ASSERT_EQ(plain.code, 0) << plain.message.toStdString();
    const QString bare = Text(dir.filePath("plain/index.html"));
    EXPECT_FALSE(bare.contains("class=\"club\""));
    EXPECT_FALSE(bare.contains("<style>"));
    folder.Exec(QStringLiteral("DELETE FROM GAMES WHERE G_CODE > 1"));
    ASSERT_EQ(
        report::MakeReport({db::Dialect::SQLite, folder.DatabaseFile()}, dir.filePath("plain"))
            .code,
        0);
    EXPECT_TRUE(
        Text(dir.filePath("plain/index.html")).contains("<a href=\"games/0/1.html\">1</a>"));
}
