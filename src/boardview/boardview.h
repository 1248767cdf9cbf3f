#pragma once

// A board view: shows a BoardPicture through its own viewport and lets the
// user pick probes. The main window has two on one picture, the board view
// and the magnified probe view; each keeps its own window, zoom and side.
//
// View coordinates (what zoomToWindow and centreOnPoint take) are document
// coordinates turned by the file's rotation and, when the board is seen from
// the bottom, with X negated. Y points up on screen.
//
// Mouse: a click picks the probe under the pointer (entityPicked), dragging
// with the left or middle button pans, the wheel zooms about the pointer,
// and a double-click asks the owner to recentre (recentreRequested), then
// repaints at once: what the user sees is always what the next click picks
// on.
//
// When only some probes change (a mark, the next current probe), the view
// repaints only the pixels they can touch, unless labels other than the
// current probe's are shown: those depend on the whole view.

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QImage;

namespace lw {

class BoardPicture;
class Viewport;
struct SceneView;

// Statuses of zoomToWindow.
inline constexpr int kViewOk = 0;
inline constexpr int kViewNoDocument = -1;
inline constexpr int kViewBadWindow = -2;

class BoardView : public QWidget {
  Q_OBJECT

 public:
  explicit BoardView(QWidget* parent = nullptr);
  ~BoardView() override;

  // The picture to show (not owned); the view fits it to the widget now and
  // whenever the picture is given another document or reshaped.
  void setPicture(BoardPicture* picture);

  void viewFromTop();
  void viewFromBottom();
  bool isViewFromTop() const noexcept;

  void fitToBoard();
  // Shows at least the window, centred. kViewOk, kViewNoDocument, or
  // kViewBadWindow for an empty, inverted or non-finite window.
  int zoomToWindow(double xmin, double xmax, double ymin, double ymax);
  // Centres on a view point showing a square of side size (<= 0 keeps the
  // zoom). False without a document or for non-finite numbers.
  bool centreOnPoint(double x, double y, double size);
  // Keeps a view point in sight as the wirer moves from probe to probe: a
  // view zoomed in pans to centre it when it lies outside the view or near
  // its edge, keeping the zoom; a view showing the whole board stays. True
  // when the view moved.
  bool keepInSight(double x, double y);
  // View coordinates under a widget pixel.
  QPointF viewPointAt(QPointF pixel) const;

  // Forgets a pending press, so the owner can end a pick it handled.
  void endPick();

  // Paints what the view shows into image, scaled to the image's size.
  void renderTo(QImage& image);

 signals:
  void entityPicked(const QString& name);
  void recentreRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool hasItems() const;
  SceneView sceneView() const;
  // What changed may touch every pixel: the next paint is whole.
  void updateWhole();
  void updateProbes(const std::vector<int>& items);

  QPointer<BoardPicture> mPicture;
  std::unique_ptr<Viewport> mViewport;

  // Since the last whole paint: the viewport or the picture changed.
  bool mStale = true;
  // What the last whole paint found (see BoardPaint), at what size.
  bool mOtherLabels = true;
  QSize mPaintedSize;
  int mPartialUpdates = 0;  // probes asked to repaint since the last paint

  enum class Press { None, Click, Drag, DoubleClick };
  Press mPress = Press::None;
  QPointF mPressPos;
  QPointF mLastPos;
};

}  // namespace lw
