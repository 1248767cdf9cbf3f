// Layers, working surface, entity classes, zoom, rotation and the views'
// notifications.

#include "boardpicture.h"
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

void MainWindow::buildLayerTable() {
  mState.layers = lw::buildLayerTable(mDocument);
  applyLayerTable();
  mPicture->showEntityClass(int(EntityKind::AccessPoint), false);
}

void MainWindow::applyLayerTable() {
  for (const LayerRow& row : mState.layers) {
    mPicture->setLayerColour(row.number, row.colour);
    mPicture->setLayerVisible(row.number, row.on);
  }
}

void MainWindow::switchSurface(const QString& surface) {
  const bool top = surface == QLatin1StringView("T");
  for (BoardView* view : {VDEditor, VDProbeView}) {
    top ? view->viewFromTop() : view->viewFromBottom();
    view->fitToBoard();
  }
  for (LayerRow& row : mState.layers) applySurface(row, top);
  applyLayerTable();
  updateWiredCounters();
  applySurfaceFilter();
}

void MainWindow::onClassBoxChanged(QCheckBox* box) {
  const bool visible = box->checkState() != Qt::Unchecked;
  std::vector<EntityKind> kinds = {EntityKind::Via};  // chkVias
  if (box == chkComponentPins) kinds = {EntityKind::Pin};
  if (box == chkPCBcomps) kinds = {EntityKind::Component};
  if (box == chkMech)
    kinds = {EntityKind::MechanicalPart, EntityKind::MechanicalHole};
  if (box == chkFiducials) kinds = {EntityKind::Fiducial};
  if (box == chkToolingHoles) kinds = {EntityKind::ToolingHole};
  for (const EntityKind kind : kinds)
    mPicture->showEntityClass(int(kind), visible);
  if (box == chkPCBcomps) chkComponentPins->setEnabled(visible);
}

void MainWindow::updateZoomWindow() {
  const int units = static_cast<int>(mDocument.pageUnits());
  slider->setToolTip(QStringLiteral("Zoom Level: %1").arg(slider->value()));
  updateZoomFields(units, slider->value(), mState.zoom);
}

void MainWindow::onSliderMoved() {
  updateZoomWindow();
  showCurrentProbe();
}

void MainWindow::cmdRotate_Click() {
  if (!mDocument.fileInformation(mState.pcbFileNumber)) return keepGridFocus();
  setDocumentModified();
  turnBoardTo((mState.boardRotation + 90) % 360);
  journalSettings();
  keepGridFocus();
}

void MainWindow::turnBoardTo(int degrees) {
  if (!mDocument.setFileRotation(mState.pcbFileNumber, degrees)) return;
  mPicture->reshape();  // both views refit to the turned board
  mState.boardRotation = degrees;
  cmdRotate->setText(rotateCaption(degrees));
  showCurrentProbe();
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
  centreMainViewOnProbe();
}

}  // namespace lw
