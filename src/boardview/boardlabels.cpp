#include "boardlabels.h"

#include "board.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lw {
namespace {

// About two probe numbers of the usual size a cell.
constexpr double kCellPixels = 32;
// Room either side of a label's text, of its pixel size.
constexpr double kLabelRoom = 0.15;

int cellIndex(double pixel, int count) noexcept {
  // Clamped before the conversion, so a box far off the area still maps to
  // its edge cells, where every box it could meet is kept too.
  const double c = std::floor(pixel / kCellPixels);
  if (!(c > 0)) return 0;
  return c >= count - 1 ? count - 1 : static_cast<int>(c);
}

}  // namespace

int labelPixels(double w, double h, qsizetype len) {
  constexpr double kCharWidth = 0.6;  // of the pixel size, a typical digit
  const double byHeight = 0.5 * h;
  const double byWidth =
      0.9 * w / (kCharWidth * double(std::max<qsizetype>(len, 1)));
  return static_cast<int>(std::min({byHeight, byWidth, 48.0}));
}

QRectF LabelMeasure::box(QPointF centre, const QString& text, int pixels) {
  const double w = advance(text, pixels) + 2 * kLabelRoom * pixels;
  return {centre.x() - w / 2, centre.y() - pixels / 2.0, w, double(pixels)};
}

QRectF LabelMeasure::core(QPointF centre, int pixels) {
  return {centre.x() - kLabelRoom * pixels, centre.y() - pixels / 2.0,
          2 * kLabelRoom * pixels, double(pixels)};
}

double LabelMeasure::advance(const QString& text, int pixels) {
  auto [it, added] = mAdvances.try_emplace(pixels);
  std::array<float, 128>& table = it->second;
  if (added) table.fill(-1);
  const auto metrics = [&] {
    QFont font = mFont;
    font.setPixelSize(pixels);
    return QFontMetricsF(font);
  };
  double sum = 0;
  for (const QChar c : text) {
    if (c.unicode() >= table.size()) return metrics().horizontalAdvance(text);
    float& a = table[c.unicode()];
    if (a < 0) a = float(metrics().horizontalAdvance(c));
    sum += a;
  }
  return sum;
}

LabelPlacer::LabelPlacer(QSize area)
    : mColumns(std::max(1, int(std::ceil(area.width() / kCellPixels)))),
      mRows(std::max(1, int(std::ceil(area.height() / kCellPixels)))),
      mCells(std::size_t(mColumns) * mRows) {}

LabelPlacer::Cells LabelPlacer::cellsOf(const QRectF& box) const noexcept {
  return {cellIndex(box.left(), mColumns), cellIndex(box.right(), mColumns),
          cellIndex(box.top(), mRows), cellIndex(box.bottom(), mRows)};
}

bool LabelPlacer::isFree(const QRectF& box) const {
  const Cells c = cellsOf(box);
  for (int r = c.r0; r <= c.r1; ++r)
    for (int col = c.c0; col <= c.c1; ++col)
      for (int i : mCells[std::size_t(r) * mColumns + col])
        if (mBoxes[i].intersects(box)) return false;
  return true;
}

bool LabelPlacer::offer(const QRectF& box) {
  if (!isFree(box)) return false;
  take(box);
  return true;
}

void LabelPlacer::take(const QRectF& box) {
  const Cells c = cellsOf(box);
  const int index = int(mBoxes.size());
  mBoxes.push_back(box);
  for (int r = c.r0; r <= c.r1; ++r)
    for (int col = c.c0; col <= c.c1; ++col)
      mCells[std::size_t(r) * mColumns + col].push_back(index);
}

void placeNearestFirst(std::vector<Label>& labels, QPointF anchor,
                       const Board& board, LabelMeasure& measure,
                       LabelPlacer& placer) {
  std::vector<std::pair<double, int>> order;
  order.reserve(labels.size());
  for (int i = 0; i < int(labels.size()); ++i) {
    const QPointF d = labels[i].centre - anchor;
    order.emplace_back(QPointF::dotProduct(d, d), i);
  }
  std::sort(order.begin(), order.end());
  std::vector<Label> kept;
  for (const auto& [distance, i] : order) {
    Label& label = labels[i];
    // Most labels of a crowded view fall here, before their text is read.
    if (!placer.isFree(LabelMeasure::core(label.centre, label.pixels)))
      continue;
    label.box = measure.box(label.centre, board.entities[label.entity].name,
                            label.pixels);
    if (placer.offer(label.box)) kept.push_back(label);
  }
  labels = std::move(kept);
}

void drawLabels(QPainter& painter, const Board& board,
                const std::vector<Label>& labels) {
  if (labels.empty()) return;
  QFont font = painter.font();
  int pixels = -1;
  QRgb colour = 0;
  painter.setPen(QColor::fromRgb(colour));
  for (const Label& label : labels) {
    if (label.pixels != pixels) {
      pixels = label.pixels;
      font.setPixelSize(pixels);
      painter.setFont(font);
    }
    if (label.colour != colour) {
      colour = label.colour;
      painter.setPen(QColor::fromRgb(colour));
    }
    const QRectF box(label.centre.x() - 4 * pixels, label.centre.y() - pixels,
                     8 * pixels, 2 * pixels);
    painter.drawText(box, Qt::AlignCenter | Qt::TextDontClip,
                     board.entities[label.entity].name);
  }
}

}  // namespace lw
