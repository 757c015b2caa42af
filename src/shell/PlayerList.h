// The new-game dialog's lists: "Компьютер" first, then the names of a view
// read in pages, the next page read as the list is scrolled to its end.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <memory>

class QComboBox;
namespace db {
class PagedModel;
}

namespace shell {

class PlayerList : public QAbstractListModel {
  public:
    /*! Becomes box's model, empty until the first Reset; computer names item 0. */
    PlayerList(QComboBox* box, QString computer);
    ~PlayerList() override;

    /*! "Компьютер" only. */
    void Reset();
    /*! "Компьютер", then field of each row of rows. */
    void Show(std::unique_ptr<db::PagedModel> rows, const QString& field);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FollowChoice();

    QComboBox* box_;
    QString computer_;
    bool filled_ = false; // "Компьютер" is listed
    std::unique_ptr<db::PagedModel> rows_;
    int column_ = -1;
    // The chosen item's text as it was read: rows read again after another
    // launcher changed them may hold another name on its row.
    int chosenRow_ = 0;
    QString chosenText_;
    bool keepChoice_ = false; // rows go: the box's move to another row is not the user's
};

} // namespace shell
