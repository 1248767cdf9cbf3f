// The main window wires the rooms below it to its controls: loading, the
// wiring walk, surfaces, rotation, picking and the visibility boxes. The
// rules themselves are tested in their own rooms; these check the wiring.

#include "appboards.h"
#include "appfixture.h"
#include "boardgenerator.h"
#include "boardpicture.h"
#include "boardview.h"
#include "busywindow.h"
#include "gridclicks.h"
#include "gridtexts.h"
#include "importdialogs.h"
#include "probeboard.h"
#include "qtestmain.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <utility>

using namespace lw;
using namespace lw::test;

namespace {

const QString kTitle = QStringLiteral("Fixture Loomwright v1.3");

// How often the file at path is opened while work runs.
int opensDuring(const QString& path, const std::function<void()>& work) {
  const int fd = inotify_init1(IN_NONBLOCK);
  inotify_add_watch(fd, QFile::encodeName(path).constData(), IN_OPEN);
  work();
  int opens = 0;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
    for (char* p = buffer; p < buffer + n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      opens += (event->mask & IN_OPEN) != 0;
      p += sizeof(inotify_event) + event->len;
    }
  close(fd);
  return opens;
}

// Counts the paint events of the widget it watches.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
};

QPointF centreOf(BoardView* view) {
  return view->viewPointAt(QPointF(view->width() / 2.0, view->height() / 2.0));
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<AppFixture> f;
  MainWindow* w = nullptr;
  GridModel* grid = nullptr;

  void load(const Board& board, const QString& name = "board.vd") {
    f = std::make_unique<AppFixture>();
    w = &f->open();
    w->show();
    w->loadFile(f->write(board, name));
    grid = &f->grid();
  }

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }
  void cleanup() { f.reset(); }

  void loadReadsTheFileOnceIntoBothViews() {
    f = std::make_unique<AppFixture>();
    w = &f->open();
    QCOMPARE(shownTitle(*w), kTitle);
    QVERIFY(!w->cmdWired->isEnabled());
    const QString path = f->write(smallBoard(), "small board.vd");
    QCOMPARE(opensDuring(path, [&] { w->loadFile(path); }), 1);
    QVERIFY2(f->prompts.messages.isEmpty(), qPrintable(f->prompts.lastText()));
    QCOMPARE(shownTitle(*w), kTitle + " - " + path);
    QCOMPARE(f->grid().rows(), 6);  // the unplaced probe is left out
    QCOMPARE(w->lblTopProbeCount->text(), QString("3"));
    QCOMPARE(w->lblBotProbeCount->text(), QString("2"));
    QVERIFY(w->optTop->isChecked() && w->optBot->isEnabled());
    QCOMPARE(f->grid().currentRow(), f->rowOf("1"));
    QVERIFY(f->grid().isRowHidden(f->rowOf("2")));
    QCOMPARE(w->picture().board().entities.size(),
             smallBoard().entities.size());
  }

  void regionalNumbersInTheGrid() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    load(smallBoard(), "board.vdz");
    QCOMPARE(grid->text(f->rowOf("2"), probe_grid::kX), QString("-1,5"));
    // The probe view still follows the probe: positions come from the model.
    grid->setCurrentRow(f->rowOf("2"));
    const QPointF c = centreOf(w->VDProbeView);
    QVERIFY(std::abs(c.x() - -1.5) < 0.2 && std::abs(c.y() - 2.25) < 0.2);
  }

  void loadFailuresAreReportedAndKeepTheOpenBoard_data() {
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("message");
    QTest::newRow("no probes")
        << "probes"
        << "The file being loaded does not contain any probes.";
    QTest::newRow("no access points")
        << "access"
        << "The file being loaded does not contain any access points.";
    QTest::newRow("corrupt") << "corrupt"
                             << "corrupt.vd\": not valid JSON";
    QTest::newRow("named pipe") << "pipe"
                                << "fifo.vd\": it is a named pipe.";
    QTest::newRow("netlist") << "netlist"
                             << "netlist.vd is not a Loomwright board "
                                "document.\n\nIt looks like an IPC-D-356 "
                                "netlist: \"Import IPC-D-356...\" reads it";
  }
  // A file that cannot be worked leaves the open board as it was.
  void loadFailuresAreReportedAndKeepTheOpenBoard() {
    QFETCH(QString, problem);
    QFETCH(QString, message);
    load(smallBoard());
    const QString open = f->path("board.vd");
    w->cmdWired_Click();  // unsaved work on the open board
    Board b = smallBoard(problem != "access");
    if (problem == "probes")
      std::erase_if(b.entities, [](const Entity& e) {
        return e.kind == EntityKind::Probe;
      });
    QString path = f->write(b, problem + ".vd");
    if (problem == "corrupt")
      path = f->write("corrupt.vd", QByteArray("{\"format\": \"loomwright"));
    if (problem == "netlist")
      path =
          f->write("netlist.vd", QByteArray("C  IPC-D-356\r\nP  UNITS 0\r\n"));
    if (problem == "pipe")  // never written
      mkfifo(QFile::encodeName(path = f->path("fifo.vd")).constData(), 0600);
    f->prompts.messages.clear();
    w->loadFile(path);
    QCOMPARE(f->prompts.messages.size(), 1);
    QVERIFY2(f->prompts.lastText().contains(message),
             qPrintable(f->prompts.lastText()));
    QCOMPARE(f->prompts.messages.last().icon, problem == "netlist"
                                                  ? Prompts::Icon::Warning
                                                  : Prompts::Icon::Information);
    QCOMPARE(grid->rows(), 6);
    QCOMPARE(grid->text(f->rowOf("1"), 0), QString("1"));
    QVERIFY(w->cmdWired->isEnabled());
    QCOMPARE(shownTitle(*w), kTitle + " - " + open + "*");
    QCOMPARE(w->picture().board().entities.size(),
             smallBoard().entities.size());
  }

  void pcbFileCheckMessages() {
    Board two = smallBoard();
    two.files.push_back({2, "second.pcb", true, true, 9, 0});
    for (Entity& e : two.entities) e.file = 2;  // the second holds the board
    load(two);
    QCOMPARE(f->prompts.lastText(),
             QString("The currently loaded VD files contains 2 PCB files "
                     "visible.\n\nUsing VELDRA turn off all but one (1) PCB "
                     "file then reload it."));
    QCOMPARE(f->prompts.messages[0].title, QString("Fixture Loomwright"));
    QCOMPARE(grid->rows(), 6);  // the load went on with the second

    Board none = smallBoard();
    none.files[0].visible = false;
    f->prompts.messages.clear();
    w->loadFile(f->write(none, "hidden.vd"));
    QCOMPARE(f->prompts.messages.first().text,
             QString("No PCB Data Found in the Active VELDRA Document"));
    QCOMPARE(w->documentPath(), f->path("board.vd"));  // nothing replaced
  }

  void loadsTheBundledDemoAndABottomOnlyBoard() {
    load(smallBoard());
    w->loadFile(QString(LW_SOURCE_ROOT) + "/examples/demo.vdz");
    QVERIFY2(f->prompts.messages.isEmpty(), qPrintable(f->prompts.lastText()));
    QVERIFY(w->lblTopProbeCount->text().toInt() > 0);
    QVERIFY(w->lblBotProbeCount->text().toInt() > 0);

    Board b = smallBoard();
    for (Entity& e : b.entities)
      if (e.kind == EntityKind::Probe) e.side = Side::Bottom;
    w->loadFile(f->write(b, "bottom.vd"));
    QVERIFY(!w->optTop->isEnabled() && w->optBot->isChecked());
    QVERIFY(!w->VDEditor->isViewFromTop());
  }

  void wiringWalksTheSurfaceByKeysAndButtons() {
    load(smallBoard());  // top probes in grid order: 1, 4, 10
    QVERIFY(QTest::qWaitForWindowActive(w));
    QVERIFY(w->fgProbes->hasFocus());
    QTest::keyClick(w->fgProbes, Qt::Key_Space);
    QCOMPARE(grid->text(f->rowOf("1"), 0), QString("1"));
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    QVERIFY(w->fgProbes->hasFocus());
    QCOMPARE(w->lblTopWired->text(), QString("1"));
    QVERIFY(!w->cmdRenameProbes->isEnabled());
    QVERIFY(w->state().documentModified);

    grid->setCurrentRow(f->rowOf("10"));  // the last row: the search wraps
    QTest::mouseClick(w->cmdWired, Qt::LeftButton);
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    QCOMPARE(w->pbWired->value(), 2);
    QCOMPARE(w->pbWired->maximum(), 3);
    w->cmdWired_Click();  // the last one of the surface
    QCOMPARE(f->prompts.lastText(),
             QString("All Probes on the Current Surface are Wired"));
    QCOMPARE(w->lblTopWired->text(), QString("3"));

    for (const char* name : {"1", "10", "4"}) {
      grid->setCurrentRow(f->rowOf(name));
      QTest::keyClick(w->fgProbes, Qt::Key_Backspace);
    }
    QCOMPARE(w->lblTopWired->text(), QString("0"));
    QVERIFY(w->cmdRenameProbes->isEnabled());
  }

  void undoAndRedoFollowTheMarksAndTheChangedFlag() {
    load(smallBoard());  // top probes in grid order: 1, 4, 10
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(w->lblTotal->text(), QString("Total 0 / 5 wired, 0%"));
    QTest::keyClick(w->fgProbes, Qt::Key_Space);  // 1, then 4
    QTest::keyClick(w->fgProbes, Qt::Key_Space);
    QCOMPARE(w->lblTotal->text(), QString("Total 2 / 5 wired, 40%"));

    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid->text(f->rowOf("4"), 0), QString());
    QCOMPARE(grid->currentRow(), f->rowOf("4"));  // back to that probe
    QCOMPARE(w->lblTopWired->text(), QString("1"));
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!w->state().documentModified);  // back at the loaded state
    QTest::keyClick(w, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w->lblTopWired->text(), QString("2"));
    QCOMPARE(grid->currentRow(), f->rowOf("10"));  // moved on, as the press
    QVERIFY(w->state().documentModified);

    QVERIFY(w->saveInPlace());
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(w->state().documentModified);  // away from the saved state
    w->loadFile(f->path("board.vd"));
    QVERIFY(!w->undoStack().canUndo());
  }

  void findGoesToProbesDesignatorsAndNets() {
    load(smallBoard());
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(w->txtFind->hasFocus());
    QTest::keyClicks(w->txtFind, "R10 ");  // Space types in a text field
    QTest::keyClick(w->txtFind, Qt::Key_Return);
    QCOMPARE(grid->currentRow(), f->rowOf("10"));
    QCOMPARE(grid->text(f->rowOf("10"), 0), QString());
    QTest::keyClick(w->txtFind, Qt::Key_Escape);
    QVERIFY(w->fgProbes->hasFocus());
    // Digits in the grid go to a probe number, whatever column is current.
    grid->setCurrentCell(f->rowOf("1"), probe_grid::kNetName);
    QTest::keyClick(w->fgProbes, Qt::Key_4);
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
  }

  void theBusyWindowIsDrawnDuringALoad() {
    f = std::make_unique<AppFixture>();
    w = &f->open();
    w->show();
    const QString board =
        f->write(generateBoard(largeOptions(20000)), "large.vdz");
    PaintCounter counter;
    w->frmBusy->installEventFilter(&counter);
    w->loadFile(board);
    QVERIFY(counter.paints > 0);
    QVERIFY(!w->frmBusy->isVisible());
  }

  void emptyTableLeavesTheCommandsHarmless() {
    Board b = smallBoard();
    for (Entity& e : b.entities)
      if (Attribute* a = e.attribute(b.keywordIndex("PROBE_PLACEMENT")))
        a->value = "Unplaced";
    load(b);
    QCOMPARE(grid->rows(), 1);
    w->cmdWired_Click();
    w->cmdNotWired_Click();
    QVERIFY(f->prompts.messages.isEmpty());
    QVERIFY(!w->state().documentModified);
  }

  void refDesHeaderSortsByReference() {
    load(boardWithProbesOn(
        {{"1", "R10", "2"}, {"2", "R10", "1"}, {"3", "R2", "2"}, {"4", "R2"}}));
    clickTitle(*w->fgProbes, probe_grid::kRefDes);
    QCOMPARE(columnTexts(*grid, probe_grid::kRefDes),
             (QStringList{"R2-1", "R2-2", "R10-1", "R10-2"}));
    QCOMPARE(grid->currentRow(), 1);
  }

  void probeViewFollowsTheProbeTurnedAndMirrored_data() {
    QTest::addColumn<int>("turns");
    QTest::addColumn<bool>("top");
    QTest::addColumn<QPointF>("centre");
    // Probe "1" sits at (10, 5) on top, probe "2" at (-1.5, 2.25) below.
    QTest::newRow("0 top") << 0 << true << QPointF(10, 5);
    QTest::newRow("90 top") << 1 << true << QPointF(-5, 10);
    QTest::newRow("270 bottom") << 3 << false << QPointF(-2.25, 1.5);
    QTest::newRow("360 top") << 4 << true << QPointF(10, 5);
  }
  void probeViewFollowsTheProbeTurnedAndMirrored() {
    QFETCH(int, turns);
    QFETCH(bool, top);
    QFETCH(QPointF, centre);
    load(smallBoard());
    if (!top) QTest::mouseClick(w->optBot, Qt::LeftButton);
    for (int i = 0; i < turns; ++i)
      QTest::mouseClick(w->cmdRotate, Qt::LeftButton);
    const int degrees = turns * 90 % 360;
    QCOMPARE(w->cmdRotate->text(), QString("Rotate Board (%1)").arg(degrees));
    QCOMPARE(w->state().boardRotation, degrees);
    QCOMPARE(w->boardDocument().fileInformation(1)->rotation, degrees);
    QCOMPARE(w->state().documentModified, turns > 0);
    QCOMPARE(grid->currentRow(), f->rowOf(top ? "1" : "2"));
    QCOMPARE(w->VDEditor->isViewFromTop(), top);
    QCOMPARE(w->VDProbeView->isViewFromTop(), top);
    const QPointF c = centreOf(w->VDProbeView);
    QVERIFY2(std::abs(c.x() - centre.x()) < 0.2 &&
                 std::abs(c.y() - centre.y()) < 0.2,
             qPrintable(QString("centre %1,%2").arg(c.x()).arg(c.y())));
  }

  void zoomFollowsUnitsAndSlider() {
    Board b = smallBoard();
    b.units = PageUnits::Mil;
    load(b);
    QCOMPARE(w->state().zoom.probeZoomHalfSize, 800.0);
    w->slider->setValue(10);
    QCOMPARE(w->state().zoom.probeZoomHalfSize, 300.0);
    QCOMPARE(w->slider->toolTip(), QString("Zoom Level: 10"));
    QVERIFY(!w->state().documentModified);  // zooming changes no document
  }

  void pickingAndRecentring() {
    load(smallBoard());
    emit w->VDEditor->entityPicked("2");  // a bottom probe, hidden
    QCOMPARE(grid->currentRow(), f->rowOf("2"));
    emit w->VDProbeView->entityPicked("4");
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    emit w->VDEditor->entityPicked("no such probe");
    QCOMPARE(grid->currentRow(), f->rowOf("4"));

    w->cmdRotate_Click();                 // the point is turned like the board
    grid->setCurrentRow(f->rowOf("10"));  // at (20, 5)
    emit w->VDEditor->recentreRequested();
    const QPointF c = centreOf(w->VDEditor);
    QVERIFY2(std::abs(c.x() + 5) < 0.5 && std::abs(c.y() - 20) < 0.5,
             qPrintable(QString("centre %1,%2").arg(c.x()).arg(c.y())));

    // The current probe is the picture's, and a zoomed board view follows.
    QCOMPARE(w->picture().currentProbe(), QString("10"));
    w->VDEditor->zoomToWindow(-6, -4, 19, 21);
    grid->setCurrentRow(f->rowOf("4"));  // at (30, 5), turned (-5, 30)
    QCOMPARE(w->picture().currentProbe(), QString("4"));
    QCOMPARE(centreOf(w->VDEditor), QPointF(-5, 30));
  }

  void layersAndClassBoxesReachThePicture() {
    Board b = smallBoard();
    b.layers.push_back({10, "T15", 15, {1, 1, 1}, true});
    b.layers.push_back({13, "NOTES", 44, {1, 2, 3}, true});
    load(b);
    const auto on = [this](int index) {
      Layer l;
      w->picture().layer(index, &l);
      return l.visible;
    };
    QVERIFY(on(10) && !on(13) && on(2) && !on(3));
    w->optBot->setChecked(true);
    QVERIFY(!on(10) && !on(13) && !on(2) && on(3));

    const BoardPicture& p = w->picture();
    QVERIFY(!p.isEntityClassShown(int(EntityKind::AccessPoint)));
    w->chkPCBcomps->setCheckState(Qt::Unchecked);
    QVERIFY(!p.isEntityClassShown(int(EntityKind::Component)));
    QVERIFY(!w->chkComponentPins->isEnabled());
    w->chkPCBcomps->setCheckState(Qt::PartiallyChecked);  // greyed: visible
    QVERIFY(p.isEntityClassShown(int(EntityKind::Component)));
    w->chkMech->setCheckState(Qt::Unchecked);
    QVERIFY(!p.isEntityClassShown(int(EntityKind::MechanicalPart)));
    QVERIFY(!p.isEntityClassShown(int(EntityKind::MechanicalHole)));
  }

  void dialogCommandsOpenTheirDialogsOnThisWindow() {
    load(smallBoard());
    const auto opened = [](const std::function<void()>& command) {
      QString name;
      QTimer::singleShot(0, [&name] {
        QWidget* dialog = QApplication::activeModalWidget();
        name = dialog ? dialog->metaObject()->className() : "none";
        if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
      });
      command();
      return name;
    };
    QCOMPARE(opened([this] { w->cmdRenameProbes_Click(); }),
             QString("lw::RenameProbesDialog"));
    QVERIFY(!w->state().documentModified);  // cancelled: nothing changed
    QCOMPARE(opened([this] { w->cmdFilterProbes_Click(); }),
             QString("lw::RulesDialog"));
  }

  // The side and size chosen reach the importer and are remembered for
  // the next import; the summary follows the import.
  void importCommandWritesAndLoadsTheBoard() {
    load(smallBoard());
    const QString data = QString(LW_SOURCE_ROOT) + "/tests/import/data/";
    f->prompts.fileNames << data + "kicad_style.ipc" << f->path("imported");
    f->prompts.dialogAnswers << [](QDialog& d) {
      auto& choices = dynamic_cast<ImportChoicesDialog&>(d);
      choices.setOptions({ProbeSide::Top, ProbeSize::Mil39});
      return int(QDialog::Accepted);
    };
    QTest::mouseClick(w->cmdImport, Qt::LeftButton);
    QVERIFY(shownTitle(*w).endsWith("imported.vd"));
    QCOMPARE(f->prompts.dialogsShown, QStringList({"lw::ImportChoicesDialog",
                                                   "lw::ImportSummaryDialog"}));
    QVERIFY(f->prompts.messages.isEmpty());
    QSet<QString> placed;  // side and size of the probes in the grid
    for (int r = 1; r < grid->rows(); ++r)
      placed << grid->text(r, probe_grid::kSurface) + ' ' +
                    grid->text(r, probe_grid::kSize);
    QCOMPARE(placed, QSet<QString>({"T 39"}));
    QCOMPARE(ImportChoicesDialog::remembered(&f->settings).probeSize,
             ProbeSize::Mil39);

    // Cancelled: nothing written or asked after.
    f->prompts.dialogsShown.clear();
    f->prompts.fileNames << data + "kicad_style.ipc" << f->path("cancelled");
    ImportOptions shown;
    f->prompts.dialogAnswers << [&shown](QDialog& d) {
      shown = dynamic_cast<ImportChoicesDialog&>(d).options();
      return int(QDialog::Rejected);
    };
    w->cmdImport_Click();
    QCOMPARE(shown.side, ProbeSide::Top);      // as chosen last time
    QCOMPARE(f->prompts.fileNames.size(), 1);  // no save name asked
    f->prompts.fileNames.clear();
    QVERIFY(!QFile::exists(f->path("cancelled.vd")));

    f->prompts.messages.clear();
    f->prompts.fileNames << data + "no_features.ipc" << f->path("never.vd");
    w->cmdImport_Click();
    QCOMPARE(f->prompts.messages[0].icon, Prompts::Icon::Stop);
    QVERIFY(f->prompts.lastText().contains("no_features.ipc"));
    QVERIFY(!QFile::exists(f->path("never.vd")));
    QVERIFY(shownTitle(*w).endsWith("imported.vd"));  // still loaded
  }

  void startUpKeepsTheZoomLevelPerUser() {
    f = std::make_unique<AppFixture>();
    QCOMPARE(f->open().slider->value(), 5);
    f->window->slider->setValue(7);
    f->window->close();
    QCOMPARE(f->settings.value("Probe Zoom/Scale").toString(), QString("7"));
    QCOMPARE(f->open().slider->value(), 7);
    f->settings.setValue("Probe Zoom/Scale", "seven");
    QCOMPARE(f->open().slider->value(), 5);
  }

  void commandLineVersionAndHelp() {
    QProcess app;
    app.start(LW_APP_PROGRAM, {"--version"});
    QVERIFY(app.waitForFinished(30000));
    QCOMPARE(app.exitCode(), 0);
    QVERIFY(app.readAllStandardOutput().contains("1.3"));
    app.start(LW_APP_PROGRAM, {"--help"});
    QVERIFY(app.waitForFinished(30000));
    QVERIFY(app.readAllStandardOutput().contains("file"));
  }

  // The launch the benchmarks time: out as soon as a document is loaded,
  // status 0 only when the title names it and the grid is filled.
  void exitsWhenLoadedForTimedLaunches() {
    const QTemporaryDir user;  // no settings, locks or journals of a user
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LOOMWRIGHT_EXIT_WHEN_LOADED", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* folder : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                               "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
      env.insert(folder, user.path());
    // A copy: it leaves without releasing the station lock beside the file.
    const QString demo = user.filePath("demo.vdz");
    QVERIFY(QFile::copy(
        QString(LW_SOURCE_ROOT) + "/examples/generated-demo.vdz", demo));
    for (const auto& [arguments, status] :
         {std::pair{QStringList{demo}, 0}, {QStringList{}, 1}}) {
      QProcess app;
      app.setProcessEnvironment(env);
      app.start(LW_APP_PROGRAM, arguments);
      QVERIFY(app.waitForFinished(30000));
      QCOMPARE(app.exitCode(), status);
    }
  }
};

LW_QTEST_MAIN(WindowTest)
#include "window_test.moc"
