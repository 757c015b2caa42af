#include "PgTestServer.h"

#include "db/Statements.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pgtest {

namespace {

const QString Script = QStringLiteral(VERTAN_SOURCE_DIR "/tests/db/pg-test-server.sh");
QString ownServerDir;

void StopOwnServer() {
    const std::string command =
        (Script + " stop '" + ownServerDir + "' >/dev/null 2>&1").toStdString();
    [[maybe_unused]] const int status = std::system(command.c_str());
}

bool Running(const QString& dir) {
    return QFile::exists(dir + QStringLiteral("/.s.PGSQL.5432"));
}

QString ServerDir() {
    if (Running(SharedServerDir()))
        return SharedServerDir();
    if (ownServerDir.isEmpty()) {
        ownServerDir = QDir::tempPath() + QStringLiteral("/vertan-pg-own-%1").arg(getpid());
        QProcess start;
        start.start(Script, {QStringLiteral("start"), ownServerDir});
        start.waitForFinished(120000);
        EXPECT_EQ(start.exitCode(), 0) << start.readAllStandardError().toStdString();
        std::atexit(StopOwnServer);
    }
    return ownServerDir;
}

QString ConnectionString(const QString& dir, const QString& database) {
    return QStringLiteral("host=%1 port=5432 user=vertan dbname=%2").arg(dir, database);
}

// Runs statements on a connection of its own to one database.
void Run(const QString& connectionString, const QStringList& statements) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(connectionString);
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        for (const QString& statement : statements) {
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(statement))
                << statement.toStdString() << ": " << q.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

QString SharedServerDir() {
    return QStringLiteral(VERTAN_PG_TEST_SERVER);
}

QString NewDatabase(bool withSchema) {
    static int counter = 0;
    const QString dir = ServerDir();
    const QString database = QStringLiteral("ratings_%1_%2").arg(getpid()).arg(++counter);
    Run(ConnectionString(dir, QStringLiteral("postgres")),
        {QStringLiteral("CREATE DATABASE %1").arg(database)});
    const QString connection = ConnectionString(dir, database);
    if (withSchema)
        Run(connection, db::sql::Schema(db::Dialect::PostgreSQL));
    return connection;
}

void DropDatabase(const QString& connectionString) {
    static const QRegularExpression dbname(QStringLiteral("dbname=(\\S+)"));
    const QString database = dbname.match(connectionString).captured(1);
    QString admin = connectionString;
    admin.replace(dbname, QStringLiteral("dbname=postgres"));
    Run(admin, {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database)});
}

} // namespace pgtest
