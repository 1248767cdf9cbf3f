#pragma once

// The main window's per-document fields. The surface, class check boxes and
// zoom level are what their controls show (see WiringSettings).

#include "extraction.h"
#include "layertable.h"
#include "probetable.h"
#include "zoom.h"

namespace lw {

struct DocumentState {
  int pcbFileNumber = 0;      // the visible PCB file
  int pcbSelectArgument = 0;  // scope of the select calls
  ExtractionTables tables;
  LayerTable layers;
  SurfaceCounts probes;  // probe rows per surface
  SurfaceCounts wired;   // marked rows per surface, kept with every mark
  bool viaDataLoaded = false;
  bool pinDataLoaded = false;
  ZoomFields zoom;
  int boardRotation = 0;  // degrees: 0, 90, 180 or 270
  bool documentModified = false;
};

}  // namespace lw
