#ifndef ZAR_FILELIB_LINE_READER_H_
#define ZAR_FILELIB_LINE_READER_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

namespace zar {

// `text` without the UTF-8 byte-order mark that some editors put at the start of a file.
inline std::string_view WithoutByteOrderMark(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  return text;
}

// Reads the lines of an open file in large blocks. Lines come back whole, without their line
// end: LF, CR LF, or a lone CR that ends the file. A UTF-8 byte-order mark before the first line
// is left out. A line stays valid until the next call to Next. A line longer than the bound
// (64 MiB, which no motion file comes near) ends the reading, so that a file that is not text
// never makes the reader hold it whole.
class LineReader {
 public:
  // Reads from `file` (not closed by the reader), starting at its current position; a line may
  // hold at most `max_line` bytes, its line end not counted.
  explicit LineReader(std::FILE* file, std::size_t block_size = kDefaultBlockSize,
                      std::size_t max_line = kMaxLineBytes);

  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line; false at the end of the file, when the file could not be read, or at a line
  // longer than the bound.
  bool Next(std::string_view& line);

  // The number of the line Next gave last, counted from 1 (0 before the first); after TooLong,
  // the number of the line that is too long.
  std::int64_t LineNumber() const { return line_number_; }

  // Whether reading stopped on an error rather than at the end of the file.
  bool Failed() const { return failed_; }

  // The system's reason (an errno value) when reading stopped on an error, else 0.
  int Error() const { return error_; }

  // Whether reading stopped at a line longer than the bound.
  bool TooLong() const { return too_long_; }

  // Bytes of the file not yet handed out as lines, when the file's size is known (a regular
  // file), else -1. Used to keep capacity hints in proportion to what the file can still hold.
  std::int64_t RemainingBytes() const;

  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 18;
  static constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

 private:
  bool Fill();
  bool TakeLine(std::string_view& line);
  // Marks the line being taken as too long; false.
  bool StopTooLong();

  std::FILE* file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t max_line_;
  std::size_t begin_ = 0;  // first byte not yet handed out
  std::size_t end_ = 0;    // end of the bytes read into the buffer
  bool at_end_ = false;
  bool failed_ = false;
  int error_ = 0;
  bool too_long_ = false;
  bool first_line_ = true;
  std::int64_t file_size_ = -1;
  std::int64_t consumed_ = 0;  // bytes handed out, line ends included
  std::int64_t line_number_ = 0;
};

}  // namespace zar

#endif  // ZAR_FILELIB_LINE_READER_H_
