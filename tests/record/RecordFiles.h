// Helpers of the exchange format tests: the games stored in this folder,
// GNU Backgammon's place and how it tells a board.
#pragma once

#include "record/Notation.h"
#include "record/RecordText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace record {

// A Board.cfg start: fewer checkers, none where the standard start has them.
inline proc::Board OddStart() {
    proc::Board board{};
    for (auto [cell, count] : {std::pair{3, 2},
                               {7, 3},
                               {10, 2},
                               {14, 4},
                               {23, 1},
                               {2, -1},
                               {9, -2},
                               {16, -3},
                               {18, -4},
                               {21, -2},
                               {22, -2}}) {
        proc::Cell(board, cell) = count;
    }
    return board;
}

// One side's checkers counted from its own home, the bar last: as GNU Backgammon tells them.
inline QJsonArray OwnView(const proc::Board& board, proc::Side side) {
    QJsonArray view;
    for (int point = 1; point <= 24; ++point) {
        view.append(std::max(proc::Cell(board, OwnPoint(side, point)) * side, 0));
    }
    view.append(std::max(
        proc::Cell(board, side == proc::White ? proc::WhiteBar : proc::BlackBar) * side, 0));
    return view;
}

inline std::string Text(const QJsonValue& value) {
    return value.isArray()
               ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact).toStdString()
               : value.toString().toStdString();
}

inline QString Gnubg() {
    const QString onPath = QStandardPaths::findExecutable("gnubg");
    return onPath.isEmpty() ? QStandardPaths::findExecutable("gnubg", {"/usr/games"}) : onPath;
}

// A file of this folder: the games worked out by hand and their exports.
inline QString Stored(const char* name) {
    return QStringLiteral(VERTAN_SOURCE_DIR "/tests/record/") + QLatin1String(name);
}

inline QString StoredText(const char* name) {
    QFile file(Stored(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

// A record of this folder read back by the rules.
inline GameRecord StoredGame(const char* name) {
    QString error;
    const auto game = ReadRecord(StoredText(name), error);
    EXPECT_TRUE(game) << name << ": " << error.toStdString();
    return game ? *game : GameRecord();
}

} // namespace record
