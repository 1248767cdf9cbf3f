// Wire lists from the window: "Export Wire List..." (CSV or PDF) and
// "Print...", both of the grid as it stands, behind a progress window
// with Cancel.

#include "boardpicture.h"
#include "exportdialog.h"
#include "gridview.h"
#include "mainwindow.h"
#include "probemaps.h"
#include "prompts.h"
#include "wirelistcsv.h"
#include "wirelistpages.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRadioButton>

namespace lw {

namespace {

// Shown at once, so the window takes no other command meanwhile; setValue
// lets it handle a click on Cancel.
ExportProgress progressIn(QProgressDialog& window) {
  window.setWindowModality(Qt::WindowModal);
  window.setMinimumDuration(0);
  return [&window](int done, int total) {
    window.setMaximum(std::max(total, 1));
    window.setValue(std::min(done, total));
    return !window.wasCanceled();
  };
}

QAction* command(QWidget* window, const QString& text, const char* name,
                 const QKeySequence& key) {
  auto* action = new QAction(text, window);
  action->setObjectName(QLatin1StringView(name));
  action->setShortcut(key);
  // The key works with the menu closed and wherever the focus is.
  window->addAction(action);
  return action;
}

}  // namespace

void MainWindow::addWireListActions(QMenu* fileMenu) {
  QAction* exportList =
      command(this, QStringLiteral("Export Wire List..."), "actExportWireList",
              QKeySequence(Qt::CTRL | Qt::Key_E));
  QAction* print = command(this, QStringLiteral("Print..."), "actPrint",
                           QKeySequence(Qt::CTRL | Qt::Key_P));
  connect(exportList, &QAction::triggered, this,
          &MainWindow::cmdExportWireList_Click);
  connect(print, &QAction::triggered, this, &MainWindow::cmdPrint_Click);
  fileMenu->addAction(exportList);
  fileMenu->addAction(print);
}

PageHeader MainWindow::wireListHeader() const {
  return {QFileInfo(mDocumentPath).fileName(),
          QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)};
}

void MainWindow::cmdExportWireList_Click() {
  if (probeGrid().rows() < 2) return keepGridFocus();  // nothing open
  ExportDialog ask(ExportDialog::Purpose::Export, optTop->isChecked(), this);
  if (mPrompts->exec(ask) != QDialog::Accepted) return keepGridFocus();
  const WireListFormat format = ask.format();
  const QFileInfo board(mDocumentPath);
  const QString start = withWireListExtension(
      board.dir().filePath(board.completeBaseName() + "-wirelist"), format);
  const QString name = mPrompts->saveFileName(
      this,
      format == WireListFormat::Csv ? QStringLiteral("Wire list (*.csv)")
                                    : QStringLiteral("Wire list (*.pdf)"),
      start);
  if (name.isEmpty()) return keepGridFocus();
  const QString path = withWireListExtension(name, format);
  if (!confirmReplace(*mPrompts, this, path)) return keepGridFocus();

  const WireList list(probeGrid(), ask.choice(), mRegional);
  QProgressDialog progress(QStringLiteral("Exporting the wire list..."),
                           QStringLiteral("Cancel"), 0, 1, this);
  setBusyPointer(true);
  try {
    if (format == WireListFormat::Csv) {
      exportWireListCsv(list, path, progressIn(progress));
    } else {
      ProbeMaps maps(mDocument, probeGrid(), mPicture->style().classVisible);
      exportWireListPdf(WireListPages(list, &maps, wireListHeader()), path,
                        wireListPageLayout(QLocale()), progressIn(progress));
    }
  } catch (const Error& e) {
    progress.close();
    setBusyPointer(false);
    mPrompts->message(this, QStringLiteral("Loomwright"), e.message(),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
  }
  setBusyPointer(false);
  keepGridFocus();
}

void MainWindow::cmdPrint_Click() {
  if (probeGrid().rows() < 2) return keepGridFocus();
  ExportDialog ask(ExportDialog::Purpose::Print, optTop->isChecked(), this);
  if (mPrompts->exec(ask) != QDialog::Accepted) return keepGridFocus();
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(wireListPageLayout(QLocale()));
  printer.setDocName(QStringLiteral("Wire list ") +
                     QFileInfo(mDocumentPath).fileName());
  QPrintDialog dialog(&printer, this);
  if (mPrompts->exec(dialog) != QDialog::Accepted) return keepGridFocus();

  const WireList list(probeGrid(), ask.choice(), mRegional);
  ProbeMaps maps(mDocument, probeGrid(), mPicture->style().classVisible);
  QProgressDialog progress(QStringLiteral("Printing the wire list..."),
                           QStringLiteral("Cancel"), 0, 1, this);
  QPainter painter;
  if (!painter.begin(&printer)) {
    progress.close();
    mPrompts->message(this, QStringLiteral("Loomwright"),
                      QStringLiteral("The printer \"%1\" could not be "
                                     "started.")
                          .arg(printer.printerName()),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    return keepGridFocus();
  }
  const WireListPages pages(list, &maps, wireListHeader());
  setBusyPointer(true);
  // A cancelled job sends nothing rather than some of the pages.
  if (!pages.paint(painter, printer, progressIn(progress))) printer.abort();
  painter.end();
  setBusyPointer(false);
  keepGridFocus();
}

}  // namespace lw
