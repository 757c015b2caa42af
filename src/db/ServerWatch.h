// Bounding the waits on a database server. libpq waits for a reply without
// any limit of its own, so a server that hangs (stopped, swapped out, a
// network that drops every packet) would hold the program for the system's
// TCP time-out. A watch thread cuts such a wait off at the bound by shutting
// the connection's socket down; libpq then fails the statement at once.
#pragma once

#include "db/DbError.h"

#include <QString>
#include <chrono>
#include <functional>

class QSqlDriver;

namespace db {

/*! What a step that ran out of time tells the user. */
inline const QString ServerSilentText = QStringLiteral("Сервер базы данных не отвечает");

/*! A database step that ran out of time: the server did not answer within
    the bound. what() is ServerSilentText. */
class ServerTimeout : public ConnectionError {
  public:
    ServerTimeout();
};

/*! How long one step may wait for the server (10 s unless set). */
std::chrono::milliseconds ServerWaitBound();
void SetServerWaitBound(std::chrono::milliseconds bound);

/*! The program's database is on a server: from now on, calls that may
    wait on it (connecting too) run away from the windows. */
void UseServer();

/*! The server connection whose waits are watched (nullptr: none), given
    once it is open; within a step, watched up to the step's bound. */
void WatchServerConnection(const QSqlDriver* driver);
/*! Stops watching driver, if it is the one watched: before its connection
    is closed, so that the watch never touches a connection being finished. */
void UnwatchServerConnection(const QSqlDriver* driver);

/*! While one lives on the calling thread, a wait on the watched connection
    is cut off when the bound has passed since the outermost one began. */
class ServerWait {
  public:
    ServerWait();
    ~ServerWait();
    ServerWait(const ServerWait&) = delete;
    ServerWait& operator=(const ServerWait&) = delete;
};

/*! While one lives on the program's main thread, calls that wait on the
    watched server (AwayFromTheWindows) run on a thread of their own and the
    windows keep painting. Steps the user starts open one; a paint or a
    view's wish for more rows never does, nor does anything under an event
    loop started within the step (a message box). */
class ResponsiveStep {
  public:
    /*! cancellable: the user may end its waits (not a recording, whose
        commit must not be left in doubt). */
    explicit ResponsiveStep(bool cancellable = true);
    ~ResponsiveStep();
    ResponsiveStep(const ResponsiveStep&) = delete;
    ResponsiveStep& operator=(const ResponsiveStep&) = delete;
};

/*! Runs call, which may wait on the watched server. Within a ResponsiveStep
    on the main thread, at the step's own event loop level, it runs on another thread while the main thread goes
    on with every event but the user's input; call must not touch widgets
    nor look connections up by name. Anywhere else it just runs. Its
    exception is thrown here. A call made meanwhile by an event on the main
    thread would share the connection: it fails (a transient DbError). */
void AwayFromTheWindows(const std::function<void()>& call);

/*! True while a call runs away from the windows: views must not read rows. */
bool ServerCallRunning();

/*! What shows the user that the program waits (a busy cursor), switched
    on and off around each call away from the windows. */
void SetWaitIndicator(std::function<void(bool waiting)> indicator);

/*! A note for a call away from the windows that waits over a second:
    modal, the only window that takes input while it shows. */
class WaitNote {
  public:
    virtual ~WaitNote() = default;
    /*! cancel, where the step may be cancelled (empty otherwise), ends the
        wait at once as the bound would. */
    virtual void Show(const std::function<void()>& cancel) = 0;
    virtual void Hide() = 0;
};
/*! The note shown (nullptr: none). */
void SetWaitNote(WaitNote* note);

/*! True from a cut-off until the next step: the program's event loop
    running again, or NewServerStep. A step that met a silent server does not
    connect again (that would wait once more); the next one does. */
bool ServerWasSilent();
void NewServerStep();
/*! Throws ServerTimeout when ServerWasSilent. */
void ThrowIfServerSilent();

/*! True when an idle server connection can no longer be used: libpq knows it
    is broken, or the server has spoken or hung up although no statement was
    sent (a restarted server ends its sessions that way). False for any other
    driver. Never waits. */
bool ServerConnectionDead(const QSqlDriver* driver);

} // namespace db
