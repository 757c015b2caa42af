// What the owner check adds to accepting a game connection (the target is at
// most 1 ms): the owner of the connecting end asked by netlink, by /proc, and
// the whole check on an accepted socket, beside 0 or many other connections.
#include "net/SocketOwner.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <unistd.h>
#include <vector>

namespace {

// A listener on 127.0.0.1 and `count` connections to it, both ends open.
struct Connections {
    explicit Connections(int count) {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof at;
        bind(listener, reinterpret_cast<sockaddr*>(&at), size);
        listen(listener, 4096);
        getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
        for (int i = 0; i < count; ++i) {
            const int client = socket(AF_INET, SOCK_STREAM, 0);
            if (connect(client, reinterpret_cast<sockaddr*>(&at), size) != 0)
                break;
            fds.push_back(client);
            fds.push_back(accept(listener, nullptr, nullptr));
        }
    }
    ~Connections() {
        for (const int fd : fds)
            close(fd);
        close(listener);
    }
    // The last connection: the client's end and the accepted end.
    int Client() const { return fds[fds.size() - 2]; }
    int Accepted() const { return fds.back(); }
    sockaddr_storage End(int fd, bool peer) const {
        sockaddr_storage s{};
        socklen_t size = sizeof s;
        (peer ? getpeername : getsockname)(fd, reinterpret_cast<sockaddr*>(&s), &size);
        return s;
    }
    int listener = -1;
    std::vector<int> fds;
};

template <typename Ask> void Run(benchmark::State& state, Ask ask) {
    const Connections open(static_cast<int>(state.range(0)));
    const sockaddr_storage client = open.End(open.Accepted(), true);
    const sockaddr_storage server = open.End(open.Accepted(), false);
    for (auto _ : state) {
        const net::SocketOwnerAnswer answer = ask(open, client, server);
        if (answer.found != net::OwnerFound::Yes)
            state.SkipWithError("no owner found");
        benchmark::DoNotOptimize(answer);
    }
}

void BM_OwnerByNetlink(benchmark::State& state) {
    Run(state, [](const Connections&, const sockaddr_storage& l, const sockaddr_storage& r) {
        return net::detail::OwnerByNetlink(l, r);
    });
}

void BM_OwnerByProcNet(benchmark::State& state) {
    Run(state, [](const Connections&, const sockaddr_storage& l, const sockaddr_storage& r) {
        return net::detail::OwnerByProcNet(l, r);
    });
}

// What the game socket runs for each connection it accepts.
void BM_PeerOwnerOfAcceptedSocket(benchmark::State& state) {
    Run(state, [](const Connections& open, const sockaddr_storage&, const sockaddr_storage&) {
        return net::PeerOwner(open.Accepted());
    });
}

} // namespace

BENCHMARK(BM_OwnerByNetlink)->Arg(1)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OwnerByProcNet)->Arg(1)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeerOwnerOfAcceptedSocket)->Arg(1)->Arg(2000)->Unit(benchmark::kMicrosecond);
