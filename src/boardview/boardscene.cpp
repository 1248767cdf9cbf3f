#include "boardscene.h"

#include "placement.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace lw {
namespace {

float normalisedAngle(double degrees) noexcept {
  double a = std::fmod(degrees, 360.0);
  if (a < 0) a += 360;
  return static_cast<float>(a);
}

int kindRank(EntityKind kind) noexcept {
  // Large outlines behind, small filled features in front.
  switch (kind) {
    case EntityKind::Outline:
      return 0;
    case EntityKind::MechanicalPart:
      return 1;
    case EntityKind::Component:
      return 2;
    case EntityKind::MechanicalHole:
      return 3;
    case EntityKind::ToolingHole:
      return 4;
    case EntityKind::Fiducial:
      return 5;
    case EntityKind::Pin:
      return 6;
    case EntityKind::Via:
      return 7;
    case EntityKind::AccessPoint:
      return 8;
    case EntityKind::Probe:
      return 9;
  }
  return 10;
}

// Looks up each entity's file, remembering the last one: entities of one
// file come in long runs.
class FileLookup {
 public:
  explicit FileLookup(const Board& board) : mBoard(board) {}
  const BoardFile* operator()(int number) {
    if (mLast && mLast->number == number) return mLast;
    mLast = mBoard.file(number);
    return mLast;
  }

 private:
  const Board& mBoard;
  const BoardFile* mLast = nullptr;
};

// Most bodies are rectangles; drawn as such they batch with the pads.
bool isAlignedRectangle(const std::vector<QPointF>& p) {
  if (p.size() != 4) return false;
  const bool firstEdgeHorizontal = p[0].y() == p[1].y();
  for (int i = 0; i < 4; ++i) {
    const QPointF& a = p[i];
    const QPointF& b = p[(i + 1) % 4];
    const bool horizontal = (i % 2 == 0) == firstEdgeHorizontal;
    if (horizontal ? a.y() != b.y() : a.x() != b.x()) return false;
  }
  return true;
}

// Puts item order[k] at place k, in place, one cycle of the permutation
// at a time: a copy of a large bucket would be fresh memory to fault in.
template <class It>
void permute(It items, std::vector<int> order) {
  for (int i = 0; i < int(order.size()); ++i) {
    if (order[i] == i) continue;
    SceneItem first = items[i];
    int at = i;
    while (order[at] != i) {
      const int from = order[at];
      items[at] = items[from];
      order[at] = at;
      at = from;
    }
    items[at] = first;
    order[at] = at;
  }
}

}  // namespace

BoardScene::BoardScene(const Board& board) {
  for (const Layer& layer : board.layers) {
    mSlotOfLayer.insert(layer.index, int(mLayerSides.size()));
    mLayerSides.push_back(layerSide(layer.type, layer.name));
  }
  const int orphanSlot = int(mLayerSides.size());
  mLayerSides.push_back(LayerSide::Both);

  std::vector<SceneItem> items;
  std::vector<int> keys;
  items.reserve(board.entities.size());
  keys.reserve(board.entities.size());
  FileLookup fileOf(board);
  const int placement = board.keywordIndex(placementKeyword());
  int lastLayer = 0;
  int lastSlot = layerSlot(0);
  for (int e = 0; e < int(board.entities.size()); ++e) {
    const Entity& entity = board.entities[e];
    const BoardFile* file = fileOf(entity.file);
    if (file && !file->visible) continue;
    // A probe without a place is no probe to wire: neither drawn nor picked.
    if (entity.kind == EntityKind::Probe && isUnplaced(entity, placement))
      continue;
    const int rotation = file ? file->rotation : 0;
    if (entity.layer != lastLayer) {
      lastLayer = entity.layer;
      lastSlot = layerSlot(lastLayer);
    }
    const int slot = lastSlot < 0 ? orphanSlot : lastSlot;

    SceneItem item;
    item.entity = e;
    item.shape = entity.shape;
    const QPointF centre = rotateQuarterTurns({entity.x, entity.y}, rotation);
    item.x = centre.x();
    item.y = centre.y();
    const bool round =
        entity.shape == Shape::Round || entity.kind == EntityKind::Probe;
    item.halfWidth = static_cast<float>(std::abs(entity.width) / 2);
    item.halfHeight =
        round ? item.halfWidth
              : static_cast<float>(std::abs(entity.effectiveHeight()) / 2);
    item.angle = normalisedAngle(entity.angle + rotation);
    if (entity.kind == EntityKind::Probe) item.shape = Shape::Round;
    if (entity.outline.size() >= 2) {
      std::vector<QPointF> polygon;
      polygon.reserve(entity.outline.size());
      for (const QPointF& p : entity.outline)
        polygon.push_back(rotateQuarterTurns(p, rotation));
      // A polygon item is its bounding box; the polygon is drawn as is.
      const QRectF box = boundingBox(polygon);
      item.x = box.center().x();
      item.y = box.center().y();
      item.halfWidth = static_cast<float>(box.width() / 2);
      item.halfHeight = static_cast<float>(box.height() / 2);
      item.angle = 0;
      if (isAlignedRectangle(polygon)) {
        item.shape = Shape::Rectangle;
      } else {
        item.polygon = int(mPolygons.size());
        mPolygons.push_back(std::move(polygon));
      }
    }
    if (!std::isfinite(item.x) || !std::isfinite(item.y) ||
        !std::isfinite(item.halfWidth) || !std::isfinite(item.halfHeight))
      continue;  // nothing sensible to draw, and it would poison the bounds
    items.push_back(item);
    keys.push_back(slot * kEntityKindCount + int(entity.kind));
  }
  buildBuckets(std::move(items), std::move(keys),
               (orphanSlot + 1) * kEntityKindCount);
  indexProbeNames(board);
}

void BoardScene::buildBuckets(std::vector<SceneItem> items,
                              std::vector<int> keys, int keyCount) {
  // Counting sort by bucket key keeps the document order inside a bucket.
  std::vector<int> start(keyCount + 1, 0);
  for (int key : keys)
    if (key >= 0 && key < keyCount) ++start[key + 1];
  for (int k = 0; k < keyCount; ++k) start[k + 1] += start[k];
  std::vector<int> next(start.begin(), start.end() - 1);
  mItems.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i)
    mItems[next[keys[i]]++] = items[i];

  for (int key = 0; key < keyCount; ++key) {
    if (start[key] == start[key + 1]) continue;
    SceneBucket bucket;
    bucket.layerSlot = key / kEntityKindCount;
    bucket.kind = static_cast<EntityKind>(key % kEntityKindCount);
    bucket.first = start[key];
    bucket.last = start[key + 1];
    indexGrid(bucket);
    mBuckets.push_back(std::move(bucket));
  }
  if (!mItems.empty()) {
    double left = mItems[0].x, right = left, top = mItems[0].y, bottom = top;
    for (const SceneItem& item : mItems) {
      const QSizeF h = worldHalfExtent(item);
      left = std::min(left, item.x - h.width());
      right = std::max(right, item.x + h.width());
      top = std::min(top, item.y - h.height());
      bottom = std::max(bottom, item.y + h.height());
    }
    mBounds = QRectF(QPointF(left, top), QPointF(right, bottom));
  }
  mColours.assign(mItems.size(), 0);
}

void BoardScene::indexGrid(SceneBucket& bucket) {
  auto begin = mItems.begin() + bucket.first;
  auto end = mItems.begin() + bucket.last;
  std::vector<QPointF> centres;
  auto buildOver = [&](auto from, auto to) {
    centres.clear();
    for (auto it = from; it != to; ++it) centres.emplace_back(it->x, it->y);
    permute(from, bucket.grid.build(centres, 8));
  };
  buildOver(begin, end);

  // Items much larger than a cell would widen every query; keep them aside.
  const double limit = 2 * bucket.grid.cellSize();
  auto fits = [&](const SceneItem& item) {
    const QSizeF h = worldHalfExtent(item);
    return h.width() <= limit && h.height() <= limit;
  };
  auto gridEnd = std::stable_partition(begin, end, fits);
  if (gridEnd != end) buildOver(begin, gridEnd);
  bucket.gridEnd = bucket.first + int(gridEnd - begin);
  for (auto it = begin; it != gridEnd; ++it) {
    const QSizeF h = worldHalfExtent(*it);
    bucket.reachX = std::max(bucket.reachX, h.width());
    bucket.reachY = std::max(bucket.reachY, h.height());
  }
}

void BoardScene::indexProbeNames(const Board& board) {
  mNextProbe.assign(mItems.size(), -1);
  for (const SceneBucket& bucket : mBuckets) {
    if (bucket.kind != EntityKind::Probe) continue;
    // Backwards, so each name's chain runs in item order.
    for (int i = bucket.last - 1; i >= bucket.first; --i) {
      int& head = mFirstProbe[board.entities[mItems[i].entity].name];
      mNextProbe[i] = head ? head - 1 : -1;
      head = i + 1;  // stored one up: QHash default-constructs 0
    }
    countColour(0, bucket.last - bucket.first);
  }
  for (const auto& use : mColourUses) mColourOrder.push_back(use.first);
}

void BoardScene::countColour(QRgb colour, int change) {
  auto it = std::find_if(mColourUses.begin(), mColourUses.end(),
                         [&](const auto& use) { return use.first == colour; });
  if (it == mColourUses.end())
    it = mColourUses.insert(mColourUses.end(), {colour, 0});
  // A colour no probe has any more keeps its place at the end, so that
  // one probe taking it again does not change the order.
  it->second += change;
}

int BoardScene::colourProbes(const QString& name, QRgb colour,
                             std::vector<int>* recoloured) {
  int count = 0;
  bool changed = false;
  for (int i = mFirstProbe.value(name) - 1; i >= 0; i = mNextProbe[i]) {
    ++count;
    if (!setColour(i, colour)) continue;
    changed = true;
    if (recoloured) recoloured->push_back(i);
  }
  if (changed) orderColours();
  return count;
}

int BoardScene::colourAllProbes(
    const std::function<QRgb(int entity)>& colourOf) {
  int changed = 0;
  for (const SceneBucket& bucket : mBuckets) {
    if (bucket.kind != EntityKind::Probe) continue;
    for (int i = bucket.first; i < bucket.last; ++i)
      if (setColour(i, colourOf(mItems[i].entity))) ++changed;
  }
  if (changed) orderColours();
  return changed;
}

bool BoardScene::setColour(int item, QRgb colour) {
  if (mColours[item] == colour) return false;
  countColour(mColours[item], -1);
  countColour(colour, 1);
  mColours[item] = colour;
  return true;
}

// Colours as used as each other keep their order: one probe taking a
// colour or leaving it changes the order only when it must.
void BoardScene::orderColours() {
  std::stable_sort(
      mColourUses.begin(), mColourUses.end(),
      [](const auto& a, const auto& b) { return a.second > b.second; });
  bool reordered = mColourOrder.size() != mColourUses.size();
  mColourOrder.resize(mColourUses.size());
  for (std::size_t k = 0; k < mColourUses.size(); ++k) {
    reordered = reordered || mColourOrder[k] != mColourUses[k].first;
    mColourOrder[k] = mColourUses[k].first;
  }
  if (reordered) ++mColourOrderVersion;
}

std::vector<int> BoardScene::probeItems(const QString& name) const {
  std::vector<int> found;
  for (int i = mFirstProbe.value(name) - 1; i >= 0; i = mNextProbe[i])
    found.push_back(i);
  return found;
}

int BoardScene::layerSlot(int layerIndex) const {
  return mSlotOfLayer.value(layerIndex, -1);
}

std::span<const QPointF> BoardScene::polygon(const SceneItem& item) const {
  if (item.polygon < 0) return {};
  return mPolygons[item.polygon];
}

std::vector<int> BoardScene::paintOrder(bool fromTop) const {
  auto group = [](EntityKind kind) {
    return kind == EntityKind::Outline ? 0 : kind == EntityKind::Probe ? 2 : 1;
  };
  auto sideRank = [fromTop](LayerSide side) {
    if (side == LayerSide::Both) return 1;
    const bool near = (side == LayerSide::Top) == fromTop;
    return near ? 2 : 0;
  };
  std::vector<int> order(mBuckets.size());
  std::iota(order.begin(), order.end(), 0);
  auto key = [&](int b) {
    const SceneBucket& bucket = mBuckets[b];
    return std::tuple(group(bucket.kind),
                      sideRank(mLayerSides[bucket.layerSlot]), bucket.layerSlot,
                      kindRank(bucket.kind));
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return key(a) < key(b); });
  return order;
}

}  // namespace lw
