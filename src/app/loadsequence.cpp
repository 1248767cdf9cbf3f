// The load sequence: from a file name to the probe grid and both views.

#include "boardpicture.h"
#include "boardview.h"
#include "busywindow.h"
#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"
#include "prompts.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace lw {

namespace {

const QString kFileFilter = QStringLiteral("VELDRA VD File (*.vd *.vdz)");
const QString kDefaultTitle = QStringLiteral("Loomwright");

}  // namespace

void MainWindow::cmdLoad_Click() {
  // Opening another board must not silently drop unsaved wiring work.
  if (!askToSaveChanges(Leaving::OpeningAnother)) return;
  const QString name = mPrompts->openFileName(this, kFileFilter, mLastFileName);
  if (name.isEmpty()) return;
  mLastFileName = name;
  loadFile(name);
}

void MainWindow::loadFile(const QString& fileName) {
  mDocumentPath.clear();
  setDocumentModified(false);
  updateTitle();
  repaint();
  setBusyPointer(true);
  for (QCheckBox* box : {chkComponentPins, chkFiducials, chkMech, chkPCBcomps,
                         chkToolingHoles, chkVias})
    box->setCheckState(Qt::Checked);
  setControlsEnabled(false);
  mState.boardRotation = 0;
  cmdRotate->setText(rotateCaption(0));

  frmBusy->show();
  frmBusy->setText(QStringLiteral("Loading VD File"));
  frmBusy->setMaximum(100);
  frmBusy->setValue(0);
  if (!readDocument(fileName)) return;

  frmBusy->setText(QStringLiteral("Extracting Probe Information"));
  frmBusy->setMaximum(8);
  checkPcbFile();
  if (!extractAndBuild()) return;

  setControlsEnabled(true);
  frmBusy->setValue(8);
  closeBusyWindow();

  // The rules only arrange the grid; a board opens and its stored wiring
  // state comes back whether or not a rules file exists.
  applyRulesFile();
  fgProbes->setFocus();
  mDocumentPath = fileName;
  updateTitle();
  restoreWiringState();
  // Both views come to the current probe even when no step above moved the
  // current row (it was already current when they were fitted to the board).
  showCurrentProbe();
  setBusyPointer(false);
  fgProbes->setFocus();
}

bool MainWindow::readDocument(const QString& fileName) {
  int shown = 0;
  try {
    mDocument.open(fileName, [this, &shown](double fraction) {
      // Halves round to the even neighbour, as the bar always has.
      const int percent = static_cast<int>(
          std::nearbyint(100 * std::clamp(fraction, 0.0, 1.0)));
      if (percent > shown) frmBusy->setValue(shown = percent);
    });
  } catch (const Error& e) {
    // Say what is wrong with the file, not that it lacks probes.
    abortLoad(e.message());
    return false;
  }
  frmBusy->setValue(100);
  mPicture->setDocument(&mDocument);
  return true;
}

bool MainWindow::extractAndBuild() {
  const BoardDocument& doc = mDocument;
  ExtractionTables& t = mState.tables;
  const int file = mState.pcbFileNumber;

  frmBusy->setValue(1);
  if (extractProbes(doc, file, t)) {
    abortLoad(
        QStringLiteral("The file being loaded does not contain any "
                       "probes."));
    return false;
  }
  frmBusy->setValue(2);
  if (extractAccessPoints(doc, file, t)) {
    abortLoad(
        QStringLiteral("The file being loaded does not contain any "
                       "access points."));
    return false;
  }
  frmBusy->setValue(3);
  mState.pinDataLoaded = !extractComponentPins(doc, file, t);
  frmBusy->setValue(4);
  mState.viaDataLoaded = !extractVias(doc, file, t);
  frmBusy->setValue(5);
  resolveAccessFeatures(t, mState.pinDataLoaded, mState.viaDataLoaded);
  frmBusy->setValue(6);
  resolveProbeAccess(t);
  frmBusy->setValue(7);
  updateZoomWindow();
  buildProbeTableInGrid();
  buildLayerTable();
  return true;
}

void MainWindow::closeBusyWindow() {
  frmBusy->close();
  activateWindow();  // the keyboard comes back to the grid
}

void MainWindow::abortLoad(const QString& message) {
  closeBusyWindow();
  setBusyPointer(false);
  mPrompts->message(this, kDefaultTitle, message, Prompts::Icon::Information,
                    Prompts::Buttons::Ok);
  mDocument.open(QString());
  mPicture->setDocument(&mDocument);
  GridModel& grid = probeGrid();
  grid.clear();
  grid.setRows(1);
  grid.setColumns(12);
}

void MainWindow::checkPcbFile() {
  QList<int> files;
  if (mDocument.listDocumentFiles(&files) < 0) {
    mPrompts->message(this, appTitle(),
                      QStringLiteral("There are no files present in the VD "
                                     "file loaded"),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    return;
  }
  int count = 0;
  for (const int file : files) {
    const auto info = mDocument.fileInformation(file);
    if (!info || !info->isPcb || !info->visible) continue;
    mState.pcbFileNumber = file;
    ++count;
    mState.pcbSelectArgument = info->selectArgument;
  }
  if (count == 0)
    mPrompts->message(this, appTitle(),
                      QStringLiteral("No PCB Data Found in the Active VELDRA "
                                     "Document"),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
  if (count > 1)
    mPrompts->message(
        this, appTitle(),
        QStringLiteral("The currently loaded VD files contains %1 PCB files "
                       "visible.\n\nUsing VELDRA turn off all but one (1) PCB "
                       "file then reload it.")
            .arg(count),
        Prompts::Icon::Stop, Prompts::Buttons::Ok);
}

void MainWindow::buildProbeTableInGrid() {
  GridModel& grid = probeGrid();
  buildProbeTable(grid, mState.tables, mRegional);
  fgProbes->autoSize(0, grid.columns() - 1, twipsToPixels(200, *fgProbes));
  grid.setRedraw(Redraw::On);

  for (int r = 1; r < grid.rows(); ++r)
    colourProbe(grid.text(r, probe_grid::kProbe), kNotWiredColour);

  mState.probes = probeCounts(grid);
  lblTopProbeCount->setText(QString::number(mState.probes.top));
  lblBotProbeCount->setText(QString::number(mState.probes.bottom));
  lblTopWired->setText(QStringLiteral("0"));
  lblBotWired->setText(QStringLiteral("0"));
  applySurfaceFilter();
}

void MainWindow::setControlsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           cmdSave, cmdFilterProbes, cmdRenameProbes, cmdWired, cmdNotWired,
           slider, chkMech, chkToolingHoles, chkFiducials, chkVias, chkPCBcomps,
           cmdRotate})
    w->setEnabled(enabled);
  chkComponentPins->setEnabled(chkPCBcomps->isChecked() && enabled);

  if (!enabled) {
    GridModel& grid = probeGrid();
    grid.setRedraw(Redraw::Off);
    grid.clear();
    grid.setRows(1);
    grid.setColumns(12);
    optTop->setEnabled(false);
    optBot->setEnabled(false);
    mState.probes = {};
    for (QLabel* l :
         {lblTopProbeCount, lblBotProbeCount, lblTopWired, lblBotWired})
      l->setText(QStringLiteral("0"));
    grid.setRedraw(Redraw::On);
    return;
  }

  // The surface is switched once below, not once per option selected.
  {
    const QSignalBlocker blockTop(optTop), blockBot(optBot);
    const bool bottom = mState.probes.bottom > 0;
    const bool top = mState.probes.top > 0;
    optBot->setEnabled(bottom);
    if (bottom) optBot->setChecked(true);
    optTop->setEnabled(top);
    if (top) optTop->setChecked(true);
  }
  switchSurface(optTop->isEnabled() ? QStringLiteral("T")
                                    : QStringLiteral("B"));
}

}  // namespace lw
