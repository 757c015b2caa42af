#include "shell/JournalMarks.h"

#include "db/Corrections.h"
#include "db/ServerWatch.h"
#include "db/Unit6.h"
#include "shell/DbGrid.h"
#include "shell/ExceptionSink.h"

#include <QHelpEvent>
#include <QSqlQueryModel>
#include <QTimer>
#include <QToolTip>

namespace shell {

namespace {
constexpr int BusyRetryMs = 50;
} // namespace

std::map<qint64, QString> ReversalNotes(const std::vector<db::CorrectionRow>& log) {
    std::map<qint64, QString> notes;
    for (const db::CorrectionRow& row : log) {
        // A clearing leaves the reversal in the log without its game.
        if (row.kind != QLatin1String("reverse") || row.other == 0)
            continue;
        const QString date = QDateTime::fromString(row.time, Qt::ISODate)
                                 .toLocalTime()
                                 .toString(QStringLiteral("dd.MM.yyyy"));
        notes[row.other] = row.reason.isEmpty()
                               ? QStringLiteral("Партия отменена, %1").arg(date)
                               : QStringLiteral("Партия отменена: %1, %2").arg(row.reason, date);
    }
    return notes;
}

TJournalMarks::TJournalMarks(db::TDModule& module, TDBGrid* grid)
    : QStyledItemDelegate(grid), module_(module), grid_(grid) {
    connect(module_.IBGames.Model(), &QAbstractItemModel::modelReset, this, &TJournalMarks::Opened);
    Opened();
}

void TJournalMarks::Opened() {
    notes_.clear();
    // The reset comes before the query counts as open: an open one has columns.
    if (due_ || module_.IBGames.Model()->columnCount() == 0)
        return;
    due_ = true;
    QMetaObject::invokeMethod(this, &TJournalMarks::Read, Qt::QueuedConnection);
}

void TJournalMarks::Read() {
    // A step waiting for the server lets events through; the log is read
    // once the connection is free again.
    if (db::ServerCallRunning()) {
        QTimer::singleShot(BusyRetryMs, this, &TJournalMarks::Read);
        return;
    }
    due_ = false;
    // A log that cannot be read leaves the rows unmarked; the journal stays.
    DropErrors([this] {
        if (module_.IBGames.Active())
            notes_ = ReversalNotes(db::ReadCorrections(module_));
    });
    grid_->viewport()->update();
}

QString TJournalMarks::Note(int row) const {
    const int code = grid_->ColumnOf(QStringLiteral("G_CODE"));
    if (notes_.empty() || code < 0)
        return {};
    const auto found = notes_.find(grid_->model()->index(row, code).data().toLongLong());
    return found == notes_.end() ? QString() : found->second;
}

void TJournalMarks::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (Note(index.row()).isEmpty())
        return;
    option->font.setStrikeOut(true);
    option->palette.setColor(QPalette::Text, Qt::darkGray);
    option->palette.setColor(QPalette::HighlightedText, Qt::lightGray);
}

bool TJournalMarks::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                              const QStyleOptionViewItem& option, const QModelIndex& index) {
    const QString note = index.isValid() ? Note(index.row()) : QString();
    if (event->type() != QEvent::ToolTip || note.isEmpty())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), note, view, view->visualRect(index));
    return true;
}

} // namespace shell
