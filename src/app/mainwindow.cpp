#include "mainwindow.h"

#include "boardpicture.h"
#include "boardview.h"
#include "busywindow.h"
#include "gridview.h"
#include "probetable.h"
#include "prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QSplitter>
#include <QUndoStack>
#include <QVBoxLayout>

namespace lw {

namespace {

// A foot switch sends one key; these are easy to program into one and do
// nothing else in the window.
const QKeySequence kWiredKey(Qt::Key_Space);
const QKeySequence kNotWiredKey(Qt::Key_Backspace);

template <typename T>
T* named(T* widget, const char* name) {
  widget->setObjectName(QLatin1StringView(name));
  return widget;
}

}  // namespace

MainWindow::MainWindow(const MainWindowSetup& setup, QWidget* parent)
    : QMainWindow(parent),
      mPrompts(setup.prompts),
      mSettings(setup.settings),
      mSetup(setup) {
  setObjectName("frmMain");
  setWindowTitle(QStringLiteral("Loomwright"));
  mUndo = new QUndoStack(this);
  buildControls();
  buildMenus();
  connectSignals();
  frmBusy = new BusyWindow(this);
}

MainWindow::~MainWindow() {
  // The stack says it is clean again as it goes, after this window is gone.
  mUndo->disconnect(this);
}

void MainWindow::buildControls() {
  fgProbes = named(new GridView, "fgProbes");
  fgProbes->setSearchColumn(probe_grid::kProbe);  // digits go to a probe
  mPicture = new BoardPicture(this);
  VDEditor = named(new BoardView, "VDEditor");
  VDProbeView = named(new BoardView, "VDProbeView");
  VDEditor->setPicture(mPicture);
  VDProbeView->setPicture(mPicture);
  VDEditor->setMinimumSize(320, 240);
  VDProbeView->setMinimumSize(200, 200);

  // Proportions survive resizing: the splitters share the extra space.
  auto* views = new QSplitter(Qt::Vertical);
  views->addWidget(VDEditor);
  auto* lower = new QWidget;
  auto* lowerLayout = new QHBoxLayout(lower);
  lowerLayout->setContentsMargins(0, 0, 0, 0);
  lowerLayout->addWidget(VDProbeView, 1);
  lowerLayout->addWidget(buildControlPanel(), 0);
  views->addWidget(lower);
  views->setStretchFactor(0, 3);
  views->setStretchFactor(1, 2);

  auto* probes = new QWidget;
  auto* probesLayout = new QVBoxLayout(probes);
  probesLayout->setContentsMargins(0, 0, 0, 0);
  probesLayout->addWidget(buildFindBar());
  probesLayout->addWidget(fgProbes, 1);
  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(probes);
  split->addWidget(views);
  split->setStretchFactor(0, 4);
  split->setStretchFactor(1, 5);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(buildCommandRow());
  layout->addWidget(split, 1);
  setCentralWidget(central);
  resize(1400, 900);
}

QWidget* MainWindow::buildCommandRow() {
  cmdLoad = named(new QPushButton(QStringLiteral("Load VD File")), "cmdLoad");
  cmdSave = named(new QPushButton(QStringLiteral("Save VD File")), "cmdSave");
  cmdImport = named(new QPushButton(QStringLiteral("Import IPC-D-356...")),
                    "cmdImport");
  cmdFilterProbes =
      named(new QPushButton(QStringLiteral("Filter / Sort Probes Rules")),
            "cmdFilterProbes");
  cmdRenameProbes = named(new QPushButton(QStringLiteral("Rename Probes")),
                          "cmdRenameProbes");
  cmdWired = named(new QPushButton(QStringLiteral("Probe Wired")), "cmdWired");
  cmdNotWired =
      named(new QPushButton(QStringLiteral("Probe Not Wired")), "cmdNotWired");
  cmdRotate =
      named(new QPushButton(QStringLiteral("Rotate Board (0)")), "cmdRotate");
  cmdWired->setToolTip(
      tr("Mark the current probe wired and go to the next one (key: Space)"));
  cmdNotWired->setToolTip(
      tr("Clear the wired mark of the current probe (key: Backspace)"));
  // Buttons never take the focus: the grid keeps it for the next key press.
  for (QPushButton* b : {cmdLoad, cmdSave, cmdImport, cmdFilterProbes,
                         cmdRenameProbes, cmdWired, cmdNotWired, cmdRotate})
    b->setFocusPolicy(Qt::NoFocus);

  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* b :
       {cmdLoad, cmdSave, cmdImport, cmdFilterProbes, cmdRenameProbes})
    layout->addWidget(b);
  layout->addStretch(1);
  for (QPushButton* b : {cmdWired, cmdNotWired, cmdRotate})
    layout->addWidget(b);
  return row;
}

QWidget* MainWindow::buildControlPanel() {
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* surface = new QGroupBox(QStringLiteral("Working Surface"));
  optTop = named(new QRadioButton(QStringLiteral("Top")), "optTop");
  optBot = named(new QRadioButton(QStringLiteral("Bottom")), "optBot");
  auto* surfaceLayout = new QHBoxLayout(surface);
  surfaceLayout->addWidget(optTop);
  surfaceLayout->addWidget(optBot);
  optTop->setChecked(true);
  for (QRadioButton* option : {optTop, optBot})
    option->setFocusPolicy(Qt::NoFocus);  // Space stays "Probe Wired"
  layout->addWidget(surface);

  chkComponentPins = named(new QCheckBox(QStringLiteral("Component Pins")),
                           "chkComponentPins");
  chkPCBcomps =
      named(new QCheckBox(QStringLiteral("PCB Components")), "chkPCBcomps");
  chkVias = named(new QCheckBox(QStringLiteral("Vias")), "chkVias");
  chkFiducials =
      named(new QCheckBox(QStringLiteral("Fiducials")), "chkFiducials");
  chkToolingHoles =
      named(new QCheckBox(QStringLiteral("Tooling Holes")), "chkToolingHoles");
  chkMech =
      named(new QCheckBox(QStringLiteral("Mechanical Components")), "chkMech");
  for (QCheckBox* c : {chkComponentPins, chkPCBcomps, chkVias, chkFiducials,
                       chkToolingHoles, chkMech}) {
    c->setChecked(true);
    c->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(c);
  }

  layout->addLayout(buildZoomControls());
  layout->addLayout(buildCounters());
  pbWired = named(new QProgressBar, "pbWired");
  pbWired->setRange(0, 1);
  pbWired->setValue(0);
  layout->addWidget(pbWired);
  layout->addStretch(1);
  return panel;
}

QGridLayout* MainWindow::buildZoomControls() {
  slider = named(new QSlider(Qt::Horizontal), "slider");
  slider->setRange(1, 10);
  slider->setPageStep(1);
  slider->setValue(5);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setToolTip(QStringLiteral("Probe Zoom Scale"));
  slider->setFocusPolicy(Qt::NoFocus);
  auto* zoom = new QGridLayout;
  zoom->addWidget(new QLabel(QStringLiteral("Zoom Level")), 0, 0, 1, 3);
  zoom->addWidget(new QLabel(QStringLiteral("1")), 1, 0);
  zoom->addWidget(slider, 1, 1);
  zoom->addWidget(new QLabel(QStringLiteral("10")), 1, 2);
  return zoom;
}

QGridLayout* MainWindow::buildCounters() {
  lblTopProbeCount = named(new QLabel(QStringLiteral("0")), "lblTopProbeCount");
  lblTopWired = named(new QLabel(QStringLiteral("0")), "lblTopWired");
  lblBotProbeCount = named(new QLabel(QStringLiteral("0")), "lblBotProbeCount");
  lblBotWired = named(new QLabel(QStringLiteral("0")), "lblBotWired");
  auto* counters = new QGridLayout;
  counters->addWidget(new QLabel(QStringLiteral("Probes:")), 0, 1);
  counters->addWidget(new QLabel(QStringLiteral("Wired:")), 0, 2);
  counters->addWidget(new QLabel(QStringLiteral("Top")), 1, 0);
  counters->addWidget(lblTopProbeCount, 1, 1);
  counters->addWidget(lblTopWired, 1, 2);
  counters->addWidget(new QLabel(QStringLiteral("Bottom")), 2, 0);
  counters->addWidget(lblBotProbeCount, 2, 1);
  counters->addWidget(lblBotWired, 2, 2);
  lblTotal = named(new QLabel, "lblTotal");
  counters->addWidget(lblTotal, 3, 0, 1, 3);
  counters->addWidget(buildLegend(), 4, 0, 1, 3);
  return counters;
}

void MainWindow::connectSignals() {
  connect(cmdLoad, &QPushButton::clicked, this, &MainWindow::cmdLoad_Click);
  connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
  connect(cmdImport, &QPushButton::clicked, this, &MainWindow::cmdImport_Click);
  connect(cmdFilterProbes, &QPushButton::clicked, this,
          &MainWindow::cmdFilterProbes_Click);
  connect(cmdRenameProbes, &QPushButton::clicked, this,
          &MainWindow::cmdRenameProbes_Click);
  connect(cmdWired, &QPushButton::clicked, this, &MainWindow::cmdWired_Click);
  connect(cmdNotWired, &QPushButton::clicked, this,
          &MainWindow::cmdNotWired_Click);
  connect(cmdRotate, &QPushButton::clicked, this, &MainWindow::cmdRotate_Click);

  // The keys work wherever the focus is; the grid would otherwise take
  // Space for itself, so it hands them over first.
  auto* wiredKey = new QShortcut(kWiredKey, this);
  connect(wiredKey, &QShortcut::activated, this,
          [this] { handleWiringKey(Qt::Key_Space); });
  auto* notWiredKey = new QShortcut(kNotWiredKey, this);
  connect(notWiredKey, &QShortcut::activated, this,
          [this] { handleWiringKey(Qt::Key_Backspace); });
  fgProbes->installEventFilter(this);
  connect(mUndo, &QUndoStack::cleanChanged, this, &MainWindow::updateModified);

  connect(optTop, &QRadioButton::toggled, this, [this](bool on) {
    if (on) switchSurface(QStringLiteral("T"));
  });
  connect(optBot, &QRadioButton::toggled, this, [this](bool on) {
    if (on) switchSurface(QStringLiteral("B"));
  });
  for (QCheckBox* box : {chkComponentPins, chkPCBcomps, chkVias, chkFiducials,
                         chkToolingHoles, chkMech})
    connect(box, &QCheckBox::stateChanged, this,
            [this, box] { onClassBoxChanged(box); });
  connect(slider, &QSlider::valueChanged, this, &MainWindow::onSliderMoved);
  // Settings changed while there is unsaved work go into the journal with
  // it; alone they change no document, so they wait for the next mark.
  const auto journalView = [this] {
    if (mState.documentModified) journalSettings();
  };
  for (QRadioButton* surface : {optTop, optBot})
    connect(surface, &QRadioButton::toggled, this, journalView);
  for (QCheckBox* box : {chkComponentPins, chkPCBcomps, chkVias, chkFiducials,
                         chkToolingHoles, chkMech})
    connect(box, &QCheckBox::stateChanged, this, journalView);
  connect(slider, &QSlider::valueChanged, this, journalView);

  GridModel* grid = fgProbes->grid();
  connect(grid, &GridModel::beforeMove, this,
          [this](int oldRow, int, int, int, bool*) { onBeforeMove(oldRow); });
  connect(grid, &GridModel::selectionChanged, this,
          &MainWindow::showCurrentProbe);
  connect(fgProbes, &GridView::beforeSort, this, &MainWindow::onBeforeSort);
  connect(fgProbes, &GridView::afterSort, this, &MainWindow::onAfterSort);

  connect(VDEditor, &BoardView::entityPicked, this,
          [this](const QString& name) { onEntityPicked(VDEditor, name); });
  connect(VDProbeView, &BoardView::entityPicked, this,
          [this](const QString& name) { onEntityPicked(VDProbeView, name); });
  connect(VDEditor, &BoardView::recentreRequested, this,
          &MainWindow::onRecentreRequest);
}

bool MainWindow::handleWiringKey(int key) {
  QPushButton* button = key == Qt::Key_Space       ? cmdWired
                        : key == Qt::Key_Backspace ? cmdNotWired
                                                   : nullptr;
  if (!button) return false;
  if (button->isEnabled()) button->click();
  return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress)
    return QMainWindow::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (watched == fgProbes && key->modifiers() == Qt::NoModifier &&
      handleWiringKey(key->key()))
    return true;
  if (watched == txtFind && key->key() == Qt::Key_Escape) {
    keepGridFocus();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::start() {
  updateTitle();
  slider->setToolTip(
      QStringLiteral("Probe Zoom Scale: %1").arg(slider->value()));

  // A stored level that is not a whole number 1..10 falls back to 5.
  bool ok = false;
  int level = mSettings ? mSettings->value("Probe Zoom/Scale", "5")
                              .toString()
                              .trimmed()
                              .toInt(&ok)
                        : 5;
  if (!ok || level < slider->minimum() || level > slider->maximum()) level = 5;
  slider->setValue(level);
  onSliderMoved();  // also when the value did not change

  mRegional = initRegionalFormat(QLocale());
  // Nothing is loaded yet: the document commands wait for a document.
  setControlsEnabled(false);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!askToSaveChanges(Leaving::Closing)) {
    event->ignore();
    return;
  }
  if (mSettings) {
    mSettings->setValue("Probe Zoom/Scale", QString::number(slider->value()));
    mSettings->sync();
  }
  event->accept();
}

QString MainWindow::getVersion() {
  return QStringLiteral(LW_VERSION);
}

void MainWindow::setBusyPointer(bool busy) {
  const bool overridden = QApplication::overrideCursor() != nullptr;
  if (busy && !overridden)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else if (!busy)
    while (QApplication::overrideCursor())
      QApplication::restoreOverrideCursor();
}

GridModel& MainWindow::probeGrid() {
  return *fgProbes->grid();
}

void MainWindow::updateTitle() {
  QString title = appTitle() + QStringLiteral(" v") + getVersion();
  // Qt shows "*" at the placeholder while the window is modified.
  if (!mDocumentPath.isEmpty())
    title += QStringLiteral(" - ") + mDocumentPath + QStringLiteral("[*]");
  if (mReadOnly) title += QStringLiteral(" (read-only)");
  setWindowTitle(title);
  setWindowModified(mState.documentModified && !mDocumentPath.isEmpty());
}

}  // namespace lw
