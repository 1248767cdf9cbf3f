// Pieces parsed on worker threads come back in the order they were handed
// in, whatever order the workers finish them in; a failure is thrown where
// its piece's result would have been taken, and the results before it are
// all taken first.

#include "orderedwork.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

using lw::vd::OrderedWork;

namespace {

// Later pieces finish first: the first of each pair sleeps.
int slowFirst(int& piece, int /*worker*/) {
  if (piece % 2 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  if (piece == 13) throw std::runtime_error("piece 13");
  return piece * 10;
}

}  // namespace

TEST(OrderedWork, ResultsAndFailuresComeBackInOrder) {
  for (const int workers : {1, 3}) {
    for (const int pieces : {0, 1, 12, 40}) {
      std::vector<int> taken;
      const auto take = [&](int& r) { taken.push_back(r); };
      std::string failure;
      try {
        OrderedWork<int, int> work(workers, 2, slowFirst);
        for (int p = 0; p < pieces; ++p) work.submit(p, take);
        work.finish(take);
      } catch (const std::runtime_error& e) {
        failure = e.what();
      }
      const int good = std::min(pieces, 13);
      ASSERT_EQ(taken.size(), std::size_t(good)) << workers << " " << pieces;
      for (int p = 0; p < good; ++p) EXPECT_EQ(taken[std::size_t(p)], p * 10);
      EXPECT_EQ(failure, pieces > 13 ? "piece 13" : "");
    }
  }
}
