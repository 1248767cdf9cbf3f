#include "viewport.h"

#include <algorithm>

namespace lw {

QRectF PixelMap::worldRect(QSizeF size) const noexcept {
  const QPointF a = toWorld({0, 0});
  const QPointF b = toWorld({size.width(), size.height()});
  return QRectF(a, b).normalized();
}

void Viewport::setFromTop(bool fromTop) noexcept {
  if (fromTop == mFromTop) return;
  mFromTop = fromTop;
  mCentre.setX(-mCentre.x());
}

bool Viewport::setWindow(double xmin, double xmax, double ymin,
                         double ymax) noexcept {
  const bool finite = std::isfinite(xmin) && std::isfinite(xmax) &&
                      std::isfinite(ymin) && std::isfinite(ymax);
  if (!finite || !(xmax > xmin) || !(ymax > ymin)) return false;
  mCentre = {(xmin + xmax) / 2, (ymin + ymax) / 2};
  mHalfW = (xmax - xmin) / 2;
  mHalfH = (ymax - ymin) / 2;
  return true;
}

bool Viewport::centreOn(QPointF view, double size) noexcept {
  if (!std::isfinite(view.x()) || !std::isfinite(view.y()) ||
      !std::isfinite(size))
    return false;
  mCentre = view;
  if (size > 0) mHalfW = mHalfH = size / 2;
  return true;
}

void Viewport::fitTo(const QRectF& world) noexcept {
  constexpr double kFitMargin = 0.03;  // of the board's size, each side
  // A lone point or a line still gets a window.
  const double extent = std::max({world.width(), world.height(), 1e-6});
  const double margin = kFitMargin * extent;
  const double half = extent / 2 + margin;
  const double wx = mFromTop ? world.center().x() : -world.center().x();
  const double hx = std::max(world.width() / 2 + margin, half * 1e-3);
  const double hy = std::max(world.height() / 2 + margin, half * 1e-3);
  setWindow(wx - hx, wx + hx, world.center().y() - hy, world.center().y() + hy);
}

PixelMap Viewport::map(QSizeF size) const noexcept {
  const double w = std::max(size.width(), 1.0);
  const double h = std::max(size.height(), 1.0);
  const double s = std::min(w / (2 * mHalfW), h / (2 * mHalfH));
  const double mirror = mFromTop ? 1 : -1;
  // px = w/2 + (mirror*x - cx) * s, py = h/2 - (y - cy) * s
  return {mirror * s, -s, w / 2 - mCentre.x() * s, h / 2 + mCentre.y() * s};
}

QPointF Viewport::viewToWorld(QPointF view) const noexcept {
  return {mFromTop ? view.x() : -view.x(), view.y()};
}

void Viewport::zoomAbout(QPointF pixel, QSizeF size, double factor) noexcept {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const PixelMap m = map(size);
  const QPointF w = m.toWorld(pixel);
  const QPointF v(mFromTop ? w.x() : -w.x(), w.y());
  mCentre = v + (mCentre - v) / factor;
  mHalfW /= factor;
  mHalfH /= factor;
}

void Viewport::panBy(QPointF pixelDelta, QSizeF size) noexcept {
  const double s = map(size).scale();
  // Dragging right moves the board right: the centre moves left. Y is up.
  mCentre -= QPointF(pixelDelta.x() / s, -pixelDelta.y() / s);
}

std::optional<QPointF> Viewport::centreToShow(QPointF p, const QRectF& board,
                                              QSizeF size,
                                              double margin) const noexcept {
  const PixelMap m = map(size);
  if (m.worldRect(size).contains(board)) return std::nullopt;
  const QPointF pixel = m.toPixel(viewToWorld(p).x(), viewToWorld(p).y());
  const QRectF inner =
      QRectF(QPointF(), size).adjusted(margin, margin, -margin, -margin);
  if (inner.contains(pixel)) return std::nullopt;
  return p;
}

}  // namespace lw
