#ifndef ZAR_MATH_ZAR_VECTOR3_H_
#define ZAR_MATH_ZAR_VECTOR3_H_

#include <cstdint>

#include "zar_vector.h"

namespace zar {

// Three components x, y, z; index 0, 1, 2. Used for points (row vectors p, rotated as p·M),
// Euler angles and matrix rows. W() is always 0.
template <typename T>
class ZARVector3 final : public ZARVector<T> {
 public:
  ZARVector3() : x(T(0)), y(T(0)), z(T(0)) {}
  ZARVector3(T vx, T vy, T vz) : x(vx), y(vy), z(vz) {}
  ZARVector3(const ZARVector3&) = default;
  ZARVector3& operator=(const ZARVector3&) = default;
  ~ZARVector3() override = default;

  const T& operator[](std::uint32_t index) const override { return this->*kMembers[index]; }
  T& operator[](std::uint32_t index) override { return this->*kMembers[index]; }

  T X() const override { return x; }
  T Y() const override { return y; }
  T Z() const override { return z; }
  T W() const override { return T(0); }

  T x;
  T y;
  T z;

 private:
  static constexpr T ZARVector3::*kMembers[3] = {&ZARVector3::x, &ZARVector3::y, &ZARVector3::z};
};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_VECTOR3_H_
