// record_games FOLDER COUNT SEED: records COUNT games of the players Анна,
// Борис and Вера against the computer into FOLDER's database, winners and
// margins drawn from SEED, as one more launcher of a club would. Exits 1 at
// the first step that fails.
#include "db/DbError.h"
#include "db/ResultRecording.h"
#include "db/Unit6.h"

#include <QCoreApplication>
#include <cstdio>
#include <random>

namespace {

struct Silent : db::Announcer {
    void Announce(const QString&) override {}
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: record_games FOLDER COUNT SEED\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]);
    std::mt19937 random(static_cast<unsigned>(std::atoi(argv[3])));
    const QString players[] = {QStringLiteral("Анна"), QStringLiteral("Борис"),
                               QStringLiteral("Вера")};
    try {
        // Long enough to wait out the other launcher's recordings.
        db::TDModule module(folder, 60000);
        module.DataModuleCreate();
        Silent announcer;
        for (int i = 0; i < count; ++i) {
            const QString& person = players[random() % 3];
            const bool personWhite = random() % 2 == 0;
            const int margin = 1 + int(random() % 15);
            const bool whiteWon = random() % 2 == 0;
            const QString& white = personWhite ? person : db::ComputerDisplayName;
            const QString& black = personWhite ? db::ComputerDisplayName : person;
            db::RecordResult(module, announcer, whiteWon ? -margin : margin, white, black,
                             personWhite, !personWhite);
        }
    } catch (const db::DbError& error) {
        std::fprintf(stderr, "record_games: %s\n", error.what());
        return 1;
    }
    return 0;
}
