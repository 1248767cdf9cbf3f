#include "ipc356placer.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <unordered_map>

namespace lw::ipc356 {
namespace {

// Placed probes bucketed by cells as wide as the largest spacing, so that a
// check looks at nine cells instead of every probe.
class SpacingGrid {
 public:
  SpacingGrid(const std::vector<ProbeTarget>& targets, double largest)
      : mTargets(targets), mCell(largest) {}

  // Whether a probe of that size at t keeps its distance to every probe
  // but the one of the net except.
  bool fits(int t, double size, int except = -1) const {
    if (mCell <= 0) return true;
    const ProbeTarget& at = mTargets[static_cast<size_t>(t)];
    const auto [cx, cy] = cell(at);
    for (long long dx = -1; dx <= 1; ++dx) {
      for (long long dy = -1; dy <= 1; ++dy) {
        const auto it = mCells.find(key(cx + dx, cy + dy, at.side));
        if (it == mCells.end()) continue;
        for (const Probe& p : it->second) {
          if (p.net == except) continue;
          const ProbeTarget& q = mTargets[static_cast<size_t>(p.target)];
          const double limit = (size + p.size) / 2 * (1 - 1e-9);
          if (std::hypot(q.x - at.x, q.y - at.y) < limit) return false;
        }
      }
    }
    return true;
  }

  void add(int t, double size) {
    if (mCell <= 0) return;
    const ProbeTarget& at = mTargets[static_cast<size_t>(t)];
    const auto [cx, cy] = cell(at);
    mCells[key(cx, cy, at.side)].push_back({t, at.net, size});
  }

  void remove(int t) {
    if (mCell <= 0) return;
    const ProbeTarget& at = mTargets[static_cast<size_t>(t)];
    const auto [cx, cy] = cell(at);
    auto& list = mCells[key(cx, cy, at.side)];
    list.erase(std::find_if(list.begin(), list.end(),
                            [t](const Probe& p) { return p.target == t; }));
  }

 private:
  struct Probe {
    int target;
    int net;
    double size;
  };

  std::pair<long long, long long> cell(const ProbeTarget& t) const {
    return {static_cast<long long>(std::floor(t.x / mCell)),
            static_cast<long long>(std::floor(t.y / mCell))};
  }
  static unsigned long long key(long long cx, long long cy, Side side) {
    const auto ux = static_cast<unsigned long long>(cx) & 0x3FFFFFFFULL;
    const auto uy = static_cast<unsigned long long>(cy) & 0x3FFFFFFFULL;
    return (ux << 31) | (uy << 1) | (side == Side::Top ? 1ULL : 0ULL);
  }

  const std::vector<ProbeTarget>& mTargets;
  double mCell;
  std::unordered_map<unsigned long long, std::vector<Probe>> mCells;
};

class Placer {
 public:
  Placer(const std::vector<ProbeTarget>& targets, int netCount,
         const PlacementRules& rules);
  std::vector<NetPlacement> place();

 private:
  bool accepts(int t, size_t size) const {
    return mTargets[static_cast<size_t>(t)].padSize >=
           mRules.sizes[size].minPad * (1 - 1e-9);
  }
  struct Outcome {
    std::vector<int> at;     // per net: target, -1 when unplaced
    std::vector<int> sizes;  // per net: index into the sizes, -1
    int placed;
    double area;  // the sizes placed, added up
  };

  std::vector<int> greedy(size_t size) const;
  Outcome startingFrom(size_t start) const;
  bool placeAt(int net, size_t size, std::vector<int>& at,
               std::vector<int>& sizes, SpacingGrid& grid) const;

  const std::vector<ProbeTarget>& mTargets;
  int mNetCount;
  const PlacementRules& mRules;
  std::vector<std::vector<int>> mReachable;  // per net, best first
};

Placer::Placer(const std::vector<ProbeTarget>& targets, int netCount,
               const PlacementRules& rules)
    : mTargets(targets), mNetCount(netCount), mRules(rules) {
  mReachable.resize(static_cast<size_t>(netCount));
  const int count = static_cast<int>(targets.size());
  for (int i = 0; i < count; ++i) {
    const ProbeTarget& t = targets[static_cast<size_t>(i)];
    if (t.side == Side::Top ? rules.top : rules.bottom)
      mReachable[static_cast<size_t>(t.net)].push_back(i);
  }
  const auto better = [&targets](int a, int b) {
    const ProbeTarget& ta = targets[static_cast<size_t>(a)];
    const ProbeTarget& tb = targets[static_cast<size_t>(b)];
    return std::tuple(ta.kind, -ta.padSize, ta.side != Side::Bottom, a) <
           std::tuple(tb.kind, -tb.padSize, tb.side != Side::Bottom, b);
  };
  for (auto& list : mReachable) std::sort(list.begin(), list.end(), better);
}

// One size alone: the target of each net, -1 where none fits.
std::vector<int> Placer::greedy(size_t size) const {
  std::vector<int> acceptable(static_cast<size_t>(mNetCount), 0);
  std::vector<int> order;
  for (int net = 0; net < mNetCount; ++net) {
    for (const int t : mReachable[static_cast<size_t>(net)])
      acceptable[static_cast<size_t>(net)] += accepts(t, size) ? 1 : 0;
    if (acceptable[static_cast<size_t>(net)] > 0) order.push_back(net);
  }
  std::stable_sort(order.begin(), order.end(), [&acceptable](int a, int b) {
    return acceptable[static_cast<size_t>(a)] <
           acceptable[static_cast<size_t>(b)];
  });
  const double pitch = mRules.sizes[size].size;
  SpacingGrid grid(mTargets, pitch);
  std::vector<int> at(static_cast<size_t>(mNetCount), -1);
  for (const int net : order) {
    for (const int t : mReachable[static_cast<size_t>(net)]) {
      if (!accepts(t, size) || !grid.fits(t, pitch)) continue;
      grid.add(t, pitch);
      at[static_cast<size_t>(net)] = t;
      break;
    }
  }
  return at;
}

// Moves the net's probe (if any) to its best access point that takes a
// probe of that size; false, changing nothing, when none does.
bool Placer::placeAt(int net, size_t size, std::vector<int>& at,
                     std::vector<int>& sizes, SpacingGrid& grid) const {
  const double pitch = mRules.sizes[size].size;
  for (const int t : mReachable[static_cast<size_t>(net)]) {
    if (!accepts(t, size) || !grid.fits(t, pitch, net)) continue;
    int& current = at[static_cast<size_t>(net)];
    if (current >= 0) grid.remove(current);
    grid.add(t, pitch);
    current = t;
    sizes[static_cast<size_t>(net)] = static_cast<int>(size);
    return true;
  }
  return false;
}

// Starting from one size alone: grow the probes, largest sizes first,
// until none can grow (each step makes one probe larger, so this ends),
// then give the nets still without a probe the largest size that fits.
Placer::Outcome Placer::startingFrom(size_t start) const {
  const size_t sizeCount = mRules.sizes.size();
  Outcome o{greedy(start), std::vector<int>(static_cast<size_t>(mNetCount), -1),
            0, 0};
  SpacingGrid grid(mTargets, mRules.sizes.front().size);
  for (int net = 0; net < mNetCount; ++net) {
    if (o.at[static_cast<size_t>(net)] < 0) continue;
    o.sizes[static_cast<size_t>(net)] = static_cast<int>(start);
    grid.add(o.at[static_cast<size_t>(net)], mRules.sizes[start].size);
  }
  for (bool grown = sizeCount > 1; grown;) {
    grown = false;
    for (size_t s = 0; s + 1 < sizeCount; ++s)
      for (int net = 0; net < mNetCount; ++net)
        if (o.sizes[static_cast<size_t>(net)] > static_cast<int>(s))
          grown = placeAt(net, s, o.at, o.sizes, grid) || grown;
  }
  for (size_t s = 0; s < sizeCount; ++s)
    for (int net = 0; net < mNetCount; ++net)
      if (o.at[static_cast<size_t>(net)] < 0)
        placeAt(net, s, o.at, o.sizes, grid);
  for (const int size : o.sizes) {
    if (size < 0) continue;
    ++o.placed;
    o.area += mRules.sizes[static_cast<size_t>(size)].size;
  }
  return o;
}

std::vector<NetPlacement> Placer::place() {
  // Each size alone places some nets; starting from each, keep the outcome
  // with the most nets placed, then the larger probes.
  Outcome best = startingFrom(0);
  for (size_t s = 1; s < mRules.sizes.size(); ++s) {
    Outcome o = startingFrom(s);
    if (std::pair(o.placed, o.area) > std::pair(best.placed, best.area))
      best = std::move(o);
  }
  const size_t smallest = mRules.sizes.size() - 1;
  std::vector<NetPlacement> result(static_cast<size_t>(mNetCount));
  for (int net = 0; net < mNetCount; ++net) {
    NetPlacement& p = result[static_cast<size_t>(net)];
    const std::vector<int>& reachable = mReachable[static_cast<size_t>(net)];
    if (best.at[static_cast<size_t>(net)] >= 0) {
      p = {best.at[static_cast<size_t>(net)],
           best.sizes[static_cast<size_t>(net)], Unplaced::No, -1};
      continue;
    }
    if (reachable.empty()) continue;  // NoAccess
    const auto acceptable =
        std::find_if(reachable.begin(), reachable.end(),
                     [&](int t) { return accepts(t, smallest); });
    p.reason = acceptable == reachable.end() ? Unplaced::PadTooSmall
                                             : Unplaced::TooClose;
    p.nearest = acceptable == reachable.end() ? reachable.front() : *acceptable;
  }
  return result;
}

}  // namespace

std::vector<NetPlacement> placeProbes(const std::vector<ProbeTarget>& targets,
                                      int netCount,
                                      const PlacementRules& rules) {
  if (rules.sizes.empty()) return std::vector<NetPlacement>(netCount);
  return Placer(targets, netCount, rules).place();
}

}  // namespace lw::ipc356
