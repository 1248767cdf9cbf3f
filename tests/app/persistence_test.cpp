// Wiring state saved into the document and back, saving, and the question
// before unsaved work would be lost.

#include "appboards.h"
#include "appfixture.h"
#include "boardview.h"
#include "qtestmain.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using namespace lw;
using namespace lw::test;

namespace {

QString attribute(const Board& b, const std::vector<Attribute>& list,
                  const char* name) {
  const int k = b.keywordIndex(name);
  for (const Attribute& a : list)
    if (a.keyword == k) return a.value;
  return "<absent>";
}

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class PersistenceTest : public QObject {
  Q_OBJECT

  AppFixture* f = nullptr;
  MainWindow* w = nullptr;

  void load(const Board& board, const QString& name = "board.vd") {
    delete f;
    f = new AppFixture;
    w = &f->open();
    w->loadFile(f->write(board, name));
  }
  void markWired(const char* probe) {
    f->grid().setCurrentRow(f->rowOf(probe));
    w->cmdWired_Click();
  }

 private slots:
  void cleanup() {
    delete f;
    f = nullptr;
  }

  void marksAndSettingsSurviveSaveAndReload() {
    load(smallBoard());
    markWired("1");
    markWired("10");
    w->optBot->setChecked(true);
    markWired("3");
    w->chkVias->setCheckState(Qt::Unchecked);
    w->chkPCBcomps->setCheckState(Qt::Unchecked);
    w->chkMech->setCheckState(Qt::PartiallyChecked);
    w->slider->setValue(8);
    w->cmdRotate_Click();

    const QString saved = f->path("saved.vdz");
    f->prompts.fileNames.enqueue(saved);
    QVERIFY(w->cmdSave_Click());
    QVERIFY(!w->state().documentModified);
    QVERIFY(contents(saved).startsWith("\x1f\x8b"));

    const Board b = readBoard(saved);
    int probes = 0;
    for (const Entity& e : b.entities) {
      if (e.kind != EntityKind::Probe) continue;
      ++probes;
      const bool wired = e.name == "1" || e.name == "10" || e.name == "3";
      // The unplaced probe "5" is not in the table and gets no mark.
      QCOMPARE(attribute(b, e.attributes, "PROBE_WIRED"),
               QString(e.name == "5" ? "<absent>"
                       : wired       ? "1"
                                     : "0"));
    }
    QCOMPARE(probes, 6);
    const std::pair<const char*, const char*> expected[] = {
        {"WIRING_ZOOM_LEVEL", "8"},
        {"WIRING_SURFACE_TOP", "False"},
        {"WIRING_SURFACE_BOTTOM", "True"},
        {"WIRING_MECH", "2"},
        {"WIRING_TOOLING", "1"},
        {"WIRING_FIDUCIALS", "1"},
        {"WIRING_VIAS", "0"},
        {"WIRING_COMPS", "0"},
        {"WIRING_PINS", "1"},
        {"WIRING_ROT", "Rotate Board (90)"}};
    for (const auto& [name, text] : expected)
      QCOMPARE(attribute(b, b.attributes, name), QString(text));

    AppFixture again;
    MainWindow& w2 = again.open();
    w2.loadFile(saved);
    GridModel& g = again.grid();
    for (const char* probe : {"1", "10", "3"})
      QCOMPARE(g.text(again.rowOf(probe), 0), QString("1"));
    QCOMPARE(g.text(again.rowOf("4"), 0), QString("0"));
    QVERIFY(w2.optBot->isChecked());
    QVERIFY(!w2.VDEditor->isViewFromTop());
    QCOMPARE(w2.slider->value(), 8);
    QCOMPARE(w2.chkVias->checkState(), Qt::Unchecked);
    QCOMPARE(w2.chkPCBcomps->checkState(), Qt::Unchecked);
    QVERIFY(!w2.chkComponentPins->isEnabled());
    QVERIFY(!w2.VDEditor->isEntityClassShown(3));
    QVERIFY(!w2.VDProbeView->isEntityClassShown(1));
    QCOMPARE(w2.chkMech->checkState(), Qt::PartiallyChecked);
    QCOMPARE(w2.cmdRotate->text(), QString("Rotate Board (90)"));
    QCOMPARE(w2.state().boardRotation, 90);
    QCOMPARE(w2.VDEditor->document().fileInformation(1)->rotation, 90);
    QCOMPARE(w2.lblTopWired->text(), QString("2"));
    QCOMPARE(w2.lblBotWired->text(), QString("1"));
    QCOMPARE(g.currentRow(), again.rowOf("2"));  // first bottom not wired
    QVERIFY(!w2.state().documentModified);
  }

  void neverSavedDocumentKeepsDefaults() {
    load(smallBoard());
    QVERIFY(w->optTop->isChecked());
    QCOMPARE(w->cmdRotate->text(), QString("Rotate Board (0)"));
    QCOMPARE(w->slider->value(), 5);
    for (QCheckBox* box : {w->chkVias, w->chkMech, w->chkPCBcomps})
      QCOMPARE(box->checkState(), Qt::Checked);
  }

  void storedValuesThatDoNotConvertEndTheRestore() {
    Board b = smallBoard();
    const auto set = [&b](const char* name, const char* value) {
      b.attributes.push_back({b.addKeyword(name), value, {}});
    };
    set("WIRING_ZOOM_LEVEL", "7.9");
    set("WIRING_SURFACE_TOP", "False");
    set("WIRING_SURFACE_BOTTOM", "True");
    set("WIRING_MECH", "0");
    set("WIRING_TOOLING", "x");  // ends the restore here
    set("WIRING_VIAS", "0");
    set("WIRING_ROT", "Rotate Board (180)");
    load(b);
    QCOMPARE(w->slider->value(), 7);
    QVERIFY(w->optBot->isChecked());
    QCOMPARE(w->chkMech->checkState(), Qt::Unchecked);
    QCOMPARE(w->chkVias->checkState(), Qt::Checked);
    QCOMPARE(w->cmdRotate->text(), QString("Rotate Board (0)"));
  }

  void probesSharingANameKeepTheirOwnMarks() {
    Board b = smallBoard();
    for (Entity& e : b.entities)
      if (e.kind == EntityKind::Probe && e.name == "4") e.name = "1";
    load(b);
    const GridModel& g = f->grid();
    int first = -1, second = -1;
    for (int r = 1; r < g.rows(); ++r)
      if (g.text(r, 1) == "1") (first < 0 ? first : second) = r;
    QVERIFY(first > 0 && second > 0);
    f->grid().setCurrentRow(second);
    w->cmdWired_Click();
    f->prompts.fileNames.enqueue(f->path("twins.vd"));
    QVERIFY(w->cmdSave_Click());
    const Board saved = readBoard(f->path("twins.vd"));
    QStringList marks;
    for (const Entity& e : saved.entities)
      if (e.kind == EntityKind::Probe && e.name == "1")
        marks << attribute(saved, e.attributes, "PROBE_WIRED");
    QCOMPARE(marks.size(), 2);
    QCOMPARE(marks.count("1"), 1);
    QCOMPARE(marks.count("0"), 1);
  }

  void saveNamesFollowTheExtensionRules_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("compressed");
    QTest::newRow("no extension") << "board"
                                  << "board.vd" << false;
    QTest::newRow("upper case") << "board.VD"
                                << "board.VD" << false;
    QTest::newRow("mixed vdz") << "board.VdZ"
                               << "board.VdZ" << true;
    QTest::newRow("trailing dot") << "board."
                                  << "board.vd" << false;
    QTest::newRow("short") << "a.v"
                           << "a.v.vd" << false;
    QTest::newRow("other") << "board.txt"
                           << "board.txt.vd" << false;
  }
  void saveNamesFollowTheExtensionRules() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(bool, compressed);
    load(smallBoard());
    f->prompts.fileNames.enqueue(f->path(typed));
    QVERIFY(w->cmdSave_Click());
    const QByteArray bytes = contents(f->path(written));
    QVERIFY2(!bytes.isEmpty(), qPrintable(written));
    QCOMPARE(bytes.startsWith("\x1f\x8b"), compressed);
    QCOMPARE(readBoard(f->path(written)).entities.size(),
             w->VDEditor->document().board().entities.size());
  }

  void cancelledOrFailedSavesKeepTheWork() {
    load(smallBoard());
    markWired("1");
    QVERIFY(!w->cmdSave_Click());  // dialog cancelled
    QVERIFY(w->state().documentModified);

    // A name that is a folder: the write fails, the message names it.
    QDir().mkpath(f->path("folder.vd"));
    f->prompts.fileNames.enqueue(f->path("folder.vd"));
    QVERIFY(!w->cmdSave_Click());
    QVERIFY(w->state().documentModified);
    QVERIFY(f->prompts.lastText().contains("folder.vd"));
    QCOMPARE(f->prompts.messages.last().icon, Prompts::Icon::Stop);
    QCOMPARE(f->grid().rows(), 6);  // still loaded

    // A failed write leaves the previous file as it was.
    const QString good = f->path("good.vd");
    f->prompts.fileNames.enqueue(good);
    QVERIFY(w->cmdSave_Click());
    const QByteArray before = contents(good);
    f->prompts.fileNames.enqueue(f->path("missing folder/x.vd"));
    markWired("4");
    QVERIFY(!w->cmdSave_Click());
    QCOMPARE(contents(good), before);
  }

  void closePromptProtectsTheWork() {
    load(smallBoard());
    w->show();
    QVERIFY(w->close());  // nothing changed: no question
    QVERIFY(f->prompts.messages.isEmpty());

    load(smallBoard());
    w->show();
    markWired("1");
    f->prompts.answers.enqueue(Prompts::Answer::Cancel);
    QVERIFY(!w->close());
    QCOMPARE(f->prompts.lastText(),
             QString("There is currently a file loaded which has been "
                     "modified since your last save.\r\n\r\nWould you like "
                     "to save this file before Loomwright closes?"));
    QCOMPARE(f->prompts.messages.last().buttons, Prompts::Buttons::YesNoCancel);

    f->prompts.answers.enqueue(Prompts::Answer::Yes);  // then cancels Save As
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QCOMPARE(f->grid().text(f->rowOf("1"), 0), QString("1"));

    f->prompts.answers.enqueue(Prompts::Answer::Yes);
    f->prompts.fileNames.enqueue(f->path("closing.vd"));
    QVERIFY(w->close());
    QVERIFY(QFile::exists(f->path("closing.vd")));
  }

  void closeWithNoDiscards() {
    load(smallBoard());
    w->show();
    markWired("1");
    f->prompts.answers.enqueue(Prompts::Answer::No);
    QVERIFY(w->close());
    QCOMPARE(f->settings->value("Probe Zoom/Scale").toString(), QString("5"));
  }

  void openingAnotherBoardAsksFirst() {
    load(smallBoard());
    const QString other = f->write(smallBoard(), "other.vd");
    markWired("1");

    f->prompts.answers.enqueue(Prompts::Answer::Cancel);
    f->prompts.fileNames.enqueue(other);
    w->cmdLoad_Click();
    QVERIFY(!w->windowTitle().endsWith("other.vd"));
    QCOMPARE(f->grid().text(f->rowOf("1"), 0), QString("1"));

    f->prompts.fileNames.clear();
    f->prompts.answers.enqueue(Prompts::Answer::Yes);  // Save As cancelled
    w->cmdLoad_Click();
    QVERIFY(!w->windowTitle().endsWith("other.vd"));
    QVERIFY(w->state().documentModified);

    f->prompts.answers.enqueue(Prompts::Answer::Yes);
    f->prompts.fileNames.enqueue(f->path("kept.vd"));
    f->prompts.fileNames.enqueue(other);
    w->cmdLoad_Click();
    QVERIFY(w->windowTitle().endsWith("other.vd"));
    QVERIFY(QFile::exists(f->path("kept.vd")));

    markWired("1");
    f->prompts.answers.enqueue(Prompts::Answer::No);
    f->prompts.fileNames.enqueue(f->write(smallBoard(), "third.vd"));
    w->cmdLoad_Click();
    QVERIFY(w->windowTitle().endsWith("third.vd"));
    QCOMPARE(f->grid().text(f->rowOf("1"), 0), QString());
  }
};

LW_QTEST_MAIN(PersistenceTest)
#include "persistence_test.moc"
