#include "shell/Demo.h"

#include "game/GamePorts.h"
#include "shell/MessageBoxes.h"
#include "shell/ProgramEnd.h"
#include "shell/StartUp.h"
#include "shell/Unit1.h"
#include "shell/Unit2.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace shell {
namespace {

void Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

bool Save(QWidget* window, const QString& path) {
    const bool saved = window->grab().save(path, "PNG");
    Print(saved ? QStringLiteral("screenshot: ") + path : QStringLiteral("cannot write ") + path);
    return saved;
}

// Runs the event loop until done() or the time is up.
bool WaitUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

} // namespace

std::optional<DemoOptions> ParseDemoArguments(const QStringList& args, QString& error) {
    if (args.isEmpty())
        return std::nullopt;
    DemoOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--demo") && hasValue) {
            options.folder = args[++i];
        } else if (arg == QLatin1String("--pause-scale") && hasValue) {
            bool ok = false;
            options.pauseScale = args[++i].toDouble(&ok);
            if (!ok || options.pauseScale < 0) {
                error = QStringLiteral("bad pause scale: ") + args[i];
                return std::nullopt;
            }
        } else {
            error = QStringLiteral("unknown argument: ") + arg;
            return std::nullopt;
        }
    }
    if (options.folder.isEmpty()) {
        error = QStringLiteral("--demo needs a folder");
        return std::nullopt;
    }
    return options;
}

int RunDemo(const DemoOptions& options) {
    PrepareApplication();
    const QString folder = QFileInfo(options.folder).absoluteFilePath();
    QDir().mkpath(folder);
    const QString board = folder + QStringLiteral("/final-board.png");
    QFile::remove(board);
    // The client inherits these: it plays by itself and saves its last picture.
    qputenv("TOLVANER_ARGS", "--auto --seed 1 --screenshot \"" + board.toUtf8() + '"');

    bool gameOver = false;
    SetMessageBoxHook([&gameOver](BoxKind, const QString& caption, const QString& text) {
        Print(QStringLiteral("[%1] %2").arg(caption, text));
        gameOver = true;
        return true;
    });
    Program program;
    if (ProgramEndRequested())
        return 1;
    game::ThreadSleepPause pause(options.pauseScale);
    Form2->SetPause(pause);
    Form2->Timer->setInterval(std::max(1, static_cast<int>(1000 * options.pauseScale)));

    Form1->ShowCentred();
    WaitUntil([] { return false; }, 200); // let the menu paint
    Save(Form1, folder + QStringLiteral("/main-menu.png"));

    Form1->Label2Click();
    WaitUntil([] { return Form2->ComboBox1->count() > 0; }, 5000);
    Print(QStringLiteral("new game: %1 against %2")
              .arg(Form2->ComboBox1->currentText(), Form2->ComboBox2->currentText()));
    Form2->Button1->click();
    if (gameOver) // the launch failed; its box has been printed
        return 1;
    if (!WaitUntil([&gameOver] { return gameOver && Form1->isVisible(); }, 30 * 60 * 1000))
        return 1;
    // The client saves its picture and ends once the connection has closed.
    for (QProcess* client : qApp->findChildren<QProcess*>())
        client->waitForFinished(10000);
    Print(QFileInfo::exists(board) ? QStringLiteral("screenshot: ") + board
                                   : QStringLiteral("the client saved no picture"));
    SetMessageBoxHook({});
    return 0;
}

} // namespace shell
