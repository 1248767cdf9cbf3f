// The rules dialog driven for real: clicks on its grid, list and buttons,
// with the real main window as host and rules files in a temporary folder.

#include "rulesdialog.h"
#include "appfixture.h"
#include "boardgenerator.h"
#include "gridtexts.h"
#include "probetable.h"
#include "qtestmain.h"
#include "rulesgrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <map>
#include <optional>

using namespace lw;
using namespace lw::test;

namespace {

Attrs placed(const char* link, Attrs extra = {}) {
  Attrs a{{"NETNAME", "N"},
          {"DATALINK", link},
          {"TESTER_REASOURCE", "T1"},
          {"PROBE_PLACEMENT", "Placed"},
          {"REFNAME", "x"}};
  a.insert(a.end(), extra.begin(), extra.end());
  return a;
}

// R1 pins 1 and 2, R10 pin 1, C2 pin 1 and a via. Probes 1, 10 and 4 on
// top, 2 and 3 (the via) below.
Board smallBoard(Attrs extra = {}) {
  BoardBuilder b;
  const int r1 = b.component("R1", 1), r10 = b.component("R10", 2),
            c2 = b.component("C2", 3);
  b.pin(r1, "1", 11);
  b.pin(r1, "2", 12);
  b.pin(r10, "1", 21);
  b.pin(c2, "1", 31);
  b.via(41, 4, 4);
  b.access(51, {{"NETNAME", "A"}, {"DATALINK", "11"}});
  b.access(52, {{"NETNAME", "B"}, {"DATALINK", "12"}}, Side::Bottom);
  b.access(53, {{"NETNAME", "C"}, {"DATALINK", "21"}});
  b.access(54, {{"NETNAME", "D"}, {"DATALINK", "41"}}, Side::Bottom);
  b.access(55, {{"NETNAME", "E"}, {"DATALINK", "31"}});
  b.probe("1", 61, 10, 5, Side::Top, placed("51", extra));
  b.probe("2", 62, -1.5, 2.25, Side::Bottom, placed("52"));
  b.probe("10", 63, 20, 5, Side::Top, placed("53"));
  b.probe("3", 64, 4, 4, Side::Bottom, placed("54"));
  b.probe("4", 65, 5, 5, Side::Top, placed("55"));
  return b.take();
}

// The main window with a board loaded; rules files not yet written, so the
// load sequence finds none.
struct Session {
  explicit Session(const Board& board = smallBoard()) {
    w = &f.open();
    w->loadFile(f.write(board, "small board.vd"));
    files = {f.path("user/default.rules"), f.path("shipped/default.rules")};
  }
  GridModel& grid() { return f.grid(); }

  AppFixture f;
  MainWindow* w = nullptr;
  RulesFileLocations files;
};

// Forwards to the main window and notes what the dialog asked of it.
class RecordingHost final : public ProbeGridHost {
 public:
  explicit RecordingHost(MainWindow& w) : mW(w) {}
  GridView& probeGridView() override { return mW.probeGridView(); }
  GridModel& probeGrid() override { return mW.probeGrid(); }
  void fgProbes_SelChange() override {
    ++selChanges;
    mW.fgProbes_SelChange();
  }
  void colourProbe(const QString& name, Rgb colour) override {
    colours[name] = colour;
    mW.colourProbe(name, colour);
  }
  void setDocumentModified() override { mW.setDocumentModified(); }
  BoardDocument& boardDocument() override { return mW.boardDocument(); }
  void loadFile(const QString& name) override { mW.loadFile(name); }
  Prompts& prompts() override { return mW.prompts(); }
  void setBusyPointer(bool busy) override { mW.setBusyPointer(busy); }

  int selChanges = 0;
  std::map<QString, Rgb> colours;

 private:
  MainWindow& mW;
};

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(data);
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray rulesText(const QStringList& lines) {
  return ("Loomwright Rules File\r\n6 Dec 2024\r\n\r\n" + lines.join("\r\n") +
          "\r\n")
      .toLatin1();
}

QStringList hiddenProbes(const GridModel& grid) {
  QStringList names;
  for (int r = 1; r < grid.rows(); ++r)
    if (grid.isRowHidden(r)) names << grid.text(r, probe_grid::kProbe);
  return names;
}

QList<bool> columnsHidden(const GridModel& grid) {
  QList<bool> hidden;
  for (int c = 0; c < grid.columns(); ++c) hidden << grid.isColumnHidden(c);
  return hidden;
}

int rulesRow(RulesDialog& d, const QString& name) {
  const GridModel& rules = *d.fgDisplay->grid();
  for (int r = 1; r < rules.rows(); ++r)
    if (rules.text(r, rules_grid::kColumn) == name) return r;
  return -1;
}

QString cell(RulesDialog& d, const QString& name, int column) {
  return d.fgDisplay->grid()->text(rulesRow(d, name), column);
}

void clickCell(RulesDialog& d, const QString& name, int column) {
  GridModel& rules = *d.fgDisplay->grid();
  const int row = rulesRow(d, name);
  QVERIFY2(row > 0, qPrintable(name));
  const QModelIndex index = rules.index(rules.viewRow(row), column);
  QVERIFY(index.isValid());
  d.fgDisplay->scrollTo(index);
  QTest::mouseClick(d.fgDisplay->viewport(), Qt::LeftButton, {},
                    d.fgDisplay->visualRect(index).center());
}

void clickItem(RulesDialog& d, int i) {
  QListWidgetItem* item = d.lstSortOrder->item(i);
  QVERIFY(item);
  QTest::mouseClick(d.lstSortOrder->viewport(), Qt::LeftButton, {},
                    d.lstSortOrder->visualItemRect(item).center());
}

void show(RulesDialog& d) {
  d.show();
  QVERIFY(QTest::qWaitForWindowExposed(&d));
}

// Generic grid order for the checks below: numbers by value before texts,
// texts by code unit.
int compareGeneric(const QString& a, const QString& b) {
  bool na = false, nb = false;
  const double x = a.toDouble(&na), y = b.toDouble(&nb);
  if (na && nb) return x < y ? -1 : (x > y ? 1 : 0);
  if (na != nb) return na ? -1 : 1;
  return a.compare(b);
}

}  // namespace

class RulesDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }

  void opensWithTheProbeGridsColumns() {
    Session s;
    QVERIFY(s.f.prompts.messages.isEmpty());
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    QCOMPARE(d.objectName(), QString("frmFilterProbes"));
    QCOMPARE(d.windowTitle(),
             QString("Visible Columns and Probe Sortting Order"));
    const std::pair<QPushButton*, const char*> buttons[] = {
        {d.cmdUp, "Move Up"},
        {d.cmdDown, "Move Down"},
        {d.cmdApply, "Sort Probe Grid"},
        {d.cmdLoad, "Load Rules"},
        {d.cmdSave, "Save Rules"}};
    for (auto [button, text] : buttons) {
      QCOMPARE(button->text(), QString(text));
      QCOMPARE(d.findChild<QPushButton*>(button->objectName()), button);
    }
    QCOMPARE(d.findChild<GridView*>("fgDisplay"), d.fgDisplay);
    QCOMPARE(d.findChild<QListWidget*>("lstSortOrder"), d.lstSortOrder);
    QCOMPARE(d.cmdApply->objectName(), QString("cmdApply"));
    bool labelled = false;
    for (QLabel* l : d.findChildren<QLabel*>())
      labelled |= l->text() == "Column Sort Priority";
    QVERIFY(labelled);
    QVERIFY(!d.cmdUp->isEnabled() && !d.cmdDown->isEnabled());
    QVERIFY(!d.cmdLoad->isEnabled());  // no rules file anywhere
    QVERIFY(d.sortOrder().isEmpty());

    GridModel& probes = s.grid();
    GridModel& rules = *d.fgDisplay->grid();
    QCOMPARE(rules.rows(), probes.columns() + 1);
    for (int c = 0; c < probes.columns(); ++c) {
      QCOMPARE(rules.text(c + 1, rules_grid::kColumn), probes.text(0, c));
      QCOMPARE(rules.text(c + 1, rules_grid::kVisible),
               QString(probes.isColumnHidden(c) ? "0" : "1"));
      QCOMPARE(rules.text(c + 1, rules_grid::kSortKey), QString("0"));
      QCOMPARE(rules.isRowHidden(c + 1),
               isInternalColumnTitle(probes.text(0, c)));
    }
    QVERIFY(rules.isRowHidden(rulesRow(d, "DATALINK")));
    QVERIFY(!rules.isRowHidden(rulesRow(d, "Tester Resource")));
    QCOMPARE(rules.rowCount(), probes.columns() - 9);

    // The rules grid's order is its link to the probe grid: titles do not
    // sort it.
    const QStringList names = columnTexts(rules, rules_grid::kColumn);
    QTest::mouseClick(d.fgDisplay->horizontalHeader()->viewport(),
                      Qt::LeftButton, {},
                      QPoint(d.fgDisplay->columnViewportPosition(2) + 5, 5));
    QCOMPARE(columnTexts(rules, rules_grid::kColumn), names);

    writeFile(s.files.shipped, rulesText({}));
    RulesDialog again(*s.w, s.files, s.w);
    QVERIFY(again.cmdLoad->isEnabled());
  }

  void tickingVisibleHidesAndShowsTheColumnAtOnce() {
    Session s;
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    GridModel& probes = s.grid();
    QVERIFY(!probes.isColumnHidden(probe_grid::kX));
    clickCell(d, "X Loc", rules_grid::kVisible);
    QVERIFY(probes.isColumnHidden(probe_grid::kX));
    QVERIFY(s.w->fgProbes->isColumnHidden(probe_grid::kX));
    QCOMPARE(cell(d, "X Loc", rules_grid::kVisible), QString("0"));
    clickCell(d, "X Loc", rules_grid::kVisible);
    QVERIFY(!probes.isColumnHidden(probe_grid::kX));
    QVERIFY(!s.w->fgProbes->isColumnHidden(probe_grid::kX));

    // The name column is not a switch.
    const QList<bool> before = columnsHidden(probes);
    clickCell(d, "Y Loc", rules_grid::kColumn);
    QCOMPARE(columnsHidden(probes), before);
    QCOMPARE(cell(d, "Y Loc", rules_grid::kSortKey), QString("0"));
    QVERIFY(d.sortOrder().isEmpty());
  }

  void sortKeyTicksAppendAndUntickingRemovesTheFirstEqual() {
    Session s;
    writeFile(s.files.user,
              rulesText({".ColumnGrid 1 0 X Loc", "", ".SortOrder X Loc",
                         ".SortOrder Probe #"}));
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    QTest::mouseClick(d.cmdLoad, Qt::LeftButton);
    QCOMPARE(d.sortOrder(), (QStringList{"X Loc", "Probe #"}));
    QCOMPARE(cell(d, "X Loc", rules_grid::kSortKey), QString("0"));
    clickCell(d, "X Loc", rules_grid::kSortKey);  // in the list already
    QCOMPARE(d.sortOrder(), (QStringList{"X Loc", "Probe #", "X Loc"}));
    QCOMPARE(cell(d, "X Loc", rules_grid::kSortKey), QString("1"));
    clickCell(d, "X Loc", rules_grid::kSortKey);
    QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "X Loc"}));
    QCOMPARE(cell(d, "X Loc", rules_grid::kSortKey), QString("0"));
    QVERIFY(s.f.prompts.messages.isEmpty());
  }

  void moveButtonsAtTheEndsOfTheList() {
    Session s;
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    for (const char* name : {"Probe #", "X Loc", "Y Loc"})
      clickCell(d, name, rules_grid::kSortKey);
    QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "X Loc", "Y Loc"}));
    QVERIFY(!d.cmdUp->isEnabled() && !d.cmdDown->isEnabled());  // none chosen

    clickItem(d, 0);
    QVERIFY(!d.cmdUp->isEnabled());
    QVERIFY(d.cmdDown->isEnabled());
    QTest::mouseClick(d.cmdDown, Qt::LeftButton);
    QCOMPARE(d.sortOrder(), (QStringList{"X Loc", "Probe #", "Y Loc"}));
    QVERIFY(d.lstSortOrder->item(1)->isSelected());
    QVERIFY(d.cmdUp->isEnabled() && d.cmdDown->isEnabled());
    QTest::mouseClick(d.cmdDown, Qt::LeftButton);
    QCOMPARE(d.sortOrder(), (QStringList{"X Loc", "Y Loc", "Probe #"}));
    QVERIFY(d.cmdUp->isEnabled());
    QVERIFY(!d.cmdDown->isEnabled());
    d.cmdDown_Click();  // at the end: nothing moves, nothing fails
    QCOMPARE(d.sortOrder(), (QStringList{"X Loc", "Y Loc", "Probe #"}));
    QTest::mouseClick(d.cmdUp, Qt::LeftButton);
    QTest::mouseClick(d.cmdUp, Qt::LeftButton);
    QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "X Loc", "Y Loc"}));
    QVERIFY(!d.cmdUp->isEnabled() && d.cmdDown->isEnabled());
    d.cmdUp_Click();
    QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "X Loc", "Y Loc"}));

    // Under two entries the buttons stay as they were, and pressing them
    // changes nothing.
    clickCell(d, "X Loc", rules_grid::kSortKey);
    clickCell(d, "Y Loc", rules_grid::kSortKey);
    QCOMPARE(d.sortOrder(), QStringList{"Probe #"});
    QVERIFY(d.cmdDown->isEnabled());
    QTest::mouseClick(d.cmdDown, Qt::LeftButton);
    d.cmdUp_Click();
    QCOMPARE(d.sortOrder(), QStringList{"Probe #"});
  }

  void saveThenLoadRestoresEveryCellAndTheList() {
    Session s;
    GridModel& probes = s.grid();
    {
      RulesDialog d(*s.w, s.files, s.w);
      show(d);
      clickCell(d, "X Loc", rules_grid::kVisible);
      clickCell(d, "Probe Size", rules_grid::kVisible);
      clickCell(d, "RefDes", rules_grid::kSortKey);
      clickCell(d, "Probe #", rules_grid::kSortKey);
      clickItem(d, 1);
      QTest::mouseClick(d.cmdUp, Qt::LeftButton);
      QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "RefDes"}));
      QVERIFY(!d.cmdLoad->isEnabled());
      QTest::mouseClick(d.cmdSave, Qt::LeftButton);
      QVERIFY2(s.f.prompts.messages.isEmpty(),
               qPrintable(s.f.prompts.lastText()));
      QVERIFY(d.cmdLoad->isEnabled());  // what was saved can be loaded
    }
    QVERIFY(!QFileInfo::exists(s.files.shipped));
    QList<QByteArray> lines = readFile(s.files.user).split('\n');
    QList<QByteArray> golden =
        readFile(RULES_DATA "/small-board.rules").split('\n');
    QVERIFY(golden.size() > 20);
    QCOMPARE(lines.size(), golden.size());
    QVERIFY(lines[1].size() > 2);  // today's date, never read
    lines[1] = golden[1];
    QCOMPARE(lines, golden);

    // A fresh dialog starts from the probe grid; change it, then load.
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    QCOMPARE(cell(d, "X Loc", rules_grid::kVisible), QString("0"));
    clickCell(d, "X Loc", rules_grid::kVisible);
    clickCell(d, "Y Loc", rules_grid::kVisible);
    clickCell(d, "Y Loc", rules_grid::kSortKey);
    QVERIFY(d.cmdLoad->isEnabled());
    QTest::mouseClick(d.cmdLoad, Qt::LeftButton);
    QVERIFY(s.f.prompts.messages.isEmpty());
    QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "RefDes"}));
    for (const auto& [name, visible, key] :
         {std::tuple{"X Loc", "0", "0"}, std::tuple{"Y Loc", "1", "0"},
          std::tuple{"Probe Size", "0", "0"}, std::tuple{"RefDes", "1", "1"},
          std::tuple{"Probe #", "1", "1"}, std::tuple{"Net Name", "0", "0"}}) {
      QCOMPARE(cell(d, name, rules_grid::kVisible), QString(visible));
      QCOMPARE(cell(d, name, rules_grid::kSortKey), QString(key));
    }
    QVERIFY(probes.isColumnHidden(probe_grid::kX));
    QVERIFY(!probes.isColumnHidden(probe_grid::kY));
    QVERIFY(probes.isColumnHidden(probe_grid::kSize));
    // Sorted: via first (no prefix), then C2-1, R1-1, R1-2, R10-1.
    QCOMPARE(columnTexts(probes, probe_grid::kProbe),
             (QStringList{"3", "4", "1", "2", "10"}));
    QCOMPARE(probes.currentRow(), 2);  // first visible: probe 4 on top
  }

  void loadingTwiceGivesTheSameList() {
    Session s;
    writeFile(s.files.user,
              rulesText({".ColumnGrid 1 1 Probe #", "", ".SortOrder Probe #",
                         ".SortOrder X Loc"}));
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    QVERIFY(d.cmdLoad_Click());
    QVERIFY(d.cmdLoad_Click());
    QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "X Loc"}));
    QCOMPARE(cell(d, "Probe #", rules_grid::kSortKey), QString("1"));
  }

  void aFileThatIsGoneLeavesEverythingAsItWas() {
    Session s;
    writeFile(s.files.user,
              rulesText({".ColumnGrid 0 0 Probe #", "", ".SortOrder X Loc"}));
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    QVERIFY(d.cmdLoad->isEnabled());
    clickCell(d, "Y Loc", rules_grid::kSortKey);
    QVERIFY(QFile::remove(s.files.user));
    const QStringList order = columnTexts(s.grid(), probe_grid::kProbe);
    const QList<bool> hidden = columnsHidden(s.grid());
    QTest::mouseClick(d.cmdLoad, Qt::LeftButton);
    QCOMPARE(columnTexts(s.grid(), probe_grid::kProbe), order);
    QCOMPARE(columnsHidden(s.grid()), hidden);
    QCOMPARE(d.sortOrder(), QStringList{"Y Loc"});
    QCOMPARE(s.f.prompts.messages.size(), 1);
    const ScriptedPrompts::Message& m = s.f.prompts.messages.last();
    QCOMPARE(m.title, QString("Loomwright"));
    QCOMPARE(m.icon, Prompts::Icon::Stop);
    QVERIFY2(m.text.contains(QDir::toNativeSeparators(s.files.user)),
             qPrintable(m.text));
    QVERIFY(!d.cmdLoad->isEnabled());
  }

  void aSaveThatFailsIsReportedByName() {
    Session s;
    writeFile(s.f.path("blocked"), "not a folder");
    RulesFileLocations files{s.f.path("blocked/default.rules"),
                             s.files.shipped};
    RulesDialog d(*s.w, files, s.w);
    show(d);
    QTest::mouseClick(d.cmdSave, Qt::LeftButton);
    QCOMPARE(s.f.prompts.messages.size(), 1);
    const ScriptedPrompts::Message& m = s.f.prompts.messages.last();
    QCOMPARE(m.title, QString("Loomwright"));
    QCOMPARE(m.icon, Prompts::Icon::Stop);
    QVERIFY2(m.text.contains(QDir::toNativeSeparators(files.user)),
             qPrintable(m.text));
    QVERIFY(!d.cmdLoad->isEnabled());
    // The dialog goes on working.
    clickCell(d, "X Loc", rules_grid::kVisible);
    QVERIFY(s.grid().isColumnHidden(probe_grid::kX));
  }

  void columnNamesBeyondLatin1AreLeftOutAndNamed() {
    const QString cjk = QString::fromUtf8("\u62b5\u6297");
    const QString latin = QString::fromUtf8("R\u00e9sistance");
    Session s(smallBoard({{"R\u00e9sistance", "10k"}, {"\u62b5\u6297", "1"}}));
    QVERIFY(s.f.columnTitled(latin) > 0 && s.f.columnTitled(cjk) > 0);
    {
      RulesDialog d(*s.w, s.files, s.w);
      show(d);
      clickCell(d, latin, rules_grid::kVisible);
      clickCell(d, cjk, rules_grid::kVisible);
      QVERIFY(d.cmdSave_Click());
    }
    QCOMPARE(s.f.prompts.messages.size(), 1);
    QCOMPARE(s.f.prompts.messages[0].icon, Prompts::Icon::Information);
    QVERIFY(s.f.prompts.messages[0].text.contains(cjk));
    const QByteArray bytes = readFile(s.files.user);
    QVERIFY(bytes.contains(".ColumnGrid 0 0 R\xe9sistance\r\n"));
    QVERIFY(!bytes.contains(cjk.toUtf8()));
    QVERIFY(!bytes.contains('?'));

    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    clickCell(d, latin, rules_grid::kVisible);
    clickCell(d, cjk, rules_grid::kVisible);
    QVERIFY(d.cmdLoad_Click());
    QCOMPARE(cell(d, latin, rules_grid::kVisible), QString("0"));
    QVERIFY(s.grid().isColumnHidden(s.f.columnTitled(latin)));
    // Not in the file: it keeps what it had.
    QCOMPARE(cell(d, cjk, rules_grid::kVisible), QString("1"));
  }

  void namesAndFlagsAreReadAsWritten() {
    Session s;
    writeFile(
        s.files.user,
        rulesText({".ColumnGrid 0 0 x loc", ".ColumnGrid x 0 Probe Size",
                   "   .ColumnGrid 0 0 Y Loc   ", "\t.ColumnGrid 0 0 RefDes",
                   ".columngrid", ".ColumnGrid 0", ".ColumnGrid 0 0",
                   ".ColumnGrid 1 0 ", ".COLUMNGRID 0 0 Feature Type"}));
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    QTest::mouseClick(d.cmdLoad, Qt::LeftButton);
    QVERIFY(s.f.prompts.messages.isEmpty());
    GridModel& probes = s.grid();
    QVERIFY(!probes.isColumnHidden(probe_grid::kX));       // case differs
    QVERIFY(probes.isColumnHidden(probe_grid::kSize));     // "x" is not "1"
    QVERIFY(probes.isColumnHidden(probe_grid::kY));        // blanks trimmed
    QVERIFY(!probes.isColumnHidden(probe_grid::kRefDes));  // tabs are not
    QVERIFY(probes.isColumnHidden(probe_grid::kFeatureType));
    QCOMPARE(cell(d, "Probe Size", rules_grid::kVisible), QString("x"));
    clickCell(d, "Probe Size", rules_grid::kVisible);  // not "0": becomes "0"
    QCOMPARE(cell(d, "Probe Size", rules_grid::kVisible), QString("0"));
    QVERIFY(probes.isColumnHidden(probe_grid::kSize));
  }

  void aSortLineSortsWhateverTheSortKeyFlag() {
    Session s;
    writeFile(s.files.user,
              rulesText({".ColumnGrid 1 0 X Loc", ".ColumnGrid 1 1 Y Loc", "",
                         ".SortOrder X Loc"}));
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    QTest::mouseClick(d.cmdLoad, Qt::LeftButton);
    QCOMPARE(d.sortOrder(), QStringList{"X Loc"});  // Y Loc's flag adds none
    QCOMPARE(cell(d, "X Loc", rules_grid::kSortKey), QString("0"));
    QCOMPARE(columnTexts(s.grid(), probe_grid::kProbe),
             (QStringList{"2", "3", "4", "1", "10"}));
  }

  void anEmptyListStillRecoloursAndSelectsTheFirstVisibleRow() {
    Session s;
    GridModel& probes = s.grid();
    probes.setText(s.f.rowOf("10"), probe_grid::kWired, "1");
    probes.setCurrentRow(s.f.rowOf("10"));
    const QStringList order = columnTexts(probes, probe_grid::kProbe);
    RecordingHost host(*s.w);
    RulesDialog d(host, s.files, s.w);
    show(d);
    QTest::mouseClick(d.cmdApply, Qt::LeftButton);
    QCOMPARE(columnTexts(probes, probe_grid::kProbe), order);
    QCOMPARE(host.colours.size(), size_t(5));  // hidden rows too
    for (const auto& [name, colour] : host.colours)
      QCOMPARE(colour, name == "10" ? kWiredColour : kNotWiredColour);
    QCOMPARE(probes.currentRow(), firstVisibleRow(probes));
    QCOMPARE(probes.text(probes.currentRow(), probe_grid::kProbe),
             QString("1"));
    QCOMPARE(host.selChanges, 1);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(probes.redraw(), Redraw::On);

    // Selecting runs even when the first visible row is current already.
    QTest::mouseClick(d.cmdApply, Qt::LeftButton);
    QCOMPARE(host.selChanges, 2);
  }

  void noVisibleRowSelectsNothing() {
    Session s;
    GridModel& probes = s.grid();
    for (int r = 1; r < probes.rows(); ++r) probes.setRowHidden(r, true);
    RecordingHost host(*s.w);
    RulesDialog d(host, s.files, s.w);
    d.cmdApply_Click();
    QCOMPARE(host.selChanges, 0);
    QCOMPARE(host.colours.size(), size_t(5));
  }

  void hiddenRowsStayHiddenAfterSorting() {
    Session s;
    s.w->optBot->click();
    GridModel& probes = s.grid();
    const QStringList top = {"1", "4", "10"};
    QCOMPARE(hiddenProbes(probes), top);
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    clickCell(d, "X Loc", rules_grid::kSortKey);
    QTest::mouseClick(d.cmdApply, Qt::LeftButton);
    QCOMPARE(columnTexts(probes, probe_grid::kProbe),
             (QStringList{"2", "3", "4", "1", "10"}));
    QCOMPARE(hiddenProbes(probes), (QStringList{"4", "1", "10"}));
    QCOMPARE(probes.currentRow(), 1);  // probe 2, the first bottom row
  }

  void generatedBoardSortsByReferenceWithTiesInProbeOrder() {
    Session s(generateBoard(demoOptions()));
    GridModel& probes = s.grid();
    QVERIFY(probes.rows() > 100);
    RulesDialog d(*s.w, s.files, s.w);
    show(d);
    // Scramble first, so that probe order is the work of the first pass.
    clickCell(d, "X Loc", rules_grid::kSortKey);
    d.cmdApply_Click();
    clickCell(d, "X Loc", rules_grid::kSortKey);
    clickCell(d, "Probe #", rules_grid::kSortKey);
    clickCell(d, "RefDes", rules_grid::kSortKey);
    QCOMPARE(d.sortOrder(), (QStringList{"Probe #", "RefDes"}));
    QTest::mouseClick(d.cmdApply, Qt::LeftButton);

    using namespace probe_grid;
    int ties = 0;
    for (int r = 2; r < probes.rows(); ++r) {
      int order = 0;
      for (int c : {kPrefix, kNumber, kPin, kProbe}) {
        order = compareGeneric(probes.text(r - 1, c), probes.text(r, c));
        if (order != 0) break;
        if (c == kPin) ++ties;
      }
      QVERIFY2(order < 0, qPrintable(QString("rows %1 and %2: %3, %4")
                                         .arg(r - 1)
                                         .arg(r)
                                         .arg(probes.text(r - 1, kRefDes),
                                              probes.text(r, kRefDes))));
    }
    QVERIFY(ties > 0);  // the check of probe order means something
    QCOMPARE(probes.currentRow(), firstVisibleRow(probes));
  }

  void usersFileBeforeShippedInTheLoadSequence() {
    Session s;
    GridModel& probes = s.grid();
    const QStringList order = columnTexts(probes, probe_grid::kProbe);
    QVERIFY(!RulesDialog::applyRulesFile(*s.w, s.files, s.w));
    QCOMPARE(columnTexts(probes, probe_grid::kProbe), order);

    writeFile(s.files.shipped,
              rulesText({".ColumnGrid 0 0 X Loc", "", ".SortOrder X Loc"}));
    QVERIFY(RulesDialog::applyRulesFile(*s.w, s.files, s.w));
    QVERIFY(probes.isColumnHidden(probe_grid::kX));
    QVERIFY(!probes.isColumnHidden(probe_grid::kY));
    QCOMPARE(columnTexts(probes, probe_grid::kProbe),
             (QStringList{"2", "3", "4", "1", "10"}));

    writeFile(s.files.user,
              rulesText({".ColumnGrid 1 0 X Loc", ".ColumnGrid 0 0 Y Loc", "",
                         ".SortOrder Probe #"}));
    QVERIFY(RulesDialog::applyRulesFile(*s.w, s.files, s.w));
    QVERIFY(!probes.isColumnHidden(probe_grid::kX));
    QVERIFY(probes.isColumnHidden(probe_grid::kY));
    QCOMPARE(columnTexts(probes, probe_grid::kProbe), order);
    QCOMPARE(probes.currentRow(), firstVisibleRow(probes));
    for (QWidget* w : QApplication::topLevelWidgets())
      QVERIFY(!qobject_cast<RulesDialog*>(w));  // closed and gone
    QVERIFY(s.f.prompts.messages.isEmpty());

    RulesDialog d(*s.w, s.files, s.w);
    QVERIFY(d.cmdLoad->isEnabled());
    QFile::remove(s.files.user);  // falls back to the shipped file
    QVERIFY(d.cmdLoad_Click());
    QVERIFY(probes.isColumnHidden(probe_grid::kX));
  }

  void shippedRulesKeepTheTablesOwnColumns() {
    QCOMPARE(readFile(RULES_SHIPPED_COPY),
             readFile(LW_SOURCE_ROOT "/src/rules/default.rules"));
    Session s;
    GridModel& probes = s.grid();
    const QList<bool> hidden = columnsHidden(probes);
    const QStringList order = columnTexts(probes, probe_grid::kProbe);
    // Attribute columns shown by the table, so a visible one is covered.
    QVERIFY(!probes.isColumnHidden(s.f.columnTitled("NETNAME")));
    QVERIFY(RulesDialog::applyRulesFile(
        *s.w, {QString(), LW_SOURCE_ROOT "/src/rules/default.rules"}, s.w));
    QCOMPARE(columnsHidden(probes), hidden);
    QCOMPARE(columnTexts(probes, probe_grid::kProbe), order);
  }
};

LW_QTEST_MAIN(RulesDialogTest)
#include "rulesdialog_test.moc"
