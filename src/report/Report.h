// The club's page: a static site made from the ratings database.
#pragma once

#include "db/DatabaseConfig.h"

#include <QString>

namespace report {

struct ReportResult {
    int code = 0; // 0 made; 1 the database or the folder failed, nothing changed
    QString message;
};

/*! Reads the database and writes the whole site into dir, made where missing. */
ReportResult MakeReport(const db::DatabaseChoice& choice, const QString& dir);

} // namespace report
