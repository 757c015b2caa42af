// One round of a kill harness: a referee that records its game and the test
// client that plays it.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace killharness {

struct Settings {
    QString programDir; // where referee and testclient are
    QString folder;     // the program folder whose Data/Ratings.mdb is recorded into
    QStringList players{"Анна", "Борис"}; // codes 2 and 3
    int rounds = 1000;
    uint32_t seed = 1;
    int outboxBatch = 0; // > 0: kill the outbox's write-out, results put this many at a time
};

/*! False on an unknown option or a missing value. */
bool Parse(const QStringList& args, Settings& s);

inline const QString ComputerName = QStringLiteral("Компьютер");

/*! Kinds of game, in turn: two people, a person as white against the
    computer, the computer against a person. */
QString FirstOf(const Settings& s, int kind);
QString SecondOf(const Settings& s, int kind);

/*! Starts the referee of a game of this kind and the client that plays it
    (picking its moves from seed); false with a reason on stderr when either
    did not come up. The game has begun once it returns. */
bool StartRound(const Settings& s, int kind, uint32_t seed, QProcess& referee, QProcess& client);

/*! Lets the client end (or kills it). */
void EndClient(QProcess& client);

} // namespace killharness
