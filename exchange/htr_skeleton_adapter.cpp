#include "exchange/htr_skeleton_adapter.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

#include "exchange/threaded_line_parsing.h"
#include "exchange/work_progress.h"

namespace zar::exchange {

namespace {

// Adds `top` and every segment under it to the skeleton, depth first with children in order,
// parents before their children.
void AddSubtree(const HTRSegment& top, Skeleton& skeleton, std::vector<const HTRSegment*>& order) {
  std::vector<std::pair<const HTRSegment*, std::int32_t>> pending{{&top, -1}};
  while (!pending.empty()) {
    const auto [segment, parent] = pending.back();
    pending.pop_back();
    SkeletonJoint joint;
    joint.name = segment->Name();
    joint.parent = parent;
    joint.base_translation = segment->BaseTranslation();
    const HTRSegment::EulerRotation& base = segment->BaseRotation();
    joint.base_rotation = RotationFromAngles(base.X(), base.Y(), base.Z());
    joint.bone_length = segment->BoneLength();
    const auto index = static_cast<std::int32_t>(skeleton.joints.size());
    skeleton.joints.push_back(std::move(joint));
    order.push_back(segment);
    for (std::int32_t c = segment->NumChildren(); c-- > 0;) {
      pending.emplace_back(segment->Child(c), index);
    }
  }
}

// The header values and the joints of `model` (replacing those `skeleton` had), parents first;
// returns the segment of each joint.
std::vector<const HTRSegment*> TakeHeaderAndJoints(const HTRFile& model, Skeleton& skeleton) {
  skeleton.rate = model.DataFrameRate();
  skeleton.units = model.CalibrationUnits();
  skeleton.up = model.GlobalAxisofGravity();
  skeleton.first_frame = model.StartFrame();
  skeleton.joints.clear();
  std::vector<const HTRSegment*> order;
  for (std::int32_t s = 0; s < model.NumSegments(); ++s) {
    const HTRSegment& segment = *model.Segment(s);
    if (segment.Parent() == nullptr) AddSubtree(segment, skeleton, order);
  }
  return order;
}

JointMotion Motion(const HTRFrame& f) {
  return JointMotion{Displacement(f.tx, f.ty, f.tz), f.rx, f.ry, f.rz, f.scale};
}

// Each frame line goes straight to its place in the skeleton, which holds the segments in file
// order until Finish puts them parents first. The lines' numbers are read on two threads.
class SkeletonFiller : public HTRFrameSink {
 public:
  static constexpr std::int64_t kAhead = 8;
  static constexpr std::int64_t kRun = 256;

  explicit SkeletonFiller(Skeleton& skeleton) : skeleton_(skeleton) {}

  void Begin(const HTRFile& model, std::int64_t frames) override {
    begun_ = true;
    segments_ = model.NumSegments();
    limit_ = std::max<std::int32_t>(model.NumFrames(), 0);
    held_.assign(static_cast<std::size_t>(segments_), 0);
    skeleton_.joints.assign(static_cast<std::size_t>(segments_), SkeletonJoint());
    // The frames are added as the first segment's lines come, so that their memory is first
    // touched while the lines are read.
    skeleton_.SetFrames(0);
    skeleton_.ReserveFrames(std::min(frames, limit_));
  }

  void Frame(std::int32_t segment, std::int64_t k, const HTRFrame& frame) override {
    if (segment >= segments_) {
      unforeseen_ = true;
      return;
    }
    // Frames past the declared count are never kept.
    if (k >= limit_) return;
    if (k >= skeleton_.NumFrames()) {
      // A run of frames at a time within the room made, else twice as many.
      const std::int64_t room = skeleton_.ReservedFrames();
      const std::int64_t more = k < room
                                    ? std::min(room, std::max(k + 1, skeleton_.NumFrames() + kRun))
                                    : std::max(k + 1, 2 * skeleton_.NumFrames());
      skeleton_.ResizeFrames(std::min(limit_, more));
    }
    skeleton_.At(k, static_cast<std::size_t>(segment)) = Motion(frame);
    held_[static_cast<std::size_t>(segment)] = k + 1;
    if (++given_ % 1024 == 0) ReportProgress("reading", given_, segments_ * limit_);
    // The segment's next frames lie a frame's joints apart: asked for ahead of their lines.
    if (k + kAhead < skeleton_.NumFrames()) {
      __builtin_prefetch(&skeleton_.At(k + kAhead, static_cast<std::size_t>(segment)), 1);
    }
  }

  LineParsing* Parsing() override { return &parsing_; }

  // Completes the skeleton from the model read; false when the file changed its segments or
  // declared frames after the first frame section, which the frames read were not laid out for.
  bool Finish(const HTRFile& model) {
    if (!begun_) {
      // No frame section: the model holds all there is.
      skeleton_ = FromHTR(model);
      return true;
    }
    if (unforeseen_ || model.NumSegments() != segments_ ||
        std::max<std::int32_t>(model.NumFrames(), 0) != limit_) {
      return false;
    }
    if (segments_ == 0) {
      skeleton_ = FromHTR(model);
      return true;
    }
    std::vector<std::size_t> segment_of;
    {
      std::unordered_map<const HTRSegment*, std::size_t> index;
      for (std::int32_t s = 0; s < segments_; ++s) {
        index.emplace(model.Segment(s), static_cast<std::size_t>(s));
      }
      std::vector<SkeletonJoint> placeholders = std::move(skeleton_.joints);
      for (const HTRSegment* segment : TakeHeaderAndJoints(model, skeleton_)) {
        segment_of.push_back(index.at(segment));
      }
      if (skeleton_.joints.size() != placeholders.size()) return false;
    }
    const std::int64_t frames =
        std::min(skeleton_.NumFrames(), *std::min_element(held_.begin(), held_.end()));
    skeleton_.ResizeFrames(frames);
    bool in_order = true;
    for (std::size_t j = 0; j < segment_of.size(); ++j) in_order = in_order && segment_of[j] == j;
    if (in_order) return true;
    std::vector<JointMotion> moved(segment_of.size());
    for (std::int64_t k = 0; k < frames; ++k) {
      for (std::size_t j = 0; j < segment_of.size(); ++j) moved[j] = skeleton_.At(k, segment_of[j]);
      for (std::size_t j = 0; j < segment_of.size(); ++j) skeleton_.At(k, j) = moved[j];
    }
    return true;
  }

 private:
  Skeleton& skeleton_;
  bool begun_ = false;
  bool unforeseen_ = false;
  std::int32_t segments_ = 0;
  std::int64_t limit_ = 0;          // the declared frames
  std::vector<std::int64_t> held_;  // the frames read of each segment, up to the limit
  std::int64_t given_ = 0;          // the frames kept
  ThreadedLineParsing parsing_;
};

}  // namespace

Skeleton FromHTR(const HTRFile& model) {
  Skeleton skeleton;
  const std::vector<const HTRSegment*> order = TakeHeaderAndJoints(model, skeleton);
  std::int64_t frames = std::max<std::int32_t>(model.NumFrames(), 0);
  for (std::int32_t s = 0; s < model.NumSegments(); ++s) {
    frames = std::min<std::int64_t>(frames, model.Segment(s)->NumStoredFrames());
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
        skeleton.At(k, j) = Motion(held[static_cast<std::size_t>(k)]);
      }
    }
  }
  return skeleton;
}

FileOutcome ReadHTR(const std::string& path, Skeleton& skeleton) {
  skeleton = Skeleton();
  HTRFile model;
  SkeletonFiller filler(skeleton);
  FileOutcome outcome = ReadOutcome(model.Read(path, filler), model);
  ReportProgress("reading", 1, 1);
  if (!outcome.Ok()) return outcome;
  if (!filler.Finish(model)) {
    // A file laid out unlike any writer lays it out: read again through the whole model.
    outcome = ReadOutcome(model.Read(path, true), model);
    if (!outcome.Ok()) return outcome;
    skeleton = FromHTR(model);
  }
  FileContents contents = model.Contents();
  contents.frames = skeleton.NumFrames();
  if (std::string nothing = NothingToConvert(contents); !nothing.empty()) {
    skeleton = Skeleton();
    return FileOutcome::BadFormat(std::move(nothing));
  }
  if (contents.declared > contents.frames) skeleton.declared_frames = contents.declared;
  return outcome;
}

FileOutcome WriteHTRFile(const HTRFile& model, const std::string& path) {
  int error = 0;
  std::string message = model.Write(path, error);
  return WriteOutcome(std::move(message), error);
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
