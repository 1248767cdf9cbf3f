#include "probeplanner.h"

#include "error.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

namespace lw {

namespace {

constexpr double kMil = 0.0254;
constexpr double kCell = 100 * kMil;  // the largest head

double headFor(double pad) {
  if (pad >= 1.5) return 100 * kMil;
  if (pad >= 0.9) return 75 * kMil;
  return 50 * kMil;
}

bool reaches(Side target, Side probe) {
  return target == Side::Both || target == probe;
}

int sideIndex(Side side) {
  return side == Side::Top ? 0 : 1;
}

class Planner {
 public:
  Planner(const std::vector<ProbeTarget>& targets, SplitMix64& rng)
      : mTargets(targets), mUsed(targets.size(), false) {
    for (int i = 0; i < static_cast<int>(targets.size()); ++i) {
      const ProbeTarget& t = targets[i];
      if (t.via) {
        mVias.push_back(i);
        continue;
      }
      if (reaches(t.side, Side::Top)) mPins[0].push_back(i);
      if (reaches(t.side, Side::Bottom)) mPins[1].push_back(i);
    }
    // Pools are taken from the back: shuffle, then test pads to the back.
    for (std::vector<int>* pool : {&mPins[0], &mPins[1], &mVias}) {
      rng.shuffle(*pool);
      std::stable_partition(pool->begin(), pool->end(),
                            [&](int i) { return !targets[i].testPad; });
    }
  }

  bool place(Side side, bool onVia, std::vector<ProbeSite>* sites) {
    const int s = sideIndex(side);
    std::vector<int>& first = onVia ? mVias : mPins[s];
    std::vector<int>& second = onVia ? mPins[s] : mVias;
    int target = takeSpaced(first, side, *sites);
    if (target < 0) target = takeSpaced(second, side, *sites);
    if (target < 0) target = takeAny(mCrowded[s]);
    if (target < 0) return false;
    ProbeSite site{target, side, headFor(mTargets[target].pad)};
    mCells[s][cellKey(mTargets[target].x, mTargets[target].y)].push_back(
        static_cast<int>(sites->size()));
    sites->push_back(site);
    return true;
  }

 private:
  static std::uint64_t cellKey(double x, double y) {
    const auto cx = static_cast<std::uint32_t>(std::floor(x / kCell));
    const auto cy = static_cast<std::uint32_t>(std::floor(y / kCell));
    return (std::uint64_t{cx} << 32) | cy;
  }

  bool crowded(const ProbeTarget& t, Side side,
               const std::vector<ProbeSite>& sites) const {
    const auto& cells = mCells[sideIndex(side)];
    const double head = headFor(t.pad);
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        auto it = cells.find(cellKey(t.x + dx * kCell, t.y + dy * kCell));
        if (it == cells.end()) continue;
        for (int siteIndex : it->second) {
          const ProbeSite& other = sites[siteIndex];
          const ProbeTarget& o = mTargets[other.target];
          if (std::hypot(o.x - t.x, o.y - t.y) < (head + other.size) / 2)
            return true;
        }
      }
    }
    return false;
  }

  int takeSpaced(std::vector<int>& pool, Side side,
                 const std::vector<ProbeSite>& sites) {
    while (!pool.empty()) {
      const int i = pool.back();
      pool.pop_back();
      if (mUsed[i]) continue;
      if (crowded(mTargets[i], side, sites)) {
        mCrowded[sideIndex(side)].push_back(i);
        continue;
      }
      mUsed[i] = true;
      return i;
    }
    return -1;
  }

  int takeAny(std::vector<int>& pool) {
    while (!pool.empty()) {
      const int i = pool.back();
      pool.pop_back();
      if (mUsed[i]) continue;
      mUsed[i] = true;
      return i;
    }
    return -1;
  }

  const std::vector<ProbeTarget>& mTargets;
  std::vector<bool> mUsed;
  std::array<std::vector<int>, 2> mPins;  // top, bottom
  std::vector<int> mVias;
  std::array<std::vector<int>, 2> mCrowded;
  std::array<std::unordered_map<std::uint64_t, std::vector<int>>, 2> mCells;
};

}  // namespace

std::vector<ProbeSite> planProbes(const std::vector<ProbeTarget>& targets,
                                  int count, double topShare, double viaShare,
                                  SplitMix64& rng) {
  Planner planner(targets, rng);
  std::vector<ProbeSite> sites;
  sites.reserve(count);
  while (static_cast<int>(sites.size()) < count) {
    const Side side = rng.chance(topShare) ? Side::Top : Side::Bottom;
    const bool onVia = rng.chance(viaShare);
    const Side other = side == Side::Top ? Side::Bottom : Side::Top;
    if (!planner.place(side, onVia, &sites) &&
        !planner.place(other, onVia, &sites))
      throw Error(QStringLiteral("The board has room for only %1 of %2 probes.")
                      .arg(sites.size())
                      .arg(count));
  }
  return sites;
}

}  // namespace lw
