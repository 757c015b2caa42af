// Which account owns a local TCP socket: the game's two programs play only
// with a peer of their own account. Standard C++ and the system's sockets;
// no Qt, so the board client uses it without the launcher's socket module.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/socket.h>

namespace net {

enum class OwnerFound {
    Yes,          // uid is the owner
    NoSuchSocket, // the kernel holds no such socket of a process's (gone, or never there)
    CannotTell,   // no facility answers: another platform, or the kernel's are closed to us
};

struct SocketOwnerAnswer {
    OwnerFound found = OwnerFound::CannotTell;
    uint32_t uid = 0;
};

/*! The account owning the TCP socket whose own end is `local` and whose
    other end is `remote` (AF_INET or AF_INET6; v4-mapped addresses are the
    v4 ones). On Linux the kernel's socket diagnostics answer over netlink,
    /proc/net/tcp and tcp6 when netlink cannot; elsewhere CannotTell. A
    socket that no file holds reports no owner and counts as no socket: one
    the kernel keeps after its owner let go (TIME_WAIT, a half-open
    handshake), and one not yet accepted by its listener (ask again). */
SocketOwnerAnswer SocketOwner(const sockaddr_storage& local, const sockaddr_storage& remote);

/*! The owner of the socket at the other end of the connected TCP socket
    `descriptor`: NoSuchSocket once that end is gone. */
SocketOwnerAnswer PeerOwner(intptr_t descriptor);

/*! True when the answer names this process's effective account. */
bool IsOwnAccount(const SocketOwnerAnswer& answer);

/*! The account whose socket listens on TCP port `port` (any address, v4 or
    v6), read from tcp and tcp6 in `folder`; nothing when none listens or
    nobody can tell (another platform). */
std::optional<uint32_t> ListenerOwner(uint16_t port, const std::string& folder = "/proc/net");

namespace detail {
/*! The two ways of asking, each alone (tests, the benchmark). Netlink
    cannot tell no socket from a kernel without socket diagnostics: both are
    CannotTell there. The second reads tcp and tcp6 in the folder given. */
SocketOwnerAnswer OwnerByNetlink(const sockaddr_storage& local, const sockaddr_storage& remote);
SocketOwnerAnswer OwnerByProcNet(const sockaddr_storage& local, const sockaddr_storage& remote,
                                 const std::string& folder = "/proc/net");
} // namespace detail

} // namespace net
