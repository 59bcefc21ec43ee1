#ifndef ZAR_IMPORT_HTR_HTR_AXES_H_
#define ZAR_IMPORT_HTR_HTR_AXES_H_

// The changes of axes between HTR segments and host bones, shared by the HTR importer and the
// HTR exporter (which applies them in the inverse direction).
//
// Host bones extend along their local X axis and the host's world has Z up; HTR segments extend
// along Y and the HTR world has Y up. With M(a, b, c) the matrix of the code-0 Euler angles
// (a, b, c) and `*` the operator of ZARRotationMatrix3 (right operand applied first):
//
//   BoneAxes              = M(0, 0, π/2) * M(π/2, 0, 0)            rows (0, 1, 0), (0, 0, 1), (1,
//   0, 0) WorldAxes.Transposed  = (M(0, −π/2, 0) * M(π, 0, 0)) * BoneAxes.Transposed
//                                                               rows (1, 0, 0), (0, 0, 1), (0, −1,
//                                                               0)
//
// Both are built from the Euler rotations, so their entries differ from 0 and ±1 by rounding.
//
// Mapping of a segment's pose (translation t as a row vector, rotation matrix MB) to its node:
//   root segment:  t·WorldAxes.Transposed = (x, −z, y)   (WorldAxes.Transposed * MB) * BoneAxes
//   other segment: t·BoneAxes.Transposed  = (y, z, x)    (BoneAxes.Transposed * MB) * BoneAxes
// and the inverse mapping back from a node's pose to the segment's.

#include <cstdint>
#include <numbers>

#include "math/zar_euler_order.h"
#include "math/zar_euler_rotation.h"
#include "math/zar_quaternion.h"
#include "math/zar_rotation_matrix3.h"
#include "math/zar_vector3.h"

namespace zar {

// The rotation matrix of the code-0 (static X Y Z) Euler angles (x, y, z), whatever the Euler
// rotations' default order is.
inline ZARRotationMatrix3<double> HTREulerMatrix(double x, double y, double z) {
  ZAREulerRotation<double> euler(x, y, z);
  euler.order.code = 0;
  ZARRotationMatrix3<double> m;
  m.SetFromEuler(euler);
  return m;
}

// From host bone axes (length along X) to HTR segment axes (length along Y).
inline const ZARRotationMatrix3<double>& BoneAxes() {
  static const ZARRotationMatrix3<double> axes = HTREulerMatrix(0.0, 0.0, std::numbers::pi / 2.0) *
                                                 HTREulerMatrix(std::numbers::pi / 2.0, 0.0, 0.0);
  return axes;
}

// The transpose of the change from HTR world axes (Y up) to host world axes (Z up).
inline const ZARRotationMatrix3<double>& WorldAxes() {
  static const ZARRotationMatrix3<double> axes =
      ((HTREulerMatrix(0.0, -std::numbers::pi / 2.0, 0.0) *
        HTREulerMatrix(std::numbers::pi, 0.0, 0.0)) *
       BoneAxes().Transposed())
          .Transposed();
  return axes;
}

// The row vector p·m.
inline ZARVector3<double> HTRRowTimes(const ZARVector3<double>& p,
                                      const ZARRotationMatrix3<double>& m) {
  ZARVector3<double> out(0.0, 0.0, 0.0);
  for (std::uint32_t c = 0; c < 3; ++c) {
    out[c] = p.X() * m[0][c] + p.Y() * m[1][c] + p.Z() * m[2][c];
  }
  return out;
}

// A segment's translation in its node's axes: root (x, −z, y), other segments (y, z, x).
inline ZARVector3<double> MapHTRTranslation(const ZARVector3<double>& t, bool root) {
  if (root) {
    static const ZARRotationMatrix3<double> world = WorldAxes().Transposed();
    return HTRRowTimes(t, world);
  }
  static const ZARRotationMatrix3<double> bone = BoneAxes().Transposed();
  return HTRRowTimes(t, bone);
}

// A segment's rotation matrix in its node's axes.
inline ZARRotationMatrix3<double> MapHTRRotation(const ZARRotationMatrix3<double>& mb, bool root) {
  if (root) {
    static const ZARRotationMatrix3<double> world = WorldAxes().Transposed();
    return (world * mb) * BoneAxes();
  }
  static const ZARRotationMatrix3<double> bone = BoneAxes().Transposed();
  return (bone * mb) * BoneAxes();
}

// The inverse of MapHTRTranslation: a node's translation in the segment's axes.
inline ZARVector3<double> UnmapHTRTranslation(const ZARVector3<double>& p, bool root) {
  return HTRRowTimes(p, root ? WorldAxes() : BoneAxes());
}

// The inverse of MapHTRRotation: a node's rotation matrix in the segment's axes.
inline ZARRotationMatrix3<double> UnmapHTRRotation(const ZARRotationMatrix3<double>& r, bool root) {
  static const ZARRotationMatrix3<double> bone = BoneAxes().Transposed();
  return ((root ? WorldAxes() : BoneAxes()) * r) * bone;
}

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_HTR_AXES_H_
