// The seams of the turn controller: what it needs from the socket, the
// new-game dialog, the clock and the result recording. Each is small so
// that tests and the headless referee can supply their own.
#pragma once

#include "record/ComputerNames.h"
#include "record/GameRecord.h"
#include "record/MatchRecord.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

namespace game {

/*! The computer player's name in the dialog's lists. */
inline const QString& ComputerName = record::ComputerName;

/*! The connection to the board client (the socket data module). */
class IClientLink {
  public:
    virtual ~IClientLink() = default;
    /*! Sends one whole message; the result is not looked at. */
    virtual int32_t SendToClient(const uint8_t* data, int32_t size) = 0;
    /*! One receive through the read gate: -1 when nothing is announced. */
    virtual int32_t ReceiveFromClient(uint8_t* buffer, int32_t size) = 0;
    virtual void CloseGameServer() = 0;
};

/*! Adapts any object with the three operations (net::TDM) without making
    this unit depend on it: ClientLinkOf<net::TDM> link(dm). */
template <class Socket> class ClientLinkOf : public IClientLink {
  public:
    explicit ClientLinkOf(Socket& socket) : socket_(socket) {}
    int32_t SendToClient(const uint8_t* data, int32_t size) override {
        return socket_.SendToClient(data, size);
    }
    int32_t ReceiveFromClient(uint8_t* buffer, int32_t size) override {
        return socket_.ReceiveFromClient(buffer, size);
    }
    void CloseGameServer() override { socket_.CloseGameServer(); }

  private:
    Socket& socket_;
};

/*! The two players chosen in the new-game dialog (ComboBox1, ComboBox2). */
class IPlayerNames {
  public:
    virtual ~IPlayerNames() = default;
    virtual QString FirstName() const = 0;
    virtual QString SecondName() const = 0;
};

class FixedPlayerNames : public IPlayerNames {
  public:
    FixedPlayerNames(QString first, QString second)
        : first_(std::move(first)), second_(std::move(second)) {}
    QString FirstName() const override { return first_; }
    QString SecondName() const override { return second_; }

  private:
    QString first_;
    QString second_;
};

/*! The controller's waits. The program blocks the GUI thread for them. */
class IPause {
  public:
    virtual ~IPause() = default;
    virtual void Wait(int ms) = 0;
};

/*! Blocks the calling thread for ms times scale (0: no wait at all). */
class ThreadSleepPause : public IPause {
  public:
    explicit ThreadSleepPause(double scale = 1.0) : scale_(scale) {}
    void Wait(int ms) override;

  private:
    double scale_;
};

/*! A finished game as EndOfGame hands it over. r is CheckGameEnd's result:
    negative, white has won; positive, black has won; |r| is the margin. */
struct GameResult {
    int32_t r = 0;
    QString whiteName;
    QString blackName;
    bool whiteHuman = false;
    bool blackHuman = false;
    /*! The game move by move, as the client was told it. */
    record::GameRecord record;
    /*! The game's identity: its start time and a random id. */
    QString identity;
    /*! A match longer than one point: its games, r its score's difference
        with the names and colours of its last game, record that game. */
    std::optional<record::MatchRecord> match;

    bool WhiteWon() const { return r < 0; }
    QString Winner() const { return WhiteWon() ? whiteName : blackName; }
    QString Loser() const { return WhiteWon() ? blackName : whiteName; }
    int32_t Margin() const { return r < 0 ? -r : r; }
    /*! The record in the program's own notation, dated by the game's start
        (a match's text for a match). */
    QString RecordText() const;
};

/*! Receives every finished game (the result recording). */
class IGameEndSink {
  public:
    virtual ~IGameEndSink() = default;
    virtual void GameEnded(const GameResult& result) = 0;
};

class NullGameEndSink : public IGameEndSink {
  public:
    void GameEnded(const GameResult&) override {}
};

} // namespace game
