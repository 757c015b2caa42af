// The database windows as the main menu and the start-up reach them.
#pragma once

#include "db/DatabaseConfig.h"
#include "db/ResultRecording.h"

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

namespace shell {

/*! Creates, in start-up order, the database module (its DataModuleCreate runs
    at once; a failure is dropped and leaves the queries closed, after one
    notice saying so, with the server's text, when a database server cannot
    be used), TForm5, TForm7
    and TForm8, and sets db::DModule, Form5, Form7 and Form8. Needs ProgramFolder
    and DialogBackground set. */
void CreateDatabaseObjects(std::vector<std::unique_ptr<QObject>>& objects);
/*! The same in steps. The module of the database Data/Database.cfg chooses
    when connecting it may be told (a server, or a Database.cfg that cannot
    be used): then none is returned. A file's failures are silent: it is
    returned, for CreateDatabaseModule to connect later. */
std::optional<db::DatabaseChoice> CreateToldDatabaseModule(
    std::vector<std::unique_ptr<QObject>>& objects);
void CreateDatabaseModule(std::vector<std::unique_ptr<QObject>>& objects,
                          const db::DatabaseChoice& choice);
void CreateDatabaseWindows(std::vector<std::unique_ptr<QObject>>& objects);

/*! Label3Click of the main menu. */
void OpenRegistration();
/*! Label4Click of the main menu. A server out of reach is told in a notice;
    throws db::DbError when the ratings cannot be read otherwise. */
void OpenRatings();

/*! The announcer of result recording: a plain notice. */
class NoticeAnnouncer : public db::Announcer {
  public:
    void Announce(const QString& text) override;
    /*! In an error box, each trouble once while the program runs. */
    void OutboxTrouble(const db::DeliveryReport& report) override;
};

/*! The rest of EndOfGame on the program's database module, announcing through
    notices, with the game's record for the archive and the tournament
    pairing it was played for. A failed recording
    (nothing recorded) is told in an error box. True when the result is in
    the journal or waits in the outbox: its pairing is decided or will be. */
bool RecordGameResult(int32_t r, const QString& whiteName, const QString& blackName,
                      bool whiteHuman, bool blackHuman, const db::ArchivedGame& archived = {},
                      const QString& pairing = {});

} // namespace shell
