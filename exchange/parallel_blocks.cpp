#include "exchange/parallel_blocks.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zar::exchange {

namespace {

thread_local bool calling_thread_only = false;

}  // namespace

CallingThreadOnly::CallingThreadOnly() : before_(calling_thread_only) {
  calling_thread_only = true;
}

CallingThreadOnly::~CallingThreadOnly() { calling_thread_only = before_; }

bool CallingThreadOnly::Active() { return calling_thread_only; }

unsigned BlockThreads(std::int64_t blocks, unsigned threads) {
  if (threads == 0) {
    threads = calling_thread_only ? 1U : std::max(1U, std::thread::hardware_concurrency());
  }
  return static_cast<unsigned>(std::clamp<std::int64_t>(blocks, 1, threads));
}

void ForEachBlock(std::int64_t count, std::int64_t block, const BlockWork& work, unsigned threads) {
  if (count <= 0) return;
  block = std::max<std::int64_t>(block, 1);
  const std::int64_t blocks = (count + block - 1) / block;
  threads = BlockThreads(blocks, threads);

  std::atomic<std::int64_t> next{0};
  std::atomic<bool> stopped{false};
  std::mutex mutex;
  std::exception_ptr error;
  const auto run = [&] {
    try {
      for (std::int64_t i = next++; i < blocks && !stopped; i = next++) {
        const std::int64_t from = i * block;
        work(from, std::min(count, from + block));
      }
    } catch (...) {
      const std::lock_guard lock(mutex);
      if (!error) error = std::current_exception();
      stopped = true;
    }
  };
  {
    std::vector<std::jthread> helpers;
    helpers.reserve(threads - 1);
    for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(run);
    run();
  }
  if (error) std::rethrow_exception(error);
}

}  // namespace zar::exchange
