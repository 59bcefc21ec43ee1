#ifndef ZAR_EXCHANGE_THREADED_LINE_PARSING_H_
#define ZAR_EXCHANGE_THREADED_LINE_PARSING_H_

// The numbers of a batch of data lines read on a second thread while the reading thread gathers
// the next batch; the reading thread, done gathering, helps with what is left. For the file
// library's sink readings (filelib/line_batches.h) outside the plug-in. While a
// CallingThreadOnly lives (exchange/parallel_blocks.h), the reading thread reads them all.

#include <atomic>
#include <cstddef>
#include <future>

#include "filelib/line_batches.h"

namespace zar::exchange {

class ThreadedLineParsing final : public LineParsing {
 public:
  ThreadedLineParsing() = default;
  // Waits for the second thread.
  ~ThreadedLineParsing() override;
  ThreadedLineParsing(const ThreadedLineParsing&) = delete;
  ThreadedLineParsing& operator=(const ThreadedLineParsing&) = delete;

  void Begin(std::size_t count, Lines read) override;
  void Finish() override;

 private:
  // Reads runs of lines not yet taken, until none is left.
  void ReadShares();

  Lines read_;
  std::size_t count_ = 0;
  std::size_t share_ = 1;             // lines taken at a time by whichever thread reads
  std::atomic<std::size_t> next_{0};  // the first line not yet taken
  std::future<void> helper_;          // the second thread's part of the batch
};

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_THREADED_LINE_PARSING_H_
