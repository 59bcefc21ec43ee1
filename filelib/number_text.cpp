#include "filelib/number_text.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
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

namespace {

// An unsigned integer of up to 128 bits, as two 64-bit halves (portable, no compiler extension).
struct Wide {
  std::uint64_t high;
  std::uint64_t low;
};

// a * b, for any a and b below 2^32.
Wide Multiply(std::uint64_t a, std::uint32_t b) {
  const std::uint64_t low_part = (a & 0xFFFFFFFFU) * b;
  const std::uint64_t high_part = (a >> 32) * b;
  Wide product{high_part >> 32, low_part + (high_part << 32)};
  if (product.low < low_part) ++product.high;
  return product;
}

// Bit i (0 to 127) of x.
bool Bit(const Wide& x, int i) {
  return i < 64 ? ((x.low >> i) & 1U) != 0 : ((x.high >> (i - 64)) & 1U) != 0;
}

// Whether bits 0 to i - 1 of x are all clear.
bool LowBitsClear(const Wide& x, int i) {
  if (i <= 0) return true;
  if (i < 64) return (x.low & ((std::uint64_t{1} << i) - 1)) == 0;
  if (x.low != 0) return false;
  return i == 64 || (x.high & ((std::uint64_t{1} << (i - 64)) - 1)) == 0;
}

// x / 2^k rounded to nearest, ties to even, for 1 <= k <= 127 and a quotient below 2^64.
std::uint64_t ShiftRounded(const Wide& x, int k) {
  std::uint64_t quotient;
  if (k < 64) {
    quotient = (x.low >> k) | (x.high << (64 - k));
  } else {
    quotient = k == 64 ? x.high : x.high >> (k - 64);
  }
  // Above one half, or exactly one half with an odd quotient: round up.
  if (Bit(x, k - 1) && (!LowBitsClear(x, k - 1) || (quotient & 1U) != 0)) ++quotient;
  return quotient;
}

// The same for 1 <= k <= 63, the case of every number of magnitude 2^-11 and above.
std::uint64_t ShiftRoundedShort(const Wide& x, int k) {
  std::uint64_t quotient = (x.low >> k) | (x.high << (64 - k));
  const std::uint64_t rest = x.low & ((std::uint64_t{1} << k) - 1);
  const std::uint64_t half = std::uint64_t{1} << (k - 1);
  if (rest > half || (rest == half && (quotient & 1U) != 0)) ++quotient;
  return quotient;
}

constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};

// "00" to "99", two characters each.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes `fraction` (below 10^6) as six decimal digits, a pair at a time: the value times
// 2^32 / 10^4 (rounded up) holds the first pair above its low 32 bits and the rest as a binary
// fraction precise enough for every value below 10^6 to give the next pairs by multiplying by
// 100.
void WriteSixDigits(char* p, std::uint32_t fraction) {
  std::uint64_t t = std::uint64_t{fraction} * 429497U;
  std::memcpy(p, kDigitPairs + 2 * (t >> 32), 2);
  t = (t & 0xFFFFFFFFU) * 100;
  std::memcpy(p + 2, kDigitPairs + 2 * (t >> 32), 2);
  t = (t & 0xFFFFFFFFU) * 100;
  std::memcpy(p + 4, kDigitPairs + 2 * (t >> 32), 2);
}

// Writes `digits` (below 10^count) as exactly `count` decimal digits, two at a time.
void WriteDigits(char* first, std::uint64_t digits, int count) {
  if (count == 6) {  // the motion files' precision
    WriteSixDigits(first, static_cast<std::uint32_t>(digits));
    return;
  }
  while (count >= 2) {
    count -= 2;
    std::memcpy(first + count, kDigitPairs + 2 * (digits % 100), 2);
    digits /= 100;
  }
  if (count == 1) *first = static_cast<char>('0' + digits);
}

// The eight decimal digits of `digits` (below 10^8) as one word of digit values, the first digit
// in its lowest byte (the order of text in memory on a little-endian machine): two groups of
// four, each split into two pairs, each pair into two digits, by multiplications in lanes.
std::uint64_t EightDigitValues(std::uint64_t digits) {
  const std::uint64_t fours = digits / 10000 | (digits % 10000) << 32;
  const std::uint64_t pairs_high = ((fours * 10486) >> 20) & 0x0000007F0000007FU;  // / 100
  const std::uint64_t pairs = pairs_high | (fours - pairs_high * 100) << 16;
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FU;  // / 10
  return tens | (pairs - tens * 10) << 8;
}

constexpr std::uint64_t kAsciiZeros = 0x3030303030303030U;

// The text of every integer below 1000 in the first three bytes (the rest of them unused), its
// length in the fourth.
constexpr std::array<std::array<char, 4>, 1000> kSmallIntegers = [] {
  std::array<std::array<char, 4>, 1000> texts{};
  for (int n = 0; n < 1000; ++n) {
    const int length = n < 10 ? 1 : (n < 100 ? 2 : 3);
    for (int i = length - 1, rest = n; i >= 0; --i, rest /= 10) {
      texts[static_cast<std::size_t>(n)][static_cast<std::size_t>(i)] =
          static_cast<char>('0' + rest % 10);
    }
    texts[static_cast<std::size_t>(n)][3] = static_cast<char>(length);
  }
  return texts;
}();

// Writes the sign, then `millionths` (below 10^14) / 10^6 with six decimals, with no branch on
// the number of digits (motion files mix every length of number, which defeats branch
// prediction): an integer part below 1000 is looked up whole, a larger one's eight digits lose
// their leading zeros by a shift. For little-endian machines.
// Returns the end.
char* WriteSixDecimals(char* p, bool negative, std::uint64_t millionths) {
  *p = '-';
  p += negative ? 1 : 0;
  if (millionths < 1000000000) {  // below 1000, as most angles and lengths are: one look-up
    const auto small = static_cast<std::uint32_t>(millionths);
    const std::uint32_t integer = small / 1000000;
    std::memcpy(p, kSmallIntegers[integer].data(), 4);
    p += kSmallIntegers[integer][3];
    *p++ = '.';
    WriteSixDigits(p, small - integer * 1000000);
    return p + 6;
  }
  const std::uint64_t integer = EightDigitValues(millionths / 1000000);
  // Leading zero digits, at most seven: the last digit counts as significant.
  const int zeros = std::countr_zero(integer | std::uint64_t{1} << 56) / 8;
  const std::uint64_t integer_text = (integer | kAsciiZeros) >> (8 * zeros);
  std::memcpy(p, &integer_text, 8);
  p += 8 - zeros;
  *p++ = '.';
  WriteSixDigits(p, static_cast<std::uint32_t>(millionths % 1000000));
  return p + 6;
}

// Writes an integer's decimal digits; returns the end.
char* WriteInteger(char* p, std::uint64_t integer) {
  if (integer < 10) {  // most numbers of motion files: no need to count digits
    *p = static_cast<char>('0' + integer);
    return p + 1;
  }
  if (integer < 100) {
    std::memcpy(p, kDigitPairs + 2 * integer, 2);
    return p + 2;
  }
  return std::to_chars(p, p + 20, integer).ptr;
}

// The usual case, by one rounded multiplication: |value| * 10^precision below 2^40 is within a
// quarter of its last place (2^-14) of the exact product, so when its fraction is further than
// 2^-12 from one half, rounding it to the nearest integer rounds the exact product the same way
// (and no tie is possible). Answers null for the rest: ties, near-ties, large values, NaN.
char* FormatFixedNearest(char* first, double value, int precision) noexcept {
  const double scaled = std::fabs(value) * detail::kExactPowersOfTen[precision];
  if (!(scaled < 0x1p40)) return nullptr;
  std::uint64_t rounded = static_cast<std::uint64_t>(scaled);
  const double fraction = scaled - static_cast<double>(rounded);  // exact
  if (std::fabs(fraction - 0.5) <= 0x1p-12) return nullptr;
  if (fraction > 0.5) ++rounded;
  if constexpr (std::endian::native == std::endian::little) {
    if (precision == 6) return WriteSixDecimals(first, std::signbit(value), rounded);
  }
  const std::uint64_t integer = rounded / kPowersOfTen[precision];
  const std::uint64_t digits = rounded % kPowersOfTen[precision];
  char* p = first;
  if (std::signbit(value)) *p++ = '-';
  p = WriteInteger(p, integer);
  *p++ = '.';
  WriteDigits(p, digits, precision);
  return p + precision;
}

}  // namespace

namespace detail {

// The exact decimal value of a double M * 2^E, rounded to `precision` digits with ties to even
// (as printf rounds), by integer arithmetic: the integer part is M >> -E, the fraction digits
// are the remaining bits times 10^precision, shifted back. The usual case takes the short way.
char* FormatFixedExact(char* first, double value, int precision) noexcept {
  if (char* end = FormatFixedNearest(first, value, precision)) return end;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0x7FF) return nullptr;  // infinities and NaN
  const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int exponent = biased == 0 ? -1074 : biased - 1075;
  const std::uint32_t scale = kPowersOfTen[precision];
  std::uint64_t integer = 0;
  std::uint64_t digits = 0;  // the fraction as an integer below 10^precision
  if (exponent >= 0) {
    if (exponent > 10) return nullptr;  // 2^63 and above
    integer = mantissa << exponent;
  } else if (exponent >= -52) {
    const int k = -exponent;
    integer = mantissa >> k;
    digits = ShiftRoundedShort(Multiply(mantissa & ((std::uint64_t{1} << k) - 1), scale), k);
  } else if (exponent >= -127) {
    digits = ShiftRounded(Multiply(mantissa, scale), -exponent);
  }
  // (Below 2^-74 the value times 10^9 is under one half: every digit is 0.)
  if (digits == scale) {
    ++integer;
    digits = 0;
  }
  char* p = first;
  if (negative) *p++ = '-';
  p = WriteInteger(p, integer);
  *p++ = '.';
  WriteDigits(p, digits, precision);
  return p + precision;
}

}  // namespace detail

void AppendFixed(std::string& out, double value, int precision) {
  char buffer[kMaxFixedChars];
  out.append(buffer, FormatFixed(buffer, value, precision));
}

}  // namespace zar
