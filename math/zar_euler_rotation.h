#ifndef ZAR_MATH_ZAR_EULER_ROTATION_H_
#define ZAR_MATH_ZAR_EULER_ROTATION_H_

#include <cmath>
#include <cstdint>
#include <numbers>

#include "zar_euler_order.h"
#include "zar_rotation.h"
#include "zar_rotation_matrix3.h"
#include "zar_vector3.h"

namespace zar {

// When the term that tells the first and third angle apart (the cosine of the middle angle for
// three different axes, its sine for a repeated axis) is at or below this, both turn about one
// axis (gimbal lock) and the third angle is set to 0. 2^-19: sixteen single-precision epsilons.
inline constexpr double kEulerTolerance = 1.9073486328125e-06;

// Three angles x, y, z (radians) read in `order` by every conversion:
//   static   (f = 0): M = R_i(x)·R_j(y)·R_h(z)     rotating (f = 1): M = R_i(z)·R_j(y)·R_h(x)
// with row vectors (p·M) and axes i, j, h of ZAREulerOrder.
//
// Angles that SetFromMatrix gives back (each in [−π, π]):
//   three different axes (s = 0):        y in [−π/2, π/2]
//   repeated axis, even parity (s = 1):  y in [0, π]
//   repeated axis, odd parity  (s = 1):  y in [−π, 0]
// In gimbal lock (the middle angle within about kEulerTolerance of ±π/2 for s = 0, of 0 or ±π
// for s = 1) the angle about h is 0 (z for static codes, x for rotating codes) and the whole
// turn about the remaining free axis goes into the angle about i. Inside that band the part of
// the turn that told the two apart is dropped: the matrix rebuilt from the angles may differ
// from the one read by up to about 2·kEulerTolerance per element.
//
// The class keeps one default order (code 0, static X Y Z, at start). Every rotation takes its
// `order` from it when constructed, a copy included (the copy then holds the same rotation
// expressed in the default order). No operation changes the order of an existing rotation.
//
// Virtual slots, in order: destructor, const operator[], operator[], SetDefaultOrder(order),
// SetDefaultOrder(code), DefaultOrder().
template <typename T>
class ZAREulerRotation final : public ZARRotation<T> {
 public:
  explicit ZAREulerRotation(T ax = T(0), T ay = T(0), T az = T(0))
      : angles(ax, ay, az), order(defaultOrder_) {}

  // Same rotation as `other`, in the current default order.
  ZAREulerRotation(const ZAREulerRotation& other)
      : ZARRotation<T>(), angles(T(0), T(0), T(0)), order(defaultOrder_) {
    Assign(other);
  }

  // Same rotation as `other`, in this rotation's own order (which stays as it is).
  ZAREulerRotation& operator=(const ZAREulerRotation& other) { return Assign(other); }

  ~ZAREulerRotation() override = default;

  // Angle by index: 0 = x, 1 = y, 2 = z (unchecked).
  virtual const T& operator[](std::uint32_t index) const { return angles[index]; }
  virtual T& operator[](std::uint32_t index) { return angles[index]; }

  // Set the class-wide default order for rotations constructed later; this rotation keeps its
  // order.
  virtual ZAREulerRotation& SetDefaultOrder(const ZAREulerOrder& newDefault) {
    defaultOrder_.code = newDefault.code;
    return *this;
  }
  virtual ZAREulerRotation& SetDefaultOrder(std::int32_t newDefaultCode) {
    defaultOrder_.code = newDefaultCode;
    return *this;
  }

  // The class-wide default order.
  virtual ZAREulerOrder& DefaultOrder() { return defaultOrder_; }

  T X() const { return angles.X(); }
  T Y() const { return angles.Y(); }
  T Z() const { return angles.Z(); }

  // Reads the angles of `m` out in this rotation's own order (ranges in the class comment).
  ZAREulerRotation& SetFromMatrix(const ZARRotationMatrix3<T>& m) {
    if (order.code == 0) return ReadMatrix(m, kStaticXYZAxes);
    return ReadMatrix(m, order.Axes());
  }

  // Same rotation as `other`, expressed in this rotation's own order. Equal codes copy the
  // angles as they are; different codes go through a matrix, so the angles come out in range.
  ZAREulerRotation& Assign(const ZAREulerRotation& other) {
    if (order.code == other.order.code) {
      angles.x = other.X();
      angles.y = other.Y();
      angles.z = other.Z();
      return *this;
    }
    ZARRotationMatrix3<T> scratch;
    scratch.SetFromEuler(other);
    return SetFromMatrix(scratch);
  }

  ZARVector3<T> angles;
  ZAREulerOrder order;

 private:
  // SetFromMatrix with the axes decoded (constants where the order is known when compiled).
  [[gnu::always_inline]] ZAREulerRotation& ReadMatrix(const ZARRotationMatrix3<T>& m,
                                                      const ZAREulerAxes ax) {
    const std::uint32_t i = ax.i;
    const std::uint32_t j = ax.j;
    const std::uint32_t k = ax.k;
    const T tolerance = static_cast<T>(kEulerTolerance);
    T a;
    T b;
    T c;
    if (ax.s == 1U) {
      const T sy = std::sqrt(m[j][i] * m[j][i] + m[k][i] * m[k][i]);
      if (sy > tolerance) {
        a = std::atan2(m[j][i], m[k][i]);
        b = std::atan2(sy, m[i][i]);
        c = std::atan2(m[i][j], -m[i][k]);
      } else {
        a = std::atan2(-m[k][j], m[j][j]);
        b = std::atan2(sy, m[i][i]);
        c = T(0);
      }
    } else {
      const T cy = std::sqrt(m[i][i] * m[i][i] + m[i][j] * m[i][j]);
      if (cy > tolerance) {
        a = std::atan2(m[j][k], m[k][k]);
        b = std::atan2(-m[i][k], cy);
        c = std::atan2(m[i][j], m[i][i]);
      } else {
        a = std::atan2(-m[k][j], m[j][j]);
        b = std::atan2(-m[i][k], cy);
        c = T(0);
      }
    }
    if (ax.n == 1U) {
      a = -a;
      b = -b;
      c = -c;
    }
    a = IntoRange(a);
    b = IntoRange(b);
    c = IntoRange(c);
    if (ax.f == 1U) {
      angles.x = c;
      angles.z = a;
    } else {
      angles.x = a;
      angles.z = c;
    }
    angles.y = b;
    return *this;
  }

  // −π and π stay as they are; anything beyond is brought back by one turn.
  static T IntoRange(T t) {
    const T pi = std::numbers::pi_v<T>;
    if (t < -pi) return t + T(2) * pi;
    if (t > pi) return t - T(2) * pi;
    return t;
  }

  static inline constinit ZAREulerOrder defaultOrder_{0};
};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_EULER_ROTATION_H_
