// Conversions between Euler rotations, rotation matrices and quaternions, checked against
// rotations built here from first principles (Rodrigues' formula and the order table).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <random>
#include <tuple>
#include <utility>

#include "math/zar_math.h"

namespace {

using zar::kEulerTolerance;
using Euler = zar::ZAREulerRotation<double>;
using Quaternion = zar::ZARQuaternion<double>;
using Matrix = zar::ZARRotationMatrix3<double>;
using Vec = std::array<double, 3>;
using Mat = std::array<Vec, 3>;
constexpr double kPi = std::numbers::pi;

Vec Cross(const Vec& u, const Vec& p) {
  return {u[1] * p[2] - u[2] * p[1], u[2] * p[0] - u[0] * p[2], u[0] * p[1] - u[1] * p[0]};
}

// Right-handed turn of p by t about the unit axis u (Rodrigues).
Vec Turn(const Vec& p, const Vec& u, double t) {
  const Vec cross = Cross(u, p);
  const double dot = u[0] * p[0] + u[1] * p[1] + u[2] * p[2];
  Vec r{};
  for (std::size_t c = 0; c < 3; ++c)
    r[c] = p[c] * std::cos(t) + cross[c] * std::sin(t) + u[c] * dot * (1 - std::cos(t));
  return r;
}

Vec Unit(std::size_t axis) {
  Vec v{};
  v[axis] = 1;
  return v;
}

// Row-vector matrix of a turn: row r is the image of axis r.
Mat AboutAxis(const Vec& u, double t) {
  return {Turn(Unit(0), u, t), Turn(Unit(1), u, t), Turn(Unit(2), u, t)};
}

Vec Apply(const Vec& p, const Mat& m) {  // p·M
  Vec r{};
  for (std::size_t c = 0; c < 3; ++c) r[c] = p[0] * m[0][c] + p[1] * m[1][c] + p[2] * m[2][c];
  return r;
}

// The order table: frame, and the axes in the order the angles x, y, z are applied.
struct Order {
  int code;
  bool rotating;
  const char* axes;
  bool Repeated() const { return axes[0] == axes[2]; }
  bool Odd() const {  // first axis i and second axis j out of the cyclic order X→Y→Z
    const int i = (rotating ? axes[2] : axes[0]) - 'X';
    return axes[1] - 'X' != (i + 1) % 3;
  }
};
constexpr Order kOrders[] = {
    {0, false, "XYZ"},  {1, true, "ZYX"},  {2, false, "XYX"},  {3, true, "XYX"},
    {4, false, "XZY"},  {5, true, "YZX"},  {6, false, "XZX"},  {7, true, "XZX"},
    {8, false, "YZX"},  {9, true, "XZY"},  {10, false, "YZY"}, {11, true, "YZY"},
    {12, false, "YXZ"}, {13, true, "ZXY"}, {14, false, "YXY"}, {15, true, "YXY"},
    {16, false, "ZXY"}, {17, true, "YXZ"}, {18, false, "ZXZ"}, {19, true, "ZXZ"},
    {20, false, "ZYX"}, {21, true, "XYZ"}, {22, false, "ZYZ"}, {23, true, "ZYZ"}};

// The three turns one after the other; a rotating frame turns about where the body's axis has
// been carried so far.
Mat Expected(const Order& o, const Vec& angles) {
  Mat m = {Unit(0), Unit(1), Unit(2)};
  for (std::size_t step = 0; step < 3; ++step) {
    const Vec axis = Unit(static_cast<std::size_t>(o.axes[step] - 'X'));
    const Mat turn = AboutAxis(o.rotating ? Apply(axis, m) : axis, angles[step]);
    m = {Apply(m[0], turn), Apply(m[1], turn), Apply(m[2], turn)};
  }
  return m;
}

Euler InOrder(int code, const Vec& a) {
  Euler e(a[0], a[1], a[2]);
  e.order = code;
  return e;
}
Mat MatrixOf(const Euler& e) {
  const Matrix m = Matrix().SetFromEuler(e);
  return {Vec{m[0].x, m[0].y, m[0].z}, Vec{m[1].x, m[1].y, m[1].z}, Vec{m[2].x, m[2].y, m[2].z}};
}
Matrix Library(const Mat& m) {
  return {{m[0][0], m[0][1], m[0][2]}, {m[1][0], m[1][1], m[1][2]}, {m[2][0], m[2][1], m[2][2]}};
}
double Distance(const Mat& a, const Mat& b) {
  double d = 0;
  for (std::size_t e = 0; e < 9; ++e) d = std::max(d, std::abs(a[e / 3][e % 3] - b[e / 3][e % 3]));
  return d;
}

// Seeded angles; with `special`, about a third are ±π, ±π/2, 0 or just inside the gimbal band.
Vec RandomAngles(std::mt19937_64& rng, bool special) {
  constexpr double kSpecial[] = {-kPi, -kPi / 2,       0.0,  kPi / 2,
                                 kPi,  kPi / 2 - 1e-6, 1e-7, 1.5e-6 - kPi};
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Vec a{};
  for (double& t : a)
    t = special && u(rng) < 0.35 ? kSpecial[static_cast<std::size_t>(u(rng) * 7.999)]
                                 : kPi * (2 * u(rng) - 1);
  return a;
}

// Vector part of q·(p, 0)·q* (Hamilton product).
Vec Rotate(const Quaternion& q, const Vec& p) {
  const Vec u = {q.X(), q.Y(), q.Z()};
  Vec t = Cross(u, p);
  for (double& e : t) e *= 2;
  const Vec ut = Cross(u, t);
  return {p[0] + q.W() * t[0] + ut[0], p[1] + q.W() * t[1] + ut[1], p[2] + q.W() * t[2] + ut[2]};
}

void ExpectRotatesLike(const Quaternion& q, const Mat& m) {
  for (const Vec& p : {Vec{1, 0, 0}, Vec{0, 1, 0}, Vec{0, 0, 1}, Vec{0.3, -2, 5}}) {
    const Vec a = Rotate(q, p), b = Apply(p, m);
    for (std::size_t c = 0; c < 3; ++c) ASSERT_NEAR(a[c], b[c], 1e-12) << "component " << c;
  }
}

TEST(EulerConversions, EveryCodeMatchesItsElementaryTurnsAsMatrixAndQuaternion) {
  std::mt19937_64 rng(20240607);
  for (const Order& o : kOrders) {
    for (int n = 0; n < 300; ++n) {
      SCOPED_TRACE(testing::Message() << "code " << o.code << " sample " << n);
      const Vec a = RandomAngles(rng, true);
      const Mat m = MatrixOf(InOrder(o.code, a));
      ASSERT_LT(Distance(m, Expected(o, a)), 1e-12);
      if (o.code < 8) {
        ASSERT_EQ(MatrixOf(InOrder(o.code + 24, a)), m);
      }
      const Quaternion fromEuler = Quaternion().SetFromEuler(InOrder(o.code, a));
      const Quaternion fromMatrix = Quaternion().SetFromMatrix(Library(m));
      double dot = 0;
      for (std::uint32_t c = 0; c < 4; ++c) dot += fromEuler.q[c] * fromMatrix.q[c];
      const double sign = dot < 0 ? -1 : 1;
      for (std::uint32_t c = 0; c < 4; ++c)
        ASSERT_NEAR(fromEuler.q[c], sign * fromMatrix.q[c], 1e-12);
      ExpectRotatesLike(fromEuler, m);
      ExpectRotatesLike(fromMatrix, m);
    }
  }
}

// Within the gimbal band the dropped third angle costs up to about twice the band's width.
TEST(EulerConversions, MatrixSurvivesAnglesOutAndBackInRange) {
  std::mt19937_64 rng(42);
  int locked = 0;
  for (const Order& o : kOrders) {
    const double lo = !o.Repeated() ? -kPi / 2 : o.Odd() ? -kPi : 0.0;
    const double hi = !o.Repeated() ? kPi / 2 : o.Odd() ? 0.0 : kPi;
    for (int n = 0; n < 3000; ++n) {
      const Vec a = RandomAngles(rng, true);
      SCOPED_TRACE(testing::Message()
                   << "code " << o.code << " " << a[0] << " " << a[1] << " " << a[2]);
      const Mat m = MatrixOf(InOrder(o.code, a));
      Euler back = InOrder(o.code, {9, 9, 9});
      back.SetFromMatrix(Library(m));
      const bool inBand =
          std::abs(o.Repeated() ? std::sin(a[1]) : std::cos(a[1])) <= kEulerTolerance;
      locked += inBand;
      ASSERT_LT(Distance(MatrixOf(back), m), inBand ? 2 * kEulerTolerance : 1e-12);
      ASSERT_TRUE(back.Y() >= lo && back.Y() <= hi) << back.Y();
      for (std::uint32_t c = 0; c < 3; ++c) ASSERT_LE(std::abs(back[c]), kPi);
      if (inBand) {
        ASSERT_EQ(o.rotating ? back.X() : back.Z(), 0.0);
      }
    }
  }
  EXPECT_GT(locked, 5000);
}

TEST(EulerConversions, AnglesInsideTheirRangesComeBackUnchanged) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-0.999, 0.999);
  for (const Order& o : kOrders) {
    for (int n = 0; n < 300; ++n) {
      const double mid =
          o.Repeated() ? (o.Odd() ? -1 : 1) * kPi / 2 * (1 + u(rng)) : kPi / 2 * u(rng);
      const Vec a = {kPi * u(rng), mid, kPi * u(rng)};
      Euler back = InOrder(o.code, {0, 0, 0});
      back.SetFromMatrix(Library(MatrixOf(InOrder(o.code, a))));
      for (std::uint32_t c = 0; c < 3; ++c) ASSERT_NEAR(back[c], a[c], 1e-9) << "code " << o.code;
    }
  }
  Euler back = InOrder(0, {0, 0, 0});
  back.SetFromMatrix(Library(MatrixOf(InOrder(0, {3 * kPi / 2, 0, 0}))));
  EXPECT_NEAR(back.X(), -kPi / 2, 1e-12);
}

TEST(EulerConversions, InTheGimbalBandTheFreeTurnGoesIntoX) {
  const double x = 0.3, z = 0.2;
  for (const auto& [code, mid, expectedX] : {std::tuple{0, kPi / 2, x - z},
                                             {0, -kPi / 2, x + z},
                                             {2, 0.0, x + z},
                                             {2, kPi, x - z},
                                             {0, kPi / 2 + 1e-6, x - z},
                                             {2, 1.5e-6, x + z},
                                             {0, kPi / 2 - 1e-5, x}}) {
    Euler back = InOrder(code, {0, 0, 0});
    const Mat m = MatrixOf(InOrder(code, {x, mid, z}));
    back.SetFromMatrix(Library(m));
    const bool outside = expectedX == x;  // 1e-5 from the lock: an ordinary rotation again
    EXPECT_NEAR(back.Z(), outside ? z : 0.0, 1e-9) << code << " " << mid;
    EXPECT_NEAR(back.X(), expectedX, 1e-9) << code << " " << mid;
    EXPECT_LT(Distance(MatrixOf(back), m), outside ? 1e-12 : 2 * kEulerTolerance);
  }
}

TEST(EulerAssign, EqualCodesCopyAnglesDifferentCodesReExtract) {
  Euler same = InOrder(5, {0, 0, 0});
  same.Assign(InOrder(5, {4.0, -5.0, 7.0}));
  EXPECT_EQ(same.angles.x, 4.0);
  EXPECT_EQ(same.angles.y, -5.0);
  EXPECT_EQ(same.angles.z, 7.0);
  std::mt19937_64 rng(3);  // no gimbal cases here: the round trips cover the band
  for (const Order& from : kOrders) {
    for (const Order& to : kOrders) {
      const Euler source = InOrder(from.code, RandomAngles(rng, false));
      Euler target = InOrder(to.code, {0, 0, 0});
      target.Assign(source);
      ASSERT_EQ(target.order.code, to.code);
      ASSERT_LT(Distance(MatrixOf(target), MatrixOf(source)), 1e-12) << from.code << "→" << to.code;
    }
  }
}

// The default order is class-wide state: the case puts it back to 0.
class EulerDefaultOrder : public ::testing::Test {
 protected:
  void TearDown() override { Euler().SetDefaultOrder(0); }
};

TEST_F(EulerDefaultOrder, AppliesOnlyToRotationsConstructedLater) {
  Euler before(0.1, 0.2, 0.3);
  ASSERT_EQ(before.order.code, 0);
  before.SetDefaultOrder(13);
  EXPECT_EQ(before.order.code, 0);
  EXPECT_EQ(before.DefaultOrder().code, 13);
  EXPECT_EQ(Euler().order.code, 13);
  const Euler copy(before);  // the same rotation, in the new default order
  EXPECT_EQ(copy.order.code, 13);
  EXPECT_LT(Distance(MatrixOf(copy), MatrixOf(before)), 1e-12);
  Euler assigned = InOrder(2, {0, 0, 0});
  assigned = before;  // keeps its own order
  EXPECT_EQ(assigned.order.code, 2);
  EXPECT_LT(Distance(MatrixOf(assigned), MatrixOf(before)), 1e-12);
  before.SetDefaultOrder(zar::ZAREulerOrder(20));
  EXPECT_EQ(Euler().order.code, 20);
}

TEST(QuaternionConversions, FromMatrixAndAngleAxisOnEveryBranch) {
  const double r = 1 / std::sqrt(2.0);
  for (const auto& [axis, angle] : {std::pair{Vec{1, 0, 0}, 0.0},
                                    {Vec{1, 0, 0}, kPi},
                                    {Vec{0, 1, 0}, kPi},
                                    {Vec{0, 0, 1}, kPi},
                                    {Vec{r, r, 0}, kPi},
                                    {Vec{0, r, -r}, 3.0},
                                    {Vec{-r, 0, r}, 2.5},
                                    {Vec{0.6, 0, 0.8}, 2.0}}) {
    const Mat m = AboutAxis(axis, angle);
    ExpectRotatesLike(Quaternion().SetFromMatrix(Library(m)), m);
    ExpectRotatesLike(Quaternion().SetFromAngleAxis({angle, {axis[0], axis[1], axis[2]}}), m);
  }
  const Quaternion halfTurnY = Quaternion().SetFromMatrix({{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}});
  EXPECT_TRUE(halfTurnY.X() == 0 && halfTurnY.Y() == 1 && halfTurnY.Z() == 0 && halfTurnY.W() == 0);
}

TEST(QuaternionConversions, AngleAxisTurnsAboutXWhenTheAxisIsTooShort) {
  const double s = std::sin(0.5), c = std::cos(0.5);
  for (const auto& [angle, axis, expected] :
       {std::tuple{1.0, Vec{0, 0, 0}, std::array{s, 0.0, 0.0, c}},
        {1.0, Vec{0, 4.9e-8, 0}, std::array{s, 0.0, 0.0, c}},
        {1.0, Vec{0, 0, -3e-8}, std::array{s, 0.0, 0.0, c}},
        {1.0, Vec{0, 5.1e-8, 0}, std::array{0.0, s, 0.0, c}},
        {kPi, Vec{0, 0, 2}, std::array{0.0, 0.0, 1.0, 0.0}},
        {0.0, Vec{3, 4, 5}, std::array{0.0, 0.0, 0.0, 1.0}}}) {
    const Quaternion q = Quaternion().SetFromAngleAxis({angle, {axis[0], axis[1], axis[2]}});
    for (std::uint32_t i = 0; i < 4; ++i)
      EXPECT_NEAR(q.q[i], expected[i], 1e-15) << axis[1] << " " << i;
  }
}

}  // namespace
