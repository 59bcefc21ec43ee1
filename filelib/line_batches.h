#ifndef ZAR_FILELIB_LINE_BATCHES_H_
#define ZAR_FILELIB_LINE_BATCHES_H_

// Data lines read a batch at a time on two threads: while the reading thread splits the lines
// of one batch, a second thread reads the numbers of the batch before it (and the reading
// thread, done with its batch, helps). The values go on to the reader's receiver on the reading
// thread, line by line in file order.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <future>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace zar {

// `Handler` gives:
//   using Tag = ...;    what the reading thread knows of a line besides its text
//   using Value = ...;  what a line's text is read into, `values_per_line` of them a line
//   void Parse(std::string_view text, const Tag& tag, Value* values) const;  (on any thread)
//   bool Give(const Tag& tag, const Value* values);  false to be given no more lines
template <typename Handler>
class LineBatches {
 public:
  using Tag = typename Handler::Tag;
  using Value = typename Handler::Value;

  // `batch_lines` lines a batch.
  LineBatches(Handler& handler, std::size_t values_per_line, std::size_t batch_lines)
      : handler_(handler),
        values_per_line_(values_per_line),
        batch_lines_(std::max<std::size_t>(batch_lines, 1)),
        share_lines_(std::max<std::size_t>(batch_lines_ / 32, 1)) {}

  // Waits for the second thread, which reads this object's batches.
  ~LineBatches() {
    if (parsing_.valid()) parsing_.wait();
  }
  LineBatches(const LineBatches&) = delete;
  LineBatches& operator=(const LineBatches&) = delete;

  // Takes a line; false once the handler wants no more lines (this one and the lines after it
  // are then never given). The handler hears of a line some batches after it was taken.
  bool Add(std::string_view text, const Tag& tag) {
    if (stopped_) return false;
    filling_.lines.push_back({tag, filling_.text.size(), text.size()});
    filling_.text.append(text);
    if (filling_.lines.size() >= batch_lines_) Dispatch();
    return !stopped_;
  }

  // Gives the handler every line taken (until it stops); false when it stopped.
  bool Drain() {
    Dispatch();
    Dispatch();
    return !stopped_;
  }

 private:
  struct Line {
    Tag tag;
    std::size_t begin;  // of its text in the batch's text
    std::size_t size;
  };
  struct Batch {
    std::string text;
    std::vector<Line> lines;
    std::vector<Value> values;  // once parsed, values_per_line_ per line
  };

  // Reads runs of lines of parsed_ not yet taken, until none is left.
  void ParseShare() {
    const std::size_t count = parsed_.lines.size();
    const std::string_view text(parsed_.text);
    for (;;) {
      const std::size_t first = next_line_.fetch_add(share_lines_, std::memory_order_relaxed);
      if (first >= count) return;
      const std::size_t last = std::min(first + share_lines_, count);
      for (std::size_t i = first; i < last; ++i) {
        const Line& line = parsed_.lines[i];
        handler_.Parse(text.substr(line.begin, line.size), line.tag,
                       parsed_.values.data() + i * values_per_line_);
      }
    }
  }

  void Give(Batch& batch) {
    for (std::size_t i = 0; i < batch.lines.size() && !stopped_; ++i) {
      stopped_ = !handler_.Give(batch.lines[i].tag, batch.values.data() + i * values_per_line_);
    }
    batch.text.clear();
    batch.lines.clear();
  }

  // Completes the batch being read, sends the batch just filled to be read, then gives the
  // handler the completed one, so that the handler's work on one batch overlaps the reading of
  // the next.
  void Dispatch() {
    if (!stopped_) ParseShare();
    if (parsing_.valid()) parsing_.get();
    if (stopped_) {
      parsed_.lines.clear();
      filling_.lines.clear();
      return;
    }
    Batch ready = std::move(parsed_);
    parsed_ = std::move(filling_);
    parsed_.values.resize(parsed_.lines.size() * values_per_line_);
    next_line_.store(0, std::memory_order_relaxed);
    if (!parsed_.lines.empty()) {
      try {
        parsing_ = std::async(std::launch::async, [this] { ParseShare(); });
      } catch (const std::system_error&) {
        // No thread to be had: read on this one, at the next dispatch.
      }
    }
    Give(ready);
    // The given batch's room is filled next.
    filling_ = std::move(ready);
  }

  Handler& handler_;
  const std::size_t values_per_line_;
  const std::size_t batch_lines_;
  const std::size_t share_lines_;  // lines taken at a time by whichever thread reads
  bool stopped_ = false;
  Batch filling_;
  Batch parsed_;
  std::atomic<std::size_t> next_line_{0};  // of parsed_, the first not yet taken to read
  std::future<void> parsing_;              // of parsed_; waited for before the batches go
};

}  // namespace zar

#endif  // ZAR_FILELIB_LINE_BATCHES_H_
