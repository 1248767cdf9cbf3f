#include "gridview.h"

#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <array>

namespace lw {
namespace {

// How many of a column's longest texts autoSize measures.
constexpr size_t kMeasured = 8;

}  // namespace

GridView::GridView(QWidget* parent)
    : QTableView(parent), mGrid(new GridModel(this)) {
  // Qt's selection model moves its current index by itself when rows go;
  // these run before it and keep that from reaching the grid.
  auto hold = [this] { mSyncing = true; };
  connect(mGrid, &GridModel::modelAboutToBeReset, this, hold);
  connect(mGrid, &GridModel::rowsAboutToBeRemoved, this, hold);
  connect(mGrid, &GridModel::rowsAboutToBeInserted, this, hold);
  setModel(mGrid);
  auto release = [this] {
    mSyncing = false;
    syncCurrent();
  };
  connect(mGrid, &GridModel::rowsRemoved, this, release);
  connect(mGrid, &GridModel::rowsInserted, this, release);
  connect(mGrid, &GridModel::modelReset, this, &GridView::onPresented);
  connect(mGrid, &GridModel::selectionChanged, this, &GridView::syncCurrent);
  connect(mGrid, &GridModel::columnVisibilityChanged, this,
          &GridView::applyColumns);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          &GridView::onQtCurrentChanged);
  connect(this, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) {
            const int row = mGrid->gridRow(index.row());
            if (row >= 0) emit cellClicked(row, index.column());
          });
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
          &GridView::onTitleClicked);

  setSelectionMode(SingleSelection);
  setSelectionBehavior(SelectRows);
  setEditTriggers(NoEditTriggers);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(true);
}

void GridView::syncCurrent() {
  if (mSyncing) return;
  const int row = mGrid->viewRow(mGrid->currentRow());
  const int column = mGrid->currentColumn();
  const QModelIndex index =
      row >= 0 && column >= 0 ? mGrid->index(row, column) : QModelIndex();
  if (index == currentIndex()) return;
  mSyncing = true;
  if (index.isValid())
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  else
    selectionModel()->clear();
  mSyncing = false;
  if (index.isValid()) showCell(mGrid->currentRow(), column);
}

void GridView::onQtCurrentChanged(const QModelIndex& current) {
  if (mSyncing || !current.isValid()) return;
  const int row = mGrid->gridRow(current.row());
  if (row >= 0 && mGrid->setCurrentCell(row, current.column())) return;
  // Cancelled (or the view lags behind the grid): snap back once Qt has
  // finished handling the click or key that moved it.
  QMetaObject::invokeMethod(this, &GridView::syncCurrent, Qt::QueuedConnection);
}

void GridView::onPresented() {
  mSyncing = false;
  applyColumns();
  for (auto [column, width] : mPendingWidths) setColumnWidth(column, width);
  mPendingWidths.clear();
  syncCurrent();  // scrolls to the current cell
  if (mShowRow >= 0) {
    const int row = mShowRow;
    mShowRow = -1;
    showCell(row, mShowColumn);
  }
}

void GridView::keyboardSearch(const QString& search) {
  const QModelIndex current = currentIndex();
  if (mSearchColumn >= 0 && current.isValid() &&
      current.column() != mSearchColumn) {
    // Qt searches the current index's column: move it there quietly.
    mSyncing = true;
    selectionModel()->setCurrentIndex(current.siblingAtColumn(mSearchColumn),
                                      QItemSelectionModel::NoUpdate);
    mSyncing = false;
  }
  QTableView::keyboardSearch(search);
  syncCurrent();  // nothing found: back where the grid is
}

void GridView::applyColumns() {
  for (int column = 0; column < horizontalHeader()->count(); ++column)
    setColumnHidden(column, mGrid->isColumnHidden(column));
}

void GridView::onTitleClicked(int column) {
  if (!mUserSortable) return;
  emit beforeSort(column);
  mGrid->sortByColumn(column);
  emit afterSort(column);
}

void GridView::showCell(int row, int column) {
  if (mGrid->presentationPending()) {
    mShowRow = row;
    mShowColumn = column;
    return;
  }
  const int viewRow = mGrid->viewRow(row);
  if (viewRow < 0) return;
  // Qt does not scroll to a cell of a hidden column; the row still counts.
  if (column < 0 || column >= mGrid->columnCount() || isColumnHidden(column))
    column =
        horizontalHeader()->logicalIndex(horizontalHeader()->visualIndexAt(0));
  executeDelayedItemsLayout();  // scroll ranges must know every row
  if (column >= 0) scrollTo(mGrid->index(viewRow, column));
}

namespace {

// Per column, the rows holding its longest texts. Text width grows with
// length closely enough that these hold the widest text. One pass over the
// rows: the cells of a row sit together in memory.
struct Longest {
  std::array<std::pair<qsizetype, int>, kMeasured> rows;
  size_t shortest = 0;
};

std::vector<Longest> longestTexts(const GridModel& grid, int first, int last) {
  Longest none;
  none.rows.fill({-1, -1});
  std::vector<Longest> longest(size_t(last - first + 1), none);
  for (int row = 1; row < grid.rows(); ++row) {
    for (int column = first; column <= last; ++column) {
      Longest& l = longest[size_t(column - first)];
      const qsizetype length = grid.text(row, column).size();
      if (length <= l.rows[l.shortest].first) continue;
      l.rows[l.shortest] = {length, row};
      l.shortest = size_t(std::min_element(l.rows.begin(), l.rows.end()) -
                          l.rows.begin());
    }
  }
  return longest;
}

}  // namespace

void GridView::autoSize(int first, int last, int extraPixels) {
  first = std::max(first, 0);
  last = std::min(last, mGrid->columns() - 1);
  if (first > last) return;
  const std::vector<Longest> longest = longestTexts(*mGrid, first, last);
  for (int column = first; column <= last; ++column) {
    std::vector<int> rows;
    for (auto [length, row] : longest[size_t(column - first)].rows)
      if (row > 0) rows.push_back(row);
    const int width = widthOfColumn(column, rows) + extraPixels;
    if (mGrid->presentationPending() || column >= horizontalHeader()->count())
      mPendingWidths[column] = width;
    else
      setColumnWidth(column, width);
  }
}

int GridView::widthOfColumn(int column, const std::vector<int>& rows) const {
  QHeaderView* header = horizontalHeader();
  QStyleOptionHeader title;
  title.initFrom(header);
  title.orientation = Qt::Horizontal;
  title.text = mGrid->text(0, column);
  int width =
      header->style()
          ->sizeFromContents(QStyle::CT_HeaderSection, &title, QSize(), header)
          .width();

  QStyleOptionViewItem cell;
  initViewItemOption(&cell);
  const int gridLine = showGrid() ? 1 : 0;
  if (mGrid->isBooleanColumn(column)) {
    cell.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QSize box =
        style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, {}, this);
    return std::max(width, box.width() + gridLine);
  }
  cell.features |= QStyleOptionViewItem::HasDisplay;
  for (int row : rows) {
    cell.text = mGrid->text(row, column);
    const QSize size =
        style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, {}, this);
    width = std::max(width, size.width() + gridLine);
  }
  return width;
}

int twipsToPixels(int twips, const QWidget& widget) {
  return qRound(twips * widget.logicalDpiX() / 1440.0);
}

}  // namespace lw
