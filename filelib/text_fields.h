#ifndef ZAR_FILELIB_TEXT_FIELDS_H_
#define ZAR_FILELIB_TEXT_FIELDS_H_

// Splitting the lines of motion files: blank-separated tokens (HTR) and tab-separated fields
// (TRC). Both work on views into the line; nothing is copied.

#include <cstring>
#include <string_view>

#include "filelib/number_text.h"

namespace zar {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// `text` without the spaces and tabs at its start and end.
inline std::string_view WithoutBlanksAround(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Tokens of a line: runs of characters other than space and tab.
class Tokens {
 public:
  explicit Tokens(std::string_view line) : p_(line.data()), end_(line.data() + line.size()) {}

  // The next token; empty when none is left. The rest starts at the blank that ended it.
  std::string_view Next() {
    while (p_ != end_ && IsBlank(*p_)) ++p_;
    const char* start = p_;
    while (p_ != end_ && !IsBlank(*p_)) ++p_;
    return {start, static_cast<std::size_t>(p_ - start)};
  }

  // The last token of what is left; empty when none.
  std::string_view Last() const {
    const char* stop = end_;
    while (stop != p_ && IsBlank(stop[-1])) --stop;
    const char* start = stop;
    while (start != p_ && !IsBlank(start[-1])) --start;
    return {start, static_cast<std::size_t>(stop - start)};
  }

  // The next token read as atof reads it (0 when the token is missing or not a number).
  double NextReal() {
    while (p_ != end_ && IsBlank(*p_)) ++p_;
    const char* start = p_;
    ParsedReal parsed{0.0, start};
    if (ParseRealFast(start, end_, parsed) && (parsed.end == end_ || IsBlank(*parsed.end))) {
      p_ = parsed.end;
      return parsed.value;
    }
    // Not a plain number: read within the token only (atof would skip blanks too).
    while (p_ != end_ && !IsBlank(*p_)) ++p_;
    return ParseReal(start, p_);
  }

  // The next token read as atoi reads it.
  std::int32_t NextInt() {
    const std::string_view token = Next();
    return ParseInt(token);
  }

 private:
  const char* p_;
  const char* end_;
};

// Tab-separated fields of a line. The line end belongs to no field, and a field beyond the end
// of the line is empty.
class Fields {
 public:
  explicit Fields(std::string_view line) : p_(line.data()), end_(line.data() + line.size()) {}

  std::string_view Next() {
    if (p_ == nullptr) return {};
    const char* start = p_;
    const auto* tab = static_cast<const char*>(std::memchr(start, '\t', Left()));
    if (tab == nullptr) {
      p_ = nullptr;
      return {start, static_cast<std::size_t>(end_ - start)};
    }
    p_ = tab + 1;
    return {start, static_cast<std::size_t>(tab - start)};
  }

  // Whether what is left of the line still holds a tab.
  bool RestHoldsTab() const { return p_ != nullptr && std::memchr(p_, '\t', Left()) != nullptr; }

  // Whether every field has been taken (later fields are all empty).
  bool Done() const { return p_ == nullptr; }

  // The next field read as atof reads it, and whether the field was empty.
  double NextReal(bool& empty) {
    if (p_ == nullptr) {
      empty = true;
      return 0.0;
    }
    ParsedReal parsed{0.0, p_};
    if (ParseRealFast(p_, end_, parsed)) {
      // A plain number never holds a tab, so it cannot run into the next field.
      if (parsed.end == end_) {
        p_ = nullptr;
        empty = false;
        return parsed.value;
      }
      if (*parsed.end == '\t') {
        p_ = parsed.end + 1;
        empty = false;
        return parsed.value;
      }
    }
    // Anything else is read within its field only (atof would skip tabs too).
    const std::string_view field = Next();
    empty = field.empty();
    return ParseReal(field);
  }

 private:
  std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }

  const char* p_;  // start of the next field; none once the last field was taken
  const char* end_;
};

}  // namespace zar

#endif  // ZAR_FILELIB_TEXT_FIELDS_H_
