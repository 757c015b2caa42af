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

namespace {

// problem: why the record cannot be written as SGF; sgf makes its text.
template <class MakeSgf>
bool OpenSgf(const QString& problem, MakeSgf sgf, QString& error) {
    const QString program = AnalysisProgram();
    if (program.isEmpty()) {
        error = QStringLiteral("GNU Backgammon не установлен");
        return false;
    }
    error = problem;
    if (!error.isEmpty()) {
        return false;
    }
    // The file outlives this program: GNU Backgammon reads it after we return.
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("vertan-XXXXXX.sgf")));
    file.setAutoRemove(false);
    if (!file.open() || file.write(sgf().toUtf8()) < 0) {
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

} // namespace

bool OpenInAnalysis(const record::GameRecord& game, QString& error) {
    return OpenSgf(record::SgfProblem(game), [&] { return record::SgfText(game, game.StartTime()); },
                   error);
}

bool OpenInAnalysis(const record::MatchRecord& match, QString& error) {
    // ReadMatch never gives a match without games; an empty one has nothing to show.
    const QString problem = match.games.empty() ? QStringLiteral("в матче нет ни одной партии")
                                                : record::MatchSgfProblem(match);
    return OpenSgf(problem,
                   [&] { return record::MatchSgfText(match, match.games.front().game.StartTime()); },
                   error);
}

} // namespace desktop
