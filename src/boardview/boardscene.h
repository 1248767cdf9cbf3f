#pragma once

// The board as the views draw it: every entity of a visible file reduced to
// a compact item in world coordinates (its file's rotation applied), grouped
// into buckets of one layer and one entity kind. Each bucket keeps its items
// sorted by a uniform grid, so a zoomed view touches only what it shows and
// a hidden layer or class costs nothing. Probe colours live here too, per
// item, set by name. Unplaced probes (placement.h) are left out.

#include "board.h"
#include "uniformgrid.h"

#include <QHash>
#include <QRectF>
#include <QRgb>

#include <cmath>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace lw {

struct SceneItem {
  double x = 0;  // world centre
  double y = 0;
  float halfWidth = 0;  // along the item's own axes
  float halfHeight = 0;
  float angle = 0;   // degrees counter-clockwise in world, [0, 360)
  int entity = -1;   // data position
  int polygon = -1;  // index of its world polygon, or -1
  Shape shape = Shape::Round;
};

struct SceneBucket {
  int layerSlot = 0;
  EntityKind kind = EntityKind::Via;
  int first = 0;    // items [first, gridEnd) are in the grid,
  int gridEnd = 0;  // [gridEnd, last) are too large for it
  int last = 0;
  double reachX = 0;  // largest half extent of a grid item along world X
  double reachY = 0;
  UniformGrid grid;
};

class BoardScene {
 public:
  explicit BoardScene(const Board& board);
  BoardScene(const BoardScene&) = delete;
  BoardScene& operator=(const BoardScene&) = delete;

  const std::vector<SceneItem>& items() const noexcept { return mItems; }
  const std::vector<SceneBucket>& buckets() const noexcept { return mBuckets; }
  std::span<const QPointF> polygon(const SceneItem& item) const;
  // Extents of all items in world coordinates; meaningless without items.
  QRectF bounds() const noexcept { return mBounds; }

  // Slots are the document's layers in document order plus a last slot for
  // entities whose layer the document does not list.
  int layerSlot(int layerIndex) const;  // -1 when not listed

  // Buckets back to front: the outline first, probes last, and the layers
  // of the far side of the board before those of the near side.
  std::vector<int> paintOrder(bool fromTop) const;

  // Calls f(item index) for every item of bucket that may meet rect.
  template <class F>
  void forEachItem(const SceneBucket& bucket, const QRectF& rect, F&& f) const;

  // Colours every probe named name; returns how many there were, and adds
  // the items whose colour changed to recoloured.
  int colourProbes(const QString& name, QRgb colour,
                   std::vector<int>* recoloured = nullptr);
  // Gives every probe item colour where colourOf(entity) says, 0 for none:
  // one pass over the probes, however many. Returns how many changed.
  int colourAllProbes(const std::function<QRgb(int entity)>& colourOf);
  // The items of every probe named name, in item order.
  std::vector<int> probeItems(const QString& name) const;
  // A probe's own colour, or 0 when it has none.
  QRgb colour(int item) const noexcept { return mColours[item]; }
  // Probes' own colours (0: none) from the most used to the least, ties in
  // the order they had: where several share a pixel the rarer is drawn over
  // the commoner, so the few wired probes show among the many still to
  // wire.
  const std::vector<QRgb>& colourOrder() const noexcept { return mColourOrder; }
  // Counts the changes of that order.
  int colourOrderVersion() const noexcept { return mColourOrderVersion; }

  // Axis-aligned half extents of an item in world coordinates.
  static QSizeF worldHalfExtent(const SceneItem& item) noexcept {
    const float a = item.angle;
    if (a == 0 || a == 180) return {item.halfWidth, item.halfHeight};
    if (a == 90 || a == 270) return {item.halfHeight, item.halfWidth};
    const double r = std::hypot(item.halfWidth, item.halfHeight);
    return {r, r};
  }

 private:
  void buildBuckets(std::vector<SceneItem> items, std::vector<int> keys,
                    int keyCount);
  void indexGrid(SceneBucket& bucket);
  void indexProbeNames(const Board& board);
  void countColour(QRgb colour, int change);
  // False when the item had that colour already.
  bool setColour(int item, QRgb colour);
  void orderColours();

  std::vector<SceneItem> mItems;
  std::vector<SceneBucket> mBuckets;
  std::vector<std::vector<QPointF>> mPolygons;
  std::vector<LayerSide> mLayerSides;
  QHash<int, int> mSlotOfLayer;
  QRectF mBounds;
  QHash<QString, int> mFirstProbe;  // name -> item; several probes may share it
  std::vector<int> mNextProbe;      // next item of the same name, or -1
  std::vector<QRgb> mColours;
  std::vector<std::pair<QRgb, int>> mColourUses;  // probe items per colour
  std::vector<QRgb> mColourOrder;
  int mColourOrderVersion = 0;
};

template <class F>
void BoardScene::forEachItem(const SceneBucket& bucket, const QRectF& rect,
                             F&& f) const {
  const QRectF grown = rect.adjusted(-bucket.reachX, -bucket.reachY,
                                     bucket.reachX, bucket.reachY);
  bucket.grid.forEachRun(grown, [&](int first, int last) {
    for (int i = bucket.first + first; i < bucket.first + last; ++i) f(i);
  });
  for (int i = bucket.gridEnd; i < bucket.last; ++i) f(i);
}

}  // namespace lw
