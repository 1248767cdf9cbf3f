#pragma once

// Rendering helpers for the board view tests: paint a view into an image
// and read its pixels.

#include "boardrenderer.h"
#include "boardview.h"

#include <QImage>
#include <QRect>

namespace lw::test {

// Odd sizes put a pixel exactly on the view's centre.
inline constexpr QSize kImageSize{401, 301};
inline constexpr QPoint kCentre{200, 150};

inline QImage render(BoardView& view, QSize size = kImageSize) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  view.renderTo(image);
  return image;
}

inline int countColour(const QImage& image, QRect rect, QRgb colour) {
  int n = 0;
  rect &= image.rect();
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (image.pixel(x, y) == colour) ++n;
  return n;
}

inline int countColour(const QImage& image, QRgb colour) {
  return countColour(image, image.rect(), colour);
}

// Colour at the centre of a half x half window around view point (x, y).
inline QRgb colourAt(BoardView& view, double x, double y, double half = 5,
                     QPoint offset = {}) {
  view.zoomToWindow(x - half, x + half, y - half, y + half);
  return render(view).pixel(kCentre + offset);
}

// Colour in the middle of a probe, seen small enough to carry no label.
inline QRgb probeColourAt(BoardView& view, double x, double y) {
  return colourAt(view, x, y, 25);
}

}  // namespace lw::test
