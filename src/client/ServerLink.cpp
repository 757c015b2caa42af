#include "client/ServerLink.h"

namespace client {
namespace {
// An attempt that neither connects nor fails within this time is abandoned.
constexpr int StallMs = 2000;
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
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        stall_.stop();
        connected_ = true;
        // Each move goes out at once, never held back to merge with the next.
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit Connected();
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
    if (IsConnected()) {
        socket_.flush();
        socket_.disconnectFromHost();
    } else {
        socket_.abort();
    }
}

void ServerLink::OnDisconnected() {
    if (!connected_ || closing_) {
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
