#pragma once

// Which part of the board a view shows and how it maps to pixels.
//
// World coordinates are the document's turned by each file's rotation. View
// coordinates are world coordinates with X negated when the board is seen
// from the bottom; they are the numbers the program zooms and centres with.
// On screen Y points up, as in CAD.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cmath>
#include <optional>

namespace lw {

// World to pixel for one target size: px = ox + sx * x, py = oy + sy * y.
struct PixelMap {
  double sx = 1;
  double sy = -1;
  double ox = 0;
  double oy = 0;

  double scale() const noexcept { return std::abs(sy); }  // pixels per unit
  QPointF toPixel(double x, double y) const noexcept {
    return {ox + sx * x, oy + sy * y};
  }
  QPointF toWorld(QPointF pixel) const noexcept {
    return {(pixel.x() - ox) / sx, (pixel.y() - oy) / sy};
  }
  // World rectangle covered by the pixel rectangle (0,0)-(size).
  QRectF worldRect(QSizeF size) const noexcept;
};

class Viewport {
 public:
  bool fromTop() const noexcept { return mFromTop; }
  // Keeps the same spot of the board in the middle of the view.
  void setFromTop(bool fromTop) noexcept;

  QPointF centre() const noexcept { return mCentre; }
  // Shows at least the given window of view coordinates, centred. False,
  // and nothing changes, for an empty, inverted or non-finite window.
  bool setWindow(double xmin, double xmax, double ymin, double ymax) noexcept;
  // Centres on a view point; size is the side of the square of board shown,
  // size <= 0 keeps the zoom.
  bool centreOn(QPointF view, double size) noexcept;
  // Shows the whole of a world rectangle (a scene's bounds) with a small
  // margin, from the side the viewport looks from.
  void fitTo(const QRectF& world) noexcept;

  PixelMap map(QSizeF size) const noexcept;
  QPointF viewToWorld(QPointF view) const noexcept;

  // Zooms by factor keeping the board point under pixel where it is.
  void zoomAbout(QPointF pixel, QSizeF size, double factor) noexcept;
  void panBy(QPointF pixelDelta, QSizeF size) noexcept;

  // Where a view of size pixels must centre to show view point p at least
  // margin pixels inside its edges: p itself, the zoom kept. Nothing when p
  // is shown so already, or when the view shows all of board (world
  // coordinates), which holds every probe: a whole board never moves.
  std::optional<QPointF> centreToShow(QPointF p, const QRectF& board,
                                      QSizeF size,
                                      double margin) const noexcept;
  double halfSize() const noexcept { return std::max(mHalfW, mHalfH); }

 private:
  QPointF mCentre;
  double mHalfW = 1;
  double mHalfH = 1;
  bool mFromTop = true;
};

}  // namespace lw
