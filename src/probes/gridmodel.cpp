#include "gridmodel.h"

#include <QLocale>

#include <algorithm>

namespace lw {
namespace {

const QString kEmpty;

// The last data row of a grid with `rows` rows, or -1.
int lastDataRow(int rows) {
  return rows > 1 ? rows - 1 : -1;
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::setRows(int count) {
  count = std::max(count, 0);
  if (count == rows()) return;
  mRows.resize(size_t(count));
  if (mCurrentRow >= count) mCurrentRow = lastDataRow(count);
  present();
}

void GridModel::setColumns(int count) {
  count = std::max(count, 0);
  if (count == columns()) return;
  if (count < columns()) {
    for (Row& row : mRows)
      if (row.cells.size() > size_t(count)) row.cells.resize(size_t(count));
  }
  mColumns.resize(size_t(count));
  mCurrentColumn = count == 0 ? -1 : std::clamp(mCurrentColumn, 0, count - 1);
  present();
  emit columnVisibilityChanged();
}

const QString& GridModel::text(int row, int column) const {
  if (row < 0 || row >= rows() || column < 0 || column >= columns())
    return kEmpty;
  const std::vector<QString>& cells = mRows[size_t(row)].cells;
  return size_t(column) < cells.size() ? cells[size_t(column)] : kEmpty;
}

void GridModel::setText(int row, int column, const QString& text) {
  if (row < 0 || row >= rows() || column < 0 || column >= columns()) return;
  std::vector<QString>& cells = mRows[size_t(row)].cells;
  if (size_t(column) >= cells.size()) {
    if (text.isEmpty()) return;
    cells.resize(size_t(columns()));  // rows are usually filled left to right
  }
  if (cells[size_t(column)] == text) return;
  cells[size_t(column)] = text;
  if (!live()) {
    mPending = true;
  } else if (row == 0) {
    if (column < mViewColumns)
      emit headerDataChanged(Qt::Horizontal, column, column);
  } else if (const int v = viewRow(row); v >= 0 && column < mViewColumns) {
    emit dataChanged(index(v, column), index(v, column));
  }
}

void GridModel::appendRow(QStringView tabText) {
  Row row;
  row.cells.reserve(size_t(std::max(columns(), 1)));
  for (qsizetype start = 0;;) {
    const qsizetype tab = tabText.indexOf(u'\t', start);
    const qsizetype end = tab < 0 ? tabText.size() : tab;
    row.cells.push_back(tabText.sliced(start, end - start).toString());
    if (tab < 0) break;
    start = tab + 1;
  }
  const bool grows = row.cells.size() > mColumns.size();
  if (grows) {
    mColumns.resize(row.cells.size());
    if (mCurrentColumn < 0) mCurrentColumn = 0;
  }
  mRows.push_back(std::move(row));
  const int added = rows() - 1;
  if (grows || added == 0 || !live()) {
    present();
    if (grows) emit columnVisibilityChanged();
    return;
  }
  const int v = int(mView.size());
  beginInsertRows({}, v, v);
  mView.push_back(added);
  endInsertRows();
}

void GridModel::clear() {
  for (Row& row : mRows) row = Row();
  for (Column& column : mColumns) column.hidden = false;
  present();
  emit columnVisibilityChanged();
}

bool GridModel::isRowHidden(int row) const {
  return row >= 0 && row < rows() && mRows[size_t(row)].hidden;
}

void GridModel::setRowHidden(int row, bool hidden) {
  if (row < 0 || row >= rows() || mRows[size_t(row)].hidden == hidden) return;
  mRows[size_t(row)].hidden = hidden;
  if (row == 0) return;
  if (!live()) {
    mPending = true;
    return;
  }
  const auto at = std::lower_bound(mView.begin(), mView.end(), row);
  const int v = int(at - mView.begin());
  if (hidden) {
    beginRemoveRows({}, v, v);
    mView.erase(at);
    endRemoveRows();
  } else {
    beginInsertRows({}, v, v);
    mView.insert(at, row);
    endInsertRows();
  }
}

bool GridModel::isColumnHidden(int column) const {
  return column >= 0 && column < columns() && mColumns[size_t(column)].hidden;
}

void GridModel::setColumnHidden(int column, bool hidden) {
  if (column < 0 || column >= columns()) return;
  if (mColumns[size_t(column)].hidden == hidden) return;
  mColumns[size_t(column)].hidden = hidden;
  emit columnVisibilityChanged();
}

bool GridModel::isBooleanColumn(int column) const {
  return column >= 0 && column < columns() && mColumns[size_t(column)].boolean;
}

void GridModel::setBooleanColumn(int column, bool boolean) {
  if (column < 0 || column >= columns()) return;
  if (mColumns[size_t(column)].boolean == boolean) return;
  mColumns[size_t(column)].boolean = boolean;
  if (!live())
    mPending = true;
  else if (!mView.empty() && column < mViewColumns)
    emit dataChanged(index(0, column), index(int(mView.size()) - 1, column));
}

bool GridModel::setCurrentColumn(int column) {
  return setCurrentCell(mCurrentRow, column);
}

bool GridModel::setCurrentCell(int row, int column) {
  if (row < 1 || row >= rows()) row = -1;
  if (column < 0 || column >= columns()) column = mCurrentColumn;
  if (row == mCurrentRow && column == mCurrentColumn) return true;
  bool cancel = false;
  emit beforeMove(mCurrentRow, mCurrentColumn, row, column, &cancel);
  if (cancel) return false;
  // The handler may have reshaped the grid.
  if (row >= rows()) row = -1;
  if (column >= columns()) column = columns() - 1;
  mCurrentRow = row;
  mCurrentColumn = column;
  emit selectionChanged();
  return true;
}

void GridModel::sortByColumn(int column) {
  sortRows(column, GridOrder::Generic);
}

void GridModel::sortNumeric(int column) {
  sortRows(column, GridOrder::Numeric);
}

void GridModel::sortRows(int column, GridOrder order) {
  if (column < 0 || column >= columns() || rows() < 3) return;
  std::vector<QStringView> cells;
  cells.reserve(mRows.size() - 1);
  for (int row = 1; row < rows(); ++row) cells.emplace_back(text(row, column));
  const std::vector<int> sorted = gridSortOrder(cells, order, QLocale());
  if (std::is_sorted(sorted.begin(), sorted.end())) return;
  std::vector<Row> rowsInOrder;
  rowsInOrder.reserve(mRows.size());
  rowsInOrder.push_back(std::move(mRows[0]));
  for (int from : sorted)
    rowsInOrder.push_back(std::move(mRows[size_t(from) + 1]));
  mRows.swap(rowsInOrder);
  present();
}

void GridModel::setRedraw(Redraw redraw) {
  mRedraw = redraw;
  if (redraw != Redraw::Off && mPending) present();
}

void GridModel::present() {
  if (mRedraw == Redraw::Off) {
    mPending = true;
    return;
  }
  beginResetModel();
  mView.clear();
  for (int row = 1; row < rows(); ++row)
    if (!mRows[size_t(row)].hidden) mView.push_back(row);
  mViewColumns = columns();
  mPending = false;
  endResetModel();
}

int GridModel::gridRow(int viewRow) const {
  if (mPending || viewRow < 0 || viewRow >= int(mView.size())) return -1;
  return mView[size_t(viewRow)];
}

int GridModel::viewRow(int gridRow) const {
  if (mPending) return -1;
  const auto at = std::lower_bound(mView.begin(), mView.end(), gridRow);
  return at != mView.end() && *at == gridRow ? int(at - mView.begin()) : -1;
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(mView.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : mViewColumns;
}

// While presentation is pending the Qt face may name rows that are gone.
const QString* GridModel::viewCell(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= int(mView.size())) return nullptr;
  const int row = mView[size_t(index.row())];
  if (row >= rows() || index.column() >= columns()) return nullptr;
  return &text(row, index.column());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  const QString* cell = viewCell(index);
  if (!cell) return {};
  const bool boolean = isBooleanColumn(index.column());
  if (role == Qt::DisplayRole) return boolean ? QVariant() : QVariant(*cell);
  if (role == Qt::CheckStateRole && boolean)
    return *cell == u"1" ? Qt::Checked : Qt::Unchecked;
  return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation,
                               int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || rows() == 0)
    return {};
  return text(0, section);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace lw
