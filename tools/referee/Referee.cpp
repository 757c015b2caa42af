#include "Referee.h"

#include "db/DbError.h"
#include "db/ResultRecording.h"
#include "db/Unit6.h"

#include <QDateTime>
#include <QTimer>

namespace referee {

namespace {

game::IPause& PauseOf(game::IPause* given, std::unique_ptr<game::IPause>& own, double scale) {
    if (given != nullptr)
        return *given;
    own = std::make_unique<game::ThreadSleepPause>(scale);
    return *own;
}

// The launcher shows these texts in message boxes; here they are printed.
class PrintingAnnouncer : public db::Announcer {
  public:
    explicit PrintingAnnouncer(const std::function<void(const QString&)>& print) : print_(print) {}
    void Announce(const QString& text) override {
        if (print_)
            print_(text);
    }

  private:
    const std::function<void(const QString&)>& print_;
};

// GNU Backgammon's deeper levels take minutes a move.
constexpr int MaxLevel = 4;
// The longest match a record's text names.
constexpr int MaxLength = 9999;

bool CheckMatch(RefereeOptions& options, bool havePlayers, bool haveSeed, QString& error) {
    if (!havePlayers) {
        error = "--match needs --first and --second";
        return false;
    }
    if (!game::IsComputerName(options.first) || !game::IsComputerName(options.second)) {
        error = "a match is played by computers: " + game::ComputerName + " or " + game::EngineName;
        return false;
    }
    if (!haveSeed)
        options.seed = static_cast<uint64_t>(QDateTime::currentMSecsSinceEpoch());
    if (options.firstLevel < 0)
        options.firstLevel = options.level;
    if (options.secondLevel < 0)
        options.secondLevel = options.level;
    return true;
}

} // namespace

bool ParseRefereeArguments(const QStringList& args, RefereeOptions& options, QString& error) {
    bool havePort = false, haveFirst = false, haveSecond = false, haveSeed = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--record") {
            options.record = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = a.startsWith("--") ? a + " needs a value" : "unexpected argument " + a;
            return false;
        }
        const QString v = args[++i];
        bool ok = true;
        if (a == "--port") {
            const uint port = v.toUInt(&ok);
            ok = ok && port <= 65535;
            options.port = static_cast<uint16_t>(port);
            havePort = ok;
        } else if (a == "--first") {
            options.first = v;
            haveFirst = true;
        } else if (a == "--second") {
            options.second = v;
            haveSecond = true;
        } else if (a == "--program-folder") {
            options.programFolder = v;
        } else if (a == "--pause-scale") {
            options.pauseScale = v.toDouble(&ok);
            ok = ok && options.pauseScale >= 0 && options.pauseScale <= 100;
        } else if (a == "--tick") {
            options.tickMs = v.toInt(&ok);
            ok = ok && options.tickMs >= 0;
        } else if (a == "--level" || a == "--first-level" || a == "--second-level") {
            const int level = v.toInt(&ok);
            ok = ok && level >= 0 && level <= MaxLevel;
            (a == "--level"         ? options.level
             : a == "--first-level" ? options.firstLevel
                                    : options.secondLevel) = level;
        } else if (a == "--engine-wait") {
            options.engineWaitMs = v.toInt(&ok);
            ok = ok && options.engineWaitMs > 0;
        } else if (a == "--length") {
            options.length = v.toInt(&ok);
            ok = ok && options.length >= 1 && options.length <= MaxLength;
        } else if (a == "--match") {
            options.match = v.toLongLong(&ok);
            ok = ok && options.match > 0;
        } else if (a == "--seed") {
            options.seed = v.toULongLong(&ok);
            haveSeed = ok;
        } else if (a == "--save") {
            options.saveDir = v;
            ok = !v.isEmpty();
        } else {
            error = "unknown option " + a;
            return false;
        }
        if (!ok) {
            error = "bad value for " + a + ": " + v;
            return false;
        }
    }
    if (options.match > 0)
        return CheckMatch(options, haveFirst && haveSecond, haveSeed, error);
    if (!havePort || !haveFirst || !haveSecond) {
        error = "--port, --first and --second are required";
        return false;
    }
    if (haveSeed || !options.saveDir.isEmpty() || options.firstLevel >= 0 ||
        options.secondLevel >= 0) {
        error = "--seed, --save, --first-level and --second-level go with --match";
        return false;
    }
    return true;
}

QString ResultLine(const game::GameResult& result) {
    const QString winnerSide = result.WhiteWon() ? "white" : "black";
    const QString loserSide = result.WhiteWon() ? "black" : "white";
    return QString("winner: %1 (%2); loser: %3 (%4); margin: %5")
        .arg(result.Winner(), winnerSide, result.Loser(), loserSide)
        .arg(result.Margin());
}

Referee::Referee(const RefereeOptions& options, game::IPause* pause, QObject* parent)
    : QObject(parent), options_(options), names_(options.first, options.second), link_(DM),
      seats_(options.programFolder, options.level),
      Controller(link_, names_, PauseOf(pause, ownPause_, options.pauseScale), *this,
                 options.programFolder.toStdString()) {
    seats_.SetAnswerMs(options.engineWaitMs);
    Controller.SetSeats(&seats_);
    Controller.MatchLength = options.length;
    Controller.NoticeHook = [this](const QString& text) {
        if (Print)
            Print(text);
    };
    DM.AcceptHook = [this] { Controller.StartGame(); };
    DM.DisconnectHook = [this] {
        // What the dialog's close does: stop the game, close the socket.
        Controller.FormClose();
        if (!Result)
            emit Finished(1, QStringLiteral("client disconnected"));
    };
}

Referee::~Referee() = default;

void Referee::Start() {
    proc::Board probe{};
    proc::LoadBoard(probe, options_.programFolder.toStdString());
    DM.OpenGameServer(options_.port);
    if (options_.tickMs >= 0 && Timer == nullptr)
        Timer = game::StartTurnTimer(Controller, this, options_.tickMs);
}

void Referee::GameEnded(const game::GameResult& result) {
    Result = result;
    emit Finished(options_.record ? Record(result) : 0, ResultLine(result));
}

int Referee::Record(const game::GameResult& result) {
    PrintingAnnouncer announcer(Print);
    // The launcher's recording code, and its outbox, on a module of this game only.
    db::TDModule module(options_.programFolder);
    db::Outbox outbox(options_.programFolder);
    try {
        switch (db::RecordResult(module, announcer, result.r, result.whiteName, result.blackName,
                                 result.whiteHuman, result.blackHuman, db::TodayShortDate,
                                 {result.identity, result.RecordText()}, &outbox)) {
        case db::Recorded::Queued:
            announcer.Announce(db::QueuedText);
            return 4;
        case db::Recorded::Held:
            announcer.Announce(db::HeldText);
            return 4;
        case db::Recorded::Done:
        case db::Recorded::Nothing:
            break;
        }
        return 0;
    } catch (const db::DbError& e) {
        announcer.Announce(db::RecordingFailedText(QString::fromUtf8(e.what())));
        return 3;
    }
}

} // namespace referee
