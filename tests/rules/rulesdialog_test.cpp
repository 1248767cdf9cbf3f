// The rules dialog on a host of its own: clicks on its grid, list and
// buttons rearrange the host's probe grid; rules files live in a temporary
// folder. How the file reads and how the passes sort is tested with them.

#include "rulesdialog.h"
#include "gridclicks.h"
#include "gridtexts.h"
#include "probeboard.h"
#include "qtestmain.h"
#include "rulesgrid.h"
#include "tempfolder.h"
#include "testhost.h"
#include "testrows.h"

#include <QListWidget>
#include <QPushButton>

#include <memory>

using namespace lw;
using namespace lw::test;

namespace {

QStringList list(const QString& commaJoined) {
  return commaJoined.split(',', Qt::SkipEmptyParts);
}

// The probe grid of five probes: X order 2, 3, 4, 1, 10; designator order
// 3 (a via), 4, 1, 2, 10. Probes 2 and 3 are below, so their rows are hidden.
struct Rig {
  RulesDialog& open() {
    dialog = std::make_unique<RulesDialog>(host, files);
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get())) qWarning("not shown");
    return *dialog;
  }
  RulesDialog& d() { return dialog ? *dialog : open(); }

  // Comma-separated steps. Before the dialog opens (at its first step):
  // "user L;L", "shipped L;L" write a rules file ("ours": the build's),
  // "blocked" puts a file where the user's folder should be, "folder" a
  // folder where the user's file should be, "retitle T"
  // renames the first attribute column. "applyRulesFile" is the load
  // sequence's step. "V T", "S T", "C T" click the Visible, Sort Key or
  // Column cell of title T; "title N" clicks the rules grid's column title N;
  // "pick N" chooses list entry N; "up", "down", "apply", "load", "save"
  // press the button, even when it is off; "gone" removes the user's file;
  // "open" opens a new dialog.
  void run(const QString& steps) {
    for (const QString& step : list(steps)) {
      const QString verb = step.section(' ', 0, 0), arg = step.section(' ', 1);
      if (verb == "user" || verb == "shipped")
        dir.write(verb + "/default.rules",
                  ("Loomwright Rules File\r\n6 Dec 2024\r\n\r\n" +
                   arg.split(';').join("\r\n") + "\r\n")
                      .toLatin1());
      else if (verb == "ours")
        dir.write("shipped/default.rules", readFile(RULES_SHIPPED_COPY));
      else if (verb == "folder")
        QDir().mkpath(files.user);
      else if (verb == "blocked")
        files.user = dir.write("blocked", "a file") + "/default.rules";
      else if (verb == "retitle")
        probes.setText(0, probe_grid::kFirstAttribute, arg);
      else if (verb == "applyRulesFile")
        applied = RulesDialog::applyRulesFile(host, files) ? "yes" : "no";
      else if (verb == "gone")
        QFile::remove(files.user);
      else if (verb == "open")
        open();
      else if (verb == "title")
        clickTitle(*d().fgDisplay, arg.toInt());
      else if (verb == "pick")
        d().lstSortOrder->setCurrentRow(arg.toInt());
      else if (verb.size() == 1)
        clickCell(*d().fgDisplay,
                  columnTexts(*d().fgDisplay->grid(), rules_grid::kColumn)
                          .indexOf(arg) +
                      1,
                  QString("VSC").indexOf(verb));
      else if (auto* b = d().findChild<QPushButton*>(
                   "cmd" + verb.left(1).toUpper() + verb.mid(1));
               b->isEnabled())
        QTest::mouseClick(b, Qt::LeftButton);
      else  // a button that is off, as if pressed all the same
        QMetaObject::invokeMethod(b, "clicked");
    }
  }

  // What a script may check, each as "name=value".
  QMap<QString, QString> state() const {
    QMap<QString, QString> s{
        {"flipped", flipped().join(',')},
        {"probes", host.probes().join(',')},
        {"reselects", QString::number(host.reselects)},
        {"told", host.scripted.told().join('\n').replace(dir.path(""), "$DIR")},
        {"applied", applied}};
    if (!dialog) return s;
    s["list"] = dialog->sortOrder().join(',');
    s["keys"] = keys().join(',');
    QStringList on;
    for (QPushButton* b : {dialog->cmdUp, dialog->cmdDown, dialog->cmdLoad})
      if (b->isEnabled()) on << b->objectName().mid(3).toLower();
    s["on"] = on.join(',');
    s["picked"] = QString::number(dialog->lstSortOrder->currentRow());
    QList<QByteArray> saved = dir.read("user/default.rules").split('\n');
    const QList<QByteArray> golden =
        readFile(RULES_DATA "/small-board.rules").split('\n');
    if (saved.size() == golden.size()) saved[1] = golden[1];  // the date
    s["saved"] = saved == golden ? "golden" : "other";
    return s;
  }

  // Titles whose Sort Key is "1"; "!title" where Visible does not say
  // whether the probe grid shows the column, "?title" where the row does not
  // stand for probe grid column row - 1.
  QStringList keys() const {
    const GridModel& rules = *dialog->fgDisplay->grid();
    QStringList keys;
    if (rules.rows() != probes.columns() + 1) keys << "?rows";
    for (int r = 1; r < rules.rows(); ++r) {
      const QString title = rules.text(r, rules_grid::kColumn);
      if (title != probes.text(0, r - 1)) keys << "?" + title;
      if (rules.text(r, 0) != (probes.isColumnHidden(r - 1) ? "0" : "1"))
        keys << "!" + title;
      if (rules.text(r, rules_grid::kSortKey) == "1") keys << title;
    }
    return keys;
  }
  // Probe grid columns shown or hidden against the probe table's choice.
  QStringList flipped() const {
    QStringList titles;
    for (int c = 0; c < probes.columns(); ++c)
      if (probes.isColumnHidden(c) != isInternalColumnTitle(probes.text(0, c)))
        titles << probes.text(0, c);
    return titles;
  }

  TempFolder dir;
  TestHost host{boardWithProbesOn({{"2", "R1", "2", Side::Bottom},
                                   {"3", "", "1", Side::Bottom},
                                   {"4", "C2"},
                                   {"1", "R1"},
                                   {"10", "R10"}})};
  GridModel& probes = host.probeGrid();
  RulesFileLocations files{dir.path("user/default.rules"),
                           dir.path("shipped/default.rules")};
  std::unique_ptr<RulesDialog> dialog;
  QString applied;  // what applyRulesFile returned
};

}  // namespace

class RulesDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void opensOnTheProbeGridsColumns() {
    Rig r;
    RulesDialog& d = r.open();
    QStringList seen{d.objectName() + "=" + d.windowTitle()};
    for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      seen << w->objectName() + "=" + w->property("text").toString();
    seen.sort();
    QCOMPARE(seen, list("=Column Sort Priority,cmdApply=Sort Probe Grid,cmdDown"
                        "=Move Down,cmdLoad=Load Rules,cmdSave=Save Rules,cmdUp"
                        "=Move Up,fgDisplay=,frmFilterProbes=Visible Columns "
                        "and Probe Sortting Order,lstSortOrder="));
  }

  void scripts_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");  // "name=value; ...", "told=" too
    // Rules row r stands for probe grid column r - 1: titles must not sort.
    row("opens on the probe grid", "title 2", "keys=; list=; on=; picked=-1");
    row("a shipped file is enough to load", "shipped ,open", "on=load");
    row("visible hides at once", "V X Loc", "flipped=X Loc; keys=");
    row("and shows", "V X Loc,V X Loc", "flipped=; keys=");
    row("column cell is no switch", "C Y Loc", "flipped=; list=; keys=");
    row("sort keys append", "S Probe #,S X Loc,V Y Loc,S Y Loc",
        "flipped=Y Loc; list=Probe #,X Loc,Y Loc; keys=Probe #,X Loc,Y Loc");
    row("unticking removes", "S Probe #,S X Loc,S Probe #",
        "list=X Loc; keys=X Loc");
    row("unticking removes the first equal",
        "user .SortOrder X Loc;.SortOrder Probe #,load,S X Loc,S X Loc",
        "list=Probe #,X Loc; keys=");
    row("a file's flags add no entry",
        "user .ColumnGrid 1 1 Y Loc;.SortOrder X Loc,load",
        "list=X Loc; keys=Y Loc");
    const QString three = "S Probe #,S X Loc,S Y Loc,";
    row("none chosen", three, "on=; picked=-1");
    row("first chosen", three + "pick 0", "on=down; picked=0");
    row("down", three + "pick 0,down",
        "list=X Loc,Probe #,Y Loc; on=up,down; picked=1");
    row("past the end", three + "pick 0,down,down,down",
        "list=X Loc,Y Loc,Probe #; on=up; picked=2");
    row("up", three + "pick 2,up",
        "list=Probe #,Y Loc,X Loc; on=up,down; picked=1");
    row("past the top", three + "pick 2,up,up,up",
        "list=Y Loc,Probe #,X Loc; on=down; picked=0");
    row("sort without keys", "apply", "probes=1,2,3,4,10; reselects=1");
    row("sort by X", "S X Loc,apply", "probes=2,3,4,1,10; reselects=1");
    row("saves every row and the list's order",
        "V X Loc,V Probe Size,S RefDes,S Probe #,pick 1,up,save",
        "saved=golden");
    row("a new dialog starts from the probe grid", "V X Loc,S Y Loc,open",
        "flipped=X Loc; list=; keys=");
    row("saved rules load back",
        "V X Loc,V Probe Size,S RefDes,S Probe #,pick 1,up,save,open,"
        "V X Loc,V Y Loc,S Y Loc,load,load",
        "list=Probe #,RefDes; keys=Probe #,RefDes; flipped=X Loc,Probe Size; "
        "probes=3,4,1,2,10; reselects=2; on=load");
    row("user's file gone, shipped read",
        "user .SortOrder X Loc,shipped .ColumnGrid 0 0 X Loc,S Y Loc,gone,load",
        "flipped=X Loc; list=; reselects=1; on=load");
    row("no file left", "user .SortOrder X Loc,S Y Loc,gone,load",
        "flipped=; list=Y Loc; reselects=0; on=; told=Loomwright|Stop|Ok|"
        "Cannot read the rules file \"$DIR/user/default.rules\": it no longer "
        "exists.");
    row("a failed save is told", "blocked,save,V X Loc",
        "on=; flipped=X Loc; told=Loomwright|Stop|Ok|Cannot save "
        "\"$DIR/blocked/default.rules\": the folder \"$DIR/blocked\" cannot be "
        "created.");
    row("names beyond Latin-1 are told", "retitle \u62b5\u6297,save",
        "on=load; told=Loomwright|Information|Ok|The rules file was saved "
        "without these column names, which it cannot hold:\n\n\u62b5\u6297");
    // The load sequence's step: the user's file first, then the shipped one.
    row("no rules file", "applyRulesFile",
        "applied=no; probes=1,2,3,4,10; reselects=0");
    row("shipped rules",
        "shipped .ColumnGrid 0 0 X Loc;.SortOrder X Loc,applyRulesFile",
        "applied=yes; flipped=X Loc; probes=2,3,4,1,10; reselects=1");
    row("user's rules first",
        "user .ColumnGrid 0 0 Y Loc;.SortOrder Probe #,shipped .ColumnGrid 0 "
        "0 X Loc;.SortOrder X Loc,applyRulesFile",
        "applied=yes; flipped=Y Loc; probes=1,2,3,4,10; reselects=1");
    row("ours keep the table's columns", "ours,applyRulesFile",
        "applied=yes; flipped=; probes=1,2,3,4,10; reselects=1");
    // What is passed over is told.
    row("a user's file that cannot be read gives way, lines ignored",
        "folder,shipped .ColumnGrid x 0 X Loc;.SortOrder X Loc,applyRulesFile",
        "applied=yes; flipped=; probes=2,3,4,1,10; told=Loomwright|Warning|Ok|"
        "Cannot read the rules file \"$DIR/user/default.rules\": it is a "
        "folder. The rules shipped with Loomwright are used instead.\n\nThese "
        "lines of \"$DIR/shipped/default.rules\" were ignored:\nline 4 "
        "(\".ColumnGrid x 0 X Loc\"): the flags must be 0 or 1");
  }
  void scripts() {
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    Rig r;
    r.run(steps);
    const QMap<QString, QString> state = r.state();
    QStringList fields = expected.split("; "), actual;
    if (!expected.contains("told=")) fields << "told=";
    for (const QString& f : fields)
      actual << f.section('=', 0, 0) + "=" + state.value(f.section('=', 0, 0));
    QCOMPARE(actual, fields);
    QCOMPARE(r.host.busyBalance, 0);
    QCOMPARE(r.probes.redraw(), Redraw::On);
    if (r.host.reselects > 0)  // sorted before reselecting
      QCOMPARE(r.host.reselectedOrder, r.host.probes());
  }
};

LW_QTEST_MAIN(RulesDialogTest)
#include "rulesdialog_test.moc"
