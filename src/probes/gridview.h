#pragma once

// The widget that shows a GridModel: row 0 as the column titles, the
// visible data rows below, hidden columns hidden, Boolean columns as check
// boxes. It owns its model; program code reads and writes the grid through
// grid() and hears beforeMove/selectionChanged there.
//
// A click or a keyboard move makes the cell current through the model, so
// the user raises the same notifications as code, in the order beforeMove,
// selectionChanged, then cellClicked. A move cancelled in beforeMove snaps
// back. Focus arriving by keyboard or from code while no cell is shown as
// current makes the first visible cell current, as a user move would.
// Clicking a column title raises beforeSort, sorts by that column in the
// generic order and raises afterSort; the current column stays.
#include <QTableView>

#include <map>
#include <vector>

#include "gridmodel.h"

namespace lw {

class GridView : public QTableView {
  Q_OBJECT

 public:
  explicit GridView(QWidget* parent = nullptr);

  GridModel* grid() const { return mGrid; }

  // Off for grids whose row order means something (the rules grid).
  void setUserSortable(bool sortable) { mUserSortable = sortable; }
  // Scrolls the cell into view; while redraw is off, once it is back on.
  void showCell(int row, int column);
  // Fits columns first..last to their title and contents, hidden rows
  // included, plus extraPixels. Per column only the few longest texts are
  // measured, which bounds the cost at 100,000 rows.
  void autoSize(int first, int last, int extraPixels);
  void refresh() { viewport()->update(); }
  // Typing in the grid goes to the row whose cell in this column starts
  // with what was typed, whichever column is current; -1: the current one.
  void setSearchColumn(int column) { mSearchColumn = column; }
  void keyboardSearch(const QString& search) override;

 signals:
  void cellClicked(int row, int column);  // grid row
  void beforeSort(int column);
  void afterSort(int column);

 private:
  void syncCurrent();  // Qt's current index follows the grid's
  void applyColumns();
  void onQtCurrentChanged(const QModelIndex& current);
  void onPresented();
  void onTitleClicked(int column);
  // Title and the texts of `rows` (cells of a Boolean column: a check box).
  int widthOfColumn(int column, const std::vector<int>& rows) const;

  GridModel* mGrid;
  bool mSyncing = false;
  bool mUserSortable = true;
  int mSearchColumn = -1;
  int mShowRow = -1;  // showCell waiting for redraw
  int mShowColumn = 0;
  std::map<int, int> mPendingWidths;  // autoSize waiting for redraw
};

// Lengths in twips (1/1440 inch) to pixels on the widget's screen.
int twipsToPixels(int twips, const QWidget& widget);

}  // namespace lw
