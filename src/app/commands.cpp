// Commands that open the rules and renumbering dialogs and the importer.

#include "gridview.h"
#include "mainwindow.h"

namespace lw {

void MainWindow::cmdFilterProbes_Click() {
  setDocumentModified();
  keepGridFocus();
}

void MainWindow::cmdRenameProbes_Click() {
  setDocumentModified();
  keepGridFocus();
}

void MainWindow::cmdImport_Click() {
  keepGridFocus();
}

void MainWindow::applyRulesFile() {}

}  // namespace lw
