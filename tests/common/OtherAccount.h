// A part of a test played by another account of this computer: a forked
// child that becomes `nobody` (switching needs root, as in CI) and makes
// plain system calls only.
#pragma once

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

inline constexpr uid_t Nobody = 65534;

class OtherAccount {
  public:
    /*! The child takes account uid (unless it is ours), runs body with the
        write end of a pipe to the test and exits with body's result. */
    OtherAccount(uid_t uid, const std::function<int(int toTest)>& body) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return;
        if ((pid_ = fork()) == 0)
            _exit(uid == geteuid() ||
                          (setgroups(0, nullptr) == 0 && setgid(uid) == 0 && setuid(uid) == 0)
                      ? body(ends[1])
                      : 100);
        close(ends[1]);
        fromChild_ = ends[0];
    }
    ~OtherAccount() {
        if (pid_ > 0 && code_ < 0 && kill(pid_, SIGKILL) == 0)
            waitpid(pid_, nullptr, 0);
        close(fromChild_);
    }
    /*! What the child wrote first (a port). */
    template <typename T> bool Read(T& value) {
        return read(fromChild_, &value, sizeof value) == sizeof value;
    }
    /*! Turns the event loop until the child ends (its pipe closes); its exit code. */
    int Finish() {
        QEventLoop loop;
        QSocketNotifier closed(fromChild_, QSocketNotifier::Read);
        bool ended = false;
        QObject::connect(&closed, &QSocketNotifier::activated, &loop, [&] {
            char rest[64];
            if ((ended = read(fromChild_, rest, sizeof rest) <= 0))
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
        int status = 0;
        if (ended && waitpid(pid_, &status, 0) == pid_) // exiting: its pipe just closed
            code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return code_;
    }

  private:
    pid_t pid_ = -1;
    int fromChild_ = -1;
    int code_ = -1;
};

inline sockaddr_storage Loopback(int family, uint16_t port) {
    sockaddr_storage s{};
    s.ss_family = static_cast<sa_family_t>(family);
    reinterpret_cast<sockaddr_in&>(s).sin_port = htons(port); // where sin6_port is too
    if (family == AF_INET)
        reinterpret_cast<sockaddr_in&>(s).sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    else
        reinterpret_cast<sockaddr_in6&>(s).sin6_addr = in6addr_loopback;
    return s;
}

/*! A child's part: listens on loopback, writes its port to the test,
    accepts the first connection, writes a byte once it has, and holds it
    until the other side closes it. */
/*! A child's part: listens on loopback and writes its port to the test;
    the listening socket, or -1. */
inline int ListenOnLoopback(int family, int toTest) {
    const int server = socket(family, SOCK_STREAM, 0);
    sockaddr_storage at = Loopback(family, 0);
    socklen_t size = sizeof at;
    if (bind(server, reinterpret_cast<sockaddr*>(&at), size) != 0 || listen(server, 4) != 0 ||
        getsockname(server, reinterpret_cast<sockaddr*>(&at), &size) != 0)
        return -1;
    const uint16_t port = ntohs(reinterpret_cast<sockaddr_in&>(at).sin_port);
    return write(toTest, &port, sizeof port) == sizeof port ? server : -1;
}

inline int ListenAndHold(int family, int toTest) {
    const int server = ListenOnLoopback(family, toTest);
    char byte;
    const int held = server >= 0 ? accept(server, nullptr, nullptr) : -1;
    const char accepted = 'A';
    if (held < 0 || write(toTest, &accepted, 1) != 1)
        return 1;
    while (read(held, &byte, 1) > 0) {
    }
    return held < 0;
}

} // namespace testsupport
