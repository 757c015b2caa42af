// Every row of a statement as text, for tests that compare tables.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <gtest/gtest.h>

namespace testcommon {

/*! Fields joined by "|", rows by ";"; a failing statement fails the test. */
inline QString SqlRows(const QSqlDatabase& connection, const QString& statement) {
    QSqlQuery q(connection);
    EXPECT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
    QStringList rows;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i)
            fields << q.value(i).toString();
        rows << fields.join('|');
    }
    return rows.join(';');
}

} // namespace testcommon
