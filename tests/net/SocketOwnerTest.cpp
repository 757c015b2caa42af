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
            EXPECT_EQ(ask(mine, elsewhere).first, OwnerFound::NoSuchSocket) << netlink;
        }
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
        uint32_t owner; // 0: none
    } cases[] = {
        {"tcp", v4, "01 1000 5", 1000},
        {"tcp", v4, "06 0 0", 0} /* TIME_WAIT */,
        {"tcp", v4, "05 0 0", 0} /* closed FIN_WAIT2 */,
        {"tcp", v4, "05 1000 9", 1000},
        {"tcp", v4, "03 1000 0", 0} /* handshake */,
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
        EXPECT_EQ(answer.found, c.owner ? OwnerFound::Yes : OwnerFound::NoSuchSocket);
        EXPECT_EQ(answer.uid, c.owner);
    }
    EXPECT_EQ(
        detail::OwnerByProcNet(Loopback(AF_INET, 1), Loopback(AF_INET, 2), "/nonexistent").found,
        OwnerFound::CannotTell);
}

} // namespace
