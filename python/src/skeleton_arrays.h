#ifndef ZAR_PYTHON_SKELETON_ARRAYS_H_
#define ZAR_PYTHON_SKELETON_ARRAYS_H_

// A skeleton as the fields of zarfileio.Skeleton (NumPy arrays and plain values), and back.
//
// Rotations are unit quaternions (w, x, y, z). A joint's rotation q and translation t place a
// point p given in the joint's axes in its parent's axes: p_parent = t + q·p·q* (Hamilton
// product, p as the pure quaternion (0, p)); for a root the parent is the world. This is the
// row-vector rotation M of the exchange library (p·M) written as a quaternion.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "exchange/skeleton.h"

namespace zar::python {

// The fields of `skeleton`: joints, parents (int32, -1 for a root), base_translations (joints x
// 3), base_rotations (joints x 4), bone_lengths, local_translations (frames x joints x 3: the
// base translation plus the frame's), local_rotations (frames x joints x 4: the frame's turn
// followed by the base rotation), scales (frames x joints), rate, first_frame, units, up.
pybind11::dict SkeletonFields(const exchange::Skeleton& skeleton);

// The skeleton the fields describe; each frame's motion is what turns the base pose into the
// local pose. Throws std::invalid_argument for a parent that is not an earlier joint.
exchange::Skeleton SkeletonOf(const pybind11::dict& fields);

// Every joint's world position in every frame (frames x joints x 3), as the tool's convert
// writes a skeleton's CSV.
pybind11::array_t<double> WorldPositions(const exchange::Skeleton& skeleton);

}  // namespace zar::python

#endif  // ZAR_PYTHON_SKELETON_ARRAYS_H_
