#pragma once

// What the rules and renumbering dialogs may do with the main window: read
// and write its probe grid, recolour probes in both views, reselect, reload.

#include "board.h"

#include <QString>

namespace lw {

class BoardDocument;
class GridModel;
class GridView;
class Prompts;

class ProbeGridHost {
 public:
  virtual ~ProbeGridHost() = default;

  virtual GridView& probeGridView() = 0;
  virtual GridModel& probeGrid() = 0;
  // Brings both views to the current row's probe.
  virtual void fgProbes_SelChange() = 0;
  // Colours every probe of that name in the board view, then the probe view.
  virtual void colourProbe(const QString& name, Rgb colour) = 0;
  virtual void setDocumentModified() = 0;
  // The board view's document: the one that is saved.
  virtual BoardDocument& boardDocument() = 0;
  virtual void loadFile(const QString& fileName) = 0;
  virtual Prompts& prompts() = 0;
  virtual void setBusyPointer(bool busy) = 0;
};

inline constexpr Rgb kNotWiredColour{255, 0, 0};
inline constexpr Rgb kWiredColour{0, 255, 0};
inline constexpr Rgb kCurrentColour{255, 255, 0};

// Every probe green or red by its "Wired" cell in both views, then the first
// visible row made current and both views brought to it, even when it was
// current already. Nothing is selected when every row is hidden.
void recolourProbesAndReselect(ProbeGridHost& host);

}  // namespace lw
