// The "Rename Probes" dialog driven on a real main window: proposals,
// duplicates, the designator sort, and writing and reloading the
// renumbered document.

#include "appfixture.h"
#include "gridtexts.h"
#include "probetable.h"
#include "qtestmain.h"
#include "renamegrid.h"
#include "renameprobesdialog.h"
#include "renumberboard.h"

#include <QHeaderView>
#include <QPushButton>

using namespace lw;
using namespace lw::test;

namespace {

const QString kTitle = QStringLiteral("Loomwright");
const QString kConfirmation = QStringLiteral(
    "You are about to rename all of the probes to their new names.\n\n"
    "You will be prompted for the name of the VD or VDZ file to be "
    "created.\n\n"
    "Would you like to continue?");
const QString kWrongExtension = QStringLiteral(
    "The specified file does not have a recognized extension.\n\n"
    "The only valid extentions are .VD or .VDZ\n\n"
    "No file will be saved.");

// The main window itself, except that it notes whether the dialog was
// still on screen when it was asked to load.
class WatchingHost final : public ProbeGridHost {
 public:
  explicit WatchingHost(MainWindow& window) : mWindow(window) {}

  GridView& probeGridView() override { return mWindow.probeGridView(); }
  GridModel& probeGrid() override { return mWindow.probeGrid(); }
  void fgProbes_SelChange() override { mWindow.fgProbes_SelChange(); }
  void colourProbe(const QString& name, Rgb colour) override {
    mWindow.colourProbe(name, colour);
  }
  void setDocumentModified() override { mWindow.setDocumentModified(); }
  BoardDocument& boardDocument() override { return mWindow.boardDocument(); }
  void loadFile(const QString& fileName) override {
    loads << fileName;
    dialogShownDuringLoad = dialog && dialog->isVisible();
    mWindow.loadFile(fileName);
  }
  Prompts& prompts() override { return mWindow.prompts(); }
  void setBusyPointer(bool busy) override { mWindow.setBusyPointer(busy); }

  QWidget* dialog = nullptr;
  QStringList loads;
  bool dialogShownDuringLoad = false;

 private:
  MainWindow& mWindow;
};

QStringList allTexts(const GridModel& grid) {
  QStringList texts;
  for (int r = 0; r < grid.rows(); ++r)
    for (int c = 0; c < grid.columns(); ++c) texts << grid.text(r, c);
  return texts;
}

GridModel& renameGrid(RenameProbesDialog& dialog) {
  return *dialog.fgProbNames->grid();
}

void clickTitle(GridView& view, int column) {
  QHeaderView* header = view.horizontalHeader();
  const QPoint at(
      header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
      header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QByteArray headOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.read(2) : QByteArray();
}

// Twelve probes on TP1..TP12, named 101..112 in another order, every
// third one on the bottom; the probe on TP5 has no "REFNAME".
QList<ProbeOn> testPointProbes() {
  QList<ProbeOn> probes;
  for (int i = 0; i < 12; ++i) {
    const int tp = (i * 5) % 12 + 1;
    ProbeOn p{QString::number(101 + i), "TP" + QString::number(tp)};
    p.side = i % 3 == 2 ? Side::Bottom : Side::Top;
    p.refName = tp != 5;
    probes << p;
  }
  return probes;
}

}  // namespace

class RenameProbesTest : public QObject {
  Q_OBJECT

 private:
  // A main window with the board loaded; false (and a failure) when the
  // load reported anything.
  bool load(AppFixture& f, const Board& board) {
    MainWindow& w = f.open();
    w.loadFile(f.write(board, "loaded board.vd"));
    if (!f.prompts.messages.isEmpty()) {
      qWarning() << "load:" << f.prompts.lastText();
      return false;
    }
    return f.grid().rows() > 1;
  }

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }

  void listsEveryProbeWithItsProposal() {
    AppFixture f;
    QVERIFY(load(f, boardWithProbesOn({{"7", "TP10"},
                                       {"8", "X1.5"},
                                       {"9", "TP2", "1", Side::Bottom},
                                       {"10", ""},
                                       {"11", "J10-3"},
                                       {"12", "TP1"}})));
    RenameProbesDialog dialog(*f.window, f.window.get());
    GridModel& grid = renameGrid(dialog);

    QCOMPARE(dialog.windowTitle(), QString("Rename Probes"));
    QCOMPARE(dialog.objectName(), QString("frmRenameProbes"));
    QCOMPARE(dialog.cmdAccept->text(), QString("Accept New Probe Names"));
    QCOMPARE(dialog.cmdCancel->text(), QString("Cancel"));
    QVERIFY(f.prompts.messages.isEmpty());
    QVERIFY(dialog.cmdAccept->isEnabled());

    // The bottom probe is hidden in the probe grid but renumbered alike.
    QVERIFY(f.grid().isRowHidden(f.rowOf("9")));
    QCOMPARE(columnTexts(grid, rename_grid::kProposed),
             (QStringList{"1", "2", "3", "5", "10", ""}));
    QCOMPARE(columnTexts(grid, rename_grid::kCurrent),
             (QStringList{"12", "9", "11", "8", "7", "10"}));
    QCOMPARE(
        columnTexts(grid, rename_grid::kTargetRefDes),
        (QStringList{"TP1-1", "TP2-1", "J10-3-1", "X1.5-1", "TP10-1", "-"}));
    QCOMPARE(columnTexts(grid, rename_grid::kTargetSufix),
             (QStringList{"1", "2", "10-3", "1.5", "10", ""}));
    for (int r = 1; r < grid.rows(); ++r) {
      const int probeRow = f.rowOf(grid.text(r, rename_grid::kCurrent));
      QCOMPARE(grid.text(r, rename_grid::kDataPosition),
               f.grid().text(probeRow, probe_grid::kDataPosition));
      QCOMPARE(grid.text(r, rename_grid::kTargetPrefix),
               f.grid().text(probeRow, probe_grid::kPrefix));
      QCOMPARE(grid.text(r, rename_grid::kPin),
               f.grid().text(probeRow, probe_grid::kPin));
      QVERIFY(!grid.isRowHidden(r));
    }
    for (int c = 0; c < grid.columns(); ++c)
      QCOMPARE(grid.isColumnHidden(c), c >= 2 && c <= 5);
    QCOMPARE(grid.currentColumn(), rename_grid::kProposed);
  }

  void sortsNumerically() {
    AppFixture f;
    QVERIFY(load(
        f, boardWithProbesOn({{"1", "TP10"}, {"2", "TP2"}, {"3", "TP1"}})));
    RenameProbesDialog dialog(*f.window);
    QCOMPARE(columnTexts(renameGrid(dialog), rename_grid::kProposed),
             (QStringList{"1", "2", "10"}));
  }

  void duplicatesDisableAccept_data() {
    QTest::addColumn<QList<ProbeOn>>("probes");
    QTest::addColumn<QString>("message");  // empty: none
    QTest::newRow("two pins of C10")
        << QList<ProbeOn>{{"1", "C10", "1"}, {"2", "C10", "2"}, {"3", "C2"}}
        << "1 Duplicate Probe Name(s) Found";
    QTest::newRow("three vias")
        << QList<ProbeOn>{{"1", ""}, {"2", "R4"}, {"3", ""}, {"4", ""}}
        << "2 Duplicate Probe Name(s) Found";
    QTest::newRow("equal numbers apart in probe order")
        << QList<ProbeOn>{{"1", "R3"},
                          {"2", "R4"},
                          {"3", "C3"},
                          {"4", "U4"},
                          {"5", "D3"}}
        << "3 Duplicate Probe Name(s) Found";
    QTest::newRow("single probe") << QList<ProbeOn>{{"1", "TP9"}} << "";
    QTest::newRow("single via") << QList<ProbeOn>{{"1", ""}} << "";
  }
  void duplicatesDisableAccept() {
    QFETCH(QList<ProbeOn>, probes);
    QFETCH(QString, message);
    AppFixture f;
    QVERIFY(load(f, boardWithProbesOn(probes)));
    RenameProbesDialog dialog(*f.window);
    if (message.isEmpty()) {
      QVERIFY(f.prompts.messages.isEmpty());
      QVERIFY(dialog.cmdAccept->isEnabled());
      return;
    }
    QCOMPARE(f.prompts.messages.size(), 1);
    const ScriptedPrompts::Message& m = f.prompts.messages[0];
    QCOMPARE(m.text, message);
    QCOMPARE(m.title, kTitle);
    QCOMPARE(m.icon, Prompts::Icon::None);
    QCOMPARE(m.buttons, Prompts::Buttons::Ok);
    QVERIFY(!dialog.cmdAccept->isEnabled());
  }

  void targetRefDesTitleSortsByDesignator() {
    AppFixture f;
    QVERIFY(load(f, boardWithProbesOn({{"1", "C10", "2"},
                                       {"2", "R1"},
                                       {"3", "C2", "10"},
                                       {"4", "C10", "1"},
                                       {"5", "C2", "2"},
                                       {"6", "C2", "1"}})));
    RenameProbesDialog dialog(*f.window);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(f.prompts.messages.size(), 1);  // 10 twice, 2 three times
    GridModel& grid = renameGrid(dialog);

    clickTitle(*dialog.fgProbNames, rename_grid::kTargetRefDes);
    QCOMPARE(columnTexts(grid, rename_grid::kTargetRefDes),
             (QStringList{"C2-1", "C2-2", "C2-10", "C10-1", "C10-2", "R1-1"}));
    QCOMPARE(columnTexts(grid, rename_grid::kProposed),
             (QStringList{"2", "2", "2", "10", "10", "1"}));
    QCOMPARE(f.prompts.messages.size(), 1);  // not checked again
    QVERIFY(!dialog.cmdAccept->isEnabled());

    // Any other title sorts by that column alone.
    clickTitle(*dialog.fgProbNames, rename_grid::kCurrent);
    QCOMPARE(columnTexts(grid, rename_grid::kCurrent),
             (QStringList{"1", "2", "3", "4", "5", "6"}));
    clickTitle(*dialog.fgProbNames, rename_grid::kProposed);
    QCOMPARE(columnTexts(grid, rename_grid::kCurrent),
             (QStringList{"2", "3", "5", "6", "1", "4"}));
    QCOMPARE(f.prompts.messages.size(), 1);
  }

  void withoutProbesThereIsNothingToAccept() {
    AppFixture f;
    MainWindow& w = f.open();  // nothing loaded
    RenameProbesDialog dialog(w);
    QCOMPARE(renameGrid(dialog).rows(), 1);
    QCOMPARE(renameGrid(dialog).text(0, rename_grid::kProposed),
             QString("Proposed Probe #"));
    QVERIFY(f.prompts.messages.isEmpty());
    QVERIFY(!dialog.cmdAccept->isEnabled());
    QVERIFY(dialog.cmdCancel->isEnabled());
  }

  void cancelChangesNothing() {
    AppFixture f;
    QVERIFY(load(f, boardWithProbesOn(testPointProbes())));
    const Board before = f.window->boardDocument().board();
    const QStringList probeGrid = allTexts(f.grid());
    RenameProbesDialog dialog(*f.window);
    dialog.show();
    QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(f.prompts.messages.isEmpty());
    QVERIFY(f.window->boardDocument().board() == before);
    QCOMPARE(allTexts(f.grid()), probeGrid);
  }

  // Each way of stopping short leaves the board view's document as it was
  // and the dialog open for another try.
  void stoppingShortChangesNothing_data() {
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("name");  // "-": no file dialog expected
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::newRow("no to the confirmation") << false << "-"
                                            << "" << 0;
    QTest::newRow("save dialog cancelled") << true << ""
                                           << "" << 0;
    QTest::newRow("no extension") << true << "board" << kWrongExtension
                                  << int(Prompts::Icon::Information);
    QTest::newRow("other extension") << true << "board.txt" << kWrongExtension
                                     << int(Prompts::Icon::Information);
    QTest::newRow("dot only in a folder name")
        << true << "a.b/board" << kWrongExtension
        << int(Prompts::Icon::Information);
    QTest::newRow("folder missing")
        << true << "missing/board.vd"
        << "missing/board.vd" << int(Prompts::Icon::Stop);
  }
  void stoppingShortChangesNothing() {
    QFETCH(bool, confirm);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(int, icon);
    AppFixture f;
    QVERIFY(load(f, boardWithProbesOn(testPointProbes())));
    QVERIFY(QDir().mkpath(f.path("a.b")));
    const QString path = name.isEmpty() || name == "-" ? name : f.path(name);
    const Board before = f.window->boardDocument().board();
    const QStringList probeGrid = allTexts(f.grid());
    WatchingHost host(*f.window);
    RenameProbesDialog dialog(host);
    dialog.show();

    f.prompts.answers << (confirm ? Prompts::Answer::Yes : Prompts::Answer::No);
    if (name != "-") f.prompts.fileNames << path;
    QTest::mouseClick(dialog.cmdAccept, Qt::LeftButton);

    const ScriptedPrompts::Message& asked = f.prompts.messages.value(0);
    QCOMPARE(asked.text, kConfirmation);
    QCOMPARE(asked.title, kTitle);
    QCOMPARE(asked.icon, Prompts::Icon::None);
    QCOMPARE(asked.buttons, Prompts::Buttons::YesNo);
    QCOMPARE(f.prompts.dialogStarts.size(), name == "-" ? 0 : 1);
    if (message.isEmpty()) {
      QCOMPARE(f.prompts.messages.size(), 1);
    } else {
      QCOMPARE(f.prompts.messages.size(), 2);
      const ScriptedPrompts::Message& told = f.prompts.messages[1];
      if (icon == int(Prompts::Icon::Stop))
        QVERIFY2(told.text.contains(f.path(message)), qPrintable(told.text));
      else
        QCOMPARE(told.text, message);
      QCOMPARE(told.title, kTitle);
      QCOMPARE(int(told.icon), icon);
      QCOMPARE(told.buttons, Prompts::Buttons::Ok);
    }
    if (!path.isEmpty() && path != "-") {
      QVERIFY(!QFile::exists(path));
      QVERIFY(!QFile::exists(path + ".vd"));
    }
    QVERIFY(host.loads.isEmpty());
    QVERIFY(f.window->boardDocument().board() == before);
    QCOMPARE(allTexts(f.grid()), probeGrid);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.cmdAccept->isEnabled());
  }

  void aFailedWriteCanBeRetried() {
    AppFixture f;
    QVERIFY(load(f, boardWithProbesOn(testPointProbes())));
    WatchingHost host(*f.window);
    RenameProbesDialog dialog(host);
    dialog.show();
    f.prompts.answers << Prompts::Answer::Yes << Prompts::Answer::Ok
                      << Prompts::Answer::Yes;
    f.prompts.fileNames << f.path("missing/board.vd") << f.path("board.vd");
    dialog.cmdAccept_Click();
    QVERIFY(dialog.isVisible());
    dialog.cmdAccept_Click();
    QCOMPARE(host.loads, QStringList{f.path("board.vd")});
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(f.rowOf("12") > 0);
  }

  void savesUnderTheNameAsTyped_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("compressed");
    QTest::newRow("upper-case vdz") << "board.VDZ" << true;
    QTest::newRow("mixed-case vd") << "board.Vd" << false;
    QTest::newRow("dotted folder") << "a.b/board.vd" << false;
  }
  void savesUnderTheNameAsTyped() {
    QFETCH(QString, name);
    QFETCH(bool, compressed);
    AppFixture f;
    QVERIFY(load(f, boardWithProbesOn(testPointProbes())));
    QVERIFY(QDir().mkpath(f.path("a.b")));
    const QString path = f.path(name);
    RenameProbesDialog dialog(*f.window);
    dialog.show();
    f.prompts.answers << Prompts::Answer::Yes;
    f.prompts.fileNames << path;
    dialog.cmdAccept_Click();

    QCOMPARE(f.prompts.messages.size(), 1);  // the confirmation only
    QCOMPARE(headOf(path).startsWith("\x1f\x8b"), compressed);
    if (!compressed) QCOMPARE(headOf(path).left(1), QByteArray("{"));
    QCOMPARE(f.window->windowTitle(), "Fixture Loomwright v1.3 - " + path);
    QCOMPARE(QDir(f.path(".")).entryList({"board*"}, QDir::Files).size(),
             name.startsWith("a.b") ? 0 : 1);
  }

  void renumbersAndReloadsTheBoard() {
    AppFixture f;
    const Board original = boardWithProbesOn(testPointProbes());
    QVERIFY(load(f, original));
    const QByteArray loadedBytes = [&] {
      QFile file(f.path("loaded board.vd"));
      return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    f.window->setDocumentModified();
    WatchingHost host(*f.window);
    RenameProbesDialog dialog(host, f.window.get());
    host.dialog = &dialog;
    dialog.show();
    QVERIFY(dialog.cmdAccept->isEnabled());

    const QString path = f.path("renumbered board.vd");
    f.prompts.answers << Prompts::Answer::Yes;
    f.prompts.fileNames << path;
    QTest::mouseClick(dialog.cmdAccept, Qt::LeftButton);

    QCOMPARE(host.loads, QStringList{path});
    QVERIFY(!host.dialogShownDuringLoad);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY(!f.window->state().documentModified);

    // The reloaded grid: every probe is named after its test point.
    GridModel& grid = f.grid();
    QCOMPARE(grid.rows(), 13);
    for (int r = 1; r < grid.rows(); ++r)
      QCOMPARE(grid.text(r, probe_grid::kProbe),
               grid.text(r, probe_grid::kNumber));
    QCOMPARE(columnTexts(grid, probe_grid::kProbe),
             (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
                          "11", "12"}));

    // The written file: names and "REFNAME" agree, display records kept.
    const Board written = readBoard(path);
    const int refName = written.keywordIndex("REFNAME");
    int probes = 0;
    for (size_t i = 0; i < written.entities.size(); ++i) {
      const Entity& e = written.entities[i];
      const Entity& was = original.entities[i];
      if (e.kind != EntityKind::Probe) {
        QVERIFY(e == was);
        continue;
      }
      ++probes;
      const int n = e.number - 5000;
      const ProbeOn probe = testPointProbes()[n];
      QCOMPARE(e.name, probe.refdes.mid(2));
      const Attribute* a = e.attribute(refName);
      QVERIFY(a);
      QCOMPARE(a->value, e.name);
      QVERIFY(a->display == (probe.refName ? displayFor(n) : DisplayRecord{}));
      QCOMPARE(e.attributes.size(),
               was.attributes.size() + (probe.refName ? 0 : 1));
    }
    QCOMPARE(probes, 12);
    QVERIFY(f.window->boardDocument().board() == written);

    // The file that was loaded is untouched.
    QFile loaded(f.path("loaded board.vd"));
    QVERIFY(loaded.open(QIODevice::ReadOnly));
    QCOMPARE(loaded.readAll(), loadedBytes);
  }
};

LW_QTEST_MAIN(RenameProbesTest)
#include "renameprobes_test.moc"
