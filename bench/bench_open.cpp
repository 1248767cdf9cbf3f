// Opens a board in the real main window as `loomwright FILE` does, paints
// both views once and exits: a whole launch, for timing a fresh process
// with its file not yet in memory and for its peak memory.
//
//   /usr/bin/time -v bench_open board.vdz

#include "boardview.h"
#include "mainwindow.h"
#include "prompts.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: bench_open FILE.vd|FILE.vdz\n", stderr);
    return 2;
  }
  QTemporaryDir dir;  // no user settings or rules read or written
  lw::QtPrompts prompts;
  QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
  lw::MainWindowSetup setup;
  setup.prompts = &prompts;
  setup.settings = &settings;
  setup.userRulesPath = dir.filePath("default.rules");
  setup.shippedRulesPath = dir.filePath("shipped.rules");
  lw::MainWindow window(setup);
  window.start();
  window.show();
  window.loadFile(
      QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
  window.VDEditor->repaint();
  window.VDProbeView->repaint();
  QTextStream(stdout) << window.windowTitle() << '\n';
  return window.windowTitle().contains(" - ") ? 0 : 1;
}
