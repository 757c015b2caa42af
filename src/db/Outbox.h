// Results the database could not take yet: kept in the program folder until
// it answers, then recorded in the order the games ended, each exactly once.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace db {

/*! A finished game whose result waits to be recorded. */
struct PendingResult {
    QString identity; // the game's start time and a random id; stored with its record
    int32_t r = 0;    // CheckGameEnd's value
    QString whiteName;
    QString blackName;
    bool whiteHuman = false;
    bool blackHuman = false;
    QString date;       // the journal's date text of the day the game ended
    QString recordText; // the game's record, or empty
    QString pairing = {}; // the tournament pairing it was played for, or empty
};

/*! How the outbox puts its writes on disk before it counts on them. */
struct DiskSync {
    /*! Makes the data written to an open file durable; false when the system
        could not (the data may be lost at a power cut). */
    std::function<bool(int descriptor)> file;
    /*! Makes a folder's entries durable: names renamed into it, made or removed. */
    std::function<void(const QString& folder)> folder;
};

/*! fsync on the file and on the folder. */
DiskSync SystemDiskSync();

/*! Data/Outbox below a program folder: one file a result, named so that
    they sort in the order they were put. */
class Outbox {
  public:
    explicit Outbox(const QString& programFolder, DiskSync sync = SystemDiskSync());

    /*! Keeps a result, atomically and durably. False and a reason when the
        folder or file cannot be written. */
    bool Put(const PendingResult& result, QString& error);

    struct Entry {
        QString file;
        PendingResult result;
    };
    /*! The results waiting, oldest first. Files that cannot be read are left
        where they are (and named in reasons). */
    std::vector<Entry> Pending(QStringList* reasons = nullptr) const;

    /*! Drops a result once it is recorded (or found recorded). */
    void Remove(const Entry& entry);
    /*! Renames a result that can never be recorded out of the queue
        (".failed"), keeping it for a person to look at. */
    void SetAside(const Entry& entry);
    /*! A player's new name in every result waiting (a rename, a merge); the
        results that could not be rewritten, each as "file: why". */
    QStringList RenamePlayer(const QString& from, const QString& to);

  private:
    bool MakeFolder(QString& error);
    bool WriteEntry(const QString& name, const QByteArray& bytes, QString& error);

    QString folder_;
    DiskSync sync_;
};

} // namespace db
