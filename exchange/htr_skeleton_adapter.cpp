#include "exchange/htr_skeleton_adapter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zar::exchange {

namespace {

void AddSubtree(const HTRSegment& segment, std::int32_t parent, Skeleton& skeleton,
                std::vector<const HTRSegment*>& order) {
  SkeletonJoint joint;
  joint.name = segment.Name();
  joint.parent = parent;
  joint.base_translation = segment.BaseTranslation();
  const HTRSegment::EulerRotation& base = segment.BaseRotation();
  joint.base_rotation = RotationFromAngles(base.X(), base.Y(), base.Z());
  joint.bone_length = segment.BoneLength();
  const auto index = static_cast<std::int32_t>(skeleton.joints.size());
  skeleton.joints.push_back(std::move(joint));
  order.push_back(&segment);
  for (std::int32_t c = 0; c < segment.NumChildren(); ++c) {
    AddSubtree(*segment.Child(c), index, skeleton, order);
  }
}

}  // namespace

Skeleton FromHTR(const HTRFile& model) {
  Skeleton skeleton;
  skeleton.rate = model.DataFrameRate();
  skeleton.units = model.CalibrationUnits();
  skeleton.up = model.GlobalAxisofGravity();
  skeleton.first_frame = model.StartFrame();
  std::vector<const HTRSegment*> order;
  std::int64_t frames = std::max<std::int32_t>(model.NumFrames(), 0);
  for (std::int32_t s = 0; s < model.NumSegments(); ++s) {
    const HTRSegment& segment = *model.Segment(s);
    frames = std::min<std::int64_t>(frames, segment.NumStoredFrames());
    if (segment.Parent() == nullptr) AddSubtree(segment, -1, skeleton, order);
  }
  skeleton.SetFrames(frames);
  // The model keeps each segment's frames together, the skeleton each frame's joints: copied a
  // block of frames at a time, so that the block being filled stays in the cache.
  constexpr std::int64_t kBlock = 128;
  for (std::int64_t from = 0; from < frames; from += kBlock) {
    const std::int64_t to = std::min(frames, from + kBlock);
    for (std::size_t j = 0; j < order.size(); ++j) {
      const std::vector<HTRFrame>& held = order[j]->Frames();
      for (std::int64_t k = from; k < to; ++k) {
        const HTRFrame& f = held[static_cast<std::size_t>(k)];
        skeleton.At(k, j) = JointMotion{Vector3(f.tx, f.ty, f.tz), f.rx, f.ry, f.rz, f.scale};
      }
    }
  }
  return skeleton;
}

void ToHTR(const Skeleton& skeleton, HTRFile& model) {
  model.SetCalibrationUnits(skeleton.units);
  model.SetDataFrameRate(static_cast<std::int32_t>(std::lround(skeleton.rate)));
  model.SetStartFrame(static_cast<std::int32_t>(skeleton.first_frame));
  model.SetNumFrames(static_cast<std::int32_t>(skeleton.NumFrames()));
  std::vector<HTRSegment*> added(skeleton.NumJoints(), nullptr);
  for (std::size_t j = 0; j < skeleton.NumJoints(); ++j) {
    const SkeletonJoint& joint = skeleton.joints[j];
    HTRSegment segment(joint.name);
    segment.SetRoot(joint.parent < 0);
    segment.SetBaseTranslation(joint.base_translation);
    const Vector3 angles = AnglesFromRotation(joint.base_rotation);
    segment.SetBaseRotation(angles.x, angles.y, angles.z);
    segment.SetBoneLength(joint.bone_length);
    segment.ReserveFrames(skeleton.NumFrames());
    for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
      const JointMotion& m = skeleton.At(k, j);
      segment.AppendFrame(m.translation.x, m.translation.y, m.translation.z, m.rx, m.ry, m.rz,
                          m.scale);
    }
    added[j] = model.AddSegment(segment);
    if (added[j] != nullptr && joint.parent >= 0) {
      added[j]->SetParent(added[static_cast<std::size_t>(joint.parent)]);
    }
  }
}

}  // namespace zar::exchange
