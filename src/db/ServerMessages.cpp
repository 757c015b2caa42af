#include "db/ServerMessages.h"

namespace db {

namespace {

struct Known {
    const char* found; // in libpq's text, letter case ignored
    const char* told;
};

// The first that matches is told: a refused SSL link names SSL, not the refusal.
const Known Table[] = {
    {"password authentication failed",
     "Сервер базы данных не принял имя пользователя или пароль: проверьте user в "
     "Data/Database.cfg и пароль в ~/.pgpass или PGPASSWORD."},
    {"no password supplied",
     "Сервер базы данных требует пароль: запишите его в ~/.pgpass или PGPASSWORD."},
    {"SSL", "Не удалось установить защищённое соединение (SSL) с сервером базы данных: проверьте "
            "sslmode в Data/Database.cfg и настройки SSL сервера."},
    {"could not translate host name",
     "Имя сервера базы данных не найдено: проверьте host в Data/Database.cfg и связь с сетью."},
    {"Connection refused",
     "Сервер базы данных не принимает подключения: проверьте, что он запущен и слушает адрес и "
     "порт из Data/Database.cfg (host, port), и что брандмауэр их не закрывает."},
    {"timeout expired",
     "Сервер базы данных не ответил вовремя: проверьте, что компьютер с ним включён и доступен "
     "по сети."},
    {"does not exist",
     "На сервере нет такой базы данных или пользователя: проверьте dbname и user в "
     "Data/Database.cfg."},
};

} // namespace

QString ExplainServerText(const QString& engineText) {
    for (const Known& known : Table) {
        if (engineText.contains(QLatin1String(known.found), Qt::CaseInsensitive))
            return QString::fromUtf8(known.told) + QStringLiteral(" (") + engineText +
                   QLatin1Char(')');
    }
    return engineText;
}

} // namespace db
