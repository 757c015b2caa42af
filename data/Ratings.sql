-- The shipped player database (Data/Ratings.mdb). Columns keep their order:
-- the program inserts rows by position.

-- Readers (open views) never block a recording made by another process.
PRAGMA journal_mode = WAL;

CREATE TABLE PLAYERS (
  P_CODE   INTEGER PRIMARY KEY,
  P_NAME   TEXT    NOT NULL UNIQUE,
  P_POINTS INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE GAMES (
  G_CODE       INTEGER PRIMARY KEY,
  G_GAMEDATE   TEXT,
  G_WINPLAYER  INTEGER NOT NULL,
  G_LOSEPLAYER INTEGER NOT NULL,
  G_SUPER      INTEGER NOT NULL,
  G_POINTS     INTEGER NOT NULL
);

-- One player's games, and clearing them.
CREATE INDEX GAMES_BY_WINNER ON GAMES (G_WINPLAYER);
CREATE INDEX GAMES_BY_LOSER ON GAMES (G_LOSEPLAYER);
-- The record of each game, beside its journal row under the game's code:
-- the identity it was played under and the record in the program's notation
-- (UTF-8 text, zlib-compressed behind its 4-byte big-endian length).
CREATE TABLE GAME_RECORDS (
  R_GAME   INTEGER PRIMARY KEY,
  R_IDENT  TEXT    UNIQUE,
  R_RECORD BLOB NOT NULL
);

-- Tournaments (system 0: round robin, 1: Swiss); players by entry number
-- from 1, with their rating points at entry; pairings by round and board:
-- N_SECOND NULL is a bye, N_WINNER the winner's entry number (NULL while
-- pending), N_GAME the journal row's code, N_CLAIM the computer playing it.
CREATE TABLE TOURNAMENTS (
  T_CODE    INTEGER PRIMARY KEY,
  T_NAME    TEXT    NOT NULL,
  T_SYSTEM  INTEGER NOT NULL,
  T_ROUNDS  INTEGER NOT NULL,
  T_STARTED INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE TOURNAMENT_ENTRIES (
  E_TOURNAMENT INTEGER NOT NULL,
  E_SEED       INTEGER NOT NULL,
  E_PLAYER     INTEGER NOT NULL,
  E_POINTS     INTEGER NOT NULL,
  E_WITHDRAWN  INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (E_TOURNAMENT, E_SEED),
  UNIQUE (E_TOURNAMENT, E_PLAYER)
);
CREATE TABLE TOURNAMENT_PAIRINGS (
  N_TOURNAMENT INTEGER NOT NULL,
  N_ROUND      INTEGER NOT NULL,
  N_BOARD      INTEGER NOT NULL,
  N_FIRST      INTEGER NOT NULL,
  N_SECOND     INTEGER,
  N_WINNER     INTEGER,
  N_FORFEIT    INTEGER NOT NULL DEFAULT 0,
  N_GAME       INTEGER,
  N_CLAIM      TEXT,
  PRIMARY KEY (N_TOURNAMENT, N_ROUND, N_BOARD)
);
-- The club's corrections of its own data, each with who made it, when
-- (UTC, ISO 8601), what it changed and why: C_KIND is rename, merge, points,
-- reverse or register; C_OTHER the row merged away or the game reversed;
-- C_AFTER the journal's last game code then, placing it in a history.
CREATE TABLE CORRECTIONS (
  C_CODE       INTEGER PRIMARY KEY,
  C_TIME       TEXT    NOT NULL,
  C_WHO        TEXT    NOT NULL,
  C_KIND       TEXT    NOT NULL,
  C_PLAYER     INTEGER NOT NULL,
  C_OTHER      INTEGER,
  C_AFTER      INTEGER NOT NULL,
  C_OLD_NAME   TEXT,
  C_NEW_NAME   TEXT,
  C_OLD_POINTS INTEGER,
  C_NEW_POINTS INTEGER,
  C_REASON     TEXT
);

-- The ratings list reads this index in order instead of sorting every player.
CREATE INDEX PLAYERS_BY_POINTS ON PLAYERS (P_POINTS DESC, P_NAME);

-- The computer's own row: games against the computer carry code 1.
INSERT INTO PLAYERS VALUES (1, 'Computer', 0);
