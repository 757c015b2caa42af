#include "desktop/GameFileDialog.h"

#include "record/ExchangeFormats.h"
#include "record/GameFile.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace desktop {

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

QString AskGameFile(QWidget* parent, const record::GameRecord& game, const QString& suggested) {
    const QStringList filters = GameFileFilters(game);
    QString chosen = filters.first();
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить партию"),
                                                      suggested, filters.join(QStringLiteral(";;")),
                                                      &chosen);
    return WithGameExtension(path, chosen);
}

} // namespace desktop
