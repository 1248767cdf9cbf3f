// The wiring state inside the document, saving, and the question before
// unsaved work would be lost.

#include "boardio.h"
#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"
#include "prompts.h"
#include "savename.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <array>

namespace lw {

namespace {

// The class check boxes in the order their settings are stored.
std::array<QCheckBox*, kClassBoxCount> classBoxes(const MainWindow& w) {
  return {w.chkMech, w.chkToolingHoles, w.chkFiducials,
          w.chkVias, w.chkPCBcomps,     w.chkComponentPins};
}

}  // namespace

WiringSettings MainWindow::settingsShown() const {
  WiringSettings s;
  s.zoomLevel = slider->value();
  s.surfaceTop = optTop->isChecked();
  s.surfaceBottom = optBot->isChecked();
  const auto boxes = classBoxes(*this);
  for (int i = 0; i < kClassBoxCount; ++i)
    s.classes[size_t(i)] = boxes[size_t(i)]->checkState();
  s.rotation = mState.boardRotation;
  return s;
}

void MainWindow::showSettings(const WiringSettings& s) {
  slider->setValue(s.zoomLevel);
  if (s.surfaceTop) optTop->setChecked(true);
  if (s.surfaceBottom) optBot->setChecked(true);
  const auto boxes = classBoxes(*this);
  for (int i = 0; i < kClassBoxCount; ++i)
    boxes[size_t(i)]->setCheckState(s.classes[size_t(i)]);
  mState.boardRotation = s.rotation;
  cmdRotate->setText(rotateCaption(s.rotation));
}

void MainWindow::restoreWiringState() {
  GridModel& grid = probeGrid();
  restoreWiredMarks(mDocument, grid, mState.pcbSelectArgument);
  for (int r = 1; r < grid.rows(); ++r)
    if (isWired(grid, r))
      colourProbe(grid.text(r, probe_grid::kProbe), kWiredColour);
  recountWired();
  // The settings first: a restored surface switch moves the selection, and
  // the shift must start at the first probe of that surface still to wire.
  WiringSettings settings = restoreWiringSettings(mDocument, settingsShown());
  // The board is drawn as its placement says, whatever caption was stored
  // (documents renumbered by earlier versions lost it).
  settings.rotation = mState.boardRotation;
  showSettings(settings);
  selectFirstUnwiredRow();
}

void MainWindow::selectFirstUnwiredRow() {
  GridModel& grid = probeGrid();
  int row = 1;
  while (row < grid.rows() && (grid.isRowHidden(row) || isWired(grid, row)))
    ++row;
  if (row < grid.rows()) grid.setCurrentRow(row);
  if (grid.currentRow() > 0) fgProbes->showCell(grid.currentRow(), 0);
}

void MainWindow::storeWiringState() {
  storeWiredMarks(mDocument, probeGrid(), mState.pcbSelectArgument);
  storeWiringSettings(mDocument, settingsShown());
}

BoardDocument& MainWindow::boardDocument() {
  // Whoever writes the document (renumbering) writes the shift's work too.
  storeWiringState();
  return mDocument;
}

bool MainWindow::cmdSave_Click() {
  const QString start = mDocumentPath.isEmpty() ? mLastFileName : mDocumentPath;
  const QString name = mPrompts->saveFileName(
      this, QStringLiteral("VELDRA VD File (*.vd *.vdz)"), start);
  if (name.isEmpty()) return false;  // cancelled: still modified
  mLastFileName = name;
  // The question is about the file that will be written, extension and all.
  const SaveTarget target = saveTargetFor(name);
  if (!confirmReplace(*mPrompts, this, target.path)) return false;
  return saveTo(target.path, target.compressed);
}

bool MainWindow::saveInPlace() {
  const std::optional<Compression> form = compressionForName(mDocumentPath);
  if (!form) return cmdSave_Click();
  return saveTo(mDocumentPath, *form == Compression::Gzip);
}

bool MainWindow::saveTo(const QString& path, bool compressed) {
  std::unique_ptr<StationLock> lock;
  if (!lockSaveTarget(path, lock)) return false;
  setBusyPointer(true);
  storeWiringState();
  try {
    if (compressed)
      mDocument.saveCompressed(path);
    else
      mDocument.save(path);
  } catch (const Error& e) {
    setBusyPointer(false);
    mPrompts->message(this, QStringLiteral("Loomwright"), e.message(),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    keepGridFocus();
    return false;
  }
  mDocumentPath = path;
  if (lock) mLock = std::move(lock);
  // Saved: the journal starts again, against the file as written now.
  if (mJournal) mJournal->restart(path);
  setDocumentModified(false);
  setBusyPointer(false);
  keepGridFocus();
  return true;
}

bool MainWindow::askToSaveChanges(Leaving leaving) {
  if (!mState.documentModified) return true;
  const QString text =
      leaving == Leaving::Closing
          ? QStringLiteral(
                "There is currently a file loaded which has been modified "
                "since your last save.\r\n\r\nWould you like to save this "
                "file before Loomwright closes?")
          : QStringLiteral(
                "Do you want to save the changes to %1 before "
                "opening another file?")
                .arg(QFileInfo(mDocumentPath).fileName());
  switch (mPrompts->message(this, QStringLiteral("Loomwright"), text,
                            Prompts::Icon::Information,
                            Prompts::Buttons::YesNoCancel)) {
    case Prompts::Answer::Yes:
      return saveInPlace();
    case Prompts::Answer::No:
      return true;
    default:
      return false;
  }
}

}  // namespace lw
