// The headless referee: the game server socket and the turn controller
// wired as the new-game dialog wires them, without any window. It referees
// one game with the first client that connects.
#pragma once

#include "game/EngineSeat.h"
#include "game/TurnController.h"
#include "net/TDM.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace referee {

struct RefereeOptions {
    uint16_t port = 0; // 0: any free port (see Referee::Port)
    QString first;     // the dialog's first list: a name or "Компьютер"
    QString second;    // the dialog's second list
    QString programFolder = QStringLiteral(".");
    double pauseScale = 1.0; // multiplies every wait; 0: none
    int tickMs = 1000;       // the turn timer; below 0: no timer (the owner ticks)
    bool record = false;     // record the result in the program folder's database
    int level = 0;           // GNU Backgammon's plies
    int engineWaitMs = 10000; // the longest wait for its start and each answer
    int length = 1;          // a match to this many points with the cube; 1: one game
    // A headless match instead of one game (--match N): no port, no client.
    int64_t match = 0;
    uint64_t seed = 0;    // the match's dice; without --seed, from the clock
    int firstLevel = -1;  // the level of each player in a match; -1: level
    int secondLevel = -1;
    QString saveDir;      // each game of the match as .mat (each match, for --length)
};

/*! --port P --first NAME --second NAME [--program-folder DIR]
    [--pause-scale X] [--tick MS] [--record] [--level N] [--engine-wait MS]
    [--length L], or --match N --first NAME --second NAME [--length L]
    [--seed S] [--save DIR] [--level N] [--first-level N] [--second-level N]
    [--program-folder DIR], where a
    match's names are computers ("Компьютер", "GNU Backgammon").
    False with a message on error. */
bool ParseRefereeArguments(const QStringList& args, RefereeOptions& options, QString& error);

/*! "winner: NAME (white); loser: NAME (black); margin: N". */
QString ResultLine(const game::GameResult& result);

class Referee : public QObject, private game::IGameEndSink {
    Q_OBJECT
  public:
    /*! pause: the controller's waits; null gives a sleeping pause scaled by
        options.pauseScale. It must outlive the referee. */
    explicit Referee(const RefereeOptions& options, game::IPause* pause = nullptr,
                     QObject* parent = nullptr);
    ~Referee() override;

    /*! Checks that the initial position can be read (proc::InOutError), then
        listens (std::runtime_error) and starts the turn timer. */
    void Start();
    uint16_t Port() const { return DM.ListeningPort(); }

    /*! Where --record prints the announcement and its notices (one call per text). */
    std::function<void(const QString&)> Print;

    net::TDM DM;
    std::optional<game::GameResult> Result;

  signals:
    /*! The game is over: 0 with the result line, 1 when the client left first,
        3 when --record was given and the recording failed (nothing recorded),
        4 when the database could not take it and it waits in the outbox. */
    void Finished(int exitCode, const QString& line);

  private:
    void GameEnded(const game::GameResult& result) override;
    // The exit code: 0 recorded, 3 not recorded, 4 kept in the outbox.
    int Record(const game::GameResult& result);

    RefereeOptions options_;
    std::unique_ptr<game::IPause> ownPause_;
    game::FixedPlayerNames names_;
    game::ClientLinkOf<net::TDM> link_;
    game::EngineSeats seats_;

  public:
    game::TurnController Controller;
    QTimer* Timer = nullptr;
};

} // namespace referee
