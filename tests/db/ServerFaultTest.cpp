// A club's server that stops answering (SIGSTOP), dies (SIGKILL) or restarts
// in the middle of a recording, a registration or the opening of the
// ratings, on a server of the test's own. Each step ends within the bound
// with "Сервер базы данных не отвечает", writes nothing, and the next step
// works once the server is back.
#include "PgTestServer.h"
#include "RatingsFolder.h"
#include "db/ResultRecording.h"
#include "db/ServerWatch.h"
#include "db/Unit6.h"
#include "report/Report.h"
#include "shell/AppOptions.h"
#include "shell/DbMenuActions.h"
#include "shell/MessageBoxes.h"
#include "shell/ServerWaitNote.h"
#include "shell/Unit5.h"
#include "shell/Unit7.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QUuid>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <future>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Short, so the suite stays quick; the product's own bound is 10 s
// (VERTAN_TEST_SERVER_WAIT_MS=10000 measures with it, by hand).
std::chrono::milliseconds Bound() {
    const int ms = qEnvironmentVariableIntValue("VERTAN_TEST_SERVER_WAIT_MS");
    return std::chrono::milliseconds(ms > 0 ? ms : 1500);
}
constexpr qint64 ProductBoundMs = 10000;

struct ServerFaultTest : ::testing::Test {
    static inline std::unique_ptr<pgtest::PrivateServer> server;
    std::unique_ptr<RatingsFolder> folder;
    std::unique_ptr<db::TDModule> dm;
    QStringList errors;

    static void SetUpTestSuite() { server = std::make_unique<pgtest::PrivateServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        shell::SetMessageBoxHook([this](shell::BoxKind kind, const QString&, const QString& text) {
            // Errors, and the notices that tell a step the server did not take.
            if (kind == shell::BoxKind::Error || text == db::QueuedText ||
                text.startsWith("Нет связи с базой данных игроков: "))
                errors << text;
            return true;
        });
        db::SetServerWaitBound(Bound());
        folder = std::make_unique<RatingsFolder>(server->NewDatabase());
        folder->AddPlayer(2, "Анна", 5);
        errors.clear();
        shell::DialogBackground = folder->Path() + "/Dialog.bmp";
        QImage(8, 8, QImage::Format_RGB32).save(shell::DialogBackground, "BMP");
        // Lock waits are bounded by the step's bound here, not by the busy timeout.
        dm = std::make_unique<db::TDModule>(folder->Path(), 60000);
        dm->DataModuleCreate();
        db::DModule = dm.get();
        shell::ProgramFolder = folder->Path();
    }
    void TearDown() override {
        shell::ProgramFolder.clear();
        dm.reset();
        folder.reset();
        db::NewServerStep();
        db::SetServerWaitBound(10s);
        shell::DialogBackground.clear();
        shell::SetMessageBoxHook(nullptr);
    }
    QString State() {
        return folder->Rows("SELECT P_NAME, P_POINTS FROM PLAYERS ORDER BY P_CODE") + "/" +
               folder->Rows("SELECT G_CODE, G_WINPLAYER FROM GAMES ORDER BY G_CODE");
    }
};

// Sends sig to the server as soon as one of its sessions waits for a lock;
// the future tells whether it came to that.
std::future<bool> FaultOnLockWait(const QString& server, int sig) {
    return std::async(std::launch::async, [server, sig] {
        const QString name = QUuid::createUuid().toString();
        bool waiting = false;
        {
            QSqlDatabase watcher = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            watcher.setConnectOptions(server);
            QElapsedTimer looked;
            for (looked.start(); !waiting && watcher.open() && looked.elapsed() < 30000;) {
                QSqlQuery locks(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted"), watcher);
                waiting = locks.next() && locks.value(0).toInt() > 0;
            }
        }
        QSqlDatabase::removeDatabase(name);
        if (waiting)
            ServerFaultTest::server->Signal(sig);
        return waiting;
    });
}

// A step that the bound did not end (a cut-off that half-closed the socket,
// a wait that is not watched) fails here, clearly and soon, instead of at the
// test runner's time-out: after limit the server goes on and every other
// session on it is ended, which lets the step return.
class Watchdog {
  public:
    Watchdog(const QString& server, std::chrono::milliseconds limit)
        : thread_([this, server, limit] {
              std::unique_lock lock(mutex_);
              if (done_.wait_for(lock, limit, [this] { return finished_; }))
                  return;
              ADD_FAILURE() << "the step was not cut off within " << limit.count() << " ms";
              ServerFaultTest::server->Signal(SIGCONT);
              const QString name = QUuid::createUuid().toString();
              {
                  QSqlDatabase ender = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
                  ender.setConnectOptions(server);
                  if (ender.open())
                      QSqlQuery(QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                                               "pg_stat_activity WHERE pid <> pg_backend_pid() "
                                               "AND backend_type = 'client backend'"),
                                ender);
              }
              QSqlDatabase::removeDatabase(name);
          }) {}
    ~Watchdog() {
        {
            const std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// Counts its paints, and the longest time between two of them; a timer asks
// for one at every turn of the event loop.
struct PaintedWindow : QWidget {
    int paints = 0;
    qint64 longestGapMs = 0;
    QElapsedTimer sinceLast;
    QTimer ask;
    PaintedWindow() {
        resize(40, 40);
        show();
        connect(&ask, &QTimer::timeout, this, qOverload<>(&QWidget::update));
        ask.start(0);
    }
    void Restart() {
        paints = 0;
        longestGapMs = 0;
        sinceLast.start();
    }
    void paintEvent(QPaintEvent*) override {
        ++paints;
        if (sinceLast.isValid())
            longestGapMs = std::max(longestGapMs, sinceLast.restart());
    }
};

// A step; fault() comes just before the step's own work on the server.
using Fault = std::function<void()>;
struct StepCase {
    const char* what;
    std::function<void(ServerFaultTest&, const Fault&)> run;
    const char* failure; // how the box that tells it begins
    bool silent;         // the box says the server did not answer
    const char* after;   // State() once the step worked
    bool window;         // the step shows a window when it works
};

void Record(ServerFaultTest&, const Fault& fault) {
    fault();
    shell::RecordGameResult(-1, "Анна", "Компьютер", true, false);
}

void Register(ServerFaultTest& t, const Fault& fault) {
    TForm5 form(*t.dm);
    form.OpenRegistration();
    form.Edit1->setText("Глеб");
    fault();
    form.Button2->click();
}

void OpenRatings(ServerFaultTest& t, const Fault& fault) {
    TForm7 form(*t.dm);
    Form7 = &form;
    fault();
    shell::OpenRatings();
    if (form.isVisible() && t.dm->IBPlayers.Active())
        t.errors << "shown";
    Form7 = nullptr;
}

const StepCase Steps[] = {
    // The result is kept, and goes in first at the next recording.
    {"recording", Record, "Нет связи с базой данных игроков. Результат игры сохранён", false,
     "Computer|0;Анна|6/1|2", false},
    {"registration", Register, "Игрок не зарегистрирован!\n", true, "Computer|0;Анна|5;Глеб|0/",
     false},
    {"opening the ratings", OpenRatings, "", true, "Computer|0;Анна|5/", true},
};

} // namespace

TEST_F(ServerFaultTest, StoppedOrKilledInTheMiddleOfAStep) {
    for (const int fault : {SIGSTOP, SIGKILL}) {
        for (const StepCase& step : Steps) {
            SCOPED_TRACE(std::string(step.what) + (fault == SIGSTOP ? ", stopped" : ", killed"));
            TearDown();
            SetUp();
            const QString before = State();
            std::future<bool> inject;
            QElapsedTimer took;
            PaintedWindow window;
            const Watchdog watchdog(folder->Server(), 4 * Bound() + 5s);
            step.run(*this, [&] {
                window.Restart();
                // Another session holds the players, so the step waits on the server.
                folder->Exec("BEGIN");
                folder->Exec("LOCK TABLE PLAYERS IN ACCESS EXCLUSIVE MODE");
                inject = FaultOnLockWait(folder->Server(), fault);
                took.start();
            });
            const qint64 ms = took.elapsed();
            EXPECT_TRUE(inject.valid() && inject.get()) << "the step never waited on the server";
            if (fault == SIGSTOP) {
                EXPECT_GT(window.paints, 0) << "the window froze while the step waited";
                // Measured while the server stays stopped: the window answers throughout.
                std::printf("%s, stopped: the window went %lld ms at most without painting\n",
                            step.what, static_cast<long long>(window.longestGapMs));
                EXPECT_LT(window.longestGapMs, Bound().count() / 2);
            }
            EXPECT_LT(ms, std::max<qint64>(ProductBoundMs, 2 * Bound().count()));
            std::printf("%s, %s: ended after %lld ms (bound %lld ms)\n", step.what,
                        fault == SIGSTOP ? "stopped" : "killed", static_cast<long long>(ms),
                        static_cast<long long>(Bound().count()));
            EXPECT_EQ(errors.size(), 1) << errors.join("|").toStdString();
            EXPECT_TRUE(errors.value(0).startsWith(step.failure)) << errors.value(0).toStdString();
            EXPECT_EQ(errors.value(0).contains(db::ServerSilentText), step.silent)
                << errors.value(0).toStdString();

            if (fault == SIGSTOP) {
                server->Signal(SIGCONT);
                folder->Exec("ROLLBACK");
            } else {
                server->Restart();
                folder->Connection().close(); // its session died with the server
            }
            EXPECT_EQ(State(), before) << "nothing half-written";
            // The program's event loop runs between steps.
            QCoreApplication::processEvents();
            errors.clear();
            step.run(*this, [] {});
            EXPECT_EQ(errors, step.window ? QStringList{"shown"} : QStringList{});
            // The kept result went in before the new one.
            EXPECT_EQ(State(), &step == &Steps[0] ? QString("Computer|0;Анна|7/1|2;2|2")
                                                        : QString(step.after));
        }
    }
}

TEST_F(ServerFaultTest, AStepAfterARestartWorksAtTheFirstAttempt) {
    for (const StepCase& step : Steps) {
        SCOPED_TRACE(step.what);
        TearDown();
        SetUp();
        QElapsedTimer took;
        step.run(*this, [&] {
            // No query stays open, so nothing of the driver's meets the loss first.
            dm->IBPlayers.Close();
            dm->IBGames.Close();
            server->Restart();
            folder->Connection().close(); // the restart ended its session too
            took.start();
        });
        std::printf("%s after a restart: %lld ms\n", step.what, static_cast<long long>(took.elapsed()));
        EXPECT_EQ(errors, step.window ? QStringList{"shown"} : QStringList{});
        EXPECT_EQ(State(), step.after);
    }
}

TEST_F(ServerFaultTest, ResultsKeptWhileTheServerIsDownGoInOnceAndInTheirOrder) {
    folder->AddPlayer(3, "Борис", 61);
    server->Signal(SIGKILL);
    // Each game changes what the next is worth: another order gives other points.
    shell::RecordGameResult(-4, "Борис", "Анна", true, true);      // Борис +round(5/3) = 63
    shell::RecordGameResult(2, "Борис", "Анна", true, true);       // Анна +63/3 = 26
    shell::RecordGameResult(-1, "Анна", "Компьютер", true, false); // Анна +1 = 27
    EXPECT_EQ(errors, QStringList(3, db::QueuedText));
    EXPECT_EQ(QDir(folder->Path() + "/Data/Outbox").entryList(QDir::Files).size(), 3);
    server->Restart();
    folder->Connection().close();
    errors.clear();
    // The next recording writes them out first, then its own game.
    shell::RecordGameResult(3, "Компьютер", "Борис", false, true);
    EXPECT_EQ(errors, QStringList{});
    EXPECT_EQ(State(), "Computer|0;Анна|27;Борис|64/1|3;2|2;3|2;4|3");
    EXPECT_TRUE(QDir(folder->Path() + "/Data/Outbox").entryList(QDir::Files).isEmpty());
}

// The club's page on a server that a launcher holds locked, that stops
// answering while the page waits on it, or that is stopped before the page
// connects: it gives up within the launcher's bounds and says why.
TEST_F(ServerFaultTest, TheClubsPageWaitsNoLongerThanTheLauncher) {
    enum class Stop { Never, Waiting, Before };
    const struct {
        const char* what;
        Stop stop;
        qint64 limitMs;
        const char* says;
    } cases[] = {
        {"locked", Stop::Never, 2 * db::DefaultBusyTimeoutMs, "lock timeout"},
        {"stopped while waiting", Stop::Waiting, 2 * Bound().count(), "Сервер базы данных не отвечает"},
        {"stopped before", Stop::Before, 2 * std::max<qint64>(2000, Bound().count()),
         "Сервер базы данных не отвечает"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A lock is waited for 5 s, within the product's bound of 10 s.
        db::SetServerWaitBound(c.stop == Stop::Never ? 4 * std::chrono::milliseconds(
                                                               db::DefaultBusyTimeoutMs)
                                                     : Bound());
        folder->Exec("BEGIN");
        folder->Exec("LOCK TABLE PLAYERS IN ACCESS EXCLUSIVE MODE");
        std::future<bool> inject;
        if (c.stop == Stop::Waiting)
            inject = FaultOnLockWait(folder->Server(), SIGSTOP);
        if (c.stop == Stop::Before)
            server->Signal(SIGSTOP);
        const QTemporaryDir out;
        QElapsedTimer took;
        took.start();
        report::ReportResult result;
        {
            const Watchdog watchdog(folder->Server(), 4 * Bound() + 15s);
            result = report::MakeReport({db::Dialect::PostgreSQL, folder->Server()},
                                        out.path() + "/site");
        }
        const qint64 ms = took.elapsed();
        if (c.stop == Stop::Waiting) {
            EXPECT_TRUE(inject.get()) << "the page never waited on the server";
        }
        if (c.stop != Stop::Never)
            server->Signal(SIGCONT);
        folder->Exec("ROLLBACK");
        std::printf("the club's page, %s: gave up after %lld ms\n", c.what, static_cast<long long>(ms));
        EXPECT_EQ(result.code, 1);
        EXPECT_TRUE(result.message.contains(c.says)) << result.message.toStdString();
        EXPECT_LT(ms, c.limitMs);
        EXPECT_FALSE(QFileInfo::exists(out.path() + "/site"));
        db::NewServerStep();
    }
}

// A wait of over a second shows a note; its "Отмена" ends a step that may be
// given up at once, and a recording's note has none.
TEST_F(ServerFaultTest, AWaitOfOverASecondShowsANoteWhoseCancelEndsTheStep) {
    shell::ServerWaitNote note;
    const struct {
        const char* what;
        void (*run)(ServerFaultTest&, const Fault&);
        bool cancellable;
        std::chrono::milliseconds bound;
        const char* says;
    } cases[] = {
        {"opening the ratings", OpenRatings, true, 120s, "Сервер базы данных не отвечает"},
        {"recording", Record, false, Bound() + 1500ms, "Нет связи с базой данных игроков. Результат"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        db::SetWaitNote(&note);
        db::SetServerWaitBound(c.bound);
        const QString before = State();
        bool noted = false, cancelOffered = false;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                const QLabel* label = window->findChild<QLabel*>();
                if (!window->isVisible() || !label || label->text() != shell::ServerWaitText)
                    continue;
                noted = true;
                for (QPushButton* button : window->findChildren<QPushButton*>())
                    if (button->text() == "Отмена" && button->isEnabled()) {
                        cancelOffered = true;
                        button->click();
                    }
            }
        });
        look.start(5);
        std::future<bool> inject;
        QElapsedTimer took;
        {
            const Watchdog watchdog(folder->Server(), c.bound + 10s);
            c.run(*this, [&] {
                folder->Exec("BEGIN");
                folder->Exec("LOCK TABLE PLAYERS IN ACCESS EXCLUSIVE MODE");
                inject = FaultOnLockWait(folder->Server(), SIGSTOP);
                took.start();
            });
        }
        const qint64 ms = took.elapsed();
        look.stop();
        EXPECT_TRUE(inject.valid() && inject.get()) << "the step never waited on the server";
        server->Signal(SIGCONT);
        folder->Exec("ROLLBACK");
        EXPECT_TRUE(noted) << "no note while the step waited";
        EXPECT_EQ(cancelOffered, c.cancellable);
        if (c.cancellable) {
            EXPECT_LT(ms, 20000) << "the cancel did not end the wait";
        }
        ASSERT_EQ(errors.size(), 1) << errors.join("|").toStdString();
        EXPECT_TRUE(errors[0].contains(c.says)) << errors[0].toStdString();
        EXPECT_EQ(State(), before) << "nothing half-written";
        db::SetWaitNote(nullptr);
    }
}
