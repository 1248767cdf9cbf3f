#include "app.h"

#include "mainwindow.h"
#include "prompts.h"

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

  QtPrompts prompts;
  QSettings settings;  // ~/.config/Loomwright/Loomwright.conf
  MainWindowSetup setup;
  setup.prompts = &prompts;
  setup.settings = &settings;
  setup.userRulesPath =
      QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
          .filePath(QStringLiteral("default.rules"));
  setup.dataFolder =
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  setup.shippedRulesPath = QDir(QApplication::applicationDirPath())
                               .filePath(QStringLiteral("default.rules"));

  MainWindow window(setup);
  window.start();
  window.show();
  const QStringList files = parser.positionalArguments();
  if (!files.isEmpty())
    window.loadFile(QDir::current().absoluteFilePath(files.first()));
  return app.exec();
}

}  // namespace lw
