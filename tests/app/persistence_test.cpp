// The window's side of keeping the work: what the controls show goes into
// the document on save and comes back on load, saves that fail or are
// cancelled keep the work, and the question before work would be lost.

#include "appboards.h"
#include "appfixture.h"
#include "boardpicture.h"
#include "boardview.h"
#include "probeboard.h"
#include "qtestmain.h"
#include "renameprobesdialog.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using namespace lw;
using namespace lw::test;

class PersistenceTest : public QObject {
  Q_OBJECT

  std::unique_ptr<AppFixture> f;
  MainWindow* w = nullptr;

  void load(const Board& board) {
    f = std::make_unique<AppFixture>();
    w = &f->open();
    w->show();  // the keys reach an active window
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->loadFile(f->write(board, "board.vd"));
  }
  void markWired(const char* probe) {
    f->grid().setCurrentRow(f->rowOf(probe));
    w->cmdWired_Click();
  }

 private slots:
  void cleanup() { f.reset(); }

  void controlsAndMarksSurviveSaveAndReload() {
    load(smallBoard());
    markWired("1");
    markWired("10");
    w->optBot->setChecked(true);
    markWired("2");  // the first bottom row
    w->chkVias->setCheckState(Qt::Unchecked);
    w->chkMech->setCheckState(Qt::PartiallyChecked);
    w->slider->setValue(8);
    w->cmdRotate_Click();

    const BoardScene* scene = &w->picture().scene();
    const QString saved = f->path("saved.vdz");
    f->prompts.fileNames.enqueue(saved);
    QVERIFY(w->cmdSave_Click());
    QVERIFY(!w->state().documentModified);
    QVERIFY(readFile(saved).startsWith("\x1f\x8b"));
    QCOMPARE(&w->picture().scene(), scene);  // saving redraws nothing
    f->window.reset();  // the next shift, at another station

    AppFixture again;
    MainWindow& w2 = again.open();
    w2.loadFile(saved);
    for (const char* probe : {"1", "10", "2"})
      QCOMPARE(again.grid().text(again.rowOf(probe), 0), QString("1"));
    QCOMPARE(again.grid().text(again.rowOf("3"), 0), QString("0"));
    QVERIFY(w2.optBot->isChecked());
    QVERIFY(!w2.VDEditor->isViewFromTop());
    QCOMPARE(w2.slider->value(), 8);
    QCOMPARE(w2.chkVias->checkState(), Qt::Unchecked);
    QVERIFY(!w2.picture().isEntityClassShown(int(EntityKind::Via)));
    QCOMPARE(w2.chkMech->checkState(), Qt::PartiallyChecked);
    QCOMPARE(w2.cmdRotate->text(), QString("Rotate Board (90)"));
    QCOMPARE(w2.state().boardRotation, 90);
    QCOMPARE(w2.boardDocument().fileInformation(1)->rotation, 90);
    QCOMPARE(w2.lblTopWired->text(), QString("2"));
    QCOMPARE(w2.lblBotWired->text(), QString("1"));
    // The first probe still to wire on the restored surface.
    QCOMPARE(again.grid().currentRow(), again.rowOf("3"));
    QVERIFY(!w2.state().documentModified);
  }

  void rotationFollowsThePlacementAndSurvivesRenumbering() {
    // Turned without a stored caption, as earlier renumbering left boards.
    Board turned = boardWithProbesOn(
        {{"7", "TP1", "1", Side::Top}, {"8", "TP2", "1", Side::Bottom}});
    turned.files[0].rotation = 90;
    load(turned);
    QCOMPARE(w->state().boardRotation, 90);
    QCOMPARE(w->cmdRotate->text(), QString("Rotate Board (90)"));

    w->slider->setValue(8);
    w->optBot->setChecked(true);
    RenameProbesDialog rename(*w, w);
    const QString renamed = f->path("renamed.vd");
    f->prompts.answers.enqueue(Prompts::Answer::Yes);
    f->prompts.fileNames.enqueue(renamed);
    rename.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rename));
    QTest::mouseClick(rename.cmdAccept, Qt::LeftButton);
    QCOMPARE(w->documentPath(), renamed);
    QCOMPARE(w->state().boardRotation, 90);
    QCOMPARE(w->slider->value(), 8);
    QVERIFY(w->optBot->isChecked());
    QVERIFY(readFile(renamed).contains("Rotate Board (90)"));
  }

  void saveWhereTheDocumentLives() {
    load(smallBoard());
    const QString own = f->path("board.vd");
    QCOMPARE(shownTitle(*w), "Fixture Loomwright v1.3 - " + own);
    markWired("1");
    QCOMPARE(shownTitle(*w), "Fixture Loomwright v1.3 - " + own + "*");
    QVERIFY(!w->cmdSave_Click());  // dialog cancelled: still modified
    QCOMPARE(f->prompts.dialogStarts.last(), own);
    QVERIFY(w->state().documentModified);

    // Ctrl+S writes the document's own file without a dialog.
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readBoard(own).entities.size(), smallBoard().entities.size());
    QVERIFY(readFile(own).contains("PROBE_WIRED"));
    QCOMPARE(shownTitle(*w), "Fixture Loomwright v1.3 - " + own);

    // The replace question names the file that will be written; No keeps
    // it. Saved under another name, the title follows.
    const QString other = f->write(smallBoard(), "other.vdz");
    f->prompts.fileNames << f->path("board") << f->path("other.vdz");
    f->prompts.answers << Prompts::Answer::No << Prompts::Answer::Yes;
    QVERIFY(!w->cmdSave_Click());
    QCOMPARE(f->prompts.lastText(),
             QDir::toNativeSeparators(own) +
                 " already exists.\nDo you want to replace it?");
    QVERIFY(w->cmdSave_Click());
    QVERIFY(readFile(other).startsWith("\x1f\x8b"));
    QCOMPARE(w->documentPath(), other);
  }

  void failedSavesKeepTheWork() {
    load(smallBoard());
    markWired("1");
    // A name that is a folder: the write fails, the message names it.
    QDir().mkpath(f->path("folder.vd"));
    f->prompts.fileNames.enqueue(f->path("folder.vd"));
    f->prompts.answers.enqueue(Prompts::Answer::Yes);  // replace it
    QVERIFY(!w->cmdSave_Click());
    QVERIFY(w->state().documentModified);
    QVERIFY(f->prompts.lastText().contains("folder.vd"));
    QCOMPARE(f->prompts.messages.last().icon, Prompts::Icon::Stop);
    QCOMPARE(f->grid().rows(), 6);  // still loaded

    // A failed write leaves the previous file as it was. A name without an
    // extension is saved plain, with ".vd".
    const QString good = f->path("good.vd");
    f->prompts.fileNames.enqueue(f->path("good"));
    QVERIFY(w->cmdSave_Click());
    const QByteArray before = readFile(good);
    QVERIFY(before.startsWith('{'));
    f->prompts.fileNames.enqueue(f->path("missing folder/x.vd"));
    markWired("4");
    QVERIFY(!w->cmdSave_Click());
    QCOMPARE(readFile(good), before);
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
    QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(w->isVisible());
    QCOMPARE(f->prompts.lastText(),
             QString("There is currently a file loaded which has been "
                     "modified since your last save.\r\n\r\nWould you like "
                     "to save this file before Loomwright closes?"));
    QCOMPARE(f->prompts.messages.last().buttons, Prompts::Buttons::YesNoCancel);

    f->prompts.answers.enqueue(Prompts::Answer::Yes);  // saved where it lives
    QVERIFY(w->close());
    QVERIFY(readFile(f->path("board.vd")).contains("PROBE_WIRED"));

    load(smallBoard());
    w->show();
    markWired("1");
    f->prompts.answers.enqueue(Prompts::Answer::No);
    QVERIFY(w->close());
    QVERIFY(!readFile(f->path("board.vd")).contains("PROBE_WIRED"));
  }

  void openingAnotherBoardAsksFirst() {
    load(smallBoard());
    const QString other = f->write(smallBoard(), "other.vd");
    markWired("1");

    f->prompts.answers.enqueue(Prompts::Answer::Cancel);
    f->prompts.fileNames.enqueue(other);
    QTest::keyClick(w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f->prompts.lastText(),
             QString("Do you want to save the changes to board.vd before "
                     "opening another file?"));
    QCOMPARE(w->documentPath(), f->path("board.vd"));
    QCOMPARE(f->grid().text(f->rowOf("1"), 0), QString("1"));

    f->prompts.answers.enqueue(Prompts::Answer::Yes);  // saved in place
    w->cmdLoad_Click();
    QCOMPARE(w->documentPath(), other);
    QVERIFY(readFile(f->path("board.vd")).contains("PROBE_WIRED"));

    markWired("1");
    f->prompts.answers.enqueue(Prompts::Answer::No);
    f->prompts.fileNames.enqueue(f->write(smallBoard(), "third.vd"));
    w->cmdLoad_Click();
    QVERIFY(w->documentPath().endsWith("third.vd"));
    QCOMPARE(f->grid().text(f->rowOf("1"), 0), QString());
  }
};

LW_QTEST_MAIN(PersistenceTest)
#include "persistence_test.moc"
