#ifndef ZAR_MATH_ZAR_VECTOR_H_
#define ZAR_MATH_ZAR_VECTOR_H_

#include <cstdint>

namespace zar {

// Abstract base of the small fixed-size vectors. It holds no data; the derived vectors keep
// their components as named fields and expose them by position through these slots.
//
// Virtual slots, in order: destructor, const operator[], operator[], X(), Y(), Z(), W().
template <typename T>
class ZARVector {
 public:
  virtual ~ZARVector() = default;

  // Component `index` (0 = x, 1 = y, 2 = z, 3 = w). Unchecked: callers pass 0..2 for a
  // ZARVector3 and 0..3 for a ZARVector4.
  virtual const T& operator[](std::uint32_t index) const = 0;
  virtual T& operator[](std::uint32_t index) = 0;

  virtual T X() const = 0;
  virtual T Y() const = 0;
  virtual T Z() const = 0;
  virtual T W() const = 0;

 protected:
  ZARVector() = default;
  ZARVector(const ZARVector&) = default;
  ZARVector& operator=(const ZARVector&) = default;
};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_VECTOR_H_
