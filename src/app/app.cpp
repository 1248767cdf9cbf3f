#include "app.h"

#include "mainwindow.h"
#include "prompts.h"
#include "ruleslocations.h"
#include "singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>

namespace lw {

int runApplication(QApplication& app) {
  QApplication::setOrganizationName(QStringLiteral("Loomwright"));
  QApplication::setApplicationName(QStringLiteral("Loomwright"));
  QApplication::setApplicationVersion(MainWindow::getVersion());

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Wire in-circuit-test fixtures probe by probe from a board document."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("file"),
                               QStringLiteral("Board document to open "
                                              "(.vd or .vdz)."),
                               QStringLiteral("[file]"));
  parser.process(app);
  QStringList files = parser.positionalArguments();
  for (QString& file : files) file = QDir::current().absoluteFilePath(file);

  // A document opened from the desktop while Loomwright runs goes to the
  // window already open, which asks about its unsaved work first.
  SingleInstance instance(defaultInstanceSocket());
  if (!files.isEmpty() && instance.handOff(files)) return 0;
  instance.listen();  // else this one simply takes no documents later

  QtPrompts prompts;
  QSettings settings;  // ~/.config/Loomwright/Loomwright.conf
  MainWindowSetup setup;
  setup.prompts = &prompts;
  setup.settings = &settings;
  const RulesFileLocations rules =
      standardRulesLocations(QApplication::applicationDirPath());
  setup.userRulesPath = rules.user;
  setup.shippedRulesPath = rules.shipped;
  setup.dataFolder =
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);

  MainWindow window(setup);
  window.start();
  window.show();
  QObject::connect(&instance, &SingleInstance::filesReceived, &window,
                   [&window](const QStringList& received) {
                     for (const QString& file : received)
                       window.openDocument(file);
                   });
  if (!files.isEmpty()) window.loadFile(files.first());
  // For timing a whole launch in a fresh process (bench/bench_launch.cpp):
  // paint once and leave at once, without the teardown a user never waits
  // for (the station lock left beside the file is stale, the next open takes
  // it over); the status says whether the title names the file and the grid
  // has rows. Not an option: no user has a use for it.
  if (qEnvironmentVariableIsSet("LOOMWRIGHT_EXIT_WHEN_LOADED")) {
    window.repaint();
    const bool loaded = !files.isEmpty() &&
                        window.windowTitle().contains(files.first()) &&
                        window.probeGrid().rows() > 1;
    std::_Exit(loaded ? 0 : 1);
  }
  return app.exec();
}

}  // namespace lw
