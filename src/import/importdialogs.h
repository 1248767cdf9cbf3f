#pragma once

// The window's side of an import: the small dialog that asks for the probe
// side and size before a netlist is imported, and the one that tells what
// the import made, with every net left without a probe in a table the user
// can copy. Both are shown through Prompts, so tests answer them.

#include "ipc356import.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QPushButton;
class QSettings;
class QTableWidget;

namespace lw {

class Prompts;

class ImportChoicesDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit ImportChoicesDialog(QWidget* parent = nullptr);

  ImportOptions options() const;
  void setOptions(const ImportOptions& options);

  // The choices this user made last (the defaults where none are stored or
  // a stored one cannot be read); settings may be null.
  static ImportOptions remembered(const QSettings* settings);
  static void remember(QSettings* settings, const ImportOptions& options);

  QComboBox* cboSide;
  QComboBox* cboProbeSize;
};

class ImportSummaryDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit ImportSummaryDialog(const ImportSummary& summary,
                               QWidget* parent = nullptr);

  // The table as text with a title row, one row a line, columns split by
  // tabs: what "Copy List" puts on the clipboard.
  QString tableText() const;

  QTableWidget* tblUnplaced;
  QPushButton* cmdCopy;

 private:
  QString mTableText;
};

// Asks for the side and probe size, starting from the choices remembered
// for this user, and remembers the new ones; nullopt when cancelled.
std::optional<ImportOptions> askImportOptions(Prompts& prompts, QWidget* parent,
                                              QSettings* settings);

void showImportSummary(Prompts& prompts, QWidget* parent,
                       const ImportSummary& summary);

}  // namespace lw
