// Results the database could not take yet: kept in the program folder until
// it answers, then recorded in the order the games ended, each exactly once.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
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
};

/*! Data/Outbox below a program folder: one file a result, named so that
    they sort in the order they were put. */
class Outbox {
  public:
    explicit Outbox(const QString& programFolder);

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

  private:
    QString folder_;
};

} // namespace db
