// Start-up and the load sequence, driven through the real main window.

#include "appboards.h"
#include "appfixture.h"
#include "boardview.h"
#include "gridtexts.h"
#include "qtestmain.h"

#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using namespace lw;
using namespace lw::test;

namespace {}  // namespace

class LoadTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }

  void loadsABoardIntoTheGridAndViews() {
    AppFixture f;
    MainWindow& w = f.open();
    QCOMPARE(w.windowTitle(), QString("Fixture Loomwright v1.3"));
    QVERIFY(!w.cmdWired->isEnabled());

    const QString path = f.write(smallBoard(), "small board.vd");
    w.loadFile(path);
    QVERIFY2(f.prompts.messages.isEmpty(), qPrintable(f.prompts.lastText()));
    QCOMPARE(w.windowTitle(), "Fixture Loomwright v1.3 - " + path);

    GridModel& grid = f.grid();
    QCOMPARE(columnTexts(grid, 1),
             (QStringList{"1", "2", "3", "4", "10"}));  // unplaced left out
    QCOMPARE(w.lblTopProbeCount->text(), QString("3"));
    QCOMPARE(w.lblBotProbeCount->text(), QString("2"));
    QVERIFY(w.optTop->isChecked());
    QVERIFY(w.optTop->isEnabled() && w.optBot->isEnabled());
    QVERIFY(w.cmdWired->isEnabled() && w.cmdRenameProbes->isEnabled());
    QVERIFY(grid.isRowHidden(f.rowOf("2")));
    QVERIFY(!grid.isRowHidden(f.rowOf("10")));
    QCOMPARE(grid.currentRow(), f.rowOf("1"));

    const int r2 = f.rowOf("2"), via = f.rowOf("3");
    QCOMPARE(grid.text(r2, 8), QString("R1-2"));
    QCOMPARE(grid.text(r2, 12), QString("R"));
    QCOMPARE(grid.text(r2, 13), QString("1"));
    QCOMPARE(grid.text(r2, 14), QString("2"));
    QCOMPARE(grid.text(r2, 5), QString("Waffle"));
    QCOMPARE(grid.text(via, 5), QString("Chisel"));
    QCOMPARE(grid.text(via, 7), QString("Via"));
    QCOMPARE(grid.text(via, 8), QString("-"));
    QCOMPARE(grid.text(r2, 2), QString("-1.5"));

    for (const char* hidden :
         {"Probe Style", "Surface", "Net Name", "Probe Data Position", "Prefix",
          "Number", "Pin", "DATALINK", "REFNAME"})
      QVERIFY2(grid.isColumnHidden(f.columnTitled(hidden)), hidden);
    for (const char* shown : {"Wired", "Probe #", "Tester Resource",
                              "PROBE_PLACEMENT", "NETNAME", "RefDes"})
      QVERIFY2(!grid.isColumnHidden(f.columnTitled(shown)), shown);
    QVERIFY(grid.isBooleanColumn(0));
  }

  void loadsTheBundledDemo() {
    AppFixture f;
    MainWindow& w = f.open();
    const QString demo = QString(LW_SOURCE_ROOT) + "/examples/demo.vdz";
    w.loadFile(demo);
    QVERIFY2(f.prompts.messages.isEmpty(), qPrintable(f.prompts.lastText()));
    QCOMPARE(w.windowTitle(), "Fixture Loomwright v1.3 - " + demo);
    const int top = w.lblTopProbeCount->text().toInt();
    const int bottom = w.lblBotProbeCount->text().toInt();
    QVERIFY(top > 0 && bottom > 0);
    QCOMPARE(f.grid().rows(), top + bottom + 1);
    QVERIFY(w.optTop->isChecked());
    // The first top probe is current: the bottom rows before it are hidden.
    const int current = f.grid().currentRow();
    QVERIFY(current > 0 && !f.grid().isRowHidden(current));
    for (int r = 1; r < current; ++r) QVERIFY(f.grid().isRowHidden(r));
  }

  void commaDecimalLocaleShowsRegionalNumbers() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    AppFixture f;
    MainWindow& w = f.open();
    w.loadFile(f.write(smallBoard(), "board.vdz"));
    const int r2 = f.rowOf("2");
    QCOMPARE(f.grid().text(r2, 2), QString("-1,5"));
    QCOMPARE(f.grid().text(r2, 3), QString("2,25"));
    QLocale::setDefault(QLocale::c());
  }

  void boardsThatCannotBeWorkedAreReported_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("no probes")
        << 0 << "The file being loaded does not contain any probes.";
    QTest::newRow("no access points")
        << 1 << "The file being loaded does not contain any access points.";
    QTest::newRow("corrupt file") << 2 << "corrupt board.vd";
  }
  void boardsThatCannotBeWorkedAreReported() {
    QFETCH(int, kind);
    QFETCH(QString, message);
    AppFixture f;
    MainWindow& w = f.open();
    w.loadFile(f.write(smallBoard(), "good.vd"));
    QString path;
    if (kind == 0) {
      Board b = smallBoard();
      std::erase_if(b.entities, [](const Entity& e) {
        return e.kind == EntityKind::Probe;
      });
      path = f.write(b, "no probes.vd");
    } else if (kind == 1) {
      path = f.write(smallBoard(false), "no access.vd");
    } else {
      path = f.path("corrupt board.vd");
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("{\"format\": \"loomwright-board\", \"version\": 1, \"ent");
    }
    f.prompts.messages.clear();
    w.loadFile(path);
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.lastText().contains(message),
             qPrintable(f.prompts.lastText()));
    QVERIFY(!f.prompts.lastText().contains("does not contain") || kind < 2);
    QCOMPARE(f.grid().rows(), 1);
    QCOMPARE(f.grid().columns(), 12);
    QVERIFY(!w.cmdWired->isEnabled());
    QCOMPARE(w.windowTitle(), QString("Fixture Loomwright v1.3"));
    QVERIFY(w.VDEditor->document().isEmpty());
    QVERIFY(w.VDProbeView->document().isEmpty());
    QVERIFY(!w.state().documentModified);
  }

  void pcbFileCheckMessages() {
    AppFixture f;
    MainWindow& w = f.open();
    Board two = smallBoard();
    two.files.push_back({2, "second.pcb", true, true, 9, 0});
    for (Entity& e : two.entities) e.file = 2;  // the second holds the board
    w.loadFile(f.write(two, "two.vd"));
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.lastText(),
             QString("The currently loaded VD files contains 2 PCB files "
                     "visible.\n\nUsing VELDRA turn off all but one (1) PCB "
                     "file then reload it."));
    QCOMPARE(f.prompts.messages[0].title, QString("Fixture Loomwright"));
    QCOMPARE(w.state().pcbFileNumber, 2);
    QCOMPARE(f.grid().rows(), 6);  // the load went on with the second

    Board none = smallBoard();
    none.files[0].visible = false;
    f.prompts.messages.clear();
    w.loadFile(f.write(none, "hidden.vd"));
    QCOMPARE(f.prompts.messages.first().text,
             QString("No PCB Data Found in the Active VELDRA Document"));
  }

  void bottomOnlyBoardWorksTheBottom() {
    AppFixture f;
    MainWindow& w = f.open();
    Board b = smallBoard();
    for (Entity& e : b.entities)
      if (e.kind == EntityKind::Probe) e.side = Side::Bottom;
    w.loadFile(f.write(b, "bottom.vd"));
    QVERIFY(!w.optTop->isEnabled());
    QVERIFY(w.optBot->isEnabled() && w.optBot->isChecked());
    QVERIFY(!w.VDEditor->isViewFromTop());
    QCOMPARE(w.lblTopProbeCount->text(), QString("0"));
  }

  void aSecondLoadReplacesTheTitle() {
    AppFixture f;
    MainWindow& w = f.open();
    w.loadFile(f.write(smallBoard(), "first.vd"));
    const QString second = f.write(smallBoard(), "second.vdz");
    w.loadFile(second);
    QCOMPARE(w.windowTitle(), "Fixture Loomwright v1.3 - " + second);
  }

  void openCommandUsesTheDialog() {
    AppFixture f;
    MainWindow& w = f.open();
    w.cmdLoad_Click();  // cancelled: nothing happens
    QCOMPARE(f.grid().rows(), 1);
    const QString path = f.write(smallBoard(), "chosen.vd");
    f.prompts.fileNames.enqueue(path);
    QTest::mouseClick(w.cmdLoad, Qt::LeftButton);
    QCOMPARE(w.windowTitle(), "Fixture Loomwright v1.3 - " + path);
  }

  void storedWiringComesBackWithoutARulesFile() {
    AppFixture f;
    MainWindow& w = f.open();
    Board b = smallBoard();
    const int k = b.addKeyword("PROBE_WIRED");
    for (Entity& e : b.entities)
      if (e.kind == EntityKind::Probe && e.name == "1")
        e.attributes.push_back({k, "1", {}});
    const QString path = f.write(b, "wired.vd");
    w.loadFile(path);
    QCOMPARE(f.grid().text(f.rowOf("1"), 0), QString("1"));
    QCOMPARE(w.lblTopWired->text(), QString("1"));
    QVERIFY(!w.cmdRenameProbes->isEnabled());
    QCOMPARE(f.grid().currentRow(), f.rowOf("4"));  // first not wired
    QVERIFY(w.windowTitle().endsWith(path));
  }

  void importCommandWritesAndLoadsTheBoard() {
    AppFixture f;
    MainWindow& w = f.open();
    const QString source =
        QString(LW_SOURCE_ROOT) + "/tests/import/data/kicad_style.ipc";
    f.prompts.fileNames.enqueue(source);
    f.prompts.fileNames.enqueue(f.path("imported"));
    QTest::mouseClick(w.cmdImport, Qt::LeftButton);
    QVERIFY(QFile::exists(f.path("imported.vd")));
    QVERIFY(w.windowTitle().endsWith("imported.vd"));
    QVERIFY(f.grid().rows() > 1);
    QCOMPARE(f.prompts.messages.first().icon, Prompts::Icon::Information);

    f.prompts.messages.clear();
    f.prompts.fileNames.enqueue(QString(LW_SOURCE_ROOT) +
                                "/tests/import/data/no_features.ipc");
    f.prompts.fileNames.enqueue(f.path("never.vd"));
    w.cmdImport_Click();
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].icon, Prompts::Icon::Stop);
    QVERIFY(f.prompts.lastText().contains("no_features.ipc"));
    QVERIFY(!QFile::exists(f.path("never.vd")));
    QVERIFY(w.windowTitle().endsWith("imported.vd"));  // still loaded
  }

  void sharedSamplesLoadWithProbesBelow() {
    const QDir shared(QString(LW_SOURCE_ROOT) + "/../shared/boards/ipc356");
    const QStringList samples = shared.entryList({"*.ipc"}, QDir::Files);
    if (samples.isEmpty()) QSKIP("no shared boards beside the repository");
    for (const QString& sample : samples) {
      AppFixture f;
      MainWindow& w = f.open();
      f.prompts.fileNames.enqueue(shared.filePath(sample));
      f.prompts.fileNames.enqueue(f.path("sample.vdz"));
      w.cmdImport_Click();
      QVERIFY2(w.windowTitle().endsWith("sample.vdz"), qPrintable(sample));
      QVERIFY2(w.lblBotProbeCount->text().toInt() > 0, qPrintable(sample));
      QCOMPARE(w.lblTopProbeCount->text(), QString("0"));
      QVERIFY(w.optBot->isChecked());
      QCOMPARE(f.prompts.messages.size(), 1);  // the import summary only
    }
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

  void zoomLevelIsKeptPerUser() {
    AppFixture f;
    f.open();
    QCOMPARE(f.window->slider->value(), 5);
    QCOMPARE(f.window->slider->toolTip(), QString("Zoom Level: 5"));
    f.window->slider->setValue(7);
    f.window->close();
    QCOMPARE(f.settings->value("Probe Zoom/Scale").toString(), QString("7"));
    f.open();
    QCOMPARE(f.window->slider->value(), 7);

    f.settings->setValue("Probe Zoom/Scale", "seven");
    f.open();
    QCOMPARE(f.window->slider->value(), 5);
  }
};

LW_QTEST_MAIN(LoadTest)
#include "load_test.moc"
