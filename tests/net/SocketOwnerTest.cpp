// Who owns each end of a real loopback connection, asked both ways, with the
// far end held by this account or (as root) by nobody; and the /proc lines
// whose uid must not be believed.
#include "common/OtherAccount.h"
#include "net/SocketOwner.h"

#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <gtest/gtest.h>

using namespace net;
using testsupport::Loopback;

namespace {

// Both ends of a v4 and a v6 loopback connection, the far one held by `far`.
void CheckBothEnds(uid_t far) {
    for (const int family : {AF_INET, AF_INET6}) {
        SCOPED_TRACE(family == AF_INET ? "v4" : "v6");
        testsupport::OtherAccount child(
            far, [family](int to) { return testsupport::ListenAndHold(family, to); });
        uint16_t port = 0;
        ASSERT_TRUE(child.Read(port));
        const int ours = socket(family, SOCK_STREAM, 0);
        const sockaddr_storage theirs = Loopback(family, port);
        ASSERT_EQ(connect(ours, reinterpret_cast<const sockaddr*>(&theirs), sizeof theirs), 0);
        // Until the child has accepted, its end is nobody's yet.
        char accepted = 0;
        ASSERT_TRUE(child.Read(accepted));
        sockaddr_storage mine{};
        socklen_t size = sizeof mine;
        ASSERT_EQ(getsockname(ours, reinterpret_cast<sockaddr*>(&mine), &size), 0);
        const sockaddr_storage elsewhere = Loopback(family, port ^ 1);
        for (const bool netlink : {true, false}) {
            const auto ask = [netlink](const sockaddr_storage& l, const sockaddr_storage& r) {
                const auto a =
                    netlink ? detail::OwnerByNetlink(l, r) : detail::OwnerByProcNet(l, r);
                return std::pair(a.found, a.uid);
            };
            EXPECT_EQ(ask(theirs, mine), std::pair(OwnerFound::Yes, uint32_t{far})) << netlink;
            EXPECT_EQ(ask(mine, theirs), std::pair(OwnerFound::Yes, uint32_t{geteuid()}));
            // Netlink's "no such socket" is also a kernel without its diagnostics.
            EXPECT_EQ(ask(mine, elsewhere).first,
                      netlink ? OwnerFound::CannotTell : OwnerFound::NoSuchSocket);
        }
        EXPECT_EQ(SocketOwner(mine, elsewhere).found, OwnerFound::NoSuchSocket);
        EXPECT_EQ(IsOwnAccount(PeerOwner(ours)), far == geteuid());
        close(ours);
        EXPECT_EQ(child.Finish(), 0);
    }
}

TEST(SocketOwner, BothEndsHeldByThisAccount) {
    CheckBothEnds(geteuid());
}

TEST(SocketOwner, FarEndHeldByAnotherAccount) {
    if (geteuid() != 0)
        GTEST_SKIP() << "a second account needs root";
    CheckBothEnds(testsupport::Nobody);
}

// The end a listener has not accepted yet: some kernels report it with uid 0
// and no inode. It is nobody's yet, never root's: a board client of an
// ordinary account would otherwise take its own launcher for a stranger's,
// and root would take anybody's for its own.
TEST(SocketOwner, AnEndNotYetAcceptedHasNoOwnerYet) {
    const uid_t far = geteuid() == 0 ? testsupport::Nobody : geteuid();
    testsupport::OtherAccount child(
        far, [](int to) {
            if (testsupport::ListenOnLoopback(AF_INET, to) < 0)
                return 1;
            for (;;) // never accepts
                pause();
        });
    uint16_t port = 0;
    ASSERT_TRUE(child.Read(port));
    const int ours = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_storage theirs = Loopback(AF_INET, port);
    ASSERT_EQ(connect(ours, reinterpret_cast<const sockaddr*>(&theirs), sizeof theirs), 0);
    sockaddr_storage mine{};
    socklen_t size = sizeof mine;
    ASSERT_EQ(getsockname(ours, reinterpret_cast<sockaddr*>(&mine), &size), 0);
    for (const auto& [way, answer] :
         {std::pair("netlink", detail::OwnerByNetlink(theirs, mine)),
          std::pair("/proc", detail::OwnerByProcNet(theirs, mine)),
          std::pair("peer", PeerOwner(ours))}) {
        SCOPED_TRACE(way);
        if (answer.found == OwnerFound::Yes) {
            EXPECT_EQ(answer.uid, far) << "an unaccepted end taken for another account's";
        } else {
            EXPECT_EQ(answer.found, OwnerFound::NoSuchSocket);
        }
    }
    close(ours);
}

// Only an answer that names this account is its own: root included, whose
// uid 0 is also what "no owner" carries.
TEST(SocketOwner, OnlyAYesNamingThisAccountIsOwn) {
    const uint32_t me = geteuid();
    const struct {
        SocketOwnerAnswer answer;
        bool own;
    } cases[] = {
        {{OwnerFound::Yes, me}, true},
        {{OwnerFound::Yes, me + 1}, false},
        {{OwnerFound::NoSuchSocket, me}, false},
        {{OwnerFound::CannotTell, me}, false},
        {{OwnerFound::NoSuchSocket, 0}, false},
        {{OwnerFound::CannotTell, 0}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsOwnAccount(c.answer), c.own) << int(c.answer.found) << " " << c.answer.uid;
}

TEST(SocketOwner, ProcLinesOfSocketsNoProgramHoldsAreNoOwner) {
    // 127.0.0.1:40000 to 127.0.0.1:4000 as this machine lists it; the state,
    // uid and inode of each case.
    const char* v4 = "0100007F:9C40 0100007F:0FA0 ";
    const char* mapped = "0000000000000000FFFF00000100007F:9C40 "
                         "0000000000000000FFFF00000100007F:0FA0 ";
    const struct {
        const char* file;
        const char* ends;
        const char* socket;
        uint32_t owner; // 0: none, unless held
        bool held = false;
    } cases[] = {
        {"tcp", v4, "01 1000 5", 1000},
        {"tcp", v4, "06 0 0", 0} /* TIME_WAIT */,
        {"tcp", v4, "05 0 0", 0} /* closed FIN_WAIT2 */,
        {"tcp", v4, "05 1000 9", 1000},
        {"tcp", v4, "03 1000 0", 0} /* handshake */,
        {"tcp", v4, "01 0 0", 0} /* in its listener's queue, not yet accepted */,
        {"tcp", v4, "04 1000 0", 0} /* FIN_WAIT1 of a closed socket */,
        {"tcp", v4, "01 0 7", 0, true} /* root's */,
        {"tcp6", mapped, "01 1001 6", 1001},
        {"tcp", "0100007F:9C41 0100007F:0FA0 ", "01 1000 5", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ends) + c.socket);
        QTemporaryDir proc;
        std::istringstream socket(c.socket);
        std::string state, uid, inode;
        socket >> state >> uid >> inode;
        std::ofstream(proc.filePath(c.file).toStdString())
            << "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid"
               "  timeout inode\n   0: "
            << c.ends << state << " 00000000:00000000 00:00000000 00000000 " << uid << " 0 "
            << inode << " 1 0000000000000000 20 4 30 10 -1\n";
        const SocketOwnerAnswer answer = detail::OwnerByProcNet(
            Loopback(AF_INET, 40000), Loopback(AF_INET, 4000), proc.path().toStdString());
        EXPECT_EQ(answer.found,
                  c.owner || c.held ? OwnerFound::Yes : OwnerFound::NoSuchSocket);
        EXPECT_EQ(answer.uid, c.owner);
    }
    EXPECT_EQ(
        detail::OwnerByProcNet(Loopback(AF_INET, 1), Loopback(AF_INET, 2), "/nonexistent").found,
        OwnerFound::CannotTell);
}

// The game port's listener: whose it is, from a real one held by this or
// (as root) another account, and from the lines /proc lists.
TEST(SocketOwner, TheListenerOfAPortNamesItsAccount) {
    const uid_t far = geteuid() == 0 ? testsupport::Nobody : geteuid();
    testsupport::OtherAccount child(far, [](int to) { return testsupport::ListenAndHold(AF_INET6, to); });
    uint16_t port = 0;
    ASSERT_TRUE(child.Read(port));
    EXPECT_EQ(ListenerOwner(port), std::optional<uint32_t>(far));
    const int ours = socket(AF_INET6, SOCK_STREAM, 0);
    const sockaddr_storage theirs = Loopback(AF_INET6, port);
    ASSERT_EQ(connect(ours, reinterpret_cast<const sockaddr*>(&theirs), sizeof theirs), 0);
    char accepted = 0;
    ASSERT_TRUE(child.Read(accepted));
    close(ours);
    EXPECT_EQ(child.Finish(), 0);

    // clang-format off
    const struct { const char* file; const char* line; std::optional<uint32_t> owner; } cases[] = {
        {"tcp", "00000000:0FA0 00000000:0000 0A 1000", 1000},
        {"tcp6", "00000000000000000000000000000000:0FA0 00000000000000000000000000000000:0000 0A 1001", 1001},
        {"tcp", "0100007F:0FA0 0100007F:9C40 01 1000", std::nullopt}, // a connection, no listener
        {"tcp", "00000000:0FA1 00000000:0000 0A 1000", std::nullopt}, // another port
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        QTemporaryDir proc;
        std::istringstream fields(c.line);
        std::string own, other, state, uid;
        fields >> own >> other >> state >> uid;
        std::ofstream(proc.filePath(c.file).toStdString())
            << "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid"
               "  timeout inode\n   0: "
            << own << " " << other << " " << state << " 00000000:00000000 00:00000000 00000000 "
            << uid << " 0 77 1 0000000000000000 20 4 30 10 -1\n";
        EXPECT_EQ(ListenerOwner(4000, proc.path().toStdString()), c.owner);
    }
}

} // namespace
