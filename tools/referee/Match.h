// Headless matches: N games between two computer players, no board client
// and no pauses, dice from a seed, colours alternating, two games at once.
#pragma once

#include "MatchFigures.h"
#include "game/GamePorts.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

namespace referee {

struct MatchPlayer {
    QString name; // "Компьютер" or "GNU Backgammon"
    int plies = 0;
};

struct MatchOptions {
    int64_t games = 0;
    uint64_t seed = 0;
    MatchPlayer first;
    MatchPlayer second;
    QString programFolder = QStringLiteral("."); // Data/Board.cfg; the engine's socket folder
    QString saveDir;                             // each game as .mat; empty: none
    int workers = 2;                             // games played at once
    int length = 1; // each unit a match to this many points; 1: single games
};

/*! The dice of game index of a match from seed: the same for every run. */
std::function<uint16_t()> MatchDice(uint64_t seed, int64_t index);

/*! A finished game of a match, as the progress hears of it. */
struct MatchGame {
    int64_t done = 0;  // games finished so far, this one included
    int64_t index = 0; // the game's number from 0: its dice and colours
    const game::GameResult& result;
};

/*! Plays the match (games, or matches of options.length); stop (set from a signal handler) ends it after the games
    in play are given up. progress, if set, is told each finished game (from
    the worker threads, one at a time). Throws
    proc::InOutError when the initial position cannot be read and
    std::runtime_error when a game cannot be saved. */
MatchFigures PlayMatch(const MatchOptions& options, const std::atomic<bool>& stop,
                       const std::function<void(const MatchGame&)>& progress = {});

} // namespace referee
