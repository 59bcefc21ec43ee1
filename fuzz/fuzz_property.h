#ifndef ZAR_FUZZ_FUZZ_PROPERTY_H_
#define ZAR_FUZZ_FUZZ_PROPERTY_H_

// Properties the fuzz entry points check: a broken one is reported on standard error and stops
// the run, so libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zar::fuzz {

inline void Require(bool holds, const char* property, const std::string& detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s%s%s\n", property, detail.empty() ? "" : ": ",
               detail.c_str());
  std::abort();
}

}  // namespace zar::fuzz

#endif  // ZAR_FUZZ_FUZZ_PROPERTY_H_
