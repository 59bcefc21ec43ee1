#include "exchange/ordered_blocks.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "exchange/parallel_blocks.h"
#include "exchange/work_progress.h"

namespace zar::exchange {

char* TextBlock::Grow(std::size_t size) {
  text_.resize(std::max(used_ + size, 2 * text_.size()));
  return text_.data() + used_;
}

void TextBlock::Write(std::string_view text) {
  char* p = Reserve(text.size());
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  used_ += text.size();
}

namespace {

// The blocks between the threads that make them and the one that writes them: block i is made
// into slot i % slots.size(), and no block is begun before the block that last used its slot
// was written.
class BlockQueue {
 public:
  BlockQueue(std::int64_t blocks, std::size_t slots) : blocks_(blocks), slots_(slots) {}

  // The next block to make, or -1 when none is left or the work stopped.
  std::int64_t Take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] {
      return stopped_ || next_ >= blocks_ ||
             next_ < written_ + static_cast<std::int64_t>(slots_.size());
    });
    if (stopped_ || next_ >= blocks_) return -1;
    return next_++;
  }

  TextBlock& Slot(std::int64_t i) { return slots_[Index(i)].text; }

  void Made(std::int64_t i) {
    {
      const std::lock_guard lock(mutex_);
      slots_[Index(i)].ready = true;
    }
    changed_.notify_all();
  }

  void Fail(std::exception_ptr error) {
    {
      const std::lock_guard lock(mutex_);
      if (!error_) error_ = std::move(error);
      stopped_ = true;
    }
    changed_.notify_all();
  }

  // Waits for block i; false when the work stopped before it was made.
  bool Await(std::int64_t i) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this, i] { return stopped_ || slots_[Index(i)].ready; });
    return slots_[Index(i)].ready;
  }

  void Written(std::int64_t i) {
    {
      const std::lock_guard lock(mutex_);
      slots_[Index(i)].ready = false;
      slots_[Index(i)].text.Clear();
      written_ = i + 1;
    }
    changed_.notify_all();
  }

  std::exception_ptr Error() const { return error_; }

 private:
  struct Entry {
    TextBlock text;
    bool ready = false;
  };

  std::size_t Index(std::int64_t i) const { return static_cast<std::size_t>(i) % slots_.size(); }

  const std::int64_t blocks_;
  std::vector<Entry> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::int64_t next_ = 0;
  std::int64_t written_ = 0;
  bool stopped_ = false;
  std::exception_ptr error_;
};

}  // namespace

void WriteInOrder(OutputFile& out, std::int64_t count, std::int64_t block, const BlockMaker& make,
                  unsigned threads) {
  if (count <= 0) return;
  block = std::max<std::int64_t>(block, 1);
  const std::int64_t blocks = (count + block - 1) / block;
  threads = BlockThreads(blocks, threads);
  if (threads <= 1) {
    TextBlock text;
    for (std::int64_t from = 0; from < count; from += block) {
      text.Clear();
      make(from, std::min(count, from + block), text);
      out.Write(text.Text());
      ReportProgress("writing", from + block, count);
    }
    return;
  }

  BlockQueue queue(blocks, 2 * std::size_t{threads});
  const auto work = [&] {
    try {
      for (std::int64_t i = queue.Take(); i >= 0; i = queue.Take()) {
        const std::int64_t from = i * block;
        make(from, std::min(count, from + block), queue.Slot(i));
        queue.Made(i);
      }
    } catch (...) {
      queue.Fail(std::current_exception());
    }
  };
  std::vector<std::jthread> workers;
  workers.reserve(threads);
  for (unsigned t = 0; t < threads; ++t) workers.emplace_back(work);
  try {
    for (std::int64_t i = 0; i < blocks && queue.Await(i); ++i) {
      out.Write(queue.Slot(i).Text());
      queue.Written(i);
      ReportProgress("writing", i + 1, blocks);
    }
  } catch (...) {
    queue.Fail(std::current_exception());
  }
  workers.clear();
  if (queue.Error()) std::rethrow_exception(queue.Error());
}

}  // namespace zar::exchange
