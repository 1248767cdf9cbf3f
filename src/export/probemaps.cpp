#include "probemaps.h"

#include "boardrenderer.h"
#include "gridmodel.h"
#include "layertable.h"
#include "probetable.h"

#include <QColor>
#include <QPaintDevice>
#include <QPainter>

namespace lw {

namespace {

// The painting routine decides level of detail and label sizes in its own
// pixels; on paper one is a dot of a 300 dpi printer, so probe numbers
// run from 0.6 mm to 4 mm high.
constexpr double kMapDotsPerInch = 300;
constexpr QRgb kPaper = 0xffffffff;

}  // namespace

ShownClasses shownClasses(const WiringSettings& s) {
  ShownClasses shown;
  shown.fill(true);
  const auto set = [&](EntityKind kind, ClassBox box) {
    shown[size_t(kind)] = s[box] != Qt::Unchecked;
  };
  set(EntityKind::Via, ClassBox::Vias);
  set(EntityKind::Pin, ClassBox::Pins);
  set(EntityKind::Component, ClassBox::Comps);
  set(EntityKind::MechanicalPart, ClassBox::Mech);
  set(EntityKind::MechanicalHole, ClassBox::Mech);
  set(EntityKind::Fiducial, ClassBox::Fiducials);
  set(EntityKind::ToolingHole, ClassBox::Tooling);
  shown[size_t(EntityKind::AccessPoint)] = false;
  return shown;
}

QRgb paperColour(QRgb screen) {
  constexpr int kPaleGrey = 190;
  if (qGray(screen) <= kPaleGrey) return screen;
  return QColor::fromRgb(screen).darker(170).rgb();
}

ProbeMaps::ProbeMaps(const BoardDocument& document, const GridModel& grid,
                     const ShownClasses& classes) {
  mPicture.setDocument(&document);
  for (int r = 1; r < grid.rows(); ++r)
    mPicture.colourProbe(grid.text(r, probe_grid::kProbe),
                         isWired(grid, r) ? kWiredColour : kNotWiredColour);
  for (int code = 1; code < kEntityKindCount; ++code)
    mPicture.showEntityClass(code, classes[size_t(code)]);
  LayerTable layers = buildLayerTable(document);
  for (bool top : {true, false}) {
    for (LayerRow& row : layers) {
      applySurface(row, top);
      mPicture.setLayerColour(row.number, row.colour);
      mPicture.setLayerVisible(row.number, row.on);
    }
    ViewStyle& style = top ? mTop : mBottom;
    style = mPicture.style();
    style.background = kPaper;
    for (LayerStyle& layer : style.layers)
      layer.colour = paperColour(layer.colour);
  }
}

void ProbeMaps::paint(QPainter& painter, const QRectF& target, bool top) {
  const double scale = painter.device()->logicalDpiX() / kMapDotsPerInch;
  const QSize size(int(target.width() / scale), int(target.height() / scale));
  const BoardScene& scene = mPicture.scene();
  Viewport viewport;
  viewport.setFromTop(top);
  viewport.fitTo(scene.bounds());
  painter.save();
  painter.translate(target.topLeft());
  painter.scale(scale, scale);
  painter.setClipRect(QRect(QPoint(0, 0), size));
  // Paper has no current probe.
  paintBoard(painter, size,
             {mPicture.board(), scene, top ? mTop : mBottom, viewport, {}});
  painter.restore();
}

}  // namespace lw
