// The engine process: a stand-in that misbehaves in each way a process can,
// and the socket's private folder.
#include "common/OtherAccount.h"
#include "engine/EnginePlay.h"
#include "engine/FibsBoard.h"
#include "engine/Gnubg.h"
#include "proc/Positions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <optional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using proctest::MakeBoard;
using testing::HasSubstr;

namespace {

const proc::Board Start =
    MakeBoard({{1, -2}, {6, 5}, {8, 3}, {12, -5}, {13, 5}, {17, -3}, {19, -5}, {24, 2}});

bool Alive(qint64 pid) {
    return kill(static_cast<pid_t>(pid), 0) == 0;
}

// The stand-in started in one mode; it logs each start's process id.
class FakeEngine : public testing::Test {
  protected:
    void SetUp() override {
        if (!QFileInfo(QStringLiteral("/usr/bin/python3")).isExecutable())
            GTEST_SKIP() << "the stand-in engine needs /usr/bin/python3";
        ASSERT_TRUE(dir_.isValid());
        qputenv("FAKE_GNUBG_LOG", QFile::encodeName(dir_.filePath("starts")));
    }
    engine::GnubgSettings Settings(const char* mode, int answerMs = 5000) {
        qputenv("FAKE_GNUBG_MODE", mode);
        return {VERTAN_FAKE_GNUBG, dir_.path(), 0, answerMs};
    }
    std::vector<qint64> Starts() const {
        QFile log(dir_.filePath("starts"));
        std::vector<qint64> pids;
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray& line : log.readAll().split('\n'))
                if (!line.isEmpty())
                    pids.push_back(line.toLongLong());
        QFile::remove(log.fileName());
        return pids;
    }
    const std::string line_ = engine::FibsBoardText(Start, proc::White, proc::MakeDice(3, 1));
    QTemporaryDir dir_;
};

// A play, and an "Error" that is no play, both keep the process.
TEST_F(FakeEngine, AnswersAndKeepsItsProcess) {
    for (const auto& [mode, ok, line] : {std::tuple{"play", true, "8/5 6/5 "},
                                         std::tuple{"error", false, "Error: badly formed board"}}) {
        SCOPED_TRACE(mode);
        std::optional<engine::GnubgEngine> engine(std::in_place, Settings(mode));
        for (int i = 0; i < 2; ++i) {
            const engine::EngineAnswer answer = engine->Ask(line_);
            EXPECT_EQ(answer.ok, ok) << answer.error.toStdString();
            EXPECT_EQ(answer.line, line);
        }
        const QString folder = engine->SocketFolder();
        EXPECT_TRUE(folder.startsWith(dir_.path() + "/"));
        const std::vector<qint64> pids = Starts();
        ASSERT_EQ(pids.size(), 1u);
        EXPECT_TRUE(Alive(pids[0]));
        // Its end ends the process and removes the folder.
        engine.reset();
        EXPECT_FALSE(Alive(pids[0]));
        EXPECT_FALSE(QFileInfo::exists(folder));
    }
}

TEST_F(FakeEngine, EachFailureEndsTheProcessAndTheNextQuestionStartsAnother) {
    // Those that wait have a bound of their own; those that need not wait
    // one long enough to show they did not.
    const struct {
        const char* mode;
        const char* reason;
        int bound;
        bool waits;
    } cases[] = {
        {"die", "closed", 5000, false},
        {"garbage", "not a play", 5000, false},
        {"mute", "no answer", 1000, true},
        {"no-socket", "did not listen", 300, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        engine::GnubgEngine engine(Settings(c.mode, c.bound));
        for (int i = 0; i < 2; ++i) {
            QElapsedTimer clock;
            clock.start();
            const engine::EngineAnswer answer = engine.Ask(line_);
            const qint64 took = clock.elapsed();
            EXPECT_FALSE(answer.ok);
            EXPECT_THAT(answer.error.toStdString(), HasSubstr(c.reason));
            // One bound for each of the start, the connection and the answer.
            EXPECT_LT(took, c.waits ? 3 * c.bound : c.bound);
            if (c.waits) {
                EXPECT_GE(took, c.bound);
            }
        }
        const std::vector<qint64> pids = Starts();
        ASSERT_EQ(pids.size(), 2u);
        // Killed and reaped: a zombie would still take a signal.
        EXPECT_FALSE(Alive(pids[0]));
        EXPECT_FALSE(Alive(pids[1]));
    }
}

TEST_F(FakeEngine, AnEngineThatStoppedReadingIsAFailureNotASignal) {
    engine::GnubgEngine engine(Settings("deaf"));
    ASSERT_TRUE(engine.Ask(line_).ok);
    // Whatever the toolkit did with the signal, the default ends a process.
    struct sigaction old {};
    struct sigaction fatal {};
    fatal.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &fatal, &old);
    const engine::EngineAnswer answer = engine.Ask(line_);
    sigaction(SIGPIPE, &old, nullptr);
    EXPECT_FALSE(answer.ok);
    EXPECT_THAT(answer.error.toStdString(), HasSubstr("closed"));
    EXPECT_EQ(Starts().size(), 1u);
}

TEST(Gnubg, AMissingProgramOrAnOverlongLineIsRefused) {
    engine::GnubgEngine missing({"/nonexistent/gnubg", {}, 0, 300});
    const engine::EngineAnswer none = missing.Ask("board:You:Opp");
    EXPECT_FALSE(none.ok);
    EXPECT_FALSE(none.error.isEmpty());
    engine::GnubgEngine any({"/nonexistent/gnubg", {}, 0, 300});
    for (const std::string& line : {std::string(255, '1'), std::string("board:\nYou")}) {
        const engine::EngineAnswer refused = any.Ask(line);
        EXPECT_FALSE(refused.ok);
        EXPECT_THAT(refused.error.toStdString(), HasSubstr("254 bytes"));
    }
}

TEST_F(FakeEngine, TheSocketsFolderIsPrivate) {
    // The user's folder may well be open to all.
    ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadOther |
                                                       QFile::ExeOther));
    engine::GnubgEngine engine(Settings("play"));
    ASSERT_TRUE(engine.Ask(line_).ok);
    const QByteArray folder = QFile::encodeName(engine.SocketFolder());
    struct stat info {};
    ASSERT_EQ(stat(folder.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());

    if (geteuid() != 0)
        GTEST_SKIP() << "another account needs root";
    const QStringList inside =
        QDir(engine.SocketFolder()).entryList(QDir::System | QDir::NoDotAndDotDot);
    ASSERT_EQ(inside.size(), 1);
    const QByteArray path = folder + "/" + QFile::encodeName(inside[0]);
    // The stand-in's socket is open to all: only the folder keeps nobody out.
    testsupport::OtherAccount child(testsupport::Nobody, [&path](int toTest) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        const int s = socket(AF_UNIX, SOCK_STREAM, 0);
        const int result =
            connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0
                                                                                         : errno;
        return write(toTest, &result, sizeof result) == sizeof result ? 0 : 1;
    });
    int result = -1;
    ASSERT_TRUE(child.Read(result));
    EXPECT_EQ(result, EACCES);
    EXPECT_EQ(child.Finish(), 0);
}

TEST_F(FakeEngine, AFolderTheSocketCannotUseGivesWayToTheTempFolder) {
    const QString longName = dir_.filePath(QString(100, 'f'));
    const QString blank = dir_.filePath("a b");
    ASSERT_TRUE(QDir().mkpath(longName));
    ASSERT_TRUE(QDir().mkpath(blank));
    const struct {
        QString given;
        QString expected;
    } cases[] = {
        {dir_.path(), dir_.path()},    {longName, QDir::tempPath()},
        {blank, QDir::tempPath()},     {dir_.filePath("missing"), QDir::tempPath()},
        {QString(), QDir::tempPath()},
    };
    for (const auto& c : cases) {
        engine::GnubgSettings settings = Settings("play");
        settings.socketFolder = c.given;
        engine::GnubgEngine engine(settings);
        EXPECT_TRUE(engine.Ask(line_).ok) << c.given.toStdString();
        EXPECT_EQ(QFileInfo(engine.SocketFolder()).dir().path(), QDir::cleanPath(c.expected))
            << c.given.toStdString();
    }
}

} // namespace
