// The client's end of the connection: connects to the referee, retrying while
// the launcher gets ready, and hands over the bytes as they come.
#pragma once

#include "proc/proc.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

namespace client {

/*! Most bytes taken from the referee per arrival: a referee that floods the
    client is held back by TCP flow control instead of growing its memory. */
inline constexpr qint64 ServerReadBufferBytes = 64 * 1024;

class ServerLink : public QObject {
    Q_OBJECT
  public:
    explicit ServerLink(QObject* parent = nullptr);

    /*! Connects to host:port. A refused or stalled attempt is retried every
        retryMs until windowMs have passed since this call; then Failed. A
        server of another account of this computer is left at once: then
        ForeignServer instead of Connected. */
    void Open(const QHostAddress& host, quint16 port, int windowMs = 10000, int retryMs = 250);
    /*! Sends one whole message; false when not connected. */
    bool Send(const proc::ByteArray& bytes);
    /*! Closes from our side (the window closed): no ClosedByServer follows. */
    void Close();
    bool IsConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

  signals:
    void Connected();
    void Failed(const QString& reason);
    /*! The program that answered belongs to another account; the link is closed. */
    void ForeignServer(uint uid);
    /*! An attempt failed and another follows after the retry interval. */
    void Retrying(const QString& reason);
    void BytesArrived(const QByteArray& bytes);
    /*! The referee closed the connection (after the last bytes were handed over). */
    void ClosedByServer();

  private:
    void Attempt();
    void AttemptFailed();
    void OnDisconnected();
    void CheckServerAccount();

    QTcpSocket socket_;
    QTimer retry_;
    QTimer stall_;
    QTimer ownerCheck_;
    int ownerChecks_ = 0;
    QElapsedTimer since_;
    QHostAddress host_;
    quint16 port_ = 0;
    int windowMs_ = 0;
    bool connected_ = false;
    bool closing_ = false;
    QString lastError_;
};

} // namespace client
