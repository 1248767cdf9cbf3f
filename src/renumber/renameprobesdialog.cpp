#include "renameprobesdialog.h"

#include "error.h"
#include "gridview.h"
#include "probegridhost.h"
#include "prompts.h"
#include "renamegrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace lw {

namespace {

const QString kDefaultTitle = QStringLiteral("Loomwright");
const QString kFileFilter = QStringLiteral("VELDRA VD File (*.vd *.vdz)");
const QString kConfirmation = QStringLiteral(
    "You are about to rename all of the probes to their new names.\n\n"
    "You will be prompted for the name of the VD or VDZ file to be "
    "created.\n\n"
    "Would you like to continue?");
const QString kWrongExtension = QStringLiteral(
    "The specified file does not have a recognized extension.\n\n"
    "The only valid extentions are .VD or .VDZ\n\n"
    "No file will be saved.");

}  // namespace

RenameProbesDialog::RenameProbesDialog(ProbeGridHost& host, QWidget* parent)
    : QDialog(parent), mHost(host) {
  setObjectName(QStringLiteral("frmRenameProbes"));
  setWindowTitle(QStringLiteral("Rename Probes"));

  fgProbNames = new GridView;
  fgProbNames->setObjectName(QStringLiteral("fgProbNames"));
  fgProbNames->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft |
                                                       Qt::AlignVCenter);
  cmdAccept = new QPushButton(QStringLiteral("Accept New Probe Names"));
  cmdAccept->setObjectName(QStringLiteral("cmdAccept"));
  cmdCancel = new QPushButton(QStringLiteral("Cancel"));
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  // Enter in the grid must not start a renumbering.
  cmdAccept->setAutoDefault(false);
  cmdCancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdAccept);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fgProbNames);
  layout->addLayout(buttons);
  resize(560, 480);

  connect(cmdAccept, &QPushButton::clicked, this,
          &RenameProbesDialog::cmdAccept_Click);
  connect(cmdCancel, &QPushButton::clicked, this,
          &RenameProbesDialog::cmdCancel_Click);
  connect(fgProbNames, &GridView::afterSort, this,
          &RenameProbesDialog::fgProbNames_AfterSort);

  Form_Load();
}

void RenameProbesDialog::Form_Load() {
  GridModel& grid = *fgProbNames->grid();
  grid.setRedraw(Redraw::Off);
  buildRenameGrid(grid, mHost.probeGrid());
  proposeProbeNumbers(grid);
  sortByProposal(grid);
  fgProbNames->autoSize(0, rename_grid::kColumns - 1,
                        twipsToPixels(200, *fgProbNames));
  grid.setRedraw(Redraw::On);
  countDuplicateProposals();
}

void RenameProbesDialog::countDuplicateProposals() {
  const GridModel& grid = *fgProbNames->grid();
  const int count = lw::countDuplicateProposals(grid);
  if (count > 0)
    mHost.prompts().message(this, kDefaultTitle,
                            duplicateProposalsMessage(count),
                            Prompts::Icon::None, Prompts::Buttons::Ok);
  // Without probes there is nothing to rename.
  cmdAccept->setEnabled(count == 0 && grid.rows() > 1);
}

void RenameProbesDialog::fgProbNames_AfterSort(int column) {
  GridModel& grid = *fgProbNames->grid();
  if (grid.text(0, column) != QLatin1StringView("Target RefDes")) return;
  grid.setRedraw(Redraw::Off);
  sortByTargetReference(grid);
  grid.setRedraw(Redraw::On);
}

void RenameProbesDialog::cmdAccept_Click() {
  Prompts& prompts = mHost.prompts();
  if (prompts.message(this, kDefaultTitle, kConfirmation, Prompts::Icon::None,
                      Prompts::Buttons::YesNo) != Prompts::Answer::Yes)
    return;
  // The document is renamed only once a file can take the result.
  const QString fileName = prompts.saveFileName(this, kFileFilter, {});
  if (fileName.isEmpty()) return;
  const std::optional<Compression> compression = compressionForName(fileName);
  if (!compression) {
    prompts.message(this, kDefaultTitle, kWrongExtension,
                    Prompts::Icon::Information, Prompts::Buttons::Ok);
    return;
  }
  if (!confirmReplace(prompts, this, fileName)) return;
  mHost.setBusyPointer(true);  // large boards take seconds to write
  try {
    writeRenumberedDocument(mHost.boardDocument(),
                            probeRenames(*fgProbNames->grid()), fileName,
                            *compression);
  } catch (const Error& e) {
    mHost.setBusyPointer(false);
    prompts.message(this, kDefaultTitle, e.message(), Prompts::Icon::Stop,
                    Prompts::Buttons::Ok);
    return;
  }
  mHost.setBusyPointer(false);
  hide();
  mHost.loadFile(fileName);
  accept();
}

}  // namespace lw
