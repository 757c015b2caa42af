// Test seams and rigs of the turn controller: recording fakes for the
// waits and the results, scripted dice, temporary program folders, a
// loopback rig (real TDM, real client socket) and an independent checker of
// the message stream against the protocol's rules.
#pragma once

#include "ClientProto.h"
#include "TestClient.h"
#include "game/TurnController.h"
#include "net/TDM.h"

#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gametest {

class RecordingPause : public game::IPause {
  public:
    void Wait(int ms) override { waits.push_back(ms); }
    std::vector<int> Take() { return std::exchange(waits, {}); }
    std::vector<int> waits;
};

class RecordingSink : public game::IGameEndSink {
  public:
    void GameEnded(const game::GameResult& result) override {
        results.push_back(result);
        if (OnResult)
            OnResult();
    }
    std::vector<game::GameResult> results;
    /*! Runs inside GameEnded, as the modal announcement of the result would. */
    std::function<void()> OnResult;
};

/*! A temporary program folder whose Data/Board.cfg holds the given text. */
class ProgramFolder {
  public:
    explicit ProgramFolder(const std::string& boardText);
    ProgramFolder(); // no Board.cfg at all
    std::string Path() const { return dir_.path().toStdString(); }

  private:
    QTemporaryDir dir_;
};

/*! The shipped standard position. */
std::string StandardBoardText();
/*! Board.cfg text of 24 points, the rest of the cells zero. */
std::string BoardText(const proc::Board& board);
/*! A board from (cell, count) pairs. */
proc::Board MakeBoard(std::initializer_list<std::pair<int32_t, int32_t>> cells);

/*! A dice clock reading for which RollDice gives (first, second). */
uint32_t SeedFor(int first, int second);

/*! Replaces the dice clock: the scripted rolls first, then a counter from
    fallbackSeed up (deterministic games). Restores the real clock when gone. */
class ScriptedDice {
  public:
    explicit ScriptedDice(std::vector<std::pair<int, int>> rolls = {}, uint32_t fallbackSeed = 1);
    ~ScriptedDice();
    void Push(int first, int second);
    /*! Clock readings taken so far. */
    int Reads() const { return state_->reads; }

  private:
    struct State {
        std::vector<uint32_t> seeds;
        size_t next = 0;
        uint32_t counter = 1;
        int reads = 0;
    };
    std::shared_ptr<State> state_;
};

/*! Counts the bytes that reach the socket, so the client can catch up. */
class CountingLink : public game::IClientLink {
  public:
    explicit CountingLink(net::TDM& dm) : dm_(dm) {}
    int32_t SendToClient(const uint8_t* data, int32_t size) override;
    int32_t ReceiveFromClient(uint8_t* buffer, int32_t size) override {
        return dm_.ReceiveFromClient(buffer, size);
    }
    void CloseGameServer() override { dm_.CloseGameServer(); }
    int64_t sent = 0;

  private:
    net::TDM& dm_;
};

/*! Independent judge of the referee's message stream: replays it on its own
    board, with its own statement of the rules and not the engine's, and
    reports (as test failures) anything the rules forbid: order of messages,
    lists that differ from the legal moves, computer moves below the best
    ranked one, illegal moves, a pass while a move was possible. */
class ProtocolChecker {
  public:
    ProtocolChecker(QString first, QString second) : first_(first), second_(second) {}
    void Feed(const clientproto::Message& m);
    /*! The list may be sent again without a move in between (refusals). */
    bool allowResentList = false;
    const proc::Board& Board() const { return board_; }
    bool WhiteIsFirst() const { return whiteIsFirst_; }
    int moves = 0;
    int passes = 0;
    int lists = 0;
    int computerMoves = 0;
    int humanMoves = 0;

  private:
    bool Human(proc::Side side) const { return side == proc::White ? whiteHuman_ : blackHuman_; }
    QString first_, second_;
    bool started_ = false, whiteIsFirst_ = true;
    bool whiteHuman_ = false, blackHuman_ = false;
    bool whiteBuiltIn_ = false, blackBuiltIn_ = false;
    proc::Board board_{};
    proc::Dice dice_ = 0;
    proc::Side side_ = 0;
    int step_ = 1;
    bool mustList_ = false, mustPass_ = false, listSinceMove_ = false;
    size_t index_ = 0;
};

/*! The controller on a real socket, with a client in the same event loop.
    Ticks are driven by the test. */
class Rig {
  public:
    Rig(QString first, QString second, const std::string& boardText = StandardBoardText(),
        testclient::Options clientOptions = Manual());
    static testclient::Options Manual() {
        testclient::Options o;
        o.autoPlay = false;
        return o;
    }

    /*! Connects the client (the game starts) and waits for what was sent. */
    bool Connect();
    /*! Waits until the client has every byte sent so far. */
    bool Sync();
    /*! One timer step, then Sync. */
    void Tick();
    /*! The client sends a move message; waits until the referee is notified. */
    bool SendMove(proc::Move move);
    bool SendRaw(const proc::ByteArray& bytes);
    /*! Messages the client received since the last call. */
    std::vector<clientproto::Message> TakeNew();
    /*! Puts the running game into a chosen position. */
    void SetPosition(const proc::Board& board, proc::Dice dice, proc::Side side, uint8_t step = 1);

    ProgramFolder folder;
    net::TDM dm;
    CountingLink link{dm};
    game::FixedPlayerNames names;
    RecordingPause pause;
    RecordingSink sink;
    game::TurnController controller;
    testclient::TestClient client;

  private:
    size_t taken_ = 0;
};

/*! Starts the referee program with args plus a free port and no pauses;
    returns the port it reports, 0 when it did not come up. */
uint16_t StartRefereeProcess(QProcess& referee, const QStringList& args);

/*! The types of a run of messages, e.g. "1 2 3". */
std::string Types(const std::vector<clientproto::Message>& messages);

} // namespace gametest
