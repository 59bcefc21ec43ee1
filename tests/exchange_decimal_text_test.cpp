// The writers' number text is byte for byte what std::to_chars writes, on the short road of
// integer arithmetic and off it.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "exchange/decimal_text.h"

namespace zar::exchange {
namespace {

std::string Ours(double value, int decimals) {
  char text[kNumberRoom];
  if (decimals >= 0) return std::string(text, WriteFixed(text, value, decimals));
  const auto single = static_cast<float>(value);
  if (decimals == -1) return std::string(text, WriteShortestFloat(text, single));
  return std::string(text, WriteShortestDouble(text, value));
}

std::string Theirs(double value, int decimals) {
  char text[kNumberRoom];
  if (decimals >= 0) {
    return std::string(
        text,
        std::to_chars(text, text + kNumberRoom, value, std::chars_format::fixed, decimals).ptr);
  }
  if (decimals == -1) {
    return std::string(text, std::to_chars(text, text + kNumberRoom, static_cast<float>(value),
                                           std::chars_format::fixed)
                                 .ptr);
  }
  return std::string(text,
                     std::to_chars(text, text + kNumberRoom, value, std::chars_format::fixed).ptr);
}

// decimals >= 0: WriteFixed; -1: WriteShortestFloat; -2: WriteShortestDouble.
constexpr int kRequests[] = {-2, -1, 0, 1, 7, 8, 9, 12};

TEST(DecimalText, SameTextAsToChars) {
  const double edges[] = {0.0,
                          -0.0,
                          0.5,
                          1.5,
                          2.5,
                          -2.5,
                          0.001953125,
                          1.0 / 1024,
                          1e-20,
                          -1e-20,
                          std::ldexp(1.0, 23),
                          std::nextafter(std::ldexp(1.0, 23), 0.0),
                          std::ldexp(1.0, 50),
                          std::nextafter(std::ldexp(1.0, 50), 0.0),
                          std::ldexp(1.0, -10),
                          std::nextafter(std::ldexp(1.0, -6), 0.0),
                          std::ldexp(1.0, 30),
                          0.1,
                          0.3,
                          1234.56789,
                          -987654.321,
                          9.9999999,
                          99999.995,
                          1e300,
                          std::numeric_limits<double>::denorm_min(),
                          static_cast<double>(std::numeric_limits<float>::denorm_min())};
  for (const double value : edges) {
    for (const int request : kRequests) {
      EXPECT_EQ(Theirs(value, request), Ours(value, request)) << value << " " << request;
    }
  }
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 200000; ++i) {
    // Every bit pattern, and decimal text of a few places as capture files hold it.
    const double any = std::bit_cast<double>(random());
    const double scale = std::ldexp(1.0, static_cast<int>(random() % 48) - 12);
    const double decimal =
        std::round(std::ldexp(static_cast<double>(random() >> 11), -53) * scale * 1e5) / 1e5;
    for (const double value : {any, decimal, -decimal}) {
      if (!std::isfinite(value)) continue;
      const int request = kRequests[random() % std::size(kRequests)];
      ASSERT_EQ(Theirs(value, request), Ours(value, request)) << value << " " << request;
    }
  }
}

// Text of up to 17 significant digits at every magnitude around the short decimal road's range
// (from 10^-4 to 10^16), read back as a double, gives the same shortest text as std::to_chars.
TEST(DecimalText, ShortestOfDecimalTextAsToChars) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 300000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 17);
    const int exponent = static_cast<int>(random() % 21) - 4;
    std::string text(1, static_cast<char>('1' + random() % 9));
    while (static_cast<int>(text.size()) < digits) text += static_cast<char>('0' + random() % 10);
    text += 'e';
    text.append(std::to_string(exponent - digits + 1));
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (random() % 2 == 0) value = -value;
    ASSERT_EQ(Theirs(value, -2), Ours(value, -2)) << text;
  }
}

}  // namespace
}  // namespace zar::exchange
