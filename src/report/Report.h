// The club's page: a static site made from the ratings database.
#pragma once

#include "db/DatabaseConfig.h"

#include <QString>
#include <QStringList>

namespace report {

struct ReportResult {
    int code = 0; // 0 made; 1 the database or the folder failed, nothing changed
    QString message;
    QStringList warnings; // the club's settings that could not be used
};

/*! Reads the database and writes the whole site into dir, made where missing,
    with the club's name, logo and colours from clubFile when it is given
    (ReadClubLook; what it cannot use is a warning, never a failure). */
ReportResult MakeReport(const db::DatabaseChoice& choice, const QString& dir,
                        const QString& clubFile = QString());

/*! The club's settings file of a program folder: Data/Club.cfg, or empty when
    it has none. */
QString ClubFileOf(const QString& programFolder);

} // namespace report
