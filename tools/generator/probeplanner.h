#pragma once

// Chooses where the probes of a generated board go: which pins and vias,
// from which side, and how large their heads are. Lengths in millimetres.

#include "board.h"
#include "splitmix64.h"

#include <QString>

#include <vector>

namespace lw {

// A pin or via that a probe may touch.
struct ProbeTarget {
  int position = 0;  // data position of the pin or via
  double x = 0;
  double y = 0;
  Side side = Side::Both;  // the sides it can be probed from
  double pad = 0;          // smallest pad dimension
  bool via = false;
  bool testPad = false;  // taken first: it is there for the fixture
  QString net;
};

struct ProbeSite {
  int target = 0;  // index into the targets
  Side side = Side::Bottom;
  double size = 0;  // head diameter: 100, 75 or 50 mil
};

// Picks count distinct targets. Heads on one side stay apart while the
// targets allow it, then crowd. Throws Error when fewer targets exist.
std::vector<ProbeSite> planProbes(const std::vector<ProbeTarget>& targets,
                                  int count, double topShare, double viaShare,
                                  SplitMix64& rng);

}  // namespace lw
