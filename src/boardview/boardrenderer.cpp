#include "boardrenderer.h"

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

bool hasLabel(EntityKind kind) {
  return kind == EntityKind::Component || kind == EntityKind::Probe;
}

QRgb labelColour(EntityKind kind, QRgb fill) {
  if (kind != EntityKind::Probe) return fill;
  // Probe numbers sit on the probe's own colour.
  return qGray(fill) > 110 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
}

// Pixel size of a label of len characters fitting a w x h pixel box.
int labelPixels(double w, double h, qsizetype len) {
  constexpr double kCharWidth = 0.6;  // of the pixel size, a typical digit
  const double byHeight = 0.5 * h;
  const double byWidth =
      0.9 * w / (kCharWidth * double(std::max<qsizetype>(len, 1)));
  return static_cast<int>(std::min({byHeight, byWidth, 48.0}));
}

struct Label {
  QPointF centre;
  int pixels = 0;
  int entity = -1;
  QRgb colour = 0;
};

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

class BucketPainter {
 public:
  BucketPainter(QPainter& painter, QSize size, const SceneView& view)
      : mPainter(painter),
        mSize(size),
        mView(view),
        mMap(view.viewport.map(size)),
        mScale(mMap.scale()),
        mWorld(mMap.worldRect(size)),
        mSeen((std::size_t(size.width()) * size.height() + 63) / 64) {}

  void paint(const SceneBucket& bucket);

 private:
  void add(int index, QPointF centre, QSizeF half);
  void addConvex(const SceneItem& item, QPointF centre);
  void addPoint(QPointF centre, QRgb colour);
  void flushShapes();
  void flushPoints();
  void drawLabels();

  QPainter& mPainter;
  QSize mSize;
  const SceneView& mView;
  PixelMap mMap;
  double mScale;
  QRectF mWorld;
  std::vector<quint64> mSeen;  // pixels already holding a point

  const SceneBucket* mBucket = nullptr;
  bool mFilled = false;
  QRgb mLayerColour = 0;
  ShapeBatch mShapes;
  std::vector<std::pair<QRgb, std::vector<QPoint>>> mPoints;
  std::size_t mLastPoints = 0;
  std::vector<Label> mLabels;
  QPolygonF mPolygon;
};

void BucketPainter::paint(const SceneBucket& bucket) {
  mBucket = &bucket;
  mFilled = isFilled(bucket.kind);
  mLayerColour = mView.style.layers[bucket.layerSlot].colour;
  mShapes.colour = mLayerColour;
  const bool probes = bucket.kind == EntityKind::Probe;
  if (!probes) std::fill(mSeen.begin(), mSeen.end(), 0);

  const auto& items = mView.scene.items();
  const double w = mSize.width();
  const double h = mSize.height();
  const bool allPoints =
      bucket.gridEnd == bucket.last &&
      2 * std::max(bucket.reachX, bucket.reachY) * mScale < kPointPixels;
  if (allPoints) {
    // The whole-board view: nothing but points, so skip the shape logic.
    mView.scene.forEachItem(bucket, mWorld, [&](int i) {
      const QRgb own = probes ? mView.scene.colour(i) : 0;
      addPoint(mMap.toPixel(items[i].x, items[i].y), own ? own : mLayerColour);
    });
    flushPoints();
    return;
  }
  mView.scene.forEachItem(bucket, mWorld, [&](int i) {
    const SceneItem& item = items[i];
    const QSizeF ext = BoardScene::worldHalfExtent(item) * mScale;
    const QPointF c = mMap.toPixel(item.x, item.y);
    if (c.x() + ext.width() < 0 || c.x() - ext.width() > w ||
        c.y() + ext.height() < 0 || c.y() - ext.height() > h)
      return;
    const QRgb own = probes ? mView.scene.colour(i) : 0;
    const QRgb colour = own ? own : mLayerColour;
    if (2 * std::max(ext.width(), ext.height()) < kPointPixels) {
      addPoint(c, colour);
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
  drawLabels();
}

void BucketPainter::addPoint(QPointF c, QRgb colour) {
  // Pixel (x, y) covers [x, x + 1): its centre is (x + 0.5, y + 0.5), as for
  // the painter's fills, while points land on the nearest whole number.
  if (!(c.x() >= 0 && c.y() >= 0 && c.x() < mSize.width() &&
        c.y() < mSize.height()))
    return;
  const int x = static_cast<int>(c.x());  // truncation is floor here
  const int y = static_cast<int>(c.y());
  if (mBucket->kind != EntityKind::Probe) {
    // Thousands of pins share a pixel on a whole-board view: draw one.
    const std::size_t bit = std::size_t(y) * mSize.width() + x;
    quint64& word = mSeen[bit / 64];
    const quint64 mask = quint64(1) << (bit % 64);
    if (word & mask) return;
    word |= mask;
  }
  if (mPoints.empty() || mPoints[mLastPoints].first != colour) {
    auto same = [&](const auto& run) { return run.first == colour; };
    auto it = std::find_if(mPoints.begin(), mPoints.end(), same);
    if (it == mPoints.end()) it = mPoints.insert(it, {colour, {}});
    mLastPoints = it - mPoints.begin();
  }
  mPoints[mLastPoints].second.emplace_back(x, y);
}

void BucketPainter::add(int index, QPointF c, QSizeF ext) {
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

  if (!hasLabel(mBucket->kind)) return;
  const QString& name = mView.board.entities[item.entity].name;
  if (name.isEmpty()) return;
  const int pixels = labelPixels(box.width(), box.height(), name.size());
  if (pixels >= kMinLabelPixels)
    mLabels.push_back(
        {c, pixels, item.entity, labelColour(mBucket->kind, mShapes.colour)});
}

void BucketPainter::addConvex(const SceneItem& item, QPointF c) {
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

void BucketPainter::flushShapes() {
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

void BucketPainter::flushPoints() {
  // Rare colours last, so the one yellow probe is not buried under red ones.
  std::stable_sort(mPoints.begin(), mPoints.end(),
                   [](const auto& a, const auto& b) {
                     return a.second.size() > b.second.size();
                   });
  for (const auto& [rgb, points] : mPoints) {
    mPainter.setPen(QPen(QColor::fromRgb(rgb), 0));
    mPainter.drawPoints(points.data(), int(points.size()));
  }
  mPoints.clear();
}

void BucketPainter::drawLabels() {
  if (mLabels.empty()) return;
  QFont font = mPainter.font();
  int pixels = -1;
  QRgb colour = 0;
  mPainter.setPen(QColor::fromRgb(colour));
  for (const Label& label : mLabels) {
    if (label.pixels != pixels) {
      pixels = label.pixels;
      font.setPixelSize(pixels);
      mPainter.setFont(font);
    }
    if (label.colour != colour) {
      colour = label.colour;
      mPainter.setPen(QColor::fromRgb(colour));
    }
    const QRectF box(label.centre.x() - 4 * pixels, label.centre.y() - pixels,
                     8 * pixels, 2 * pixels);
    mPainter.drawText(box, Qt::AlignCenter | Qt::TextDontClip,
                      mView.board.entities[label.entity].name);
  }
  mLabels.clear();
}

}  // namespace

void paintBoard(QPainter& painter, QSize size, const SceneView& view) {
  painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgb(kBackground));
  if (size.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  BucketPainter bucketPainter(painter, size, view);
  const auto& buckets = view.scene.buckets();
  for (int b : view.scene.paintOrder(view.viewport.fromTop()))
    if (view.style.shows(buckets[b])) bucketPainter.paint(buckets[b]);
  painter.restore();
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
