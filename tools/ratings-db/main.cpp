// ratings-db (--server CONNINFO | --program-folder DIR) [--create] [--copy FILE [--replace]]
// Makes the tables of a club's PostgreSQL database and copies an existing
// Ratings.mdb into it. The password comes from PGPASSWORD or ~/.pgpass.
#include "RatingsCopy.h"
#include "db/DatabaseConfig.h"
#include "db/DbError.h"
#include "db/ServerWatch.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSqlError>
#include <cstdio>

namespace {

int Fail(const QString& text) {
    std::fprintf(stderr, "ratings-db: %s\n", db::HidePasswords(text).toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Sets up a club's ratings database on a PostgreSQL server.");
    parser.addHelpOption();
    parser.addOptions({
        {"server", "libpq connection string of the server database.", "conninfo"},
        {"program-folder", "Take the server from DIR/Data/Database.cfg.", "dir"},
        {"create", "Create the tables on the empty database."},
        {"copy", "Copy the players and journal of a Ratings.mdb file.", "file"},
        {"replace", "With --copy: delete the players and games the server has first."},
    });
    parser.process(app);
    if (!parser.isSet("create") && !parser.isSet("copy"))
        return Fail("nothing to do: give --create, --copy FILE or both");

    QString server = parser.value("server");
    try {
        if (server.isEmpty() && parser.isSet("program-folder")) {
            const db::DatabaseChoice choice = db::ChooseDatabase(parser.value("program-folder"));
            if (choice.dialect != db::Dialect::PostgreSQL)
                return Fail("the program folder has no Data/Database.cfg naming a server");
            server = choice.target;
        }
        if (server.isEmpty())
            return Fail("give --server CONNINFO or --program-folder DIR");

        if (!QSqlDatabase::isDriverAvailable("QPSQL"))
            return Fail("Qt's PostgreSQL driver is not installed: install the package libqt6sql6-psql");
        QSqlDatabase connection = QSqlDatabase::addDatabase("QPSQL");
        db::SetUpServerConnection(connection, server, db::ServerWaitBound());
        if (!connection.open())
            return Fail(db::HidePasswords(connection.lastError().databaseText().trimmed()));
        if (parser.isSet("create")) {
            ratingsdb::CreateSchema(connection);
            std::printf("tables created\n");
        }
        if (parser.isSet("copy")) {
            const ratingsdb::Copied copied =
                ratingsdb::CopyRatings(parser.value("copy"), connection, parser.isSet("replace"));
            std::printf("copied %lld players and %lld games\n", static_cast<long long>(copied.players),
                        static_cast<long long>(copied.games));
        }
    } catch (const db::DbError& error) {
        return Fail(QString::fromUtf8(error.what()));
    }
    return 0;
}
