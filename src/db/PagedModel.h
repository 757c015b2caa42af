// The model behind a shared query: either Qt's, over one result, or pages
// of a view read one statement at a time, only a few of them kept.
#pragma once

#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QVariantList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace db {

class PagedModel : public QSqlQueryModel {
  public:
    using Rows = std::vector<QVariantList>;
    /*! Reads the page after the row whose key values are given (nullptr:
        the first page). Throws DbError. */
    using PageReader = std::function<Rows(const QVariantList* after)>;

    static constexpr int PageRows = 256;
    /*! Pages kept at once; one read again when it is needed after it went. */
    static constexpr int KeptPages = 8;

    /*! Shows the pages of a view (after clear()): fields names its columns, first is its
        first page, keyFields are the columns of fields whose values of a
        page's last row start the next page. */
    void SetPages(const QSqlRecord& fields, Rows first, QList<int> keyFields, PageReader reader);
    bool Paged() const { return paged_; }
    /*! A model of its own over the same view: the rows read so far and the
        reading of further pages, untouched by what this model shows next. */
    std::unique_ptr<PagedModel> Copy() const;
    /*! The column of a field, found by name without regard to case; -1 when none. */
    int FieldIndex(const QString& name) const;
    /*! Why reading a page failed (rows then stop there); empty when none did. */
    const std::string& Failure() const { return failure_; }

    /*! A row's fields (reading its page again if it went, and the rows shown
        when that page changed meanwhile); empty past the rows read. */
    QSqlRecord RecordAt(int row);

    /*! Reads the rows shown again from the first page, as many as before
        where there still are as many: done when a page read again was no
        longer what it had been (rows another launcher added, removed or
        moved), so that every row shows once, in order. Rows keep their
        numbers: the rows gained or lost come and go at the end, every row
        reports a change of data, views keep their place. */
    void Refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;
    void clear() override;

  private:
    // What a page held when it was read: its last row's key values, which
    // start the next page, and a digest of its rows, which tells whether it
    // reads the same again.
    struct PageMark {
        QVariantList end;
        QByteArray digest;
    };

    const QVariantList* Row(int row) const;
    bool ReadAgain(size_t page) const;
    void RefreshLater() const;
    std::optional<Rows> Read(const QVariantList* after) const;
    QVariantList KeyOf(const QVariantList& row) const;
    PageMark MarkOf(const Rows& rows) const;
    void Keep(size_t page, Rows rows) const;

    bool paged_ = false;
    QSqlRecord fields_;
    QList<int> keyFields_;
    PageReader reader_;
    int rows_ = 0;                 // rows read so far
    bool ended_ = false;           // the last page read was short
    std::vector<PageMark> marks_;  // of each page read
    mutable bool changed_ = false; // a page read again differs: Refresh is due
    mutable bool refreshPosted_ = false;
    mutable std::map<size_t, Rows> kept_;
    mutable std::vector<size_t> recent_; // kept pages, most recently used last
    mutable std::string failure_;
};

} // namespace db
