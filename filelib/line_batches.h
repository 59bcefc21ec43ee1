#ifndef ZAR_FILELIB_LINE_BATCHES_H_
#define ZAR_FILELIB_LINE_BATCHES_H_

// Data lines on their way from a reader to its receiver. Without a LineParsing each line is read
// and handed on at once, on the caller's thread. With one, the lines are gathered into batches
// and the LineParsing reads the numbers of one batch while the next is gathered (a user of the
// file library may read them on threads of its own); the values still reach the receiver on the
// caller's thread, line by line in file order.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zar {

// How the numbers of a batch of lines are read, between Begin and Finish.
class LineParsing {
 public:
  // Reads lines [first, last) of the batch.
  using Lines = std::function<void(std::size_t first, std::size_t last)>;

  virtual ~LineParsing() = default;
  // Hands over a batch of `count` lines, to be read through `read`: each line once, in ranges
  // that may be read at the same time. `read` stays usable until Finish has returned; Begin is
  // not called again before then.
  virtual void Begin(std::size_t count, Lines read) = 0;
  // Returns once every line of the batch is read, reading here whatever is left; passes on an
  // exception thrown by `read`.
  virtual void Finish() = 0;
};

// `Handler` gives:
//   using Tag = ...;    what the reader knows of a line besides its text
//   using Value = ...;  what a line's text is read into, `values_per_line` of them a line
//   void Parse(std::string_view text, const Tag& tag, Value* values) const;  (any thread)
//   bool Give(const Tag& tag, const Value* values);  false to be given no more lines
template <typename Handler>
class LineBatches {
 public:
  using Tag = typename Handler::Tag;
  using Value = typename Handler::Value;

  // `batch_lines` lines a batch when `parsing` is given (it must outlive this object).
  LineBatches(Handler& handler, std::size_t values_per_line, std::size_t batch_lines,
              LineParsing* parsing = nullptr)
      : handler_(handler),
        values_per_line_(values_per_line),
        batch_lines_(std::max<std::size_t>(batch_lines, 1)),
        parsing_(parsing) {
    if (parsing_ == nullptr) line_.resize(values_per_line_);
  }

  // Waits until the batch being read is done with.
  ~LineBatches() {
    if (!begun_) return;
    try {
      parsing_->Finish();
    } catch (...) {
      // The reading already ended on an exception, or never gives these lines.
    }
  }
  LineBatches(const LineBatches&) = delete;
  LineBatches& operator=(const LineBatches&) = delete;

  // Takes a line; false once the handler wants no more lines (this one and the lines after it
  // are then never given). With a LineParsing the handler hears of a line some batches later.
  bool Add(std::string_view text, const Tag& tag) {
    if (stopped_) return false;
    if (parsing_ == nullptr) {
      handler_.Parse(text, tag, line_.data());
      stopped_ = !handler_.Give(tag, line_.data());
      return !stopped_;
    }
    filling_.lines.push_back({tag, filling_.text.size(), text.size()});
    filling_.text.append(text);
    if (filling_.lines.size() >= batch_lines_) Dispatch();
    return !stopped_;
  }

  // Gives the handler every line taken (until it stops); false when it stopped.
  bool Drain() {
    if (parsing_ != nullptr) {
      Dispatch();
      Dispatch();
    }
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
    std::vector<Value> values;  // once read, values_per_line_ per line
  };

  // Reads lines [first, last) of parsed_ (called by the LineParsing).
  void ReadLines(std::size_t first, std::size_t last) {
    const std::string_view text(parsed_.text);
    for (std::size_t i = first; i < last; ++i) {
      const Line& line = parsed_.lines[i];
      handler_.Parse(text.substr(line.begin, line.size), line.tag,
                     parsed_.values.data() + i * values_per_line_);
    }
  }

  void Give(Batch& batch) {
    for (std::size_t i = 0; i < batch.lines.size() && !stopped_; ++i) {
      stopped_ = !handler_.Give(batch.lines[i].tag, batch.values.data() + i * values_per_line_);
    }
    batch.text.clear();
    batch.lines.clear();
  }

  // Completes the batch being read, hands the batch just filled to be read, then gives the
  // handler the completed one, so that the handler's work on one batch overlaps the reading of
  // the next.
  void Dispatch() {
    if (begun_) {
      begun_ = false;
      parsing_->Finish();
    }
    if (stopped_) {
      parsed_.lines.clear();
      filling_.lines.clear();
      return;
    }
    Batch ready = std::move(parsed_);
    parsed_ = std::move(filling_);
    parsed_.values.resize(parsed_.lines.size() * values_per_line_);
    if (!parsed_.lines.empty()) {
      parsing_->Begin(parsed_.lines.size(),
                      [this](std::size_t first, std::size_t last) { ReadLines(first, last); });
      begun_ = true;
    }
    Give(ready);
    // The given batch's room is filled next.
    filling_ = std::move(ready);
  }

  Handler& handler_;
  const std::size_t values_per_line_;
  const std::size_t batch_lines_;
  LineParsing* const parsing_;
  bool stopped_ = false;
  bool begun_ = false;       // parsed_ is with the LineParsing
  std::vector<Value> line_;  // without a LineParsing, the values of the line being given
  Batch filling_;
  Batch parsed_;
};

}  // namespace zar

#endif  // ZAR_FILELIB_LINE_BATCHES_H_
