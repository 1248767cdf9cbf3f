#pragma once

// A uniform grid over a fixed set of points. build() sorts the points by
// cell, so that the points of one row of cells are contiguous and a rectangle
// query costs one run per row of cells it overlaps, whatever the point count.

#include <QPointF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace lw {

// The smallest rectangle holding every point (at least one). Unlike
// QRectF::united, a lone point or a line counts.
QRectF boundingBox(std::span<const QPointF> points);

class UniformGrid {
 public:
  // Returns, for each slot in cell order, the index of the point it holds.
  // Points keep their relative order within a cell.
  std::vector<int> build(std::span<const QPointF> points, int pointsPerCell);

  // Calls run(first, last) with half-open slot ranges covering every point
  // whose cell overlaps rect. Cells are whole, so callers test the points.
  template <class Run>
  void forEachRun(const QRectF& rect, Run&& run) const;

  double cellSize() const noexcept { return std::max(mCellW, mCellH); }

 private:
  int column(double x) const noexcept;
  int row(double y) const noexcept;

  double mLeft = 0;
  double mTop = 0;
  double mCellW = 1;
  double mCellH = 1;
  int mColumns = 0;
  int mRows = 0;
  std::vector<int> mStart;  // slot of each cell's first point; one extra
};

template <class Run>
void UniformGrid::forEachRun(const QRectF& rect, Run&& run) const {
  if (mColumns == 0 || rect.isEmpty()) return;
  const double right = mLeft + mColumns * mCellW;
  const double bottom = mTop + mRows * mCellH;
  if (rect.right() < mLeft || rect.left() > right || rect.bottom() < mTop ||
      rect.top() > bottom)
    return;
  const int c0 = column(rect.left());
  const int c1 = column(rect.right());
  const int r0 = row(rect.top());
  const int r1 = row(rect.bottom());
  if (c0 == 0 && c1 == mColumns - 1) {
    // Whole rows are contiguous: one run for the band.
    run(mStart[r0 * mColumns], mStart[(r1 + 1) * mColumns]);
    return;
  }
  for (int r = r0; r <= r1; ++r) {
    const int first = mStart[r * mColumns + c0];
    const int last = mStart[r * mColumns + c1 + 1];
    if (first < last) run(first, last);
  }
}

// Clamped before the conversion: a far-off query must not overflow an int.
inline int UniformGrid::column(double x) const noexcept {
  const double c = std::floor((x - mLeft) / mCellW);
  return static_cast<int>(std::clamp(c, 0.0, double(mColumns - 1)));
}

inline int UniformGrid::row(double y) const noexcept {
  const double r = std::floor((y - mTop) / mCellH);
  return static_cast<int>(std::clamp(r, 0.0, double(mRows - 1)));
}

}  // namespace lw
