#pragma once

// The main window's table of the document's layers: which are drawn, in
// which colour, on which working surface.

#include "boarddocument.h"

#include <QString>

#include <vector>

namespace lw {

struct LayerRow {
  int number = 0;
  QString name;
  int type = 0;
  bool on = false;
  Rgb colour;
};

using LayerTable = std::vector<LayerRow>;

// Reads every layer of the document ("get layer" until the list ends) and
// gives each its starting visibility and colour.
LayerTable buildLayerTable(const BoardDocument& document);

// Starting visibility and colour: by type first, then by name.
void applyStartingStyle(LayerRow& row);

// Visibility on the working surface; layers no rule names keep theirs.
void applySurface(LayerRow& row, bool top);

}  // namespace lw
