// The journal's mark of a game a correction reversed: the row stays with its
// texts, struck through and grey, and its tooltip tells when and why.
#pragma once

#include <QStyledItemDelegate>
#include <map>
#include <vector>

namespace db {
class TDModule;
struct CorrectionRow;
} // namespace db

namespace shell {

class TDBGrid;

/*! The tooltips of the reversed games by game code, from the correction
    log: "Партия отменена: <reason>, <date>", without a reason "Партия
    отменена, <date>", the date as the club's page writes it (dd.MM.yyyy,
    local). A reversal whose game was cleared marks nothing. */
std::map<qint64, QString> ReversalNotes(const std::vector<db::CorrectionRow>& log);

/*! Draws the journal grid's cells, marking the rows of reversed games. The
    marks are read from the correction log in one go each time the grid's
    query opens, once control is back in the event loop (the query may open
    in the middle of another step's use of the module). */
class TJournalMarks : public QStyledItemDelegate {
    Q_OBJECT
  public:
    TJournalMarks(db::TDModule& module, TDBGrid* grid);

    /*! The tooltip of a grid row; empty when its game stands. */
    QString Note(int row) const;
    /*! Whether the marks were read for the rows the grid shows now. */
    bool Current() const { return !due_; }

    /*! A marked row's cells: struck through, grey text. */
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  private:
    void Opened();
    void Read();

    db::TDModule& module_;
    TDBGrid* grid_;
    std::map<qint64, QString> notes_;
    bool due_ = false;
};

} // namespace shell
