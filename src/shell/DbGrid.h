// The read-only data grid of the ratings and journal windows, bound to a
// shared query of the database module.
#pragma once

#include <QHeaderView>
#include <QList>
#include <QStandardItemModel>
#include <QTableView>

namespace db {
class TQuery;
}

namespace shell {

/*! One grid column: the field it shows (found by name, any letter case), its
    title and width (-1: the default width of 64 pixels, 0: hidden). */
struct GridColumn {
    QString field;
    QString title;
    int width;
};

/*! Title and indicator cells: sky blue; titles blue, bold, underlined and
    centred; the indicator column marks the current row with a triangle. */
class TGridHeader : public QHeaderView {
    Q_OBJECT
  public:
    TGridHeader(Qt::Orientation orientation, QWidget* parent);
    QStringList Titles; // by the model's column

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

/*! Shows the rows of whichever statement the query opened last: the
    configured columns in their order, every other column hidden. Borderless,
    no editing, whole-row selection, money-green cells in black text, grid
    lines. The selected row is the query's current row; after each opening it
    is the first row. A closed query shows the configured titles and no rows.
    Tab leaves the grid; the arrow keys move within it. */
class TDBGrid : public QTableView {
    Q_OBJECT
  public:
    TDBGrid(db::TQuery& query, QList<GridColumn> columns, QWidget* parent);

    /*! The model column of a field, or -1. */
    int ColumnOf(const QString& field) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ApplyColumns();
    void FollowCurrentRow();

    db::TQuery& query_;
    QList<GridColumn> columns_;
    TGridHeader* titles_;
    TGridHeader* indicator_;
    QStandardItemModel closed_; // the configured columns without rows
    QWidget* corner_ = nullptr; // the cell above the row indicators
};

} // namespace shell
