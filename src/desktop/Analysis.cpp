#include "desktop/Analysis.h"

#include "record/ExchangeFormats.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace desktop {

QString AnalysisProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("gnubg"));
}

bool OpenInAnalysis(const record::GameRecord& game, QString& error) {
    const QString program = AnalysisProgram();
    if (program.isEmpty()) {
        error = QStringLiteral("GNU Backgammon не установлен");
        return false;
    }
    error = record::SgfProblem(game);
    if (!error.isEmpty()) {
        return false;
    }
    // The file outlives this program: GNU Backgammon reads it after we return.
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("vertan-XXXXXX.sgf")));
    file.setAutoRemove(false);
    if (!file.open() || file.write(record::SgfText(game, game.StartTime()).toUtf8()) < 0) {
        error = file.errorString();
        return false;
    }
    file.close();
    // Its windows are its own: not under the X11 name the board client takes.
    QProcess process;
    process.setProgram(program);
    process.setArguments({file.fileName()});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("RESOURCE_NAME"));
    process.setProcessEnvironment(environment);
    if (!process.startDetached()) {
        error = QStringLiteral("не удалось запустить %1").arg(program);
        QFile::remove(file.fileName());
        return false;
    }
    return true;
}

} // namespace desktop
