// The new-game dialog's lists: the computers first ("Компьютер", and the
// engine where it is installed), then the names of a view read in pages, the
// next page read as the list is scrolled to its end.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <memory>

class QComboBox;
namespace db {
class PagedModel;
}

namespace shell {

class PlayerList : public QAbstractListModel {
  public:
    /*! Becomes box's model, empty until the first Reset. */
    explicit PlayerList(QComboBox* box);
    ~PlayerList() override;

    /*! The computers only, in their order (the first of them stays item 0
        from one Reset to the next). */
    void Reset(const QStringList& computers);
    /*! The computers of the last Reset, then field of each row of rows. */
    void Show(std::unique_ptr<db::PagedModel> rows, const QString& field);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FollowChoice();
    /*! Drops the rows, leaving the computers. */
    void DropRows();
    /*! How many items come before the rows. */
    int Fixed() const { return int(computers_.size()); }

    QComboBox* box_;
    QStringList computers_; // listed first
    std::unique_ptr<db::PagedModel> rows_;
    int column_ = -1;
    // The chosen item's text as it was read: rows read again after another
    // launcher changed them may hold another name on its row.
    int chosenRow_ = 0;
    QString chosenText_;
    bool keepChoice_ = false; // rows go: the box's move to another row is not the user's
};

} // namespace shell
