// A second station for the safety tests: opens a board in a real main
// window, marks the probes named on its command line, says "marked" and
// keeps working until it is killed. Arguments: data folder, board, probes;
// "bottom" among them switches to the bottom surface.

#include "mainwindow.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QRadioButton>
#include <QSettings>

#include <cstdio>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 3) return 2;
  lw::test::ScriptedPrompts prompts;
  QSettings settings(args[1] + "/settings.ini", QSettings::IniFormat);
  lw::MainWindowSetup setup;
  setup.prompts = &prompts;
  setup.settings = &settings;
  setup.dataFolder = args[1];
  lw::MainWindow window(setup);
  window.start();
  window.loadFile(args[2]);
  lw::GridModel& grid = window.probeGrid();
  for (const QString& probe : args.mid(3)) {
    if (probe == "bottom") window.optBot->setChecked(true);
    for (int r = 1; r < grid.rows(); ++r)
      if (grid.text(r, 1) == probe) {
        grid.setCurrentRow(r);
        window.cmdWired_Click();
      }
  }
  std::printf("marked\n");
  std::fflush(stdout);
  return QApplication::exec();
}
