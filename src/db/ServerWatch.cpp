#include "db/ServerWatch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QSqlDriver>
#include <QVariant>
#include <atomic>
#include <condition_variable>
#include <dlfcn.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <vector>

namespace db {

namespace {

using Clock = std::chrono::steady_clock;

// libpq is loaded with Qt's PostgreSQL driver; the program does not link it,
// so a machine without the driver needs no libpq either.
struct LibPq {
    using SocketFn = int (*)(const void*);
    using StatusFn = int (*)(const void*);
    SocketFn socket = nullptr;
    StatusFn status = nullptr;

    // Looked up once libpq is there: asked before the driver was loaded, it
    // is looked up again the next time.
    static LibPq Loaded() {
        static std::atomic<bool> found{false};
        static LibPq pq;
        static std::mutex lookup;
        if (found)
            return pq;
        const std::lock_guard lock(lookup);
        if (void* library = dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD)) {
            pq.socket = reinterpret_cast<SocketFn>(dlsym(library, "PQsocket"));
            pq.status = reinterpret_cast<StatusFn>(dlsym(library, "PQstatus"));
            found = pq.socket != nullptr && pq.status != nullptr;
        }
        return pq;
    }
};

const void* Connection(const QSqlDriver* driver) {
    if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL)
        return nullptr;
    const QVariant handle = driver->handle();
    // PGconn* (named after its struct, pg_conn*).
    if (!handle.isValid() || !(handle.metaType().flags() & QMetaType::IsPointer) ||
        !QByteArray(handle.typeName()).contains("conn"))
        return nullptr;
    return *static_cast<void* const*>(handle.constData());
}

int Socket(const void* connection) {
    if (!connection)
        return -1;
    const LibPq pq = LibPq::Loaded();
    return pq.socket ? pq.socket(connection) : -1;
}

// The watch thread reads the driver's libpq handle and its socket while
// another thread may open or close that connection: the hand-over is this
// lock. A connection is watched only once it is open (WatchServerConnection
// after the open) and unwatched before it is closed, each under the lock,
// and the watch thread reads the handle and shuts the socket down under it:
// so it never meets a handle being made or finished, nor a socket number
// that was closed and given to another file.
std::mutex handover;
std::atomic<const QSqlDriver*> watched{nullptr};
std::atomic<bool> silent{false};
std::atomic<long long> boundMs{10000};
thread_local int depth = 0;
// When the outermost wait of the current step runs out; a connection opened
// within the step is watched up to the same moment (one bound for the step).
std::atomic<Clock::rep> stepDeadline{0};
// A cut-off's reset that came while a step still ran: it waits for the step's end.
std::atomic<bool> resetOwed{false};
// The event loop level of each ResponsiveStep living on the main thread (a
// call from a deeper loop, a paint under a message box, is not the step's
// own), and whether the user may cancel its waits.
struct Responsive {
    int level;
    bool cancellable;
};
std::vector<Responsive> responsiveSteps;
std::atomic<bool> running{false};
// A file's calls stay on the main thread; a server's may wait, connecting too.
std::atomic<bool> serverInUse{false};
std::function<void(bool)> waitIndicator;
WaitNote* waitNote = nullptr;
constexpr std::chrono::milliseconds NoteAfter{1000};

bool OnMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Runs on the main thread from its event loop: a nested one (a call away
// from the windows) must not end the step's silence before the step has seen it.
void ResetWhenIdle() {
    if (depth > 0)
        resetOwed = true;
    else
        NewServerStep();
}

class Watch {
  public:
    static Watch& Instance() {
        static Watch watch;
        return watch;
    }
    void Arm(Clock::time_point deadline) {
        const std::lock_guard lock(mutex_);
        armed_ = true;
        deadline_ = deadline;
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
        // A later deadline needs no wake-up: the thread, waking at the
        // earlier one, waits on. A wait per row read stays cheap so.
        if (deadline < wakeAt_)
            wake_.notify_one();
    }
    void Disarm() {
        const std::lock_guard lock(mutex_);
        armed_ = false;
    }
    /*! Ends the wait now, as the bound would. */
    void CutNow() {
        const std::lock_guard lock(mutex_);
        if (!armed_)
            return;
        deadline_ = Clock::now();
        wake_.notify_one();
    }
    ~Watch() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
            wake_.notify_one();
        }
        if (thread_.joinable())
            thread_.join();
    }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            if (!armed_) {
                wakeAt_ = Clock::time_point::max();
                wake_.wait(lock);
                continue;
            }
            wakeAt_ = deadline_;
            if (wake_.wait_until(lock, wakeAt_) != std::cv_status::timeout || !armed_ ||
                Clock::now() < deadline_)
                continue;
            // The socket is only shut down here, never closed: libpq on the
            // waiting thread still owns it and meets the end of the stream.
            {
                const std::lock_guard owner(handover);
                const int fd = Socket(Connection(watched.load()));
                if (fd < 0) {
                    // No connection open: libpq's connect_timeout bounds a connect.
                    armed_ = false;
                    continue;
                }
                // Silent first: the waiting thread reads it as soon as it wakes.
                silent = true;
                ::shutdown(fd, SHUT_RDWR);
            }
            armed_ = false;
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, &ResetWhenIdle, Qt::QueuedConnection);
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    bool armed_ = false;
    bool stop_ = false;
    Clock::time_point deadline_;
    Clock::time_point wakeAt_ = Clock::time_point::min(); // when the thread wakes next
};

} // namespace

ServerTimeout::ServerTimeout() : ConnectionError(ServerSilentText.toStdString()) {}

std::chrono::milliseconds ServerWaitBound() {
    return std::chrono::milliseconds(boundMs.load());
}

void SetServerWaitBound(std::chrono::milliseconds bound) {
    boundMs = bound.count();
}

void UseServer() {
    serverInUse = true;
}

void WatchServerConnection(const QSqlDriver* driver) {
    {
        const std::lock_guard owner(handover);
        watched = driver;
    }
    // Opened within a step: the step's bound goes on from its start.
    if (depth > 0 && driver)
        Watch::Instance().Arm(Clock::time_point(Clock::duration(stepDeadline.load())));
}

void UnwatchServerConnection(const QSqlDriver* driver) {
    const std::lock_guard owner(handover);
    watched.compare_exchange_strong(driver, nullptr);
}

ServerWait::ServerWait() {
    if (depth++ != 0)
        return;
    const Clock::time_point deadline = Clock::now() + ServerWaitBound();
    stepDeadline = deadline.time_since_epoch().count();
    if (watched.load())
        Watch::Instance().Arm(deadline);
}

ServerWait::~ServerWait() {
    if (--depth != 0)
        return;
    Watch::Instance().Disarm();
    if (resetOwed.exchange(false))
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &ResetWhenIdle, Qt::QueuedConnection);
}

ResponsiveStep::ResponsiveStep(bool cancellable) {
    if (OnMainThread())
        responsiveSteps.push_back({QThread::currentThread()->loopLevel(), cancellable});
}

ResponsiveStep::~ResponsiveStep() {
    if (OnMainThread())
        responsiveSteps.pop_back();
}

void AwayFromTheWindows(const std::function<void()>& call) {
    if (!OnMainThread() || !serverInUse) {
        call();
        return;
    }
    if (running)
        throw DbError("another step is still waiting for the database server", true);
    if (responsiveSteps.empty() ||
        responsiveSteps.back().level != QThread::currentThread()->loopLevel()) {
        call();
        return;
    }
    const bool cancellable = responsiveSteps.back().cancellable;
    // The step's bound, and its silence, carry over to the call's thread.
    // The connection is used by one thread at a time: this one waits in the
    // loops below (a call that would share the connection meanwhile fails on
    // `running`), and the worker's start and join order every access of the
    // two threads. libpq and Qt's driver allow a connection on any thread
    // used so, one at a time; looking connections up by name would not.
    const ServerWait wait;
    const int outer = depth;
    std::exception_ptr failure;
    // The user's input waits until the call is done; after a while a note
    // says why, and only the note (modal) takes input: its "Отмена" ends the
    // wait as the bound would.
    QEventLoop quiet, noted;
    std::atomic<QEventLoop*> current{&quiet};
    std::atomic<bool> done{false};
    running = true;
    if (waitIndicator)
        waitIndicator(true);
    std::thread worker([&] {
        depth = outer;
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(current.load(), &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer noteDue;
    noteDue.setSingleShot(true);
    QObject::connect(&noteDue, &QTimer::timeout, &quiet, [&] { quiet.exit(1); });
    if (waitNote)
        noteDue.start(NoteAfter);
    if (quiet.exec(QEventLoop::ExcludeUserInputEvents) == 1 && !done) {
        current = &noted;
        // The worker may have ended between the two loops: its quit went to the first.
        if (!done) {
            waitNote->Show(cancellable ? std::function<void()>([] { Watch::Instance().CutNow(); })
                                       : std::function<void()>());
            noted.exec();
            waitNote->Hide();
        }
    }
    worker.join();
    running = false;
    if (waitIndicator)
        waitIndicator(false);
    if (failure)
        std::rethrow_exception(failure);
}

bool ServerCallRunning() {
    return running;
}

void SetWaitIndicator(std::function<void(bool)> indicator) {
    waitIndicator = std::move(indicator);
}

void SetWaitNote(WaitNote* note) {
    waitNote = note;
}

bool ServerWasSilent() {
    return silent;
}

void NewServerStep() {
    silent = false;
}

void ThrowIfServerSilent() {
    if (silent)
        throw ServerTimeout();
}

bool ServerConnectionDead(const QSqlDriver* driver) {
    const void* connection = Connection(driver);
    if (!connection)
        return false;
    const LibPq pq = LibPq::Loaded();
    if (!pq.status)
        return false;
    constexpr int ConnectionOk = 0;
    if (pq.status(connection) != ConnectionOk)
        return true;
    // Between statements nothing is owed to this side: anything readable is
    // the server ending the session, or the end of the stream.
    pollfd socket{Socket(connection), POLLIN, 0};
    return socket.fd < 0 || ::poll(&socket, 1, 0) != 0;
}

} // namespace db
