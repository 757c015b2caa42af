#include "RatingsFolder.h"

#include "common/SqlRows.h"

#include "PgTestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <gtest/gtest.h>

std::string EngineName(const ::testing::TestParamInfo<db::Dialect>& info) {
    return info.param == db::Dialect::PostgreSQL ? "PostgreSQL" : "SQLite";
}

RatingsFolder::RatingsFolder(bool withDatabase, db::Dialect engine) : engine_(engine) {
    static int counter = 0;
    name_ = QStringLiteral("ratings-folder-%1").arg(++counter);
    QDir(dir_.path()).mkpath(QStringLiteral("Data"));
    if (engine == db::Dialect::PostgreSQL) {
        server_ = pgtest::NewDatabase(withDatabase);
        WriteConfig();
    } else if (withDatabase) {
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"),
                    {QStringLiteral("-bail"), DatabaseFile(),
                     QStringLiteral(".read ") + VERTAN_SOURCE_DIR + "/data/Ratings.sql"});
        EXPECT_TRUE(shell.waitForFinished(30000));
        EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    }
}

RatingsFolder::RatingsFolder(const QString& server)
    : name_(QStringLiteral("ratings-folder-server-%1").arg(server)),
      engine_(db::Dialect::PostgreSQL),
      server_(server) {
    QDir(dir_.path()).mkpath(QStringLiteral("Data"));
    WriteConfig();
}

void RatingsFolder::WriteConfig() {
    QFile config(dir_.path() + "/Data/Database.cfg");
    EXPECT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("postgresql\n" + server_.toUtf8() + "\n");
}

RatingsFolder::~RatingsFolder() {
    if (QSqlDatabase::contains(name_)) {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    if (!server_.isEmpty())
        pgtest::DropDatabase(server_);
}

QSqlDatabase RatingsFolder::Connection() {
    if (!QSqlDatabase::contains(name_)) {
        const bool server = engine_ == db::Dialect::PostgreSQL;
        QSqlDatabase db =
            QSqlDatabase::addDatabase(server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name_);
        if (server) {
            db.setConnectOptions(server_);
        } else {
            db.setDatabaseName(DatabaseFile());
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        }
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    }
    return QSqlDatabase::database(name_);
}

void RatingsFolder::HoldWriteLock() {
    for (const db::Statement& s : {db::sql::BeginWrite(), db::sql::LockWriters()})
        if (!s.Text(engine_).isEmpty())
            Exec(s.Text(engine_));
}

void RatingsFolder::Exec(const QString& statement) {
    QSqlQuery q(Connection());
    EXPECT_TRUE(q.exec(statement))
        << statement.toStdString() << ": " << q.lastError().text().toStdString();
}

QVariant RatingsFolder::Scalar(const QString& statement) {
    QSqlQuery q(Connection());
    EXPECT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
    return q.next() ? q.value(0) : QVariant();
}

void RatingsFolder::AddPlayer(int code, const QString& name, int points) {
    QSqlQuery q(Connection());
    q.prepare(QStringLiteral("INSERT INTO PLAYERS VALUES (?,?,?)"));
    q.addBindValue(code);
    q.addBindValue(name);
    q.addBindValue(points);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
}

void RatingsFolder::AddGame(int code, int winner, int loser, int margin, int award) {
    Exec(QStringLiteral("INSERT INTO GAMES VALUES (%1,'01.01.2026',%2,%3,%4,%5)")
             .arg(code)
             .arg(winner)
             .arg(loser)
             .arg(margin)
             .arg(award));
}

QString RatingsFolder::Rows(const QString& statement) {
    return testcommon::SqlRows(Connection(), statement);
}

QString RatingsFolder::RoleWithoutCreate(const QString& tables) {
    Exec("DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vertan_player') "
         "THEN CREATE ROLE vertan_player LOGIN; END IF; END $$");
    Exec("GRANT SELECT, INSERT, UPDATE, DELETE ON " + tables + " TO vertan_player");
    Exec("REVOKE CREATE ON SCHEMA public FROM PUBLIC");
    QString server = server_;
    return server.replace("user=vertan ", "user=vertan_player ");
}

