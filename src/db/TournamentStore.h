// Tournaments kept in the database: their entries and pairings, the claims
// of the pairings being played, and the results as games, forfeits and
// withdrawals bring them. The rules themselves are src/tournament's.
#pragma once

#include "tournament/tournament.h"

#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

namespace db {

class TDModule;

/*! A step the tournament's state does not allow; what() is the text for
    the user (UTF-8). Nothing was changed. */
class TournamentRefused : public std::runtime_error {
  public:
    explicit TournamentRefused(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString Text() const { return QString::fromUtf8(what()); }
};

struct TournamentInfo {
    qint64 code = 0;
    QString name;
    tournament::System system = tournament::System::RoundRobin;
    int rounds = 0;
    bool started = false;
};

struct TournamentEntry {
    int seed = 0; // from 1
    qint64 player = 0;
    QString name; // as the lists show it: the computer is "Компьютер"
    qint64 points = 0;
    bool withdrawn = false;
};

struct TournamentPairing {
    int round = 0;
    int board = 0;
    int first = 0;  // entry numbers from 1
    int second = 0; // 0: a bye
    int winner = 0; // 0: pending
    bool forfeit = false;
    qint64 game = 0; // the journal row's code; 0: none
    QString claim;   // the computer playing it; empty: nobody
};

struct TournamentData {
    TournamentInfo info;
    std::vector<TournamentEntry> entries;
    std::vector<TournamentPairing> pairings;

    /*! The rules' view: players by entry number - 1. */
    std::vector<tournament::Player> Players() const;
    std::vector<tournament::Game> Games() const;
    /*! The entry's name; empty for 0 or an unknown number. */
    QString Name(int seed) const;
    /*! The name as the standings show it: a withdrawn player's marked. */
    QString ShownName(int seed) const;
};

/*! Makes the tournaments' tables where they are missing (a database made
    before them) and the connection may create tables. Throws DbError (a
    role without the right included). Outside a transaction. */
void PrepareTournaments(TDModule& module);

/*! Every tournament by code; none where the tables are missing. Throws DbError. */
std::vector<TournamentInfo> ListTournaments(TDModule& module);
/*! One tournament whole. Throws DbError; TournamentRefused for an unknown code. */
TournamentData ReadTournament(TDModule& module, qint64 code);

/*! A new tournament, not started; rounds matter for the Swiss only. Returns
    its code. Refuses an empty name or a Swiss without rounds. */
qint64 CreateTournament(TDModule& module, const QString& name, tournament::System system,
                        int rounds);
/*! Enters a player: a person with 3 points or more, or one computer
    ("Компьютер" or "GNU Backgammon"). Refuses a started tournament, a player
    entered already, a second computer. */
void AddEntry(TDModule& module, qint64 code, const QString& name);
/*! Pairs the first round (a round robin: all of them) and starts it.
    Refuses fewer than two players or a tournament already started. */
void StartTournament(TDModule& module, qint64 code);

/*! Claims a pending pairing for this computer (claim names it): false when
    another holds it or it is decided. One UPDATE decides between computers
    claiming at once. */
bool ClaimPairing(TDModule& module, qint64 code, int round, int board, const QString& claim);
/*! Frees a pending pairing's claim (a computer that crashed while playing it). */
void ReleaseClaim(TDModule& module, qint64 code, int round, int board);

/*! The player absentSeed did not come: the other wins by forfeit. Refuses a
    bye or a decided pairing. */
void RecordForfeit(TDModule& module, qint64 code, int round, int board, int absentSeed);
/*! Withdraws a player: paired no more, his pending games forfeited to his
    opponents; his recorded games stay. Refuses a tournament not started. */
void WithdrawPlayer(TDModule& module, qint64 code, int seed);

/*! A pairing's key as the recording carries it. */
QString PairingKey(qint64 code, int round, int board);
/*! Where a pairing stands: its tournament, round and board. */
struct PairingPlace {
    qint64 code = 0;
    int round = 0;
    int board = 0;
};
/*! The pairing a key of PairingKey names; nullopt for any other text. */
std::optional<PairingPlace> ParsePairingKey(const QString& key);
/*! Frees the claim of the pairing a key names, as ReleaseClaim above; a key
    of no pairing changes nothing. */
void ReleaseClaim(TDModule& module, const QString& key);
/*! Inside the recording's transaction: the game gameCode, won by winner,
    decides the pairing of key (if still pending and winner is one of its
    players), and the next Swiss round is paired when this was the last
    game of a round. A key of no pairing changes nothing. */
void RecordPairingGame(TDModule& module, const QString& key, qint64 gameCode,
                       const QString& winner);

} // namespace db
