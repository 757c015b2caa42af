// ratings-db's corrections of a club's own data: rename, merge, points,
// reverse, register, and the log's listing.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

namespace db {
class TDModule;
}

namespace ratingsdb {

/*! The options of the corrections, for the parser; described in Russian
    or English. */
QList<QCommandLineOption> CorrectionOptions(bool russian);

/*! Whether the command line asks for a correction or the log. */
bool WantsCorrection(const QCommandLineParser& parser);

struct CorrectionResult {
    // 0 done, 1 the database failed, 2 refused (nothing changed), 3 done but
    // some results waiting in the outbox still name the old player
    int code;
    QString message;
};

/*! Runs the one correction asked for on module; programFolder, when given,
    is the folder whose waiting results follow a rename or merge. */
CorrectionResult RunCorrection(const QCommandLineParser& parser, db::TDModule& module,
                               const QString& programFolder);

} // namespace ratingsdb
