#ifndef ZAR_MATH_ZAR_TRANSFORM_H_
#define ZAR_MATH_ZAR_TRANSFORM_H_

namespace zar {

// Root of the rotation family: no data and no virtual operations.
template <typename T>
class ZARTransform {};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_TRANSFORM_H_
