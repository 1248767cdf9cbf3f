#pragma once

// What the rules and renumbering dialogs may ask of the window that shows
// the probe grid: read and rearrange the grid, bring both board views back
// in step with it, write the open document and open another one.

class QString;

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
  // After the grid was rearranged: every probe coloured by its wired mark in
  // both views, then the first visible row made current and both views
  // brought to it, even when it was current already.
  virtual void recolourAndReselect() = 0;
  // The open document, as it will be saved.
  virtual BoardDocument& boardDocument() = 0;
  virtual void loadFile(const QString& fileName) = 0;
  virtual Prompts& prompts() = 0;
  virtual void setBusyPointer(bool busy) = 0;
};

}  // namespace lw
