// referee: referees one game over the board client protocol, without windows.
#include "Match.h"
#include "Referee.h"
#include "desktop/CommandLine.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>

namespace {

// Like the program: an error that escapes a handler stops that handler only.
class RefereeApplication : public QCoreApplication {
  public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception&) {
            return false;
        }
    }
};

constexpr char Usage[] =
    "referee --port P --first NAME --second NAME [--program-folder DIR] "
    "[--pause-scale X] [--tick MS] [--record] [--level N] [--engine-wait MS] [--length L]\n"
    "       referee --match N --first NAME --second NAME [--length L] [--seed S] [--save DIR] "
    "[--level N] [--first-level N] [--second-level N] [--program-folder DIR]";
constexpr char Summary[] =
    "Referees one game over the board client protocol, without windows, or with\n"
    "--match a series of games between two computers, and prints its figures.\n"
    "--length L plays matches to L points with the doubling cube instead of\n"
    "single games (--match counts matches then).\n"
    "\"Компьютер\" as a name plays the built-in computer's side, \"GNU Backgammon\"\n"
    "the GNU Backgammon engine's (at --level plies, 0 by default).";

std::atomic<bool> stopMatch{false};

void StopMatch(int) {
    stopMatch = true;
}

void PrintLine(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Ctrl+C stops the match: the games in play are given up, the figures so far printed.
int RunMatch(const referee::RefereeOptions& options) {
    referee::MatchOptions match;
    match.games = options.match;
    match.seed = options.seed;
    match.first = {options.first, options.firstLevel};
    match.second = {options.second, options.secondLevel};
    match.programFolder = options.programFolder;
    match.saveDir = options.saveDir;
    match.length = options.length;
    std::signal(SIGINT, StopMatch);
    std::signal(SIGTERM, StopMatch);
    const int64_t every = std::max<int64_t>(1, options.match / 20);
    try {
        const referee::MatchFigures figures =
            referee::PlayMatch(match, stopMatch, [every](const referee::MatchGame& game) {
                if (game.done % every == 0)
                    std::fprintf(stderr, "%lld games played\n", static_cast<long long>(game.done));
            });
        PrintLine(QString("seed: %1").arg(options.seed));
        for (const QString& line : referee::FiguresReport(figures))
            PrintLine(line);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "referee: %s\n", e.what());
        return 2;
    }
    return stopMatch ? 130 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto answered = desktop::AnswerStandardOptions(argc, argv, "referee", Usage, Summary))
        return *answered;
    RefereeApplication app(argc, argv);
    referee::RefereeOptions options;
    QString error;
    if (!referee::ParseRefereeArguments(app.arguments().mid(1), options, error))
        return desktop::RejectArguments("referee", error.toStdString(), Usage);
    if (options.match > 0)
        return RunMatch(options);
    referee::Referee referee(options);
    referee.Print = PrintLine;
    QObject::connect(&referee, &referee::Referee::Finished, &app,
                     [&app](int code, const QString& line) {
                         PrintLine(line);
                         app.exit(code);
                     });
    try {
        referee.Start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "referee: %s\n", e.what());
        return 2;
    }
    PrintLine(QString("listening on port %1").arg(referee.Port()));
    return app.exec();
}
