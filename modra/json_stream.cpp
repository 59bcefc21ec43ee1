#include "modra/json_stream.h"

#include <algorithm>
#include <cstring>

namespace modra::host {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

void JsonStream::Fail(const std::string& what) const {
  throw Error{what + " at byte " + std::to_string(consumed_ + position_)};
}

bool JsonStream::Fill() {
  if (file_ == nullptr || readFailed_) return false;
  // Keep the unread part; read at least as much again as is held, so that a long value is read
  // in a number of steps that grows with the logarithm of its size.
  buffer_.erase(0, position_);
  consumed_ += position_;
  position_ = 0;
  const std::size_t held = buffer_.size();
  const std::size_t want = std::max(kBlock, held);
  buffer_.resize(held + want);
  const std::size_t got = std::fread(buffer_.data() + held, 1, want, file_);
  buffer_.resize(held + got);
  if (got == 0 && std::ferror(file_) != 0) readFailed_ = true;
  text_ = buffer_;
  return got > 0;
}

int JsonStream::At(std::size_t i) {
  while (position_ + i >= text_.size()) {
    if (!Fill()) return -1;
  }
  return static_cast<unsigned char>(text_[position_ + i]);
}

bool JsonStream::Consume(char c) {
  int next;
  while (IsSpace(next = At(0))) ++position_;
  if (next != static_cast<unsigned char>(c)) return false;
  ++position_;
  return true;
}

void JsonStream::Expect(char c) {
  if (!Consume(c)) {
    const int next = At(0);
    Fail(next < 0 ? std::string("the document ends where '") + c + "' should come"
                  : std::string("'") + c + "' expected");
  }
}

bool JsonStream::AtEnd() {
  while (IsSpace(At(0))) ++position_;
  return At(0) < 0;
}

std::string_view JsonStream::Value() {
  while (IsSpace(At(0))) ++position_;
  std::size_t i = 0;
  int depth = 0;
  for (;;) {
    const int c = At(i);
    if (c < 0) {
      if (depth == 0 && i > 0) break;  // a number or literal ending the input
      Fail("the document ends inside a value");
    }
    if (c == '"') {
      // Find the closing quote, skipping escaped characters.
      for (++i;;) {
        if (At(i) < 0) Fail("the document ends inside a string");
        const char* from = text_.data() + position_ + i;
        const std::size_t left = text_.size() - position_ - i;
        const auto* quote = static_cast<const char*>(std::memchr(from, '"', left));
        const std::size_t span = quote == nullptr ? left : static_cast<std::size_t>(quote - from);
        if (const auto* backslash = static_cast<const char*>(std::memchr(from, '\\', span))) {
          i += static_cast<std::size_t>(backslash - from) + 2;  // it and the escaped character
          continue;
        }
        i += span;
        if (quote != nullptr) {
          ++i;
          break;
        }
      }
      if (depth == 0) break;
      continue;
    }
    if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (depth == 0) break;  // the end of the enclosing value
      if (--depth == 0) {
        ++i;
        break;
      }
    } else if (depth == 0 && (c == ',' || c == ':' || IsSpace(c))) {
      break;
    }
    ++i;
  }
  if (i == 0) Fail("a value expected");
  const std::string_view value = text_.substr(position_, i);
  position_ += i;
  return value;
}

}  // namespace modra::host
