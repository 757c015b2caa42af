// The record of a match to N points: its games, each with the cube's story
// (doubles, takes, passes), the resignations offered and how it ended. A
// single game is a match of one game and length 1, and keeps its own text.
#pragma once

#include "match/match.h"
#include "record/GameRecord.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace record {

/*! A double before the roll of the game's turn number turn (0-based: the
    count of turns begun before it). value: the cube once taken. */
struct CubeAction {
    int turn = 0;
    proc::Side doubler = proc::White;
    int value = 2;
    bool taken = true;
};
/*! A resignation offered before or during the turn number turn. */
struct ResignAction {
    int turn = 0;
    proc::Side by = proc::White;
    match::Result level = match::Result::Single;
    bool accepted = false;
};

enum class GameEnd : int8_t { Unfinished, Play, Pass, Resign };

struct MatchGame {
    GameRecord game;
    /*! The colour the match's first player has in this game. */
    proc::Side firstSide = proc::White;
    /*! Scores before the game, the match's first player first. */
    int scoreFirst = 0;
    int scoreSecond = 0;
    bool crawford = false;
    std::vector<CubeAction> cube;
    std::vector<ResignAction> resignations;
    GameEnd end = GameEnd::Unfinished;
    proc::Side winner = 0;
    int points = 0;
    match::Result level = match::Result::Single;

    /*! The cube when the game ended: the value and owner of the last take. */
    match::Cube FinalCube() const;
};

struct MatchRecord {
    int length = 1;
    QString first;  // the match's first player, as the dialog named them
    QString second;
    std::vector<MatchGame> games;

    /*! The score after every finished game, the first player first. */
    std::pair<int, int> Score() const;
    /*! +1 when the first player has reached the length, -1 the second, 0 while
        the match goes on. */
    int Winner() const;
};

/*! How a finished game ended, from its record and actions: a pass, an
    accepted resignation, or the board (single, gammon, backgammon times the
    cube). Sets end, winner, points and level; a game not over stays
    Unfinished. */
void SettleGame(MatchGame& game);

/*! "очко", "очка" or "очков" as Russian counts n points. */
QString PointsWord(int n);

/*! A game's lines as the match's text has them: "Куб: белые удваивают до
    2, чёрные принимают", "Сдача: чёрные предлагают гаммон, белые
    отклоняют", and its result without the key, "победа белых (Анна), 2 очка
    (гаммон)" ("партия не окончена" while it goes on). */
QString CubeLine(const CubeAction& action);
QString ResignLine(const ResignAction& action);
QString GameEndText(const MatchGame& game);

/*! The match as text: a header (length, date, players, final score), then
    each game under a line with the score before it, as the game's own text
    with the cube's and the resignations' lines between the turns and the
    game's points after its result. */
QString MatchText(const MatchRecord& match, const QDateTime& date);
/*! Whether text is a match's (its first line names the length). */
bool IsMatchText(const QString& text);

/*! What a match's text says in its header, read without the games. */
struct MatchSummary {
    int length = 0;
    QString first;
    QString second;
    int scoreFirst = 0;
    int scoreSecond = 0;
};
/*! The header of a match's text; nothing when text is no match's or its
    header is damaged. */
std::optional<MatchSummary> ReadMatchSummary(const QString& text);
/*! "Матч до 5 очков окончен. Победитель: Анна, счёт 5:3 (Анна — Борис)." */
QString MatchEndText(const MatchSummary& summary);

/*! Reads MatchText back: each game through ReadRecord (checkRules, every
    roll allowing its moves) or ReplayRecord, each cube line checked against
    the cube rules at that point, the scores recomputed. Nothing and a reason
    naming the line for text it cannot read. */
std::optional<MatchRecord> ReadMatch(const QString& text, bool checkRules, QString& error);

} // namespace record
