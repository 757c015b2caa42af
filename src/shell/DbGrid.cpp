#include "shell/DbGrid.h"

#include "db/Query.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QPolygon>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace shell {

namespace {
const QColor MoneyGreen(192, 220, 192);
const QColor SkyBlue(166, 202, 240);
constexpr int IndicatorWidth = 12;
// The column width the layouts were designed with where none is given; Qt's
// own 100 pixels would push the journal's last column under a scroll bar.
constexpr int DefaultColumnWidth = 64;

// A title cell's ground: sky blue with grey lines on its right and bottom.
void PaintTitleCell(QPainter* painter, const QRect& rect) {
    painter->fillRect(rect, SkyBlue);
    painter->setPen(Qt::gray);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
}
} // namespace

TGridHeader::TGridHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
}

void TGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    PaintTitleCell(painter, rect);
    if (orientation() == Qt::Horizontal) {
        QFont font = this->font();
        font.setBold(true);
        font.setUnderline(true);
        painter->setFont(font);
        painter->setPen(Qt::blue);
        painter->drawText(rect, Qt::AlignCenter, Titles.value(logicalIndex));
    } else if (const auto* view = qobject_cast<const QTableView*>(parentWidget());
               view && view->currentIndex().row() == logicalIndex) {
        const QPoint c = rect.center();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setBrush(Qt::black);
        painter->setPen(Qt::NoPen);
        painter->drawPolygon(QPolygon({c + QPoint(-3, -4), c + QPoint(-3, 4), c + QPoint(2, 0)}));
    }
    painter->restore();
}

TDBGrid::TDBGrid(db::TQuery& query, QList<GridColumn> columns, QWidget* parent)
    : QTableView(parent), query_(query), columns_(std::move(columns)),
      titles_(new TGridHeader(Qt::Horizontal, this)),
      indicator_(new TGridHeader(Qt::Vertical, this)) {
    titles_->setDefaultSectionSize(DefaultColumnWidth);
    setHorizontalHeader(titles_);
    setVerticalHeader(indicator_);
    indicator_->setFixedWidth(IndicatorWidth);
    indicator_->setSectionResizeMode(QHeaderView::Fixed);
    indicator_->setDefaultSectionSize(fontMetrics().height() + 4);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setCornerButtonEnabled(false);
    // The corner cell is a title cell too.
    corner_ = findChild<QAbstractButton*>();
    if (corner_)
        corner_->installEventFilter(this);
    // Tab moves between the window's controls; the arrows move within the grid.
    setTabKeyNavigation(false);
    QPalette cells = palette();
    cells.setColor(QPalette::Base, MoneyGreen);
    cells.setColor(QPalette::Text, Qt::black);
    setPalette(cells);

    QStringList fields;
    for (const GridColumn& column : columns_)
        fields << column.field;
    closed_.setHorizontalHeaderLabels(fields);

    connect(query_.Model(), &QAbstractItemModel::modelReset, this, &TDBGrid::ApplyColumns);
    ApplyColumns();
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        QPainter painter(corner_);
        PaintTitleCell(&painter, corner_->rect().adjusted(0, 0, -1, -1));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TDBGrid::FollowCurrentRow() {
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    query_.MoveTo(current.row());
                indicator_->viewport()->update();
            });
}

int TDBGrid::ColumnOf(const QString& field) const {
    const QAbstractItemModel* shown = model();
    for (int i = 0; shown && i < shown->columnCount(); ++i)
        if (shown->headerData(i, Qt::Horizontal).toString().compare(field, Qt::CaseInsensitive) ==
            0)
            return i;
    return -1;
}

void TDBGrid::ApplyColumns() {
    // A closed query has no columns at all: the grid keeps its titles then.
    QAbstractItemModel* source = query_.Model()->columnCount() > 0
                                     ? static_cast<QAbstractItemModel*>(query_.Model())
                                     : &closed_;
    if (model() != source) {
        QItemSelectionModel* previous = selectionModel();
        setModel(source);
        delete previous;
        FollowCurrentRow();
    }
    const int count = source->columnCount();
    titles_->Titles = QStringList(count, QString());
    QList<bool> shown(count, false);
    int visual = 0;
    for (const GridColumn& column : columns_) {
        const int logical = ColumnOf(column.field);
        if (logical < 0)
            continue;
        titles_->Titles[logical] = column.title;
        titles_->moveSection(titles_->visualIndex(logical), visual++);
        shown[logical] = column.width != 0;
        if (column.width > 0)
            setColumnWidth(logical, column.width);
        else if (column.width < 0)
            setColumnWidth(logical, titles_->defaultSectionSize());
    }
    for (int i = 0; i < count; ++i)
        setColumnHidden(i, !shown[i]);
    if (source->rowCount() > 0) {
        int first = 0;
        while (first < count && isColumnHidden(first))
            ++first;
        setCurrentIndex(source->index(0, first < count ? first : 0));
    }
}

} // namespace shell
