#include "db/PagedModel.h"

#include "db/ServerWatch.h"

#include <algorithm>

namespace db {

void PagedModel::SetPages(const QSqlRecord& fields, Rows first, QList<int> keyFields,
                          PageReader reader) {
    beginResetModel();
    paged_ = true;
    fields_ = fields;
    keyFields_ = std::move(keyFields);
    reader_ = std::move(reader);
    kept_.clear();
    recent_.clear();
    pageEnds_.clear();
    failure_.clear();
    rows_ = int(first.size());
    ended_ = rows_ < PageRows;
    if (!first.empty())
        pageEnds_.push_back(KeyOf(first.back()));
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
    copy->pageEnds_ = pageEnds_;
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
    pageEnds_.clear();
    rows_ = 0;
    endResetModel();
}

PagedModel::Rows PagedModel::Read(const QVariantList* after) const {
    // Called from views, which must not see exceptions: the query reports it.
    try {
        return reader_(after);
    } catch (const std::exception& error) {
        failure_ = error.what();
        return {};
    }
}

QVariantList PagedModel::KeyOf(const QVariantList& row) const {
    QVariantList key;
    for (int field : keyFields_)
        key << row.value(field);
    return key;
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
        // The connection is busy with a step: the row shows once it is done.
        if (ServerCallRunning())
            return nullptr;
        // Read again from the end of the page before; rows another launcher
        // added or removed meanwhile may shift this page's rows.
        Keep(page, Read(page == 0 ? nullptr : &pageEnds_[page - 1]));
        found = kept_.find(page);
    } else if (recent_.back() != page) {
        recent_.erase(std::remove(recent_.begin(), recent_.end(), page), recent_.end());
        recent_.push_back(page);
    }
    const size_t index = size_t(row % PageRows);
    return index < found->second.size() ? &found->second[index] : nullptr;
}

QSqlRecord PagedModel::RecordAt(int row) const {
    if (!paged_)
        return record(row);
    QSqlRecord record = fields_;
    const QVariantList* values = Row(row);
    if (values == nullptr)
        return QSqlRecord();
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
    return !paged_ ? QSqlQueryModel::canFetchMore(parent) : !parent.isValid() && !ended_;
}

void PagedModel::fetchMore(const QModelIndex& parent) {
    if (!paged_) {
        QSqlQueryModel::fetchMore(parent);
        return;
    }
    if (parent.isValid() || ended_)
        return;
    Rows rows = Read(&pageEnds_.back());
    ended_ = int(rows.size()) < PageRows || !failure_.empty();
    if (rows.empty())
        return;
    const size_t page = pageEnds_.size();
    const int count = int(rows.size());
    pageEnds_.push_back(KeyOf(rows.back()));
    beginInsertRows(QModelIndex(), rows_, rows_ + count - 1);
    Keep(page, std::move(rows));
    rows_ += count;
    endInsertRows();
}

} // namespace db
