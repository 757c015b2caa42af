#include "ReportClub.h"

#include "RecordedGame.h"
#include "record/PackedRecord.h"
#include "record/Notation.h"
#include "record/RecordText.h"

#include <QDirIterator>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

int AddRecordedGame(RatingsFolder& folder, int code, int white, const QString& whiteName, int black,
                    const QString& blackName, uint64_t seed) {
    const record::GameRecord game =
        selfplay::RecordedGame(record::StandardStart(), seed, whiteName, blackName);
    const bool whiteWon = game.Winner() == proc::White;
    folder.AddGame(code, whiteWon ? white : black, whiteWon ? black : white, game.Margin(), 1);
    AddRecordBytes(folder, code,
                   record::PackRecord(
                       record::RecordText(game, QDateTime(QDate(2026, 1, 1), QTime(12, 0)))));
    int rolls = 0;
    for (const record::Turn* turn : game.PlayedTurns())
        rolls += turn->dice != 0;
    return rolls;
}

void AddRecordBytes(RatingsFolder& folder, int code, const QByteArray& packed) {
    QSqlQuery insert(folder.Connection());
    insert.prepare(QStringLiteral("INSERT INTO GAME_RECORDS VALUES (?, NULL, ?)"));
    insert.addBindValue(code);
    insert.addBindValue(packed);
    EXPECT_TRUE(insert.exec()) << insert.lastError().text().toStdString();
}

db::DatabaseChoice ChoiceOf(const RatingsFolder& folder) {
    return folder.Engine() == db::Dialect::PostgreSQL
               ? db::DatabaseChoice{db::Dialect::PostgreSQL, folder.Server()}
               : db::DatabaseChoice{db::Dialect::SQLite, folder.DatabaseFile()};
}

QString ReadAll(const QString& dir, QStringList* paths) {
    QString all;
    QDirIterator files(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        all += QString::fromUtf8(file.readAll());
        if (paths)
            *paths << file.fileName().mid(dir.size() + 1);
    }
    if (paths)
        paths->sort();
    return all;
}
