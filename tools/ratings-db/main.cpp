// ratings-db (--server CONNINFO | --program-folder DIR) [--create] [--copy FILE [--replace]]
// ratings-db (--server CONNINFO | --program-folder DIR) --export CODE FILE
// ratings-db (--server CONNINFO | --program-folder DIR) --report DIR [--full]
// Makes the tables of a club's PostgreSQL database and copies an existing
// Ratings.mdb into it; writes a game of the archive to a file; makes the
// club's page. The password
// comes from PGPASSWORD or ~/.pgpass.
#include "GameExport.h"
#include "RatingsCopy.h"
#include "db/DatabaseConfig.h"
#include "db/DbError.h"
#include "db/Unit6.h"
#include "db/ServerWatch.h"
#include "report/Report.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSqlError>
#include <cstdio>
#include <memory>

namespace {

int Fail(const QString& text) {
    std::fprintf(stderr, "ratings-db: %s\n", db::HidePasswords(text).toLocal8Bit().constData());
    return 1;
}

// A game from either engine: the folder's own database, or the server named.
int Export(const QCommandLineParser& parser) {
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "ratings-db: --export CODE FILE\n");
        return 2;
    }
    std::unique_ptr<db::TDModule> module;
    if (parser.isSet("server"))
        module = std::make_unique<db::TDModule>(
            db::DatabaseChoice{db::Dialect::PostgreSQL, parser.value("server")});
    else if (parser.isSet("program-folder"))
        module = std::make_unique<db::TDModule>(parser.value("program-folder"));
    else
        return Fail("give --server CONNINFO or --program-folder DIR");
    const ratingsdb::ExportResult result = ratingsdb::ExportGame(
        *module, parser.value("export"), parser.positionalArguments().first());
    std::fprintf(result.code == 0 ? stdout : stderr, "%s%s\n",
                 result.code == 0 ? "" : "ratings-db: ", result.message.toLocal8Bit().constData());
    return result.code;
}

// The club's page from either engine; a folder whose Database.cfg cannot be
// used is an unreadable database like any other.
int Report(const QCommandLineParser& parser) {
    db::DatabaseChoice choice{db::Dialect::PostgreSQL, parser.value("server")};
    try {
        if (!parser.isSet("server")) {
            if (!parser.isSet("program-folder"))
                return Fail("give --server CONNINFO or --program-folder DIR");
            choice = db::ChooseDatabase(parser.value("program-folder"));
        }
    } catch (const db::DbError& error) {
        return Fail(QString::fromUtf8(error.what()));
    }
    report::ReportOptions options;
    options.full = parser.isSet("full");
    const report::ReportResult result =
        report::MakeReport(choice, parser.value("report"), options);
    if (result.code != 0)
        return Fail(result.message);
    if (!result.fullRun.isEmpty())
        std::printf("every page made again: %s\n", result.fullRun.toLocal8Bit().constData());
    std::printf("%s\n", result.message.toLocal8Bit().constData());
    return 0;
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
        {"export", "Write game CODE of the archive to FILE (.txt, .mat or .sgf).", "code"},
        {"report", "Write the club's page (a static web site) into DIR; a page made "
                   "there before is rewritten only where it changed.", "dir"},
        {"full", "With --report: make every page again."},
    });
    parser.addPositionalArgument("file", "With --export: the file to write.");
    parser.process(app);
    if (parser.isSet("export"))
        return Export(parser);
    if (parser.isSet("report"))
        return Report(parser);
    if (!parser.isSet("create") && !parser.isSet("copy"))
        return Fail("nothing to do: give --create, --copy FILE or both, --export CODE FILE or "
                    "--report DIR");

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
            std::printf("copied %lld players, %lld games and %lld game records\n",
                        static_cast<long long>(copied.players),
                        static_cast<long long>(copied.games),
                        static_cast<long long>(copied.records));
            if (copied.damagedRecords > 0)
                std::fprintf(stderr,
                             "ratings-db: %lld damaged game records left out; "
                             "their games were copied without them\n",
                             static_cast<long long>(copied.damagedRecords));
        }
    } catch (const db::DbError& error) {
        return Fail(QString::fromUtf8(error.what()));
    }
    return 0;
}
