// A player's row as the stores read it, and which rows are the computers'.
#pragma once

#include <QString>
#include <optional>

namespace db {

class TQuery;

struct PlayerRow {
    qint64 code = 0;
    qint64 points = 0;
};

/*! The row of exactly this name (statement 8), read on query, which stays
    open on it; nullopt where there is none. Throws DbError. */
std::optional<PlayerRow> FindPlayer(TQuery& query, const QString& name);

/*! Whether a row of this name is a computer's, no person's: the built-in
    computer's own row "Computer", or a name computers play under. */
bool IsComputerRow(const QString& name);

} // namespace db
