#pragma once

// "Rename Probes": lists every probe with the number of the reference
// designator it touches, refuses duplicate numbers, and on acceptance
// writes a renumbered copy of the document that the main window loads.
//
// The dialog builds itself from the host's probe grid when constructed and
// reports duplicates then; the host shows it modally. A completed
// renumbering reloads the host and ends the dialog with accept().

#include <QDialog>

class QPushButton;

namespace lw {

class GridView;
class ProbeGridHost;

class RenameProbesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit RenameProbesDialog(ProbeGridHost& host, QWidget* parent = nullptr);

  // The buttons' handlers, public so that tests reach them as clicks do.
  void cmdAccept_Click();
  void cmdCancel_Click() { reject(); }

  GridView* fgProbNames = nullptr;
  QPushButton* cmdAccept = nullptr;
  QPushButton* cmdCancel = nullptr;

 private:
  void Form_Load();
  void countDuplicateProposals();
  void fgProbNames_AfterSort(int column);

  ProbeGridHost& mHost;
};

}  // namespace lw
