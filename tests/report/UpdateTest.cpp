// An update of a site made before: after each kind of change in the database
// the site holds exactly what a full run makes, whether the update rewrote
// what changed or fell back to a full run; and an update stopped at any step
// of its commit leaves a site that the next run makes right.
#include "ReportClub.h"
#include "db/Corrections.h"
#include "db/TournamentStore.h"
#include "db/Unit6.h"
#include "report/Report.h"
#include "report/SiteState.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include <sys/stat.h>

namespace {

const QString Made = QStringLiteral("01.12.2026 в 20:00");

report::ReportResult Report(const RatingsFolder& folder, const QString& site, bool full = false,
                            report::SiteWriter::FaultHook fault = {}) {
    report::ReportOptions options;
    options.full = full;
    options.made = Made;
    options.fault = std::move(fault);
    options.clubFile = report::ClubFileOf(folder.Path());
    return report::MakeReport(ChoiceOf(folder), site, options);
}

// Every file with its bytes, the state included.
std::map<QString, QByteArray> Files(const QString& dir) {
    std::map<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        files[file.fileName().mid(dir.size() + 1)] = file.readAll();
    }
    return files;
}

// Paths that differ between two sites, at most a few.
QStringList Differences(const QString& a, const QString& b) {
    const auto one = Files(a), two = Files(b);
    QStringList differ;
    for (const auto& [path, bytes] : one)
        if (!two.count(path) || two.at(path) != bytes)
            differ << path;
    for (const auto& [path, bytes] : two)
        if (!one.count(path))
            differ << path + QStringLiteral(" (missing)");
    return differ.mid(0, 8);
}

ino_t Inode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

const db::CorrectionNote Note{"admin", "ошибка", QDateTime(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC)};

// Players 2-6; recorded games 1-6, match 7 and games 1001-1002 (two folders
// of game pages); games 10-499 without records and game 600 against a code
// without a row: 500 rows, the journal's one page, full, so that a new game
// opens a page; tournament 1 of players 2-5, started.
void MakeClub(RatingsFolder& folder) {
    for (int code = 2; code <= 6; ++code)
        folder.AddPlayer(code, QStringLiteral("Игрок %1").arg(code), 10 - code);
    for (const int code : {1, 2, 3, 4, 5, 6, 1001, 1002})
        AddRecordedGame(folder, code, 2 + code % 3, QStringLiteral("Белые"), 5, QStringLiteral("Чёрные"),
                        uint64_t(code));
    AddRecordedMatch(folder, 7, 4, QStringLiteral("Белые"), 2, QStringLiteral("Чёрные"), 5,
                     FivePointMatch());
    folder.Exec(QStringLiteral("BEGIN"));
    for (int code = 10; code < 500; ++code)
        folder.AddGame(code, 3, 4);
    folder.AddGame(600, 2, 9); // player 9 has no row yet
    folder.Exec(QStringLiteral("COMMIT"));
    db::TDModule module(folder.Path(), 0);
    const qint64 cup = db::CreateTournament(module, "Кубок", tournament::System::RoundRobin, 0);
    for (int code = 2; code <= 5; ++code)
        db::AddEntry(module, cup, QStringLiteral("Игрок %1").arg(code));
    db::StartTournament(module, cup);
}

// Runs a change through the program's own module.
std::function<void(RatingsFolder&)> WithModule(std::function<void(db::TDModule&)> change) {
    return [change](RatingsFolder& folder) {
        db::TDModule module(folder.Path(), 0);
        change(module);
    };
}

void AddGames(RatingsFolder& folder, int from, int count) {
    for (int code = from; code < from + count; ++code)
        AddRecordedGame(folder, code, 2, QStringLiteral("Белые"), 3, QStringLiteral("Чёрные"),
                        uint64_t(code));
    folder.Exec(QStringLiteral("UPDATE PLAYERS SET P_POINTS = P_POINTS + %1 WHERE P_CODE = 2")
                    .arg(count));
}

struct Change {
    const char* name;
    std::function<void(RatingsFolder&)> apply;
    const char* fullRun; // part of the reason a full run is made; nullptr: an update
    bool player6Kept;    // a player who played no part keeps his page's file
};

class ReportUpdate : public ::testing::TestWithParam<db::Dialect> {};

TEST_P(ReportUpdate, LeavesWhatAFullRunMakes) {
    const auto exec = [](const char* sql) {
        return [sql](RatingsFolder& f) { f.Exec(QString::fromUtf8(sql)); };
    };
    // clang-format off
    const std::vector<Change> changes{
        {"nothing", [](RatingsFolder&) {}, nullptr, true},
        {"ten new games and a match, a new journal page", [](RatingsFolder& f) { AddGames(f, 1003, 10);
                                                                          AddRecordedMatch(f, 1013, 3, "Белые", 5, "Чёрные", 5, FivePointMatch()); }, nullptr, true},
        {"new games in a new folder", [](RatingsFolder& f) { AddGames(f, 2000, 2); }, nullptr, true},
        {"a new player, named where his games stood unnamed", exec("INSERT INTO PLAYERS VALUES (9, 'Новичок', 0)"), nullptr, true},
        {"a game row changed", exec("UPDATE GAMES SET G_SUPER = 3 WHERE G_CODE = 1001"), nullptr, true},
        {"a game row deleted", exec("DELETE FROM GAMES WHERE G_CODE = 3"), nullptr, true},
        {"a damaged record", [](RatingsFolder& f) { f.Exec("DELETE FROM GAME_RECORDS WHERE R_GAME = 1002");
                                                    AddRecordBytes(f, 1002, QByteArray::fromHex("00000040") + QByteArray(60, 'x')); }, nullptr, true},
        {"a record deleted", exec("DELETE FROM GAME_RECORDS WHERE R_GAME = 4"), nullptr, true},
        {"a match's record now a game's", exec("UPDATE GAME_RECORDS SET R_RECORD = (SELECT R_RECORD FROM GAME_RECORDS WHERE R_GAME = 1) WHERE R_GAME = 7"), nullptr, true},
        {"points set with a reason", WithModule([](db::TDModule& m) { db::SetPoints(m, "Игрок 4", 1, Note); }), nullptr, true},
        {"points set to what they were (6)", WithModule([](db::TDModule& m) { db::SetPoints(m, "Игрок 4", 6, Note); }), nullptr, true},
        {"a game reversed", WithModule([](db::TDModule& m) { db::ReverseGame(m, 5, Note); }), nullptr, true},
        {"a tournament's forfeit", WithModule([](db::TDModule& m) { db::RecordForfeit(m, 1, 1, 1, 1); }), nullptr, true},
        {"a new tournament", WithModule([](db::TDModule& m) { db::CreateTournament(m, "Весна", tournament::System::Swiss, 3); }), nullptr, true},
        {"the club's name", [](RatingsFolder& f) { QDir(f.Path()).mkpath("Data");
                                                   QFile file(f.Path() + "/Data/Club.cfg");
                                                   ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                                   file.write("name = Клуб «Ладья»\n"); }, "colours changed", false},
        {"a renamed player", exec("UPDATE PLAYERS SET P_NAME = 'Другой' WHERE P_CODE = 3"), "renamed", false},
        {"a deleted player", exec("DELETE FROM PLAYERS WHERE P_CODE = 6"), "deleted", false},
        {"a cleared journal", exec("DELETE FROM GAMES WHERE G_CODE < 1001"), "cleared", false},
    };
    // clang-format on
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        RatingsFolder folder(true, GetParam());
        MakeClub(folder);
        const QTemporaryDir out;
        const QString site = out.path() + "/site", full = out.path() + "/full";
        ASSERT_EQ(Report(folder, site).fullRun, "the folder holds no club page yet");
        const ino_t player6 = Inode(site + "/players/6.html");
        change.apply(folder);
        const report::ReportResult update = Report(folder, site);
        ASSERT_EQ(update.code, 0) << update.message.toStdString();
        if (change.fullRun)
            EXPECT_TRUE(update.fullRun.contains(change.fullRun)) << update.fullRun.toStdString();
        else
            EXPECT_EQ(update.fullRun, QString());
        EXPECT_EQ(Inode(site + "/players/6.html") == player6, change.player6Kept);
        ASSERT_EQ(Report(folder, full, true).code, 0);
        EXPECT_EQ(Differences(site, full).join(", ").toStdString(), "");
    }
}

TEST_P(ReportUpdate, StateThatCannotBeTrustedMeansAFullRun) {
    RatingsFolder folder(true, GetParam());
    MakeClub(folder);
    const QTemporaryDir out;
    const QString site = out.path() + "/site", state = site + "/" + report::StateFileName;
    const auto flip = [&](qint64 at) {
        QFile file(state);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        at = at < 0 ? bytes.size() / 2 : at;
        bytes[at] = char(bytes[at] ^ 0x20);
        file.seek(0);
        file.write(bytes);
    };
    // clang-format off
    const struct { const char* what; std::function<void()> damage; QString fullRun; } cases[] = {
        {"the pages' version in the header", [&] { flip(6); }, "the site was made by another version of the pages"},
        {"a byte of the body", [&] { flip(-1); }, "the site's state is damaged"},
        {"the file cut short", [&] { QFile::resize(state, 10); }, "the site's state is damaged"},
        {"no file", [&] { QFile::remove(state); }, "the site has no state of an earlier run"},
        {"no mark", [&] { QFile::remove(site + "/.vertan-site"); }, "the folder holds no club page yet"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Report(folder, site, true).code, 0);
        c.damage();
        AddGames(folder, 1003 + int(&c - cases), 1);
        EXPECT_EQ(Report(folder, site).fullRun, c.fullRun);
        EXPECT_EQ(Report(folder, site).fullRun, QString()) << "the state is whole again";
    }
    EXPECT_EQ(Report(folder, site, true).fullRun, "asked for with --full");
}

// A kill stands in for whatever ends a run at that step: the hook throws
// something no one in the report catches.
struct Killed {};

TEST_P(ReportUpdate, KilledAtAnyStepThenRunAgainLeavesTheFullSite) {
    for (const bool full : {false, true})
        for (int at = 1;; ++at) {
            SCOPED_TRACE(testing::Message() << (full ? "full run" : "update") << ", step " << at);
            RatingsFolder folder(true, GetParam());
            MakeClub(folder);
            const QTemporaryDir out;
            const QString site = out.path() + "/site", whole = out.path() + "/whole";
            ASSERT_EQ(Report(folder, site).code, 0);
            AddGames(folder, 1003, 3);
            folder.Exec(QStringLiteral("DELETE FROM GAMES WHERE G_CODE = 2"));
            int steps = 0;
            bool killed = false;
            try {
                Report(folder, site, full, [&](std::string_view) {
                    if (++steps == at)
                        throw Killed{};
                });
            } catch (const Killed&) {
                killed = true;
            }
            ASSERT_EQ(Report(folder, site).code, 0);
            ASSERT_EQ(Report(folder, whole, true).code, 0);
            EXPECT_EQ(Differences(site, whole).join(", ").toStdString(), "");
            if (!killed)
                break;
        }
}

INSTANTIATE_TEST_SUITE_P(Report, ReportUpdate,
                         ::testing::Values(db::Dialect::SQLite, db::Dialect::PostgreSQL),
                         EngineName);

} // namespace
