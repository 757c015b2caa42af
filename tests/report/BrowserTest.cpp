// The club's site in headless Chromium, driven by browser_check.py as a
// process of its own; its screenshots stay in the build folder.
#include "RecordedGame.h"
#include "ReportClub.h"
#include "record/Notation.h"
#include "report/Report.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// The caption of a game's board after turn of its turns, counted here from
// the record (the page's script counts its own).
QString CaptionAfter(const record::GameRecord& game, size_t turn) {
    proc::Board board = game.Start().board;
    const auto turns = game.PlayedTurns();
    for (size_t i = 0; i < turn; ++i)
        for (const record::ShownMove& m : turns[i]->moves)
            proc::ApplyMove(board, m.side, m.move);
    int on[2] = {};
    for (const int32_t c : board)
        (c > 0 ? on[0] : on[1]) += std::abs(c);
    return QStringLiteral("Позиция после хода %1 из %2. Пипсов: у белых %3, у чёрных %4. "
                          "Сброшено фишек: белыми %5, чёрными %6.")
        .arg(turn)
        .arg(turns.size())
        .arg(record::PipCount(board, proc::White))
        .arg(record::PipCount(board, proc::Black))
        .arg(15 - on[0])
        .arg(15 - on[1]);
}

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

    // A round robin of three in its last round: Анна ahead of Иван on
    // Sonneborn-Berger, the games of rounds 1 and 2 linked.
    folder.Exec("INSERT INTO TOURNAMENTS VALUES (1, 'Кубок <b>клуба</b>', 0, 3, 1)");
    folder.Exec("INSERT INTO TOURNAMENT_ENTRIES VALUES (1, 1, 2, 7, 0), (1, 2, 3, 7, 0), "
                "(1, 3, 4, 2, 0)");
    folder.Exec("INSERT INTO TOURNAMENT_PAIRINGS VALUES (1, 1, 1, 1, NULL, 1, 0, NULL, NULL), "
                "(1, 1, 2, 2, 3, 2, 0, 2, NULL), (1, 2, 1, 3, NULL, 3, 0, NULL, NULL), "
                "(1, 2, 2, 1, 2, 1, 0, 1, NULL), (1, 3, 1, 2, NULL, 2, 0, NULL, NULL), "
                "(1, 3, 2, 3, 1, NULL, 0, NULL, 'зал')");

    const QString site = QStringLiteral(VERTAN_BINARY_DIR) + "/report-browser/site";
    const QString shots = QStringLiteral(VERTAN_BINARY_DIR) + "/report-screenshots";
    QDir(site).removeRecursively();
    QDir().mkpath(shots);
    // The club's look: its name and logo on every page, its colours.
    QDir().mkpath(QStringLiteral(VERTAN_BINARY_DIR) + "/report-browser");
    const QString club = QStringLiteral(VERTAN_BINARY_DIR) + "/report-browser/Club.cfg";
    QFile logo(QStringLiteral(VERTAN_BINARY_DIR) + "/report-browser/ladya.svg");
    ASSERT_TRUE(logo.open(QIODevice::WriteOnly));
    logo.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\">"
               "<circle cx=\"24\" cy=\"24\" r=\"20\" fill=\"#803020\"/></svg>");
    logo.close();
    QFile settings(club);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("name = Клуб «Ладья»\nlogo = ladya.svg\naccent = #803020\n");
    settings.close();
    report::ReportOptions options;
    options.clubFile = club;
    const report::ReportResult made =
        report::MakeReport({db::Dialect::SQLite, folder.DatabaseFile()}, site, options);
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
        {"club", "Клуб «Ладья»"},
        {"captionAt10",
         CaptionAfter(selfplay::RecordedGame(record::StandardStart(), 2, QStringLiteral("Иван"),
                                             QStringLiteral("<script>alert(1)</script>")),
                      10)},
        {"recent", QJsonArray{"7", "6", "5", "4", "3", "2", "1"}},
        {"tournamentPage", "tournaments/1.html"},
        {"tournaments", QJsonArray{"Кубок <b>клуба</b>"}},
        {"tournamentStandings", QJsonArray{"Анна", "Иван", "<script>alert(1)</script>"}},
        {"tieBreak", "Зоннеборн–Бергер"},
        {"tournamentGames", QJsonArray{"../games/0/2.html", "../games/0/1.html"}},
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
         {"rating.png", "player.png", "game.png", "journal.png", "dice.png", "match.png",
          "tournament.png"})
        EXPECT_TRUE(QFileInfo(shots + "/" + shot).size() > 0) << shot;
}

} // namespace
