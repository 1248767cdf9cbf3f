#pragma once

// The one drawing routine of the board views: paints a scene into any
// QPainter (the widget, a test image, an export) for a given viewport, and
// finds the probe under a pixel the way the paint stacked them.
//
// A paint may cover only part of the target: what one changed probe needs
// on a screen already showing the rest. Points of several probe colours on
// one pixel stack the same in any part as in the whole (the scene's colour
// order), so a part paints what the whole would there, as long as no label
// but the current probe's is in play (BoardPaint::otherLabels); labels
// elsewhere depend on the whole view, and then only a whole paint is right.
//
// The current probe is drawn last, above everything, with a ring that stays
// findable at any zoom and its number always shown. Labels never overlap:
// the current probe's comes first, then probe numbers nearest to it first,
// then reference designators in painting order; a label that would overlap
// one placed before it is left out.

#include "boardscene.h"
#include "viewport.h"

#include <QRect>
#include <QRgb>
#include <QSize>

#include <array>
#include <span>
#include <vector>

class QPainter;

namespace lw {

inline constexpr QRgb kBackground = 0xff000000;
// Items drawn smaller than this many pixels become single points.
inline constexpr double kPointPixels = 3;
// Labels smaller than this many pixels are not drawn.
inline constexpr int kMinLabelPixels = 7;
// The current probe's ring is at least this many pixels across.
inline constexpr double kCurrentRingPixels = 14;
// The current probe's number is at least this many pixels high; a probe too
// small to hold it has it beside the ring.
inline constexpr int kCurrentLabelPixels = 12;

struct LayerStyle {
  QRgb colour = 0;
  bool visible = true;
};

// What a view chose to show; layers are indexed by scene slot.
struct ViewStyle {
  std::vector<LayerStyle> layers;
  std::array<bool, kEntityKindCount> classVisible = {
      true, true, true, true, true, true, true, true, true, true, true};
  QRgb background = kBackground;  // paper is white, the screen black

  bool shows(const SceneBucket& bucket) const {
    return layers[bucket.layerSlot].visible && classVisible[int(bucket.kind)];
  }
};

struct SceneView {
  const Board& board;
  const BoardScene& scene;
  const ViewStyle& style;
  const Viewport& viewport;
  std::span<const int> current;  // items of the current probe
};

struct BoardPaint {
  std::vector<QRectF> labels;  // boxes drawn (text and the room either side)
  // Some label other than the current probe's was there to place (its
  // number counts too: it stays when the probe stops being current).
  bool otherLabels = false;
};

// Paints the view into the target's pixels (0, 0)-(size); only area when it
// is given (the rest is left as it was).
BoardPaint paintBoard(QPainter& painter, QSize size, const SceneView& view,
                      const QRect& area = {});

// The pixels a probe's scene item can touch in a paint of size, whether it
// is current or not: its shape, its ring and its number beside or on it.
// Empty when it cannot show in the view.
QRect probeFootprint(const SceneView& view, QSize size, int item);

// Data position of the probe drawn topmost under pixel, or within tolerance
// pixels of its edge (then the nearest); -1 when there is none.
int probeAt(const SceneView& view, QSize size, QPointF pixel, double tolerance);

}  // namespace lw
