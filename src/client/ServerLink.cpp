#include "client/ServerLink.h"

#include "net/SocketOwner.h"

namespace client {
namespace {
// An attempt that neither connects nor fails within this time is abandoned.
constexpr int StallMs = 2000;
// The referee's end of a new connection may still be finishing the handshake,
// and then has no owner yet: asked again this often, up to this many times.
constexpr int OwnerCheckMs = 10;
constexpr int OwnerChecks = 100;
} // namespace

ServerLink::ServerLink(QObject* parent) : QObject(parent) {
    retry_.setSingleShot(true);
    stall_.setSingleShot(true);
    stall_.setInterval(StallMs);
    socket_.setReadBufferSize(ServerReadBufferBytes);
    connect(&retry_, &QTimer::timeout, this, &ServerLink::Attempt);
    connect(&stall_, &QTimer::timeout, this, [this] {
        lastError_ = QStringLiteral("no answer");
        socket_.abort();
        AttemptFailed();
    });
    ownerCheck_.setSingleShot(true);
    ownerCheck_.setInterval(OwnerCheckMs);
    connect(&ownerCheck_, &QTimer::timeout, this, &ServerLink::CheckServerAccount);
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        stall_.stop();
        ownerChecks_ = 0;
        CheckServerAccount();
    });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (!connected_ && !closing_) {
            lastError_ = socket_.errorString();
            stall_.stop();
            socket_.abort();
            AttemptFailed();
        }
    });
    connect(&socket_, &QTcpSocket::readyRead, this, [this] {
        if (!connected_) {
            return; // not before the referee's account is known
        }
        const QByteArray bytes = socket_.readAll();
        if (!bytes.isEmpty()) {
            emit BytesArrived(bytes);
        }
    });
    connect(&socket_, &QTcpSocket::disconnected, this, &ServerLink::OnDisconnected);
}

void ServerLink::Open(const QHostAddress& host, quint16 port, int windowMs, int retryMs) {
    host_ = host;
    port_ = port;
    windowMs_ = windowMs;
    retry_.setInterval(retryMs);
    connected_ = false;
    closing_ = false;
    since_.start();
    Attempt();
}

void ServerLink::Attempt() {
    if (closing_) {
        return;
    }
    stall_.start();
    socket_.connectToHost(host_, port_);
}

void ServerLink::AttemptFailed() {
    if (closing_ || connected_) {
        return;
    }
    if (since_.elapsed() + retry_.interval() <= windowMs_) {
        retry_.start();
        emit Retrying(lastError_);
        return;
    }
    emit Failed(QStringLiteral("cannot connect to %1:%2 (%3)")
                    .arg(host_.toString())
                    .arg(port_)
                    .arg(lastError_));
}

// Only a referee of our own account gets our moves: on a shared computer
// another account's program could be listening on the port.
void ServerLink::CheckServerAccount() {
    if (closing_ || socket_.state() != QAbstractSocket::ConnectedState) {
        return;
    }
    const net::SocketOwnerAnswer owner = net::PeerOwner(socket_.socketDescriptor());
    if (owner.found == net::OwnerFound::NoSuchSocket) {
        if (++ownerChecks_ < OwnerChecks) {
            ownerCheck_.start();
        } else { // gone: as a failed attempt
            lastError_ = QStringLiteral("no program holds the referee's end");
            socket_.abort();
            AttemptFailed();
        }
        return;
    }
    if (owner.found == net::OwnerFound::CannotTell) {
        static bool told = false;
        if (!told) {
            qWarning("cannot tell which account runs the referee; playing with it anyway");
        }
        told = true;
    } else if (!net::IsOwnAccount(owner)) {
        closing_ = true;
        socket_.abort();
        emit ForeignServer(owner.uid);
        return;
    }
    connected_ = true;
    // Each move goes out at once, never held back to merge with the next.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    emit Connected();
    if (socket_.bytesAvailable() > 0) {
        emit BytesArrived(socket_.readAll());
    }
}

bool ServerLink::Send(const proc::ByteArray& bytes) {
    if (!IsConnected()) {
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    const bool written = socket_.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
    socket_.flush();
    return written;
}

void ServerLink::Close() {
    closing_ = true;
    retry_.stop();
    stall_.stop();
    ownerCheck_.stop();
    if (IsConnected()) {
        socket_.flush();
        socket_.disconnectFromHost();
    } else {
        socket_.abort();
    }
}

void ServerLink::OnDisconnected() {
    if (closing_) {
        return;
    }
    if (!connected_) {
        // The referee's end went before its owner was known (a referee that
        // accepted and closed at once leaves its end to no program): no game
        // was started, and nothing of it was read.
        if (ownerCheck_.isActive()) {
            ownerCheck_.stop();
            emit ClosedByServer();
        }
        return;
    }
    connected_ = false;
    const QByteArray rest = socket_.readAll();
    if (!rest.isEmpty()) {
        emit BytesArrived(rest);
    }
    emit ClosedByServer();
}

} // namespace client
