#include "shell/PlayerList.h"

#include "db/PagedModel.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QWheelEvent>

namespace shell {

PlayerList::PlayerList(QComboBox* box, QString computer)
    : QAbstractListModel(box), box_(box), computer_(std::move(computer)) {
    box->setModel(this);
    box->installEventFilter(this);
    connect(box, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (!keepChoice_) {
            chosenText_.clear();
            chosenText_ = data(index(row), Qt::DisplayRole).toString();
        }
        chosenRow_ = row;
    });
}

PlayerList::~PlayerList() = default;

void PlayerList::Reset() {
    if (!filled_) {
        beginInsertRows(QModelIndex(), 0, 0);
        filled_ = true;
        endInsertRows();
    }
    if (!rows_ || rows_->rowCount() == 0) {
        rows_.reset();
        return;
    }
    beginRemoveRows(QModelIndex(), 1, rowCount() - 1);
    rows_.reset();
    endRemoveRows();
}

void PlayerList::Show(std::unique_ptr<db::PagedModel> rows, const QString& field) {
    Reset();
    column_ = rows->FieldIndex(field);
    // Pages read later come in as inserted rows, behind "Компьютер".
    connect(rows.get(), &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) {
                beginInsertRows(QModelIndex(), first + 1, last + 1);
            });
    connect(rows.get(), &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    // Rows read again (another launcher changed them) come as rows lost or
    // gained at the end and every row changed.
    connect(rows.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                keepChoice_ = true;
                beginRemoveRows(QModelIndex(), first + 1, last + 1);
            });
    connect(rows.get(), &QAbstractItemModel::rowsRemoved, this, [this] {
        endRemoveRows();
        keepChoice_ = false;
    });
    connect(rows.get(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                emit dataChanged(index(from.row() + 1), index(to.row() + 1));
                FollowChoice();
            });
    const int count = rows->rowCount();
    if (count == 0) {
        rows_ = std::move(rows);
        return;
    }
    beginInsertRows(QModelIndex(), 1, count);
    rows_ = std::move(rows);
    endInsertRows();
}

void PlayerList::FollowChoice() {
    // The chosen name may stand elsewhere now: the box moves to it, so that
    // it shows once. A name gone meanwhile stays chosen where it was.
    if (chosenRow_ <= 0 || chosenText_.isEmpty() ||
        rows_->index(chosenRow_ - 1, column_).data().toString() == chosenText_)
        return;
    const QModelIndexList found =
        rows_->match(rows_->index(0, column_), Qt::DisplayRole, chosenText_, 1,
                     Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!found.isEmpty())
        box_->setCurrentIndex(found.first().row() + 1);
}

int PlayerList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !filled_ ? 0 : 1 + (rows_ ? rows_->rowCount() : 0);
}

QVariant PlayerList::data(const QModelIndex& item, int role) const {
    if (!item.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    if (item.row() == 0)
        return computer_;
    if (item.row() == chosenRow_ && !chosenText_.isEmpty())
        return chosenText_;
    return rows_ ? rows_->data(rows_->index(item.row() - 1, column_), role) : QVariant();
}

bool PlayerList::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && rows_ && rows_->canFetchMore();
}

void PlayerList::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent))
        rows_->fetchMore();
}

bool PlayerList::eventFilter(QObject* watched, QEvent* event) {
    // The closed box steps through its items by keys and wheel: past the
    // last row read, the next page; to the end, every page.
    bool forward = false;
    bool toEnd = false;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        forward = key == Qt::Key_Down || key == Qt::Key_PageDown;
        toEnd = key == Qt::Key_End;
    } else if (event->type() == QEvent::Wheel) {
        forward = static_cast<QWheelEvent*>(event)->angleDelta().y() < 0;
    }
    if (toEnd) {
        while (canFetchMore())
            fetchMore();
    } else if (forward && box_->currentIndex() >= rowCount() - 1) {
        fetchMore();
    }
    return QAbstractListModel::eventFilter(watched, event);
}

} // namespace shell
