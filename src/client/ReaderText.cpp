#include "client/ReaderText.h"

#include "client/BoardRenderer.h"
#include "record/GameRecord.h"

#include <QStringList>

namespace client {

using namespace record;

QString DescribeForReader(const BoardModel& model, const QString& notice) {
    QStringList parts{notice.isEmpty() ? BoardRenderer::StatusText(model) : notice};
    if (!model.Started()) {
        return parts.join(". ") + '.';
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
