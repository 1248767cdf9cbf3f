#pragma once

// Mouse clicks on a shown GridView, where the user would click.

#include "gridview.h"

#include <QHeaderView>
#include <QTest>

namespace lw::test {

// A click on the cell of grid row `row` (not a view row), scrolled to first.
inline void clickCell(GridView& view, int row, int column) {
  const QModelIndex at = view.grid()->index(view.grid()->viewRow(row), column);
  view.scrollTo(at);
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                    view.visualRect(at).center());
}

inline void clickTitle(GridView& view, int column) {
  QHeaderView* header = view.horizontalHeader();
  const QPoint at(
      header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
      header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace lw::test
