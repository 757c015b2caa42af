// The player lists kept from a club's server for a time it is away.
#include "RatingsFolder.h"
#include "db/PlayerCache.h"
#include "db/Unit6.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// The lists kept from a server: what they hold, and a file that cannot be
// believed is no list.
TEST(PlayerCache, KeptFromTheServerAndReadBack) {
    RatingsFolder server(true, db::Dialect::PostgreSQL);
    server.AddPlayer(2, "Борис", 4);
    server.AddPlayer(3, "ёлка", 3); // the least an opponent has
    server.AddPlayer(4, "Ева", 9);
    server.AddPlayer(5, "GNU Backgammon", 0);
    db::TDModule module(server.Path(), 0);
    module.DataModuleCreate();
    const QDateTime read(QDate(2026, 12, 9), QTime(18, 30));
    ASSERT_TRUE(db::SavePlayerCache(module, server.Path(), read));
    const auto cache = db::LoadPlayerCache(server.Path());
    ASSERT_TRUE(cache);
    EXPECT_EQ(cache->read, read);
    EXPECT_EQ(cache->ByName(), (QStringList{"Борис", "Ева", "ёлка"}));
    EXPECT_EQ(cache->Opponents("Борис"), (QStringList{"Ева", "ёлка"}));
    EXPECT_EQ(cache->Opponents("Никто"), QStringList{});
    for (const char* damaged :
         {"", "{not json", R"({"players": []})", R"({"read": "вчера", "players": []})"}) {
        QFile file(db::PlayerCachePath(server.Path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
        file.close();
        EXPECT_FALSE(db::LoadPlayerCache(server.Path())) << damaged;
    }
}

} // namespace
