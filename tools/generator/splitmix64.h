#pragma once

// A tiny seeded generator. The standard distributions may produce different
// numbers on another library version; generated boards must not, so every
// draw goes through this class.

#include <cstdint>
#include <utility>
#include <vector>

namespace lw {

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) noexcept : mState(seed) {}

  std::uint64_t next() noexcept {
    std::uint64_t z = (mState += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1), 53 bits.
  double unit() noexcept { return static_cast<double>(next() >> 11) * 0x1p-53; }
  // Uniform in [0, n) for n > 0.
  int below(int n) noexcept { return static_cast<int>(unit() * n); }
  double between(double low, double high) noexcept {
    return low + unit() * (high - low);
  }
  bool chance(double p) noexcept { return unit() < p; }

  template <typename T>
  void shuffle(std::vector<T>& items) noexcept {
    for (int i = static_cast<int>(items.size()) - 1; i > 0; --i)
      std::swap(items[i], items[below(i + 1)]);
  }

 private:
  std::uint64_t mState;
};

}  // namespace lw
