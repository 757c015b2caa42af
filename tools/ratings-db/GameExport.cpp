#include "GameExport.h"

#include "db/DbError.h"
#include "db/GameArchive.h"
#include "db/Unit6.h"
#include "record/GameFile.h"

namespace ratingsdb {

ExportResult ExportGame(db::TDModule& module, const QString& code, const QString& file) {
    bool number = false;
    const qint64 game = code.toLongLong(&number);
    if (!number)
        return {2, QStringLiteral("%1 is no game code").arg(code)};
    const auto format = record::FormatOfPath(file);
    if (!format)
        return {2, QStringLiteral("%1: give a file ending in .txt, .mat or .sgf").arg(file)};
    std::optional<QString> text;
    try {
        // A database that cannot be read is told as such, not as a missing game.
        module.GenID(QStringLiteral("GAMES"));
        text = db::ReadGameRecord(module, game);
    } catch (const db::DbError& error) {
        return {1, QString::fromUtf8(error.what())};
    }
    if (!text)
        return {2, QStringLiteral("no game %1 with a record in the archive").arg(game)};
    QString error;
    // A match's record is written whole, in the format's match form.
    const auto read = record::ReadStored(*text, error);
    if (!read)
        return {1, QStringLiteral("the record of game %1 is damaged: %2").arg(game).arg(error)};
    if (!record::WriteStored(*read, *format, file, error))
        return {*format == record::GameFormat::Record ? 1 : 2, file + ": " + error};
    return {0, QStringLiteral("game %1 written to %2").arg(game).arg(file)};
}

} // namespace ratingsdb
