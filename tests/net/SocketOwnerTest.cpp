// Who owns each end of a real loopback connection, asked both ways, with the
// far end held by this account or (as root) by nobody; and the /proc lines
// whose uid must not be believed.
#include "common/OtherAccount.h"
#include "net/SocketOwner.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

using namespace net;
using testsupport::ListenAndHold;
using testsupport::Loopback;
using testsupport::PortOf;

namespace {

// Both ends of a v4 and a v6 loopback connection whose far end account
// `far` holds, asked by netlink and by /proc.
void CheckBothEnds(uid_t far) {
    using Way = SocketOwnerAnswer (*)(const sockaddr_storage&, const sockaddr_storage&);
    const Way ways[] = {detail::OwnerByNetlink,
                        [](const sockaddr_storage& l, const sockaddr_storage& r) {
                            return detail::OwnerByProcNet(l, r);
                        }};
    for (const int family : {AF_INET, AF_INET6}) {
        SCOPED_TRACE(family == AF_INET ? "v4" : "v6");
        testsupport::OtherAccount child(far, [family](int to) { return ListenAndHold(family, to); });
        uint16_t port = 0;
        ASSERT_TRUE(child.Read(port));
        const int ours = socket(family, SOCK_STREAM, 0);
        const sockaddr_storage theirs = Loopback(family, port);
        ASSERT_EQ(connect(ours, reinterpret_cast<const sockaddr*>(&theirs), sizeof theirs), 0);
        sockaddr_storage mine{};
        socklen_t size = sizeof mine;
        ASSERT_EQ(getsockname(ours, reinterpret_cast<sockaddr*>(&mine), &size), 0);
        const sockaddr_storage elsewhere = Loopback(family, PortOf(mine) ^ 1);
        for (const Way way : ways) {
            const SocketOwnerAnswer farEnd = way(theirs, mine), nearEnd = way(mine, theirs);
            EXPECT_EQ(farEnd.found, OwnerFound::Yes);
            EXPECT_EQ(farEnd.uid, far);
            EXPECT_EQ(nearEnd.found, OwnerFound::Yes);
            EXPECT_EQ(nearEnd.uid, geteuid());
            EXPECT_EQ(way(theirs, elsewhere).found, OwnerFound::NoSuchSocket);
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
    // 127.0.0.1:40000 to 127.0.0.1:4000 as this machine lists it.
    const struct {
        const char* what;
        const char* file;
        const char* ends;
        const char* state;
        const char* uidAndInode;
        OwnerFound found;
        uint32_t uid;
    } cases[] = {
        {"held", "tcp", "0100007F:9C40 0100007F:0FA0", "01", "1000 0 5", OwnerFound::Yes, 1000},
        {"TIME_WAIT reads uid 0", "tcp", "0100007F:9C40 0100007F:0FA0", "06", "0 0 0",
         OwnerFound::NoSuchSocket, 0},
        {"closed FIN_WAIT2", "tcp", "0100007F:9C40 0100007F:0FA0", "05", "0 0 0",
         OwnerFound::NoSuchSocket, 0},
        {"half-closed but held", "tcp", "0100007F:9C40 0100007F:0FA0", "05", "1000 0 9",
         OwnerFound::Yes, 1000},
        {"handshake", "tcp", "0100007F:9C40 0100007F:0FA0", "03", "1000 0 0",
         OwnerFound::NoSuchSocket, 0},
        {"v6 socket with mapped addresses", "tcp6",
         "0000000000000000FFFF00000100007F:9C40 0000000000000000FFFF00000100007F:0FA0", "01",
         "1001 0 6", OwnerFound::Yes, 1001},
        {"other ports", "tcp", "0100007F:9C41 0100007F:0FA0", "01", "1000 0 5",
         OwnerFound::NoSuchSocket, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir proc;
        std::ofstream(proc.filePath(c.file).toStdString())
            << "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
               "timeout inode\n   0: "
            << c.ends << ' ' << c.state << " 00000000:00000000 00:00000000 00000000 "
            << c.uidAndInode << " 1 0000000000000000 20 4 30 10 -1\n";
        const SocketOwnerAnswer answer = detail::OwnerByProcNet(
            Loopback(AF_INET, 40000), Loopback(AF_INET, 4000), proc.path().toStdString());
        EXPECT_EQ(answer.found, c.found);
        EXPECT_EQ(answer.uid, c.uid);
    }
    EXPECT_EQ(detail::OwnerByProcNet(Loopback(AF_INET, 1), Loopback(AF_INET, 2), "/nonexistent")
                  .found,
              OwnerFound::CannotTell);
}

} // namespace
