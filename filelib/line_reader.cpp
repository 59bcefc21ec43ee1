#include "filelib/line_reader.h"

#include <algorithm>
#include <cstring>

#include "filelib/read_file.h"

namespace zar {

LineReader::LineReader(std::FILE* file, std::size_t block_size, std::size_t max_line)
    : file_(file), buffer_(new char[block_size]), capacity_(block_size), max_line_(max_line) {
  // The size is only a hint; streams that cannot seek leave it unknown.
  const long start = std::ftell(file_);
  if (start >= 0 && std::fseek(file_, 0, SEEK_END) == 0) {
    const long size = std::ftell(file_);
    if (std::fseek(file_, start, SEEK_SET) == 0 && size >= start) file_size_ = size - start;
  }
}

std::int64_t LineReader::RemainingBytes() const {
  return file_size_ < 0 ? -1 : (file_size_ > consumed_ ? file_size_ - consumed_ : 0);
}

bool LineReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) {
    // One line fills the whole buffer: make room for the rest of it, up to the bound and its
    // line end.
    const std::size_t bigger = std::min(capacity_ * 2, std::max(capacity_ + 1, max_line_ + 2));
    std::unique_ptr<char[]> grown(new char[bigger]);
    std::memcpy(grown.get(), buffer_.get(), end_);
    buffer_ = std::move(grown);
    capacity_ = bigger;
  }
  const std::size_t got = std::fread(buffer_.get() + end_, 1, capacity_ - end_, file_);
  end_ += got;
  if (got == 0) {
    at_end_ = true;
    error_ = ReadError(file_);
    failed_ = error_ != 0;
    return false;
  }
  return true;
}

bool LineReader::Next(std::string_view& line) {
  if (!TakeLine(line)) return false;
  ++line_number_;
  if (first_line_) {
    first_line_ = false;
    line = WithoutByteOrderMark(line);
  }
  return true;
}

bool LineReader::StopTooLong() {
  too_long_ = true;
  ++line_number_;
  return false;
}

bool LineReader::TakeLine(std::string_view& line) {
  if (too_long_) return false;
  std::size_t searched = begin_;  // bytes before this hold no LF
  for (;;) {
    const char* base = buffer_.get();
    const void* found = std::memchr(base + searched, '\n', end_ - searched);
    if (found != nullptr) {
      const auto newline = static_cast<std::size_t>(static_cast<const char*>(found) - base);
      std::size_t stop = newline;
      if (stop > begin_ && base[stop - 1] == '\r') --stop;
      if (stop - begin_ > max_line_) return StopTooLong();
      line = std::string_view(base + begin_, stop - begin_);
      consumed_ += static_cast<std::int64_t>(newline + 1 - begin_);
      begin_ = newline + 1;
      return true;
    }
    // Bytes without a line feed, less a carriage return that may end the line.
    if (end_ - begin_ > max_line_ + 1 ||
        (end_ - begin_ == max_line_ + 1 && base[end_ - 1] != '\r')) {
      return StopTooLong();
    }
    if (at_end_ || failed_) {
      if (begin_ == end_) return false;
      std::size_t stop = end_;
      if (base[stop - 1] == '\r') --stop;
      line = std::string_view(base + begin_, stop - begin_);
      consumed_ += static_cast<std::int64_t>(end_ - begin_);
      begin_ = end_;
      return true;
    }
    const std::size_t kept = begin_;
    searched = end_;
    Fill();
    searched -= kept;
  }
}

}  // namespace zar
