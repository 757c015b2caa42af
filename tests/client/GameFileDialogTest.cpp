// Where the save dialog opens and the name it offers.
#include "StandardBoard.h"
#include "desktop/GameFileDialog.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

record::GameRecord Game(const char* white, const char* black, QDate date) {
    record::GameRecord game;
    game.Add(record::StartInfo{StandardBoard(), white, black, proc::MakeDice(5, 2)});
    game.SetStartTime(QDateTime(date, QTime(21, 5)));
    return game;
}

} // namespace

TEST(GameFileDialog, NameOfThePlayersAndTheDate) {
    const struct {
        const char* white;
        const char* black;
        const char* name;
    } cases[] = {
        {"Иван (белые)", "Компьютер (чёрные)", "Иван — Компьютер, 08.12.2026.txt"},
        {"a/b\\c (белые)", "d:e*f? (чёрные)", "a_b_c — d_e_f_, 08.12.2026.txt"},
        {"\"x\"<y>|z (белые)", "Ян (чёрные)", "_x__y__z — Ян, 08.12.2026.txt"},
        {".hidden (белые)", "Ян (чёрные)", "_hidden — Ян, 08.12.2026.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(desktop::SuggestedGameName(Game(c.white, c.black, QDate(2026, 12, 8))),
                  QString::fromUtf8(c.name));
    }
}

// The last folder used while it exists, else the documents folder the user's
// XDG settings name while it exists, else home; never the current folder.
TEST(GameFileDialog, OpensInTheLastFolderElseDocumentsElseHome) {
    QTemporaryDir root;
    const QString home = root.filePath("home");
    const QString documents = home + QStringLiteral("/Документы");
    const QString last = root.filePath("games");
    QDir().mkpath(home + "/.config");
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath("settings"));
    QFile dirs(home + "/.config/user-dirs.dirs");
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n");
    dirs.close();
    QDir::setCurrent(root.path());

    const struct {
        const char* step;
        std::function<void()> act;
        QString folder;
    } cases[] = {
        {"no documents folder", [] {}, home},
        {"documents folder made", [&] { QDir().mkpath(documents); }, documents},
        {"a game saved elsewhere",
         [&] {
             QDir().mkpath(last);
             desktop::RememberGameFolder(last + "/партия.txt");
         },
         last},
        {"a cancelled dialog changes nothing", [] { desktop::RememberGameFolder(QString()); },
         last},
        {"that folder removed", [&] { QDir(last).removeRecursively(); }, documents},
    };
    for (const auto& c : cases) {
        c.act();
        EXPECT_EQ(desktop::GameFolder(), c.folder) << c.step;
    }
}
