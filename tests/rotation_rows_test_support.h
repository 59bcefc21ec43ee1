#ifndef ZAR_TESTS_ROTATION_ROWS_TEST_SUPPORT_H_
#define ZAR_TESTS_ROTATION_ROWS_TEST_SUPPORT_H_

// Rotation matrices written out by hand, independent of the math library, so that tests can
// compose HTR transforms the way the file describes them and compare with what the code gives.

#include <array>
#include <cmath>
#include <cstddef>

namespace zar::testing {

using Rows = std::array<std::array<double, 3>, 3>;

// Row-vector products: p·A, A·B.
inline std::array<double, 3> Times(const std::array<double, 3>& p, const Rows& m) {
  std::array<double, 3> out{};
  for (std::size_t c = 0; c < 3; ++c) out[c] = p[0] * m[0][c] + p[1] * m[1][c] + p[2] * m[2][c];
  return out;
}
inline Rows Times(const Rows& a, const Rows& b) {
  Rows out{};
  for (std::size_t r = 0; r < 3; ++r) out[r] = Times(a[r], b);
  return out;
}

// Static X Y Z angles: the turn about X, then about Y, then about Z, as row-vector matrices.
inline Rows EulerRows(double x, double y, double z) {
  const Rows rx = {{{1, 0, 0}, {0, std::cos(x), std::sin(x)}, {0, -std::sin(x), std::cos(x)}}};
  const Rows ry = {{{std::cos(y), 0, -std::sin(y)}, {0, 1, 0}, {std::sin(y), 0, std::cos(y)}}};
  const Rows rz = {{{std::cos(z), std::sin(z), 0}, {-std::sin(z), std::cos(z), 0}, {0, 0, 1}}};
  return Times(Times(rx, ry), rz);
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_ROTATION_ROWS_TEST_SUPPORT_H_
