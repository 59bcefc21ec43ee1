#ifndef ZAR_MATH_ZAR_QUATERNION_H_
#define ZAR_MATH_ZAR_QUATERNION_H_

#include <cmath>
#include <cstdint>

#include "zar_angle_axis.h"
#include "zar_euler_order.h"
#include "zar_euler_rotation.h"
#include "zar_rotation.h"
#include "zar_rotation_matrix3.h"
#include "zar_vector3.h"
#include "zar_vector4.h"

namespace zar {

// An axis shorter than this has no usable direction; SetFromAngleAxis turns about +X instead.
inline constexpr double kAxisTolerance = 5e-08;

// A rotation as the quaternion (x, y, z, w) = (u·sin(a/2), cos(a/2)) for a right-handed turn by
// a about the unit axis u; the identity is (0, 0, 0, 1). It rotates a point p like the
// ZARRotationMatrix3 M of the same rotation rotates the row vector p·M, that is
// p·M = q·(p, 0)·q* (Hamilton product). q and −q are the same rotation.
//
// A default-constructed quaternion is (0, 0, 0, 0), a value to be filled by a conversion.
//
// Virtual slots, in order: destructor, X(), Y(), Z(), W(), SetFromMatrix, Assign, SetFromEuler,
// SetFromAngleAxis.
template <typename T>
class ZARQuaternion : public ZARRotation<T> {
 public:
  ZARQuaternion() : q(T(0), T(0), T(0), T(0)) {}
  ZARQuaternion(T qx, T qy, T qz, T qw) : q(qx, qy, qz, qw) {}
  ZARQuaternion(const ZARQuaternion&) = default;
  ZARQuaternion& operator=(const ZARQuaternion&) = default;
  ~ZARQuaternion() override = default;

  virtual T X() const { return q.X(); }
  virtual T Y() const { return q.Y(); }
  virtual T Z() const { return q.Z(); }
  virtual T W() const { return q.W(); }

  // The rotation of `m`, with w > 0 when the trace is positive and otherwise the component of
  // the largest diagonal element's axis positive.
  virtual ZARQuaternion& SetFromMatrix(const ZARRotationMatrix3<T>& m) {
    constexpr std::uint32_t kNext[3] = {1, 2, 0};
    const T tr = m[2][2] + m[1][1] + m[0][0];
    if (tr > T(0)) {
      T r = std::sqrt(tr + T(1));
      q.w = r * T(0.5);
      r = T(0.5) / r;
      q.x = (m[1][2] - m[2][1]) * r;
      q.y = (m[2][0] - m[0][2]) * r;
      q.z = (m[0][1] - m[1][0]) * r;
    } else {
      std::uint32_t d = 0;
      if (m[1][1] > m[0][0]) d = 1;
      if (m[2][2] > m[d][d]) d = 2;
      const std::uint32_t e = kNext[d];
      const std::uint32_t g = kNext[e];
      T r = std::sqrt(m[d][d] - (m[g][g] + m[e][e]) + T(1));
      q[d] = r * T(0.5);
      r = T(0.5) / r;
      q.w = (m[e][g] - m[g][e]) * r;
      q[e] = (m[e][d] + m[d][e]) * r;
      q[g] = (m[g][d] + m[d][g]) * r;
    }
    return *this;
  }

  // Copies all four components as they are (no normalising).
  virtual ZARQuaternion& Assign(const ZARQuaternion& other) {
    q.x = other.X();
    q.y = other.Y();
    q.z = other.Z();
    q.w = other.W();
    return *this;
  }

  // The rotation of `euler`, read in euler's own order (the same rotation as
  // ZARRotationMatrix3::SetFromEuler gives, up to the sign of the quaternion).
  virtual ZARQuaternion& SetFromEuler(const ZAREulerRotation<T>& euler) {
    const ZAREulerAxes ax = euler.order.Axes();
    T a = (ax.f == 0U ? euler.X() : euler.Z()) * T(0.5);
    T b = euler.Y() * T(0.5);
    const T c = (ax.f == 0U ? euler.Z() : euler.X()) * T(0.5);
    if (ax.n == 1U) b = -b;
    const T ci = std::cos(a);
    const T cj = std::cos(b);
    const T ch = std::cos(c);
    const T si = std::sin(a);
    const T sj = std::sin(b);
    const T sh = std::sin(c);
    const T cc = ci * ch;
    const T cs = ci * sh;
    const T sc = si * ch;
    const T ss = si * sh;
    ZARVector3<T> v;
    if (ax.s == 1U) {
      v[ax.i] = cj * (cs + sc);
      v[ax.j] = sj * (cc + ss);
      v[ax.k] = sj * (cs - sc);
      q.w = cj * (cc - ss);
    } else {
      v[ax.i] = cj * sc - sj * cs;
      v[ax.j] = cj * ss + sj * cc;
      v[ax.k] = cj * cs - sj * sc;
      q.w = cj * cc + sj * ss;
    }
    if (ax.n == 1U) v[ax.j] = -v[ax.j];
    q.x = v[0];
    q.y = v[1];
    q.z = v[2];
    return *this;
  }

  // (u·sin(angle/2), cos(angle/2)) with u the normalised axis; an axis no longer than
  // kAxisTolerance is replaced by +X. The value passed is not changed.
  virtual ZARQuaternion& SetFromAngleAxis(const ZARAngleAxis<T>& angleAxis) {
    const T h = angleAxis.angle * T(0.5);
    const T s = std::sin(h);
    ZARVector3<T> u = angleAxis.axis;
    const T len2 = u.z * u.z + u.y * u.y + u.x * u.x;
    if (len2 > T(0) && std::sqrt(len2) > static_cast<T>(kAxisTolerance)) {
      const T inv = T(1) / std::sqrt(len2);
      u.x *= inv;
      u.y *= inv;
      u.z *= inv;
    } else {
      u = ZARVector3<T>(T(1), T(0), T(0));
    }
    q.x = u.x * s;
    q.y = u.y * s;
    q.z = u.z * s;
    q.w = std::cos(h);
    return *this;
  }

  // Components (x, y, z) = vector part, w (index 3) = scalar part.
  ZARVector4<T> q;
};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_QUATERNION_H_
