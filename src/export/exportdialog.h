#pragma once

// Asks what a wire list should hold before it is exported or printed: the
// current surface or both, only the probes still to be wired or all, and
// for an export the form (CSV or PDF).

#include "wirelist.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace lw {

class ExportDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Purpose { Export, Print };

  // currentTop: the working surface is the top.
  ExportDialog(Purpose purpose, bool currentTop, QWidget* parent = nullptr);

  WireListChoice choice() const;
  WireListFormat format() const;

  QRadioButton* optCurrent = nullptr;
  QRadioButton* optBoth = nullptr;
  QCheckBox* chkUnwired = nullptr;
  QRadioButton* optCsv = nullptr;  // export only
  QRadioButton* optPdf = nullptr;

 private:
  bool mCurrentTop;
};

}  // namespace lw
