#include "Match.h"

#include "SelfPlay.h"
#include "game/EngineSeat.h"
#include "game/TurnController.h"
#include "record/ExchangeFormats.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace referee {

namespace {

// A game with no end in sight (a board without checkers) is given up.
constexpr int StepLimit = 100000;

class NoLink : public game::IClientLink {
  public:
    int32_t SendToClient(const uint8_t*, int32_t size) override { return size; }
    int32_t ReceiveFromClient(uint8_t*, int32_t) override { return -1; }
    void CloseGameServer() override {}
};

class NoPause : public game::IPause {
  public:
    void Wait(int) override {}
};

class KeepResult : public game::IGameEndSink {
  public:
    void GameEnded(const game::GameResult& result) override { kept = result; }
    std::optional<game::GameResult> kept;
};

// Times each decision of the seat it wraps.
class TimedSeat : public game::IComputerSeat {
  public:
    explicit TimedSeat(std::unique_ptr<game::IComputerSeat> seat) : seat_(std::move(seat)) {}
    game::TurnPlan PlanTurn(const proc::Board& board, proc::Side side, proc::Dice dice) override {
        const auto start = std::chrono::steady_clock::now();
        game::TurnPlan plan = seat_->PlanTurn(board, side, dice);
        decisionMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        return plan;
    }
    // The cube is the seat's own too; only the plays are timed.
    void SeeMatch(const match::MatchState& state) override { seat_->SeeMatch(state); }
    bool Doubles(const proc::Board& board, proc::Side side,
                 const match::MatchState& state) override {
        return seat_->Doubles(board, side, state);
    }
    bool Takes(const proc::Board& board, proc::Side taker,
               const match::MatchState& state) override {
        return seat_->Takes(board, taker, state);
    }
    bool Accepts(const proc::Board& board, proc::Side side, const match::Resignation& offer,
                 const match::MatchState& state) override {
        return seat_->Accepts(board, side, offer, state);
    }
    std::vector<double> decisionMs;

  private:
    std::unique_ptr<game::IComputerSeat> seat_;
};

std::unique_ptr<TimedSeat> SeatOf(const MatchPlayer& player, const QString& socketFolder) {
    if (player.name != game::EngineName)
        return std::make_unique<TimedSeat>(std::make_unique<game::BuiltInSeat>());
    engine::GnubgSettings settings;
    settings.socketFolder = socketFolder;
    settings.plies = player.plies;
    return std::make_unique<TimedSeat>(std::make_unique<game::EngineSeat>(settings));
}

// The first player sits white in even games: the opening roll decides who
// is white, so the names are given out after it.
// In a match to points the score is kept by the lists, so the first player
// stays first and the opening roll alone gives the colours.
class MatchNames : public game::IPlayerNames, public game::ISeats {
  public:
    MatchNames(const game::TurnController& game, const MatchOptions& options, TimedSeat& first,
               TimedSeat& second)
        : game_(game), options_(options), first_(first), second_(second) {}
    bool firstWhite = true;

    QString FirstName() const override { return FirstListed() ? Name(true) : Name(false); }
    QString SecondName() const override { return FirstListed() ? Name(false) : Name(true); }
    game::IComputerSeat* SeatFor(proc::Side side, const QString&) override {
        return (side == proc::White) == FirstIsWhite() ? static_cast<game::IComputerSeat*>(&first_)
                                                       : &second_;
    }

  private:
    bool OpeningGivesWhiteToFirstList() const {
        return proc::FirstDie(game_.GameDice) > proc::SecondDie(game_.GameDice);
    }
    // Whether the dialog's first list holds the first player.
    bool FirstListed() const {
        return options_.length > 1 || OpeningGivesWhiteToFirstList() == firstWhite;
    }
    bool FirstIsWhite() const {
        return options_.length > 1 ? OpeningGivesWhiteToFirstList() : firstWhite;
    }
    QString Name(bool first) const { return first ? options_.first.name : options_.second.name; }

    const game::TurnController& game_;
    const MatchOptions& options_;
    TimedSeat& first_;
    TimedSeat& second_;
};

void SaveText(const QString& path, const QString& text) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error("cannot write " + file.fileName().toStdString() + ": " +
                                 file.errorString().toStdString());
}

QString SavedName(const QString& dir, const char* kind, int64_t index, const char* suffix) {
    return QDir(dir).filePath(
        QStringLiteral("%1-%2.%3").arg(kind).arg(index + 1, 5, 10, QLatin1Char('0')).arg(suffix));
}

void SaveGame(const QString& dir, int64_t index, const game::GameResult& result) {
    if (result.match) {
        SaveText(SavedName(dir, "match", index, "txt"), result.RecordText());
        return;
    }
    const record::GameRecord& record = result.record;
    const QString problem = record::MatProblem(record);
    if (!problem.isEmpty())
        throw std::runtime_error("game " + std::to_string(index + 1) +
                                 " cannot be saved: " + problem.toStdString());
    SaveText(SavedName(dir, "game", index, "mat"), record::MatText(record, record.StartTime()));
}

// One worker: its own seats (and engine processes), games taken by number.
class Worker {
  public:
    Worker(const MatchOptions& options, const std::atomic<bool>& stop)
        : options_(options), stop_(stop), first_(SeatOf(options.first, options.programFolder)),
          second_(SeatOf(options.second, options.programFolder)),
          controller_(link_, names_, pause_, sink_, options.programFolder.toStdString()),
          names_(controller_, options, *first_, *second_) {
        controller_.SetSeats(&names_);
    }

    /*! Plays game index; its result, none when it was given up. */
    const game::GameResult* Play(int64_t index, MatchFigures& figures) {
        names_.firstWhite = index % 2 == 0;
        controller_.MatchLength = options_.length;
        controller_.RollHook = MatchDice(options_.seed, index);
        sink_.kept.reset();
        controller_.StartGame();
        for (int step = 0; controller_.GameRunning && step < StepLimit && !stop_; ++step)
            controller_.TimerTimer();
        if (!sink_.kept) {
            controller_.FormClose();
            ++figures.unfinished;
            return nullptr;
        }
        const game::GameResult& result = *sink_.kept;
        const bool firstWon =
            result.match ? result.match->Winner() > 0 : result.WhiteWon() == names_.firstWhite;
        ++(firstWon ? figures.first.wins : figures.second.wins);
        ++figures.games;
        if (result.match) {
            for (const record::MatchGame& game : result.match->games)
                figures.plies += static_cast<int64_t>(game.game.PlayedTurns().size());
        } else {
            figures.plies += static_cast<int64_t>(result.record.PlayedTurns().size());
        }
        if (!options_.saveDir.isEmpty())
            SaveGame(options_.saveDir, index, result);
        return &result;
    }

    std::vector<double>& FirstTimes() { return first_->decisionMs; }
    std::vector<double>& SecondTimes() { return second_->decisionMs; }

  private:
    const MatchOptions& options_;
    const std::atomic<bool>& stop_;
    std::unique_ptr<TimedSeat> first_;
    std::unique_ptr<TimedSeat> second_;
    NoLink link_;
    NoPause pause_;
    KeepResult sink_;
    game::TurnController controller_;
    MatchNames names_;
};

} // namespace

std::function<uint16_t()> MatchDice(uint64_t seed, int64_t index) {
    auto clock = selfplay::SeededDiceClock(
        seed ^ (0x9E3779B97F4A7C15ull * static_cast<uint64_t>(index + 1)));
    return [clock]() mutable { return proc::RollDiceFrom(clock()); };
}

MatchFigures PlayMatch(const MatchOptions& options, const std::atomic<bool>& stop,
                       const std::function<void(const MatchGame&)>& progress) {
    proc::Board probe{};
    proc::LoadBoard(probe, options.programFolder.toStdString());
    if (!options.saveDir.isEmpty() && !QDir().mkpath(options.saveDir))
        throw std::runtime_error("cannot make the folder " + options.saveDir.toStdString());

    MatchFigures figures;
    figures.first.name = options.first.name;
    figures.second.name = options.second.name;
    figures.length = options.length;
    std::mutex lock; // figures, progress and the first error
    std::atomic<int64_t> next{0};
    std::string failure;
    auto work = [&] {
        try {
            Worker worker(options, stop);
            MatchFigures mine;
            for (int64_t index = next++; index < options.games && !stop; index = next++) {
                MatchFigures one;
                const game::GameResult* result = worker.Play(index, one);
                const std::lock_guard guard(lock);
                figures.games += one.games;
                figures.plies += one.plies;
                figures.unfinished += one.unfinished;
                figures.first.wins += one.first.wins;
                figures.second.wins += one.second.wins;
                if (result && progress)
                    progress({figures.games, index, *result});
            }
            const std::lock_guard guard(lock);
            auto& firstTimes = worker.FirstTimes();
            auto& secondTimes = worker.SecondTimes();
            figures.first.decisionMs.insert(figures.first.decisionMs.end(), firstTimes.begin(),
                                            firstTimes.end());
            figures.second.decisionMs.insert(figures.second.decisionMs.end(), secondTimes.begin(),
                                             secondTimes.end());
        } catch (const std::exception& e) {
            const std::lock_guard guard(lock);
            if (failure.empty())
                failure = e.what();
            next = options.games; // the other worker stops too
        }
    };
    const int workers = static_cast<int>(
        std::clamp<int64_t>(options.workers, 1, std::max<int64_t>(1, options.games)));
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    if (!failure.empty())
        throw std::runtime_error(failure);
    return figures;
}

} // namespace referee
