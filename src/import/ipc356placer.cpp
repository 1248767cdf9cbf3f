#include "ipc356placer.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <unordered_map>

namespace lw::ipc356 {
namespace {

// Placed probes bucketed by cells as wide as the spacing, so that a check
// looks at nine cells instead of every probe.
class SpacingGrid {
 public:
  explicit SpacingGrid(double spacing)
      : mSpacing(spacing), mLimit(spacing * (1 - 1e-9)) {}

  bool fits(const ProbeTarget& t) const {
    if (mSpacing <= 0) return true;
    const auto [cx, cy] = cell(t);
    for (long long dx = -1; dx <= 1; ++dx) {
      for (long long dy = -1; dy <= 1; ++dy) {
        const auto it = mCells.find(key(cx + dx, cy + dy, t.side));
        if (it == mCells.end()) continue;
        for (const ProbeTarget* p : it->second)
          if (std::hypot(p->x - t.x, p->y - t.y) < mLimit) return false;
      }
    }
    return true;
  }

  void add(const ProbeTarget& t) {
    if (mSpacing <= 0) return;
    const auto [cx, cy] = cell(t);
    mCells[key(cx, cy, t.side)].push_back(&t);
  }

 private:
  std::pair<long long, long long> cell(const ProbeTarget& t) const {
    return {static_cast<long long>(std::floor(t.x / mSpacing)),
            static_cast<long long>(std::floor(t.y / mSpacing))};
  }
  static unsigned long long key(long long cx, long long cy, Side side) {
    const auto ux = static_cast<unsigned long long>(cx) & 0x3FFFFFFFULL;
    const auto uy = static_cast<unsigned long long>(cy) & 0x3FFFFFFFULL;
    return (ux << 31) | (uy << 1) | (side == Side::Top ? 1ULL : 0ULL);
  }

  double mSpacing;
  double mLimit;
  std::unordered_map<unsigned long long, std::vector<const ProbeTarget*>>
      mCells;
};

}  // namespace

std::vector<NetPlacement> placeProbes(const std::vector<ProbeTarget>& targets,
                                      int netCount,
                                      const PlacementRules& rules) {
  std::vector<std::vector<int>> reachable(netCount);
  std::vector<std::vector<int>> acceptable(netCount);
  const int count = static_cast<int>(targets.size());
  for (int i = 0; i < count; ++i) {
    const ProbeTarget& t = targets[i];
    if (!(t.side == Side::Top ? rules.top : rules.bottom)) continue;
    reachable[t.net].push_back(i);
    if (t.padSize >= rules.minPadSize * (1 - 1e-9))
      acceptable[t.net].push_back(i);
  }
  const auto better = [&targets](int a, int b) {
    const ProbeTarget& ta = targets[a];
    const ProbeTarget& tb = targets[b];
    return std::tuple(ta.kind, -ta.padSize, ta.side != Side::Bottom, a) <
           std::tuple(tb.kind, -tb.padSize, tb.side != Side::Bottom, b);
  };
  std::vector<int> order;
  for (int net = 0; net < netCount; ++net) {
    std::sort(reachable[net].begin(), reachable[net].end(), better);
    std::sort(acceptable[net].begin(), acceptable[net].end(), better);
    if (!acceptable[net].empty()) order.push_back(net);
  }
  std::stable_sort(order.begin(), order.end(), [&acceptable](int a, int b) {
    return acceptable[a].size() < acceptable[b].size();
  });

  std::vector<NetPlacement> result(netCount);
  for (int net = 0; net < netCount; ++net) {
    if (reachable[net].empty()) continue;  // NoAccess
    result[net].reason = Unplaced::PadTooSmall;
    result[net].nearest = reachable[net].front();
  }
  SpacingGrid grid(rules.spacing);
  for (const int net : order) {
    NetPlacement& p = result[net];
    p.reason = Unplaced::TooClose;
    p.nearest = acceptable[net].front();
    for (const int t : acceptable[net]) {
      if (!grid.fits(targets[t])) continue;
      grid.add(targets[t]);
      p = NetPlacement{t, Unplaced::No, -1};
      break;
    }
  }
  return result;
}

}  // namespace lw::ipc356
