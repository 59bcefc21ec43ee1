#ifndef ZAR_MATH_ZAR_ANGLE_AXIS_H_
#define ZAR_MATH_ZAR_ANGLE_AXIS_H_

#include "zar_vector3.h"

namespace zar {

// A turn by `angle` radians about `axis`, right-handed (counter-clockwise looking down the axis
// toward the origin). The axis need not be unit length.
template <typename T>
struct ZARAngleAxis {
  T angle;
  ZARVector3<T> axis;
};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_ANGLE_AXIS_H_
