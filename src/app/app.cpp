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
  return app.exec();
}

}  // namespace lw
