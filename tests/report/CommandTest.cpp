// The two commands that make the club's page: ratings-db --report and the
// desktop action's vertan --report, which opens the page with xdg-open.
#include "ReportClub.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct Finished {
    int code = -1;
    QString err;
    QString out;
};

Finished Start(const QString& program, const QStringList& args, const QString& dir,
               const QString& path = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (!path.isEmpty())
        env.insert("PATH", path + ":" + env.value("PATH"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(VERTAN_PROGRAM_DIR "/") + program, args);
    EXPECT_TRUE(process.waitForFinished(-1));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError()),
            QString::fromLocal8Bit(process.readAllStandardOutput())};
}

TEST(ReportCommand, RatingsDbMakesTheSiteOrFailsWithoutOne) {
    RatingsFolder good;
    good.AddPlayer(2, "Анна", 3);
    RatingsFolder missing(false);
    const QTemporaryDir out;
    struct Case {
        RatingsFolder* folder;
        int code;
        bool site;
    };
    for (const Case c : {Case{&good, 0, true}, Case{&missing, 1, false}}) {
        const QString site = out.path() + "/" + QString::number(c.code);
        const Finished run = Start(
            "ratings-db", {"--program-folder", c.folder->Path(), "--report", site}, out.path());
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_EQ(QFileInfo::exists(site + "/index.html"), c.site);
        EXPECT_EQ(QFileInfo::exists(site), c.site) << "a failed run leaves no folder behind";
        EXPECT_EQ(run.err.startsWith("ratings-db: "), !c.site) << run.err.toStdString();
    }
}

TEST(ReportCommand, VertanWritesIntoTheProgramFolderAndOpensTheBrowser) {
    RatingsFolder folder;
    folder.AddPlayer(2, "Анна", 3);
    // A stand-in for xdg-open tells the test what it was asked to open.
    const QTemporaryDir bin;
    const QString told = bin.path() + "/told";
    ASSERT_EQ(mkfifo(QFile::encodeName(told).constData(), 0600), 0);
    QFile stub(bin.path() + "/xdg-open");
    ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
    stub.write("#!/bin/sh\nprintf '%s' \"$1\" > \"" + QFile::encodeName(told) + "\"\n");
    stub.close();
    stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const Finished run = Start("vertan", {"--report"}, folder.Path(), bin.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    QFile fifo(told);
    ASSERT_TRUE(fifo.open(QIODevice::ReadOnly)); // waits for the stand-in
    EXPECT_EQ(QString::fromLocal8Bit(fifo.readAll()), folder.Path() + "/report/index.html");
    EXPECT_TRUE(QFile(folder.Path() + "/report/index.html").size() > 0);
    // Asked without a terminal: report/, remembered for the timer's updates.
    const Finished update = Start("vertan", {"--report", "--update"}, folder.Path(), bin.path());
    EXPECT_EQ(update.code, 0) << update.err.toStdString();
    EXPECT_TRUE(update.out.contains(folder.Path() + "/report: 1 players")) << update.out.toStdString();
    EXPECT_TRUE(update.out.contains("updated: 0 pages written")) << update.out.toStdString();
}

// The timer's run: into the folder chosen before, never a question, nothing opened.
TEST(ReportCommand, TheTimersUpdateNeedsTheFolderChosenBefore) {
    RatingsFolder folder;
    folder.AddPlayer(2, "Анна", 3);
    const Finished none = Start("vertan", {"--report", "--update"}, folder.Path());
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.err.contains("run vertan --report once")) << none.err.toStdString();
    EXPECT_EQ(Start("vertan", {"--report", "--now"}, folder.Path()).code, 2);

    const QTemporaryDir out;
    QFile ini(folder.Path() + "/Data/Report.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nFolder=" + QFile::encodeName(out.path()) + "/site\n");
    ini.close();
    const Finished first = Start("vertan", {"--report", "--update"}, folder.Path());
    EXPECT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.startsWith("every page made again: the folder holds no club page yet"))
        << first.out.toStdString();
    folder.AddPlayer(3, "Борис", 1);
    const Finished second = Start("vertan", {"--report", "--update"}, folder.Path());
    EXPECT_TRUE(second.out.contains("updated: 2 pages written")) << second.out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out.path() + "/site/players/3.html"));
}

} // namespace
