#ifndef ZAR_MATH_ZAR_ROTATION_H_
#define ZAR_MATH_ZAR_ROTATION_H_

#include "zar_transform.h"

namespace zar {

// Polymorphic base of ZARQuaternion, ZAREulerRotation and ZARRotationMatrix3. No data; its only
// virtual operation is the destructor.
//
// Every rotation of the family is right-handed: a positive angle about +X turns +Y toward +Z.
template <typename T>
class ZARRotation : public ZARTransform<T> {
 public:
  ZARRotation() = default;
  ZARRotation(const ZARRotation&) = default;
  ZARRotation& operator=(const ZARRotation&) = default;
  virtual ~ZARRotation() = default;
};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_ROTATION_H_
