#include "shell/PlayerList.h"

#include "db/PagedModel.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QWheelEvent>
#include <algorithm>

namespace shell {

PlayerList::PlayerList(QComboBox* box) : QAbstractListModel(box), box_(box) {
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

void PlayerList::DropRows() {
    if (!rows_ || rows_->rowCount() == 0) {
        rows_.reset();
        return;
    }
    beginRemoveRows(QModelIndex(), Fixed(), rowCount() - 1);
    rows_.reset();
    endRemoveRows();
}

void PlayerList::Reset(const QStringList& computers) {
    DropRows();
    // Computers come and go at the end of their run, so the box keeps
    // standing on the first.
    const int had = Fixed();
    const int now = int(computers.size());
    const int kept = std::min(had, now);
    const bool renamed = computers_.mid(0, kept) != computers.mid(0, kept);
    if (now > had) {
        beginInsertRows(QModelIndex(), had, now - 1);
        computers_ = computers;
        endInsertRows();
    } else if (now < had) {
        beginRemoveRows(QModelIndex(), now, had - 1);
        computers_ = computers;
        endRemoveRows();
    } else {
        computers_ = computers;
    }
    if (renamed)
        emit dataChanged(index(0), index(kept - 1));
}

void PlayerList::Show(std::unique_ptr<db::PagedModel> rows, const QString& field) {
    DropRows();
    column_ = rows->FieldIndex(field);
    // Pages read later come in as inserted rows, behind the computers.
    connect(rows.get(), &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) {
                beginInsertRows(QModelIndex(), first + Fixed(), last + Fixed());
            });
    connect(rows.get(), &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    // Rows read again (another launcher changed them) come as rows lost or
    // gained at the end and every row changed.
    connect(rows.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                keepChoice_ = true;
                beginRemoveRows(QModelIndex(), first + Fixed(), last + Fixed());
            });
    connect(rows.get(), &QAbstractItemModel::rowsRemoved, this, [this] {
        endRemoveRows();
        keepChoice_ = false;
    });
    connect(rows.get(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                emit dataChanged(index(from.row() + Fixed()), index(to.row() + Fixed()));
                FollowChoice();
            });
    const int count = rows->rowCount();
    if (count == 0) {
        rows_ = std::move(rows);
        return;
    }
    beginInsertRows(QModelIndex(), Fixed(), Fixed() + count - 1);
    rows_ = std::move(rows);
    endInsertRows();
}

void PlayerList::FollowChoice() {
    // The chosen name may stand elsewhere now: the box moves to it, so that
    // it shows once. A name gone meanwhile stays chosen where it was.
    if (chosenRow_ < Fixed() || chosenText_.isEmpty() ||
        rows_->index(chosenRow_ - Fixed(), column_).data().toString() == chosenText_)
        return;
    const QModelIndexList found =
        rows_->match(rows_->index(0, column_), Qt::DisplayRole, chosenText_, 1,
                     Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!found.isEmpty())
        box_->setCurrentIndex(found.first().row() + Fixed());
}

int PlayerList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Fixed() + (rows_ ? rows_->rowCount() : 0);
}

QVariant PlayerList::data(const QModelIndex& item, int role) const {
    if (!item.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    if (item.row() < Fixed())
        return computers_[item.row()];
    if (item.row() == chosenRow_ && !chosenText_.isEmpty())
        return chosenText_;
    return rows_ ? rows_->data(rows_->index(item.row() - Fixed(), column_), role) : QVariant();
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
