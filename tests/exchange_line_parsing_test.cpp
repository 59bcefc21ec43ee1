// Line batches read on two threads give the same lines in the same order as on one and pass on
// a handler's exception; a batch is shared with a second thread.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

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

}  // namespace
}  // namespace zar::exchange
