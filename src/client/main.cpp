// tolvaner: the board client. Started by the launcher with no arguments in the
// program folder; connects to the referee and shows the game.
#include "client/BoardWidget.h"
#include "client/ClientArguments.h"
#include "client/ClientSession.h"
#include "client/ClientSettings.h"
#include "desktop/CommandLine.h"
#include "desktop/DesktopIdentity.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace {

// After the referee closes the connection the final position stays this long.
constexpr int FarewellMs = 5000;
// A failed connection stays on screen this long.
constexpr int FailureMs = 10000;

constexpr char Usage[] = "tolvaner [--auto [--seed S]] [--port P] [--screenshot FILE] [--quit-on-close]";
constexpr char Summary[] =
    "Backgammon board client. Reads Config.cfg in the current directory and\n"
    "connects to the referee on 127.0.0.1. Without arguments it takes its options\n"
    "from the TOLVANER_ARGS environment variable.";

void Err(const QString& line) {
    std::fprintf(stderr, "tolvaner: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void Out(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (const auto answered =
            desktop::AnswerStandardOptions(argc, argv, "tolvaner", Usage, Summary))
        return *answered;
    QString error;
    // The launcher starts the client without arguments; a demo run passes its
    // options through the environment instead. A wrong command line is
    // refused before any window system starts.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    if (given.isEmpty())
        given = QProcess::splitCommand(qEnvironmentVariable("TOLVANER_ARGS"));
    const auto args = client::ParseClientArguments(given, error);
    if (!args)
        return desktop::RejectArguments("tolvaner", error.toStdString(), Usage);
    desktop::PrepareDesktopIdentity();
    QApplication app(argc, argv);
    desktop::ApplyDesktopIdentity();
    QStringList problems;
    const client::ClientSettings settings = client::LoadClientSettings(
        QDir::current().filePath(QStringLiteral("Config.cfg")), problems);
    for (const QString& problem : problems) {
        Err(problem);
    }
    const quint16 port = args->port.value_or(settings.port);

    client::ClientSession session({args->autoPlay, args->seed},
                                  args->autoPlay ? client::ClientSession::LogSink(Out) : nullptr);
    client::BoardWidget window(session);
    window.resize(settings.width, settings.height);
    window.SetNotice(QStringLiteral("Подключение к игре…"));

    auto saveScreenshot = [&] {
        if (args->screenshot.isEmpty()) {
            return true;
        }
        if (!window.Snapshot(window.size()).save(args->screenshot, "PNG")) {
            Err(QStringLiteral("cannot write %1").arg(args->screenshot));
            return false;
        }
        return true;
    };
    QObject::connect(&session, &client::ClientSession::ConnectedToServer, &window,
                     [&] { window.SetNotice(QString()); });
    QObject::connect(
        &session, &client::ClientSession::ConnectFailed, &window, [&](const QString& reason) {
            Err(reason);
            window.SetNotice(QStringLiteral("Не удалось подключиться к игре (порт %1)").arg(port));
            if (args->autoPlay) {
                app.exit(3);
            } else {
                QTimer::singleShot(FailureMs, &window, &QWidget::close);
            }
        });
    QObject::connect(&session, &client::ClientSession::GameOver, &window, [&] {
        if (args->quitOnClose) {
            app.exit(saveScreenshot() ? 0 : 4);
        } else {
            saveScreenshot();
            QTimer::singleShot(FarewellMs, &window, &QWidget::close);
        }
    });

    if (settings.fullscreen) {
        window.showFullScreen();
    } else {
        window.show();
    }
    session.Start(port);
    return app.exec();
}
