#pragma once

// The board view: draws one board document and lets the user pick probes.
// The main window has two, the board view and the magnified probe view;
// each opens and holds its own copy of the document.
//
// View coordinates (what zoomToWindow and centreOnPoint take) are document
// coordinates turned by the file's rotation and, when the board is seen from
// the bottom, with X negated. Y points up on screen.
//
// Changes repaint by themselves unless automatic redraw is off; then they
// wait for redraw(), so a bulk change costs one repaint. The user's own
// panning and zooming always repaint at once.
//
// Mouse: a click picks the probe under the pointer (entityPicked), dragging
// with the left or middle button pans, the wheel zooms about the pointer,
// and a double-click asks the owner to recentre (recentreRequested).

#include "boarddocument.h"

#include <QHash>
#include <QWidget>

#include <memory>

class QImage;

namespace lw {

class BoardScene;
struct ViewStyle;
class Viewport;

// Statuses of zoomToWindow.
inline constexpr int kViewOk = 0;
inline constexpr int kViewNoDocument = -1;
inline constexpr int kViewBadWindow = -2;

class BoardView : public QWidget {
  Q_OBJECT

 public:
  explicit BoardView(QWidget* parent = nullptr);
  ~BoardView() override;

  // "" empties the view. Throws Error and keeps the current document when
  // the file cannot be read. Emits progress while reading.
  void open(const QString& path);
  void clear() { setDocument(Board{}); }
  // Shows board from the top, fitted, with the document's layer colours.
  void setDocument(Board board);
  const BoardDocument& document() const noexcept { return mDocument; }
  // For attribute writes and renames: the view re-reads the board before it
  // next draws or picks, so call it again for every batch of changes.
  BoardDocument& editDocument();

  // Colours every probe of that name until it is coloured again; false
  // when no probe has that name.
  bool colourProbe(const QString& name, int red, int green, int blue);

  // Entity classes 1..8 (vias, pins, components, mechanical parts and
  // holes, access points, fiducials, tooling holes) can be hidden; probes
  // (9) and the outline (10) are always drawn. False for other codes.
  bool showEntityClass(int code, bool visible);
  bool isEntityClassShown(int code) const;
  // The class display flag: the program hides access point markers (6)
  // with it. Same switch as showEntityClass.
  bool setClassDisplayFlag(int code, bool flag) {
    return showEntityClass(code, flag);
  }

  // "get layer": status as BoardDocument::layer; the colour and visibility
  // are this view's, which start as the document's.
  int layer(int index, Layer* out) const;
  int layerType(int index) const { return mDocument.layerType(index); }
  // False for a layer the document does not have. Components are clamped
  // to 0..255.
  bool setLayerColour(int index, int red, int green, int blue);
  bool setLayerVisible(int index, bool visible);

  void viewFromTop();
  void viewFromBottom();
  bool isViewFromTop() const noexcept;

  // Turns one file of this view's document; false for an unknown file or
  // an angle that is not a multiple of 90. The view keeps its window.
  bool setFileRotation(int fileNumber, int degrees);
  // Rebuilds the drawing after rotations now rather than at the next paint.
  void refreshAfterRotation();

  void fitToBoard();
  // Shows at least the window, centred. kViewOk, kViewNoDocument, or
  // kViewBadWindow for an empty, inverted or non-finite window.
  int zoomToWindow(double xmin, double xmax, double ymin, double ymax);
  // Centres on a view point showing a square of side size (<= 0 keeps the
  // zoom). False without a document or for non-finite numbers.
  bool centreOnPoint(double x, double y, double size);
  // View coordinates under a widget pixel.
  QPointF viewPointAt(QPointF pixel) const;

  void setAutomaticRedraw(bool on);
  bool automaticRedraw() const noexcept { return mAutomaticRedraw; }
  void redraw();
  // Forgets a pending press, so the owner can end a pick it handled.
  void endPick();

  // Paints what the view shows into image, scaled to the image's size.
  void renderTo(QImage& image);

 signals:
  // Rising fractions from 0, ending at 1, while open() reads a document.
  void progress(double fraction);
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
  BoardScene& scene();
  void resetStyle();
  int layerSlot(int index) const;
  void changed();

  BoardDocument mDocument;
  // Derived from the document; rebuilt lazily after it changes.
  std::unique_ptr<BoardScene> mScene;
  std::unique_ptr<ViewStyle> mStyle;
  std::unique_ptr<Viewport> mViewport;
  QHash<QString, QRgb> mProbeColours;  // replayed into every new scene
  bool mAutomaticRedraw = true;
  bool mPending = false;

  enum class Press { None, Click, Drag, DoubleClick };
  Press mPress = Press::None;
  QPointF mPressPos;
  QPointF mLastPos;
};

}  // namespace lw
