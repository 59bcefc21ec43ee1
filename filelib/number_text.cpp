#include "filelib/number_text.h"

#include <limits>

namespace zar {
namespace {

// White space as the C locale's isspace sees it.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) {
  const char lower = static_cast<char>(c | 0x20);
  return IsDigit(c) || (lower >= 'a' && lower <= 'f');
}

// Whether a number that from_chars found out of range is too large (rather than too small):
// the position of its leading significant digit plus its exponent tells. `hex` numbers count
// four bits per digit and carry a binary exponent after 'p'.
bool MagnitudeAboveOne(const char* first, const char* last, bool hex) {
  const int digit_weight = hex ? 4 : 1;
  const char exponent_mark = hex ? 'p' : 'e';
  std::int64_t position = 0;  // exponent of the leading significant digit, before the exponent
  bool seen_significant = false;
  bool in_fraction = false;
  const char* p = first;
  for (; p != last; ++p) {
    const char c = *p;
    if (c == '.') {
      in_fraction = true;
      continue;
    }
    if (!(hex ? IsHexDigit(c) : IsDigit(c))) break;
    if (seen_significant) {
      if (!in_fraction) position += digit_weight;
      continue;
    }
    if (c != '0') {
      seen_significant = true;
      if (in_fraction) position -= digit_weight;
    } else if (in_fraction) {
      position -= digit_weight;
    }
  }
  std::int64_t exponent = 0;
  if (p != last && (*p | 0x20) == exponent_mark) {
    ++p;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    for (; p != last && IsDigit(*p); ++p) {
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (*p - '0');
    }
    if (negative) exponent = -exponent;
  }
  return position + exponent > 0;
}

}  // namespace

namespace detail {

ParsedReal ParseRealSlow(const char* first, const char* last) noexcept {
  const char* p = first;
  while (p != last && IsCSpace(*p)) ++p;
  bool negative = false;
  if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // from_chars would take a second sign; strtod does not.
  if (p == last || *p == '+' || *p == '-') return {0.0, first};
  double value = 0.0;
  const char* end = first;
  if (*p == '0' && last - p > 1 && (p[1] | 0x20) == 'x' &&
      ((last - p > 2 && IsHexDigit(p[2])) || (last - p > 3 && p[2] == '.' && IsHexDigit(p[3])))) {
    const auto result = std::from_chars(p + 2, last, value, std::chars_format::hex);
    end = result.ptr;
    if (result.ec == std::errc::result_out_of_range) {
      value = MagnitudeAboveOne(p + 2, result.ptr, true) ? std::numeric_limits<double>::infinity()
                                                         : 0.0;
    }
  } else {
    const auto result = std::from_chars(p, last, value);
    if (result.ec == std::errc::invalid_argument) return {0.0, first};
    end = result.ptr;
    if (result.ec == std::errc::result_out_of_range) {
      value =
          MagnitudeAboveOne(p, result.ptr, false) ? std::numeric_limits<double>::infinity() : 0.0;
    }
  }
  return {negative ? -value : value, end};
}

std::int32_t ParseIntSlow(const char* first, const char* last) noexcept {
  const char* p = first;
  while (p != last && IsCSpace(*p)) ++p;
  bool negative = false;
  if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // Accumulate the magnitude, saturating at the 64-bit limits as strtol does.
  constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int64_t>::max();
  const std::uint64_t limit = negative ? kMaxPositive + 1 : kMaxPositive;
  std::uint64_t magnitude = 0;
  for (; p != last && IsDigit(*p); ++p) {
    const auto digit = static_cast<std::uint64_t>(*p - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  const std::uint64_t bits = negative ? ~magnitude + 1 : magnitude;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits & 0xFFFFFFFFU));
}

}  // namespace detail

void AppendFixed(std::string& out, double value, int precision) {
  char buffer[kMaxFixedChars];
  out.append(buffer, FormatFixed(buffer, value, precision));
}

}  // namespace zar
