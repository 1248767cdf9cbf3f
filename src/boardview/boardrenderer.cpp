#include "boardrenderer.h"

#include "boardlabels.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lw {
namespace {

bool isFilled(EntityKind kind) {
  return kind == EntityKind::Via || kind == EntityKind::Pin ||
         kind == EntityKind::Fiducial || kind == EntityKind::Probe;
}

// Probe numbers sit on the probe's own colour.
QRgb probeLabelColour(QRgb fill) {
  return qGray(fill) > 110 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
}

// The current probe, drawn again above everything with a ring around it.
struct CurrentMark {
  QPointF centre;
  double radius = 0;  // the probe's own, pixels
  double ring = 0;    // the ring's
  QRgb colour = 0;
  Label label;          // pixels 0: the probe has no name
  bool beside = false;  // on a plate beside the ring, else on the probe
};

// The ring: at least kCurrentRingPixels across, a little outside the probe,
// in the probe's colour over a dark halo so it shows on any background.
constexpr double kRingGap = 3;
constexpr double kRingPen = 2;
constexpr double kHaloPen = 6;

double ringRadius(double probeRadius) {
  return std::max(probeRadius + kRingGap, kCurrentRingPixels / 2);
}
// How far from the centre the ring and its halo reach.
double ringReach(double probeRadius) {
  return ringRadius(probeRadius) + kHaloPen / 2;
}

// Unit circles fine enough that a polygon passes for a circle at its size:
// the painter's own ellipses cost ten times as much.
const std::vector<QPointF>& unitCircle(double radiusPixels) {
  static const auto tables = [] {
    std::array<std::vector<QPointF>, 5> t;
    int n = 8;
    for (auto& table : t) {
      for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        table.emplace_back(std::cos(a), std::sin(a));
      }
      n *= 2;
    }
    return t;
  }();
  const double r = radiusPixels;
  return tables[r < 4 ? 0 : r < 12 ? 1 : r < 40 ? 2 : r < 150 ? 3 : 4];
}

// Shapes of one colour in painting order, drawn in as few calls as possible.
struct ShapeBatch {
  QRgb colour = 0;
  std::vector<QRectF> rects;
  std::vector<QPointF> convexPoints;  // convex polygons, one after another
  std::vector<int> convexEnds;
  std::vector<int> polygons;  // items with a polygon of their own

  bool empty() const {
    return rects.empty() && convexEnds.empty() && polygons.empty();
  }
  void clear() {
    rects.clear();
    convexPoints.clear();
    convexEnds.clear();
    polygons.clear();
  }
};

// A world rectangle holding everything drawn into the pixels of area, with
// a pixel to spare for how shapes are rounded to pixels.
QRectF worldAround(const PixelMap& map, const QRect& area) {
  const QRectF grown = QRectF(area).adjusted(-1, -1, 1, 1);
  return QRectF(map.toWorld(grown.topLeft()), map.toWorld(grown.bottomRight()))
      .normalized();
}

// One colour of points, and what it stands for in the scene's colour order
// (the probe's own colour, 0 for none).
struct PointRun {
  QRgb key = 0;
  QRgb colour = 0;
  std::vector<QPoint> points;
};

class BoardPainter {
 public:
  BoardPainter(QPainter& painter, QSize size, const SceneView& view,
               const QRect& area)
      : mPainter(painter),
        mSize(size),
        mArea(area),
        mView(view),
        mMap(view.viewport.map(size)),
        mScale(mMap.scale()),
        mWorld(worldAround(mMap, area)),
        mSeen((std::size_t(area.width()) * area.height() + 63) / 64),
        mMeasure(painter.font()),
        mPlacer(size) {}

  // Back to front.
  BoardPaint paint(const std::vector<int>& order);

 private:
  void paint(const SceneBucket& bucket);
  void add(int index, QPointF centre, QSizeF half);
  void addConvex(const SceneItem& item, QPointF centre);
  void addPoint(QPointF centre, QRgb colour, QRgb key = 0);
  void flushShapes();
  void flushPoints();
  void placeDesignators();

  const SceneBucket* probeBucketOf(int item) const;
  bool isCurrent(int item) const;
  bool onScreen(QPointF centre, double reach) const;
  bool inArea(QPointF centre, QSizeF reach) const;
  void placeCurrent();
  void placeProbeNumbers(const std::vector<int>& order);
  void drawCurrent();

  QPainter& mPainter;
  QSize mSize;
  QRect mArea;  // the pixels painted
  const SceneView& mView;
  PixelMap mMap;
  double mScale;
  QRectF mWorld;
  std::vector<quint64> mSeen;  // pixels of the area already holding a point
  LabelMeasure mMeasure;
  LabelPlacer mPlacer;
  BoardPaint mResult;
  std::vector<CurrentMark> mCurrent;
  std::vector<Label> mProbeNumbers;

  const SceneBucket* mBucket = nullptr;
  bool mFilled = false;
  QRgb mLayerColour = 0;
  ShapeBatch mShapes;
  std::vector<PointRun> mPoints;
  std::size_t mLastPoints = 0;
  std::vector<Label> mLabels;
  QPolygonF mPolygon;
};

BoardPaint BoardPainter::paint(const std::vector<int>& order) {
  // Labels are placed by importance: the current probe's, then probe
  // numbers nearest to it first, then designators as their layers come.
  placeCurrent();
  placeProbeNumbers(order);
  const auto& buckets = mView.scene.buckets();
  for (int b : order)
    if (mView.style.shows(buckets[b])) paint(buckets[b]);
  drawLabels(mPainter, mView.board, mProbeNumbers);
  drawCurrent();
  return std::move(mResult);
}

void BoardPainter::paint(const SceneBucket& bucket) {
  mBucket = &bucket;
  mFilled = isFilled(bucket.kind);
  mLayerColour = mView.style.layers[bucket.layerSlot].colour;
  mShapes.colour = mLayerColour;
  const bool probes = bucket.kind == EntityKind::Probe;
  if (!probes) std::fill(mSeen.begin(), mSeen.end(), 0);

  const auto& items = mView.scene.items();
  const bool allPoints =
      bucket.gridEnd == bucket.last &&
      2 * std::max(bucket.reachX, bucket.reachY) * mScale < kPointPixels;
  if (allPoints) {
    // The whole-board view: nothing but points, so skip the shape logic.
    mView.scene.forEachItem(bucket, mWorld, [&](int i) {
      const QRgb own = probes ? mView.scene.colour(i) : 0;
      addPoint(mMap.toPixel(items[i].x, items[i].y), own ? own : mLayerColour,
               own);
    });
    flushPoints();
    return;
  }
  mView.scene.forEachItem(bucket, mWorld, [&](int i) {
    const SceneItem& item = items[i];
    const QSizeF ext = BoardScene::worldHalfExtent(item) * mScale;
    const QPointF c = mMap.toPixel(item.x, item.y);
    if (!inArea(c, ext)) return;
    const QRgb own = probes ? mView.scene.colour(i) : 0;
    const QRgb colour = own ? own : mLayerColour;
    if (2 * std::max(ext.width(), ext.height()) < kPointPixels) {
      addPoint(c, colour, own);
      return;
    }
    if (colour != mShapes.colour) {
      flushShapes();
      mShapes.colour = colour;
    }
    add(i, c, ext);
  });
  flushShapes();
  flushPoints();
  placeDesignators();
}

void BoardPainter::addPoint(QPointF c, QRgb colour, QRgb key) {
  // Pixel (x, y) covers [x, x + 1): its centre is (x + 0.5, y + 0.5), as for
  // the painter's fills, while points land on the nearest whole number.
  if (!(c.x() >= mArea.left() && c.y() >= mArea.top() &&
        c.x() < mArea.right() + 1 && c.y() < mArea.bottom() + 1))
    return;
  const int x = static_cast<int>(c.x());  // truncation is floor here
  const int y = static_cast<int>(c.y());
  if (mBucket->kind != EntityKind::Probe) {
    // Thousands of pins share a pixel on a whole-board view: draw one.
    const std::size_t bit =
        std::size_t(y - mArea.top()) * mArea.width() + (x - mArea.left());
    quint64& word = mSeen[bit / 64];
    const quint64 mask = quint64(1) << (bit % 64);
    if (word & mask) return;
    word |= mask;
  }
  if (mPoints.empty() || mPoints[mLastPoints].colour != colour ||
      mPoints[mLastPoints].key != key) {
    auto same = [&](const PointRun& run) {
      return run.colour == colour && run.key == key;
    };
    auto it = std::find_if(mPoints.begin(), mPoints.end(), same);
    if (it == mPoints.end()) it = mPoints.insert(it, {key, colour, {}});
    mLastPoints = it - mPoints.begin();
  }
  mPoints[mLastPoints].points.emplace_back(x, y);
}

void BoardPainter::add(int index, QPointF c, QSizeF ext) {
  const SceneItem& item = mView.scene.items()[index];
  const QRectF box(c.x() - ext.width(), c.y() - ext.height(), 2 * ext.width(),
                   2 * ext.height());
  const float a = item.angle;
  const bool aligned = a == 0 || a == 90 || a == 180 || a == 270;
  if (item.polygon >= 0)
    mShapes.polygons.push_back(index);
  else if (aligned && item.shape != Shape::Round && item.shape != Shape::Oblong)
    mShapes.rects.push_back(box);
  else
    addConvex(item, c);

  // Probe numbers were placed before any layer was painted.
  if (mBucket->kind != EntityKind::Component) return;
  const QString& name = mView.board.entities[item.entity].name;
  if (name.isEmpty()) return;
  const int pixels = labelPixels(box.width(), box.height(), name.size());
  if (pixels >= kMinLabelPixels)
    mLabels.push_back({c, pixels, item.entity, mShapes.colour, {}});
}

void BoardPainter::addConvex(const SceneItem& item, QPointF c) {
  std::vector<QPointF>& out = mShapes.convexPoints;
  const double rad = item.angle * std::numbers::pi / 180;
  const double cs = std::cos(rad), sn = std::sin(rad);
  // Item axes to pixels: turn by the angle, then scale and mirror.
  auto put = [&](double u, double v) {
    out.emplace_back(c.x() + mMap.sx * (u * cs - v * sn),
                     c.y() + mMap.sy * (u * sn + v * cs));
  };
  const double hw = item.halfWidth, hh = item.halfHeight;
  if (item.shape == Shape::Round) {
    for (const QPointF& p : unitCircle(hw * mScale))
      put(hw * p.x(), hw * p.y());
  } else if (item.shape == Shape::Oblong) {
    // Two half circles joined by straight sides along the long axis.
    const bool alongX = hw >= hh;
    const double r = alongX ? hh : hw;
    const double d = (alongX ? hw : hh) - r;
    const auto& circle = unitCircle(r * mScale);
    const int n = int(circle.size());
    for (int i = 0; i < n; ++i) {
      const QPointF p = circle[i] * r;
      // Points across the axis belong to both caps.
      const bool across =
          alongX ? (i == n / 4 || i == 3 * n / 4) : (i == 0 || i == n / 2);
      const double along = alongX ? circle[i].x() : circle[i].y();
      double first = along > 0 ? d : -d;
      double second = first;
      if (across) {
        // Leaving the positive cap at n/4 (X) or the negative one at 0 (Y).
        first = (alongX ? i == n / 4 : i == n / 2) ? d : -d;
        second = -first;
      }
      put(p.x() + (alongX ? first : 0), p.y() + (alongX ? 0 : first));
      if (across)
        put(p.x() + (alongX ? second : 0), p.y() + (alongX ? 0 : second));
    }
  } else {
    for (auto [u, v] : {std::pair{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}})
      put(u, v);
  }
  mShapes.convexEnds.push_back(int(out.size()));
}

void BoardPainter::flushShapes() {
  ShapeBatch& s = mShapes;
  if (s.empty()) return;
  if (mFilled) {
    mPainter.setPen(Qt::NoPen);
    mPainter.setBrush(QColor::fromRgb(s.colour));
  } else {
    mPainter.setPen(QPen(QColor::fromRgb(s.colour), 0));
    mPainter.setBrush(Qt::NoBrush);
  }
  if (!s.rects.empty()) mPainter.drawRects(s.rects.data(), int(s.rects.size()));
  int begin = 0;
  for (int end : s.convexEnds) {
    mPainter.drawConvexPolygon(&s.convexPoints[begin], end - begin);
    begin = end;
  }
  for (int index : s.polygons) {
    const auto points = mView.scene.polygon(mView.scene.items()[index]);
    mPolygon.clear();
    for (const QPointF& p : points) mPolygon.append(mMap.toPixel(p.x(), p.y()));
    mPainter.drawPolygon(mPolygon);
  }
  s.clear();
}

void BoardPainter::flushPoints() {
  // Rare colours last, so the few wired probes are not buried under the
  // many still to wire; in the scene's order, not this paint's counts, so
  // a part of the view stacks them as the whole does.
  const std::vector<QRgb>& order = mView.scene.colourOrder();
  const auto rank = [&](const PointRun& run) {
    return std::find(order.begin(), order.end(), run.key) - order.begin();
  };
  std::stable_sort(
      mPoints.begin(), mPoints.end(),
      [&](const PointRun& a, const PointRun& b) { return rank(a) < rank(b); });
  for (const PointRun& run : mPoints) {
    mPainter.setPen(QPen(QColor::fromRgb(run.colour), 0));
    mPainter.drawPoints(run.points.data(), int(run.points.size()));
  }
  mPoints.clear();
}

void BoardPainter::placeDesignators() {
  mResult.otherLabels = mResult.otherLabels || !mLabels.empty();
  std::erase_if(mLabels, [&](Label& label) {
    label.box = mMeasure.box(
        label.centre, mView.board.entities[label.entity].name, label.pixels);
    if (!mPlacer.offer(label.box)) return true;
    mResult.labels.push_back(label.box);
    return false;
  });
  drawLabels(mPainter, mView.board, mLabels);
  mLabels.clear();
}

const SceneBucket* BoardPainter::probeBucketOf(int item) const {
  for (const SceneBucket& bucket : mView.scene.buckets())
    if (bucket.kind == EntityKind::Probe && item >= bucket.first &&
        item < bucket.last)
      return &bucket;
  return nullptr;
}

bool BoardPainter::isCurrent(int item) const {
  return std::find(mView.current.begin(), mView.current.end(), item) !=
         mView.current.end();
}

bool BoardPainter::onScreen(QPointF c, double reach) const {
  return c.x() + reach >= 0 && c.x() - reach <= mSize.width() &&
         c.y() + reach >= 0 && c.y() - reach <= mSize.height();
}

bool BoardPainter::inArea(QPointF c, QSizeF reach) const {
  // A pixel to spare, as for the world rectangle.
  const double w = reach.width() + 1, h = reach.height() + 1;
  return c.x() + w >= mArea.left() && c.x() - w <= mArea.right() + 1 &&
         c.y() + h >= mArea.top() && c.y() - h <= mArea.bottom() + 1;
}

void BoardPainter::placeCurrent() {
  const auto& items = mView.scene.items();
  for (int i : mView.current) {
    const SceneBucket* bucket = probeBucketOf(i);
    if (!bucket || !mView.style.shows(*bucket)) continue;
    const SceneItem& item = items[i];
    CurrentMark mark;
    mark.centre = mMap.toPixel(item.x, item.y);
    mark.radius = item.halfWidth * mScale;
    mark.ring = ringRadius(mark.radius);
    const double reach = ringReach(mark.radius);
    if (!onScreen(mark.centre, reach)) continue;
    const QRgb own = mView.scene.colour(i);
    mark.colour = own ? own : mView.style.layers[bucket->layerSlot].colour;
    mPlacer.take(QRectF(mark.centre - QPointF(reach, reach),
                        QSizeF(2 * reach, 2 * reach)));

    const QString& name = mView.board.entities[item.entity].name;
    if (!name.isEmpty()) {
      Label& label = mark.label;
      label.entity = item.entity;
      label.pixels = labelPixels(2 * mark.radius, 2 * mark.radius, name.size());
      // Once another probe is current, this one's number is offered.
      mResult.otherLabels =
          mResult.otherLabels || label.pixels >= kMinLabelPixels;
      label.centre = mark.centre;
      label.colour = probeLabelColour(mark.colour);
      mark.beside = label.pixels < kCurrentLabelPixels;
      if (mark.beside) {
        // Too small to hold its number: the number goes on a plate to the
        // right of the ring, or to the left at the view's right edge.
        label.pixels = kCurrentLabelPixels;
        label.colour = mark.colour;
        const double w = mMeasure.box({}, name, label.pixels).width();
        const double dx = reach + w / 2;
        const bool left = mark.centre.x() + dx + w / 2 > mSize.width();
        label.centre += QPointF(left ? -dx : dx, 0);
      }
      label.box = mMeasure.box(label.centre, name, label.pixels);
      mPlacer.take(label.box);
      mResult.labels.push_back(label.box);
    }
    mCurrent.push_back(mark);
  }
}

void BoardPainter::placeProbeNumbers(const std::vector<int>& order) {
  // Nearest to the current probe first, also when it is out of the view,
  // or to the middle without one.
  const auto& items = mView.scene.items();
  QPointF anchor(mSize.width() / 2.0, mSize.height() / 2.0);
  if (!mView.current.empty()) {
    const SceneItem& current = items[mView.current.front()];
    anchor = mMap.toPixel(current.x, current.y);
  }
  const auto& buckets = mView.scene.buckets();
  // A number needs a probe at least twice its smallest size across.
  const double smallest = kMinLabelPixels / mScale;
  for (int b : order) {
    const SceneBucket& bucket = buckets[b];
    if (bucket.kind != EntityKind::Probe || !mView.style.shows(bucket))
      continue;
    if (bucket.gridEnd == bucket.last && bucket.reachX < smallest) continue;
    const QRgb layerColour = mView.style.layers[bucket.layerSlot].colour;
    mView.scene.forEachItem(bucket, mWorld, [&](int i) {
      const SceneItem& item = items[i];
      if (item.halfWidth < smallest) return;
      const double r = item.halfWidth * mScale;
      const QPointF c = mMap.toPixel(item.x, item.y);
      if (!onScreen(c, r) || isCurrent(i)) return;
      const QString& name = mView.board.entities[item.entity].name;
      const int pixels = labelPixels(2 * r, 2 * r, name.size());
      if (name.isEmpty() || pixels < kMinLabelPixels) return;
      const QRgb own = mView.scene.colour(i);
      mProbeNumbers.push_back({c,
                               pixels,
                               item.entity,
                               probeLabelColour(own ? own : layerColour),
                               {}});
    });
  }
  mResult.otherLabels = mResult.otherLabels || !mProbeNumbers.empty();
  placeNearestFirst(mProbeNumbers, anchor, mView.board, mMeasure, mPlacer);
  for (const Label& label : mProbeNumbers) mResult.labels.push_back(label.box);
}

void BoardPainter::drawCurrent() {
  for (const CurrentMark& mark : mCurrent) {
    const QColor colour = QColor::fromRgb(mark.colour);
    // The probe itself, at its true size, above everything.
    if (2 * mark.radius < kPointPixels) {
      mPainter.setPen(QPen(colour, 0));
      mPainter.drawPoint(
          QPointF(std::floor(mark.centre.x()), std::floor(mark.centre.y())));
    } else {
      mPainter.setPen(Qt::NoPen);
      mPainter.setBrush(colour);
      mPolygon.clear();
      for (const QPointF& p : unitCircle(mark.radius))
        mPolygon.append(mark.centre + p * mark.radius);
      mPainter.drawConvexPolygon(mPolygon);
    }
    mPainter.setBrush(Qt::NoBrush);
    mPainter.setPen(QPen(QColor::fromRgb(mView.style.background), kHaloPen));
    mPainter.drawEllipse(mark.centre, mark.ring, mark.ring);
    mPainter.setPen(QPen(colour, kRingPen));
    mPainter.drawEllipse(mark.centre, mark.ring, mark.ring);
    if (mark.label.pixels == 0) continue;
    if (mark.beside)
      mPainter.fillRect(mark.label.box,
                        QColor::fromRgb(mView.style.background));
    drawLabels(mPainter, mView.board, {mark.label});
  }
}

}  // namespace

BoardPaint paintBoard(QPainter& painter, QSize size, const SceneView& view,
                      const QRect& area) {
  const QRect whole(QPoint(0, 0), size);
  const QRect part = area.isNull() ? whole : area & whole;
  if (part.isEmpty()) return {};
  painter.save();
  if (part != whole) painter.setClipRect(part, Qt::IntersectClip);
  painter.fillRect(part, QColor::fromRgb(view.style.background));
  painter.setRenderHint(QPainter::Antialiasing, false);
  BoardPaint result =
      BoardPainter(painter, size, view, part)
          .paint(view.scene.paintOrder(view.viewport.fromTop()));
  painter.restore();
  return result;
}

QRect probeFootprint(const SceneView& view, QSize size, int item) {
  const SceneItem& it = view.scene.items()[std::size_t(item)];
  const PixelMap map = view.viewport.map(size);
  const QPointF c = map.toPixel(it.x, it.y);
  const double radius = it.halfWidth * map.scale();
  const QSizeF ext = BoardScene::worldHalfExtent(it) * map.scale();
  const double reach = ringReach(radius);
  double halfW = std::max({reach, ext.width(), ext.height()});
  double halfH = halfW;
  // The number, measured generously: a character is at most one pixel size
  // wide; on the probe, or beside the ring on either side.
  const qsizetype len = view.board.entities[std::size_t(it.entity)].name.size();
  const int onProbe = labelPixels(2 * radius, 2 * radius, len);
  const int pixels = std::max(onProbe, kCurrentLabelPixels);
  const double text = double(len + 1) * pixels;
  halfW = std::max(halfW, onProbe < kCurrentLabelPixels ? reach + text : text);
  halfH = std::max(halfH, double(pixels));
  const QRectF box(c.x() - halfW - 2, c.y() - halfH - 2, 2 * halfW + 4,
                   2 * halfH + 4);
  return box.toAlignedRect() & QRect(QPoint(0, 0), size);
}

int probeAt(const SceneView& view, QSize size, QPointF pixel,
            double tolerance) {
  const PixelMap map = view.viewport.map(size);
  const double s = map.scale();
  const QPointF w = map.toWorld(pixel);
  const double reach = tolerance / s;
  const QRectF around(w.x() - reach, w.y() - reach, 2 * reach, 2 * reach);
  const auto& buckets = view.scene.buckets();
  const auto& items = view.scene.items();
  const std::vector<int> order = view.scene.paintOrder(view.viewport.fromTop());
  int nearest = -1;
  double nearestGap = tolerance;
  // Front to back: the first bucket with a probe under the pointer wins, and
  // in it the last probe painted.
  for (std::size_t k = order.size(); k-- > 0;) {
    const SceneBucket& bucket = buckets[order[k]];
    if (bucket.kind != EntityKind::Probe || !view.style.shows(bucket)) continue;
    int under = -1;
    view.scene.forEachItem(bucket, around, [&](int i) {
      const SceneItem& item = items[i];
      const QPointF c = map.toPixel(item.x, item.y);
      const double gap =
          std::hypot(c.x() - pixel.x(), c.y() - pixel.y()) - item.halfWidth * s;
      if (gap <= 0) {
        under = item.entity;
      } else if (gap < nearestGap || (nearest < 0 && gap <= tolerance)) {
        nearestGap = gap;
        nearest = item.entity;
      }
    });
    if (under >= 0) return under;
  }
  return nearest;
}

}  // namespace lw
