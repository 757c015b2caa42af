// Choosing the engine from Data/Database.cfg, and what the module does when
// the chosen server cannot be used.
#include "RatingsFolder.h"
#include "db/DatabaseConfig.h"
#include "db/DbError.h"
#include "db/Unit6.h"

#include <QFile>
#include <gtest/gtest.h>

using db::Dialect;

namespace {

void WriteConfig(const RatingsFolder& folder, const QByteArray& text) {
    QFile file(folder.Path() + "/Data/Database.cfg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

struct ConfigCase {
    const char* what;
    const char* file; // nullptr: no Database.cfg
    bool valid;
    Dialect dialect;
    const char* target; // "" for the folder's Ratings.mdb
};

const ConfigCase ConfigCases[] = {
    {"no file: the SQLite file as always", nullptr, true, Dialect::SQLite, ""},
    {"server and its connection string", "postgresql\nhost=club.lan dbname=ratings user=anna\n",
     true, Dialect::PostgreSQL, "host=club.lan dbname=ratings user=anna"},
    {"Windows line ends, spaces and letter case", "PostgreSQL\r\n  host=/run/pg port=5433 \r\n",
     true, Dialect::PostgreSQL, "host=/run/pg port=5433"},
    {"later lines are ignored", "postgresql\nhost=a\nhost=b\n", true, Dialect::PostgreSQL,
     "host=a"},
    {"another engine", "mysql\nhost=a\n", false, Dialect::SQLite, ""},
    {"no connection string", "postgresql\n", false, Dialect::SQLite, ""},
    {"blank second line", "postgresql\n   \nhost=a\n", false, Dialect::SQLite, ""},
    {"empty file", "", false, Dialect::SQLite, ""},
};

} // namespace

TEST(DatabaseConfig, ChoosesTheEngine) {
    for (const ConfigCase& c : ConfigCases) {
        SCOPED_TRACE(c.what);
        RatingsFolder folder(false);
        if (c.file)
            WriteConfig(folder, c.file);
        if (!c.valid) {
            EXPECT_THROW(db::ChooseDatabase(folder.Path()), db::ConnectionError);
            continue;
        }
        const db::DatabaseChoice choice = db::ChooseDatabase(folder.Path());
        EXPECT_EQ(choice.dialect, c.dialect);
        EXPECT_EQ(choice.target, *c.target ? QString(c.target) : folder.DatabaseFile());
    }
}

TEST(DatabaseConfig, ServerConnectionGetsATimeoutUnlessItHasOne) {
    const struct {
        const char* given;
        const char* used;
    } cases[] = {
        {"host=a dbname=b", "host=a dbname=b connect_timeout=10"},
        {"host=a connect_timeout=3", "host=a connect_timeout=3"},
        {"connect_timeout = 0 host=a", "connect_timeout = 0 host=a"},
        {"host=a application_name=xconnect_timeout=1",
         "host=a application_name=xconnect_timeout=1 connect_timeout=10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(db::ServerConnectOptions(c.given), c.used) << c.given;
}

TEST(DatabaseConfig, UnreachableServerReportsItsOwnTextAndEveryStepFails) {
    RatingsFolder folder(false);
    WriteConfig(folder, "postgresql\nhost=/nonexistent-vertan-socket port=5999 dbname=x\n");
    db::TDModule dm(folder.Path(), 0);
    try {
        dm.DataModuleCreate();
        ADD_FAILURE() << "connected to a server that does not exist";
    } catch (const db::ConnectionError& error) {
        // libpq's message names the socket it tried.
        EXPECT_NE(std::string(error.what()).find("/nonexistent-vertan-socket/.s.PGSQL.5999"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(dm.IBPlayers.Active());
    EXPECT_THROW(dm.GenID("GAMES"), db::DbError);
    EXPECT_THROW(dm.OpenPlayerList(), db::DbError);
    EXPECT_FALSE(QFile::exists(folder.DatabaseFile()));
}

TEST(DatabaseConfig, UnusableFileIsReportedWhenTheModuleConnects) {
    RatingsFolder folder; // a usable Ratings.mdb is there, but the file names another engine
    WriteConfig(folder, "oracle\nhost=a\n");
    db::TDModule dm(folder.Path(), 0);
    try {
        dm.DataModuleCreate();
        ADD_FAILURE() << "an unknown engine was accepted";
    } catch (const db::ConnectionError& error) {
        EXPECT_NE(std::string(error.what()).find("\"oracle\""), std::string::npos) << error.what();
    }
    EXPECT_THROW(dm.OpenPlayerList(), db::ConnectionError);
}
