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

namespace detail {

// Powers of ten that a double holds exactly.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace detail

// The common case of ParseRealPrefix: a plain number right at `first` ("-12.345678",
// "7.5E-01"). False (and `out` untouched) for anything else, which then needs the full rules.
//
// Numbers of at most 19 digits whose value is an integer below 2^53 times a power of ten up to
// 10^22 are computed with one correctly rounded multiplication or division of two exact values,
// which gives the very double strtod gives; the rest go to std::from_chars.
inline bool ParseRealFast(const char* first, const char* last, ParsedReal& out) noexcept {
  const char* p = first;
  const bool negative = p != last && *p == '-';
  if (negative) ++p;
  std::uint64_t mantissa = 0;
  const char* digits = p;
  while (p != last && detail::IsDecimalDigit(*p)) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  std::ptrdiff_t count = p - digits;
  std::int64_t exponent = 0;
  if (p != last && *p == '.') {
    const char* fraction = ++p;
    while (p != last && detail::IsDecimalDigit(*p)) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
      ++p;
    }
    exponent = fraction - p;
    count += p - fraction;
  }
  bool simple = count > 0 && count <= 19;
  if (simple && p != last && (*p | 0x20) == 'e') {
    // An exponent counts only with at least one digit; otherwise the number ends at the 'e'.
    const char* q = p + 1;
    const bool negative_exponent = q != last && *q == '-';
    if (q != last && (*q == '-' || *q == '+')) ++q;
    if (q != last && detail::IsDecimalDigit(*q)) {
      std::int64_t value = 0;
      for (; q != last && detail::IsDecimalDigit(*q); ++q) {
        if (value < 100000) value = value * 10 + (*q - '0');
      }
      exponent += negative_exponent ? -value : value;
      p = q;
    }
  }
  // "0x..." is hexadecimal: the full rules read it.
  if (p != last && (*p | 0x20) == 'x') return false;
  if (simple && mantissa <= (std::uint64_t{1} << 53) && exponent >= -22 && exponent <= 22) {
    double value = static_cast<double>(mantissa);
    value = exponent < 0 ? value / detail::kExactPowersOfTen[-exponent]
                         : value * detail::kExactPowersOfTen[exponent];
    out = {negative ? -value : value, p};
    return true;
  }
  if (first == last) return false;
  const char c = *first;
  if (!((c >= '0' && c <= '9') || c == '-' || c == '.')) return false;
  double value = 0.0;
  const auto result = std::from_chars(first, last, value);
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

namespace detail {
// The common case of FormatFixed (1 to 9 digits, magnitude below 2^63); none for the rest.
char* FormatFixedExact(char* first, double value, int precision) noexcept;
}  // namespace detail

// Writes `value` with `precision` (0 to kMaxFixedPrecision) digits after the point into a buffer
// of at least kMaxFixedChars; the text is byte-identical to printf("%.*f") ("nan", "-inf", ...).
// Returns the end of the text. Bytes of the buffer past the end may be written over.
inline char* FormatFixed(char* first, double value, int precision) noexcept {
  if (precision >= 1 && precision <= 9) {
    if (char* end = detail::FormatFixedExact(first, value, precision)) return end;
  }
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
