#include "net/SocketOwner.h"

#ifdef __linux__

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace net {

namespace {

// One end of a connection; v4-mapped v6 addresses are kept as v4.
struct End {
    int family = AF_UNSPEC;
    std::array<uint8_t, 16> address{};
    uint16_t port = 0; // host order
    bool operator==(const End&) const = default;
};

End V4(const void* address, uint16_t port) {
    End end{AF_INET, {}, port};
    std::memcpy(end.address.data(), address, 4);
    return end;
}

End V6(const uint8_t* address, uint16_t port) {
    static constexpr uint8_t mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(address, mapped, sizeof mapped) == 0)
        return V4(address + 12, port);
    End end{AF_INET6, {}, port};
    std::memcpy(end.address.data(), address, 16);
    return end;
}

std::optional<End> EndOf(const sockaddr_storage& given) {
    if (given.ss_family == AF_INET) {
        sockaddr_in a;
        std::memcpy(&a, &given, sizeof a);
        return V4(&a.sin_addr, ntohs(a.sin_port));
    }
    if (given.ss_family == AF_INET6) {
        sockaddr_in6 a;
        std::memcpy(&a, &given, sizeof a);
        return V6(a.sin6_addr.s6_addr, ntohs(a.sin6_port));
    }
    return std::nullopt;
}

// A socket no file holds (inode 0) is reported with uid 0: one the kernel
// keeps after its process let go (TIME_WAIT, a closed FIN_WAIT2), a
// handshake not yet complete, and an established connection still in its
// listener's queue, not yet accepted (kernels before 6.17 or so). Taking that
// 0 as root's would let an account pass for root's, and refuse a launcher
// that has not accepted yet; so such a socket is no owner's, not yet or no
// longer, and the caller may ask again.
constexpr int NewSynRecv = 12;

SocketOwnerAnswer Owner(int state, uint64_t inode, uint32_t uid) {
    const bool held =
        inode != 0 && state != TCP_SYN_RECV && state != TCP_TIME_WAIT && state != NewSynRecv;
    return held ? SocketOwnerAnswer{OwnerFound::Yes, uid}
                : SocketOwnerAnswer{OwnerFound::NoSuchSocket, 0};
}

// --- netlink: one exact look-up by the connection's two ends ---

SocketOwnerAnswer ReadReply(const char* reply, ssize_t size, const End& local, const End& remote) {
    nlmsghdr header;
    if (size < static_cast<ssize_t>(sizeof header))
        return {};
    std::memcpy(&header, reply, sizeof header);
    const char* body = reply + NLMSG_HDRLEN;
    const ssize_t bodySize = std::min<ssize_t>(size, header.nlmsg_len) - NLMSG_HDRLEN;
    // An error answers nothing: ENOENT is also all that a kernel without TCP
    // socket diagnostics says, so /proc/net is asked then.
    if (header.nlmsg_type == NLMSG_ERROR)
        return {};
    inet_diag_msg m;
    if (header.nlmsg_type != SOCK_DIAG_BY_FAMILY || bodySize < static_cast<ssize_t>(sizeof m))
        return {};
    std::memcpy(&m, body, sizeof m);
    const auto end = [&m](const __be32* address, __be16 port) {
        return m.idiag_family == AF_INET
                   ? V4(address, ntohs(port))
                   : V6(reinterpret_cast<const uint8_t*>(address), ntohs(port));
    };
    // Without a socket of these ends the kernel may answer with a listener.
    if (end(m.id.idiag_src, m.id.idiag_sport) != local ||
        end(m.id.idiag_dst, m.id.idiag_dport) != remote)
        return {OwnerFound::NoSuchSocket, 0};
    return Owner(m.idiag_state, m.idiag_inode, m.idiag_uid);
}

SocketOwnerAnswer AskNetlink(const End& local, const End& remote) {
    struct {
        nlmsghdr header;
        inet_diag_req_v2 body;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.body.sdiag_family = static_cast<uint8_t>(local.family);
    request.body.sdiag_protocol = IPPROTO_TCP;
    request.body.idiag_states = ~0u;
    request.body.id.idiag_sport = htons(local.port);
    request.body.id.idiag_dport = htons(remote.port);
    const size_t length = local.family == AF_INET ? 4 : 16;
    std::memcpy(request.body.id.idiag_src, local.address.data(), length);
    std::memcpy(request.body.id.idiag_dst, remote.address.data(), length);
    request.body.id.idiag_cookie[0] = request.body.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;

    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0)
        return {};
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    SocketOwnerAnswer answer;
    if (sendto(fd, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel),
               sizeof kernel) == static_cast<ssize_t>(sizeof request)) {
        // The kernel answers before sendto returns: nothing to wait for.
        char reply[1024];
        answer = ReadReply(reply, recv(fd, reply, sizeof reply, MSG_DONTWAIT), local, remote);
    }
    close(fd);
    return answer;
}

// --- /proc/net/tcp and tcp6: a line per socket ---

template <typename T> bool Hex(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

// "0100007F:1F90": the address as the kernel's 32-bit words in this
// machine's byte order, then the port.
std::optional<End> ProcEnd(std::string_view text) {
    const size_t colon = text.find(':');
    uint16_t port = 0;
    if (colon == std::string_view::npos || (colon != 8 && colon != 32) ||
        !Hex(text.substr(colon + 1), port))
        return std::nullopt;
    uint8_t bytes[16];
    for (size_t word = 0; word < colon / 8; ++word) {
        uint32_t value = 0;
        if (!Hex(text.substr(word * 8, 8), value))
            return std::nullopt;
        std::memcpy(bytes + word * 4, &value, 4);
    }
    return colon == 8 ? V4(bytes, port) : V6(bytes, port);
}

std::optional<SocketOwnerAnswer> ProcLine(const std::string& line, const End& local,
                                          const End& remote) {
    std::istringstream fields(line);
    std::string slot, own, other, state, queues, timer, retransmits;
    uint32_t uid = 0;
    uint64_t timeout = 0, inode = 0;
    if (!(fields >> slot >> own >> other >> state >> queues >> timer >> retransmits >> uid >>
          timeout >> inode))
        return std::nullopt;
    int stateNumber = 0;
    if (ProcEnd(own) != local || ProcEnd(other) != remote || !Hex(state, stateNumber))
        return std::nullopt;
    return Owner(stateNumber, inode, uid);
}

SocketOwnerAnswer ReadProcNet(const End& local, const End& remote, const std::string& folder) {
    bool readAny = false;
    // A v4 connection of a v6 socket is listed in tcp6 with mapped addresses.
    for (const char* name : {"/tcp", "/tcp6"}) {
        std::ifstream file(folder + name);
        if (!file)
            continue;
        readAny = true;
        std::string line;
        while (std::getline(file, line))
            if (const auto answer = ProcLine(line, local, remote))
                return *answer;
    }
    return {readAny ? OwnerFound::NoSuchSocket : OwnerFound::CannotTell, 0};
}

bool BothEnds(const sockaddr_storage& a, const sockaddr_storage& b, End& local, End& remote) {
    const auto l = EndOf(a), r = EndOf(b);
    if (!l || !r || l->family != r->family)
        return false;
    local = *l;
    remote = *r;
    return true;
}

} // namespace

namespace detail {

SocketOwnerAnswer OwnerByNetlink(const sockaddr_storage& local, const sockaddr_storage& remote) {
    End l, r;
    return BothEnds(local, remote, l, r) ? AskNetlink(l, r) : SocketOwnerAnswer{};
}

SocketOwnerAnswer OwnerByProcNet(const sockaddr_storage& local, const sockaddr_storage& remote,
                                 const std::string& folder) {
    End l, r;
    return BothEnds(local, remote, l, r) ? ReadProcNet(l, r, folder) : SocketOwnerAnswer{};
}

} // namespace detail

SocketOwnerAnswer SocketOwner(const sockaddr_storage& local, const sockaddr_storage& remote) {
    const SocketOwnerAnswer answer = detail::OwnerByNetlink(local, remote);
    return answer.found == OwnerFound::CannotTell ? detail::OwnerByProcNet(local, remote) : answer;
}

SocketOwnerAnswer PeerOwner(intptr_t descriptor) {
    const int fd = static_cast<int>(descriptor);
    sockaddr_storage ours{}, theirs{};
    socklen_t oursSize = sizeof ours, theirsSize = sizeof theirs;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&ours), &oursSize) != 0)
        return {};
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&theirs), &theirsSize) != 0)
        return {errno == ENOTCONN ? OwnerFound::NoSuchSocket : OwnerFound::CannotTell, 0};
    return SocketOwner(theirs, ours);
}

std::optional<uint32_t> ListenerOwner(uint16_t port, const std::string& folder) {
    constexpr int Listen = 10; // TCP_LISTEN
    for (const char* name : {"/tcp", "/tcp6"}) {
        std::ifstream file(folder + name);
        std::string line;
        while (std::getline(file, line)) {
            std::istringstream fields(line);
            std::string slot, own, other, state;
            uint32_t uid = 0;
            std::string queues, timer, retransmits;
            int stateNumber = 0;
            if (!(fields >> slot >> own >> other >> state >> queues >> timer >> retransmits >>
                  uid) ||
                !Hex(state, stateNumber) || stateNumber != Listen)
                continue;
            const auto end = ProcEnd(own);
            if (end && end->port == port)
                return uid;
        }
    }
    return std::nullopt;
}

bool IsOwnAccount(const SocketOwnerAnswer& answer) {
    return answer.found == OwnerFound::Yes && answer.uid == geteuid();
}

} // namespace net

#else // no facility to ask: every answer is CannotTell

namespace net {
SocketOwnerAnswer SocketOwner(const sockaddr_storage&, const sockaddr_storage&) {
    return {};
}
SocketOwnerAnswer PeerOwner(intptr_t) {
    return {};
}
bool IsOwnAccount(const SocketOwnerAnswer&) {
    return false;
}
std::optional<uint32_t> ListenerOwner(uint16_t, const std::string&) {
    return std::nullopt;
}
namespace detail {
SocketOwnerAnswer OwnerByNetlink(const sockaddr_storage&, const sockaddr_storage&) {
    return {};
}
SocketOwnerAnswer OwnerByProcNet(const sockaddr_storage&, const sockaddr_storage&,
                                 const std::string&) {
    return {};
}
} // namespace detail
} // namespace net

#endif
