#include "importdialogs.h"

#include "prompts.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lw {
namespace {

const QString kSideKey = QStringLiteral("Import/Probe Side");
const QString kSizeKey = QStringLiteral("Import/Probe Size");
const QString kTitle = QStringLiteral("Import IPC-D-356");

QComboBox* comboOf(const std::initializer_list<std::pair<QString, QString>>&
                       captionsAndTexts) {
  auto* box = new QComboBox;
  for (const auto& [caption, text] : captionsAndTexts)
    box->addItem(caption, text);
  return box;
}

void select(QComboBox* box, const QString& text) {
  const int index = box->findData(text);
  if (index >= 0) box->setCurrentIndex(index);
}

}  // namespace

ImportChoicesDialog::ImportChoicesDialog(QWidget* parent)
    : QDialog(parent),
      cboSide(comboOf({{QStringLiteral("Bottom"), QStringLiteral("bottom")},
                       {QStringLiteral("Top"), QStringLiteral("top")},
                       {QStringLiteral("Both"), QStringLiteral("both")}})),
      cboProbeSize(comboOf(
          {{QStringLiteral("Auto (largest that fits)"), QStringLiteral("auto")},
           {QStringLiteral("100 mil"), QStringLiteral("100")},
           {QStringLiteral("75 mil"), QStringLiteral("75")},
           {QStringLiteral("50 mil"), QStringLiteral("50")},
           {QStringLiteral("39 mil"), QStringLiteral("39")}})) {
  setWindowTitle(kTitle);
  cboSide->setObjectName(QStringLiteral("cboSide"));
  cboProbeSize->setObjectName(QStringLiteral("cboProbeSize"));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Probe side:"), cboSide);
  form->addRow(QStringLiteral("Probe size:"), cboProbeSize);
  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setOptions({});
}

ImportOptions ImportChoicesDialog::options() const {
  ImportOptions o;
  o.side =
      probeSideFromText(cboSide->currentData().toString()).value_or(o.side);
  o.probeSize = probeSizeFromText(cboProbeSize->currentData().toString())
                    .value_or(o.probeSize);
  return o;
}

void ImportChoicesDialog::setOptions(const ImportOptions& options) {
  select(cboSide, probeSideText(options.side));
  select(cboProbeSize, probeSizeText(options.probeSize));
}

ImportOptions ImportChoicesDialog::remembered(const QSettings* settings) {
  ImportOptions o;
  if (!settings) return o;
  o.side =
      probeSideFromText(settings->value(kSideKey).toString()).value_or(o.side);
  o.probeSize = probeSizeFromText(settings->value(kSizeKey).toString())
                    .value_or(o.probeSize);
  return o;
}

void ImportChoicesDialog::remember(QSettings* settings,
                                   const ImportOptions& options) {
  if (!settings) return;
  settings->setValue(kSideKey, probeSideText(options.side));
  settings->setValue(kSizeKey, probeSizeText(options.probeSize));
  settings->sync();
}

ImportSummaryDialog::ImportSummaryDialog(const ImportSummary& summary,
                                         QWidget* parent)
    : QDialog(parent),
      tblUnplaced(
          new QTableWidget(static_cast<int>(summary.unplaced.size()), 2)),
      cmdCopy(new QPushButton(QStringLiteral("Copy List"))),
      mTableText(QStringLiteral("Net\tReason\n") + formatUnplaced(summary)) {
  setWindowTitle(kTitle);
  auto* text = new QPlainTextEdit(formatSummary(summary));
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  tblUnplaced->setObjectName(QStringLiteral("tblUnplaced"));
  tblUnplaced->setHorizontalHeaderLabels(
      {QStringLiteral("Net"), QStringLiteral("Reason")});
  tblUnplaced->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblUnplaced->verticalHeader()->hide();
  tblUnplaced->horizontalHeader()->setStretchLastSection(true);
  int row = 0;
  for (const UnplacedNet& u : summary.unplaced) {
    tblUnplaced->setItem(row, 0, new QTableWidgetItem(u.net));
    tblUnplaced->setItem(row, 1, new QTableWidgetItem(u.reason));
    ++row;
  }
  tblUnplaced->resizeColumnToContents(0);
  cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
  connect(cmdCopy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(mTableText); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  buttons->addButton(cmdCopy, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text, 1);
  const bool any = !summary.unplaced.empty();
  if (any) {
    layout->addWidget(
        new QLabel(QStringLiteral("Nets without a probe (%1):")
                       .arg(static_cast<qsizetype>(summary.unplaced.size()))));
    layout->addWidget(tblUnplaced, 2);
  }
  tblUnplaced->setVisible(any);
  cmdCopy->setVisible(any);
  layout->addWidget(buttons);
  resize(900, any ? 560 : 320);
}

QString ImportSummaryDialog::tableText() const {
  return mTableText;
}

std::optional<ImportOptions> askImportOptions(Prompts& prompts, QWidget* parent,
                                              QSettings* settings) {
  ImportChoicesDialog dialog(parent);
  dialog.setOptions(ImportChoicesDialog::remembered(settings));
  if (prompts.exec(dialog) != QDialog::Accepted) return std::nullopt;
  ImportChoicesDialog::remember(settings, dialog.options());
  return dialog.options();
}

void showImportSummary(Prompts& prompts, QWidget* parent,
                       const ImportSummary& summary) {
  ImportSummaryDialog dialog(summary, parent);
  prompts.exec(dialog);
}

}  // namespace lw
