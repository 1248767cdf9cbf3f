// loomwright: the wiring workbench. Everything lives in lw_app; this only
// reads the command line and opens the window.

#include "app.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return lw::runApplication(app);
}
