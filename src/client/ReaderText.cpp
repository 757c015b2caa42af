#include "client/ReaderText.h"

#include "client/BoardRenderer.h"
#include "record/GameRecord.h"

#include <QStringList>

namespace client {

using namespace record;

QString DescribeForReader(const BoardModel& model, const QString& notice, const MatchModel* match) {
    QStringList parts{BoardRenderer::StatusLine(model, {std::nullopt, notice, match})};
    if (!model.Started()) {
        return parts.join(". ") + '.';
    }
    if (match && match->IsMatch()) {
        parts << QStringLiteral("%1: %2 %3, %4 %5")
                     .arg(MatchLengthText(match->Length()))
                     .arg(PlayerName(model.WhiteLabel(), proc::White))
                     .arg(match->Score(proc::White))
                     .arg(PlayerName(model.BlackLabel(), proc::Black))
                     .arg(match->Score(proc::Black));
        parts << (match->CubeOwner() == 0 ? QStringLiteral("Куб в середине")
                                          : QStringLiteral("Куб на %1 у %2")
                                                .arg(match->CubeValue())
                                                .arg(SideGenitive(match->CubeOwner())));
        if (match->Crawford()) {
            parts << QStringLiteral("Партия Кроуфорда: без удвоений");
        }
    }
    if (model.SideToMove() && !model.GameOver()) {
        QStringList left;
        for (const DieUse& die : model.DiceUses()) {
            if (!die.used) {
                left << QString::number(die.face);
            }
        }
        parts << QStringLiteral("Кости %1: %2")
                     .arg(SideGenitive(*model.SideToMove()),
                          left.isEmpty() ? QStringLiteral("сыграны")
                                         : left.join(QStringLiteral(" и ")));
    }
    parts << QStringLiteral("Пипы: %1 %2, %3 %4")
                 .arg(model.WhiteLabel())
                 .arg(PipCount(model.Board(), proc::White))
                 .arg(model.BlackLabel())
                 .arg(PipCount(model.Board(), proc::Black));
    if (!model.LastTurn().empty()) {
        Turn last{model.LastTurn().front().side, 0, model.LastTurn(), false};
        parts
            << QStringLiteral("Последний ход: %1 %2").arg(SideName(last.side), TurnMovesText(last));
    }
    return parts.join(". ") + '.';
}

} // namespace client
