#include "client/MatchModel.h"

#include "record/GameRecord.h"
#include "record/Notation.h"

#include <utility>

namespace client {

using record::PlayerName;
using record::SideName;

QString PointsWord(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    if (lastTwo >= 11 && lastTwo <= 14) {
        return QStringLiteral("очков");
    }
    if (last == 1) {
        return QStringLiteral("очко");
    }
    if (last >= 2 && last <= 4) {
        return QStringLiteral("очка");
    }
    return QStringLiteral("очков");
}

QString MatchLengthText(int length) {
    const bool one = length % 10 == 1 && length % 100 != 11;
    return QStringLiteral("Матч до %1 %2").arg(length).arg(one ? "очка" : "очков");
}

QString LevelName(int level) {
    switch (level) {
    case 2:
        return QStringLiteral("гаммон");
    case 3:
        return QStringLiteral("бэкгаммон");
    default:
        return QStringLiteral("одна партия");
    }
}

namespace {

QString Points(int n) {
    return QStringLiteral("%1 %2").arg(n).arg(PointsWord(n));
}

// "Белые сдаются (гаммон, 4 очка)": what the offer gives at the cube's value.
QString ResignText(const ResignInfo& offer, int cube) {
    return QStringLiteral("%1 сдаются (%2, %3)")
        .arg(SideName(offer.by, true), LevelName(offer.level), Points(offer.level * cube));
}

} // namespace

int MatchModel::Score(proc::Side side) const {
    return side == proc::White ? state_.scoreWhite : state_.scoreBlack;
}

void MatchModel::NewGame(const StartInfo& start) {
    // Each game draws the colours again: the score follows the players until
    // the game's own match state comes.
    const QString white = PlayerName(start.whiteLabel, proc::White);
    const QString black = PlayerName(start.blackLabel, proc::Black);
    if (white != black && white == PlayerName(blackLabel_, proc::Black) &&
        black == PlayerName(whiteLabel_, proc::White)) {
        std::swap(state_.scoreWhite, state_.scoreBlack);
    }
    whiteLabel_ = start.whiteLabel;
    blackLabel_ = start.blackLabel;
    state_.cubeValue = 1;
    state_.cubeOwner = 0;
    prompt_ = Prompt::None;
    double_.reset();
    resignPending_ = false;
    resumeCubeTurn_.reset();
    event_.clear();
    gameEnd_.reset();
}

void MatchModel::Apply(const Message& message) {
    if (const auto* start = std::get_if<StartInfo>(&message)) {
        NewGame(*start);
        return;
    }
    if (std::holds_alternative<DiceInfo>(message) || std::holds_alternative<MoveInfo>(message)) {
        // The game goes on: no question is open. The last answer stays in
        // view until a checker moves.
        prompt_ = Prompt::None;
        resignPending_ = false;
        if (std::holds_alternative<MoveInfo>(message)) {
            event_.clear();
        }
        return;
    }
    if (!record::IsMatchMessage(message)) {
        return;
    }
    isMatch_ = true;
    if (const auto* state = std::get_if<MatchStateInfo>(&message)) {
        state_ = *state;
    } else if (const auto* turn = std::get_if<CubeTurnInfo>(&message)) {
        prompt_ = Prompt::CubeTurn;
        promptSide_ = turn->side;
    } else if (const auto* offer = std::get_if<DoubleInfo>(&message)) {
        double_ = *offer;
        event_ = QStringLiteral("%1 удваивают до %2")
                     .arg(SideName(offer->doubler, true))
                     .arg(offer->value);
        prompt_ = offer->personAnswers ? Prompt::AnswerDouble : Prompt::None;
        promptSide_ = static_cast<proc::Side>(-offer->doubler);
    } else if (const auto* answer = std::get_if<DoubleAnswerInfo>(&message)) {
        prompt_ = Prompt::None;
        if (answer->taken) {
            state_.cubeValue = double_ ? double_->value : state_.cubeValue * 2;
            state_.cubeOwner = answer->taker;
            event_ = QStringLiteral("%1 принимают удвоение: куб на %2")
                         .arg(SideName(answer->taker, true))
                         .arg(state_.cubeValue);
        } else {
            event_ =
                QStringLiteral("%1 отказываются от удвоения").arg(SideName(answer->taker, true));
        }
        double_.reset();
    } else if (const auto* resign = std::get_if<ResignInfo>(&message)) {
        event_ = ResignText(*resign, state_.cubeValue);
        prompt_ = resign->personAnswers ? Prompt::AnswerResign : Prompt::None;
        promptSide_ = static_cast<proc::Side>(-resign->by);
    } else if (const auto* reply = std::get_if<ResignAnswerInfo>(&message)) {
        prompt_ = Prompt::None;
        event_ = reply->accepted
                     ? QStringLiteral("%1 принимают сдачу").arg(SideName(reply->side, true))
                     : QStringLiteral("%1 отклоняют сдачу, игра продолжается")
                           .arg(SideName(reply->side, true));
        if (!reply->accepted && resignPending_ && resumeCubeTurn_) {
            // Back to the choice the person left for the resignation.
            prompt_ = Prompt::CubeTurn;
            promptSide_ = *resumeCubeTurn_;
        }
        resignPending_ = false;
        resumeCubeTurn_.reset();
    } else if (const auto* end = std::get_if<GameOverInfo>(&message)) {
        (end->winner == proc::White ? state_.scoreWhite : state_.scoreBlack) += end->points;
        gameEnd_ = *end;
        prompt_ = Prompt::None;
        resignPending_ = false;
        event_.clear();
    }
}

bool MatchModel::Offers(proc::Command command, bool movesListed) const {
    using proc::Command;
    switch (command) {
    case Command::Roll:
    case Command::Double:
        return prompt_ == Prompt::CubeTurn;
    case Command::Take:
    case Command::Pass:
        return prompt_ == Prompt::AnswerDouble;
    case Command::Accept:
    case Command::Refuse:
        return prompt_ == Prompt::AnswerResign;
    case Command::Resign:
        return isMatch_ && !resignPending_ && !gameEnd_ &&
               (prompt_ == Prompt::CubeTurn || (prompt_ == Prompt::None && movesListed));
    default:
        return false;
    }
}

void MatchModel::Sent(proc::Command command) {
    if (command == proc::Command::Resign) {
        resignPending_ = true;
        if (prompt_ == Prompt::CubeTurn) {
            resumeCubeTurn_ = promptSide_;
        }
    }
    prompt_ = Prompt::None;
}

QString MatchModel::GameEndText() const {
    if (!gameEnd_) {
        return {};
    }
    const GameOverInfo& end = *gameEnd_;
    QString text =
        QStringLiteral("%1 выигрывают %2").arg(SideName(end.winner, true), Points(end.points));
    if (end.level > 1) {
        text += QStringLiteral(" (%1)").arg(LevelName(end.level));
    }
    if (end.matchOver) {
        const auto loser = static_cast<proc::Side>(-end.winner);
        text +=
            QStringLiteral(". Матч выиграл(а) %1, %2 : %3")
                .arg(PlayerName(end.winner == proc::White ? whiteLabel_ : blackLabel_, end.winner))
                .arg(Score(end.winner))
                .arg(Score(loser));
    }
    return text;
}

QString MatchModel::Status(const QString& gameStatus) const {
    if (!isMatch_) {
        return gameStatus;
    }
    switch (prompt_) {
    case Prompt::CubeTurn:
        return QStringLiteral("Ваш ход: удвоить или бросить кости?");
    case Prompt::AnswerDouble:
        return event_ + QStringLiteral(": принять или отказаться?");
    case Prompt::AnswerResign:
        return event_ + QStringLiteral(": принять или отклонить?");
    case Prompt::None:
        break;
    }
    if (gameEnd_) {
        return GameEndText();
    }
    if (resignPending_ && event_.isEmpty()) {
        return QStringLiteral("Вы сдаётесь: ждём ответа");
    }
    return event_.isEmpty() ? gameStatus : event_ + QStringLiteral(". ") + gameStatus;
}

} // namespace client
