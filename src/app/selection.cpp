// Walking the probes: the current probe in both views, wiring marks,
// counters and the grid's sort notifications.

#include "boardpicture.h"
#include "boardview.h"
#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"
#include "prompts.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace lw {

void MainWindow::showCurrentProbe() {
  GridModel& grid = probeGrid();
  const int row = grid.currentRow();
  if (row <= 0) return;
  colourProbe(grid.text(row, probe_grid::kProbe), kCurrentColour);
  mPicture->setCurrentProbe(grid.text(row, probe_grid::kProbe));
  const std::optional<QPointF> p = probePosition(row);
  if (!p) return;
  const QPointF v =
      viewCoordinates(*p, mState.boardRotation, VDEditor->isViewFromTop());
  const double h = mState.zoom.probeZoomHalfSize;
  VDProbeView->zoomToWindow(v.x() - h, v.x() + h, v.y() - h, v.y() + h);
  VDEditor->keepInSight(v.x(), v.y());
}

std::optional<QPointF> MainWindow::probePosition(int row) const {
  bool ok = false;
  const int position =
      fgProbes->grid()->text(row, probe_grid::kDataPosition).toInt(&ok);
  const auto& entities = mDocument.board().entities;
  if (!ok || position < 0 || position >= int(entities.size()))
    return std::nullopt;
  return QPointF(entities[size_t(position)].x, entities[size_t(position)].y);
}

void MainWindow::colourProbe(const QString& name, Rgb colour) {
  mPicture->colourProbe(name, colour);
}

void MainWindow::recolourAndReselect() {
  GridModel& grid = probeGrid();
  // The probes not wired in one pass, then the wired ones by name.
  mPicture->colourFileProbes(mState.pcbFileNumber, kNotWiredColour);
  for (int r = 1; r < grid.rows(); ++r)
    if (isWired(grid, r))
      colourProbe(grid.text(r, probe_grid::kProbe), kWiredColour);
  const int first = firstVisibleRow(grid);
  if (first < 1) return;
  grid.setCurrentRow(first);
  showCurrentProbe();
}

void MainWindow::onBeforeMove(int oldRow) {
  if (oldRow < 1) return;
  const GridModel& grid = probeGrid();
  colourProbe(grid.text(oldRow, probe_grid::kProbe),
              isWired(grid, oldRow) ? kWiredColour : kNotWiredColour);
}

void MainWindow::onBeforeSort() {
  setBusyPointer(true);
}

void MainWindow::onAfterSort(int column) {
  GridModel& grid = probeGrid();
  if (grid.text(0, column) == QLatin1StringView("RefDes"))
    sortByReference(grid, QStringLiteral("Prefix"), QStringLiteral("Number"),
                    QStringLiteral("Pin"));
  recolourAndReselect();
  setBusyPointer(false);
}

void MainWindow::cmdWired_Click() {
  GridModel& grid = probeGrid();
  const int row = grid.currentRow();
  if (row < 1) return keepGridFocus();  // no probe to mark
  if (!isWired(grid, row)) pushMark(row, true);
  const int next = findNextUnwiredRow(grid);
  if (next < 1) {
    mPrompts->message(this, QStringLiteral("Loomwright"),
                      QStringLiteral("All Probes on the Current Surface are "
                                     "Wired"),
                      Prompts::Icon::Information, Prompts::Buttons::Ok);
  } else {
    grid.setCurrentRow(next);
    fgProbes->showCell(next, 0);
  }
  keepGridFocus();
}

void MainWindow::cmdNotWired_Click() {
  GridModel& grid = probeGrid();
  const int row = grid.currentRow();
  if (row < 1) return keepGridFocus();
  if (isWired(grid, row)) pushMark(row, false);
  keepGridFocus();
}

void MainWindow::keepGridFocus() {
  fgProbes->setFocus();
}

void MainWindow::recountWired() {
  mState.wired = wiredCounts(probeGrid());
  updateWiredCounters();
}

void MainWindow::updateWiredCounters() {
  const SurfaceCounts wired = mState.wired;
  lblTopWired->setText(QString::number(wired.top));
  lblBotWired->setText(QString::number(wired.bottom));

  const bool top = optTop->isChecked();
  const int total = top ? mState.probes.top : mState.probes.bottom;
  const int done = top ? wired.top : wired.bottom;
  pbWired->setValue(0);
  // A surface without probes shows an empty bar, not a busy indicator.
  pbWired->setMaximum(std::max(total, 1));
  pbWired->setValue(std::min(done, std::max(total, 1)));
  const int all = mState.probes.top + mState.probes.bottom;
  const int allWired = wired.top + wired.bottom;
  lblTotal->setText(QStringLiteral("Total %1 / %2 wired, %3%")
                        .arg(allWired)
                        .arg(all)
                        .arg(all > 0 ? qRound(100.0 * allWired / all) : 0));

  cmdRenameProbes->setEnabled(wired.top + wired.bottom == 0 && !mReadOnly);
}

void MainWindow::centreMainViewOnProbe() {
  const GridModel& grid = probeGrid();
  if (grid.currentRow() < 1) return;
  const std::optional<QPointF> p = probePosition(grid.currentRow());
  if (!p) return;
  double& size = mState.zoom.boardCentreSize;
  if (size == 0) size = 20;
  const QPointF v =
      viewCoordinates(*p, mState.boardRotation, VDEditor->isViewFromTop());
  VDEditor->centreOnPoint(v.x(), v.y(), size);
}

void MainWindow::applySurfaceFilter() {
  const int scrollTo = lw::applySurfaceFilter(probeGrid(), optTop->isChecked());
  if (scrollTo > 0) fgProbes->showCell(scrollTo, 0);
}

}  // namespace lw
