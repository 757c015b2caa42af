// What the club's page shows, read from the ratings database in one pass:
// the players in the launcher's order and the whole journal by code.
#pragma once

#include "db/DatabaseConfig.h"
#include "db/TournamentStore.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace report {

struct Player {
    qint64 code = 0;
    QString name;
    qint64 points = 0;
};

/*! A match's length and final score, the winner's first; length 0: a single game. */
struct MatchScore {
    int length = 0;
    int winner = 0;
    int loser = 0;
};

struct JournalGame {
    qint64 code = 0;
    std::string date; // UTF-8: the pages are bytes, and workers share no QString
    qint64 winner = 0;
    qint64 loser = 0;
    qint64 margin = 0;
    qint64 award = 0;
    bool archived = false; // the archive holds its record
    quint64 recordKey = 0; // the record's identity and length, when archived
    MatchScore match{};    // known once its record is read
};

/*! A row of the club's correction log, as a history shows it. */
struct ClubCorrection {
    qint64 player = 0;
    qint64 after = 0;             // the journal's last game code when it was made
    std::string date;             // UTF-8, the day it was made (dd.MM.yyyy)
    std::string text;             // UTF-8, what it did, why and who, in words
    std::optional<qint64> points; // the player's points it set
};

struct Club {
    std::vector<Player> ratings;         // the launcher's order, without the computers
    std::vector<JournalGame> games;      // by code
    // Every code's name, the computer's as shown; UTF-8, so that the pages'
    // workers share no QString.
    std::unordered_map<qint64, std::string> names;
    qint64 computer = 1;                 // the computer's code
    std::optional<qint64> engine;        // the engine's code, once it has a row
    size_t archived = 0;                 // journal games with a record
    bool hasArchive = false;
    std::vector<db::TournamentData> tournaments; // by code

    std::vector<ClubCorrection> corrections; // by code
    std::unordered_set<qint64> reversed;     // games a correction reversed

    /*! Whether code is a computer's row: the built-in computer's or the engine's. */
    bool IsComputer(qint64 code) const { return code == computer || code == engine; }
};

/*! A read-only connection of its own to the chosen database, the Russian
    name order registered on SQLite. Throws db::DbError when it cannot open. */
class ReadConnection {
  public:
    /*! Opens it; a server's waits are bounded as the launcher's are. Throws
        db::DbError. */
    explicit ReadConnection(const db::DatabaseChoice& choice);
    ~ReadConnection();
    ReadConnection(const ReadConnection&) = delete;
    ReadConnection& operator=(const ReadConnection&) = delete;
    QSqlDatabase Database() const;
    db::Dialect Engine() const { return engine_; }
    /*! What it opened: another thread opens its own. */
    const db::DatabaseChoice& Choice() const { return choice_; }

  private:
    void Open(const db::DatabaseChoice& choice);
    void Drop();

    QString name_;
    db::Dialect engine_;
    db::DatabaseChoice choice_;
};

/*! Players, journal and which games have a record. Throws db::DbError. */
Club ReadClub(const ReadConnection& connection);

/*! Every tournament whole, by code; none where the tables are missing.
    Throws db::DbError. */
std::vector<db::TournamentData> ReadTournaments(const db::DatabaseChoice& choice);

/*! Where game code is in Club::games; games.size() when the journal has no such game. */
size_t GameIndex(const Club& club, qint64 code);

/*! Game code's record turned out unreadable (its bytes are damaged): the
    game has no page, so it is neither counted nor linked as one with a record. */
void MarkRecordUnreadable(Club& club, qint64 code);

/*! Game code's record is a match's: the lists show its length and score. */
void MarkMatch(Club& club, qint64 code, const MatchScore& score);

/*! Every record of the archive by code: the game's code and its record,
    packed as the archive keeps it (record::UnpackRecord). Throws db::DbError. */
void ForEachRecord(const ReadConnection& connection,
                   const std::function<void(qint64, const QByteArray&)>& visit);
/*! The same for the codes from (included) to (left out). */
void ForEachRecordBetween(const ReadConnection& connection, qint64 from, qint64 to,
                          const std::function<void(qint64, const QByteArray&)>& visit);

} // namespace report
