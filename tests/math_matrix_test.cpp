// Rotation matrices: products apply the right-hand operand first; transposes invert.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "math/zar_math.h"

namespace {

using Matrix = zar::ZARRotationMatrix3<double>;
using zar::ZARVector3;

ZARVector3<double> Apply(const ZARVector3<double>& p, const Matrix& m) {  // p·M
  ZARVector3<double> r;
  for (std::uint32_t c = 0; c < 3; ++c) r[c] = p.x * m[0][c] + p.y * m[1][c] + p.z * m[2][c];
  return r;
}

Matrix FromEuler(double x, double y, double z) {
  return Matrix().SetFromEuler(zar::ZAREulerRotation<double>(x, y, z));
}

void ExpectNear(const Matrix& a, const Matrix& b, double tolerance) {
  for (std::uint32_t r = 0; r < 3; ++r)
    for (std::uint32_t c = 0; c < 3; ++c) EXPECT_NEAR(a[r][c], b[r][c], tolerance) << r << c;
}

const Matrix kA = FromEuler(0.4, -1.2, 2.9);
const Matrix kB = FromEuler(-2.0, 0.7, 0.3);

TEST(MatrixProduct, RightHandOperandIsAppliedFirst) {
  const ZARVector3<double> p(0.5, -1.5, 2.0);
  const ZARVector3<double> viaProduct = Apply(p, kA * kB);
  const ZARVector3<double> stepwise = Apply(Apply(p, kB), kA);
  for (std::uint32_t c = 0; c < 3; ++c) EXPECT_NEAR(viaProduct[c], stepwise[c], 1e-14);
  // Code 0 turns about X first, then Y, then Z.
  const double x = 0.4, y = -1.2, z = 2.9;
  ExpectNear(FromEuler(0, 0, z) * FromEuler(0, y, 0) * FromEuler(x, 0, 0), kA, 1e-15);
  ExpectNear(Matrix(), Matrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}), 0.0);
}

TEST(MatrixTranspose, InvertsAndReversesProducts) {
  ExpectNear((kA * kB).Transposed(), kB.Transposed() * kA.Transposed(), 1e-15);
  ExpectNear(kA * kA.Transposed(), Matrix(), 1e-15);
  ExpectNear(kA.Transposed() * kA, Matrix(), 1e-15);
  Matrix inPlace = kA;
  const Matrix copy = inPlace.Transposed();
  ExpectNear(inPlace, kA, 0.0);  // Transposed leaves its matrix alone
  inPlace.Transpose();
  ExpectNear(inPlace, copy, 0.0);
  for (std::uint32_t r = 0; r < 3; ++r)
    for (std::uint32_t c = 0; c < 3; ++c) EXPECT_EQ(inPlace[r][c], kA[c][r]);
  inPlace.Transpose();
  ExpectNear(inPlace, kA, 0.0);
}

}  // namespace
