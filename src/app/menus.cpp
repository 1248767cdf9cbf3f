// The menu bar (every command with its key), the find field and the colour
// legend. The buttons stay where the wiring team knows them; the menus
// reach the same handlers.

#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QUndoStack>

namespace lw {

namespace {

QPixmap swatch(Rgb colour) {
  QPixmap p(12, 12);
  p.fill(QColor(colour.r, colour.g, colour.b));
  QPainter(&p).drawRect(0, 0, 11, 11);  // visible on any background
  return p;
}

}  // namespace

void MainWindow::buildMenus() {
  const auto add = [this](QMenu* menu, const QString& text,
                          const QKeySequence& key, auto run) {
    QAction* action = menu->addAction(text);
    action->setShortcut(key);
    addAction(action);  // the keys work whether or not a menu bar shows
    connect(action, &QAction::triggered, this, run);
    return action;
  };
  // Commands behind a button do what a click does, and only when it could.
  const auto press = [](QAbstractButton* b) {
    return [b] {
      if (b->isEnabled()) b->click();
    };
  };
  using K = QKeySequence;
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  add(file, QStringLiteral("&Load VD File..."), K(Qt::CTRL | Qt::Key_O),
      [this] { cmdLoad_Click(); });
  add(file, QStringLiteral("&Save"), K(Qt::CTRL | Qt::Key_S), [this] {
    if (cmdSave->isEnabled()) saveInPlace();
  });
  add(file, QStringLiteral("Save &As..."), K(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
      [this] {
        if (cmdSave->isEnabled()) cmdSave_Click();
      });
  add(file, QStringLiteral("&Import IPC-D-356..."), K(Qt::CTRL | Qt::Key_I),
      press(cmdImport));
  file->addSeparator();
  addWireListActions(file);
  file->addSeparator();
  add(file, QStringLiteral("&Quit"), K(Qt::CTRL | Qt::Key_Q),
      [this] { close(); });

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  add(view, QStringLiteral("&Top"), K(Qt::CTRL | Qt::Key_T), press(optTop));
  add(view, QStringLiteral("&Bottom"), K(Qt::CTRL | Qt::Key_B), press(optBot));
  add(view, QStringLiteral("&Rotate Board"), K(Qt::CTRL | Qt::Key_R),
      press(cmdRotate));
  view->addSeparator();
  int n = 0;
  for (QCheckBox* box : {chkComponentPins, chkPCBcomps, chkVias, chkFiducials,
                         chkToolingHoles, chkMech})
    add(view, box->text(), K(Qt::CTRL | (Qt::Key_1 + n++)), [box] {
      if (box->isEnabled())
        box->setCheckState(box->checkState() == Qt::Unchecked ? Qt::Checked
                                                              : Qt::Unchecked);
    });
  view->addSeparator();
  add(view, QStringLiteral("Zoom &In"), K(K::ZoomIn),
      [this] { slider->setValue(slider->value() + 1); });
  add(view, QStringLiteral("Zoom &Out"), K(K::ZoomOut),
      [this] { slider->setValue(slider->value() - 1); });

  QMenu* probes = menuBar()->addMenu(QStringLiteral("&Probes"));
  // Space and Backspace are the window's own keys (a foot switch): the
  // menu names them without taking them.
  add(probes, QStringLiteral("Probe &Wired\tSpace"), K(), press(cmdWired));
  add(probes, QStringLiteral("Probe &Not Wired\tBackspace"), K(),
      press(cmdNotWired));
  QAction* undo = mUndo->createUndoAction(this, QStringLiteral("&Undo"));
  undo->setShortcut(K::Undo);
  QAction* redo = mUndo->createRedoAction(this, QStringLiteral("&Redo"));
  redo->setShortcuts(
      {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), K(Qt::CTRL | Qt::Key_Y)});
  probes->addActions({undo, redo});
  addActions({undo, redo});
  probes->addSeparator();
  add(probes, QStringLiteral("&Find..."), K(Qt::CTRL | Qt::Key_F),
      [this] { cmdFind(); });
  add(probes, QStringLiteral("Filter / Sort Probes &Rules..."),
      K(Qt::CTRL | Qt::SHIFT | Qt::Key_L), press(cmdFilterProbes));
  add(probes, QStringLiteral("R&ename Probes..."),
      K(Qt::CTRL | Qt::SHIFT | Qt::Key_R), press(cmdRenameProbes));
}

QWidget* MainWindow::buildFindBar() {
  txtFind = new QLineEdit;
  txtFind->setObjectName("txtFind");
  txtFind->setPlaceholderText(
      QStringLiteral("Find probe, designator (U12, U12-3) or net: Ctrl+F"));
  txtFind->setClearButtonEnabled(true);
  txtFind->installEventFilter(this);  // Escape hands the keyboard back
  connect(txtFind, &QLineEdit::returnPressed, this, &MainWindow::goToFound);
  return txtFind;
}

QWidget* MainWindow::buildLegend() {
  auto* legend = new QWidget;
  auto* layout = new QHBoxLayout(legend);
  layout->setContentsMargins(0, 0, 0, 0);
  const std::pair<Rgb, const char*> keys[] = {{kCurrentColour, "Current"},
                                              {kWiredColour, "Wired"},
                                              {kNotWiredColour, "Not wired"}};
  for (const auto& [colour, text] : keys) {
    auto* mark = new QLabel;
    mark->setPixmap(swatch(colour));
    layout->addWidget(mark);
    layout->addWidget(new QLabel(QString::fromLatin1(text)));
  }
  layout->addStretch(1);
  return legend;
}

void MainWindow::cmdFind() {
  txtFind->setFocus(Qt::ShortcutFocusReason);
  txtFind->selectAll();
}

void MainWindow::goToFound() {
  GridModel& grid = probeGrid();
  const int row = findProbeRow(grid, txtFind->text(), grid.currentRow());
  if (row < 1) {
    statusBar()->showMessage(
        QStringLiteral("No probe, designator or net \"%1\" on this surface.")
            .arg(txtFind->text().trimmed()));
    return;
  }
  statusBar()->clearMessage();
  grid.setCurrentRow(row);
  fgProbes->showCell(row, 0);
}

}  // namespace lw
