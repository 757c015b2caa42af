// The program's own record of a game: UTF-8 text that a person reads and the
// program reads back, replaying it by the rules.
#pragma once

#include "record/GameRecord.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace record {

/*! The date line of a record, a game's or a match's: "Дата: 09.12.2026 20:00". */
inline const QString RecordDateKey = QStringLiteral("Дата: ");
inline const QString RecordDateFormat = QStringLiteral("dd.MM.yyyy HH:mm");

/*! The record as text: a header (date, players and colours, the numbering,
    the start position when it is not the standard one, the opening roll),
    one numbered line per turn, and the result. */
QString RecordText(const GameRecord& record, const QDateTime& date);

/*! A record's text read back, not yet checked against the rules. */
struct ParsedRecord {
    QDateTime date;
    proc::Board start{};
    proc::Dice opening = 0;
    QString white;
    QString black;
    std::vector<Turn> turns;     // hit marks as written, not checked
    std::vector<int> turnLines;  // the line of each turn, from 1
};
/*! Reads RecordText back. A record written before each side had its own
    numbering (black's moves in white's numbers) reads as well. Nothing and a
    reason naming the line for text it cannot read. */
std::optional<ParsedRecord> ParseRecord(const QString& text, QString& error);

/*! ParseRecord, then the game replayed by the referee's rules: every move
    must be one that its roll allowed at that point, every pass a roll that
    allowed none. The record comes back finished, dated as written. */
std::optional<GameRecord> ReadRecord(const QString& text, QString& error);

/*! ParseRecord, then the moves applied as written, without asking the rules
    whether the rolls allowed them: for records the program wrote and checked
    when the game was played. A move must still take a checker of its side
    to a point the other side does not hold, and none may follow the end.
    The record keeps no messages: it is for showing the game. */
std::optional<GameRecord> ReplayRecord(const QString& text, QString& error);

} // namespace record
