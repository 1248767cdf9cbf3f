#pragma once

// What the importer accepts (docs/import.md, "Limits"). Each bound lies far
// beyond what a real board needs and keeps a damaged or hostile file from
// taking the machine's memory: a netlist past any of them is refused with a
// message that names the bound.

namespace lw {

struct ImportLimits {
  // Feature records (3x7 and 0x7 lines) in one netlist.
  int featureRecords = 500'000;
  // Pins of one component (one reference designator).
  int pinsPerComponent = 20'000;
  // Features whose records repeat an earlier feature's exactly; they are
  // left out of the board and listed in the summary.
  int duplicateFeatures = 10'000;
};

}  // namespace lw
