#include "desktop/GameFileDialog.h"

#include "record/ExchangeFormats.h"
#include "record/GameFile.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace desktop {

QStringList GameFileFilters(const record::GameRecord& game) {
    QStringList filters{QStringLiteral("Запись партии (*.txt)")};
    if (record::MatProblem(game).isEmpty()) {
        filters << QStringLiteral("Jellyfish, текст матча (*.mat)");
    }
    filters << QStringLiteral("Backgammon SGF (*.sgf)");
    return filters;
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
