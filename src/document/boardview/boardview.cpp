#include "boardview.h"

#include "boardrenderer.h"
#include "boardscene.h"
#include "viewport.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace lw {
namespace {

constexpr double kPickTolerance = 4;  // pixels beyond a probe's edge
constexpr double kWheelStep = 1.25;   // zoom per wheel notch
constexpr double kFitMargin = 0.03;   // of the board's size, each side

QRgb clampedRgb(int red, int green, int blue) {
  return qRgb(std::clamp(red, 0, 255), std::clamp(green, 0, 255),
              std::clamp(blue, 0, 255));
}

}  // namespace

BoardView::BoardView(QWidget* parent)
    : QWidget(parent),
      mStyle(std::make_unique<ViewStyle>()),
      mViewport(std::make_unique<Viewport>()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setDocument(Board{});
}

BoardView::~BoardView() = default;

void BoardView::open(const QString& path) {
  BoardDocument document;
  double last = 0;
  emit progress(0);
  // Reading is most of the work; building the drawing takes the rest.
  document.open(path, [&](double fraction) {
    const double f = 0.9 * std::clamp(fraction, 0.0, 1.0);
    if (!(f > last)) return;  // also drops NaN
    last = f;
    emit progress(f);
  });
  mDocument = std::move(document);
  mScene.reset();
  resetStyle();  // builds the scene while fitting
  emit progress(1);
}

void BoardView::setDocument(Board board) {
  mDocument = BoardDocument(std::move(board));
  mScene.reset();
  resetStyle();
}

BoardDocument& BoardView::editDocument() {
  mScene.reset();
  return mDocument;
}

void BoardView::resetStyle() {
  mProbeColours.clear();
  mStyle->layers.clear();
  for (const Layer& layer : mDocument.board().layers)
    mStyle->layers.push_back(
        {qRgb(layer.colour.r, layer.colour.g, layer.colour.b), layer.visible});
  // Entities on a layer the document does not list.
  mStyle->layers.push_back({qRgb(160, 160, 160), true});
  *mViewport = Viewport();
  fitToBoard();
  changed();
}

BoardScene& BoardView::scene() {
  if (!mScene) {
    mScene = std::make_unique<BoardScene>(mDocument.board());
    for (auto it = mProbeColours.cbegin(); it != mProbeColours.cend(); ++it)
      mScene->colourProbes(it.key(), it.value());
  }
  return *mScene;
}

void BoardView::changed() {
  mPending = true;
  if (mAutomaticRedraw) redraw();
}

void BoardView::redraw() {
  mPending = false;
  update();
}

void BoardView::setAutomaticRedraw(bool on) {
  mAutomaticRedraw = on;
  if (on && mPending) redraw();
}

bool BoardView::colourProbe(const QString& name, int red, int green, int blue) {
  const QRgb colour = clampedRgb(red, green, blue);
  mProbeColours.insert(name, colour);
  const bool found = scene().colourProbes(name, colour) > 0;
  if (found) changed();
  return found;
}

bool BoardView::showEntityClass(int code, bool visible) {
  if (code < int(EntityKind::Via) || code > int(EntityKind::ToolingHole))
    return false;
  if (mStyle->classVisible[code] != visible) {
    mStyle->classVisible[code] = visible;
    changed();
  }
  return true;
}

bool BoardView::isEntityClassShown(int code) const {
  return code >= 0 && code < kEntityKindCount && mStyle->classVisible[code];
}

int BoardView::layerSlot(int index) const {
  const auto& layers = mDocument.board().layers;
  for (int slot = 0; slot < int(layers.size()); ++slot)
    if (layers[slot].index == index) return slot;
  return -1;
}

int BoardView::layer(int index, Layer* out) const {
  const int status = mDocument.layer(index, out);
  const int slot = layerSlot(index);
  if (status >= 0 && slot >= 0 && out) {
    const LayerStyle& style = mStyle->layers[slot];
    out->colour = {std::uint8_t(qRed(style.colour)),
                   std::uint8_t(qGreen(style.colour)),
                   std::uint8_t(qBlue(style.colour))};
    out->visible = style.visible;
  }
  return status;
}

bool BoardView::setLayerColour(int index, int red, int green, int blue) {
  const int slot = layerSlot(index);
  if (slot < 0) return false;
  mStyle->layers[slot].colour = clampedRgb(red, green, blue);
  changed();
  return true;
}

bool BoardView::setLayerVisible(int index, bool visible) {
  const int slot = layerSlot(index);
  if (slot < 0) return false;
  mStyle->layers[slot].visible = visible;
  changed();
  return true;
}

void BoardView::viewFromTop() {
  mViewport->setFromTop(true);
  changed();
}

void BoardView::viewFromBottom() {
  mViewport->setFromTop(false);
  changed();
}

bool BoardView::isViewFromTop() const noexcept {
  return mViewport->fromTop();
}

bool BoardView::setFileRotation(int fileNumber, int degrees) {
  if (!mDocument.setFileRotation(fileNumber, degrees)) return false;
  mScene.reset();
  changed();
  return true;
}

void BoardView::refreshAfterRotation() {
  scene();
  changed();
}

void BoardView::fitToBoard() {
  const BoardScene& s = scene();
  if (s.items().empty()) return;
  const QRectF world = s.bounds();
  // A lone point or a line still gets a window.
  const double extent = std::max({world.width(), world.height(), 1e-6});
  const double margin = kFitMargin * extent;
  const double half = extent / 2 + margin;
  const double wx =
      mViewport->fromTop() ? world.center().x() : -world.center().x();
  const double hx = std::max(world.width() / 2 + margin, half * 1e-3);
  const double hy = std::max(world.height() / 2 + margin, half * 1e-3);
  mViewport->setWindow(wx - hx, wx + hx, world.center().y() - hy,
                       world.center().y() + hy);
  changed();
}

int BoardView::zoomToWindow(double xmin, double xmax, double ymin,
                            double ymax) {
  if (scene().items().empty()) return kViewNoDocument;
  if (!mViewport->setWindow(xmin, xmax, ymin, ymax)) return kViewBadWindow;
  changed();
  return kViewOk;
}

bool BoardView::centreOnPoint(double x, double y, double size) {
  if (scene().items().empty()) return false;
  if (!mViewport->centreOn({x, y}, size)) return false;
  changed();
  return true;
}

QPointF BoardView::viewPointAt(QPointF pixel) const {
  const QPointF world = mViewport->map(size()).toWorld(pixel);
  return mViewport->viewToWorld(world);  // the mirror is its own inverse
}

void BoardView::renderTo(QImage& image) {
  QPainter painter(&image);
  paintBoard(painter, image.size(),
             {mDocument.board(), scene(), *mStyle, *mViewport});
}

void BoardView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintBoard(painter, size(),
             {mDocument.board(), scene(), *mStyle, *mViewport});
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
  redraw();  // the user's own gesture shows at once, whatever the batching
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
  const Press press = std::exchange(mPress, Press::None);
  if (press != Press::Click || event->button() != Qt::LeftButton) return;
  const int entity = probeAt({mDocument.board(), scene(), *mStyle, *mViewport},
                             size(), event->position(), kPickTolerance);
  if (entity >= 0) emit entityPicked(mDocument.board().entities[entity].name);
}

void BoardView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // The first click of the pair has already picked.
  mPress = Press::DoubleClick;
  emit recentreRequested();
}

void BoardView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || scene().items().empty()) return;
  // Keep the zoom between a ten-thousandth of the board and far beyond it,
  // so pixel coordinates stay within what the painter handles.
  const QRectF b = mScene->bounds();
  const double extent = std::max({b.width(), b.height(), 1e-6});
  const double half = mViewport->halfSize() / std::pow(kWheelStep, notches);
  const double factor =
      mViewport->halfSize() / std::clamp(half, extent * 1e-4, extent * 10);
  mViewport->zoomAbout(event->position(), size(), factor);
  redraw();
  event->accept();
}

void BoardView::endPick() {
  mPress = Press::None;
}

}  // namespace lw
