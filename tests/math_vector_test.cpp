// Vectors and quaternion copies: components by position, through the abstract base.
#include <gtest/gtest.h>

#include <cstdint>

#include "math/zar_math.h"

namespace {

using zar::ZARVector;

TEST(Vectors, PositionsMapToNamedComponentsThroughTheBase) {
  zar::ZARVector3<double> v3(1, 2, 3);
  zar::ZARVector4<double> v4(5, 6, 7, 8);
  struct Case {
    ZARVector<double>& v;
    std::uint32_t size;
    double w;
  };
  for (const Case& c : {Case{v3, 3, 0.0}, Case{v4, 4, 8.0}}) {
    const ZARVector<double>& read = c.v;
    for (std::uint32_t i = 0; i < c.size; ++i) c.v[i] = 10.0 * (i + 1);
    EXPECT_EQ(read.X(), 10.0);
    EXPECT_EQ(read.Y(), 20.0);
    EXPECT_EQ(read.Z(), 30.0);
    EXPECT_EQ(read.W(), c.size == 4 ? 40.0 : 0.0);  // a ZARVector3 has no w: always 0
    for (std::uint32_t i = 0; i < c.size; ++i) EXPECT_EQ(&read[i], &c.v[i]);
  }
  EXPECT_EQ(&v3[1], &v3.y);
  EXPECT_EQ(&v4[3], &v4.w);
}

TEST(QuaternionAssign, CopiesZeroAndNonUnitValuesAsTheyAre) {
  for (const zar::ZARQuaternion<double>& source :
       {zar::ZARQuaternion<double>(), zar::ZARQuaternion<double>(3, -4, 0.5, 12)}) {
    zar::ZARQuaternion<double> q(0, 0, 0, 1);
    q.Assign(source);
    EXPECT_EQ(q.X(), source.q.x);
    EXPECT_EQ(q.Y(), source.q.y);
    EXPECT_EQ(q.Z(), source.q.z);
    EXPECT_EQ(q.W(), source.q.w);
  }
}

TEST(EulerOrder, EveryCodeDecodesToThreeAxesAndSelectorThreeRepeatsZero) {
  for (std::int32_t code : {-1, 0, 7, 23, 24, 31, 32, 1000, INT32_MIN}) {
    const zar::ZAREulerAxes a = zar::ZAREulerOrder(code).Axes();
    ASSERT_TRUE(a.i < 3 && a.j < 3 && a.k < 3) << code;
    EXPECT_EQ(a.i + a.j + a.k, 3U) << code;  // a permutation of X, Y, Z
    EXPECT_EQ(a.i * a.j * a.k, 0U) << code;
  }
  for (std::int32_t code = 0; code < 8; ++code) {
    const zar::ZAREulerAxes a = zar::ZAREulerOrder(code).Axes();
    const zar::ZAREulerAxes b = zar::ZAREulerOrder(code + 24).Axes();
    EXPECT_TRUE(a.f == b.f && a.s == b.s && a.n == b.n && a.i == b.i && a.j == b.j && a.k == b.k);
  }
}

}  // namespace
