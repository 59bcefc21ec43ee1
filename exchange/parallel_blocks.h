#ifndef ZAR_EXCHANGE_PARALLEL_BLOCKS_H_
#define ZAR_EXCHANGE_PARALLEL_BLOCKS_H_

// Work on the items of a range cut into blocks, the blocks done on several threads at once in no
// particular order: for per-item work whose results go to places of their own.

#include <cstdint>
#include <functional>

namespace zar::exchange {

// The threads to use for `blocks` blocks when `threads` are asked for (0: one per core): never
// more than the blocks, at least one.
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
