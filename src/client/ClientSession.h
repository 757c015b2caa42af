// One game as the client lives it: the connection, the decoder and the board
// model put together, the person's clicks turned into moves, and the automatic
// player of tests and the demo. Knows no widget; the window draws what it says.
#pragma once

#include "client/BoardModel.h"
#include "client/MatchModel.h"
#include "record/GameRecord.h"
#include "client/MessageDecoder.h"
#include "client/MovePicker.h"
#include "client/ServerLink.h"

#include <QObject>
#include <functional>

namespace client {

// The record and its notation are shared with the launcher.
using record::GameRecord;
using record::PipCount;
using record::PlayerName;
using record::SideGenitive;
using record::SideName;
using record::StandardStart;
using record::Turn;

struct SessionOptions {
    bool autoPlay = false;
    uint32_t seed = 1;
};

class ClientSession : public QObject {
    Q_OBJECT
  public:
    /*! log receives one line per decoded message, move sent and problem; it
        may be empty. */
    using LogSink = std::function<void(const QString&)>;
    ClientSession(SessionOptions options, LogSink log, QObject* parent = nullptr);

    /*! Connects to the referee on 127.0.0.1:port within windowMs. */
    void Start(quint16 port, int windowMs = 10000);
    /*! The person's click (see BoardModel::Click); a listed move is sent. */
    void ClickCell(int32_t cell);
    /*! Keyboard play (see BoardModel): focus step, pick the focused cell, cancel. */
    void MoveFocus(int step);
    void PickFocused();
    void CancelPick();
    /*! Whether the person may send command now (see MatchModel::Offers). */
    bool Offers(proc::Command command) const;
    /*! Sends one of the match's commands (level: a resignation's, 1..3) when
        it is offered; otherwise nothing. */
    void SendCommand(proc::Command command, int level = 0);
    /*! Shows a finished game instead of playing one (no connection): the
        board and the record as at its end, then GameOver. */
    void ShowRecord(const GameRecord& record);
    /*! The window is closing: closes the connection from our side. */
    void Close();

    const BoardModel& Model() const { return model_; }
    /*! The match around the game; unused by a single game. */
    const MatchModel& Match() const { return match_; }
    /*! The game so far, turn by turn. */
    const GameRecord& Record() const { return record_; }
    /*! A game began and the referee has not ended it, or a match has games to come. */
    bool GameRunning() const {
        return Connected() && model_.Started() &&
               (!model_.GameOver() || (match_.IsMatch() && !match_.MatchOver()));
    }
    bool Connected() const { return link_.IsConnected(); }
    ServerLink& Link() { return link_; }

  signals:
    void ConnectedToServer();
    void ConnectFailed(const QString& reason);
    /*! The referee on the port is another account's program: the client left it. */
    void ForeignServer();
    /*! The model changed: redraw. */
    void Changed();
    /*! A move echo was applied; the view animates it. */
    void MoveShown(const client::ShownMove& shown);
    /*! The referee closed the connection: the game is over. */
    void GameOver();

  private:
    void OnBytes(const QByteArray& bytes);
    void SendMove(proc::Move move);
    void Act(const ClickResult& result);
    void AutoAnswer();
    void Log(const QString& line) const;

    SessionOptions options_;
    LogSink log_;
    ServerLink link_;
    MessageDecoder decoder_;
    BoardModel model_;
    MatchModel match_;
    GameRecord record_;
    MovePicker picker_;
};

} // namespace client
