#pragma once

// A dialog host without the main window: a real probe grid view filled as
// the window's load fills it, a document of its own and scripted prompts.
// It notes what the dialog asked of it.

#include "boardio.h"
#include "extraction.h"
#include "gridview.h"
#include "probegridhost.h"
#include "probetable.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QDialog>

namespace lw::test {

class TestHost final : public ProbeGridHost {
 public:
  explicit TestHost(Board board = {}) { setBoard(std::move(board)); }

  // Makes board the document and rebuilds the probe grid from it: the
  // extraction tables, the probe table, top surface shown.
  void setBoard(Board board) {
    document = BoardDocument(std::move(board));
    const int file = document.visiblePcbFiles().value(0, 1);
    ExtractionTables t;
    extractProbes(document, file, t);
    extractAccessPoints(document, file, t);
    linkAccessFeatures(document, file, t);
    buildProbeTable(probeGrid(), std::move(t), RegionalFormat{});
    probeGrid().setRedraw(Redraw::On);
    applySurfaceFilter(probeGrid(), true);
  }

  // The probe names in grid order.
  QStringList probes() const {
    QStringList names;
    for (int r = 1; r < view.grid()->rows(); ++r)
      names << view.grid()->text(r, probe_grid::kProbe);
    return names;
  }

  GridView& probeGridView() override { return view; }
  GridModel& probeGrid() override { return *view.grid(); }
  void recolourAndReselect() override {
    ++reselects;
    reselectedOrder = probes();
  }
  BoardDocument& boardDocument() override { return document; }
  // Reads the file back into the document, as the window's load does.
  void loadFile(const QString& fileName) override {
    loads << fileName;
    for (QWidget* w : QApplication::topLevelWidgets())
      dialogShownAtLoad |= qobject_cast<QDialog*>(w) && w->isVisible();
    try {
      setBoard(readBoard(fileName));
    } catch (const Error& e) {
      loadError = e.message();
    }
  }
  Prompts& prompts() override { return scripted; }
  void setBusyPointer(bool busy) override { busyBalance += busy ? 1 : -1; }

  GridView view;
  BoardDocument document;
  ScriptedPrompts scripted;
  int reselects = 0;
  QStringList reselectedOrder;  // probe names when last asked to reselect
  QStringList loads;
  QString loadError;
  bool dialogShownAtLoad = false;
  int busyBalance = 0;  // on minus off
};

}  // namespace lw::test
