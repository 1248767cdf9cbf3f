// The load sequence: from a file name to the probe grid and both views.

#include "boardpicture.h"
#include "boardview.h"
#include "busywindow.h"
#include "gridview.h"
#include "ipc356import.h"
#include "mainwindow.h"
#include "probetable.h"
#include "prompts.h"
#include "regularfile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <future>

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
  if (mLoading) return;  // the busy window lets events through
  mLoading = true;
  loadFileNow(fileName);
  mLoading = false;
}

void MainWindow::loadFileNow(const QString& fileName) {
  std::unique_ptr<StationLock> lock;
  bool readOnly = false;
  if (!lockBeforeLoad(fileName, lock, readOnly)) return;
  setBusyPointer(true);
  frmBusy->show();
  frmBusy->setPhase(QStringLiteral("Reading board"));
  frmBusy->setText(QStringLiteral("Loading VD File"));
  frmBusy->setMaximum(100);
  frmBusy->setValue(0);
  // The new board is read and checked before anything of the open one is
  // dropped: a file that cannot be worked leaves the shift's board as it
  // was, marks and all.
  IncomingBoard incoming;
  if (!readAndCheck(fileName, incoming)) {
    if (lock && !mLock) mLock = std::move(lock);  // reopening its own file
    return;
  }
  // The open document's journal stays on disk: it holds its unsaved work.
  mJournal.reset();
  mLock = std::move(lock);
  mReadOnly = readOnly;

  mState.tables = std::move(incoming.tables);
  mState.pcbFileNumber = incoming.pcbFile;
  mState.pcbSelectArgument = incoming.selectArgument;
  mState.pinDataLoaded = incoming.pinsLinked;
  mState.viaDataLoaded = incoming.viasLinked;
  mDocumentPath = fileName;
  mUndo->clear();  // the marks of another board cannot be undone here
  setDocumentModified(false);  // and the title names the new file
  setControlsEnabled(false);
  frmBusy->setPhase(QStringLiteral("Building probe table"));
  buildProbeTableInGrid();
  // The journal's stamp of these probes is worked out on another core
  // while the board is shown and the rules and marks applied; sorting
  // changes no stamp.
  std::future<DocumentStamp> stamp =
      std::async(std::launch::async,
                 [path = mDocumentPath, probes = stampedProbes()]() mutable {
                   return stampDocument(path, std::move(probes));
                 });

  // The views take the board once its scene is built, which the grid gave
  // time for; the board moves only then.
  std::unique_ptr<BoardScene> scene = incoming.scene.get();
  mDocument = std::move(incoming.document);
  mPicture->setDocument(&mDocument, std::move(scene));
  for (QCheckBox* box : {chkComponentPins, chkFiducials, chkMech, chkPCBcomps,
                         chkToolingHoles, chkVias})
    box->setCheckState(Qt::Checked);
  // The board is drawn as its placement is turned; the rotation follows it.
  mState.boardRotation =
      mDocument.fileInformation(mState.pcbFileNumber)->rotation;
  cmdRotate->setText(rotateCaption(mState.boardRotation));
  updateZoomWindow();
  showProbeTable();
  buildLayerTable();

  setControlsEnabled(true);
  frmBusy->setValue(8);

  // The rules only arrange the grid; a board opens and its stored wiring
  // state comes back whether or not a rules file exists.
  frmBusy->setPhase(QStringLiteral("Applying rules"));
  applyRulesFile();
  frmBusy->setValue(9);
  frmBusy->setPhase(QStringLiteral("Restoring the wiring state"));
  restoreWiringState();
  frmBusy->setValue(10);
  closeBusyWindow();
  fgProbes->setFocus();
  // Both views come to the current probe even when no step above moved the
  // current row (it was already current when they were fitted to the board).
  showCurrentProbe();
  applyReadOnly();
  setBusyPointer(false);
  startJournal(stamp.get());
  fgProbes->setFocus();
}

bool MainWindow::readAndCheck(const QString& fileName, IncomingBoard& in) {
  int shown = 0;
  try {
    in.document.open(fileName, [this, &shown](double fraction) {
      // Halves round to the even neighbour, as the bar always has.
      const int percent = static_cast<int>(
          std::nearbyint(100 * std::clamp(fraction, 0.0, 1.0)));
      if (percent > shown) frmBusy->setValue(shown = percent);
    });
  } catch (const Error& e) {
    // Say what is wrong with the file, not that it lacks probes.
    refuseUnreadable(fileName, e.message());
    return false;
  }
  // The views' scene needs the board alone: another core builds it while
  // this one finds and links the probes and fills the grid.
  in.scene = std::async(std::launch::async, [&board = in.document.board()] {
    return std::make_unique<BoardScene>(board);
  });
  frmBusy->setText(QStringLiteral("Extracting Probe Information"));
  frmBusy->setPhase(QStringLiteral("Finding the probes"));
  frmBusy->setMaximum(10);
  if (!findPcbFile(in)) {
    refuseLoad({});
    return false;
  }
  const BoardDocument& doc = in.document;
  ExtractionTables& t = in.tables;
  frmBusy->setValue(1);
  if (extractProbes(doc, in.pcbFile, t)) {
    refuseLoad(
        QStringLiteral("The file being loaded does not contain any "
                       "probes."));
    return false;
  }
  frmBusy->setValue(2);
  if (extractAccessPoints(doc, in.pcbFile, t)) {
    refuseLoad(
        QStringLiteral("The file being loaded does not contain any "
                       "access points."));
    return false;
  }
  frmBusy->setValue(3);
  const LinkedFeatures linked = linkAccessFeatures(
      doc, in.pcbFile, t, [this](int step) { frmBusy->setValue(3 + step); });
  in.pinsLinked = linked.pins;
  in.viasLinked = linked.vias;
  return true;
}

void MainWindow::closeBusyWindow() {
  frmBusy->close();
  activateWindow();  // the keyboard comes back to the grid
  // before the next key press is read, as it was before the busy window
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::refuseUnreadable(const QString& fileName,
                                  const QString& readerMessage) {
  QFile file(fileName);
  const QByteArray head =
      notRegularFileReason(fileName).isEmpty() && file.open(QIODevice::ReadOnly)
          ? file.read(4096)
          : QByteArray();
  // A damaged document keeps the reader's words and position; a file of
  // another kind is named as such, and a netlist sent where it is read.
  if (head.isEmpty() || startsLikeBoardDocument(head))
    return refuseLoad(readerMessage);
  closeBusyWindow();
  setBusyPointer(false);
  QString text = QStringLiteral("%1 is not a Loomwright board document.")
                     .arg(QFileInfo(fileName).fileName());
  if (looksLikeIpc356(head))
    text += QStringLiteral(
        "\n\nIt looks like an IPC-D-356 netlist: \"Import IPC-D-356...\" "
        "reads it into a board document.");
  mPrompts->message(this, kDefaultTitle, text, Prompts::Icon::Warning,
                    Prompts::Buttons::Ok);
}

void MainWindow::refuseLoad(const QString& message) {
  closeBusyWindow();
  setBusyPointer(false);
  if (!message.isEmpty())
    mPrompts->message(this, kDefaultTitle, message, Prompts::Icon::Information,
                      Prompts::Buttons::Ok);
}

bool MainWindow::findPcbFile(IncomingBoard& in) {
  if (in.document.board().files.empty()) {
    mPrompts->message(this, appTitle(),
                      QStringLiteral("There are no files present in the VD "
                                     "file loaded"),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    return false;
  }
  const QList<int> pcbFiles = in.document.visiblePcbFiles();
  const int count = int(pcbFiles.size());
  if (count == 0) {
    mPrompts->message(this, appTitle(),
                      QStringLiteral("No PCB Data Found in the Active VELDRA "
                                     "Document"),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    return false;
  }
  if (count > 1)
    mPrompts->message(
        this, appTitle(),
        QStringLiteral("The currently loaded VD files contains %1 PCB files "
                       "visible.\n\nUsing VELDRA turn off all but one (1) PCB "
                       "file then reload it.")
            .arg(count),
        Prompts::Icon::Stop, Prompts::Buttons::Ok);
  // With several, the last one is worked, as the message says.
  in.pcbFile = pcbFiles.last();
  in.selectArgument = in.document.fileInformation(in.pcbFile)->selectArgument;
  return true;
}

void MainWindow::buildProbeTableInGrid() {
  GridModel& grid = probeGrid();
  buildProbeTable(grid, std::move(mState.tables), mRegional);
  // Everything the window shows of the tables is in the grid now.
  mState.tables = {};
  fgProbes->autoSize(0, grid.columns() - 1, twipsToPixels(200, *fgProbes));
}

void MainWindow::showProbeTable() {
  GridModel& grid = probeGrid();
  grid.setRedraw(Redraw::On);
  mPicture->colourFileProbes(mState.pcbFileNumber, kNotWiredColour);

  mState.probes = probeCounts(grid);
  mState.wired = {};  // the marks come back with the wiring state
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
