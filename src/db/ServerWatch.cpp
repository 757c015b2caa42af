#include "db/ServerWatch.h"

#include <QCoreApplication>
#include <QSqlDriver>
#include <QVariant>
#include <atomic>
#include <condition_variable>
#include <dlfcn.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

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

    static const LibPq& Loaded() {
        static const LibPq pq = [] {
            LibPq found;
            if (void* library = dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD)) {
                found.socket = reinterpret_cast<SocketFn>(dlsym(library, "PQsocket"));
                found.status = reinterpret_cast<StatusFn>(dlsym(library, "PQstatus"));
            }
            return found;
        }();
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
    const LibPq& pq = LibPq::Loaded();
    return connection && pq.socket ? pq.socket(connection) : -1;
}

std::atomic<const QSqlDriver*> watched{nullptr};
std::atomic<bool> silent{false};
std::atomic<long long> boundMs{10000};
thread_local int depth = 0;

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
                QMetaObject::invokeMethod(app, &NewServerStep, Qt::QueuedConnection);
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
    if (--depth == 0)
        Watch::Instance().Disarm();
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
    const LibPq& pq = LibPq::Loaded();
    if (!connection || !pq.status)
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
