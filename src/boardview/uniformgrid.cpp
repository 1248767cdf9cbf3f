#include "uniformgrid.h"

namespace lw {

QRectF boundingBox(std::span<const QPointF> points) {
  double left = points[0].x(), right = left;
  double top = points[0].y(), bottom = top;
  for (const QPointF& p : points) {
    left = std::min(left, p.x());
    right = std::max(right, p.x());
    top = std::min(top, p.y());
    bottom = std::max(bottom, p.y());
  }
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

std::vector<int> UniformGrid::build(std::span<const QPointF> points,
                                    int pointsPerCell) {
  const int n = static_cast<int>(points.size());
  mColumns = mRows = 0;
  mStart.clear();
  if (n == 0) return {};

  const QRectF box = boundingBox(points);
  const double left = box.left(), top = box.top();
  // A line of points (or a single one) still gets cells of a sane size.
  const double extent = std::max({box.width(), box.height(), 1e-9});
  const double width = std::max(box.width(), extent * 1e-3);
  const double height = std::max(box.height(), extent * 1e-3);
  const double cells = std::max(1.0, double(n) / std::max(1, pointsPerCell));
  const double side = std::sqrt(width * height / cells);
  constexpr int kMaxSide = 2048;  // cells per side
  auto cellsAlong = [&](double length) {
    const double n = std::ceil(length / side);
    return static_cast<int>(
        std::clamp(std::isfinite(n) ? n : 1.0, 1.0, double(kMaxSide)));
  };
  mColumns = cellsAlong(width);
  mRows = cellsAlong(height);
  mLeft = left;
  mTop = top;
  // Slightly larger cells so the extreme points fall inside the last cell.
  mCellW = width * (1 + 1e-9) / mColumns;
  mCellH = height * (1 + 1e-9) / mRows;

  // Counting sort by cell keeps the input order within a cell.
  std::vector<int> cellOf(n);
  mStart.assign(std::size_t(mColumns) * mRows + 1, 0);
  for (int i = 0; i < n; ++i) {
    cellOf[i] = row(points[i].y()) * mColumns + column(points[i].x());
    ++mStart[cellOf[i] + 1];
  }
  for (std::size_t c = 1; c < mStart.size(); ++c) mStart[c] += mStart[c - 1];
  std::vector<int> next(mStart.begin(), mStart.end() - 1);
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[next[cellOf[i]]++] = i;
  return order;
}

}  // namespace lw
