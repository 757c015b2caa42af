// launcher_soak: many computer-against-computer games in one launcher
// process with no pauses, through the dialog, the socket, the test client
// process and the result step. Every 100 games it prints the resident
// memory, open descriptors, live timers and child processes; at the end it
// compares them with the figures after the first 100 games. The heap in use
// (malloc's own count) tells live allocations from a fragmented heap.
// usage: launcher_soak [GAMES] [--person]   (--person: a person on white, recorded)
#include "WholeGame.h"

#include "game/GamePorts.h"
#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <cstdio>
#include <malloc.h>

namespace {

class NoPause : public game::IPause {
  public:
    void Wait(int) override {}
};

struct Figures {
    long long rssKiB = 0;
    long long heapBytes = 0;
    int descriptors = 0;
    int timers = 0;
    int children = 0;
};

long long RssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const auto m = QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+)"))
                       .match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

int CountTimers(QObject* object) {
    int n = static_cast<int>(QAbstractEventDispatcher::instance()->registeredTimers(object).size());
    for (QObject* child : object->children())
        n += CountTimers(child);
    return n;
}

int Children() {
    int n = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile list(QStringLiteral("/proc/self/task/%1/children").arg(task));
        if (list.open(QIODevice::ReadOnly))
            n += static_cast<int>(list.readAll().split(' ').count() - 1);
    }
    return n;
}

Figures Measure() {
    Figures f;
    f.rssKiB = RssKiB();
    f.heapBytes = static_cast<long long>(mallinfo2().uordblks);
    f.descriptors = static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
    f.timers = CountTimers(qApp);
    for (QWidget* w : QApplication::topLevelWidgets())
        f.timers += CountTimers(w);
    f.children = Children();
    return f;
}

void Print(int games, const Figures& f) {
    std::printf("games %d: rss %lld KiB, heap in use %lld bytes, descriptors %d, timers %d, children %d\n",
                games, f.rssKiB, f.heapBytes, f.descriptors, f.timers, f.children);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const int games = args.isEmpty() ? 10000 : args[0].toInt();
    const bool person = args.contains(QStringLiteral("--person"));
    apptest::GameFolder folder;
    folder.WriteClient();
    if (person) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("soak"));
        db.setDatabaseName(folder.DatabasePath());
        db.open();
        QSqlQuery(QStringLiteral("INSERT INTO PLAYERS VALUES (2, 'Гость', 0)"), db);
        db.close();
    }
    shelltest::BoxRecorder boxes;
    NoPause pause;
    shell::Program program;
    Form2->SetPause(pause);
    Form2->Timer->setInterval(0);
    Figures first;
    for (int game = 1; game <= games; ++game) {
        if (!apptest::OpenDialog() ||
            (person && !apptest::Pick(Form2->ComboBox1, QStringLiteral("Гость")))) {
            std::fprintf(stderr, "game %d: the dialog did not open\n", game);
            return 1;
        }
        boxes.boxes.clear();
        Form2->Button1->click();
        if (!apptest::WaitFor([] { return Form1->isVisible(); }, 300000) || boxes.boxes.size() != 1) {
            std::fprintf(stderr, "game %d: did not end with one announcement\n", game);
            return 1;
        }
        // The client process ends once its connection is closed.
        apptest::WaitFor([] { return Children() == 0; }, 10000);
        if (game % 100 == 0) {
            const Figures now = Measure();
            Print(game, now);
            if (game == 100)
                first = now;
        }
    }
    const Figures last = Measure();
    const double growth = games >= 100 && first.rssKiB > 0
                              ? 100.0 * double(last.rssKiB - first.rssKiB) / double(first.rssKiB)
                              : 0.0;
    const long long heapGrowth = last.heapBytes - first.heapBytes;
    std::printf("after %d games: rss %+.1f %% since game 100, heap in use %+lld bytes (%+.0f a game), "
                "descriptors %+d, timers %+d, children %d\n",
                games, growth, heapGrowth, games > 100 ? double(heapGrowth) / (games - 100) : 0.0,
                last.descriptors - first.descriptors, last.timers - first.timers, last.children);
    const bool held = growth <= 5.0 && last.descriptors <= first.descriptors &&
                      last.timers <= first.timers && last.children == 0;
    std::printf("%s\n", held ? "held" : "NOT HELD");
    return held ? 0 : 1;
}
