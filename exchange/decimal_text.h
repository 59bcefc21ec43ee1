#ifndef ZAR_EXCHANGE_DECIMAL_TEXT_H_
#define ZAR_EXCHANGE_DECIMAL_TEXT_H_

// Numbers as the text writers put them: C locale, fixed point. The text is exactly what
// std::to_chars writes for the same request; the common cases (the magnitudes of lengths and
// angles) take a shorter road of integer arithmetic, the rest goes to std::to_chars.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>

namespace zar::exchange {

// The longest fixed-point text of a double (sign, 309 digits, point, 330 decimals) and a
// separator.
inline constexpr std::size_t kNumberRoom = 1 + 309 + 1 + 330 + 1;

// Writes at `p` (room for kNumberRoom characters) `value` rounded to `decimals` places, as
// std::to_chars(p, end, value, std::chars_format::fixed, decimals) does (the exact binary value
// rounded half to even). Returns the end of the text.
char* WriteFixed(char* p, double value, int decimals);

// Writes at `p` the shortest fixed-point text that reads back as `value`, as
// std::to_chars(p, end, value, std::chars_format::fixed) does (of several as short, the closest;
// of two as close, the even). Returns the end of the text.
char* WriteShortestFloat(char* p, float value);
char* WriteShortestDouble(char* p, double value);

// Writes at `p` (room for kNumberRoom characters) the shortest fixed-point text that reads back
// as `value`: as a float when the value is one (what C3D and most capture systems store), else
// as a double. Nothing for an infinity or NaN. Returns the end of the text.
inline char* WriteShortest(char* p, double value) {
  if (!std::isfinite(value)) return p;
  const auto single = static_cast<float>(value);
  if (static_cast<double>(single) == value) return WriteShortestFloat(p, single);
  return WriteShortestDouble(p, value);
}

inline std::string ShortestText(double value) {
  char text[kNumberRoom];
  return std::string(text, WriteShortest(text, value));
}

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_DECIMAL_TEXT_H_
