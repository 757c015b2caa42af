// ratings-db (--server CONNINFO | --program-folder DIR) [--create] [--copy FILE [--replace]]
// ratings-db (--server CONNINFO | --program-folder DIR) --export CODE FILE
// ratings-db (--server CONNINFO | --program-folder DIR) --report DIR [--full] [--club FILE]
// ratings-db (--server CONNINFO | --program-folder DIR) --tournament ID
// ratings-db (--server CONNINFO | --program-folder DIR) --rename NAME --new-name NEW | --merge NAME
//   --into NAME | --set-points NAME --points N | --reverse CODE | --register NAME
//   [--reason TEXT] | --corrections
// Makes the tables of a club's PostgreSQL database and copies an existing
// Ratings.mdb into it; writes a game of the archive to a file; makes the
// club's page. The password
// comes from PGPASSWORD or ~/.pgpass.
#include "CorrectionCommand.h"
#include "GameExport.h"
#include "RatingsCopy.h"
#include "TournamentText.h"
#include "db/DatabaseConfig.h"
#include "desktop/CommandLine.h"
#include "db/DbError.h"
#include "db/Unit6.h"
#include "db/ServerWatch.h"
#include "report/Report.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QSqlError>
#include <cstdio>
#include <memory>

namespace {

int Fail(const QString& text) {
    std::fprintf(stderr, "ratings-db: %s\n", db::HidePasswords(text).toLocal8Bit().constData());
    return 1;
}

// The folder's own database, or the server named; none without either.
std::unique_ptr<db::TDModule> OpenModule(const QCommandLineParser& parser) {
    if (parser.isSet("server"))
        return std::make_unique<db::TDModule>(
            db::DatabaseChoice{db::Dialect::PostgreSQL, parser.value("server")});
    if (parser.isSet("program-folder"))
        return std::make_unique<db::TDModule>(parser.value("program-folder"));
    return nullptr;
}

// A game from either engine.
int Export(const QCommandLineParser& parser) {
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "ratings-db: --export CODE FILE\n");
        return 2;
    }
    const std::unique_ptr<db::TDModule> module = OpenModule(parser);
    if (!module)
        return Fail("give --server CONNINFO or --program-folder DIR");
    const ratingsdb::ExportResult result = ratingsdb::ExportGame(
        *module, parser.value("export"), parser.positionalArguments().first());
    std::fprintf(result.code == 0 ? stdout : stderr, "%s%s\n",
                 result.code == 0 ? "" : "ratings-db: ", result.message.toLocal8Bit().constData());
    return result.code;
}

// A tournament's standings from either engine.
int Tournament(const QCommandLineParser& parser) {
    const std::unique_ptr<db::TDModule> module = OpenModule(parser);
    if (!module)
        return Fail("give --server CONNINFO or --program-folder DIR");
    const ratingsdb::TournamentTextResult result =
        ratingsdb::TournamentText(*module, parser.value("tournament"));
    std::fprintf(result.code == 0 ? stdout : stderr, "%s%s\n",
                 result.code == 0 ? "" : "ratings-db: ", result.text.toLocal8Bit().constData());
    return result.code;
}

// A correction of the club's data on either engine; the folder's waiting
// results follow a rename or merge made there.
int Correct(const QCommandLineParser& parser) {
    const std::unique_ptr<db::TDModule> module = OpenModule(parser);
    if (!module)
        return Fail("give --server CONNINFO or --program-folder DIR");
    const ratingsdb::CorrectionResult result = ratingsdb::RunCorrection(
        parser, *module, parser.isSet("server") ? QString() : parser.value("program-folder"));
    if (result.code != 0) {
        std::fprintf(stderr, "ratings-db: %s\n", result.message.toLocal8Bit().constData());
        return result.code;
    }
    if (!result.message.isEmpty())
        std::printf("%s\n", result.message.toLocal8Bit().constData());
    return 0;
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
    // The club's look: the file named, else the program folder's Data/Club.cfg.
    report::ReportOptions options;
    options.full = parser.isSet("full");
    options.clubFile = parser.isSet("club") ? parser.value("club")
                       : parser.isSet("program-folder")
                           ? report::ClubFileOf(parser.value("program-folder"))
                           : QString();
    const report::ReportResult result = report::MakeReport(choice, parser.value("report"), options);
    for (const QString& warning : result.warnings)
        std::fprintf(stderr, "ratings-db: %s\n", warning.toLocal8Bit().constData());
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
    // --help in the user's language, Qt's own words ("Usage:") included.
    const bool russian = desktop::RussianUser();
    QTranslator qtWords;
    if (russian && qtWords.load(QStringLiteral("qtbase_ru"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtWords);
    const auto text = [russian](const char* english, const char* russianText) {
        return QString::fromUtf8(russian ? russianText : english);
    };
    QCommandLineParser parser;
    parser.setApplicationDescription(
        text("Sets up a club's ratings database on a PostgreSQL server, corrects its data, "
             "exports games and makes the club's page.",
             "Создаёт базу рейтингов клуба на сервере PostgreSQL, исправляет её данные, "
             "выгружает партии и делает страницу клуба."));
    parser.addHelpOption();
    parser.addOptions({
        {"server", text("libpq connection string of the server database.",
                        "Строка подключения libpq к базе данных на сервере."), "conninfo"},
        {"program-folder", text("Take the database from DIR (its Data/Database.cfg or Data/Ratings.mdb).",
                                "Взять базу данных из папки DIR (её Data/Database.cfg или Data/Ratings.mdb)."), "dir"},
        {"create", text("Create the tables on the empty database.",
                        "Создать таблицы в пустой базе данных.")},
        {"copy", text("Copy the players, journal, records and corrections of a Ratings.mdb file.",
                      "Перенести игроков, журнал, записи партий и исправления из файла Ratings.mdb."), "file"},
        {"replace", text("With --copy: delete the players and games the server has first.",
                         "С --copy: сначала удалить игроков и партии, которые есть на сервере.")},
        {"export", text("Write game CODE of the archive to FILE (.txt, .mat or .sgf).",
                        "Записать партию CODE из архива в файл FILE (.txt, .mat или .sgf)."), "code"},
        {"report", text("Write the club's page (a static web site) into DIR; a page made "
                        "there before is rewritten only where it changed.",
                        "Записать страницу клуба (статический сайт) в папку DIR; страница, "
                        "сделанная там раньше, переписывается только там, где она изменилась."),
         "dir"},
        {"full", text("With --report: make every page again.",
                      "С --report: сделать все страницы заново.")},
        {"club", text("With --report: the club's name, logo and colours from FILE "
                      "(default: DIR/Data/Club.cfg of --program-folder).",
                      "С --report: название, эмблема и цвета клуба из файла FILE "
                      "(по умолчанию DIR/Data/Club.cfg из --program-folder)."), "file"},
        {"tournament", text("Print the standings of tournament ID.",
                            "Напечатать таблицу турнира ID."), "id"},
    });
    parser.addOptions(ratingsdb::CorrectionOptions(russian));
    parser.addPositionalArgument("file", text("With --export: the file to write.",
                                              "С --export: файл, в который писать."));
    parser.process(app);
    if (parser.isSet("export"))
        return Export(parser);
    if (parser.isSet("report"))
        return Report(parser);
    if (parser.isSet("tournament"))
        return Tournament(parser);
    if (ratingsdb::WantsCorrection(parser))
        return Correct(parser);
    if (!parser.isSet("create") && !parser.isSet("copy"))
        return Fail("nothing to do: give --create, --copy FILE or both, --export CODE FILE, "
                    "--report DIR or a correction (--help)");

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
            if (copied.corrections > 0)
                std::printf("copied %lld corrections\n",
                            static_cast<long long>(copied.corrections));
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
