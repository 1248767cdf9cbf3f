#pragma once

// Labels of the board views (probe numbers, reference designators): their
// size, their box, and keeping them from running into each other. Boxes are
// offered in order of importance and each is taken only where it overlaps
// none taken before; they are kept in a grid of screen cells, so an offer
// looks only at the few boxes near it however many there are.

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <QString>

#include <array>
#include <map>
#include <vector>

class QPainter;

namespace lw {

struct Board;

struct Label {
  QPointF centre;
  int pixels = 0;  // font pixel size
  int entity = -1;
  QRgb colour = 0;
  QRectF box;  // what it takes on screen, from LabelMeasure
};

// Pixel size of a label of len characters fitting a w x h pixel box.
int labelPixels(double w, double h, qsizetype len);

// The boxes labels take in one font: the text's advance with a little room
// either side (so that two numbers never read as one), one pixel size
// high, centred where the label is drawn. Advances are cached per
// character and size: a paint may measure thousands of labels.
class LabelMeasure {
 public:
  explicit LabelMeasure(const QFont& font) : mFont(font) {}
  QRectF box(QPointF centre, const QString& text, int pixels);
  // The part of every such box whatever its text: one that overlaps a box
  // already taken spares the measuring.
  static QRectF core(QPointF centre, int pixels);

 private:
  double advance(const QString& text, int pixels);

  QFont mFont;
  std::map<int, std::array<float, 128>> mAdvances;  // -1: not measured yet
};

class LabelPlacer {
 public:
  // area: the pixels the labels are drawn in; boxes may reach beyond it.
  explicit LabelPlacer(QSize area);

  // Whether box overlaps no box taken before.
  bool isFree(const QRectF& box) const;
  // Takes box when it overlaps no box taken before.
  bool offer(const QRectF& box);
  // Takes box whatever it overlaps (what must be seen in any case).
  void take(const QRectF& box);

 private:
  struct Cells {
    int c0, c1, r0, r1;
  };
  Cells cellsOf(const QRectF& box) const noexcept;

  int mColumns = 1;
  int mRows = 1;
  std::vector<QRectF> mBoxes;
  std::vector<std::vector<int>> mCells;  // boxes touching each cell
};

// Offers labels to placer nearest to anchor first (ties in their order),
// each measured with its entity's name; keeps those taken, in that order.
void placeNearestFirst(std::vector<Label>& labels, QPointF anchor,
                       const Board& board, LabelMeasure& measure,
                       LabelPlacer& placer);

// Draws each label's entity name centred on it, in the painter's font.
void drawLabels(QPainter& painter, const Board& board,
                const std::vector<Label>& labels);

}  // namespace lw
