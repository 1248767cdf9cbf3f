#pragma once

// Reading and filling grids in tests.

#include "gridmodel.h"

#include <QStringList>

namespace lw::test {

// The texts of one column, data rows only (row 0 holds the titles).
inline QStringList columnTexts(const GridModel& grid, int column) {
  QStringList texts;
  for (int r = 1; r < grid.rows(); ++r) texts << grid.text(r, column);
  return texts;
}

// A grid from TAB-joined rows, the first being the titles.
inline void fillGrid(GridModel& grid, const QStringList& rows) {
  grid.setRows(0);
  for (const QString& row : rows) grid.appendRow(row);
}

}  // namespace lw::test
