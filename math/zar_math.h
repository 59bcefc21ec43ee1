#ifndef ZAR_MATH_ZAR_MATH_H_
#define ZAR_MATH_ZAR_MATH_H_

// The rotation math in one include. Conventions shared by every header:
//   - angles in radians; rotations right-handed (a positive turn about +X takes +Y toward +Z);
//   - points are row vectors rotated as p·M; row r of a matrix is the image of axis r;
//   - A * B applies B first, then A: p·(A * B) = (p·B)·A;
//   - Euler angles (x, y, z) are read in their rotation's order code (ZAREulerOrder); the
//     library itself uses code 0, static X Y Z: M = R_X(x)·R_Y(y)·R_Z(z), x applied first
//     (with the operator: Rz * Ry * Rx).

#include "zar_angle_axis.h"
#include "zar_euler_order.h"
#include "zar_euler_rotation.h"
#include "zar_quaternion.h"
#include "zar_rotation.h"
#include "zar_rotation_matrix3.h"
#include "zar_transform.h"
#include "zar_vector.h"
#include "zar_vector3.h"
#include "zar_vector4.h"

#endif  // ZAR_MATH_ZAR_MATH_H_
