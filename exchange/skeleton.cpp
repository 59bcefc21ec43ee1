#include "exchange/skeleton.h"

#include <algorithm>
#include <cmath>

namespace zar::exchange {

void Skeleton::SetFrames(std::int64_t frames) {
  frames_ = std::max<std::int64_t>(frames, 0);
  motion_.assign(static_cast<std::size_t>(frames_) * joints.size(), JointMotion{});
}

void Skeleton::ResizeFrames(std::int64_t frames) {
  frames_ = std::max<std::int64_t>(frames, 0);
  motion_.resize(static_cast<std::size_t>(frames_) * joints.size());
}

void Skeleton::ReserveFrames(std::int64_t frames) {
  if (frames > 0) motion_.reserve(static_cast<std::size_t>(frames) * joints.size());
}

void Skeleton::KeepFrames(std::int64_t from, std::int64_t count) {
  from = std::clamp<std::int64_t>(from, 0, frames_);
  count = std::clamp<std::int64_t>(count, 0, frames_ - from);
  const auto begin = motion_.begin() + static_cast<std::ptrdiff_t>(Offset(from));
  motion_.erase(begin + static_cast<std::ptrdiff_t>(Offset(count)), motion_.end());
  motion_.erase(motion_.begin(), begin);
  motion_.shrink_to_fit();
  frames_ = count;
  first_frame += from;
}

void Skeleton::ScaleLengths(double factor) {
  const auto scale = [factor](auto& v) {
    v.x *= factor;
    v.y *= factor;
    v.z *= factor;
  };
  for (SkeletonJoint& joint : joints) {
    scale(joint.base_translation);
    joint.bone_length *= factor;
  }
  for (JointMotion& motion : motion_) scale(motion.translation);
}

void WorldPoses(const Skeleton& skeleton, std::int64_t k, std::vector<Pose>& world) {
  world.resize(skeleton.NumJoints());
  for (std::size_t i = 0; i < skeleton.NumJoints(); ++i) {
    Pose pose = LocalPose(skeleton, k, i);
    if (const std::int32_t parent = skeleton.joints[i].parent; parent >= 0) {
      const Pose& above = world[static_cast<std::size_t>(parent)];
      const Vector3 moved = Turned(pose.translation, above.rotation);
      pose.translation = Vector3(moved.x + above.translation.x, moved.y + above.translation.y,
                                 moved.z + above.translation.z);
      pose.rotation = Then(pose.rotation, above.rotation);
    }
    world[i] = pose;
  }
}

std::vector<std::string> ScaledJoints(const Skeleton& skeleton) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < skeleton.NumJoints(); ++i) {
    for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
      if (skeleton.At(k, i).scale != 1.0) {
        names.push_back(skeleton.joints[i].name);
        break;
      }
    }
  }
  return names;
}

}  // namespace zar::exchange
