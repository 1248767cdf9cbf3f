// The window as a desktop program: its File menu and keys reach the wire
// list export and the printout, a document handed over by a second start
// asks about unsaved work as "Load VD File" does, and the hand-over itself.
// What the wire lists hold is tested in their own room.

#include "appfixture.h"
#include "exportdialog.h"
#include "qtestmain.h"
#include "sheetboard.h"
#include "singleinstance.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>

#include <future>

using namespace lw;
using namespace lw::test;

class DesktopTest : public QObject {
  Q_OBJECT

  std::unique_ptr<AppFixture> f;
  MainWindow* w = nullptr;

  QAction* action(const char* name) { return w->findChild<QAction*>(name); }

 private slots:
  void init() {
    QLocale::setDefault(QLocale::c());
    f = std::make_unique<AppFixture>();
    w = &f->open();
    w->show();
    // Top: N102, N103, N105, N106, N108, N109; N102 and N105 wired.
    w->loadFile(f->write(sheetBoard(9, {0, 1, 4}), "board.vd"));
  }
  void cleanup() { f.reset(); }

  void fileMenuExportsTheCurrentSurfaceAsTheGridShowsIt() {
    QAction* exportList = action("actExportWireList");
    QVERIFY(exportList);
    QCOMPARE(exportList->shortcut(), QKeySequence("Ctrl+E"));
    QCOMPARE(action("actPrint")->shortcut(), QKeySequence("Ctrl+P"));
    const QMenu* file = w->menuBar()->findChildren<QMenu*>().value(0);
    QVERIFY(file && file->actions().contains(exportList));

    f->prompts.dialogAnswers.enqueue([](QDialog& dialog) {
      static_cast<ExportDialog&>(dialog).chkUnwired->setChecked(true);
      return int(QDialog::Accepted);
    });
    f->prompts.fileNames.enqueue(f->path("todo"));
    exportList->trigger();
    QCOMPARE(f->prompts.dialogStarts.last(), f->path("board-wirelist.csv"));
    const QStringList lines = QString(f->read("todo.csv")).split("\r\n");
    QStringList probes;
    for (const QString& line : lines.mid(1, lines.size() - 2))
      probes << line.section(',', 1, 1);
    QCOMPARE(probes, QStringList({"N103", "N106", "N108", "N109"}));
  }

  void printSendsThePagesToThePrinterChosen() {
    const QString pdf = f->path("printed.pdf");
    f->prompts.dialogAnswers.enqueue(
        [](QDialog&) { return int(QDialog::Accepted); });
    f->prompts.dialogAnswers.enqueue([pdf](QDialog& dialog) {
      qobject_cast<QPrintDialog*>(&dialog)->printer()->setOutputFileName(pdf);
      return int(QDialog::Accepted);
    });
    action("actPrint")->trigger();
    QCOMPARE(f->prompts.dialogsShown,
             QStringList({"lw::ExportDialog", "QPrintDialog"}));
    // The top's six probes on one page, then the top's map.
    QProcess info;
    info.start("pdfinfo", {pdf});
    QVERIFY(info.waitForFinished(60000));
    QVERIFY(QString(info.readAllStandardOutput())
                .contains(QRegularExpression("Pages: +2\n")));
  }

  void documentFromTheDesktopAsksAboutUnsavedWorkFirst() {
    const QString board = w->documentPath();
    const QString other = f->write(sheetBoard(3), "other.vd");
    w->cmdWired_Click();
    f->prompts.answers.enqueue(Prompts::Answer::Cancel);
    w->openDocument(other);
    QTRY_COMPARE(f->prompts.messages.size(), 1);
    QCOMPARE(f->prompts.lastText(),
             "Do you want to save the changes to board.vd before opening "
             "another file?");
    QCOMPARE(w->documentPath(), board);
    f->prompts.answers.enqueue(Prompts::Answer::No);
    w->openDocument(other);
    QTRY_COMPARE(w->documentPath(), other);
  }

  void secondStartHandsItsFilesToTheFirst() {
    const QString socket = f->path("instance");
    SingleInstance first(socket);
    QVERIFY(!first.handOff({"x.vd"}, 200));  // nobody listens yet
    QVERIFY(first.listen());
    QSignalSpy received(&first, &SingleInstance::filesReceived);
    const QStringList files = {f->path("a b.vdz"), "line\nbreak.vd", "ü.vd"};
    std::future<bool> handed = std::async(std::launch::async, [&] {
      return SingleInstance(socket).handOff(files);
    });
    QVERIFY(received.wait(10000));
    QVERIFY(handed.get());
    QCOMPARE(received.first().first().toStringList(), files);
    QVERIFY(!SingleInstance(socket).listen());  // the first still listens
  }

  void socketLeftByACrashIsTakenOver() {
    SingleInstance instance(f->write("instance", "left behind"));
    QVERIFY(instance.listen());
  }
};

LW_QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
