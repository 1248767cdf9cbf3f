#include "rulesdialog.h"

#include "error.h"
#include "gridview.h"
#include "probegridhost.h"
#include "probesort.h"
#include "probetable.h"
#include "prompts.h"
#include "rulesgrid.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace lw {

namespace {

const QString kTitle = QStringLiteral("Loomwright");
const QString kOne = QStringLiteral("1");

template <class W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QLatin1StringView(name));
  return widget;
}

}  // namespace

RulesDialog::RulesDialog(ProbeGridHost& host, RulesFileLocations files,
                         QWidget* parent)
    : QDialog(parent), mHost(host), mFiles(std::move(files)) {
  setObjectName(QStringLiteral("frmFilterProbes"));
  setWindowTitle(QStringLiteral("Visible Columns and Probe Sortting Order"));
  buildControls();
  Form_Load();
}

void RulesDialog::buildControls() {
  fgDisplay = named(new GridView, "fgDisplay");
  // Row i stands for probe grid column i-1: the order must not change.
  fgDisplay->setUserSortable(false);
  fgDisplay->horizontalHeader()->setStretchLastSection(true);
  lstSortOrder = named(new QListWidget, "lstSortOrder");
  lstSortOrder->setSelectionMode(QAbstractItemView::SingleSelection);
  cmdUp = named(new QPushButton(QStringLiteral("Move Up")), "cmdUp");
  cmdDown = named(new QPushButton(QStringLiteral("Move Down")), "cmdDown");
  cmdApply =
      named(new QPushButton(QStringLiteral("Sort Probe Grid")), "cmdApply");
  cmdLoad = named(new QPushButton(QStringLiteral("Load Rules")), "cmdLoad");
  cmdSave = named(new QPushButton(QStringLiteral("Save Rules")), "cmdSave");
  // Enter in the list or the grid must not press a button by surprise.
  for (QPushButton* b : {cmdUp, cmdDown, cmdApply, cmdLoad, cmdSave})
    b->setAutoDefault(false);

  auto* label = new QLabel(QStringLiteral("Column Sort Priority"));
  label->setBuddy(lstSortOrder);
  auto* moves = new QHBoxLayout;
  moves->addWidget(cmdUp);
  moves->addWidget(cmdDown);
  auto* side = new QVBoxLayout;
  side->addWidget(label);
  side->addWidget(lstSortOrder, 1);
  side->addLayout(moves);
  side->addSpacing(12);
  for (QPushButton* b : {cmdApply, cmdLoad, cmdSave}) side->addWidget(b);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(fgDisplay, 3);
  layout->addLayout(side, 2);
  resize(640, 480);

  connect(fgDisplay, &GridView::cellClicked, this,
          &RulesDialog::fgDisplay_Click);
  connect(lstSortOrder, &QListWidget::itemSelectionChanged, this,
          &RulesDialog::updateMoveButtons);
  connect(lstSortOrder, &QListWidget::itemClicked, this,
          &RulesDialog::updateMoveButtons);
  connect(cmdUp, &QPushButton::clicked, this, &RulesDialog::cmdUp_Click);
  connect(cmdDown, &QPushButton::clicked, this, &RulesDialog::cmdDown_Click);
  connect(cmdApply, &QPushButton::clicked, this, &RulesDialog::cmdApply_Click);
  connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
  connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
}

void RulesDialog::Form_Load() {
  buildRulesGrid(*fgDisplay->grid(), mHost.probeGrid());
  fgDisplay->autoSize(rules_grid::kVisible, rules_grid::kSortKey,
                      twipsToPixels(200, *this));
  cmdUp->setEnabled(false);
  cmdDown->setEnabled(false);
  cmdLoad->setEnabled(mFiles.available());
}

bool RulesDialog::applyRulesFile(ProbeGridHost& host,
                                 const RulesFileLocations& files,
                                 QWidget* parent) {
  if (!files.available()) return false;
  RulesDialog dialog(host, files, parent);
  dialog.show();
  dialog.repaint();
  QString error;
  const bool applied = dialog.loadRules(&error);
  dialog.close();
  if (!applied)
    host.prompts().message(parent, kTitle, error, Prompts::Icon::Stop,
                           Prompts::Buttons::Ok);
  return applied;
}

void RulesDialog::fgDisplay_Click(int row, int column) {
  using namespace rules_grid;
  GridModel& rules = *fgDisplay->grid();
  if (row < 1 || row >= rules.rows()) return;
  if (column == kVisible) {
    const QString visible = toggledFlag(rules.text(row, kVisible));
    rules.setText(row, kVisible, visible);
    mHost.probeGrid().setColumnHidden(row - 1, visible != kOne);
  } else if (column == kSortKey) {
    const QString sortKey = toggledFlag(rules.text(row, kSortKey));
    rules.setText(row, kSortKey, sortKey);
    const QString& name = rules.text(row, kColumn);
    if (sortKey == kOne) {
      lstSortOrder->addItem(name);
    } else {
      for (int i = 0; i < lstSortOrder->count(); ++i) {
        if (lstSortOrder->item(i)->text() == name) {
          delete lstSortOrder->takeItem(i);
          break;
        }
      }
    }
    updateMoveButtons();
  }
}

int RulesDialog::firstSelected() const {
  for (int i = 0; i < lstSortOrder->count(); ++i)
    if (lstSortOrder->item(i)->isSelected()) return i;
  return -1;
}

void RulesDialog::updateMoveButtons() {
  const auto states = moveButtonStates(lstSortOrder->count(), firstSelected());
  if (!states) return;
  cmdUp->setEnabled(states->up);
  cmdDown->setEnabled(states->down);
}

void RulesDialog::moveSelected(int step) {
  const int from = firstSelected();
  const int to = moveTarget(lstSortOrder->count(), from, step);
  if (to < 0) return;
  QListWidgetItem* item = lstSortOrder->takeItem(from);
  lstSortOrder->insertItem(to, item);
  lstSortOrder->setCurrentItem(item);
  updateMoveButtons();
}

QStringList RulesDialog::sortOrder() const {
  QStringList order;
  for (int i = 0; i < lstSortOrder->count(); ++i)
    order.append(lstSortOrder->item(i)->text());
  return order;
}

void RulesDialog::cmdApply_Click() {
  mHost.setBusyPointer(true);
  GridModel& grid = mHost.probeGrid();
  // One repaint however many passes run.
  grid.setRedraw(Redraw::Off);
  sortProbeGrid(grid, sortOrder());
  mHost.recolourAndReselect();
  grid.setRedraw(Redraw::On);
  mHost.probeGridView().refresh();
  mHost.setBusyPointer(false);
}

bool RulesDialog::loadRules(QString* error) {
  RulesRead read;
  try {
    read = readRules(mFiles);
  } catch (const Error& e) {
    *error = e.message();
    return false;
  }
  lstSortOrder->clear();
  lstSortOrder->addItems(read.rules.sortOrder);
  applyColumnRules(*fgDisplay->grid(), read.rules.columns);
  applyVisibility(*fgDisplay->grid(), mHost.probeGrid());
  fgDisplay->viewport()->repaint();
  cmdApply_Click();
  tellWhatWasPassedOver(read);
  return true;
}

void RulesDialog::tellWhatWasPassedOver(const RulesRead& read) {
  QStringList told;
  if (!read.userProblem.isEmpty())
    told << read.userProblem +
                QStringLiteral(
                    " The rules shipped with Loomwright are used "
                    "instead.");
  if (const auto count = read.rules.ignored.size(); count > 0) {
    constexpr qsizetype kShown = 10;
    QString lines = QStringLiteral("These lines of \"%1\" were ignored:\n")
                        .arg(QDir::toNativeSeparators(read.path)) +
                    read.rules.ignored.mid(0, kShown).join(u'\n');
    if (count > kShown)
      lines += QStringLiteral("\n... and %1 more").arg(count - kShown);
    told << lines;
  }
  if (!told.isEmpty())
    mHost.prompts().message(this, kTitle, told.join(QStringLiteral("\n\n")),
                            Prompts::Icon::Warning, Prompts::Buttons::Ok);
}

bool RulesDialog::cmdLoad_Click() {
  QString error;
  if (loadRules(&error)) return true;
  cmdLoad->setEnabled(mFiles.available());
  mHost.prompts().message(this, kTitle, error, Prompts::Icon::Stop,
                          Prompts::Buttons::Ok);
  return false;
}

bool RulesDialog::cmdSave_Click() {
  const Rules rules{columnRules(*fgDisplay->grid()), sortOrder(), {}};
  QStringList leftOut;
  try {
    leftOut = writeRulesFile(mFiles.user, rules, QDate::currentDate());
  } catch (const Error& e) {
    mHost.prompts().message(this, kTitle, e.message(), Prompts::Icon::Stop,
                            Prompts::Buttons::Ok);
    return false;
  }
  // The file exists now, so it can be loaded back.
  cmdLoad->setEnabled(mFiles.available());
  if (!leftOut.isEmpty())
    mHost.prompts().message(
        this, kTitle,
        QStringLiteral("The rules file was saved without these column names, "
                       "which it cannot hold:\n\n") +
            leftOut.join(u'\n'),
        Prompts::Icon::Information, Prompts::Buttons::Ok);
  return true;
}

}  // namespace lw
