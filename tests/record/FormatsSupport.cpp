#include "FormatsSupport.h"

#include "record/Notation.h"
#include "record/RecordText.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <gtest/gtest.h>

namespace formats {

QString Gnubg() {
    const QString onPath = QStandardPaths::findExecutable("gnubg");
    return onPath.isEmpty() ? QStandardPaths::findExecutable("gnubg", {"/usr/games"}) : onPath;
}

QString Stored(const char* name) {
    return QStringLiteral(VERTAN_SOURCE_DIR "/tests/record/") + QLatin1String(name);
}

QString StoredText(const char* name) {
    QFile file(Stored(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

record::GameRecord StoredGame(const char* name) {
    QString error;
    const auto game = record::ReadRecord(StoredText(name), error);
    EXPECT_TRUE(game) << name << ": " << error.toStdString();
    return game ? *game : record::GameRecord();
}

proc::Board OddStart() {
    proc::Board board{};
    for (auto [cell, count] : {std::pair{3, 2}, {7, 3}, {10, 2}, {14, 4}, {23, 1}, {2, -1},
                               {9, -2}, {16, -3}, {18, -4}, {21, -2}, {22, -2}}) {
        proc::Cell(board, cell) = count;
    }
    return board;
}

QJsonArray OwnView(const proc::Board& board, proc::Side side) {
    QJsonArray view;
    for (int point = 1; point <= 24; ++point) {
        view.append(std::max(proc::Cell(board, record::OwnPoint(side, point)) * side, 0));
    }
    view.append(std::max(
        proc::Cell(board, side == proc::White ? proc::WhiteBar : proc::BlackBar) * side, 0));
    return view;
}

std::string Text(const QJsonValue& value) {
    return value.isArray()
               ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact).toStdString()
               : value.toString().toStdString();
}

std::map<QString, QJsonObject> ImportInGnubg(const QStringList& paths, const QString& home) {
    std::map<QString, QJsonObject> reached;
    const QString gnubg = Gnubg();
    if (gnubg.isEmpty()) {
        ADD_FAILURE() << "gnubg is not installed (scripts/packages.txt has it)";
        return reached;
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VERTAN_GAMES", paths.join('\n'));
    environment.insert("HOME", home); // its settings stay in the test's folder
    process.setProcessEnvironment(environment);
    process.start(gnubg, {"-t", "-q", "-p", VERTAN_SOURCE_DIR "/tests/record/gnubg_positions.py"});
    process.closeWriteChannel();
    if (!process.waitForFinished(240000)) {
        ADD_FAILURE() << "gnubg did not finish";
        return reached;
    }
    const QByteArray out = process.readAllStandardOutput();
    for (const QByteArray& line : out.split('\n')) {
        if (line.startsWith("GAME ")) {
            const QJsonObject game = QJsonDocument::fromJson(line.mid(5)).object();
            reached[game["file"].toString()] = game;
        }
    }
    if (reached.size() != size_t(paths.size()))
        ADD_FAILURE() << out.toStdString() << process.readAllStandardError().toStdString();
    return reached;
}

} // namespace formats
