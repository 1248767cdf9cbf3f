// The load sequence: from a file name to the probe grid and both views.

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

#include <cmath>

namespace lw {

namespace {

const QString kFileFilter = QStringLiteral("VELDRA VD File (*.vd *.vdz)");
const QString kDefaultTitle = QStringLiteral("Loomwright");

}  // namespace

void MainWindow::cmdLoad_Click() {
  // Opening another board must not silently drop unsaved wiring work.
  if (!askToSaveChanges()) return;
  const QString name = mPrompts->openFileName(this, kFileFilter, mLastFileName);
  if (name.isEmpty()) return;
  mLastFileName = name;
  loadFile(name);
}

void MainWindow::loadFile(const QString& fileName) {
  mState.documentModified = false;
  repaint();
  setTitle();
  setBusyPointer(true);
  for (QCheckBox* box : {chkComponentPins, chkFiducials, chkMech, chkPCBcomps,
                         chkToolingHoles, chkVias})
    box->setCheckState(Qt::Checked);
  setControlsEnabled(false);
  mState.boardRotation = 0;
  cmdRotate->setText(QStringLiteral("Rotate Board (0)"));

  frmBusy->show();
  frmBusy->setText(QStringLiteral("Loading VD File"));
  frmBusy->setMaximum(200);
  frmBusy->setValue(0);
  if (!loadDocumentIntoViews(fileName)) return;

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
  setTitle(fileName);
  restoreWiringState();
  // Both views come to the current probe even when no step above moved the
  // current row (it was already current when they were fitted to the board).
  fgProbes_SelChange();
  setBusyPointer(false);
  fgProbes->setFocus();
}

bool MainWindow::loadDocumentIntoViews(const QString& fileName) {
  try {
    VDEditor->open(fileName);
    VDProbeView->open(fileName);
  } catch (const Error& e) {
    // Say what is wrong with the file, not that it lacks probes.
    abortLoad(e.message());
    return false;
  }
  return true;
}

bool MainWindow::extractAndBuild() {
  const BoardDocument& doc = VDEditor->document();
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
  VDEditor->open(QString());
  VDProbeView->open(QString());
  GridModel& grid = probeGrid();
  grid.clear();
  grid.setRows(1);
  grid.setColumns(12);
}

bool MainWindow::checkPcbFile() {
  QList<int> files;
  mState.lastQueryResult = VDEditor->document().listDocumentFiles(&files);
  if (mState.lastQueryResult < 0) {
    mPrompts->message(this, appTitle(),
                      QStringLiteral("There are no files present in the VD "
                                     "file loaded"),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    return false;
  }
  // The probe view opened the same file: its list matches position for
  // position.
  QList<int> probeFiles;
  VDProbeView->document().listDocumentFiles(&probeFiles);
  int count = 0;
  for (int i = 0; i < files.size(); ++i) {
    const auto info = VDEditor->document().fileInformation(files[i]);
    if (!info || !info->isPcb || !info->visible) continue;
    mState.pcbFileNumber = files[i];
    ++count;
    mState.pcbSelectArgument = info->selectArgument;
    mState.probeViewPcbFileNumber = probeFiles.value(i, files[i]);
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
  return false;
}

void MainWindow::buildProbeTableInGrid() {
  GridModel& grid = probeGrid();
  buildProbeTable(grid, mState.tables, mRegional);
  fgProbes->autoSize(0, grid.columns() - 1, twipsToPixels(200, *fgProbes));
  grid.setRedraw(Redraw::On);

  VDEditor->setAutomaticRedraw(false);
  VDProbeView->setAutomaticRedraw(false);
  for (int r = 1; r < grid.rows(); ++r)
    colourProbe(grid.text(r, probe_grid::kProbe), kNotWiredColour);
  VDEditor->setAutomaticRedraw(true);
  VDProbeView->setAutomaticRedraw(true);

  const SurfaceCounts n = probeCounts(grid);
  lblTopProbeCount->setText(QString::number(n.top));
  lblBotProbeCount->setText(QString::number(n.bottom));
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
    for (QLabel* l :
         {lblTopProbeCount, lblBotProbeCount, lblTopWired, lblBotWired})
      l->setText(QStringLiteral("0"));
    grid.setRedraw(Redraw::On);
    return;
  }

  // The surface is switched once below, not once per option selected.
  {
    const QSignalBlocker blockTop(optTop), blockBot(optBot);
    const bool bottom = lblBotProbeCount->text().toInt() > 0;
    const bool top = lblTopProbeCount->text().toInt() > 0;
    optBot->setEnabled(bottom);
    if (bottom) optBot->setChecked(true);
    optTop->setEnabled(top);
    if (top) optTop->setChecked(true);
  }
  switchSurface(optTop->isEnabled() ? QStringLiteral("T")
                                    : QStringLiteral("B"));
}

}  // namespace lw
