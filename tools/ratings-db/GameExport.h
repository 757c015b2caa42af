// ratings-db --export: one game of the archive written to a file.
#pragma once

#include <QString>

namespace db {
class TDModule;
}

namespace ratingsdb {

/*! What an export came to: exit code 0 (written), 1 (the database or the
    file failed) or 2 (no such game, no record, or an unknown file type),
    and the line that says so. */
struct ExportResult {
    int code = 0;
    QString message;
};

/*! Writes game code of the module's archive to file, in the format its
    extension names (.txt, .mat, .sgf); a match's record as the whole match. */
ExportResult ExportGame(db::TDModule& module, const QString& code, const QString& file);

} // namespace ratingsdb
