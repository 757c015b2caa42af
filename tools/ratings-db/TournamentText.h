// A tournament's standings as plain text, for ratings-db --tournament.
#pragma once

#include <QString>

namespace db {
class TDModule;
}

namespace ratingsdb {

struct TournamentTextResult {
    int code = 0; // 0 printed, 1 the database cannot be read, 2 no such tournament
    QString text; // the standings, or why not
};

/*! The standings of tournament id: place, name, wins, the tie-break, the
    head-to-head wins and rating points, each column named. */
TournamentTextResult TournamentText(db::TDModule& module, const QString& id);

} // namespace ratingsdb
