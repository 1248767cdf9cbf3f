// The "Rename Probes" dialog on a host of its own: what it lists, the
// duplicates it refuses, the designator sort, and the questions before it
// writes a renumbered copy and has the host load it. How proposals are made
// and how the copy is renamed is tested with the renumbering core.

#include "gridclicks.h"
#include "gridtexts.h"
#include "probeboard.h"
#include "qtestmain.h"
#include "renamegrid.h"
#include "renameprobesdialog.h"
#include "tempfolder.h"
#include "testhost.h"
#include "testrows.h"

#include <QPushButton>

#include <memory>

using namespace lw;
using namespace lw::test;

namespace {

const QString kConfirmation =
    "Loomwright|None|YesNo|You are about to rename all of the probes to their "
    "new names.\n\nYou will be prompted for the name of the VD or VDZ file to "
    "be created.\n\nWould you like to continue?";
const QString kWrongExtension =
    "Loomwright|Information|Ok|The specified file does not have a recognized "
    "extension.\n\nThe only valid extentions are .VD or .VDZ\n\nNo file will "
    "be saved.";

// Twelve probes on TP1..TP12, named 101..112 in another order, every third
// one below; the probe on TP5 has no "REFNAME".
QList<ProbeOn> testPointProbes() {
  QList<ProbeOn> probes;
  for (int i = 0; i < 12; ++i) {
    const int tp = (i * 5) % 12 + 1;
    probes << ProbeOn{QString::number(101 + i), "TP" + QString::number(tp), "1",
                      i % 3 == 2 ? Side::Bottom : Side::Top, tp != 5};
  }
  return probes;
}

struct Rig {
  explicit Rig(const QList<ProbeOn>& probes = testPointProbes())
      : host(boardWithProbesOn(probes)) {}

  RenameProbesDialog& open() {
    dialog = std::make_unique<RenameProbesDialog>(host);
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get())) qWarning("not shown");
    return *dialog;
  }
  QStringList column(int c) const {
    return columnTexts(*dialog->fgProbNames->grid(), c);
  }
  // The messages, the temporary folder written as "$DIR".
  QStringList told() const {
    return host.scripted.told().replaceInStrings(dir.path(""), "$DIR");
  }
  // Answers the confirmation, then the save dialog unless name is "-".
  void accept(Prompts::Answer answer, const QString& name) {
    host.scripted.answers << answer;
    if (name != "-") host.scripted.fileNames << name;
    QTest::mouseClick(dialog->cmdAccept, Qt::LeftButton);
  }

  TempFolder dir;
  TestHost host;
  std::unique_ptr<RenameProbesDialog> dialog;
};

}  // namespace

class RenameProbesTest : public QObject {
  Q_OBJECT

 private slots:
  void listsEveryProbeWithItsProposal() {
    // The probe below is hidden in the probe grid but renumbered alike.
    Rig r({{"7", "TP10"},
           {"8", "X1.5"},
           {"9", "TP2", "1", Side::Bottom},
           {"10", ""},
           {"11", "J10-3"},
           {"12", "TP1"}});
    RenameProbesDialog& d = r.open();
    QCOMPARE(QStringList({d.objectName(), d.windowTitle(), d.cmdAccept->text(),
                          d.cmdCancel->text()})
                 .join('|'),
             "frmRenameProbes|Rename Probes|Accept New Probe Names|Cancel");
    QCOMPARE(r.column(rename_grid::kCurrent).join(',') + " as " +
                 r.column(rename_grid::kProposed).join(','),
             "12,9,11,8,7,10 as 1,2,3,5,10,");
    QVERIFY(d.cmdAccept->isEnabled());
    QCOMPARE(r.host.scripted.told(), QStringList());
  }

  void duplicatesAreRefused_data() {
    QTest::addColumn<QList<ProbeOn>>("probes");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<bool>("accept");
    row("two pins of C10",
        QList<ProbeOn>{{"1", "C10", "1"}, {"2", "C10", "2"}, {"3", "C2"}},
        QStringList{"Loomwright|None|Ok|1 Duplicate Probe Name(s) Found"},
        false);
    row("a single via", QList<ProbeOn>{{"1", ""}}, QStringList(), true);
    row("no probe", QList<ProbeOn>(), QStringList(), false);
  }
  void duplicatesAreRefused() {
    QFETCH(QList<ProbeOn>, probes);
    QFETCH(QStringList, told);
    QFETCH(bool, accept);
    Rig r(probes);
    RenameProbesDialog& d = r.open();
    QCOMPARE(r.told(), told);
    QCOMPARE(d.cmdAccept->isEnabled(), accept);
    QVERIFY(d.cmdCancel->isEnabled());
  }

  void targetRefDesTitleSortsByDesignator() {
    Rig r({{"1", "C10", "2"},
           {"2", "R1"},
           {"3", "C2", "10"},
           {"4", "C10", "1"},
           {"5", "C2", "2"},
           {"6", "C2", "1"}});
    RenameProbesDialog& d = r.open();
    clickTitle(*d.fgProbNames, rename_grid::kTargetRefDes);
    QCOMPARE(r.column(rename_grid::kTargetRefDes),
             (QStringList{"C2-1", "C2-2", "C2-10", "C10-1", "C10-2", "R1-1"}));
    clickTitle(*d.fgProbNames, rename_grid::kCurrent);  // by that alone
    QCOMPARE(r.column(rename_grid::kCurrent),
             (QStringList{"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(r.host.scripted.messages.size(), 1);  // not checked again
    QVERIFY(!d.cmdAccept->isEnabled());
  }

  // Each way of stopping short leaves the document as it was; all but
  // Cancel leave the dialog open for another try.
  void stoppingShortChangesNothing_data() {
    QTest::addColumn<QString>("answer");  // to the confirmation, or "cancel"
    QTest::addColumn<QString>("name");    // "-": no save dialog
    QTest::addColumn<QString>("told");    // after the confirmation; "...": so
    row("cancel", "cancel", "-", "");
    row("no to the confirmation", "no", "-", "");
    row("save dialog cancelled", "yes", "", "");
    row("no extension", "yes", "board", kWrongExtension);
    row("other extension", "yes", "board.txt", kWrongExtension);
    row("a write that fails", "yes", "missing/board.vd",
        "Loomwright|Stop|Ok|Cannot save \"$DIR/missing/board.vd\"...");
  }
  void stoppingShortChangesNothing() {
    QFETCH(QString, answer);
    QFETCH(QString, name);
    QFETCH(QString, told);
    Rig r;
    RenameProbesDialog& d = r.open();
    if (answer == "cancel")
      QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
    else
      r.accept(answer == "yes" ? Prompts::Answer::Yes : Prompts::Answer::No,
               name.isEmpty() || name == "-" ? name : r.dir.path(name));
    QStringList got = r.told();
    if (told.endsWith("..."))
      got.last() = got.last().left(told.size() - 3) + "...";
    QStringList want = QStringList{told}.filter("|");  // none when empty
    if (answer != "cancel") want.prepend(kConfirmation);
    QCOMPARE(got, want);
    QCOMPARE(r.host.scripted.dialogStarts.size(), name == "-" ? 0 : 1);
    QCOMPARE(
        QDir(r.dir.path("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList());
    QVERIFY(r.host.loads.isEmpty());
    QCOMPARE(r.host.busyBalance, 0);
    QVERIFY(r.host.document.board() == boardWithProbesOn(testPointProbes()));
    QCOMPARE(d.isVisible(), answer != "cancel");
    if (answer == "cancel") return;
    r.accept(Prompts::Answer::Yes, r.dir.path("board.vd"));
    QCOMPARE(r.host.loads, QStringList{r.dir.path("board.vd")});
  }

  void anExistingFileIsReplacedOnlyWhenTheUserSaysSo() {
    Rig r;
    r.open();
    const QString target = r.dir.write("board.vd", "keep");
    r.host.scripted.answers << Prompts::Answer::Yes;  // to the confirmation
    r.accept(Prompts::Answer::No, target);            // to the replacing
    QCOMPARE(readFile(target), QByteArray("keep"));
    QVERIFY(r.host.loads.isEmpty());
    QCOMPARE(r.told().last(),
             "Loomwright|Information|YesNo|$DIR/board.vd already exists.\n"
             "Do you want to replace it?");
  }

  void writesARenumberedCopyForTheHostToLoad_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("compressed");
    row("plain", "renumbered board.vd", false);
    row("compressed, upper case", "board.VDZ", true);
  }
  void writesARenumberedCopyForTheHostToLoad() {
    QFETCH(QString, name);
    QFETCH(bool, compressed);
    Rig r;
    const Board original = r.host.document.board();
    RenameProbesDialog& d = r.open();
    r.accept(Prompts::Answer::Yes, r.dir.path(name));
    QCOMPARE(r.told(), QStringList{kConfirmation});
    QCOMPARE(r.host.loads, QStringList{r.dir.path(name)});
    QCOMPARE(r.host.loadError, QString());
    QVERIFY(!r.host.dialogShownAtLoad);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(QDir(r.dir.path("")).entryList(QDir::Files), QStringList{name});
    QCOMPARE(r.dir.read(name).startsWith("\x1f\x8b"), compressed);

    // Names and "REFNAME" agree, display records kept, nothing else changed.
    const Board written = readBoard(r.dir.path(name));
    const int refName = written.keywordIndex("REFNAME");
    QCOMPARE(written.entities.size(), original.entities.size());
    for (size_t i = 0; i < written.entities.size(); ++i) {
      const Entity &e = written.entities[i], &was = original.entities[i];
      if (e.kind != EntityKind::Probe) {
        QVERIFY(e == was);
        continue;
      }
      const int n = e.number - 5000;
      const ProbeOn probe = testPointProbes()[n];
      const Attribute* a = e.attribute(refName);
      QCOMPARE(e.name, probe.refdes.mid(2));
      QVERIFY(a && a->value == e.name);
      QVERIFY(a->display == (probe.refName ? displayFor(n) : DisplayRecord{}));
      QCOMPARE(e.attributes.size(),
               was.attributes.size() + (probe.refName ? 0 : 1));
    }
  }
};

LW_QTEST_MAIN(RenameProbesTest)
#include "renameprobes_test.moc"
