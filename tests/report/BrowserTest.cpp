// The club's site in headless Chromium, driven by browser_check.py as a
// process of its own; its screenshots stay in the build folder.
#include "ReportClub.h"
#include "report/Report.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

TEST(ReportBrowser, PagesWorkInChromium) {
    RatingsFolder folder;
    folder.AddPlayer(2, QStringLiteral("Анна"), 7);
    folder.AddPlayer(3, QStringLiteral("Иван"), 7);
    folder.AddPlayer(4, QStringLiteral("<script>alert(1)</script>"), 2);
    folder.AddPlayer(5, QStringLiteral("Пётр"), 0);
    int rolls = 0;
    for (int code = 1; code <= 6; ++code)
        rolls += code % 2
                     ? AddRecordedGame(folder, code, 2, QStringLiteral("Анна"), 1,
                                       QStringLiteral("Компьютер"), uint64_t(code))
                     : AddRecordedGame(folder, code, 3, QStringLiteral("Иван"), 4,
                                       QStringLiteral("<script>alert(1)</script>"), uint64_t(code));
    rolls += AddRecordedMatch(folder, 7, 2, QStringLiteral("Анна"), 4,
                              QStringLiteral("<script>alert(1)</script>"), 5, FivePointMatch());

    const QString site = QStringLiteral(VERTAN_BINARY_DIR) + "/report-browser/site";
    const QString shots = QStringLiteral(VERTAN_BINARY_DIR) + "/report-screenshots";
    QDir(site).removeRecursively();
    QDir().mkpath(shots);
    const report::ReportResult made =
        report::MakeReport({db::Dialect::SQLite, folder.DatabaseFile()}, site);
    ASSERT_EQ(made.code, 0) << made.message.toStdString();

    const QJsonObject expected{
        {"players", QJsonArray{"Анна", "Иван", "<script>alert(1)</script>", "Пётр"}},
        {"search", "ан"},
        {"found", QJsonArray{"Анна", "Иван"}},
        {"pointsDescending", QJsonArray{7, 7, 2, 0}},
        {"playerPage", "players/2.html"},
        {"playerGames", 4},
        {"gamePage", "games/0/2.html"},
        {"matchPage", "games/0/7.html"},
        {"rolls", rolls},
    };
    const QString expectedPath =
        QStringLiteral(VERTAN_BINARY_DIR) + "/report-browser/expected.json";
    QFile file(expectedPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(expected).toJson());
    file.close();

    QProcess check;
    check.setProcessChannelMode(QProcess::ForwardedChannels);
    check.start(VERTAN_PYTHON, {VERTAN_BROWSER_CHECK, VERTAN_CHROMIUM, site, expectedPath, shots});
    ASSERT_TRUE(check.waitForStarted());
    ASSERT_TRUE(check.waitForFinished(-1));
    EXPECT_EQ(check.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(check.exitCode(), 0);
    for (const char* shot :
         {"rating.png", "player.png", "game.png", "journal.png", "dice.png", "match.png"})
        EXPECT_TRUE(QFileInfo(shots + "/" + shot).size() > 0) << shot;
}

} // namespace
