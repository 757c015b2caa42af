// The folder the club's page is written into: only a folder the report made
// is taken over, only its own pages are replaced, and a run that fails at
// any move leaves the old site and every file of the user's where they were.
#include "ReportClub.h"
#include "report/Report.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Text(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void Put(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(text);
}

QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

report::ReportResult Report(const RatingsFolder& folder, const QString& site) {
    return report::MakeReport({db::Dialect::SQLite, folder.DatabaseFile()}, site);
}

// What a folder holds before the report is asked to write into it.
TEST(ReportFolder, OnlyAFolderTheReportMadeIsTakenOver) {
    RatingsFolder folder;
    folder.AddPlayer(2, QStringLiteral("Анна"), 0);
    // The index page of a site made before folders were marked.
    const QByteArray oldIndex = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
                                "<title>Рейтинг — Вертан</title>\n<link rel=\"stylesheet\" "
                                "href=\"style.css\">\n<script src=\"report.js\" defer></script>\n";
    const struct {
        const char* what;
        std::vector<std::pair<const char*, QByteArray>> files;
        bool taken;
    } cases[] = {
        {"an empty folder", {}, true},
        {"a folder of the user's other files", {{"notes.txt", "mine"}}, true},
        {"a page of the user's by the report's name", {{"index.html", "mine"}}, false},
        {"numbered pages of the user's", {{"journal/2024/12.html", "mine"}, {"games/7.html", "mine"}},
         false},
        {"a site made before the mark", {{"index.html", oldIndex}, {"players/9.html", "old"}}, true},
        {"a marked site", {{".vertan-site", ""}, {"index.html", "old"}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QTemporaryDir site;
        for (const auto& [name, text] : c.files)
            Put(site.path() + "/" + name, text);
        const QStringList before = Entries(site.path());
        const report::ReportResult result = Report(folder, site.path());
        EXPECT_EQ(result.code, c.taken ? 0 : 1) << result.message.toStdString();
        if (c.taken) {
            EXPECT_TRUE(Text(site.path() + "/index.html").contains("Анна"));
            EXPECT_TRUE(QFileInfo::exists(site.path() + "/.vertan-site"));
            EXPECT_FALSE(QFileInfo::exists(site.path() + "/players/9.html")) << "an old page stayed";
            continue;
        }
        EXPECT_TRUE(result.message.contains(site.path())) << result.message.toStdString();
        EXPECT_EQ(Entries(site.path()), before) << "something was written";
        for (const auto& [name, text] : c.files)
            EXPECT_EQ(Text(site.path() + "/" + name), text) << name;
    }
}

TEST(ReportFolder, AUsersFileInTheWayStopsTheRunBeforeAnythingMoves) {
    RatingsFolder folder;
    const QTemporaryDir site;
    for (const char* name : {".vertan-site", "index.html", "games"})
        Put(site.path() + "/" + name, "mine");
    const report::ReportResult result = Report(folder, site.path());
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(result.message.contains("games")) << result.message.toStdString();
    EXPECT_EQ(Text(site.path() + "/index.html"), "mine");
    EXPECT_EQ(Entries(site.path()), QStringList({".vertan-site", "games", "index.html"}));
}

// Run as another account (nobody, when the tests run as root): root may move
// a folder that is closed to writing, an ordinary account may not.
void GiveTo(const QString& path, uid_t uid) {
    if (geteuid() != 0)
        return;
    ASSERT_EQ(lchown(QFile::encodeName(path).constData(), uid, uid), 0);
    QDirIterator all(path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                     QDirIterator::Subdirectories);
    while (all.hasNext())
        ASSERT_EQ(lchown(QFile::encodeName(all.next()).constData(), uid, uid), 0);
}

int ReportAsOrdinaryAccount(const QString& programFolder, const QString& site, QString& err,
                            const QStringList& more = {}) {
    QProcess tool;
    if (geteuid() == 0)
        tool.setChildProcessModifier([] {
            constexpr uid_t nobody = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
                _exit(100);
        });
    tool.start(VERTAN_PROGRAM_DIR "/ratings-db",
               QStringList{"--program-folder", programFolder, "--report", site} + more);
    EXPECT_TRUE(tool.waitForFinished(-1));
    err = QString::fromLocal8Bit(tool.readAllStandardError());
    return tool.exitCode();
}

TEST(ReportFolder, AMoveThatFailsPutsTheOldSiteAndTheUsersFilesBack) {
    const QTemporaryDir out;
    ASSERT_EQ(chmod(QFile::encodeName(out.path()).constData(), 0755), 0);
    RatingsFolder folder;
    folder.AddPlayer(2, QStringLiteral("Анна"), 0);
    const QString site = out.path() + "/site";
    ASSERT_EQ(Report(folder, site).code, 0);
    for (const char* name : {"notes.txt", "players/note.txt", "players/photos/a.jpg",
                             "journal/mine.txt", "games/0/mine.txt", "games/7/mine.txt",
                             "players/photos/1.html"})
        Put(site + "/" + name, name);
    // Old pages of the report's, which the next site has not.
    for (const char* page : {"players/999.html", "games/7/7001.html"})
        Put(site + "/" + page, "old");
    folder.AddPlayer(3, QStringLiteral("Борис"), 0);
    GiveTo(folder.Path(), 65534);
    GiveTo(out.path(), 65534);
    // The user's folder of photos cannot move to the new players/ folder.
    const QByteArray photos = QFile::encodeName(site + "/players/photos");
    ASSERT_EQ(chmod(photos.constData(), 0555), 0);
    QStringList paths;
    const QString before = ReadAll(site, &paths);
    QString err;
    EXPECT_EQ(ReportAsOrdinaryAccount(folder.Path(), site, err, {"--full"}), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("photos")) << err.toStdString();
    QStringList pathsAfter;
    EXPECT_EQ(ReadAll(site, &pathsAfter), before);
    EXPECT_EQ(pathsAfter, paths);
    EXPECT_FALSE(Text(site + "/index.html").contains("Борис")) << "the new site stayed in part";
    EXPECT_TRUE(QDir(site).entryList({".report-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());

    // Once the folder may move, the same run goes through: the user's files
    // kept, in folders of pages too, the old pages gone.
    ASSERT_EQ(chmod(photos.constData(), 0755), 0);
    EXPECT_EQ(ReportAsOrdinaryAccount(folder.Path(), site, err, {"--full"}), 0) << err.toStdString();
    EXPECT_TRUE(Text(site + "/index.html").contains("Борис"));
    EXPECT_TRUE(QFileInfo::exists(site + "/players/3.html"));
    for (const char* name : {"notes.txt", "players/note.txt", "players/photos/a.jpg",
                             "journal/mine.txt", "games/0/mine.txt", "games/7/mine.txt",
                             "players/photos/1.html"})
        EXPECT_EQ(Text(site + "/" + name), name);
    for (const char* page : {"players/999.html", "games/7/7001.html"})
        EXPECT_FALSE(QFileInfo::exists(site + "/" + page)) << page;
    EXPECT_TRUE(QDir(site).entryList({".report-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());

    // An update whose page cannot take its place puts back the pages it
    // moved and the site's state: the next update still knows the site.
    folder.AddPlayer(4, QStringLiteral("Вера"), 0);
    GiveTo(folder.Path(), 65534);
    const QByteArray players = QFile::encodeName(site + "/players");
    ASSERT_EQ(chmod(players.constData(), 0555), 0);
    const QString kept = ReadAll(site);
    EXPECT_EQ(ReportAsOrdinaryAccount(folder.Path(), site, err), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("players/4.html")) << err.toStdString();
    EXPECT_EQ(ReadAll(site), kept);
    ASSERT_EQ(chmod(players.constData(), 0755), 0);
    EXPECT_EQ(ReportAsOrdinaryAccount(folder.Path(), site, err), 0) << err.toStdString();
    EXPECT_TRUE(Text(site + "/index.html").contains("Вера"));
    EXPECT_TRUE(QFileInfo::exists(site + "/players/4.html"));
}

} // namespace
