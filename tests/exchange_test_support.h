#ifndef ZAR_TESTS_EXCHANGE_TEST_SUPPORT_H_
#define ZAR_TESTS_EXCHANGE_TEST_SUPPORT_H_

// Comparing marker sets in the exchange suites.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "exchange/marker_set.h"

namespace zar::testing {

// The same markers, frames and present flags, coordinates within `tolerance` plus one step of a
// single-precision value of their size (a float printed in its shortest text and read back as a
// double can be that far from the number the float was made from).
inline void ExpectSameSamples(const exchange::MarkerSet& expected,
                              const exchange::MarkerSet& actual, double tolerance,
                              const std::string& what) {
  ASSERT_EQ(expected.NumMarkers(), actual.NumMarkers()) << what;
  ASSERT_EQ(expected.NumFrames(), actual.NumFrames()) << what;
  EXPECT_EQ(expected.first_frame, actual.first_frame) << what;
  int reported = 0;
  for (std::int64_t k = 0; k < expected.NumFrames(); ++k) {
    for (std::size_t m = 0; m < expected.NumMarkers(); ++m) {
      const exchange::MarkerSample& a = expected.At(k, m);
      const exchange::MarkerSample& b = actual.At(k, m);
      bool same = a.present == b.present;
      for (const auto& [p, q] : {std::pair{a.x, b.x}, {a.y, b.y}, {a.z, b.z}}) {
        const double allowed = tolerance + 1.2e-7 * std::max(std::abs(p), std::abs(q));
        same = same && (!a.present || std::abs(p - q) <= allowed);
      }
      if (!same && reported++ < 5) {
        ADD_FAILURE() << what << ": frame " << k << " marker " << m << " (" << a.present << " "
                      << a.x << " " << a.y << " " << a.z << ") vs (" << b.present << " " << b.x
                      << " " << b.y << " " << b.z << ")";
      }
    }
  }
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_EXCHANGE_TEST_SUPPORT_H_
