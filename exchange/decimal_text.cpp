#include "exchange/decimal_text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "filelib/number_text.h"

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

// 10^(i - 3): from 10^-3 to 10^17, each the double nearest to it (exact from 10^0 up).
constexpr double kDoublePowersOfTen[] = {1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,
                                         1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12,
                                         1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The number of decimal digits of `units` (1 for 0).
int DigitCount(std::uint64_t units) {
  // bit_width · log10(2), rounded down, is the count or one less.
  const int estimate = (static_cast<int>(std::bit_width(units)) * 1233) >> 12;
  return estimate + (estimate < 19 && units >= kPowersOfTen[estimate] ? 1 : 0) +
         (units == 0 ? 1 : 0);
}

// Writes `units` / 10^decimals with exactly `decimals` places (none and no point when 0), at most
// 18 places: the digits go straight to their places, from the last one back.
char* WriteScaled(char* p, std::uint64_t units, int decimals) {
  const int whole = std::max(DigitCount(units) - decimals, 1);
  char* const end = p + whole + (decimals > 0 ? decimals + 1 : 0);
  char* q = end;
  for (int left = decimals; left > 0;) {
    if (left >= 2) {
      q -= 2;
      std::memcpy(q, kDigitPairs + 2 * (units % 100), 2);
      units /= 100;
      left -= 2;
    } else {
      *--q = static_cast<char>('0' + units % 10);
      units /= 10;
      left = 0;
    }
  }
  if (decimals > 0) *--q = '.';
  while (units >= 100) {
    q -= 2;
    std::memcpy(q, kDigitPairs + 2 * (units % 100), 2);
    units /= 100;
  }
  if (units >= 10) {
    q -= 2;
    std::memcpy(q, kDigitPairs + 2 * units, 2);
  } else {
    *--q = static_cast<char>('0' + units);
  }
  return end;
}

}  // namespace

char* WriteFixed(char* p, double value, int decimals) {
  // The file library writes the same text (printf's, which is std::to_chars' for these requests).
  if (decimals >= 0 && decimals <= kMaxFixedPrecision) return FormatFixed(p, value, decimals);
  return std::to_chars(p, p + kNumberRoom, value, std::chars_format::fixed, decimals).ptr;
}

namespace {

// The binary layouts of float and double, and the range of the short road for each: from
// 2^min_exponent (at most `places_below_one` places hold any value below 1 with all its
// significant digits) to below 2^max_exponent (where at most one whole number reads back as the
// value, so the shortest text is the closest).
template <typename Value>
struct Layout;

template <>
struct Layout<float> {
  using Bits = std::uint32_t;
  static constexpr int kMantissaBits = 23;
  static constexpr int kBias = 127;
  static constexpr int kMinExponent = -10;
  static constexpr int kMaxExponent = 23;
  static constexpr int kDigits = 9;  // significant digits that always read back
  static constexpr int kPlacesBelowOne = 12;
};

template <>
struct Layout<double> {
  using Bits = std::uint64_t;
  static constexpr int kMantissaBits = 52;
  static constexpr int kBias = 1023;
  static constexpr int kMinExponent = -6;
  static constexpr int kMaxExponent = 50;
  static constexpr int kDigits = 17;
  static constexpr int kPlacesBelowOne = 18;
};

// The digits a shorter text leaves out of a number of units.
struct Dropped {
  int digit = -1;            // the last one dropped; -1 when none was
  bool zeros_below = false;  // all below it are zero
};

// Drops the last log10(kPower) digits of `units` when a number of the coarser units still lies
// within [first, last] (which become coarser too); false, with nothing changed, when none does.
template <std::uint64_t kPower>
bool DropPlaces(std::uint64_t& first, std::uint64_t& last, std::uint64_t& units, Dropped& dropped) {
  const std::uint64_t coarse_first = (first + kPower - 1) / kPower;
  const std::uint64_t coarse_last = last / kPower;
  if (coarse_first > coarse_last) return false;
  first = coarse_first;
  last = coarse_last;
  const std::uint64_t rest = units % kPower;
  units /= kPower;
  dropped.zeros_below = rest % (kPower / 10) == 0 && dropped.zeros_below && dropped.digit <= 0;
  dropped.digit = static_cast<int>(rest / (kPower / 10));
  return true;
}

// The shortest fixed-point text of `value` as std::to_chars writes it: of the numbers with the
// fewest places that read back as the value, the closest, the even one of two as close.
template <typename Value>
char* WriteShortestOf(char* p, Value value) {
  using L = Layout<Value>;
  const auto bits = std::bit_cast<typename L::Bits>(value);
  const auto biased = static_cast<int>((bits >> L::kMantissaBits) &
                                       ((1U << (sizeof(Value) * 8 - 1 - L::kMantissaBits)) - 1));
  if (biased < L::kBias + L::kMinExponent || biased >= L::kBias + L::kMaxExponent) {
    return std::to_chars(p, p + kNumberRoom, value, std::chars_format::fixed).ptr;
  }
  // value = m / 2^(t - 2) = 4m / 2^t.
  const std::uint64_t mantissa = bits & ((std::uint64_t{1} << L::kMantissaBits) - 1);
  const std::uint64_t m = mantissa | (std::uint64_t{1} << L::kMantissaBits);
  const int t = L::kBias + L::kMantissaBits - biased + 2;
  // The numbers that read back as the value lie between `lower` and `upper` (over 2^t), ends
  // included when m is even; the gap below is half as wide at the bottom of a binade.
  const std::uint64_t lower = mantissa == 0 ? 4 * m - 1 : 4 * m - 2;
  const std::uint64_t upper = 4 * m + 2;
  const bool ends = (m & 1) == 0;
  // At `places` places (all the significant digits that always read back), the value is `units`
  // and `rest` over 2^t, and the whole units within the interval run from `first` to `last`.
  const std::uint64_t whole = m >> (t - 2);
  int places = L::kPlacesBelowOne;
  if (whole != 0) {
    places = L::kDigits - 1;
    for (std::uint64_t power = 10; power <= whole; power *= 10) --places;
  }
  const Wide scale = kPowersOfTen[places];
  const Wide mask = (Wide{1} << t) - 1;
  const Wide low = lower * scale;
  const Wide high = upper * scale;
  const Wide exact = 4 * m * scale;
  auto first = static_cast<std::uint64_t>(low >> t);
  auto last = static_cast<std::uint64_t>(high >> t);
  auto units = static_cast<std::uint64_t>(exact >> t);
  const Wide rest = exact & mask;
  if ((low & mask) != 0 || !ends) ++first;
  if ((high & mask) == 0 && !ends) --last;
  if (first > last) return std::to_chars(p, p + kNumberRoom, value, std::chars_format::fixed).ptr;
  // Fewer places while a number of them still lies within, four, then two, then one place at a
  // time (the fewest divisions); the digits dropped from `units` are remembered for rounding: the
  // last one dropped and whether all below it (and `rest`) are zero.
  Dropped dropped;
  dropped.zeros_below = rest == 0;
  while (places >= 4 && DropPlaces<10000>(first, last, units, dropped)) places -= 4;
  if (places >= 2 && DropPlaces<100>(first, last, units, dropped)) places -= 2;
  if (places >= 1 && DropPlaces<10>(first, last, units, dropped)) places -= 1;
  const Wide half = Wide{1} << (t - 1);
  const bool up = dropped.digit < 0
                      ? (rest > half || (rest == half && (units & 1) != 0))
                      : (dropped.digit > 5 ||
                         (dropped.digit == 5 && (!dropped.zeros_below || (units & 1) != 0)));
  if (up) ++units;
  if (units < first) units = first;
  if (units > last) units = last;
  if ((bits >> (sizeof(Value) * 8 - 1)) != 0) *p++ = '-';
  return WriteScaled(p, units, places);
}

}  // namespace

char* WriteShortestFloat(char* p, float value) { return WriteShortestOf(p, value); }

namespace {

// The short road for a double that decimal text of at most 15 significant digits reads back as
// (what capture files hold: "1234.56789"). With d places, where the value's whole digits and d
// come to 15, at most one number of d places reads back as the value (their spacing is wider
// than the value's rounding interval), and the value times 10^d lies within a fifth of it: so
// that number is round(value · 10^d), if it is one. Its trailing zeros dropped, it is the
// shortest text, and the closest of its length. Null when the value is not such a number (or
// outside [0.001, 10^15)); the caller then takes the general road.
char* WriteShortDecimal(char* p, double value) {
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-3 && magnitude < 1e15)) return nullptr;
  // The digits before the point (below 1, minus the zeros after it), from the binary exponent e:
  // floor(e · log10 2) + 1, or one more.
  const int exponent = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52) - 1023;
  int whole = ((exponent * 1233) >> 12) + 1;
  if (magnitude >= kDoublePowersOfTen[whole + 3]) ++whole;
  const int places = 15 - whole;  // at most 17
  // Below 2^52, adding and taking away 2^52 rounds to the nearest whole number, as nearbyint
  // does, without a call.
  const double scaled = (magnitude * kDoublePowersOfTen[places + 3] + 0x1p52) - 0x1p52;
  auto units = static_cast<std::uint64_t>(scaled);
  int kept = places;
  while (kept >= 4 && units % 10000 == 0) {
    units /= 10000;
    kept -= 4;
  }
  while (kept >= 1 && units % 10 == 0) {
    units /= 10;
    --kept;
  }
  // Division of two exact doubles rounds once, as reading the text does.
  if (static_cast<double>(units) / kDoublePowersOfTen[kept + 3] != magnitude) return nullptr;
  if (value < 0) *p++ = '-';
  return WriteScaled(p, units, kept);
}

}  // namespace

char* WriteShortestDouble(char* p, double value) {
  if (char* end = WriteShortDecimal(p, value)) return end;
  return WriteShortestOf(p, value);
}

}  // namespace zar::exchange
