#include "boardview.h"

#include "boardpicture.h"
#include "boardrenderer.h"
#include "boardscene.h"
#include "viewport.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace lw {
namespace {

constexpr double kPickTolerance = 4;  // pixels beyond a probe's edge
constexpr double kWheelStep = 1.25;   // zoom per wheel notch
// How near the edge a probe the view follows may come, of the view's
// shorter side, before the view pans to it.
constexpr double kFollowMargin = 0.08;
// More changed probes than this before the next paint: repaint everything
// (the regions would cost more than they save).
constexpr int kMostPartialUpdates = 64;

}  // namespace

BoardView::BoardView(QWidget* parent)
    : QWidget(parent), mViewport(std::make_unique<Viewport>()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

BoardView::~BoardView() = default;

void BoardView::setPicture(BoardPicture* picture) {
  if (mPicture) mPicture->disconnect(this);
  mPicture = picture;
  if (!picture) return updateWhole();
  connect(picture, &BoardPicture::changed, this, &BoardView::updateWhole);
  connect(picture, &BoardPicture::probesChanged, this,
          &BoardView::updateProbes);
  connect(picture, &BoardPicture::replaced, this, [this] {
    const bool fromTop = mViewport->fromTop();
    *mViewport = Viewport();
    mViewport->setFromTop(fromTop);
    fitToBoard();
  });
  fitToBoard();
}

bool BoardView::hasItems() const {
  return mPicture && !mPicture->isEmpty();
}

void BoardView::viewFromTop() {
  mViewport->setFromTop(true);
  updateWhole();
}

void BoardView::viewFromBottom() {
  mViewport->setFromTop(false);
  updateWhole();
}

bool BoardView::isViewFromTop() const noexcept {
  return mViewport->fromTop();
}

void BoardView::fitToBoard() {
  if (!hasItems()) return;
  mViewport->fitTo(mPicture->scene().bounds());
  updateWhole();
}

int BoardView::zoomToWindow(double xmin, double xmax, double ymin,
                            double ymax) {
  if (!hasItems()) return kViewNoDocument;
  if (!mViewport->setWindow(xmin, xmax, ymin, ymax)) return kViewBadWindow;
  updateWhole();
  return kViewOk;
}

bool BoardView::centreOnPoint(double x, double y, double size) {
  if (!hasItems()) return false;
  if (!mViewport->centreOn({x, y}, size)) return false;
  updateWhole();
  return true;
}

bool BoardView::keepInSight(double x, double y) {
  if (!hasItems()) return false;
  const double margin = kFollowMargin * std::min(width(), height());
  const std::optional<QPointF> centre = mViewport->centreToShow(
      {x, y}, mPicture->scene().bounds(), size(), margin);
  if (!centre || !mViewport->centreOn(*centre, 0)) return false;
  updateWhole();
  return true;
}

QPointF BoardView::viewPointAt(QPointF pixel) const {
  const QPointF world = mViewport->map(size()).toWorld(pixel);
  return mViewport->viewToWorld(world);  // the mirror is its own inverse
}

SceneView BoardView::sceneView() const {
  return {mPicture->board(), mPicture->scene(), mPicture->style(), *mViewport,
          mPicture->currentItems()};
}

void BoardView::updateWhole() {
  mStale = true;
  update();
}

void BoardView::updateProbes(const std::vector<int>& items) {
  if (mStale) return;  // a whole paint is due anyway
  mPartialUpdates += int(items.size());
  if (mOtherLabels || mPartialUpdates > kMostPartialUpdates ||
      size() != mPaintedSize)
    return updateWhole();
  const SceneView view = sceneView();
  for (int item : items) {
    const QRect footprint = probeFootprint(view, size(), item);
    if (!footprint.isEmpty()) update(footprint);
  }
}

void BoardView::renderTo(QImage& image) {
  QPainter painter(&image);
  if (!mPicture) {
    painter.fillRect(image.rect(), QColor::fromRgb(kBackground));
    return;
  }
  paintBoard(painter, image.size(), sceneView());
}

void BoardView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  mPartialUpdates = 0;
  if (!mPicture) {
    painter.fillRect(rect(), QColor::fromRgb(kBackground));
    return;
  }
  const SceneView view = sceneView();
  if (!mStale && !mOtherLabels && size() == mPaintedSize) {
    // Only probes changed: their footprints, each on its own.
    for (const QRect& area : event->region())
      paintBoard(painter, size(), view, area);
    return;
  }
  mOtherLabels = paintBoard(painter, size(), view).otherLabels;
  mPaintedSize = size();
  mStale = false;
}

void BoardView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton &&
      event->button() != Qt::MiddleButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  mPress = event->button() == Qt::LeftButton ? Press::Click : Press::Drag;
  mPressPos = mLastPos = event->position();
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
  if (mPress == Press::None || mPress == Press::DoubleClick) return;
  const QPointF pos = event->position();
  if (mPress == Press::Click &&
      (pos - mPressPos).manhattanLength() < QApplication::startDragDistance())
    return;
  mPress = Press::Drag;
  mViewport->panBy(pos - mLastPos, size());
  mLastPos = pos;
  updateWhole();
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
  const Press press = std::exchange(mPress, Press::None);
  if (press != Press::Click || event->button() != Qt::LeftButton) return;
  if (!mPicture) return;
  const BoardScene& scene = mPicture->scene();
  const int entity =
      probeAt({mPicture->board(), scene, mPicture->style(), *mViewport, {}},
              size(), event->position(), kPickTolerance);
  if (entity >= 0) emit entityPicked(mPicture->board().entities[entity].name);
}

void BoardView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // The first click of the pair has already picked.
  mPress = Press::DoubleClick;
  emit recentreRequested();
  // The owner has moved the view: show it now, not after the event loop's
  // next turn, so the picture never lags behind what a click picks.
  repaint();
}

void BoardView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !hasItems()) return;
  // Keep the zoom between a ten-thousandth of the board and far beyond it,
  // so pixel coordinates stay within what the painter handles.
  const QRectF b = mPicture->scene().bounds();
  const double extent = std::max({b.width(), b.height(), 1e-6});
  const double half = mViewport->halfSize() / std::pow(kWheelStep, notches);
  const double factor =
      mViewport->halfSize() / std::clamp(half, extent * 1e-4, extent * 10);
  mViewport->zoomAbout(event->position(), size(), factor);
  updateWhole();
  event->accept();
}

void BoardView::endPick() {
  mPress = Press::None;
}

}  // namespace lw
