// Where the save dialog opens and the name it offers.
#include "StandardBoard.h"
#include "desktop/GameFileDialog.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Named after the players and the date, in the last folder used while it
// exists, else XDG documents while it exists, else home.
TEST(GameFileDialog, NameAndFolder) {
    record::GameRecord game;
    game.Add(record::StartInfo{StandardBoard(), ".a/b\\c (белые)", "\"d:e*f?<>| (чёрные)", 0x205});
    game.SetStartTime(QDateTime(QDate(2026, 12, 8), QTime(21, 5)));
    EXPECT_EQ(desktop::SuggestedGameName(game), "_a_b_c — _d_e_f____, 08.12.2026.txt");
    QTemporaryDir root;
    const QString home = root.filePath("home"), documents = home + "/Документы",
                  last = root.filePath("games");
    QDir().mkpath(home + "/.config");
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath("settings"));
    QFile dirs(home + "/.config/user-dirs.dirs");
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly) &&
                dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n") > 0);
    dirs.close();
    EXPECT_EQ(desktop::GameFolder(), home);
    QDir().mkpath(documents);
    EXPECT_EQ(desktop::GameFolder(), documents);
    QDir().mkpath(last);
    desktop::RememberGameFolder(last + "/партия.txt");
    desktop::RememberGameFolder(QString()); // a cancelled dialog
    EXPECT_EQ(desktop::GameFolder(), last);
    QDir(last).removeRecursively();
    EXPECT_EQ(desktop::GameFolder(), documents);
}
