// loomwright-cli: the commands live in lw_cli, where the tests run them.
#include "cli.h"
#include "largepages.h"

#include <QGuiApplication>

#include <cstring>
#include <memory>

int main(int argc, char** argv) {
  lw::restartWithLargeHeapPages(argv);
  // The printed wire list needs fonts, so export runs a GUI application;
  // it shows no window, so it needs no display. The other commands start
  // lean.
  std::unique_ptr<QCoreApplication> app;
  if (argc > 1 && std::strcmp(argv[1], "export") == 0) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  QTextStream out(stdout);
  QTextStream err(stderr);
  return lw::runCli(QCoreApplication::arguments().mid(1), out, err);
}
