// A program folder in a temporary directory with Data/Ratings.mdb made from
// the shipped schema by the sqlite3 shell, and a second connection of its own
// for setting up and inspecting rows.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

class RatingsFolder {
  public:
    /*! withDatabase = false leaves Data/ without the file. */
    explicit RatingsFolder(bool withDatabase = true);
    ~RatingsFolder();

    QString Path() const { return dir_.path(); }
    QString DatabaseFile() const { return dir_.path() + "/Data/Ratings.mdb"; }

    /*! Runs one statement on the folder's own connection; fails the test on error. */
    void Exec(const QString& statement);
    /*! The first field of the first row, or an invalid value when there is none. */
    QVariant Scalar(const QString& statement);
    /*! Adds a player row. */
    void AddPlayer(int code, const QString& name, int points);
    /*! Adds a game row (code, winner, loser, margin, award; date "01.01.2026"). */
    void AddGame(int code, int winner, int loser, int margin = 1, int award = 1);
    /*! Every row of a statement, fields joined by "|", rows by ";". */
    QString Rows(const QString& statement);

    /*! The folder's own connection, e.g. for holding a lock. */
    QSqlDatabase Connection();

  private:
    QTemporaryDir dir_;
    QString name_;
};
