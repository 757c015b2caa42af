#include "shell/ServerAway.h"

#include "db/DbError.h"
#include "db/ServerMessages.h"
#include "db/ServerWatch.h"
#include "shell/MessageBoxes.h"

#include <QRegularExpression>

namespace shell {

QString CleanServerText(const QString& reason) {
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n\\v\\f]+"));
    // A break between words becomes a space; one beside a space adds none.
    QString text = QString(reason).replace(breaks, QStringLiteral(" "));
    static const QRegularExpression spaces(QStringLiteral(" {2,}"));
    return text.replace(spaces, QStringLiteral(" ")).trimmed();
}

QString ServerAwayText(const QString& reason) {
    return QStringLiteral("Нет связи с базой данных игроков: ") +
           db::ExplainServerText(CleanServerText(reason));
}

QString StartUpServerAwayText(const QString& reason) {
    return QStringLiteral("Не удалось подключиться к серверу базы данных игроков. Программа "
                          "работает без рейтингов до восстановления связи.\n") +
           db::ExplainServerText(CleanServerText(reason));
}

bool RunServerStep(const std::function<void()>& step, bool tell) {
    try {
        const db::ResponsiveStep responsive;
        step();
        return true;
    } catch (const db::ConnectionError& error) {
        if (tell)
            ShowNotice(ServerAwayText(QString::fromUtf8(error.what())));
        return false;
    }
}

} // namespace shell
