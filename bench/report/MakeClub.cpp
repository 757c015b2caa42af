// make_report_club FOLDER PLAYERS GAMES: a program folder whose
// Data/Ratings.mdb holds PLAYERS players and GAMES journal rows, each with a
// record; the records are a few hundred self-played games used over again.
// make_report_club FOLDER PLAYERS GAMES --add: GAMES more games, after the
// last, in the folder's database, their winners' points raised as a
// recording raises them (an evening's play for an update of the page).
#include "RecordedGame.h"
#include "db/Statements.h"
#include "record/PackedRecord.h"
#include "record/Notation.h"
#include "record/RecordText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace {

void Exec(QSqlQuery& query) {
    if (!query.exec()) {
        std::fprintf(stderr, "%s\n", query.lastError().text().toLocal8Bit().constData());
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool add = argc == 5 && QByteArray(argv[4]) == "--add";
    if (argc != 4 && !add) {
        std::fprintf(stderr, "make_report_club FOLDER PLAYERS GAMES [--add]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const qint64 players = QByteArray(argv[2]).toLongLong();
    const qint64 games = QByteArray(argv[3]).toLongLong();
    QDir().mkpath(folder + "/Data");
    if (!add)
        QFile::remove(folder + "/Data/Ratings.mdb");
    QSqlDatabase connection = QSqlDatabase::addDatabase("QSQLITE");
    connection.setDatabaseName(folder + "/Data/Ratings.mdb");
    if (!connection.open())
        return 1;
    QSqlQuery query(connection);
    qint64 after = 0; // the last code already in the journal
    if (add && query.exec("SELECT MAX(G_CODE) FROM GAMES") && query.next())
        after = query.value(0).toLongLong();
    for (const QString& statement : add ? QStringList() : db::sql::Schema(db::Dialect::SQLite)) {
        query.prepare(statement);
        Exec(query);
    }
    std::vector<QByteArray> records; // packed, as the archive keeps them
    for (uint64_t seed = 1; seed <= 300; ++seed)
        records.push_back(record::PackRecord(record::RecordText(
            selfplay::RecordedGame(record::StandardStart(), seed, "Игрок", "Компьютер"),
            QDateTime(QDate(2026, 1, 1), QTime(12, 0)))));
    connection.transaction();
    QRandomGenerator random(quint32(20 + after));
    query.prepare("INSERT INTO PLAYERS VALUES (?,?,?)");
    for (qint64 code = 2; !add && code < players + 2; ++code) {
        query.addBindValue(code);
        query.addBindValue(QStringLiteral("Игрок %1").arg(code));
        query.addBindValue(random.bounded(200));
        Exec(query);
    }
    QSqlQuery game(connection), text(connection), points(connection);
    game.prepare("INSERT INTO GAMES VALUES (?,?,?,?,?,?)");
    text.prepare("INSERT INTO GAME_RECORDS VALUES (?,NULL,?)");
    points.prepare("UPDATE PLAYERS SET P_POINTS = P_POINTS + 1 WHERE P_CODE = ?");
    const QDate first(2020, 1, 1);
    for (qint64 code = after + 1; code <= after + games; ++code) {
        const qint64 a = 2 + qint64(random.bounded(quint64(players)));
        // One game in ten against the computer.
        const qint64 b = random.bounded(10) == 0 ? 1 : 2 + qint64(random.bounded(quint64(players)));
        game.addBindValue(code);
        game.addBindValue(first.addDays(add ? 2000 : code * 2000 / games).toString("dd.MM.yyyy"));
        game.addBindValue(a);
        game.addBindValue(b == a ? 1 : b);
        game.addBindValue(1 + random.bounded(15));
        game.addBindValue(1);
        Exec(game);
        if (add) {
            points.addBindValue(a);
            Exec(points);
        }
        text.addBindValue(code);
        text.addBindValue(records[size_t(code) % records.size()]);
        Exec(text);
    }
    connection.commit();
    std::printf("%lld players, %lld games in %s\n", static_cast<long long>(players),
                static_cast<long long>(games), argv[1]);
    return 0;
}
