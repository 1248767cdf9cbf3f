// Documents the desktop asks the running program to open: a second
// double-click in the file manager reaches this window (see
// singleinstance.h) instead of starting a second one beside it.

#include "mainwindow.h"

#include <QApplication>
#include <QTimer>

namespace lw {

namespace {

constexpr int kRetryMs = 200;

}  // namespace

void MainWindow::openDocument(const QString& fileName) {
  mOpenRequests.append(fileName);
  if (mOpenRequests.size() == 1)
    QTimer::singleShot(0, this, &MainWindow::openNextRequest);
}

void MainWindow::openNextRequest() {
  if (mOpenRequests.isEmpty()) return;
  // A dialog, a load or an export is running on the open board: replacing
  // the board under it must wait until it is done.
  if (mLoading || QApplication::activeModalWidget() ||
      QApplication::overrideCursor()) {
    QTimer::singleShot(kRetryMs, this, &MainWindow::openNextRequest);
    return;
  }
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  const QString fileName = mOpenRequests.front();
  if (askToSaveChanges(Leaving::OpeningAnother)) {
    mLastFileName = fileName;
    loadFile(fileName);
  }
  mOpenRequests.removeFirst();
  if (!mOpenRequests.isEmpty())
    QTimer::singleShot(0, this, &MainWindow::openNextRequest);
}

}  // namespace lw
