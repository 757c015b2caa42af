// A hostile client against the referee program: a flood of non-move bytes
// must not grow the referee's memory, and a move sent after it is played.
#include "GameTestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace gametest;

namespace {

// A field of /proc/PID/status in KiB ("VmRSS", "VmHWM"); -1 when unreadable.
int64_t StatusKiB(qint64 pid, const char* field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^%1:\\s+(\\d+) kB").arg(field),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// A plain non-blocking socket: writes as fast as the kernel takes them,
// which no Qt socket of this process would buffer for us.
class RawClient {
  public:
    ~RawClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Connect(uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return false;
        return ::fcntl(fd_, F_SETFL, O_NONBLOCK) == 0;
    }
    // Writes what the kernel takes of bytes within waitMs; returns the count.
    size_t Write(const std::vector<uint8_t>& bytes, int waitMs) {
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, waitMs) <= 0)
            return 0;
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        return n > 0 ? static_cast<size_t>(n) : 0;
    }
    // Takes whatever has arrived (waiting up to waitMs for the first bytes).
    void Read(int waitMs) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0)
            return;
        uint8_t buffer[4096];
        ssize_t n;
        while ((n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0)
            splitter.Append(buffer, static_cast<size_t>(n));
    }
    // The next message that fits, reading until the deadline.
    std::optional<clientproto::Message>
    WaitFor(const std::function<bool(const clientproto::Message&)>& fits, QDeadlineTimer deadline) {
        for (;;) {
            while (auto m = splitter.Next())
                if (fits(*m))
                    return m;
            if (deadline.hasExpired())
                return std::nullopt;
            Read(50);
        }
    }
    clientproto::MessageSplitter splitter;

  private:
    int fd_ = -1;
};

class HostileClient : public ::testing::Test {
  protected:
    uint16_t StartReferee(const QStringList& args) { return StartRefereeProcess(referee, args); }
    void TearDown() override {
        referee.kill();
        referee.waitForFinished(10000);
    }
    QProcess referee;
};

// The pattern of the move phase: the move many times, then one stray byte,
// so that a receive that started inside a move lands on a move's first byte
// within a few receives (2000 bytes each) rather than never.
std::vector<uint8_t> MoveBlock(proc::Move move) {
    const proc::ByteArray one = proc::BuildClientMoveMessage(move);
    std::vector<uint8_t> block;
    for (int i = 0; i < 500; ++i)
        block.insert(block.end(), one.begin(), one.end());
    block.push_back(0);
    return block;
}

TEST_F(HostileClient, FloodKeepsTheRefereeFlatAndAMoveAfterItIsPlayed) {
    ProgramFolder folder(StandardBoardText());
    const uint16_t port = StartReferee({"--first", "Гость", "--second", "Компьютер", "--tick", "0",
                                        "--program-folder", QString::fromStdString(folder.Path())});
    ASSERT_NE(port, 0);
    RawClient client;
    ASSERT_TRUE(client.Connect(port));
    proc::Side mine = 0;
    const auto start = client.WaitFor([](const auto& m) { return m.type == 1; },
                                      QDeadlineTimer(20000));
    ASSERT_TRUE(start.has_value());
    // Our side gets the lists; the computer's moves come without one.
    const auto list = client.WaitFor(
        [](const auto& m) { return m.type == 3 && !m.moves.empty(); }, QDeadlineTimer(30000));
    ASSERT_TRUE(list.has_value());
    mine = list->side;
    // Cells 2 would put a 1 at a receive's start inside a move: avoid them.
    const auto usable = std::find_if(list->moves.begin(), list->moves.end(), [](proc::Move m) {
        return m.from != 2 && m.to != 2;
    });
    ASSERT_NE(usable, list->moves.end());
    const proc::Move move = *usable;

    const int64_t before = StatusKiB(referee.processId(), "VmRSS");
    ASSERT_GT(before, 0);
    const std::vector<uint8_t> flood(1 << 20, 0); // non-move messages: byte 0 is not 1
    constexpr size_t FloodBytes = size_t(300) << 20;
    size_t sent = 0;
    const QDeadlineTimer floodEnd(120000);
    // Bounded: a referee that holds the sender back for 3 s has won.
    while (sent < FloodBytes && !floodEnd.hasExpired()) {
        const size_t n = client.Write(flood, 3000);
        if (n == 0)
            break;
        sent += n;
    }
    const int64_t peak = StatusKiB(referee.processId(), "VmHWM");
    EXPECT_LE(peak - before, 64 * 1024) << "flooded with " << (sent >> 20) << " MiB";

    const std::vector<uint8_t> block = MoveBlock(move);
    const QDeadlineTimer movePhase(120000);
    std::optional<clientproto::Message> echo;
    size_t moveBytes = 0;
    while (!echo && !movePhase.hasExpired()) {
        moveBytes += client.Write(block, 100);
        client.Read(0);
        echo = client.WaitFor([&](const auto& m) { return m.type == 4 && m.side == mine; },
                              QDeadlineTimer(0));
    }
    ASSERT_TRUE(echo.has_value()) << "the move after " << (sent >> 20) << " MiB of flood was never "
                                  << "played; " << moveBytes << " bytes of moves taken";
    EXPECT_EQ(echo->moves.at(0).from, move.from);
    EXPECT_EQ(echo->moves.at(0).to, move.to);
}

} // namespace
