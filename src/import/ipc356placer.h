#pragma once

// Chooses one access point per net for a probe. Within a net the preference
// is test pad, via, through-hole pin, surface pad, then the larger pad, the
// bottom side, the earlier access point. Nets with the fewest acceptable
// access points choose first, so that crowded nets are not starved by
// spacing; the greedy order is fixed, so the result is too.

#include "ipc356builder.h"

#include <vector>

namespace lw::ipc356 {

struct PlacementRules {
  bool top = false;
  bool bottom = true;
  double spacing = 0;     // minimum centre-to-centre distance, same side
  double minPadSize = 0;  // narrower pad side
};

enum class Unplaced : std::uint8_t { No, NoAccess, PadTooSmall, TooClose };

struct NetPlacement {
  int target = -1;  // index into the targets; -1 when unplaced
  Unplaced reason = Unplaced::NoAccess;
  int nearest = -1;  // unplaced: the best target that was turned down
};

// One entry per net, indexed like the targets' net field.
std::vector<NetPlacement> placeProbes(const std::vector<ProbeTarget>& targets,
                                      int netCount,
                                      const PlacementRules& rules);

}  // namespace lw::ipc356
