// Layers, working surface, entity classes, zoom, rotation and the views'
// notifications.

#include "boardview.h"
#include "busywindow.h"
#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>

#include <cmath>

namespace lw {

namespace {

void bothAutomaticRedraw(BoardView* a, BoardView* b, bool on) {
  a->setAutomaticRedraw(on);
  b->setAutomaticRedraw(on);
}

}  // namespace

void MainWindow::buildLayerTable() {
  mState.layers = lw::buildLayerTable(VDEditor->document());
  applyLayerTable();
  VDEditor->setClassDisplayFlag(6, false);
  VDProbeView->setClassDisplayFlag(6, false);
}

void MainWindow::applyLayerTable() {
  bothAutomaticRedraw(VDEditor, VDProbeView, false);
  for (const LayerRow& row : mState.layers) {
    for (BoardView* view : {VDEditor, VDProbeView})
      view->setLayerColour(row.number, row.colour.r, row.colour.g,
                           row.colour.b);
    for (BoardView* view : {VDEditor, VDProbeView})
      view->setLayerVisible(row.number, row.on);
  }
  bothAutomaticRedraw(VDEditor, VDProbeView, true);
  VDEditor->redraw();
  VDProbeView->redraw();
}

void MainWindow::switchSurface(const QString& surface) {
  const bool top = surface == QLatin1StringView("T");
  bothAutomaticRedraw(VDEditor, VDProbeView, false);
  for (BoardView* view : {VDEditor, VDProbeView})
    top ? view->viewFromTop() : view->viewFromBottom();
  for (LayerRow& row : mState.layers) applySurface(row, top);
  applyLayerTable();
  bothAutomaticRedraw(VDEditor, VDProbeView, false);
  VDEditor->fitToBoard();
  VDProbeView->fitToBoard();
  bothAutomaticRedraw(VDEditor, VDProbeView, true);
  VDEditor->redraw();
  VDProbeView->redraw();
  updateWiredCounters();
  applySurfaceFilter();
}

void MainWindow::onClassBoxChanged(QCheckBox* box) {
  const bool visible = box->checkState() != Qt::Unchecked;
  std::vector<int> codes = {1};  // chkVias
  if (box == chkComponentPins) codes = {2};
  if (box == chkPCBcomps) codes = {3};
  if (box == chkMech) codes = {4, 5};
  if (box == chkFiducials) codes = {7};
  if (box == chkToolingHoles) codes = {8};
  for (BoardView* view : {VDEditor, VDProbeView})
    for (int code : codes) view->showEntityClass(code, visible);
  VDEditor->redraw();
  VDProbeView->redraw();
  if (box == chkPCBcomps) chkComponentPins->setEnabled(visible);
}

void MainWindow::updateZoomWindow() {
  const int units = static_cast<int>(VDProbeView->document().pageUnits());
  slider->setToolTip(QStringLiteral("Zoom Level: %1").arg(slider->value()));
  updateZoomFields(units, slider->value(), mState.zoom);
}

void MainWindow::onSliderMoved() {
  updateZoomWindow();
  fgProbes_SelChange();
}

void MainWindow::cmdRotate_Click() {
  mState.documentModified = true;
  int rotation = mState.boardRotation;
  const std::pair<BoardView*, int> views[] = {
      {VDEditor, mState.pcbFileNumber},
      {VDProbeView, mState.probeViewPcbFileNumber}};
  for (const auto& [view, file] : views) {
    const auto info = view->document().fileInformation(file);
    if (!info) continue;
    rotation = (info->rotation + 90) % 360;
    view->setFileRotation(file, rotation);
    view->redraw();
    view->fitToBoard();
    view->refreshAfterRotation();
  }
  mState.boardRotation = rotation;
  cmdRotate->setText(rotateCaption(rotation));
  fgProbes_SelChange();
  keepGridFocus();
}

void MainWindow::onProgress(double fraction, int offset) {
  // Halves round to the even neighbour, as the bar always has.
  frmBusy->setValue(static_cast<int>(std::nearbyint(fraction * 100)) + offset);
}

void MainWindow::onEntityPicked(BoardView* view, const QString& name) {
  view->endPick();
  GridModel& grid = probeGrid();
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, probe_grid::kProbe) != name) continue;
    grid.setCurrentRow(r);
    fgProbes->showCell(r, 0);
    return;
  }
}

void MainWindow::onRecentreRequest() {
  centreMainViewOnProbe(0, 0, mState.zoom.boardCentreSize);
}

}  // namespace lw
