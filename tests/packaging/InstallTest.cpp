// The program installed into a temporary DESTDIR and started the way a user
// starts it: the launcher with a fresh HOME makes the user's folder, the demo
// game runs in it through the installed board client, and a newer package
// refreshes the package's own untouched files and nothing of the user's.
#include "WholeGame.h" // FreePort
#include "desktop/DesktopIdentity.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include <sys/stat.h>

namespace {

const QStringList ShippedFiles = {"Config.cfg",        "Data/Options.cfg", "Data/Board.cfg",
                                  "Data/About.rtf",    "Data/Help.htm",    "Data/Menu.jpg",
                                  "Data/Dialog.bmp",   "Data/Ratings.mdb"};

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool SetModified(const QString& path, const QDateTime& time) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

/*! A temporary DESTDIR with the build installed under prefix, a fresh HOME
    and a directory to start commands in. */
class Installation {
  public:
    explicit Installation(const QString& prefix = QStringLiteral("/usr")) : prefix_(prefix) {
        QDir(dir_.path()).mkpath(QStringLiteral("home"));
        QDir(dir_.path()).mkpath(QStringLiteral("start"));
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), Root(QStringLiteral("stage")));
        install.setProcessEnvironment(env);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(VERTAN_CMAKE),
                      {QStringLiteral("--install"), QStringLiteral(VERTAN_BINARY_DIR),
                       QStringLiteral("--prefix"), prefix});
        installed_ = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
                     install.exitCode() == 0;
        log_ = install.readAll();
    }
    bool Installed() const { return installed_; }
    QByteArray Log() const { return log_; }
    QString Root(const QString& relative) const { return dir_.filePath(relative); }
    QString Prefixed(const QString& relative) const {
        return Root(QStringLiteral("stage")) + prefix_ + '/' + relative;
    }
    QString Shipped(const QString& file) const {
        return Prefixed(QStringLiteral("share/vertan/") + file);
    }
    QString Home() const { return Root(QStringLiteral("home")); }
    QString UserFolder() const { return Home() + QStringLiteral("/.local/share/vertan"); }
    QString User(const QString& file) const { return UserFolder() + '/' + file; }

    /*! bin/vertan with these arguments, HOME set, XDG_DATA_HOME as given
        (unset when null), offscreen. */
    Outcome Launch(const QStringList& args, const QString& dataHome = QString()) const {
        QProcess process;
        Start(process, args, dataHome);
        return Finish(process);
    }
    /*! Starts bin/vertan as Launch does; path replaces PATH unless null. */
    void Start(QProcess& process, const QStringList& args, const QString& dataHome = QString(),
               const QString& path = QString()) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), Home());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        if (!dataHome.isNull())
            env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        if (!path.isNull())
            env.insert(QStringLiteral("PATH"), path);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(Root(QStringLiteral("start")));
        process.start(Prefixed(QStringLiteral("bin/vertan")), args);
    }
    static Outcome Finish(QProcess& process) {
        process.waitForFinished(10 * 60 * 1000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    /*! The preparation alone: the launcher makes the folder, the program
        refuses the argument. */
    Outcome Prepare(const QString& dataHome = QString()) const {
        return Launch({QStringLiteral("--no-such-option")}, dataHome);
    }
    Outcome Demo() const {
        return Launch({QStringLiteral("--demo"), QStringLiteral("shots"),
                       QStringLiteral("--pause-scale"), QStringLiteral("0")});
    }

  private:
    QTemporaryDir dir_;
    QString prefix_;
    bool installed_ = false;
    QByteArray log_;
};

/*! Runs one statement on the database file; the first value of its first
    row, "done" for a statement without rows, empty on failure. */
QString Sql(const QString& database, const QString& statement) {
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sql"));
        db.setDatabaseName(database);
        QSqlQuery query(db);
        if (db.open() && query.exec(statement))
            result = query.next() ? query.value(0).toString() : QStringLiteral("done");
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("sql"));
    return result;
}

/*! The lines of the user's record of placed files that name file. */
QStringList RecordLines(const Installation& installed, const QString& file) {
    QStringList lines;
    for (const QString& line : QString::fromUtf8(Read(installed.User(".shipped"))).split('\n'))
        if (line.mid(66) == file)
            lines << line;
    return lines;
}

TEST(Install, UsersFolderIsMadeKeptAndRefreshedOnlyWherePackageOwnsIt) {
    const Installation installed;
    ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();

    // First start: every shipped file copied, the client linked.
    const Outcome first = installed.Prepare();
    EXPECT_EQ(first.code, 2) << first.err.toStdString();
    for (const QString& file : ShippedFiles) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray shipped = Read(installed.Shipped(file));
        EXPECT_FALSE(shipped.isEmpty());
        EXPECT_EQ(Read(installed.User(file)), shipped);
    }
    EXPECT_EQ(QFileInfo(installed.User("tolvaner")).canonicalFilePath(),
              QFileInfo(installed.Prefixed("lib/vertan/tolvaner")).canonicalFilePath());

    // The user's own port, so the game cannot meet anyone else's.
    const QByteArray port = QByteArray::number(apptest::FreePort());
    QByteArray options = Read(installed.User("Data/Options.cfg"));
    ASSERT_EQ(options.count("\n4000\r\n"), 1);
    options.replace("\n4000\r\n", "\n" + port + "\r\n");
    ASSERT_TRUE(Write(installed.User("Data/Options.cfg"), options));

    // Second start: a whole game through the installed client.
    const Outcome second = installed.Demo();
    ASSERT_EQ(second.code, 0) << second.out.toStdString() << second.err.toStdString();
    EXPECT_TRUE(QFile::exists(installed.Root("start/shots/final-board.png"))) << second.out.toStdString();
    EXPECT_TRUE(Read(installed.User("Config.cfg")).contains("server_port " + port));

    // Between starts: a player registered, the user's own dialog picture,
    // a deleted board file, and a newer package.
    const QString player = QStringLiteral("Ольга Петровна");
    ASSERT_EQ(Sql(installed.User("Data/Ratings.mdb"),
                  "INSERT INTO PLAYERS VALUES (777, '" + player + "', 0)"),
              "done");
    QImage dialog(40, 30, QImage::Format_RGB32);
    dialog.fill(Qt::darkBlue);
    ASSERT_TRUE(dialog.save(installed.User("Data/Dialog.bmp"), "BMP"));
    ASSERT_TRUE(QFile::remove(installed.User("Data/Board.cfg")));
    QImage menu(QStringLiteral(VERTAN_PROGRAM_DIR "/Data/Menu.jpg"));
    menu.fill(Qt::darkRed);
    ASSERT_TRUE(menu.save(installed.Shipped("Data/Menu.jpg"), "JPG"));

    enum Expect { Package, KeptAsBefore, NotPackage };
    struct Case {
        QString file;
        QByteArray packageBytes; // empty: the package keeps its copy
        int packageAgeDays;      // package copy's time against the user's copy
        Expect expect;
    };
    const Case cases[] = {
        {"Data/Menu.jpg", {}, 1, Package},              // picture, untouched by the user
        {"Data/Help.htm", "<html>new help</html>", 1, Package},
        {"Data/Dialog.bmp", "new dialog", 1, KeptAsBefore}, // the user's own picture
        {"Data/About.rtf", "{\\rtf1 older}", -1, KeptAsBefore}, // the package's is older
        {"Data/Options.cfg", "clRed\r\n", 1, KeptAsBefore},
        {"Config.cfg", "[net]\nserver_port 1\n", 1, NotPackage},
        {"Data/Ratings.mdb", "not a database", 1, NotPackage},
        {"Data/Board.cfg", {}, 0, Package}, // deleted by the user: copied again
    };
    QMap<QString, QByteArray> before;
    for (const Case& c : cases) {
        before[c.file] = Read(installed.User(c.file));
        if (!c.packageBytes.isEmpty()) {
            ASSERT_TRUE(Write(installed.Shipped(c.file), c.packageBytes));
        }
        const QFileInfo userCopy(installed.User(c.file));
        if (userCopy.exists()) {
            ASSERT_TRUE(SetModified(installed.Shipped(c.file),
                                    userCopy.lastModified().addDays(c.packageAgeDays)));
        }
    }

    const Outcome third = installed.Demo();
    ASSERT_EQ(third.code, 0) << third.out.toStdString() << third.err.toStdString();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QByteArray now = Read(installed.User(c.file));
        const QByteArray package = Read(installed.Shipped(c.file));
        switch (c.expect) {
        case Package:
            EXPECT_EQ(now, package);
            // One record line for the file, with the checksum of the copy now
            // placed: an old line left behind would later take a user's copy
            // of an older version for the package's own.
            EXPECT_EQ(RecordLines(installed, c.file),
                      QStringList{QCryptographicHash::hash(now, QCryptographicHash::Sha256).toHex() +
                                  "  " + c.file});
            break;
        case KeptAsBefore: EXPECT_EQ(now, before[c.file]); break;
        case NotPackage: EXPECT_NE(now, package); break;
        }
    }
    EXPECT_EQ(Sql(installed.User("Data/Ratings.mdb"),
                  "SELECT COUNT(*) FROM PLAYERS WHERE P_NAME = '" + player + "'"),
              "1");
    EXPECT_TRUE(Read(installed.User("Config.cfg")).contains("server_port " + port));
}

// The rights of the path's group and of everyone else; -1 when it is missing.
int OpenToOthers(const QString& path) {
    struct stat status {};
    return lstat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 077) : -1;
}

TEST(Install, UsersFolderIsTheUsersAloneAndAnOpenOneIsClosedOnce) {
    const Installation installed;
    ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
    const QString told = QStringLiteral("open to other users");
    const QStringList paths = {"", "Data", "Data/Ratings.mdb", "Data/Options.cfg", "Config.cfg"};
    EXPECT_FALSE(installed.Prepare().err.contains(told));
    for (const QString& path : paths)
        EXPECT_EQ(OpenToOthers(installed.User(path)), 0) << path.toStdString();
    // A folder made by an older package, open to everyone.
    for (const QString& path : paths)
        ASSERT_EQ(chmod(QFile::encodeName(installed.User(path)).constData(), 0755), 0);
    EXPECT_EQ(installed.Prepare().err.count(told), 1);
    for (const QString& path : paths)
        EXPECT_EQ(OpenToOthers(installed.User(path)), 0) << path.toStdString();
    EXPECT_FALSE(installed.Prepare().err.contains(told)) << "closed once";
}

// A user's folder that is a link to one elsewhere (another disk) is closed
// like any other, and told once.
TEST(Install, AUsersFolderThatIsALinkIsClosedOnceToo) {
    const Installation installed;
    ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
    const QString told = QStringLiteral("open to other users");
    const QString real = installed.Root("elsewhere/vertan");
    ASSERT_TRUE(QDir().mkpath(real));
    ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0755), 0);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(installed.UserFolder()).path()));
    ASSERT_TRUE(QFile::link(real, installed.UserFolder()));
    EXPECT_EQ(installed.Prepare().err.count(told), 1);
    EXPECT_EQ(OpenToOthers(real), 0);
    EXPECT_EQ(OpenToOthers(real + "/Data"), 0);
    EXPECT_FALSE(installed.Prepare().err.contains(told)) << "closed once";
}

TEST(Install, AnyPrefixAndTheUsersDataFolder) {
    struct Case {
        QString prefix;
        QString dataHome; // XDG_DATA_HOME; null: unset
        QString folder;   // expected, below the temporary root
    };
    const Case cases[] = {
        {"/usr", {}, "home/.local/share/vertan"},
        {"/opt/games", {}, "home/.local/share/vertan"},
        {"/usr", "@/data", "data/vertan"},
        {"/usr", "", "home/.local/share/vertan"},        // empty: the default
        {"/usr", "relative", "home/.local/share/vertan"}, // not absolute: ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.prefix + ' ' + c.dataHome).toStdString());
        const Installation installed(c.prefix);
        ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
        QString dataHome = c.dataHome;
        dataHome.replace('@', installed.Root(QString()));
        const Outcome run = installed.Prepare(dataHome);
        EXPECT_EQ(run.code, 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("usage: vertan")) << run.err.toStdString();
        const QString folder = installed.Root(c.folder);
        EXPECT_EQ(Read(folder + "/Data/Ratings.mdb"), Read(installed.Shipped("Data/Ratings.mdb")));
        EXPECT_EQ(QFileInfo(folder + "/tolvaner").canonicalFilePath(),
                  QFileInfo(installed.Prefixed("lib/vertan/tolvaner")).canonicalFilePath());
        EXPECT_FALSE(QFile::exists(installed.Root("start/relative")));
    }
}

// What the launcher meets in a user's folder: a lock that is a link, the
// leftovers of a start killed while copying, a database that a power cut
// left empty, a file where a folder belongs.
TEST(Install, LauncherMeetsAWrongFolderSafely) {
    struct Case {
        const char* what;
        bool preparedFirst;                             // one normal start before
        std::function<void(const Installation&)> setUp; // then this
        int code;                                       // 2: the program ran
        const char* says;                               // on standard error
        std::function<void(const Installation&)> check;
    };
    const auto victim = [](const Installation& i) { return i.Root("victim"); };
    const Case cases[] = {
        {"the lock is a link", false,
         [&](const Installation& i) {
             ASSERT_TRUE(QDir().mkpath(i.UserFolder()));
             ASSERT_TRUE(Write(victim(i), "keep"));
             ASSERT_TRUE(QFile::link(victim(i), i.User(".lock")));
         },
         1, "vertan: ", [&](const Installation& i) { EXPECT_EQ(Read(victim(i)), "keep"); }},
        {"leftovers of a killed start, beside the user's own files", true,
         [&](const Installation& i) {
             ASSERT_TRUE(Write(i.User("Data/Menu.jpg.part.4711ab"), "half"));
             ASSERT_TRUE(Write(i.User(".shipped.part.Zz0099"), "half"));
             ASSERT_TRUE(Write(victim(i), "keep"));
             ASSERT_TRUE(QFile::link(victim(i), i.User("Data/Help.htm.part.AbCdEf")));
             ASSERT_TRUE(QDir().mkpath(i.User("report/photos")));
             for (const char* mine : {"report/photos/a.part.2.jpg", "report/index.html.part.abcdef",
                                      "Data/Notes.txt.part.abcdef", "Data/Menu.jpg.part.1"})
                 ASSERT_TRUE(Write(i.User(mine), "mine"));
         },
         2, "",
         [&](const Installation& i) {
             EXPECT_FALSE(QFileInfo::exists(i.User("Data/Menu.jpg.part.4711ab")));
             EXPECT_FALSE(QFileInfo::exists(i.User(".shipped.part.Zz0099")));
             EXPECT_FALSE(QFileInfo(i.User("Data/Help.htm.part.AbCdEf")).isSymLink());
             EXPECT_EQ(Read(victim(i)), "keep");
             for (const char* mine : {"report/photos/a.part.2.jpg", "report/index.html.part.abcdef",
                                      "Data/Notes.txt.part.abcdef", "Data/Menu.jpg.part.1"})
                 EXPECT_EQ(Read(i.User(mine)), "mine") << mine;
         }},
        {"an empty database", true,
         [](const Installation& i) { ASSERT_TRUE(Write(i.User("Data/Ratings.mdb"), "")); }, 2, "",
         [](const Installation& i) {
             EXPECT_EQ(Read(i.User("Data/Ratings.mdb")), Read(i.Shipped("Data/Ratings.mdb")));
         }},
        {"Data is a file", false,
         [](const Installation& i) {
             ASSERT_TRUE(QDir().mkpath(i.UserFolder()));
             ASSERT_TRUE(Write(i.User("Data"), "a file"));
         },
         1, "vertan: ", [](const Installation& i) { EXPECT_EQ(Read(i.User("Data")), "a file"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Installation installed;
        ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
        if (c.preparedFirst) {
            ASSERT_EQ(installed.Prepare().code, 2);
        }
        c.setUp(installed);
        const Outcome run = installed.Prepare();
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith(c.says)) << run.err.toStdString();
        c.check(installed);
    }
}

// Eight starts at once where flock is missing: one preparation at a time,
// one record line per shipped file.
TEST(Install, StartsAtOnceWithoutFlockShareTheFolder) {
    const Installation installed;
    ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
    // A PATH with the commands the launcher uses, flock left out.
    const QString bin = installed.Root("bin-without-flock");
    ASSERT_TRUE(QDir().mkpath(bin));
    for (const QString tool : {"dirname", "readlink", "sha256sum", "cut", "grep", "mkdir", "cp",
                               "touch", "mv", "rm", "rmdir", "awk", "find", "sed", "sort", "cmp",
                               "ln", "mktemp", "sync", "sleep", "cat"}) {
        const QString found = QStandardPaths::findExecutable(tool);
        ASSERT_FALSE(found.isEmpty()) << tool.toStdString();
        ASSERT_TRUE(QFile::link(found, bin + '/' + tool));
    }
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < 8; ++i) {
        starts.push_back(std::make_unique<QProcess>());
        installed.Start(*starts.back(), {QStringLiteral("--no-such-option")}, QString(), bin);
    }
    for (auto& start : starts) {
        const Outcome run = Installation::Finish(*start);
        EXPECT_EQ(run.code, 2) << run.err.toStdString();
    }
    QStringList shippedFiles;
    QDirIterator files(installed.Shipped(QString()), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        shippedFiles << QDir(installed.Shipped(QString())).relativeFilePath(files.next());
    for (const QString& file : shippedFiles)
        EXPECT_EQ(RecordLines(installed, file).size(), 1) << file.toStdString();
    EXPECT_EQ(QString::fromUtf8(Read(installed.User(".shipped"))).count('\n'), shippedFiles.size());
    EXPECT_FALSE(QFileInfo::exists(installed.User(".lock.d")));
}

TEST(Install, StandardOptionsMakeNoFolder) {
    const Installation installed;
    ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
    for (const QString option : {"--help", "--version"}) {
        const Outcome run = installed.Launch({option});
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(option == "--help" ? "usage: vertan" : "vertan "));
    }
    EXPECT_FALSE(QFileInfo::exists(installed.UserFolder()));
    // The board client's command too.
    QProcess client;
    client.start(installed.Prefixed("games/tolvaner"), {QStringLiteral("--version")});
    ASSERT_TRUE(client.waitForFinished(60000));
    EXPECT_EQ(client.exitCode(), 0);
    EXPECT_TRUE(client.readAllStandardOutput().startsWith("tolvaner "));
}

// A club's administrator sets the server up from the installed program.
TEST(Install, ServerSetUpToolSchemaAndManualPage) {
    const Installation installed;
    ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
    EXPECT_EQ(Read(installed.Prefixed("share/vertan-server/Ratings.postgresql.sql")),
              Read(VERTAN_SOURCE_DIR "/data/Ratings.postgresql.sql"));
    for (const char* page : {"man/man1/ratings-db.1.gz", "man/ru/man1/ratings-db.1.gz",
                             "man/ru/man6/vertan.6.gz", "man/ru/man6/tolvaner.6.gz"})
        EXPECT_TRUE(QFileInfo(installed.Prefixed(QStringLiteral("share/") + page)).size() > 0) << page;
    EXPECT_FALSE(QFileInfo::exists(installed.Shipped("Ratings.postgresql.sql")))
        << "not copied into every user's folder";
    QProcess tool;
    tool.start(installed.Prefixed("bin/ratings-db"), {QStringLiteral("--help")});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_TRUE(tool.readAllStandardOutput().contains("--create"));
}

TEST(Install, WindowsTakeTheInstalledIconAndDesktopEntry) {
    const Installation installed(QStringLiteral("/opt/games"));
    ASSERT_TRUE(installed.Installed()) << installed.Log().toStdString();
    desktop::ApplyDesktopIdentity(installed.Prefixed("lib/vertan"));
    const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
    const QString desktopFile = QGuiApplication::desktopFileName();
    QGuiApplication::setWindowIcon(QIcon());
    QGuiApplication::setDesktopFileName(QString());
    for (const int size : {16, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // The menu entry that the windows name, with the same icon and class.
    const QByteArray entry = Read(installed.Prefixed("share/applications/" + desktopFile + ".desktop"));
    EXPECT_TRUE(entry.contains("\nIcon=" + desktopFile.toUtf8() + '\n')) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nStartupWMClass=" + desktopFile.toUtf8() + '\n'));
    EXPECT_TRUE(entry.contains("\nExec=vertan\n"));
}

} // namespace
