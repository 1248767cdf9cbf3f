#pragma once

// Chooses one access point and one probe size per net. Within a net the
// preference is test pad, via, through-hole pin, surface pad, then the
// larger pad, the bottom side, the earlier access point. Nets with the
// fewest acceptable access points choose first, so that crowded nets are
// not starved by spacing; the greedy order is fixed, so the result is too.
//
// With several sizes, the placement starts from the size that places the
// most nets on its own; then each probe grows to the largest size that fits
// one of its net's access points where the others stand, and nets still
// without a probe take any size that fits. No step removes a probe, so no
// single size places more nets.

#include "ipc356builder.h"

#include <vector>

namespace lw::ipc356 {

struct ProbeRule {
  double size = 0;    // diameter and pitch, in page units
  double minPad = 0;  // narrowest pad side it may land on
};

struct PlacementRules {
  bool top = false;
  bool bottom = true;
  // Largest first. Two probes stand at least the mean of their sizes apart
  // (centre to centre, same side).
  std::vector<ProbeRule> sizes;
};

enum class Unplaced : std::uint8_t { No, NoAccess, PadTooSmall, TooClose };

struct NetPlacement {
  int target = -1;  // index into the targets; -1 when unplaced
  int size = -1;    // index into the rules' sizes; -1 when unplaced
  Unplaced reason = Unplaced::NoAccess;
  int nearest = -1;  // unplaced: the best target that was turned down
};

// One entry per net, indexed like the targets' net field.
std::vector<NetPlacement> placeProbes(const std::vector<ProbeTarget>& targets,
                                      int netCount,
                                      const PlacementRules& rules);

}  // namespace lw::ipc356
