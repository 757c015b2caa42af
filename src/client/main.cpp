// tolvaner: the board client. Started by the launcher with no arguments in the
// program folder; connects to the referee and shows the game.
#include "client/ClientWindow.h"
#include "client/ClientArguments.h"
#include "client/ClientSession.h"
#include "client/ClientSettings.h"
#include "record/GameFile.h"
#include "record/GameRecord.h"
#include "desktop/CommandLine.h"
#include "desktop/DesktopIdentity.h"
#include "desktop/QtTranslation.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace {

// A failed connection stays on screen this long.
constexpr int FailureMs = 10000;

constexpr char Usage[] = "tolvaner [--auto [--seed S]] [--port P] [--screenshot FILE] [--record FILE]"
                       " [--quit-on-close] | --open FILE";
constexpr char Summary[] =
    "Backgammon board client. Reads Config.cfg in the current directory and\n"
    "connects to the referee on 127.0.0.1. Without arguments it takes its options\n"
    "from the TOLVANER_ARGS environment variable. --open FILE replays a saved\n"
    "game instead (.txt, .mat or .sgf).";
constexpr char SummaryRu[] =
    "Доска для игры в нарды. Читает Config.cfg в текущем каталоге и подключается\n"
    "к судье на 127.0.0.1. Без аргументов берёт параметры из переменной окружения\n"
    "TOLVANER_ARGS. --open FILE вместо игры показывает сохранённую партию (.txt, .mat или .sgf).";

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
            desktop::AnswerStandardOptions(argc, argv, "tolvaner", Usage, Summary, SummaryRu))
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
    // The save dialog and every other text Qt draws speak Russian, as the launcher does.
    desktop::InstallQtTranslation();
    QStringList problems;
    const client::ClientSettings settings = client::LoadClientSettings(
        QDir::current().filePath(QStringLiteral("Config.cfg")), problems);
    for (const QString& problem : problems) {
        Err(problem);
    }
    const quint16 port = args->port.value_or(settings.port);

    client::ClientSession session({args->autoPlay, args->seed},
                                  args->autoPlay ? client::ClientSession::LogSink(Out) : nullptr);
    client::ClientWindow window(session);
    window.SetAskOnClose(!args->autoPlay);
    window.ResizeBoardTo(QSize(settings.width, settings.height));
    if (!args->open.isEmpty()) {
        QString problem;
        QString note;
        const auto game = record::OpenGame(args->open, problem, &note);
        if (!game) {
            const QString text =
                QStringLiteral("Не удалось открыть партию %1: %2").arg(args->open, problem);
            Err(text);
            QMessageBox::critical(nullptr, QStringLiteral("Вертан"), text);
            return 2;
        }
        window.show();
        window.ShowGame(*game, note);
        return app.exec();
    }
    window.Board().SetNotice(QStringLiteral("Подключение к игре…"));

    auto saveScreenshot = [&] {
        if (args->screenshot.isEmpty()) {
            return true;
        }
        if (!window.Board().Snapshot(window.Board().size()).save(args->screenshot, "PNG")) {
            Err(QStringLiteral("cannot write %1").arg(args->screenshot));
            return false;
        }
        return true;
    };
    QObject::connect(&session, &client::ClientSession::ConnectedToServer, &window,
                     [&] { window.Board().SetNotice(QString()); });
    // The notice stays on screen a while; a test run ends at once.
    auto endWithNotice = [&](const QString& notice) {
        window.Board().SetNotice(notice);
        if (args->autoPlay) {
            app.exit(3);
        } else {
            QTimer::singleShot(FailureMs, &window, &QWidget::close);
        }
    };
    QObject::connect(&session, &client::ClientSession::ConnectFailed, &window,
                     [&](const QString& reason) {
                         Err(reason);
                         endWithNotice(
                             QStringLiteral("Не удалось подключиться к игре (порт %1)").arg(port));
                     });
    QObject::connect(&session, &client::ClientSession::ForeignServer, &window, [&] {
        Err(QStringLiteral("the program on port %1 belongs to another account").arg(port));
        endWithNotice(QStringLiteral("Порт %1 занят программой другого пользователя").arg(port));
    });
    auto saveRecord = [&] {
        if (args->record.isEmpty()) {
            return true;
        }
        // A connection that ended before the start leaves no game to keep.
        if (!session.Record().Started()) {
            Err(QStringLiteral("no game was played: %1 not written").arg(args->record));
            return false;
        }
        QString problem;
        const auto format = record::FormatOfPath(args->record).value_or(record::GameFormat::Record);
        if (record::WriteGame(session.Record(), format, args->record, problem)) {
            return true;
        }
        Err(QStringLiteral("cannot write %1: %2").arg(args->record, problem));
        return false;
    };
    // The window stays with the result and the replay until the person closes it.
    QObject::connect(&session, &client::ClientSession::GameOver, &window, [&] {
        const bool recorded = saveRecord();
        if (!recorded && !session.Record().Started()) {
            app.exit(4);
            return;
        }
        const bool shot = saveScreenshot();
        if (args->quitOnClose) {
            app.exit(recorded && shot ? 0 : 4);
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
