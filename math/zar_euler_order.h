#ifndef ZAR_MATH_ZAR_EULER_ORDER_H_
#define ZAR_MATH_ZAR_EULER_ORDER_H_

#include <cstdint>

namespace zar {

// The axes an order code stands for, decoded once by every conversion.
//   f: 0 = static (fixed) axes, 1 = rotating (moving) axes
//   s: 0 = three different axes, 1 = the first axis is used again as the third
//   n: parity, 0 = even, 1 = odd
//   i, j, k: first, second and remaining axis (0 = X, 1 = Y, 2 = Z); the third axis h is i when
//   s = 1 and k otherwise
struct ZAREulerAxes {
  std::uint32_t f;
  std::uint32_t s;
  std::uint32_t n;
  std::uint32_t i;
  std::uint32_t j;
  std::uint32_t k;
};

// The order in which the three angles (x, y, z) of a ZAREulerRotation are applied.
//
// code = f | s << 1 | n << 2 | selector << 3 (bits above 4 are ignored). With R_a(t) the
// right-handed rotation about axis a in row-vector form (p·R):
//   static   (f = 0): M = R_i(x)·R_j(y)·R_h(z)
//                     x about i, then y about the fixed j, then z about the fixed h;
//   rotating (f = 1): M = R_i(z)·R_j(y)·R_h(x)
//                     x about h, then y about the moved j, then z about the twice-moved i.
// Selector 3 names the same axes as selector 0, so codes 24..31 act as 0..7.
//
//   code order           code order           code order
//    0   static X Y Z      8  static Y Z X      16  static Z X Y
//    1   rotating Z Y X    9  rotating X Z Y    17  rotating Y X Z
//    2   static X Y X     10  static Y Z Y      18  static Z X Z
//    3   rotating X Y X   11  rotating Y Z Y    19  rotating Z X Z
//    4   static X Z Y     12  static Y X Z      20  static Z Y X
//    5   rotating Y Z X   13  rotating Z X Y    21  rotating X Y Z
//    6   static X Z X     14  static Y X Y      22  static Z Y Z
//    7   rotating X Z X   15  rotating Y X Y    23  rotating Z Y Z
//
// Virtual slots: the destructor only.
class ZAREulerOrder {
 public:
  constexpr explicit ZAREulerOrder(std::int32_t orderCode) : code(orderCode) {}
  constexpr ZAREulerOrder(const ZAREulerOrder&) = default;
  constexpr ZAREulerOrder& operator=(const ZAREulerOrder&) = default;
  virtual ~ZAREulerOrder() = default;

  // Stores `orderCode` and returns a copy of the order (not a reference).
  ZAREulerOrder operator=(std::int32_t orderCode) {
    code = orderCode;
    return *this;
  }

  // Splits the code into its fields and axis indices.
  constexpr ZAREulerAxes Axes() const {
    constexpr std::uint32_t kFirstAxis[4] = {0, 1, 2, 0};
    constexpr std::uint32_t kNextAxis[4] = {1, 2, 0, 1};
    const auto bits = static_cast<std::uint32_t>(code);
    ZAREulerAxes a{};
    a.f = bits & 1U;
    a.s = (bits >> 1) & 1U;
    a.n = (bits >> 2) & 1U;
    a.i = kFirstAxis[(bits >> 3) & 3U];
    a.j = kNextAxis[a.i + a.n];
    a.k = kNextAxis[a.i + 1U - a.n];
    return a;
  }

  std::int32_t code;
};

// The axes of code 0 (static X Y Z), the order of every motion file, for conversions that decode
// it at compile time.
inline constexpr ZAREulerAxes kStaticXYZAxes{0U, 0U, 0U, 0U, 1U, 2U};

}  // namespace zar

#endif  // ZAR_MATH_ZAR_EULER_ORDER_H_
