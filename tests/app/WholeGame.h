// What a whole game through the program needs around it: a program folder
// whose board client is the scripted test client on a free loopback port, a
// copy of the shipped database, a fixed dice clock, and the dialog opened and
// filled. Shared by the whole-program tests and benchmarks.
#pragma once

#include "common/QStringPrint.h"

#include "ShellTestSupport.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <ostream>

class QComboBox;

namespace apptest {

/*! A loopback port nobody listens on right now. */
uint16_t FreePort();

/*! A standard program folder (the current directory while it lives) with
    Options.cfg naming "./client" on Port(), a writable copy of the shipped
    Data/Ratings.mdb and the shipped Data/Board.cfg. The client script is
    written by WriteClient. */
class GameFolder : public shelltest::ProgramFolderFixture {
  public:
    GameFolder();
    uint16_t Port() const { return port_; }
    QString DatabasePath() const { return File(QStringLiteral("Data/Ratings.mdb")); }
    /*! Options.cfg with this client path, verbatim. */
    void WriteOptions(const QString& clientPath) const;
    /*! "./client": execs the test client on Port() with these options. */
    void WriteClient(const QByteArray& options = "--pick first") const;
    /*! "./client" as a launcher: starts the test client in the background
        and ends at once with status 0. */
    void WriteLauncher(const QByteArray& options = "--pick first") const;
    /*! A file of the shipped program folder; empty when it cannot be read. */
    static QByteArray ReadShipped(const QString& relative);

  private:
    uint16_t port_;
};

/*! Fixes the dice clock: the opening roll gives white to the first list's
    player (first) or to the second's, and every later roll follows from it,
    so the same players and moves make the same game. */
void FirstListPlaysWhite(bool first);

/*! A Board.cfg where white has one checker left on point 1 and black
    blackLeft on point 24: whoever plays white bears off at once and wins by
    blackLeft. */
QByteArray WhiteWinsAtOnce(int blackLeft);

/*! Runs the event loop until done() or ms have passed; returns done(). */
bool WaitFor(const std::function<bool()>& done, int ms = 60000);

/*! Opens the new-game dialog from the main menu and waits for its lists. */
bool OpenDialog();

/*! Picks name in the list as the user does; false when it is not offered. */
bool Pick(QComboBox* box, const QString& name);

} // namespace apptest

