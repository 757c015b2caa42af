#include "ReportClub.h"

#include "RecordedGame.h"
#include "record/MatchRecord.h"
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

int AddRecordedMatch(RatingsFolder& folder, int code, int first, const QString& firstName,
                     int second, const QString& secondName, int length,
                     const std::vector<MatchGamePlan>& plan) {
    record::MatchRecord m{length, firstName, secondName, {}};
    match::MatchState byPlayer{length, 0, 0, false, false, {}};
    uint64_t seed = 40;
    int rolls = 0;
    for (const MatchGamePlan& p : plan) {
        const bool firstWhite = p.firstSide == proc::White;
        const record::GameRecord full = selfplay::RecordedGame(record::StandardStart(), ++seed,
                                                               firstWhite ? firstName : secondName,
                                                               firstWhite ? secondName : firstName);
        record::MatchGame g{
            {},     p.firstSide,   byPlayer.scoreWhite, byPlayer.scoreBlack, byPlayer.crawford,
            p.cube, p.resignations};
        g.game.Add(full.Start());
        g.game.SetStartTime(QDateTime(QDate(2026, 1, 1), QTime(12, 0)));
        for (int i = 0; i < p.turns; ++i)
            g.game.AddTurn(record::Turn(*full.PlayedTurns().at(size_t(i))));
        for (const record::Turn* turn : g.game.PlayedTurns())
            rolls += turn->dice != 0;
        record::SettleGame(g);
        byPlayer = match::AfterGame(byPlayer, g.winner == g.firstSide ? proc::White : proc::Black,
                                    g.points);
        m.games.push_back(std::move(g));
    }
    const auto [a, b] = m.Score();
    folder.AddGame(code, a > b ? first : second, a > b ? second : first, std::abs(a - b), 1);
    AddRecordBytes(
        folder, code,
        record::PackRecord(record::MatchText(m, QDateTime(QDate(2026, 1, 1), QTime(12, 0)))));
    return rolls;
}

std::vector<MatchGamePlan> FivePointMatch() {
    using match::Result;
    constexpr proc::Side W = proc::White, B = proc::Black;
    // clang-format off
    return {
        {W, 3, {{2, W, 2, true}, {3, B, 4, false}}, {}},
        {B, 3, {}, {{1, W, Result::Single, false}, {3, W, Result::Gammon, true}}},
        {W, 5, {{1, B, 2, true}}, {{5, B, Result::Single, true}}},
        {W, 2, {}, {{2, W, Result::Single, true}}},
        {B, 3, {{0, W, 2, true}}, {{3, W, Result::Single, true}}},
    };
    // clang-format on
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
