#ifndef ZAR_MATH_ZAR_ROTATION_MATRIX3_H_
#define ZAR_MATH_ZAR_ROTATION_MATRIX3_H_

#include <cmath>
#include <cstdint>

#include "zar_euler_order.h"
#include "zar_rotation.h"
#include "zar_vector3.h"

namespace zar {

template <typename T>
class ZAREulerRotation;

// A 3×3 rotation matrix stored as three rows; M[r][c] is component c of row r.
//
// Row-vector convention: row r is the image of coordinate axis r, and a point p (a row vector)
// is rotated to p·M, that is (p·M)[c] = Σ_r p[r]·M[r][c]. The rotation about X by t is
//   | 1     0      0    |
//   | 0     cos t  sin t |
//   | 0    −sin t  cos t |
// operator* applies its right-hand operand first: p·(A * B) = (p·B)·A. The transpose is the
// inverse.
//
// Virtual slots: the destructor only.
template <typename T>
class ZARRotationMatrix3 final : public ZARRotation<T> {
 public:
  // The identity, ready to be filled by a conversion.
  ZARRotationMatrix3() : rows{{T(1), T(0), T(0)}, {T(0), T(1), T(0)}, {T(0), T(0), T(1)}} {}
  ZARRotationMatrix3(const ZARVector3<T>& row0, const ZARVector3<T>& row1,
                     const ZARVector3<T>& row2)
      : rows{row0, row1, row2} {}
  ZARRotationMatrix3(const ZARRotationMatrix3&) = default;
  ZARRotationMatrix3& operator=(const ZARRotationMatrix3&) = default;
  ~ZARRotationMatrix3() override = default;

  // Row r (0..2, unchecked).
  const ZARVector3<T>& operator[](std::uint32_t r) const { return rows[r]; }
  ZARVector3<T>& operator[](std::uint32_t r) { return rows[r]; }

  // Sets all nine elements from `euler`, read in euler's own order (see ZAREulerOrder):
  //   static:   M = R_i(x)·R_j(y)·R_h(z)      rotating: M = R_i(z)·R_j(y)·R_h(x)
  ZARRotationMatrix3& SetFromEuler(const ZAREulerRotation<T>& euler) {
    if (euler.order.code == 0) return FillFromEuler(euler, kStaticXYZAxes);
    return FillFromEuler(euler, euler.order.Axes());
  }

  // Transposes in place, turning the rotation into its inverse.
  ZARRotationMatrix3& Transpose() {
    Swap(rows[0].y, rows[1].x);
    Swap(rows[0].z, rows[2].x);
    Swap(rows[1].z, rows[2].y);
    return *this;
  }

  // The transpose (inverse rotation); this matrix is unchanged.
  ZARRotationMatrix3 Transposed() const {
    ZARRotationMatrix3 t(rows[0], rows[1], rows[2]);
    t.Transpose();
    return t;
  }

  // P[r][c] = Σ_q other[r][q]·this[q][c]: `other` is applied first, then this matrix,
  // p·(this * other) = (p·other)·this.
  ZARRotationMatrix3 operator*(const ZARRotationMatrix3& other) const {
    ZARRotationMatrix3 p;
    const ZARRotationMatrix3& self = *this;
    for (std::uint32_t c = 0; c < 3; ++c) {
      for (std::uint32_t r = 0; r < 3; ++r) {
        p[r][c] = T(0);
        for (std::uint32_t q = 0; q < 3; ++q) {
          p[r][c] += other[r][q] * self[q][c];
        }
      }
    }
    return p;
  }

  ZARVector3<T> rows[3];

 private:
  // SetFromEuler with the axes decoded (constants where the order is known when compiled).
  [[gnu::always_inline]] ZARRotationMatrix3& FillFromEuler(const ZAREulerRotation<T>& euler,
                                                           const ZAREulerAxes ax) {
    const std::uint32_t i = ax.i;
    const std::uint32_t j = ax.j;
    const std::uint32_t k = ax.k;
    T a = ax.f == 0U ? euler.X() : euler.Z();
    T b = euler.Y();
    T c = ax.f == 0U ? euler.Z() : euler.X();
    if (ax.n == 1U) {
      a = -a;
      b = -b;
      c = -c;
    }
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
    ZARRotationMatrix3& m = *this;
    if (ax.s == 1U) {
      m[i][i] = cj;
      m[j][i] = sj * si;
      m[k][i] = sj * ci;
      m[i][j] = sj * sh;
      m[j][j] = cc - cj * ss;
      m[k][j] = -cj * cs - sc;
      m[i][k] = -sj * ch;
      m[j][k] = cj * sc + cs;
      m[k][k] = cj * cc - ss;
    } else {
      m[i][i] = cj * ch;
      m[j][i] = sj * sc - cs;
      m[k][i] = sj * cc + ss;
      m[i][j] = cj * sh;
      m[j][j] = sj * ss + cc;
      m[k][j] = sj * cs - sc;
      m[i][k] = -sj;
      m[j][k] = cj * si;
      m[k][k] = cj * ci;
    }
    return *this;
  }

  static void Swap(T& a, T& b) {
    const T t = a;
    a = b;
    b = t;
  }
};

}  // namespace zar

// ZAREulerRotation is needed by SetFromEuler; including it here makes this header complete on
// its own (it includes this header first, so either inclusion order ends with both classes).
#include "zar_euler_rotation.h"

#endif  // ZAR_MATH_ZAR_ROTATION_MATRIX3_H_
