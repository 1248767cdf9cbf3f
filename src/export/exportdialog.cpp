#include "exportdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lw {

namespace {

template <typename T>
T* named(T* widget, const char* name) {
  widget->setObjectName(QLatin1StringView(name));
  return widget;
}

QGroupBox* group(const QString& title, std::initializer_list<QWidget*> items) {
  auto* box = new QGroupBox(title);
  auto* layout = new QVBoxLayout(box);
  for (QWidget* item : items) layout->addWidget(item);
  return box;
}

}  // namespace

ExportDialog::ExportDialog(Purpose purpose, bool currentTop, QWidget* parent)
    : QDialog(parent), mCurrentTop(currentTop) {
  const bool exporting = purpose == Purpose::Export;
  setObjectName(exporting ? "frmExportWireList" : "frmPrintWireList");
  setWindowTitle(exporting ? QStringLiteral("Export Wire List")
                           : QStringLiteral("Print Wire List"));
  optCurrent = named(
      new QRadioButton(currentTop ? QStringLiteral("Current surface (Top)")
                                  : QStringLiteral("Current surface (Bottom)")),
      "optCurrent");
  optBoth = named(new QRadioButton(QStringLiteral("Both surfaces")), "optBoth");
  optCurrent->setChecked(true);
  chkUnwired = named(new QCheckBox(QStringLiteral("Only probes not yet wired")),
                     "chkUnwired");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      group(QStringLiteral("Probes"), {optCurrent, optBoth, chkUnwired}));
  if (exporting) {
    optCsv = named(new QRadioButton(QStringLiteral("CSV, for a spreadsheet")),
                   "optCsv");
    optPdf = named(new QRadioButton(QStringLiteral(
                       "PDF, to print: the table and a probe map per surface")),
                   "optPdf");
    optCsv->setChecked(true);
    layout->addWidget(group(QStringLiteral("Form"), {optCsv, optPdf}));
  }
  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)
      ->setText(exporting ? QStringLiteral("Export...")
                          : QStringLiteral("Print..."));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

WireListChoice ExportDialog::choice() const {
  WireListChoice c;
  if (optCurrent->isChecked())
    c.surfaces = mCurrentTop ? WireSurfaces::Top : WireSurfaces::Bottom;
  c.unwiredOnly = chkUnwired->isChecked();
  return c;
}

WireListFormat ExportDialog::format() const {
  return optPdf && optPdf->isChecked() ? WireListFormat::Pdf
                                       : WireListFormat::Csv;
}

}  // namespace lw
