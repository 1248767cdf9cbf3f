#pragma once

// The rules dialog: which probe grid columns show, and by which columns, in
// which priority, the probe grid is sorted. Visibility changes apply at
// once; the sort when the user presses "Sort Probe Grid" and after every
// document load (applyRulesFile).
//
// Built afresh each time it opens, from the probe grid as it is then: the
// sort list starts empty and every "Sort Key" at "0". Nothing outlives the
// dialog but the probe grid's columns and row order and the rules file.

#include "rulesfile.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace lw {

class GridView;
class ProbeGridHost;

class RulesDialog : public QDialog {
  Q_OBJECT

 public:
  RulesDialog(ProbeGridHost& host, RulesFileLocations files,
              QWidget* parent = nullptr);

  // The load sequence's rules step: when there is a rules file, shows the
  // dialog without waiting, applies the file and closes the dialog again.
  // False, without a message, when there was no file; with one when none
  // could be read.
  static bool applyRulesFile(ProbeGridHost& host,
                             const RulesFileLocations& files,
                             QWidget* parent = nullptr);

  // A click on a rules grid cell: column 0 toggles "Visible" and shows or
  // hides the probe grid column at once; column 1 toggles "Sort Key" and
  // appends to or removes from the sort list.
  void fgDisplay_Click(int row, int column);
  void updateMoveButtons();
  void cmdUp_Click() { moveSelected(-1); }
  void cmdDown_Click() { moveSelected(+1); }
  // Sorts the probe grid by the sort list, then has the host recolour and
  // reselect.
  void cmdApply_Click();
  // Reads the rules file and applies it. A file that has gone leaves
  // everything as it was, tells the user and disables "Load Rules".
  bool cmdLoad_Click();
  // Writes the user's rules file; failures are reported, never fatal.
  bool cmdSave_Click();
  QStringList sortOrder() const;

  // Controls, named as the wiring team knows them.
  GridView* fgDisplay = nullptr;
  QListWidget* lstSortOrder = nullptr;
  QPushButton* cmdUp = nullptr;
  QPushButton* cmdDown = nullptr;
  QPushButton* cmdApply = nullptr;
  QPushButton* cmdLoad = nullptr;
  QPushButton* cmdSave = nullptr;

 private:
  void buildControls();
  void Form_Load();
  // Reads and applies the file; false with the reason when no file can be
  // read. A user's file passed over and lines ignored are told.
  bool loadRules(QString* error);
  void tellWhatWasPassedOver(const RulesRead& read);
  void moveSelected(int step);
  int firstSelected() const;

  ProbeGridHost& mHost;
  RulesFileLocations mFiles;
};

}  // namespace lw
