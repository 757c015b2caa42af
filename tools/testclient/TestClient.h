// A console stand-in for the board client: connects to the referee, logs
// every message in one decoded line, and plays a person's side by answering
// each non-empty legal-move list with one of its moves. It can misbehave on
// purpose, so tests can watch the referee refuse bad input.
#pragma once

#include "ClientProto.h"

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

class QTcpSocket;

namespace testclient {

enum class Pick { First, Last, Random };
enum class Fault {
    Garbage,     // bytes whose first byte is not 1, behind a refused move in the same write
    Short,       // the move's first three bytes only
    OutsideList, // a move of an own checker that the list does not hold
    OutOfRange,  // cells beyond the board
};

struct Options {
    bool autoPlay = true; // answer every non-empty list
    Pick pick = Pick::First;
    uint32_t seed = 1;
    /*! Bad messages sent, in this order, before the proper answer to each list. */
    std::vector<Fault> faults;
    /*! How many lists get the bad messages before their answer (0: every list). */
    int faultyLists = 0;
    /*! Closes the connection after this many received messages (0: never). */
    int disconnectAfter = 0;
};

class TestClient : public QObject {
    Q_OBJECT
  public:
    explicit TestClient(Options options, QObject* parent = nullptr);

    void ConnectTo(uint16_t port);
    /*! Sends raw bytes in one write. */
    void Send(const proc::ByteArray& bytes);
    /*! Closes the connection from this side. */
    void Disconnect();

    bool Connected() const;
    /*! The connection was made at some time. */
    bool EverConnected() const { return everConnected_; }
    /*! The connection ended (either side closed it). */
    bool Finished() const { return finished_; }
    /*! Every message received, decoded, in order. */
    const std::vector<clientproto::Message>& Messages() const { return messages_; }
    /*! The log: "< " received and "> " sent lines. */
    const QStringList& Log() const { return log_; }
    /*! Moves this client sent as answers (one-based cells). */
    const std::vector<proc::Move>& Answers() const { return answers_; }
    bool StreamBroken() const { return splitter_.Broken(); }
    int64_t BytesReceived() const { return bytesReceived_; }

    /*! Called for every log line as it is made (for printing). */
    std::function<void(const QString&)> OnLogLine;
    /*! Called for every received message, before the client answers it. */
    std::function<void(const clientproto::Message&)> OnMessage;

  signals:
    void ConnectionEnded();

  private:
    void ReadAll();
    void Handle(const clientproto::Message& message);
    void AnswerList();
    void SendFault(Fault fault, proc::Move proper);
    void SendLogged(const proc::ByteArray& bytes, const QString& what);
    void AddLog(const QString& line);
    proc::Move PickMove();
    void End();

    Options options_;
    QTcpSocket* socket_;
    clientproto::MessageSplitter splitter_;
    std::vector<clientproto::Message> messages_;
    std::vector<proc::Move> answers_;
    QStringList log_;
    std::mt19937 random_;
    std::vector<proc::Move> list_; // the last list received, still to be answered
    size_t faultIndex_ = 0;        // faults already sent against the current list
    int faultyListsDone_ = 0;      // lists answered after faults
    bool finished_ = false;
    bool everConnected_ = false;
    int64_t bytesReceived_ = 0;
};

/*! Parses the test client's command line (after the program name):
    --port P [--pick first|last|random] [--seed S] [--garbage] [--short]
    [--outside-list] [--out-of-range] [--faulty-lists N] [--disconnect-after N]
    [--watch].
    --watch: log only, never answer. Returns false with a message on error. */
bool ParseTestClientArguments(const QStringList& args, Options& options, uint16_t& port,
                              QString& error);

} // namespace testclient
