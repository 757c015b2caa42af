// Database.cfg names the server that receives the club's results: a file
// that another account could have written is refused.
#include "RatingsFolder.h"
#include "db/DatabaseConfig.h"
#include "db/DbError.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(DatabaseConfig, FileOtherAccountsCouldChangeIsRefused) {
    const uid_t own = geteuid(), nobody = 65534;
    const struct {
        mode_t mode;
        uid_t owner;
        bool used;
    } cases[] = {{0600, own, true},  {0644, own, true},  {0664, own, false},
                 {0622, own, false}, {0666, own, false}, {0600, nobody, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::oct << c.mode << std::dec << " uid " << c.owner);
        RatingsFolder folder(false);
        const QString path = folder.Path() + "/Data/Database.cfg";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("postgresql\nhost=club.lan dbname=ratings\n");
        file.close();
        ASSERT_EQ(chmod(QFile::encodeName(path).constData(), c.mode), 0);
        if (c.owner != own && chown(QFile::encodeName(path).constData(), c.owner, gid_t(-1)) != 0) {
            std::printf("skipped: only root gives a file away\n");
            continue;
        }
        if (c.used)
            EXPECT_EQ(db::ChooseDatabase(folder.Path()).dialect, db::Dialect::PostgreSQL);
        else
            EXPECT_THROW(db::ChooseDatabase(folder.Path()), db::ConnectionError);
    }
}
