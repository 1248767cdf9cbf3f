#pragma once

// A board document read into the probe table the way the window loads it,
// for the command line: the last visible PCB file's placed probes,
// extracted and linked, the stored wiring marks back, and on request the
// rules file's columns and order.

#include "boarddocument.h"
#include "gridmodel.h"
#include "regional.h"
#include "rulesfile.h"

namespace lw {

class BoardSheet {
 public:
  // Throws Error, without the file's name, where a load would refuse the
  // board: no visible PCB file, no probes, no access points.
  BoardSheet(BoardDocument document, const RegionalFormat& regional);
  BoardSheet(const BoardSheet&) = delete;
  BoardSheet& operator=(const BoardSheet&) = delete;

  // Shows and orders the columns as the rules file found at locations says,
  // as a load does; nothing when there is none. A user's file that cannot
  // be read gives way to the shipped one: the result says why, else "".
  // Throws Error when no file can be read.
  QString applyRules(const RulesFileLocations& locations);

  const BoardDocument& document() const { return mDocument; }
  BoardDocument& document() { return mDocument; }
  const GridModel& grid() const { return mGrid; }
  // The document holds wired marks saved by a wiring session.
  bool hasStoredMarks() const { return mStoredMarks; }

 private:
  BoardDocument mDocument;
  GridModel mGrid;
  bool mStoredMarks = false;
};

}  // namespace lw
