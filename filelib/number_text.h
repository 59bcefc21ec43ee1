#ifndef ZAR_FILELIB_NUMBER_TEXT_H_
#define ZAR_FILELIB_NUMBER_TEXT_H_

// Numbers in motion files: read with the C library's atof/atoi rules, written like printf("%f").
// Both sides are independent of the process locale (the decimal point is always '.').

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace zar {

// A number read from the start of a text, and the first character after it.
struct ParsedReal {
  double value;
  const char* end;  // the start of the text when no number was there
};

namespace detail {
ParsedReal ParseRealSlow(const char* first, const char* last) noexcept;
std::int32_t ParseIntSlow(const char* first, const char* last) noexcept;
}  // namespace detail

// The common case of ParseRealPrefix: a plain decimal number right at `first`. False (and `out`
// untouched) for anything else, which then needs the full rules.
inline bool ParseRealFast(const char* first, const char* last, ParsedReal& out) noexcept {
  if (first == last) return false;
  const char c = *first;
  if (!((c >= '0' && c <= '9') || c == '-' || c == '.')) return false;
  double value = 0.0;
  const auto result = std::from_chars(first, last, value);
  // "0x..." stops after the 0 here; hexadecimal numbers take the full rules.
  if (result.ec != std::errc{} || (result.ptr != last && (*result.ptr | 0x20) == 'x')) {
    return false;
  }
  out = {value, result.ptr};
  return true;
}

// Reads a real number as atof does: leading white space skipped, an optional sign, then the
// longest prefix that forms a decimal or hexadecimal number, "inf", "infinity" or "nan" (any
// letter case); 0 when there is none. Too large a magnitude gives an infinity, too small a zero.
// Leading white space includes tabs and line ends: bound the text to one field or token.
inline ParsedReal ParseRealPrefix(const char* first, const char* last) noexcept {
  ParsedReal parsed{0.0, first};
  if (ParseRealFast(first, last, parsed)) return parsed;
  return detail::ParseRealSlow(first, last);
}

inline double ParseReal(const char* first, const char* last) noexcept {
  return ParseRealPrefix(first, last).value;
}

inline double ParseReal(std::string_view text) noexcept {
  return ParseRealPrefix(text.data(), text.data() + text.size()).value;
}

// Reads an integer as atoi does (glibc): white space, an optional sign, decimal digits; 0 when
// there are none. Values beyond 64 bits saturate and the result keeps the low 32 bits, so the
// unsigned text the writers give to a negative count reads back as that count.
inline std::int32_t ParseInt(const char* first, const char* last) noexcept {
  if (first != last) {
    const char c = *first;
    if ((c >= '0' && c <= '9') || c == '-') {
      std::int32_t value = 0;
      const auto result = std::from_chars(first, last, value);
      if (result.ec == std::errc{}) return value;
    }
  }
  return detail::ParseIntSlow(first, last);
}

inline std::int32_t ParseInt(std::string_view text) noexcept {
  return ParseInt(text.data(), text.data() + text.size());
}

// Room FormatFixed needs for any double with up to kMaxFixedPrecision digits after the point.
inline constexpr int kMaxFixedPrecision = 17;
inline constexpr std::size_t kMaxFixedChars = 1 + 309 + 1 + kMaxFixedPrecision;

// Writes `value` with `precision` (0 to kMaxFixedPrecision) digits after the point into a buffer
// of at least kMaxFixedChars; the text is byte-identical to printf("%.*f") ("nan", "-inf", ...).
// Returns the end of the text.
inline char* FormatFixed(char* first, double value, int precision) noexcept {
  return std::to_chars(first, first + kMaxFixedChars, value, std::chars_format::fixed, precision)
      .ptr;
}

// Writes an unsigned decimal integer (at most 20 characters); returns the end of the text.
inline char* FormatUnsigned(char* first, std::uint64_t value) noexcept {
  return std::to_chars(first, first + 20, value).ptr;
}

// Appends the printf("%.*f") text of `value`.
void AppendFixed(std::string& out, double value, int precision);

}  // namespace zar

#endif  // ZAR_FILELIB_NUMBER_TEXT_H_
