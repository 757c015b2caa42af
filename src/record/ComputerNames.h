// The names under which computers play: in the lists, the records, the
// journal and the club page. Everything that tells a computer's side from a
// person's asks here.
#pragma once

#include <QString>

namespace record {

/*! The built-in computer. */
inline const QString ComputerName = QStringLiteral("Компьютер");
/*! The outside engine, GNU Backgammon. */
inline const QString EngineName = QStringLiteral("GNU Backgammon");

/*! Whether a player of that name is a computer. */
inline bool IsComputerName(const QString& name) {
    return name == ComputerName || name == EngineName;
}

} // namespace record
