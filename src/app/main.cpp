// loomwright: the wiring workbench. Everything lives in lw_app; this only
// reads the command line and opens the window.

#include "app.h"

#include "largepages.h"

#include <QApplication>

#include <cstring>

int main(int argc, char** argv) {
  lw::restartWithLargeHeapPages(argv);
  // Asked only for its version or its options, it opens no window: it then
  // answers without a display too (over ssh, in a package check).
  for (int i = 1; i < argc; ++i)
    for (const char* flag : {"-v", "--version", "-h", "--help", "--help-all"})
      if (std::strcmp(argv[i], flag) == 0 &&
          qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return lw::runApplication(app);
}
