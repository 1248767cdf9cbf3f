#pragma once

// Runs a job on each piece handed in, on worker threads, and hands the
// results back on the caller's thread in the order the pieces came. The
// caller goes on producing pieces (inflating, cutting slices) while the
// workers parse: a large board opens in about half the time on two cores.
// Internal to the document reader.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace lw::vd {

template <class Piece, class Result>
class OrderedWork {
 public:
  // work(piece, worker) runs on worker number worker (0 <= worker <
  // workers), one piece at a time on each, so per-worker state needs no
  // lock. What it throws is thrown again by submit or finish, in order.
  using WorkFn = std::function<Result(Piece&, int worker)>;
  using TakeFn = std::function<void(Result&)>;

  OrderedWork(int workers, std::size_t maxInFlight, WorkFn work)
      : mMaxInFlight(std::max<std::size_t>(maxInFlight, 1)),
        mWork(std::move(work)) {
    for (int w = 0; w < std::max(workers, 1); ++w)
      mThreads.emplace_back([this, w] { run(w); });
  }
  OrderedWork(const OrderedWork&) = delete;
  OrderedWork& operator=(const OrderedWork&) = delete;

  // Pieces not yet done are dropped.
  ~OrderedWork() {
    {
      const std::lock_guard lock(mMutex);
      mStopping = true;
    }
    mWake.notify_all();
    for (std::thread& t : mThreads) t.join();
  }

  // Queues piece; while too many are in flight, hands finished results to
  // take, in order, and waits for more.
  void submit(Piece piece, const TakeFn& take) {
    std::unique_lock lock(mMutex);
    while (mSubmitted - mTaken >= mMaxInFlight) takeOne(lock, take);
    mQueue.emplace_back(mSubmitted++, std::move(piece));
    lock.unlock();
    mWake.notify_one();
  }

  // Hands every result still to come to take, in order.
  void finish(const TakeFn& take) {
    std::unique_lock lock(mMutex);
    while (mTaken < mSubmitted) takeOne(lock, take);
  }

 private:
  struct Done {
    std::optional<Result> result;
    std::exception_ptr error;
  };

  void takeOne(std::unique_lock<std::mutex>& lock, const TakeFn& take) {
    mDone.wait(lock, [this] {
      return !mFinished.empty() && mFinished.begin()->first == mTaken;
    });
    Done done = std::move(mFinished.begin()->second);
    mFinished.erase(mFinished.begin());
    ++mTaken;
    lock.unlock();
    if (done.error) std::rethrow_exception(done.error);
    take(*done.result);
    lock.lock();
  }

  void run(int worker) {
    for (;;) {
      std::unique_lock lock(mMutex);
      mWake.wait(lock, [this] { return mStopping || !mQueue.empty(); });
      if (mStopping) return;
      auto [index, piece] = std::move(mQueue.front());
      mQueue.pop_front();
      lock.unlock();
      Done done;
      try {
        done.result.emplace(mWork(piece, worker));
      } catch (...) {
        done.error = std::current_exception();
      }
      lock.lock();
      mFinished.emplace(index, std::move(done));
      lock.unlock();
      mDone.notify_one();
    }
  }

  const std::size_t mMaxInFlight;
  const WorkFn mWork;
  std::mutex mMutex;
  std::condition_variable mWake;  // workers: a piece, or stop
  std::condition_variable mDone;  // the caller: a result
  std::deque<std::pair<std::size_t, Piece>> mQueue;
  std::map<std::size_t, Done> mFinished;
  std::size_t mSubmitted = 0;
  std::size_t mTaken = 0;
  bool mStopping = false;
  std::vector<std::thread> mThreads;  // last: started after the rest
};

}  // namespace lw::vd
