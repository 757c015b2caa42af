// A part of a test played by another account of this computer: a forked
// child that becomes `nobody` (or stays, for the own-account cases) and runs
// plain system calls only. Switching accounts needs root, as in CI.
#pragma once

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

inline constexpr uid_t Nobody = 65534;

class OtherAccount {
  public:
    /*! Forks; the child takes account uid (when it differs from ours), runs
        body with the write end of a pipe to the test and exits with its result. */
    OtherAccount(uid_t uid, const std::function<int(int toTest)>& body) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ends[0]);
            const bool become = uid == geteuid() ||
                                (setgroups(0, nullptr) == 0 && setgid(uid) == 0 && setuid(uid) == 0);
            _exit(become ? body(ends[1]) : 100);
        }
        close(ends[1]);
        fromChild_ = ends[0];
    }
    ~OtherAccount() {
        if (pid_ > 0 && code_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (fromChild_ >= 0)
            close(fromChild_);
    }
    /*! What the child wrote first (a port), read as it comes. */
    template <typename T> bool Read(T& value) {
        return pid_ > 0 && read(fromChild_, &value, sizeof value) == sizeof value;
    }
    /*! Turns the event loop until the child ends (its pipe closes); its exit code. */
    int Finish(int timeoutMs = 30000) {
        if (pid_ <= 0)
            return -1;
        QEventLoop loop;
        QSocketNotifier closed(fromChild_, QSocketNotifier::Read);
        bool ended = false;
        QObject::connect(&closed, &QSocketNotifier::activated, &loop, [&] {
            char rest[64];
            ended = read(fromChild_, rest, sizeof rest) <= 0;
            if (ended)
                loop.quit();
        });
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        // Its pipe closed as it exited: the wait is for that exit alone.
        int status = 0;
        if (ended && waitpid(pid_, &status, 0) == pid_)
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
    if (family == AF_INET) {
        auto* a = reinterpret_cast<sockaddr_in*>(&s);
        *a = {AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    } else {
        auto* a = reinterpret_cast<sockaddr_in6*>(&s);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(port);
        a->sin6_addr = in6addr_loopback;
    }
    return s;
}

inline uint16_t PortOf(const sockaddr_storage& s) {
    return ntohs(s.ss_family == AF_INET ? reinterpret_cast<const sockaddr_in&>(s).sin_port
                                        : reinterpret_cast<const sockaddr_in6&>(s).sin6_port);
}

// A child's part: listens on loopback, tells the test its port, and holds
// the first connection until the other side closes it.
inline int ListenAndHold(int family, int toTest) {
    const int server = socket(family, SOCK_STREAM, 0);
    sockaddr_storage at = Loopback(family, 0);
    socklen_t size = sizeof at;
    if (bind(server, reinterpret_cast<sockaddr*>(&at), size) != 0 || listen(server, 1) != 0 ||
        getsockname(server, reinterpret_cast<sockaddr*>(&at), &size) != 0)
        return 1;
    const uint16_t port = PortOf(at);
    if (write(toTest, &port, sizeof port) != sizeof port)
        return 1;
    const int held = accept(server, nullptr, nullptr);
    char byte;
    while (read(held, &byte, 1) > 0) {
    }
    return 0;
}

} // namespace testsupport
