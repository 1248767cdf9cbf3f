#pragma once

// The one drawing routine of the board views: paints a scene into any
// QPainter (the widget, a test image, an export) for a given viewport, and
// finds the probe under a pixel the way the paint stacked them.

#include "boardscene.h"
#include "viewport.h"

#include <QRgb>
#include <QSize>

#include <array>
#include <vector>

class QPainter;

namespace lw {

struct LayerStyle {
  QRgb colour = 0;
  bool visible = true;
};

// What a view chose to show; layers are indexed by scene slot.
struct ViewStyle {
  std::vector<LayerStyle> layers;
  std::array<bool, kEntityKindCount> classVisible = {
      true, true, true, true, true, true, true, true, true, true, true};

  bool shows(const SceneBucket& bucket) const {
    return layers[bucket.layerSlot].visible && classVisible[int(bucket.kind)];
  }
};

struct SceneView {
  const Board& board;
  const BoardScene& scene;
  const ViewStyle& style;
  const Viewport& viewport;
};

inline constexpr QRgb kBackground = 0xff000000;
// Items drawn smaller than this many pixels become single points.
inline constexpr double kPointPixels = 3;
// Labels smaller than this many pixels are not drawn.
inline constexpr int kMinLabelPixels = 7;

void paintBoard(QPainter& painter, QSize size, const SceneView& view);

// Data position of the probe drawn topmost under pixel, or within tolerance
// pixels of its edge (then the nearest); -1 when there is none.
int probeAt(const SceneView& view, QSize size, QPointF pixel, double tolerance);

}  // namespace lw
