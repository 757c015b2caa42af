// libpq's failures told in Russian, the engine's text kept: the table on the
// texts libpq writes, and on what a real connection answers.
#include "db/DbError.h"
#include "db/ServerMessages.h"
#include "db/Unit6.h"

#include <gtest/gtest.h>

namespace {

// clang-format off
const struct {
    const char* engine;
    const char* leads; // the start of the Russian sentence; nullptr: told as it is
} Cases[] = {
    {"connection to server at \"127.0.0.1\", port 1 failed: Connection refused\n\tIs the server running on that host and accepting TCP/IP connections?", "Сервер базы данных не принимает подключения"},
    {"could not translate host name \"club.lan\" to address: Name or service not known", "Имя сервера базы данных не найдено"},
    {"connection to server at \"club.lan\" (10.0.0.5), port 5432 failed: FATAL:  password authentication failed for user \"vertan\"", "Сервер базы данных не принял имя пользователя или пароль"},
    {"connection to server at \"club.lan\" (10.0.0.5), port 5432 failed: fe_sendauth: no password supplied", "Сервер базы данных требует пароль"},
    {"timeout expired", "Сервер базы данных не ответил вовремя"},
    {"connection to server at \"club.lan\", port 5432 failed: server does not support SSL, but SSL was required", "Не удалось установить защищённое соединение (SSL)"},
    {"connection to server at \"club.lan\", port 5432 failed: SSL error: certificate verify failed", "Не удалось установить защищённое соединение (SSL)"},
    {"connection to server at \"club.lan\", port 5432 failed: FATAL:  database \"club\" does not exist", "На сервере нет такой базы данных"},
    {"ERROR:  relation \"players\" is locked", nullptr},
    {"", nullptr},
};
// clang-format on

TEST(ServerText, KnownFailuresAreToldInRussianWithTheEnginesText) {
    for (const auto& c : Cases) {
        const QString engine = QString::fromUtf8(c.engine);
        const QString told = db::ExplainServerText(engine);
        SCOPED_TRACE(told.toStdString());
        if (!c.leads) {
            EXPECT_EQ(told, engine);
            continue;
        }
        EXPECT_TRUE(told.startsWith(QString::fromUtf8(c.leads)));
        EXPECT_TRUE(told.endsWith(" (" + engine + ")"));
    }
}

// What libpq really says is what the table looks for.
TEST(ServerText, RealConnectionsMatchTheTable) {
    const struct {
        const char* server;
        const char* leads;
    } real[] = {
        {"host=127.0.0.1 port=1 dbname=club connect_timeout=5", "Сервер базы данных не принимает"},
        {"host=vertan-no-such-host.invalid dbname=club connect_timeout=5",
         "Имя сервера базы данных"},
    };
    for (const auto& c : real) {
        db::TDModule module(db::DatabaseChoice{db::Dialect::PostgreSQL, c.server}, 0);
        try {
            module.DataModuleCreate();
            ADD_FAILURE() << c.server << " connected";
        } catch (const db::ConnectionError& error) {
            EXPECT_TRUE(db::ExplainServerText(QString::fromUtf8(error.what())).startsWith(c.leads))
                << error.what();
        }
    }
}

} // namespace
