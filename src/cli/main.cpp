// loomwright-cli: the commands live in lw_cli, where the tests run them.
#include "cli.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  return lw::runCli(QCoreApplication::arguments().mid(1), out, err);
}
