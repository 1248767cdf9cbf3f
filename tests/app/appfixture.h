#pragma once

// A main window on scripted prompts, per-test settings and a temporary
// folder (with a space in its path), plus boards written into it.

#include "boardbuilder.h"
#include "boardio.h"
#include "gridview.h"
#include "mainwindow.h"
#include "scriptedprompts.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace lw::test {

class AppFixture {
 public:
  AppFixture() : mDir(QDir::tempPath() + "/loomwright test XXXXXX") {
    settings = std::make_unique<QSettings>(mDir.filePath("settings.ini"),
                                           QSettings::IniFormat);
  }

  MainWindow& open() {
    MainWindowSetup setup;
    setup.prompts = &prompts;
    setup.settings = settings.get();
    setup.userRulesPath = mDir.filePath("user/default.rules");
    setup.shippedRulesPath = mDir.filePath("shipped/default.rules");
    window = std::make_unique<MainWindow>(setup);
    window->start();
    return *window;
  }

  QString write(const Board& board, const QString& name) {
    const QString path = mDir.filePath(name);
    writeBoard(board, path,
               name.endsWith(".vdz") ? Compression::Gzip : Compression::None);
    return path;
  }
  QString path(const QString& name) const { return mDir.filePath(name); }

  GridModel& grid() { return *window->fgProbes->grid(); }
  // Row of the probe with that name, or -1.
  int rowOf(const QString& probe) {
    for (int r = 1; r < grid().rows(); ++r)
      if (grid().text(r, 1) == probe) return r;
    return -1;
  }
  int columnTitled(const QString& title) {
    for (int c = 0; c < grid().columns(); ++c)
      if (grid().text(0, c) == title) return c;
    return -1;
  }

  ScriptedPrompts prompts;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<MainWindow> window;

 private:
  QTemporaryDir mDir;
};

}  // namespace lw::test
