#include "net/TDM.h"

#include "net/SocketOwner.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <stdexcept>
#include <string>

namespace net {

TDM* DM = nullptr;

namespace {

// Loopback keeps other computers out, not the other accounts of this one:
// only a client of the launcher's own account may take the game.
bool FromOwnAccount(const QTcpSocket& socket) {
    const SocketOwnerAnswer owner = PeerOwner(socket.socketDescriptor());
    if (owner.found == OwnerFound::CannotTell) {
        static bool told = false;
        if (!told)
            qWarning("game socket: cannot tell which account connects; any local program may play");
        told = true;
        return true;
    }
    if (IsOwnAccount(owner))
        return true;
    if (owner.found == OwnerFound::Yes)
        qWarning("game socket: refused a connection from port %u of another account (uid %u)",
                 unsigned{socket.peerPort()}, unsigned{owner.uid});
    else
        qWarning("game socket: refused a connection from port %u that no program holds",
                 unsigned{socket.peerPort()});
    return false;
}

} // namespace

TDM::TDM(QObject* parent) : QObject(parent), ServerSocket(new QTcpServer(this)) {
    connect(ServerSocket, &QTcpServer::newConnection, this, &TDM::ServerSocketAccept);
}

TDM::~TDM() = default;

void TDM::OpenGameServer(uint16_t port) {
    ClientConnected = false;
    if (ServerSocket->isListening()) {
        if (port == port_)
            return;
        throw std::runtime_error("the game server already listens on port " +
                                 std::to_string(ServerSocket->serverPort()));
    }
    // Loopback only: the board client runs on this computer, and no other
    // host may take the game's connection.
    if (!ServerSocket->listen(QHostAddress::LocalHost, port))
        throw std::runtime_error("cannot listen on port " + std::to_string(port) + ": " +
                                 ServerSocket->errorString().toStdString());
    port_ = port;
}

void TDM::CloseGameServer() {
    ServerSocket->close();
    DropClient();
    ClientConnected = false;
}

void TDM::DropClient() {
    if (client_ == nullptr)
        return;
    QTcpSocket* socket = client_;
    client_ = nullptr;
    ++clientSerial_;
    socket->disconnect(this);
    // Unread input would turn the close into a reset, which may cost the
    // client the last messages it has not read yet.
    socket->readAll();
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}

int32_t TDM::SendToClient(const uint8_t* data, int32_t size) {
    if (!ClientConnected)
        return -1;
    PendingReads = 0;
    if (client_ == nullptr || client_->state() != QAbstractSocket::ConnectedState)
        return -1;
    const qint64 written = client_->write(reinterpret_cast<const char*>(data), size);
    // The turn controller may block the thread next: the bytes must leave now,
    // not when the event loop runs again.
    client_->flush();
    return static_cast<int32_t>(written);
}

int32_t TDM::ReceiveFromClient(uint8_t* buffer, int32_t size) {
    if (PendingReads <= 0 || !ClientConnected)
        return -1;
    if (client_ == nullptr || !client_->isOpen())
        return -1;
    const qint64 read = client_->read(reinterpret_cast<char*>(buffer), size);
    --PendingReads;
    return static_cast<int32_t>(read);
}

uint16_t TDM::ListeningPort() const {
    return ServerSocket->isListening() ? ServerSocket->serverPort() : 0;
}

int64_t TDM::BytesWaiting() const {
    return client_ != nullptr ? client_->bytesAvailable() : 0;
}

void TDM::ServerSocketAccept() {
    while (QTcpSocket* socket = ServerSocket->nextPendingConnection()) {
        // One game at a time: a stray connection must not restart it. One of
        // another account goes the same way, and the real client may follow.
        if ((ClientConnected && client_ != nullptr) || !FromOwnAccount(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        DropClient();
        client_ = socket;
        // Messages are a few bytes each and go out one by one: without this,
        // Nagle's algorithm holds one back until the previous one is acknowledged.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // Bounded: see ClientReadBufferBytes.
        socket->setReadBufferSize(ClientReadBufferBytes);
        const uint64_t serial = ++clientSerial_;
        // Qt announces every arrival of bytes, read or not, which the read
        // gate needs: a notification cleared by a send is followed by a new one.
        connect(socket, &QTcpSocket::readyRead, this, &TDM::ServerSocketClientRead);
        // Queued: a send that finds the peer gone must not run the handler in
        // the middle of a turn step.
        connect(
            socket, &QAbstractSocket::disconnected, this,
            [this, serial] {
                if (serial == clientSerial_)
                    ServerSocketClientDisconnect();
            },
            Qt::QueuedConnection);
        ClientConnected = true;
        if (AcceptHook)
            AcceptHook();
    }
}

void TDM::ServerSocketClientRead() {
    ++PendingReads;
}

void TDM::ServerSocketClientDisconnect() {
    DropClient();
    ClientConnected = false;
    if (DisconnectHook)
        DisconnectHook();
}

} // namespace net
