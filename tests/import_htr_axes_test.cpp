// The changes of axes between HTR segments and host bones.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

#include "import_htr/htr_axes.h"

namespace {

using Matrix = zar::ZARRotationMatrix3<double>;
using Vector = zar::ZARVector3<double>;
using Rows = std::array<std::array<double, 3>, 3>;

constexpr double kTight = 1e-15;

void ExpectRows(const Matrix& m, const Rows& rows, double tolerance) {
  for (std::uint32_t r = 0; r < 3; ++r) {
    for (std::uint32_t c = 0; c < 3; ++c) {
      EXPECT_NEAR(m[r][c], rows[r][c], tolerance) << "row " << r << " column " << c;
    }
  }
}

void ExpectVector(const Vector& v, double x, double y, double z, double tolerance) {
  EXPECT_NEAR(v.X(), x, tolerance);
  EXPECT_NEAR(v.Y(), y, tolerance);
  EXPECT_NEAR(v.Z(), z, tolerance);
}

TEST(HtrAxes, ConstantMatrices) {
  ExpectRows(zar::BoneAxes(), {{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}}, kTight);
  ExpectRows(zar::WorldAxes().Transposed(), {{{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}}, kTight);
}

// What the matrices mean, as row vectors times the matrix: a host bone's length axis (X) is an
// HTR segment's length axis (Y), and the host's up axis (Z) is the HTR world's up axis (Y).
TEST(HtrAxes, LengthAndUpAxesMatch) {
  const Vector length = zar::HTRRowTimes(Vector(1, 0, 0), zar::BoneAxes());
  ExpectVector(length, 0, 1, 0, kTight);
  const Vector up = zar::HTRRowTimes(Vector(0, 0, 1), zar::WorldAxes());
  ExpectVector(up, 0, 1, 0, kTight);
}

TEST(HtrAxes, TranslationOfRootAndOtherSegments) {
  const Vector t(1.0, 2.0, 3.0);
  ExpectVector(zar::MapHTRTranslation(t, true), 1.0, -3.0, 2.0, kTight);
  ExpectVector(zar::MapHTRTranslation(t, false), 2.0, 3.0, 1.0, kTight);
}

TEST(HtrAxes, ZeroRotationOfRootAndOtherSegments) {
  const Matrix identity;
  ExpectRows(zar::MapHTRRotation(identity, true), {{{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}}, kTight);
  ExpectRows(zar::MapHTRRotation(identity, false), {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, kTight);
}

TEST(HtrAxes, NonRootRotationTurnsAboutTheMatchingBoneAxis) {
  // A turn about the segment's length axis (Y) is a turn about the bone's length axis (X).
  const double t = 0.7;
  const Matrix mapped = zar::MapHTRRotation(zar::HTREulerMatrix(0.0, t, 0.0), false);
  ExpectRows(mapped, {{{1, 0, 0}, {0, std::cos(t), std::sin(t)}, {0, -std::sin(t), std::cos(t)}}},
             1e-12);
}

TEST(HtrAxes, UnmapInvertsMap) {
  const std::array<std::array<double, 3>, 5> angles = {{
      {0.1, -0.4, 2.9},
      {-3.0, 1.2, 0.5},
      {std::numbers::pi / 2, 0.3, -0.3},
      {0.0, std::numbers::pi / 2, 1.0},
      {2.0, -1.5, -2.5},
  }};
  for (const bool root : {true, false}) {
    for (const auto& a : angles) {
      const Matrix mb = zar::HTREulerMatrix(a[0], a[1], a[2]);
      const Matrix back = zar::UnmapHTRRotation(zar::MapHTRRotation(mb, root), root);
      for (std::uint32_t r = 0; r < 3; ++r) {
        for (std::uint32_t c = 0; c < 3; ++c) EXPECT_NEAR(back[r][c], mb[r][c], 1e-12);
      }
    }
    const Vector t(-4.5, 7.25, 0.125);
    const Vector back = zar::UnmapHTRTranslation(zar::MapHTRTranslation(t, root), root);
    ExpectVector(back, t.X(), t.Y(), t.Z(), 1e-12);
  }
}

TEST(HtrAxes, EulerMatrixIgnoresTheDefaultOrder) {
  zar::ZAREulerRotation<double> probe;
  probe.SetDefaultOrder(21);
  const Matrix m = zar::HTREulerMatrix(0.3, 0.0, 0.0);
  probe.SetDefaultOrder(0);
  ExpectRows(m,
             {{{1, 0, 0}, {0, std::cos(0.3), std::sin(0.3)}, {0, -std::sin(0.3), std::cos(0.3)}}},
             kTight);
}

}  // namespace
