// Keeping a shift's work safe on a real window: a second station opens a
// held board read-only, a killed station's marks come back, and journals
// declined or made for another state of the file are never applied.

#include "appboards.h"
#include "appfixture.h"
#include "qtestmain.h"

#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSysInfo>

using namespace lw;
using namespace lw::test;

class SafetyTest : public QObject {
  Q_OBJECT

  std::unique_ptr<AppFixture> f;
  MainWindow* w = nullptr;
  QString board;

  void open() {
    f = std::make_unique<AppFixture>();
    board = f->write(smallBoard(), "board.vd");
    w = &f->open();
  }
  void markWired(const char* probe) {
    f->grid().setCurrentRow(f->rowOf(probe));
    w->cmdWired_Click();
  }
  bool wired(const char* probe) {
    return f->grid().text(f->rowOf(probe), 0) == "1";
  }
  // Journal files in the user's folder whose names contain part.
  QStringList journals(const QString& part = ".journal") const {
    QStringList found;
    for (QDirIterator it(f->path("data/journals")); it.hasNext();)
      if (const QString n = it.next(); n.contains(part)) found << n;
    return found;
  }
  // Another station that opens the board and marks these probes.
  std::unique_ptr<QProcess> otherStation(const QStringList& probes) {
    auto station = std::make_unique<QProcess>();
    station->start(LW_STATION_CHILD,
                   QStringList{f->path("data"), board} + probes);
    while (!station->readAllStandardOutput().contains("marked"))
      if (!station->waitForReadyRead(60000)) return nullptr;
    return station;
  }

 private slots:
  void cleanup() { f.reset(); }

  void aKilledStationLosesNoMarks() {
    open();
    std::unique_ptr<QProcess> station = otherStation({"1", "10", "bottom"});
    QVERIFY(station);

    // While it works the board, this station may only look.
    f->prompts.answers.enqueue(Prompts::Answer::ReadOnly);
    w->loadFile(board);
    QCOMPARE(f->prompts.messages.last().buttons,
             Prompts::Buttons::ReadOnlyCancel);
    QVERIFY(
        f->prompts.lastText().startsWith("board.vd is open in Loomwright on " +
                                         QSysInfo::machineHostName() + " by "));
    QVERIFY(w->isReadOnly());
    QVERIFY(shownTitle(*w).endsWith(board + " (read-only)"));
    QTest::keyClick(w->fgProbes, Qt::Key_Space);
    QVERIFY(!wired("1"));
    QVERIFY(!w->cmdSave->isEnabled() && !w->cmdWired->isEnabled());

    station->kill();  // SIGKILL: no chance to save or clean up
    QVERIFY(station->waitForFinished());
    f->prompts.answers.enqueue(Prompts::Answer::Yes);
    w->loadFile(board);  // the dead station's lock is taken over
    QCOMPARE(f->prompts.lastText(),
             QString("Recover 3 wiring changes made after the last save of "
                     "board.vd?"));
    QVERIFY(!w->isReadOnly());
    QVERIFY(wired("1") && wired("10") && !wired("4"));
    QCOMPARE(w->lblTopWired->text(), QString("2"));
    QVERIFY(w->optBot->isChecked());  // where the station stopped
    QCOMPARE(f->grid().currentRow(), f->rowOf("2"));
    QVERIFY(w->state().documentModified);  // for the wirer to save

    const auto asked = f->prompts.messages.size();
    markWired("2");  // later marks follow the recovered ones, silently
    QCOMPARE(f->prompts.messages.size(), asked);
    QVERIFY(w->saveInPlace());
    QVERIFY(journals().isEmpty());  // saved: nothing left to recover
  }

  void declinedAndForeignJournalsAreNeverApplied() {
    open();
    w->loadFile(board);
    markWired("1");
    f->window.reset();  // gone without saving

    w = &f->open();
    f->prompts.answers.enqueue(Prompts::Answer::No);
    w->loadFile(board);
    QVERIFY(f->prompts.lastText().startsWith("Recover 1 wiring changes"));
    QVERIFY(!wired("1") && !w->state().documentModified);
    QVERIFY(journals().isEmpty());

    // Changes made before another program wrote the file do not fit it.
    markWired("4");
    f->window.reset();
    QFile file(board);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                             QFileDevice::FileModificationTime));
    file.close();
    w = &f->open();
    w->loadFile(board);
    QVERIFY(f->prompts.lastText().startsWith(
        "The wiring changes kept for board.vd cannot be recovered: board.vd "
        "was written after they were made"));
    QCOMPARE(f->prompts.messages.last().icon, Prompts::Icon::Warning);
    QVERIFY(!wired("4"));
    QCOMPARE(journals("-kept-").size(), 1);  // set aside, not lost
  }

  void aSaveNeverReplacesABoardAnotherStationHolds() {
    open();
    const QString other = f->write(smallBoard(), "other.vd");
    AppFixture second;
    second.open().loadFile(other);
    w->loadFile(board);
    markWired("1");
    f->prompts.fileNames.enqueue(other);
    f->prompts.answers.enqueue(Prompts::Answer::Yes);  // replace it
    QVERIFY(!w->cmdSave_Click());
    QVERIFY(f->prompts.lastText().startsWith("other.vd is open in Loomwright"));
    QVERIFY(!readFile(other).contains("PROBE_WIRED"));
    QCOMPARE(w->documentPath(), board);
  }
};

LW_QTEST_MAIN(SafetyTest)
#include "safety_test.moc"
