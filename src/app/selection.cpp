// Walking the probes: the current probe in both views, wiring marks,
// counters and the grid's sort notifications.

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

void MainWindow::fgProbes_SelChange() {
  GridModel& grid = probeGrid();
  const int row = grid.currentRow();
  if (row <= 0) return;
  VDEditor->setAutomaticRedraw(false);
  colourProbe(grid.text(row, probe_grid::kProbe), kCurrentColour);

  bool okX = false, okY = false;
  const double x =
      fromRegional(grid.text(row, probe_grid::kX), mRegional, &okX);
  const double y =
      fromRegional(grid.text(row, probe_grid::kY), mRegional, &okY);
  if (okX && okY) {
    const QPointF v = viewCoordinates({x, y}, mState.boardRotation,
                                      VDEditor->isViewFromTop());
    const double h = mState.zoom.probeZoomHalfSize;
    mState.lastQueryResult =
        VDProbeView->zoomToWindow(v.x() - h, v.x() + h, v.y() - h, v.y() + h);
  }
  VDEditor->redraw();
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
  recolourProbesAndReselect(*this);
  setBusyPointer(false);
}

void MainWindow::cmdWired_Click() {
  GridModel& grid = probeGrid();
  const int row = grid.currentRow();
  if (row < 1) return keepGridFocus();  // no probe to mark
  mState.documentModified = true;
  grid.setText(row, probe_grid::kWired, QStringLiteral("1"));
  const int next = findNextUnwiredRow(grid);
  if (next < 1) {
    updateWiredCounters();
    mPrompts->message(this, QStringLiteral("Loomwright"),
                      QStringLiteral("All Probes on the Current Surface are "
                                     "Wired"),
                      Prompts::Icon::Information, Prompts::Buttons::Ok);
  } else {
    grid.setCurrentRow(next);
    fgProbes->showCell(next, 0);
    updateWiredCounters();
  }
  keepGridFocus();
}

void MainWindow::cmdNotWired_Click() {
  GridModel& grid = probeGrid();
  const int row = grid.currentRow();
  if (row < 1) return keepGridFocus();
  grid.setText(row, probe_grid::kWired, QString());
  updateWiredCounters();
  mState.documentModified = true;
  keepGridFocus();
}

void MainWindow::keepGridFocus() {
  fgProbes->setFocus();
}

void MainWindow::updateWiredCounters() {
  const SurfaceCounts wired = wiredCounts(probeGrid());
  lblTopWired->setText(QString::number(wired.top));
  lblBotWired->setText(QString::number(wired.bottom));

  const bool top = optTop->isChecked();
  const int total = (top ? lblTopProbeCount : lblBotProbeCount)->text().toInt();
  const int done = (top ? lblTopWired : lblBotWired)->text().toInt();
  pbWired->setValue(0);
  // A surface without probes shows an empty bar, not a busy indicator.
  pbWired->setMaximum(std::max(total, 1));
  pbWired->setValue(std::min(done, std::max(total, 1)));

  cmdRenameProbes->setEnabled(wired.top + wired.bottom == 0);
}

void MainWindow::centreMainViewOnProbe(double x, double y, double& scale) {
  const GridModel& grid = probeGrid();
  if (grid.currentRow() < 1 || grid.rows() < 2) return;
  if (x == 0 && y == 0) {
    bool okX = false, okY = false;
    x = fromRegional(grid.text(grid.currentRow(), probe_grid::kX), mRegional,
                     &okX);
    y = fromRegional(grid.text(grid.currentRow(), probe_grid::kY), mRegional,
                     &okY);
    if (!okX || !okY) return;
    if (scale == 0) scale = 20;
    const QPointF turned = viewCoordinates({x, y}, mState.boardRotation, true);
    x = turned.x();
    y = turned.y();
  }
  if (!VDEditor->isViewFromTop()) x = -x;
  VDEditor->centreOnPoint(x, y, scale);
}

void MainWindow::applySurfaceFilter() {
  const int scrollTo = lw::applySurfaceFilter(probeGrid(), optTop->isChecked());
  if (scrollTo > 0) fgProbes->showCell(scrollTo, 0);
}

}  // namespace lw
