#ifndef ZAR_MATH_ZAR_VECTOR4_H_
#define ZAR_MATH_ZAR_VECTOR4_H_

#include <cstdint>

#include "zar_vector.h"

namespace zar {

// Four components x, y, z, w; index 0 to 3. Holds quaternions as (vector part, scalar part).
template <typename T>
class ZARVector4 : public ZARVector<T> {
 public:
  ZARVector4() : x(T(0)), y(T(0)), z(T(0)), w(T(0)) {}
  ZARVector4(T vx, T vy, T vz, T vw) : x(vx), y(vy), z(vz), w(vw) {}
  ZARVector4(const ZARVector4&) = default;
  ZARVector4& operator=(const ZARVector4&) = default;
  ~ZARVector4() override = default;

  const T& operator[](std::uint32_t index) const override { return this->*kMembers[index]; }
  T& operator[](std::uint32_t index) override { return this->*kMembers[index]; }

  T X() const override { return x; }
  T Y() const override { return y; }
  T Z() const override { return z; }
  T W() const override { return w; }

  T x;
  T y;
  T z;
  T w;

 private:
  static constexpr T ZARVector4::*kMembers[4] = {&ZARVector4::x, &ZARVector4::y, &ZARVector4::z,
                                                 &ZARVector4::w};
};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_VECTOR4_H_
