#include "exchange/threaded_line_parsing.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "exchange/parallel_blocks.h"

namespace zar::exchange {

ThreadedLineParsing::~ThreadedLineParsing() {
  if (helper_.valid()) helper_.wait();
}

void ThreadedLineParsing::Begin(std::size_t count, Lines read) {
  read_ = std::move(read);
  count_ = count;
  share_ = std::max<std::size_t>(count / 32, 1);
  next_.store(0, std::memory_order_relaxed);
  if (CallingThreadOnly::Active()) return;  // Finish reads the whole batch on this thread
  try {
    helper_ = std::async(std::launch::async, [this] { ReadShares(); });
  } catch (const std::system_error&) {
    // No thread to be had: Finish reads the whole batch on this one.
  }
}

void ThreadedLineParsing::Finish() {
  std::exception_ptr error;
  try {
    ReadShares();
  } catch (...) {
    error = std::current_exception();
    next_.store(count_, std::memory_order_relaxed);  // the second thread takes no more
  }
  if (helper_.valid()) {
    try {
      helper_.get();
    } catch (...) {
      if (!error) error = std::current_exception();
    }
  }
  read_ = nullptr;
  count_ = 0;
  if (error) std::rethrow_exception(error);
}

void ThreadedLineParsing::ReadShares() {
  for (;;) {
    const std::size_t first = next_.fetch_add(share_, std::memory_order_relaxed);
    if (first >= count_) return;
    read_(first, std::min(first + share_, count_));
  }
}

}  // namespace zar::exchange
