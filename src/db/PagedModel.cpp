#include "db/PagedModel.h"

#include "db/ServerWatch.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <QTimer>
#include <algorithm>

namespace db {

namespace {
// How soon a refresh due during a step that waits on the server is tried again.
constexpr int BusyRetryMs = 50;
} // namespace

void PagedModel::SetPages(const QSqlRecord& fields, Rows first, QList<int> keyFields,
                          PageReader reader) {
    beginResetModel();
    paged_ = true;
    fields_ = fields;
    keyFields_ = std::move(keyFields);
    reader_ = std::move(reader);
    kept_.clear();
    recent_.clear();
    marks_.clear();
    changed_ = false;
    failure_.clear();
    rows_ = int(first.size());
    ended_ = rows_ < PageRows;
    if (!first.empty())
        marks_.push_back(MarkOf(first));
    Keep(0, std::move(first));
    endResetModel();
}

std::unique_ptr<PagedModel> PagedModel::Copy() const {
    auto copy = std::make_unique<PagedModel>();
    copy->paged_ = paged_;
    copy->fields_ = fields_;
    copy->keyFields_ = keyFields_;
    copy->reader_ = reader_;
    copy->rows_ = rows_;
    copy->ended_ = ended_;
    copy->marks_ = marks_;
    copy->changed_ = changed_;
    copy->kept_ = kept_;
    copy->recent_ = recent_;
    copy->failure_ = failure_;
    return copy;
}

int PagedModel::FieldIndex(const QString& name) const {
    const QSqlRecord fields = paged_ ? fields_ : record();
    for (int i = 0; i < fields.count(); ++i)
        if (fields.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void PagedModel::clear() {
    if (!paged_) {
        QSqlQueryModel::clear();
        return;
    }
    // Qt's own part holds nothing while pages are shown: one reset.
    beginResetModel();
    paged_ = false;
    fields_ = QSqlRecord();
    reader_ = nullptr;
    kept_.clear();
    recent_.clear();
    marks_.clear();
    changed_ = false;
    rows_ = 0;
    endResetModel();
}

std::optional<PagedModel::Rows> PagedModel::Read(const QVariantList* after) const {
    // Called from views, which must not see exceptions: the query reports it.
    try {
        return reader_(after);
    } catch (const std::exception& error) {
        failure_ = error.what();
        return std::nullopt;
    }
}

QVariantList PagedModel::KeyOf(const QVariantList& row) const {
    QVariantList key;
    for (int field : keyFields_)
        key << row.value(field);
    return key;
}

PagedModel::PageMark PagedModel::MarkOf(const Rows& rows) const {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    for (const QVariantList& row : rows)
        stream << row;
    return {rows.empty() ? QVariantList() : KeyOf(rows.back()),
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha1)};
}

void PagedModel::Keep(size_t page, Rows rows) const {
    kept_[page] = std::move(rows);
    recent_.erase(std::remove(recent_.begin(), recent_.end(), page), recent_.end());
    recent_.push_back(page);
    while (recent_.size() > size_t(KeptPages)) {
        kept_.erase(recent_.front());
        recent_.erase(recent_.begin());
    }
}

const QVariantList* PagedModel::Row(int row) const {
    if (row < 0 || row >= rows_)
        return nullptr;
    const size_t page = size_t(row / PageRows);
    auto found = kept_.find(page);
    if (found == kept_.end()) {
        // The connection is busy with a step, or the rows shown are due to be
        // read again: the row shows once that is done.
        if (ServerCallRunning() || changed_ || !ReadAgain(page))
            return nullptr;
        found = kept_.find(page);
    } else if (recent_.back() != page) {
        recent_.erase(std::remove(recent_.begin(), recent_.end(), page), recent_.end());
        recent_.push_back(page);
    }
    const size_t index = size_t(row % PageRows);
    return index < found->second.size() ? &found->second[index] : nullptr;
}

bool PagedModel::ReadAgain(size_t page) const {
    // From the end of the page before, as it was read. Rows another launcher
    // added, removed or moved meanwhile may have changed the page: shown
    // beside the pages kept it would then repeat a row or miss one.
    std::optional<Rows> rows = Read(page == 0 ? nullptr : &marks_[page - 1].end);
    if (!rows) {
        Keep(page, {}); // its rows stop there, as Failure() tells
        return true;
    }
    const size_t shown = size_t(std::min(rows_ - int(page) * PageRows, PageRows));
    // A last page may have gained rows after its end: they stay unshown, as
    // they would had the page never gone.
    if (rows->size() > shown)
        rows->resize(shown);
    if (rows->size() < shown || MarkOf(*rows).digest != marks_[page].digest) {
        changed_ = true;
        return false;
    }
    Keep(page, std::move(*rows));
    return true;
}

void PagedModel::RefreshLater() const {
    if (refreshPosted_)
        return;
    refreshPosted_ = true;
    // Views ask for rows while they paint, when rows must not come and go:
    // they are read again right after.
    auto* self = const_cast<PagedModel*>(this);
    QTimer::singleShot(ServerCallRunning() ? BusyRetryMs : 0, self, [self] {
        self->refreshPosted_ = false;
        if (!self->changed_)
            return;
        if (ServerCallRunning())
            self->RefreshLater();
        else
            self->Refresh();
    });
}

void PagedModel::Refresh() {
    if (!paged_)
        return;
    changed_ = false;
    failure_.clear();
    // As many pages as were read, or to the end; the pages kept stay kept.
    const size_t pages = std::max<size_t>(marks_.size(), 1);
    std::vector<PageMark> marks;
    std::map<size_t, Rows> kept;
    int rows = 0;
    bool ended = false;
    for (size_t page = 0; page < pages && !ended; ++page) {
        std::optional<Rows> read = Read(page == 0 ? nullptr : &marks.back().end);
        ended = !read || int(read->size()) < PageRows;
        if (!read || read->empty())
            break;
        rows += int(read->size());
        marks.push_back(MarkOf(*read));
        if (kept_.count(page) != 0)
            kept[page] = std::move(*read);
    }
    auto adopt = [&] {
        marks_ = std::move(marks);
        rows_ = rows;
        ended_ = ended;
        const std::vector<size_t> recent = std::move(recent_);
        kept_.clear();
        recent_.clear();
        for (size_t page : recent)
            if (auto found = kept.find(page); found != kept.end())
                Keep(page, std::move(found->second));
    };
    const int before = rows_;
    if (rows < before) {
        beginRemoveRows(QModelIndex(), rows, before - 1);
        adopt();
        endRemoveRows();
    } else if (rows > before) {
        beginInsertRows(QModelIndex(), before, rows - 1);
        adopt();
        endInsertRows();
    } else {
        adopt();
    }
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, fields_.count() - 1));
}

QSqlRecord PagedModel::RecordAt(int row) {
    if (!paged_)
        return record(row);
    const QVariantList* values = Row(row);
    // A step asks, not a paint: the rows shown can be read again at once.
    if (values == nullptr && changed_ && !ServerCallRunning()) {
        Refresh();
        values = Row(row);
    }
    if (values == nullptr)
        return QSqlRecord();
    QSqlRecord record = fields_;
    for (int i = 0; i < record.count(); ++i)
        record.setValue(i, values->value(i));
    return record;
}

int PagedModel::rowCount(const QModelIndex& parent) const {
    return !paged_ ? QSqlQueryModel::rowCount(parent) : parent.isValid() ? 0 : rows_;
}

int PagedModel::columnCount(const QModelIndex& parent) const {
    return !paged_ ? QSqlQueryModel::columnCount(parent) : parent.isValid() ? 0 : fields_.count();
}

QVariant PagedModel::data(const QModelIndex& item, int role) const {
    if (!paged_)
        return QSqlQueryModel::data(item, role);
    if (!item.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const QVariantList* values = Row(item.row());
    if (values == nullptr && changed_)
        RefreshLater();
    return values ? values->value(item.column()) : QVariant();
}

QVariant PagedModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!paged_)
        return QSqlQueryModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < fields_.count())
        return fields_.fieldName(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool PagedModel::canFetchMore(const QModelIndex& parent) const {
    if (ServerCallRunning())
        return false;
    return !paged_ ? QSqlQueryModel::canFetchMore(parent)
                   : !parent.isValid() && (changed_ || !ended_);
}

void PagedModel::fetchMore(const QModelIndex& parent) {
    if (!paged_) {
        QSqlQueryModel::fetchMore(parent);
        return;
    }
    if (parent.isValid())
        return;
    // The rows shown first, when they are due to be read again.
    if (changed_) {
        Refresh();
        return;
    }
    if (ended_ || marks_.empty())
        return;
    std::optional<Rows> rows = Read(&marks_.back().end);
    ended_ = !rows || int(rows->size()) < PageRows;
    if (!rows || rows->empty())
        return;
    const size_t page = marks_.size();
    const int count = int(rows->size());
    marks_.push_back(MarkOf(*rows));
    beginInsertRows(QModelIndex(), rows_, rows_ + count - 1);
    Keep(page, std::move(*rows));
    rows_ += count;
    endInsertRows();
}

} // namespace db
