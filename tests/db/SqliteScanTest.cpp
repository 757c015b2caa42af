// Rows read straight from SQLite read as Qt's driver reads them.
#include "db/DbError.h"
#include "db/SqliteScan.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Scanned {
    qint64 code;
    bool nullName;
    std::string name;
};

TEST(SqliteScan, ReadsWhatTheDriverWrote) {
    const QTemporaryDir dir;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "scan");
        db.setDatabaseName(dir.filePath("scan.db"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE T (C INTEGER PRIMARY KEY, N TEXT)"));
        // clang-format off
        const struct { qint64 code; QVariant name; } rows[] = {
            {-5, QStringLiteral("Пётр Ёлкин")},
            {0, QVariant()},
            {7, QStringLiteral("")},
            {9007199254740993, QString::fromUtf8("a\0b", 3)},
        };
        // clang-format on
        for (const auto& row : rows) {
            ASSERT_TRUE(q.prepare("INSERT INTO T VALUES (?, ?)"));
            q.addBindValue(row.code);
            q.addBindValue(row.name.isValid() ? row.name : QVariant(QMetaType(QMetaType::QString)));
            ASSERT_TRUE(q.exec());
        }
        std::vector<Scanned> read;
        db::ScanSqlite(db, "SELECT C, N FROM T ORDER BY C", [&](const db::ScanRow& row) {
            read.push_back({row.Int(0), row.IsNull(1), std::string(row.Utf8(1))});
        });
        ASSERT_EQ(read.size(), 4u);
        EXPECT_EQ(read[0].code, -5);
        EXPECT_EQ(read[0].name, "Пётр Ёлкин");
        EXPECT_TRUE(read[1].nullName);
        EXPECT_EQ(read[1].name, "");
        EXPECT_FALSE(read[2].nullName);
        EXPECT_EQ(read[3].code, 9007199254740993);
        EXPECT_EQ(read[3].name, std::string("a\0b", 3));

        // A statement the engine refuses, and one failing halfway, are errors.
        EXPECT_THROW(db::ScanSqlite(db, "SELECT X FROM T", [](const db::ScanRow&) {}),
                     db::DbError);
        int visited = 0;
        EXPECT_THROW(db::ScanSqlite(db, "SELECT abs(-9223372036854775807 - C - 1) FROM T ORDER BY C DESC",
                                    [&](const db::ScanRow&) { ++visited; }),
                     db::DbError);
        EXPECT_EQ(visited, 2) << "the rows before the failing one (C = 0) were read";
        db.close();
    }
    QSqlDatabase::removeDatabase("scan");
}

} // namespace
