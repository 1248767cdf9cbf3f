#pragma once

// The main window's per-document fields. The current surface, visibility
// choices, zoom level and rotation caption live in the controls.

#include "extraction.h"
#include "layertable.h"
#include "zoom.h"

namespace lw {

struct DocumentState {
  int pcbFileNumber = 0;           // the visible PCB file, board view
  int probeViewPcbFileNumber = 0;  // the same file in the probe view
  int pcbSelectArgument = 0;       // scope of the select calls
  ExtractionTables tables;
  LayerTable layers;
  int lastQueryResult = 0;
  bool viaDataLoaded = false;
  bool pinDataLoaded = false;
  ZoomFields zoom;
  int boardRotation = 0;  // degrees: 0, 90, 180 or 270
  bool documentModified = false;
};

}  // namespace lw
