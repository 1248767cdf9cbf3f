#pragma once

// The grid: rows by columns of text cells. Behind the probe grid, the rules
// grid and the renumbering grid alike.
//
// It has two faces. The grid face is what the program uses: rows(),
// text(row, column) and the rest address grid rows; row 0 is the title row
// and hidden rows count. The Qt face (rowCount, data, headerData) is what a
// view shows: only the visible data rows, with row 0's texts as column
// titles. gridRow() and viewRow() translate. Row 0 is always the one fixed
// row, so there is no fixed-row setting.
//
// Redraw Off freezes the Qt face: changes are recorded and presented in one
// model reset when redraw is switched on again. With redraw on, a single row
// appended, removed, hidden or shown is presented as one row insert/removal
// and a cell write as one cell update; shape changes, clear and sort as one
// reset. Hiding rows one by one with redraw on costs O(rows) each: bracket
// bulk changes with redraw off.
//
// The current cell lives here, so its notifications are the same whether
// code or a click moves it. The current row is a grid data row, or -1. It
// is a position: sorting, hiding or clearing leaves it at the same row
// number; a hidden current row stays current (no view cell shows it) until
// the program moves it. When an earlier row is removed it follows its row;
// when it is removed itself, the row that moved up takes its place (at the
// end: the new last data row, or -1). These adjustments notify nothing.
#include <QAbstractTableModel>
#include <QString>
#include <QStringView>

#include <vector>

#include "gridsort.h"

namespace lw {

enum class Redraw { Off, On };

class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GridModel(QObject* parent = nullptr);

  int rows() const { return int(mRows.size()); }
  void setRows(int count);  // new rows are empty and shown
  int columns() const { return int(mColumns.size()); }
  void setColumns(int count);

  const QString& text(int row, int column) const;  // empty when out of range
  void setText(int row, int column, const QString& text);  // ignored when out
  // Cuts `tabText` at TAB into the cells from column 0. Fewer pieces than
  // columns leave the rest empty; more pieces add columns.
  void appendRow(QStringView tabText);
  // Empties every cell and shows every row and column; the shape stays, so
  // a new table never inherits the old one's hidden rows or columns.
  void clear();

  bool isRowHidden(int row) const;
  void setRowHidden(int row, bool hidden);  // row 0 is never a view row
  bool isColumnHidden(int column) const;
  void setColumnHidden(int column, bool hidden);
  // Shown as a check box, ticked exactly when the text is "1". The view
  // never changes it: clicks are reported and the program decides.
  bool isBooleanColumn(int column) const;
  void setBooleanColumn(int column, bool boolean = true);

  int currentRow() const { return mCurrentRow; }
  int currentColumn() const { return mCurrentColumn; }
  // Unless the cell is current already: raises beforeMove, which may cancel
  // (false is returned), then selectionChanged. A row that is not a data row
  // means none (-1); a column out of range keeps the current column.
  bool setCurrentCell(int row, int column);
  bool setCurrentRow(int row) { return setCurrentCell(row, mCurrentColumn); }
  bool setCurrentColumn(int column);

  // Stable ascending sorts of rows 1.. by one column (gridsort.h). Rows keep
  // their hidden state, row 0 stays, the regional format is QLocale()'s.
  // They raise no notification.
  void sortByColumn(int column);
  void sortNumeric(int column);

  Redraw redraw() const { return mRedraw; }
  void setRedraw(Redraw redraw);
  // True while redraw is off and the Qt face lags behind the grid.
  bool presentationPending() const { return mPending; }

  int gridRow(int viewRow) const;  // -1 when out of range or pending
  int viewRow(int gridRow) const;  // -1 when not shown or pending

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  void beforeMove(int oldRow, int oldColumn, int newRow, int newColumn,
                  bool* cancel);
  void selectionChanged();
  // Some column was hidden or shown; views re-read all columns.
  void columnVisibilityChanged();

 private:
  struct Row {
    std::vector<QString> cells;  // may be shorter than columns(): empty tail
    bool hidden = false;
  };
  struct Column {
    bool hidden = false;
    bool boolean = false;
  };

  void sortRows(int column, GridOrder order);
  void present();  // whole-table change: one reset, or pending
  // Changes may be presented one by one (else they wait for one reset).
  bool live() const { return mRedraw != Redraw::Off; }
  const QString* viewCell(const QModelIndex& index) const;

  std::vector<Row> mRows;
  std::vector<Column> mColumns;
  int mCurrentRow = -1;
  int mCurrentColumn = -1;
  Redraw mRedraw = Redraw::On;
  bool mPending = false;
  // The Qt face: grid rows of the visible data rows, ascending, and the
  // column count, as last presented.
  std::vector<int> mView;
  int mViewColumns = 0;
};

}  // namespace lw
