// The game server socket: listens on loopback for the board client and
// carries the protocol's messages over its one connection, on the GUI
// thread's event loop.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QTcpServer;
class QTcpSocket;

namespace net {

/*! Most bytes of the client's that wait unread in this process: one
    receive's worth (the referee receives up to 2000 bytes at a time). The
    rest stays in the kernel, and TCP flow control holds the sender back, so
    a client that floods the referee cannot grow its memory. Qt reads on
    from the kernel only once a read has emptied its buffer; a buffer no
    larger than one receive is emptied by every receive, so a flood is read
    through, one notification per receive, and a move after it still comes. */
inline constexpr int64_t ClientReadBufferBytes = 2000;

class TDM : public QObject {
    Q_OBJECT
  public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    /*! The listening socket; listens on 127.0.0.1 only. */
    QTcpServer* ServerSocket;
    /*! True from the acceptance of a client until it disconnects, the server
        closes it, or the next OpenGameServer. */
    bool ClientConnected = false;
    /*! Read notifications that no receive has consumed yet. */
    int32_t PendingReads = 0;

    /*! Runs inside ServerSocketAccept after ClientConnected is set (the turn
        controller's StartGame). Exceptions pass through to the caller. */
    std::function<void()> AcceptHook;
    /*! Runs inside ServerSocketClientDisconnect after ClientConnected is
        cleared (closes the new-game dialog, whose close stops the game). */
    std::function<void()> DisconnectHook;

    /*! Clears ClientConnected, then listens on the port. Listening already on
        that port changes nothing else. Throws std::runtime_error when asked
        for another port while listening, or when the port cannot be bound.
        Port 0 picks a free port (see ListeningPort). */
    void OpenGameServer(uint16_t port);
    /*! Stops listening and closes the client connection, without running the
        disconnect hook; ClientConnected becomes false. Nothing on a closed socket. */
    void CloseGameServer();
    /*! -1 and nothing sent when no client is connected. Otherwise clears
        PendingReads, writes the bytes and pushes them out at once (the caller
        may block the thread right after); returns what the socket accepted,
        -1 on a socket error (which is dropped). */
    int32_t SendToClient(const uint8_t* data, int32_t size);
    /*! -1 when PendingReads <= 0, no client is connected or its connection is
        gone. Otherwise reads up to size bytes that have arrived, consumes one
        notification and returns the number read. */
    int32_t ReceiveFromClient(uint8_t* buffer, int32_t size);

    /*! The port the socket listens on, 0 when closed. */
    uint16_t ListeningPort() const;
    /*! Bytes taken from the client's connection into this process and not
        received yet: at most ClientReadBufferBytes; more may wait in the kernel. */
    int64_t BytesWaiting() const;

    /*! Takes every pending connection: the first one from a program of this
        process's own account while no client is connected becomes the client
        (and the game starts); any other one is closed at once, and one of
        another account is logged. */
    void ServerSocketAccept();
    /*! Counts one read notification; reads nothing. */
    void ServerSocketClientRead();
    /*! The client has closed its connection. */
    void ServerSocketClientDisconnect();

  private:
    void DropClient();

    QTcpSocket* client_ = nullptr;
    uint64_t clientSerial_ = 0; // tells a stale disconnect notice from the current client's
    uint16_t port_ = 0;
};

/*! The one instance, created at start-up after the main window. */
extern TDM* DM;

} // namespace net
