#include "db/ServerWatch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
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

std::atomic<const QSqlDriver*> watched{nullptr};
std::atomic<bool> silent{false};
std::atomic<long long> boundMs{10000};
thread_local int depth = 0;
// A cut-off's reset that came while a step still ran: it waits for the step's end.
std::atomic<bool> resetOwed{false};
// The event loop level of each ResponsiveStep living on the main thread: a
// call from a deeper loop (a paint under a message box) is not the step's own.
std::vector<int> responsiveLevels;
std::atomic<bool> running{false};
std::function<void(bool)> waitIndicator;

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
        wake_.notify_one();
    }
    void Disarm() {
        const std::lock_guard lock(mutex_);
        armed_ = false;
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
                wake_.wait(lock);
                continue;
            }
            if (wake_.wait_until(lock, deadline_) != std::cv_status::timeout || !armed_ ||
                Clock::now() < deadline_)
                continue;
            // The socket is only shut down here, never closed: libpq on the
            // waiting thread still owns it and meets the end of the stream.
            const int fd = Socket(Connection(watched.load()));
            if (fd < 0) {
                // Still connecting: libpq's connect_timeout bounds that part.
                deadline_ = Clock::now() + std::chrono::milliseconds(100);
                continue;
            }
            // Silent first: the waiting thread reads it as soon as it wakes.
            silent = true;
            ::shutdown(fd, SHUT_RDWR);
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
};

} // namespace

ServerTimeout::ServerTimeout() : ConnectionError(ServerSilentText.toStdString()) {}

std::chrono::milliseconds ServerWaitBound() {
    return std::chrono::milliseconds(boundMs.load());
}

void SetServerWaitBound(std::chrono::milliseconds bound) {
    boundMs = bound.count();
}

void WatchServerConnection(const QSqlDriver* driver) {
    watched = driver;
}

void UnwatchServerConnection(const QSqlDriver* driver) {
    watched.compare_exchange_strong(driver, nullptr);
}

ServerWait::ServerWait() {
    if (depth++ == 0 && watched.load())
        Watch::Instance().Arm(Clock::now() + ServerWaitBound());
}

ServerWait::~ServerWait() {
    if (--depth != 0)
        return;
    Watch::Instance().Disarm();
    if (resetOwed.exchange(false))
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &ResetWhenIdle, Qt::QueuedConnection);
}

ResponsiveStep::ResponsiveStep() {
    if (OnMainThread())
        responsiveLevels.push_back(QThread::currentThread()->loopLevel());
}

ResponsiveStep::~ResponsiveStep() {
    if (OnMainThread())
        responsiveLevels.pop_back();
}

void AwayFromTheWindows(const std::function<void()>& call) {
    if (!OnMainThread() || watched.load() == nullptr) {
        call();
        return;
    }
    if (running)
        throw DbError("another step is still waiting for the database server", true);
    if (responsiveLevels.empty() ||
        responsiveLevels.back() != QThread::currentThread()->loopLevel()) {
        call();
        return;
    }
    // The step's bound, and its silence, carry over to the call's thread.
    const ServerWait wait;
    const int outer = depth;
    std::exception_ptr failure;
    QEventLoop loop;
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
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
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
