// Commands that open the rules and renumbering dialogs and the importer.

#include "boardio.h"
#include "gridview.h"
#include "importdialogs.h"
#include "ipc356import.h"
#include "mainwindow.h"
#include "prompts.h"
#include "renameprobesdialog.h"
#include "rulesdialog.h"
#include "savename.h"

namespace lw {

void MainWindow::cmdFilterProbes_Click() {
  setDocumentModified();
  RulesDialog dialog(*this, {mSetup.userRulesPath, mSetup.shippedRulesPath},
                     this);
  dialog.exec();
  keepGridFocus();
}

void MainWindow::cmdRenameProbes_Click() {
  // Renaming writes a new file and opens it; cancelling changes nothing.
  RenameProbesDialog dialog(*this, this);
  dialog.exec();
  keepGridFocus();
}

void MainWindow::cmdImport_Click() {
  if (!askToSaveChanges(Leaving::OpeningAnother)) return keepGridFocus();
  const QString source = mPrompts->openFileName(
      this,
      QStringLiteral("IPC-D-356 test netlist (*.ipc *.356 *.net);;All "
                     "files (*)"),
      QString());
  if (source.isEmpty()) return keepGridFocus();
  const auto options = askImportOptions(*mPrompts, this, mSettings);
  if (!options) return keepGridFocus();
  const QString name = mPrompts->saveFileName(
      this, QStringLiteral("VELDRA VD File (*.vd *.vdz)"), mLastFileName);
  if (name.isEmpty()) return keepGridFocus();
  const SaveTarget target = saveTargetFor(name);
  if (!confirmReplace(*mPrompts, this, target.path)) return keepGridFocus();
  // Never write over a board another station is wiring.
  std::unique_ptr<StationLock> lock;
  if (!lockSaveTarget(target.path, lock)) return;

  setBusyPointer(true);
  ImportSummary summary;
  try {
    const ImportResult result = importIpc356(source, *options);
    writeBoard(result.board, target.path,
               target.compressed ? Compression::Gzip : Compression::None);
    summary = result.summary;
  } catch (const Error& e) {
    setBusyPointer(false);
    mPrompts->message(this, QStringLiteral("Loomwright"), e.message(),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    return keepGridFocus();
  }
  setBusyPointer(false);
  lock.reset();  // the load takes it again, for the window
  mLastFileName = target.path;
  showImportSummary(*mPrompts, this, summary);
  loadFile(target.path);
}

void MainWindow::applyRulesFile() {
  RulesDialog::applyRulesFile(
      *this, {mSetup.userRulesPath, mSetup.shippedRulesPath}, this);
}

}  // namespace lw
