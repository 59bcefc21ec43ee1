#include "exchange/decimal_text.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace zar::exchange {

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kPowersOfTen[] = {1ULL,
                                          10ULL,
                                          100ULL,
                                          1000ULL,
                                          10000ULL,
                                          100000ULL,
                                          1000000ULL,
                                          10000000ULL,
                                          100000000ULL,
                                          1000000000ULL,
                                          10000000000ULL,
                                          100000000000ULL,
                                          1000000000000ULL,
                                          10000000000000ULL,
                                          100000000000000ULL,
                                          1000000000000000ULL,
                                          10000000000000000ULL,
                                          100000000000000000ULL,
                                          1000000000000000000ULL};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes `units` / 10^decimals with exactly `decimals` places (none and no point when 0), at most
// 12 places and 20 digits. Copies are of fixed sizes (the callers give kNumberRoom of room).
char* WriteScaled(char* p, std::uint64_t units, int decimals) {
  char digits[48];
  char* start = digits + 24;
  while (units >= 100) {
    start -= 2;
    std::memcpy(start, kDigitPairs + 2 * (units % 100), 2);
    units /= 100;
  }
  if (units >= 10) {
    start -= 2;
    std::memcpy(start, kDigitPairs + 2 * units, 2);
  } else {
    *--start = static_cast<char>('0' + units);
  }
  const auto count = static_cast<int>(digits + 24 - start);
  const int whole = count - decimals;
  if (decimals == 0) {
    std::memcpy(p, start, 24);
    return p + count;
  }
  if (whole <= 0) {
    std::memcpy(p, "0.00000000000000", 16);
    p += 2 - whole;
    std::memcpy(p, start, 24);
    return p + count;
  }
  std::memcpy(p, start, 24);
  p[whole] = '.';
  std::memcpy(p + whole + 1, start + whole, 16);
  return p + count + 1;
}

}  // namespace

char* WriteFixed(char* p, double value, int decimals) {
  // value = m·2^e. The short road: |value| below 2^30 and at most 9 places, so that the scaled
  // value stays below 2^60.
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (decimals < 0 || decimals > 9 || biased == 0x7FF || biased >= 1023 + 30) {
    return std::to_chars(p, p + kNumberRoom, value, std::chars_format::fixed, decimals).ptr;
  }
  const std::uint64_t fraction_bits = bits & ((std::uint64_t{1} << 52) - 1);
  const std::uint64_t m = biased == 0 ? fraction_bits : fraction_bits | (std::uint64_t{1} << 52);
  const int shift = 1075 - (biased == 0 ? 1 : biased);  // value = m / 2^shift, shift > 22
  const Wide scaled = Wide{m} * kPowersOfTen[decimals];
  std::uint64_t units = 0;
  if (shift < 128) {
    const Wide kept = scaled >> shift;
    const Wide rest = scaled - (kept << shift);
    const Wide half = Wide{1} << (shift - 1);
    units = static_cast<std::uint64_t>(kept);
    if (rest > half || (rest == half && (units & 1) != 0)) ++units;
  }
  if ((bits >> 63) != 0) *p++ = '-';
  return WriteScaled(p, units, decimals);
}

char* WriteShortestFloat(char* p, float value) {
  // value = 4m / 2^t. The short road: 2^-10 <= |value| < 2^23, where 12 places always hold the
  // float (9 significant digits) and at most one whole number lies within its rounding interval.
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const auto biased = static_cast<int>((bits >> 23) & 0xFF);
  if (biased < 127 - 10 || biased >= 127 + 23) {
    return std::to_chars(p, p + kNumberRoom, value, std::chars_format::fixed).ptr;
  }
  const std::uint64_t mantissa = bits & ((1U << 23) - 1);
  const std::uint64_t m = mantissa | (1U << 23);
  const int t = 150 - biased + 2;  // value = m / 2^(150 - biased), t in [3, 35]
  // The numbers that read back as the value lie between `lower` and `upper` (over 2^t), ends
  // included when m is even; the gap below is half as wide at the bottom of a binade.
  const std::uint64_t lower = mantissa == 0 ? 4 * m - 1 : 4 * m - 2;
  const std::uint64_t upper = 4 * m + 2;
  const bool ends = (m & 1) == 0;
  // At `places` places (9 significant digits, which always hold a float), the value is
  // `exact` units (over 2^t) and the whole units within the interval run from `first` to `last`.
  // Below 12 places the products stay below 2^63.
  const std::uint64_t whole = m >> (t - 2);
  int places = 12;
  if (whole != 0) {
    places = 8;
    for (std::uint64_t power = 10; power <= whole; power *= 10) --places;
  }
  const std::uint64_t mask = (std::uint64_t{1} << t) - 1;
  const std::uint64_t scale = kPowersOfTen[places];
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::uint64_t units = 0;
  std::uint64_t low_rest = 0;
  std::uint64_t high_rest = 0;
  std::uint64_t rest = 0;
  if (places < 12) {
    const std::uint64_t low = lower * scale;
    const std::uint64_t high = upper * scale;
    const std::uint64_t exact = 4 * m * scale;
    first = low >> t;
    low_rest = low & mask;
    last = high >> t;
    high_rest = high & mask;
    units = exact >> t;
    rest = exact & mask;
  } else {
    const Wide low = Wide{lower} * scale;
    const Wide high = Wide{upper} * scale;
    const Wide exact = Wide{4 * m} * scale;
    first = static_cast<std::uint64_t>(low >> t);
    low_rest = static_cast<std::uint64_t>(low) & mask;
    last = static_cast<std::uint64_t>(high >> t);
    high_rest = static_cast<std::uint64_t>(high) & mask;
    units = static_cast<std::uint64_t>(exact >> t);
    rest = static_cast<std::uint64_t>(exact) & mask;
  }
  if (low_rest != 0 || !ends) ++first;
  if (high_rest == 0 && !ends) --last;
  if (first > last) return std::to_chars(p, p + kNumberRoom, value, std::chars_format::fixed).ptr;
  // Fewer places while a number of them still lies within; the digits dropped from `units` are
  // remembered for rounding: the last one dropped and whether all below it (and the rest of the
  // exact value) are zero.
  const std::uint64_t half = std::uint64_t{1} << (t - 1);
  int dropped = -1;  // none yet: `rest` against `half` decides
  bool zeros_below = rest == 0;
  while (places > 0 && (first + 9) / 10 <= last / 10) {
    first = (first + 9) / 10;
    last /= 10;
    if (dropped >= 0) zeros_below = zeros_below && dropped == 0;
    dropped = static_cast<int>(units % 10);
    units /= 10;
    --places;
  }
  // The closest of them to the value, the even one of two as close.
  const bool up = dropped < 0 ? (rest > half || (rest == half && (units & 1) != 0))
                              : (dropped > 5 || (dropped == 5 && (!zeros_below || (units & 1) != 0)));
  if (up) ++units;
  if (units < first) units = first;
  if (units > last) units = last;
  if ((bits >> 31) != 0) *p++ = '-';
  return WriteScaled(p, units, places);
}

}  // namespace zar::exchange
