// The club's page: a static site made from the ratings database.
#pragma once

#include "db/DatabaseConfig.h"
#include "report/SiteWriter.h"

#include <QString>
#include <QStringList>

namespace report {

struct ReportOptions {
    bool full = false;            // every page made again, whatever the site holds
    QString made;                 // the time the pages say they were made; empty: now
    QString clubFile;             // the club's name, logo and colours (ReadClubLook); empty: none
    SiteWriter::FaultHook fault;  // for tests: each step of the commit
};

struct ReportResult {
    int code = 0; // 0 made; 1 the database or the folder failed, nothing changed
    QString message;
    QString fullRun;      // why every page was made; empty: only what changed
    QStringList warnings; // the club's settings that could not be used
};

/*! Reads the database and writes the site into dir, made where missing. A
    site this made before, with its state, gets only the pages whose content
    changed; anything else (no state, a damaged one, another version, a
    cleared journal, a player gone or renamed, options.full) a full run. What
    options.clubFile holds that cannot be used is a warning, never a failure. */
ReportResult MakeReport(const db::DatabaseChoice& choice, const QString& dir,
                        const ReportOptions& options = {});

/*! The club's settings file of a program folder: Data/Club.cfg, or empty when
    it has none. */
QString ClubFileOf(const QString& programFolder);

} // namespace report
