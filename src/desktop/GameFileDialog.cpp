#include "desktop/GameFileDialog.h"

#include "record/ExchangeFormats.h"
#include "record/GameFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace desktop {
namespace {

const QString LastFolderKey = QStringLiteral("games/lastFolder");

QSettings Settings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("vertan"),
                     QStringLiteral("vertan"));
}

} // namespace

QStringList GameFileFilters(const record::GameRecord& game) {
    // Match text has no start position: for another start the type says so,
    // and saving in it tells why and offers SGF.
    const QString mat = record::MatProblem(game).isEmpty()
                            ? QStringLiteral("Jellyfish, текст матча (*.mat)")
                            : QStringLiteral("Jellyfish, текст матча — только для партии из "
                                             "обычной начальной позиции (*.mat)");
    return {QStringLiteral("Запись партии (*.txt)"), mat, QStringLiteral("Backgammon SGF (*.sgf)")};
}

QString WithGameExtension(const QString& path, const QString& filter) {
    if (path.isEmpty() || record::FormatOfPath(path)) {
        return path;
    }
    static const QRegularExpression extension(QStringLiteral("\\*(\\.[a-z]+)\\)"));
    const auto match = extension.match(filter);
    return match.hasMatch() ? path + match.captured(1) : path;
}

QString SuggestedGameName(const record::GameRecord& game) {
    const QDate date = game.StartTime().isValid() ? game.StartTime().date() : QDate::currentDate();
    QString name = record::PlayerOf(game, proc::White) + QStringLiteral(" — ") +
                   record::PlayerOf(game, proc::Black) + QStringLiteral(", ") +
                   date.toString(QStringLiteral("dd.MM.yyyy"));
    // What Windows file names refuse too, so a copied file keeps its name.
    static const QRegularExpression refused(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    name.replace(refused, QStringLiteral("_"));
    // A leading dot would hide the file.
    if (name.startsWith(QLatin1Char('.')))
        name[0] = QLatin1Char('_');
    return name + QStringLiteral(".txt");
}

QString GameFolder() {
    const QString last = Settings().value(LastFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void RememberGameFolder(const QString& path) {
    if (!path.isEmpty())
        Settings().setValue(LastFolderKey, QFileInfo(path).absolutePath());
}

QString AskGameFile(QWidget* parent, const record::GameRecord& game) {
    const QStringList filters = GameFileFilters(game);
    QString chosen = filters.first();
    const QString suggested = QDir(GameFolder()).filePath(SuggestedGameName(game));
    const QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить партию"), suggested,
                                     filters.join(QStringLiteral(";;")), &chosen);
    RememberGameFolder(path);
    return WithGameExtension(path, chosen);
}

QStringList OpenGameFilters() {
    return {QStringLiteral("Партии (*.txt *.mat *.sgf)"), QStringLiteral("Запись партии (*.txt)"),
            QStringLiteral("Jellyfish, текст матча (*.mat)"),
            QStringLiteral("Backgammon SGF (*.sgf)")};
}

QString AskGameToOpen(QWidget* parent) {
    const QString path =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Открыть партию"), GameFolder(),
                                     OpenGameFilters().join(QStringLiteral(";;")));
    RememberGameFolder(path);
    return path;
}

} // namespace desktop
