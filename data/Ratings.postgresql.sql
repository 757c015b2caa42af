-- The player database on a PostgreSQL server: the same tables, columns and
-- rows as Ratings.sql. Columns keep their order: the program inserts rows by
-- position. BIGINT holds every value SQLite's INTEGER holds.

-- The order of names in the lists: Russian, letter case ignored, Ё beside Е.
-- Deterministic, so names that compare equal are ordered by their bytes.
CREATE COLLATION RU_NAMES (provider = icu, locale = 'ru-RU-u-ks-level2');

CREATE TABLE PLAYERS (
  P_CODE   BIGINT PRIMARY KEY,
  P_NAME   TEXT   COLLATE "C" NOT NULL UNIQUE,
  P_POINTS BIGINT NOT NULL DEFAULT 0
);

CREATE TABLE GAMES (
  G_CODE       BIGINT PRIMARY KEY,
  G_GAMEDATE   TEXT,
  G_WINPLAYER  BIGINT NOT NULL,
  G_LOSEPLAYER BIGINT NOT NULL,
  G_SUPER      BIGINT NOT NULL,
  G_POINTS     BIGINT NOT NULL
);

-- One player's games, and clearing them.
CREATE INDEX GAMES_BY_WINNER ON GAMES (G_WINPLAYER);
CREATE INDEX GAMES_BY_LOSER ON GAMES (G_LOSEPLAYER);
-- The record of each game, beside its journal row under the game's code:
-- the identity it was played under and the record in the program's notation
-- (UTF-8 text, zlib-compressed behind its 4-byte big-endian length).
CREATE TABLE GAME_RECORDS (
  R_GAME   BIGINT  PRIMARY KEY,
  R_IDENT  TEXT    UNIQUE,
  R_RECORD BYTEA NOT NULL
);

-- Tournaments (system 0: round robin, 1: Swiss); players by entry number
-- from 1, with their rating points at entry; pairings by round and board:
-- N_SECOND NULL is a bye, N_WINNER the winner's entry number (NULL while
-- pending), N_GAME the journal row's code, N_CLAIM the computer playing it.
CREATE TABLE TOURNAMENTS (
  T_CODE    BIGINT  PRIMARY KEY,
  T_NAME    TEXT    NOT NULL,
  T_SYSTEM  BIGINT  NOT NULL,
  T_ROUNDS  BIGINT  NOT NULL,
  T_STARTED BIGINT  NOT NULL DEFAULT 0
);
CREATE TABLE TOURNAMENT_ENTRIES (
  E_TOURNAMENT BIGINT  NOT NULL,
  E_SEED       BIGINT  NOT NULL,
  E_PLAYER     BIGINT  NOT NULL,
  E_POINTS     BIGINT  NOT NULL,
  E_WITHDRAWN  BIGINT  NOT NULL DEFAULT 0,
  PRIMARY KEY (E_TOURNAMENT, E_SEED),
  UNIQUE (E_TOURNAMENT, E_PLAYER)
);
CREATE TABLE TOURNAMENT_PAIRINGS (
  N_TOURNAMENT BIGINT  NOT NULL,
  N_ROUND      BIGINT  NOT NULL,
  N_BOARD      BIGINT  NOT NULL,
  N_FIRST      BIGINT  NOT NULL,
  N_SECOND     BIGINT ,
  N_WINNER     BIGINT ,
  N_FORFEIT    BIGINT  NOT NULL DEFAULT 0,
  N_GAME       BIGINT ,
  N_CLAIM      TEXT,
  PRIMARY KEY (N_TOURNAMENT, N_ROUND, N_BOARD)
);
-- The club's corrections of its own data, each with who made it, when
-- (UTC, ISO 8601), what it changed and why: C_KIND is rename, merge, points,
-- reverse or register; C_OTHER the row merged away or the game reversed;
-- C_AFTER the journal's last game code then, placing it in a history.
CREATE TABLE CORRECTIONS (
  C_CODE       BIGINT PRIMARY KEY,
  C_TIME       TEXT    NOT NULL,
  C_WHO        TEXT    NOT NULL,
  C_KIND       TEXT    NOT NULL,
  C_PLAYER     BIGINT NOT NULL,
  C_OTHER      BIGINT,
  C_AFTER      BIGINT NOT NULL,
  C_OLD_NAME   TEXT,
  C_NEW_NAME   TEXT,
  C_OLD_POINTS BIGINT,
  C_NEW_POINTS BIGINT,
  C_REASON     TEXT
);

-- The ratings list reads this index in order instead of sorting every player.
CREATE INDEX PLAYERS_BY_POINTS ON PLAYERS (P_POINTS DESC, P_NAME COLLATE RU_NAMES);
-- So does the new-game list, every player by name.
CREATE INDEX PLAYERS_BY_NAME ON PLAYERS (P_NAME COLLATE RU_NAMES);

-- The computer's own row: games against the computer carry code 1.
INSERT INTO PLAYERS VALUES (1, 'Computer', 0);
