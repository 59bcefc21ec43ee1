#include "skeleton_arrays.h"

#include <pybind11/stl.h>

#include <stdexcept>

#include "exchange/skeleton_formats.h"
#include "math/zar_quaternion.h"

namespace zar::python {

namespace py = pybind11;

namespace {

using exchange::Rotation;
using exchange::Vector3;
using Quaternion = ZARQuaternion<double>;

// (w, x, y, z) of `m` into `out`.
void PutQuaternion(const Rotation& m, double* out) {
  Quaternion q;
  q.SetFromMatrix(m);
  out[0] = q.W();
  out[1] = q.X();
  out[2] = q.Y();
  out[3] = q.Z();
}

// The rotation of the unit quaternion (w, x, y, z) at `q` (normalised first), in the row-vector
// convention: p·M = q·p·q*.
Rotation RotationOfQuaternion(const double* q) {
  const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (!(n > 0.0) || !std::isfinite(n))
    throw std::invalid_argument("a rotation is not a quaternion");
  const double w = q[0] / n;
  const double x = q[1] / n;
  const double y = q[2] / n;
  const double z = q[3] / n;
  return Rotation(Vector3(1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)),
                  Vector3(2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)),
                  Vector3(2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)));
}

Rotation Transposed(Rotation m) {
  m.Transpose();
  return m;
}

template <typename T>
using Array = py::array_t<T, py::array::c_style | py::array::forcecast>;

}  // namespace

py::dict SkeletonFields(const exchange::Skeleton& skeleton) {
  const auto joints = static_cast<py::ssize_t>(skeleton.NumJoints());
  const auto frames = static_cast<py::ssize_t>(skeleton.NumFrames());
  py::list names;
  py::array_t<std::int32_t> parents(joints);
  py::array_t<double> base_translations({joints, py::ssize_t{3}});
  py::array_t<double> base_rotations({joints, py::ssize_t{4}});
  py::array_t<double> bone_lengths(joints);
  for (py::ssize_t j = 0; j < joints; ++j) {
    const exchange::SkeletonJoint& joint = skeleton.joints[static_cast<std::size_t>(j)];
    names.append(joint.name);
    parents.mutable_at(j) = joint.parent;
    double* t = base_translations.mutable_data(j);
    t[0] = joint.base_translation.x;
    t[1] = joint.base_translation.y;
    t[2] = joint.base_translation.z;
    PutQuaternion(joint.base_rotation, base_rotations.mutable_data(j));
    bone_lengths.mutable_at(j) = joint.bone_length;
  }
  py::array_t<double> translations({frames, joints, py::ssize_t{3}});
  py::array_t<double> rotations({frames, joints, py::ssize_t{4}});
  py::array_t<double> scales({frames, joints});
  double* t = translations.mutable_data();
  double* q = rotations.mutable_data();
  double* s = scales.mutable_data();
  for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
    for (std::size_t j = 0; j < skeleton.NumJoints(); ++j, t += 3, q += 4, ++s) {
      const exchange::Pose pose = exchange::LocalPose(skeleton, k, j);
      t[0] = pose.translation.x;
      t[1] = pose.translation.y;
      t[2] = pose.translation.z;
      PutQuaternion(pose.rotation, q);
      *s = skeleton.At(k, j).scale;
    }
  }
  py::dict fields;
  fields["joints"] = names;
  fields["parents"] = parents;
  fields["base_translations"] = base_translations;
  fields["base_rotations"] = base_rotations;
  fields["bone_lengths"] = bone_lengths;
  fields["local_translations"] = translations;
  fields["local_rotations"] = rotations;
  fields["scales"] = scales;
  fields["rate"] = skeleton.rate;
  fields["first_frame"] = skeleton.first_frame;
  fields["units"] = std::string(LengthUnitText(skeleton.units));
  fields["up"] = skeleton.up == Axis::kZ ? "z" : "y";
  return fields;
}

exchange::Skeleton SkeletonOf(const py::dict& fields) {
  exchange::Skeleton skeleton;
  const auto names = fields["joints"].cast<std::vector<std::string>>();
  const auto parents = fields["parents"].cast<Array<std::int32_t>>();
  const auto base_translations = fields["base_translations"].cast<Array<double>>();
  const auto base_rotations = fields["base_rotations"].cast<Array<double>>();
  const auto bone_lengths = fields["bone_lengths"].cast<Array<double>>();
  for (std::size_t j = 0; j < names.size(); ++j) {
    const auto i = static_cast<py::ssize_t>(j);
    exchange::SkeletonJoint joint;
    joint.name = names[j];
    joint.parent = parents.at(i);
    if (joint.parent >= static_cast<std::int32_t>(j) || joint.parent < -1) {
      throw std::invalid_argument("the parent of joint " + std::to_string(j) + " (" + names[j] +
                                  ") is not an earlier joint or -1");
    }
    const double* t = base_translations.data(i);
    joint.base_translation = Vector3(t[0], t[1], t[2]);
    joint.base_rotation = RotationOfQuaternion(base_rotations.data(i));
    joint.bone_length = bone_lengths.at(i);
    skeleton.joints.push_back(std::move(joint));
  }
  skeleton.rate = fields["rate"].cast<double>();
  skeleton.first_frame = fields["first_frame"].cast<std::int64_t>();
  skeleton.units = LengthUnitFromText(fields["units"].cast<std::string>());
  skeleton.up = AxisFromText(fields["up"].cast<std::string>());
  const auto translations = fields["local_translations"].cast<Array<double>>();
  const auto rotations = fields["local_rotations"].cast<Array<double>>();
  const auto scales = fields["scales"].cast<Array<double>>();
  skeleton.SetFrames(translations.shape(0));
  const double* t = translations.data();
  const double* q = rotations.data();
  const double* s = scales.data();
  for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
    for (std::size_t j = 0; j < skeleton.NumJoints(); ++j, t += 3, q += 4, ++s) {
      const exchange::SkeletonJoint& joint = skeleton.joints[j];
      exchange::JointMotion& motion = skeleton.At(k, j);
      motion.translation =
          exchange::Displacement(t[0] - joint.base_translation.x, t[1] - joint.base_translation.y,
                                 t[2] - joint.base_translation.z);
      // The local rotation is the frame's turn followed by the base rotation (LocalPose).
      const Vector3 angles = exchange::AnglesFromRotation(
          exchange::Then(RotationOfQuaternion(q), Transposed(joint.base_rotation)));
      motion.rx = angles.x;
      motion.ry = angles.y;
      motion.rz = angles.z;
      motion.scale = *s;
    }
  }
  return skeleton;
}

py::array_t<double> WorldPositions(const exchange::Skeleton& skeleton) {
  const exchange::MarkerSet joints = exchange::JointPositions(skeleton);
  const auto frames = static_cast<py::ssize_t>(joints.NumFrames());
  const auto count = static_cast<py::ssize_t>(joints.NumMarkers());
  py::array_t<double> positions({frames, count, py::ssize_t{3}});
  double* out = positions.mutable_data();
  for (std::int64_t k = 0; k < joints.NumFrames(); ++k) {
    const exchange::MarkerSample* sample = joints.Frame(k);
    for (py::ssize_t j = 0; j < count; ++j, ++sample, out += 3) {
      out[0] = sample->x;
      out[1] = sample->y;
      out[2] = sample->z;
    }
  }
  return positions;
}

}  // namespace zar::python
