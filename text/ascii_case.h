#ifndef ZAR_TEXT_ASCII_CASE_H_
#define ZAR_TEXT_ASCII_CASE_H_

// Letter case of ASCII text, whatever the locale: names that compare without regard to case
// (registry keys and values, C3D groups and parameters, option classes).

#include <string_view>

namespace zar::text {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

constexpr bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace zar::text

#endif  // ZAR_TEXT_ASCII_CASE_H_
