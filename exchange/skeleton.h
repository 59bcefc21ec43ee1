#ifndef ZAR_EXCHANGE_SKELETON_H_
#define ZAR_EXCHANGE_SKELETON_H_

// The skeletal animation every skeleton format meets in: joints in a hierarchy with names, a base
// pose, per-frame motion relative to that pose, the exact frame rate, the up axis and the length
// unit. Rotations use row vectors (p·M): a joint's rotation turns its own axes into its
// parent's.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "filelib/motion_units.h"
#include "math/zar_rotation_matrix3.h"
#include "math/zar_vector3.h"

namespace zar::exchange {

using Vector3 = ZARVector3<double>;
using Rotation = ZARRotationMatrix3<double>;

struct SkeletonJoint {
  std::string name;
  std::int32_t parent = -1;  // index of an earlier joint; -1 for a root
  Vector3 base_translation;  // from the parent's origin, in the parent's axes
  Rotation base_rotation;
  double bone_length = 0.0;  // along the joint's own Y axis
};

// A motion's translation as three plain numbers: the motions of every joint in every frame are the
// bulk of a skeleton, and a Vector3 carries a table pointer beside its numbers. Converts to and
// from Vector3.
struct Displacement {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  Displacement() = default;
  Displacement(double dx, double dy, double dz) : x(dx), y(dy), z(dz) {}
  Displacement(const Vector3& v) : x(v.x), y(v.y), z(v.z) {}
  operator Vector3() const { return Vector3(x, y, z); }
};

// One joint's motion in one frame, relative to its base pose.
struct JointMotion {
  Displacement translation;  // added to the base translation
  double rx = 0.0;  // radians: a turn about X, then Y, then Z (static axes), applied before
  double ry = 0.0;  // the base rotation
  double rz = 0.0;
  double scale = 1.0;  // stretches the bone drawn from the joint; moves no child
};

// A joint's place relative to its parent, or in the world.
struct Pose {
  Vector3 translation;
  Rotation rotation;
};

// Joints are stored parents first. Motion is stored frame by frame: frame k holds joints.size()
// consecutive motions. Fill `joints` first, then SetFrames.
class Skeleton {
 public:
  std::vector<SkeletonJoint> joints;
  double rate = 60.0;  // frames per second, exactly as the source gives it
  LengthUnit units = LengthUnit::kMillimetres;
  Axis up = Axis::kY;
  std::int64_t first_frame = 1;  // the number of frame 0
  // The frames the source's header declares, where a reader found fewer; below 0 otherwise.
  std::int64_t declared_frames = -1;

  std::size_t NumJoints() const { return joints.size(); }
  std::int64_t NumFrames() const { return frames_; }

  // Makes room for `frames` frames of every joint, all at the base pose.
  void SetFrames(std::int64_t frames);
  // Keeps the first `frames` frames (fewer when there are fewer); frames added are at the base
  // pose. The room held is not given back.
  void ResizeFrames(std::int64_t frames);
  // Room for `frames` frames in all, so that ResizeFrames up to that many moves nothing; the
  // memory is only touched as the frames are added.
  void ReserveFrames(std::int64_t frames);
  std::int64_t ReservedFrames() const {
    return joints.empty() ? 0 : static_cast<std::int64_t>(motion_.capacity() / joints.size());
  }
  JointMotion& At(std::int64_t k, std::size_t joint) { return motion_[Offset(k) + joint]; }
  const JointMotion& At(std::int64_t k, std::size_t joint) const {
    return motion_[Offset(k) + joint];
  }

  // Keeps `count` frames from frame index `from`; the first frame number moves with them.
  void KeepFrames(std::int64_t from, std::int64_t count);
  // Every length (base translations, bone lengths, motion translations) times `factor`.
  void ScaleLengths(double factor);

 private:
  std::size_t Offset(std::int64_t k) const { return static_cast<std::size_t>(k) * joints.size(); }

  std::int64_t frames_ = 0;
  std::vector<JointMotion> motion_;
};

// The joint math below is inline: the writers run it for every joint of every frame.

// p·M and the row-vector composition "a, then b".
inline Vector3 Turned(const Vector3& p, const Rotation& m) {
  return Vector3(p.x * m[0].x + p.y * m[1].x + p.z * m[2].x,
                 p.x * m[0].y + p.y * m[1].y + p.z * m[2].y,
                 p.x * m[0].z + p.y * m[1].z + p.z * m[2].z);
}

inline Rotation Then(const Rotation& a, const Rotation& b) {
  return Rotation(Turned(a[0], b), Turned(a[1], b), Turned(a[2], b));
}

// Static X Y Z angles (radians) as a rotation: the turn about X, then Y, then Z.
inline Rotation RotationFromAngles(double rx, double ry, double rz) {
  const double cx = std::cos(rx);
  const double sx = std::sin(rx);
  const double cy = std::cos(ry);
  const double sy = std::sin(ry);
  const double cz = std::cos(rz);
  const double sz = std::sin(rz);
  return Rotation(Vector3(cy * cz, cy * sz, -sy),
                  Vector3(sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy),
                  Vector3(cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy));
}

// The static X Y Z angles (radians) of `m`, y within [-pi/2, pi/2]; where the turn about Y is a
// quarter turn, z is 0 and x takes the whole remaining turn.
inline Vector3 AnglesFromRotation(const Rotation& m) {
  const double cy = std::hypot(m[0].x, m[0].y);
  const double ry = std::atan2(-m[0].z, cy);
  if (cy > 1e-12) return Vector3(std::atan2(m[1].z, m[2].z), ry, std::atan2(m[0].y, m[0].x));
  return Vector3(std::atan2(-m[2].y, m[1].y), ry, 0.0);
}

// The one place the motion composes with the base pose: translation = base + frame, rotation =
// the frame's turn followed by the base rotation.
inline Pose LocalPose(const Skeleton& skeleton, std::int64_t k, std::size_t joint) {
  const SkeletonJoint& j = skeleton.joints[joint];
  const JointMotion& motion = skeleton.At(k, joint);
  Pose pose;
  pose.translation = Vector3(j.base_translation.x + motion.translation.x,
                             j.base_translation.y + motion.translation.y,
                             j.base_translation.z + motion.translation.z);
  pose.rotation = Then(RotationFromAngles(motion.rx, motion.ry, motion.rz), j.base_rotation);
  return pose;
}

// Every joint's pose in the world at frame k (a child's pose followed by its parent's world
// pose), in joint order, into `world` (resized).
void WorldPoses(const Skeleton& skeleton, std::int64_t k, std::vector<Pose>& world);

// The names of the joints whose scale factor is not 1 in some frame.
std::vector<std::string> ScaledJoints(const Skeleton& skeleton);

}  // namespace zar::exchange

#endif  // ZAR_EXCHANGE_SKELETON_H_
