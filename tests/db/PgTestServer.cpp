#include "PgTestServer.h"

#include "db/Statements.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pgtest {

namespace {

const QString Script = QStringLiteral(VERTAN_SOURCE_DIR "/tests/db/pg-test-server.sh");
QString ownServerDir;

bool RunScript(const QString& command, const QString& dir, const QStringList& more = {}) {
    QProcess script;
    script.start(Script, QStringList{command, dir} + more);
    script.waitForFinished(120000);
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    return script.exitCode() == 0;
}

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
        RunScript(QStringLiteral("start"), ownServerDir);
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

namespace {

QString NewDatabaseOn(const QString& dir, bool withSchema) {
    static int counter = 0;
    const QString database = QStringLiteral("ratings_%1_%2").arg(getpid()).arg(++counter);
    Run(ConnectionString(dir, QStringLiteral("postgres")),
        {QStringLiteral("CREATE DATABASE %1").arg(database)});
    const QString connection = ConnectionString(dir, database);
    if (withSchema)
        Run(connection, db::sql::Schema(db::Dialect::PostgreSQL));
    return connection;
}

} // namespace

QString NewDatabase(bool withSchema) {
    return NewDatabaseOn(ServerDir(), withSchema);
}

void DropDatabase(const QString& connectionString) {
    static const QRegularExpression dbname(QStringLiteral("dbname=(\\S+)"));
    const QString database = dbname.match(connectionString).captured(1);
    QString admin = connectionString;
    admin.replace(dbname, QStringLiteral("dbname=postgres"));
    Run(admin, {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database)});
}

PrivateServer::PrivateServer()
    : dir_(QDir::tempPath() + QStringLiteral("/vertan-pg-private-%1-%2")
                                  .arg(getpid())
                                  .arg(QUuid::createUuid().toString(QUuid::Id128).left(8))) {
    // A killed server must keep what it committed.
    RunScript(QStringLiteral("start"), dir_, {QStringLiteral("killable")});
}

PrivateServer::~PrivateServer() {
    Signal(SIGCONT);
    RunScript(QStringLiteral("stop"), dir_);
}

QString PrivateServer::NewDatabase() {
    return NewDatabaseOn(dir_, true);
}

void PrivateServer::Signal(int sig) {
    QFile pidFile(dir_ + QStringLiteral("/data/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return;
    const QByteArray postmaster = pidFile.readLine().trimmed();
    // The server's processes are the postmaster's children.
    QList<pid_t> pids{static_cast<pid_t>(postmaster.toInt())};
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (name) state ppid ...
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == postmaster)
            pids << static_cast<pid_t>(entry.toInt());
    }
    for (pid_t pid : pids)
        ::kill(pid, sig);
}

void PrivateServer::Restart() {
    Signal(SIGCONT);
    RunScript(QStringLiteral("restart"), dir_, {QStringLiteral("killable")});
}

} // namespace pgtest
