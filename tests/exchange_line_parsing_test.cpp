// Line batches read on two threads give the same lines in the same order as on one and pass on
// a handler's exception; a batch is shared with a second thread, unless the caller keeps its
// work on its own thread (CallingThreadOnly), as a run of blocks then is too.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "exchange/parallel_blocks.h"
#include "exchange/threaded_line_parsing.h"
#include "line_batches_test_support.h"

namespace zar::exchange {
namespace {

TEST(ThreadedLineParsing, GivesEveryLineInOrderAndPassesOnAFailure) {
  ThreadedLineParsing parsing;
  testing::CheckLineBatches(&parsing);
}

// The calling thread, once it reads, waits for another thread to read a part of the batch too;
// every line is read once all the same.
TEST(ThreadedLineParsing, ASecondThreadReadsAPartOfEachBatch) {
  ThreadedLineParsing parsing;
  const std::thread::id caller = std::this_thread::get_id();
  for (int batch = 0; batch < 3; ++batch) {
    std::vector<int> reads(640, 0);
    std::mutex mutex;
    std::condition_variable helped;
    bool elsewhere = false;
    parsing.Begin(reads.size(), [&](std::size_t first, std::size_t last) {
      std::unique_lock lock(mutex);
      for (std::size_t i = first; i < last; ++i) ++reads[i];
      if (std::this_thread::get_id() != caller) {
        elsewhere = true;
        helped.notify_all();
      } else {
        helped.wait_for(lock, std::chrono::seconds(10), [&] { return elsewhere; });
      }
    });
    parsing.Finish();
    EXPECT_TRUE(elsewhere) << "batch " << batch;
    EXPECT_EQ(std::vector<int>(reads.size(), 1), reads) << "batch " << batch;
  }
}

TEST(CallingThreadOnly, KeepsLinesAndBlocksOnTheCallingThreadWhileItLives) {
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<std::thread::id> readers;
  std::mutex mutex;
  const auto note = [&](std::size_t, std::size_t) {
    const std::lock_guard lock(mutex);
    readers.push_back(std::this_thread::get_id());
  };
  {
    const CallingThreadOnly only;
    ThreadedLineParsing parsing;
    parsing.Begin(640, note);
    parsing.Finish();
    ForEachBlock(640, 1, [&](std::int64_t, std::int64_t) { note(0, 0); });
    EXPECT_EQ(1U, BlockThreads(64, 0));
  }
  EXPECT_EQ(std::vector<std::thread::id>(readers.size(), caller), readers);
  EXPECT_FALSE(CallingThreadOnly::Active());
  EXPECT_EQ(std::min(64U, std::max(1U, std::thread::hardware_concurrency())), BlockThreads(64, 0));
}

}  // namespace
}  // namespace zar::exchange
