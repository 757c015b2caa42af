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
    const uid_t nobody = 65534;
    const struct {
        mode_t mode;
        uid_t owner;
        bool used;
    } cases[] = {
        {0600, geteuid(), true}, {0644, geteuid(), true}, {0664, geteuid(), false},
        {0622, geteuid(), false}, {0666, geteuid(), false}, {0600, nobody, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::oct << c.mode << " uid " << std::dec << c.owner);
        if (c.owner != geteuid() && geteuid() != 0) {
            std::printf("skipped: another owner needs root\n");
            continue;
        }
        RatingsFolder folder(false);
        const QString path = folder.Path() + "/Data/Database.cfg";
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("postgresql\nhost=club.lan dbname=ratings\n");
        }
        const QByteArray name = QFile::encodeName(path);
        ASSERT_EQ(chmod(name.constData(), c.mode), 0);
        ASSERT_EQ(chown(name.constData(), c.owner, static_cast<gid_t>(-1)), 0);
        if (c.used) {
            EXPECT_EQ(db::ChooseDatabase(folder.Path()).dialect, db::Dialect::PostgreSQL);
            continue;
        }
        try {
            db::ChooseDatabase(folder.Path());
            ADD_FAILURE() << "the file was used";
        } catch (const db::ConnectionError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith(path + ": ")) << error.what();
        }
    }
}
