#pragma once

// A main window on scripted prompts and per-test settings, with a temporary
// folder for the boards it opens.

#include "boardbuilder.h"
#include "gridview.h"
#include "mainwindow.h"
#include "scriptedprompts.h"
#include "tempfolder.h"

#include <QSettings>

#include <memory>

namespace lw::test {

// The title as the window system shows it: "*" while modified.
inline QString shownTitle(const QWidget& w) {
  return QString(w.windowTitle())
      .replace("[*]", w.isWindowModified() ? "*" : "");
}

class AppFixture : public TempFolder {
 public:
  MainWindow& open() {
    MainWindowSetup setup;
    setup.prompts = &prompts;
    setup.settings = &settings;
    setup.userRulesPath = path("user/default.rules");
    setup.shippedRulesPath = path("shipped/default.rules");
    setup.dataFolder = path("data");
    window = std::make_unique<MainWindow>(setup);
    window->start();
    return *window;
  }

  GridModel& grid() { return *window->fgProbes->grid(); }
  // Row of the probe with that name, or -1.
  int rowOf(const QString& probe) {
    for (int r = 1; r < grid().rows(); ++r)
      if (grid().text(r, 1) == probe) return r;
    return -1;
  }

  ScriptedPrompts prompts;
  QSettings settings{path("settings.ini"), QSettings::IniFormat};
  std::unique_ptr<MainWindow> window;
};

}  // namespace lw::test
