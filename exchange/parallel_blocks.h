#ifndef ZAR_EXCHANGE_PARALLEL_BLOCKS_H_
#define ZAR_EXCHANGE_PARALLEL_BLOCKS_H_

// Work on the items of a range cut into blocks, the blocks done on several threads at once in no
// particular order: for per-item work whose results go to places of their own.

#include <cstdint>
#include <functional>

namespace zar::exchange {

// While one lives, the work begun on the thread that made it (reading or writing one file) stays
// on that thread: no blocks on other threads, no second thread parsing lines. For callers that
// run many files at once, one per thread or process (a batch on a cluster's workers), so that
// one file's work does not take the cores meant for the others.
class CallingThreadOnly {
 public:
  CallingThreadOnly();
  ~CallingThreadOnly();
  CallingThreadOnly(const CallingThreadOnly&) = delete;
  CallingThreadOnly& operator=(const CallingThreadOnly&) = delete;

  // Whether one lives on the calling thread.
  static bool Active();

 private:
  bool before_;
};

// The threads to use for `blocks` blocks when `threads` are asked for (0: one per core, or one
// while a CallingThreadOnly lives): never more than the blocks, at least one.
unsigned BlockThreads(std::int64_t blocks, unsigned threads);

// Does the items [from, to) of one block.
using BlockWork = std::function<void(std::int64_t from, std::int64_t to)>;

// Calls `work` for every block of `block` items of [0, count) (the last may be shorter), on up
// to `threads` threads (0: one per core), the calling thread among them. A single block is done
// on the calling thread. An exception thrown by `work` is thrown here once every thread has
// stopped; blocks not yet begun are then left undone.
void ForEachBlock(std::int64_t count, std::int64_t block, const BlockWork& work,
                  unsigned threads = 0);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_PARALLEL_BLOCKS_H_
