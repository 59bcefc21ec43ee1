#include "export_htr/htr_hierarchy_walk.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "export_htr/htr_export_messages.h"
#include "import_htr/htr_axes.h"
#include "import_htr/htr_skeleton.h"
#include "math/zar_euler_rotation.h"
#include "plugin_description/plugin_texts.h"
#include "plugin_services/message_reporter.h"

namespace zar {

namespace {

// The bone's length parameter (block 0, identifier 3) at time 0; 0 when the node has none.
float BoneLengthParameter(modra::SceneNode* node) {
  modra::SceneObject* object = node->NodeObject();
  modra::ParamBlock* block = object != nullptr ? object->ParameterBlock(0) : nullptr;
  float length = 0.0f;
  if (block == nullptr) return length;
  modra::Interval valid = modra::Interval::Forever();
  if (!block->FloatParameter(modra::kBoneLength, 0, length, valid, 0)) return 0.0f;
  return length;
}

ZAREulerRotation<double> AnglesOf(const ZARRotationMatrix3<double>& m) {
  ZAREulerRotation<double> angles;
  angles.SetFromMatrix(m);
  return angles;
}

ZARVector3<double> Times(const ZARVector3<double>& v, double factor) {
  return ZARVector3<double>(v.X() * factor, v.Y() * factor, v.Z() * factor);
}

}  // namespace

bool IsExportBone(modra::SceneNode* node) {
  if (node == nullptr) return false;
  modra::SceneObject* object = node->NodeObject();
  return object != nullptr && object->ClassIdentifier() == modra::kBoneObjectClassId;
}

HTRHierarchyWalk::HTRHierarchyWalk(modra::HostInterface& host, HTRFile& model,
                                   const HTRExportChoices& choices)
    : host_(host), model_(model), choices_(choices) {}

HTRHierarchyWalk::Pose HTRHierarchyWalk::PoseAt(modra::SceneNode* node, bool root,
                                                modra::TickTime time,
                                                const modra::Matrix3* parentWorld,
                                                bool withParentScale,
                                                const modra::Matrix3* parentInverse) const {
  Pose pose;
  pose.nodeWorld = node->NodeTransform(time);
  if (parentWorld != nullptr) {
    pose.parentWorld = *parentWorld;
  } else if (modra::SceneNode* parentNode = node->ParentNode(); parentNode != nullptr) {
    pose.parentWorld = parentNode->NodeTransform(time);
  }

  // With parent transforms the root's motion is its world transform: everything its scene
  // parents do, their scale included, is in it already.
  const bool world = root && choices_.parentTransforms;
  const modra::Matrix3 local =
      world ? pose.nodeWorld
            : pose.nodeWorld *
                  (parentInverse != nullptr ? *parentInverse : modra::Inverse(pose.parentWorld));
  modra::Point3 scale;
  modra::DecomposeMatrix(local, pose.translation, pose.rotation, scale);
  pose.scale = scale.x;
  if (world) {
    pose.parentScale = 1.0f;
  } else if (withParentScale) {
    modra::Point3 parentTranslation;
    modra::Quat parentRotation;
    modra::Point3 parentScale;
    modra::DecomposeMatrix(pose.parentWorld, parentTranslation, parentRotation, parentScale);
    pose.parentScale = parentScale.x;
  }
  return pose;
}

ZARVector3<double> HTRHierarchyWalk::HTRTranslation(const modra::Point3& translation, bool root) {
  return UnmapHTRTranslation(ZARVector3<double>(translation.x, translation.y, translation.z), root);
}

ZARRotationMatrix3<double> HTRHierarchyWalk::HTRRotation(const modra::Quat& rotation, bool root) {
  float angles[3] = {0.0f, 0.0f, 0.0f};
  modra::QuatToEuler(rotation, angles);
  ZARRotationMatrix3<double> hostRotation;
  hostRotation.SetFromEuler(ZAREulerRotation<double>(angles[0], angles[1], angles[2]));
  return UnmapHTRRotation(hostRotation, root);
}

bool HTRHierarchyWalk::SavedBasePosition(modra::SceneNode* node, HTRSegment& segment) const {
  constexpr auto& keys = description::kHTRBaseProperties;
  float values[keys.size()] = {};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!node->UserFloatProperty(keys[i], values[i])) return false;
  }
  segment.SetBaseTranslation(values[0], values[1], values[2]);
  segment.SetBaseRotation(values[3], values[4], values[5]);
  segment.SetBoneLength(values[6]);
  // A bone without length gives no usable ratio; the writer then leaves its factors as they are.
  segment.SetReferenceLength(static_cast<double>(values[6]) /
                             static_cast<double>(BoneLengthParameter(node)));
  model_.SetNormaliseScaleFactors(true);
  return true;
}

void HTRHierarchyWalk::CurrentBasePosition(modra::SceneNode* node, HTRSegment& segment) const {
  const modra::TickTime now = host_.CurrentTime();
  const bool root = segment.IsRoot();
  const Pose pose = PoseAt(node, root, now, nullptr, true);

  modra::SceneNode* parentNode = node->ParentNode();
  const bool nodeOffset = !(pose.nodeWorld == node->ObjectTransform(now));
  const bool parentOffset =
      parentNode != nullptr && !(pose.parentWorld == parentNode->ObjectTransform(now));
  if (nodeOffset || parentOffset) {
    const std::string warning = std::string(htr_export::kObjectOffsetBefore) + node->NodeName() +
                                htr_export::kObjectOffsetAfter;
    message_reporter.Report(warning.c_str(), htr_export::kErrorCaption);
  }

  segment.SetBaseTranslation(Times(HTRTranslation(pose.translation, root), pose.parentScale));
  segment.SetBaseRotation(AnglesOf(HTRRotation(pose.rotation, root)));
  const float scale = pose.scale * pose.parentScale;
  segment.SetBoneLength(scale * BoneLengthParameter(node));
  segment.SetReferenceLength(scale);
  model_.SetNormaliseScaleFactors(true);
}

void HTRHierarchyWalk::SampleBlock(std::size_t first, std::size_t end, std::size_t count,
                                   std::span<PoseRecord> records) {
  const std::int64_t ticksPerFrame = modra::GetTicksPerFrame();
  for (std::size_t i = first; i < end; ++i) {
    if (exported_[i].subtreeEnd > i + 1) factors_[i].resize(count);
  }
  // The world transform of each node of the block at the time being sampled, and its inverse
  // once a child has asked for it (the children of one parent share it).
  std::vector<modra::Matrix3> worlds(end - first);
  std::vector<modra::Matrix3> inverses(end - first);
  std::vector<std::size_t> invertedAt(end - first, count);  // the k of each inverse held
  for (std::size_t k = 0; k < count; ++k) {
    const std::int64_t c = choices_.first + static_cast<std::int64_t>(k);
    const auto time = static_cast<modra::TickTime>(c * ticksPerFrame);
    for (std::size_t i = first; i < end; ++i) {
      const Exported& e = exported_[i];
      const bool root = e.parent < 0;
      const auto parent = static_cast<std::size_t>(root ? 0 : e.parent);
      // A parent sampled in this block gives the world transform it was sampled with; the
      // root's scene parent and a parent of an earlier block are asked of the host (which has
      // just worked it out for the node's own).
      const bool parentHere = !root && parent >= first;
      const modra::Matrix3* parentInverse = nullptr;
      if (parentHere) {
        const std::size_t p = parent - first;
        if (invertedAt[p] != k) {
          inverses[p] = modra::Inverse(worlds[p]);
          invertedAt[p] = k;
        }
        parentInverse = &inverses[p];
      }
      const Pose pose = PoseAt(e.node, root, time, parentHere ? &worlds[parent - first] : nullptr,
                               root, parentInverse);
      worlds[i - first] = pose.nodeWorld;

      // A child's translation is measured in its parent's scaled axes, so it takes the parent's
      // accumulated scale; the root's takes its scene parent's (none with parent transforms).
      PoseRecord& record = records[(i - first) * count + k];
      record.translation = pose.translation;
      record.rotation = pose.rotation;
      record.parentFactor = root ? pose.parentScale : factors_[parent][k];
      record.factor = static_cast<float>(static_cast<double>(record.parentFactor) *
                                         static_cast<double>(pose.scale));
      if (!factors_[i].empty()) factors_[i][k] = record.factor;
    }
  }
}

void HTRHierarchyWalk::ToFrames(const Exported& entry, std::span<const PoseRecord> records,
                                double scale, std::span<HTRFrame> frames) {
  const bool root = entry.parent < 0;
  for (std::size_t k = 0; k < records.size(); ++k) {
    const PoseRecord& r = records[k];
    const ZARVector3<double> scaled =
        Times(HTRTranslation(r.translation, root), static_cast<double>(r.parentFactor));
    const ZAREulerRotation<double> rotation =
        AnglesOf(entry.undoBase * HTRRotation(r.rotation, root));
    frames[k] = HTRFrame{(scaled.X() - entry.base.X()) * scale,
                         (scaled.Y() - entry.base.Y()) * scale,
                         (scaled.Z() - entry.base.Z()) * scale,
                         rotation.X(),
                         rotation.Y(),
                         rotation.Z(),
                         static_cast<double>(r.factor)};
  }
}

std::size_t HTRHierarchyWalk::BlockEnd(std::size_t first, std::size_t perBlock) const {
  if (exported_.size() - first <= perBlock) return exported_.size();
  // The host works out the world transforms of a block's ancestors outside it again at every
  // time sampled: the next block starts at the shallowest entry of the second half of the room.
  std::size_t end = first + perBlock;
  for (std::size_t next = end; next > first + (perBlock + 1) / 2; --next) {
    if (exported_[next].depth < exported_[end].depth) end = next;
  }
  return end;
}

void HTRHierarchyWalk::WriteFrames(HTRStreamWriter& writer, double scale) {
  const std::int32_t declared = model_.NumFrames();
  if (!choices_.animate || declared <= 0 || exported_.empty()) return;
  const auto count = static_cast<std::size_t>(declared);
  // One segment's frames as written, and a block of records in the rest of the budget.
  const std::size_t segmentBytes = count * sizeof(HTRFrame);
  const std::size_t recordBytes = count * sizeof(PoseRecord);
  const std::size_t perBlock = std::clamp<std::size_t>(
      kBlockBytes > segmentBytes ? (kBlockBytes - segmentBytes) / recordBytes : 0, 1,
      exported_.size());
  std::vector<PoseRecord> records(perBlock * count);
  std::vector<HTRFrame> frames(count);
  // The display stands at 90 while the frames are written; an export of more than about a
  // second's work moves it on as its segments are done (100 is left for the end of the export).
  constexpr std::size_t kLongExport = 1000000;  // frames of all segments
  const bool long_export = count * exported_.size() > kLongExport;
  int shown = 90;
  for (std::size_t first = 0; first < exported_.size();) {
    const std::size_t end = BlockEnd(first, perBlock);
    SampleBlock(first, end, count, records);
    const std::span<const PoseRecord> all(records);
    for (std::size_t i = first; i < end; ++i) {
      ToFrames(exported_[i], all.subspan((i - first) * count, count), scale, frames);
      writer.Frames(frames);
      const auto percent = static_cast<int>(90 + 10 * (i + 1) / exported_.size());
      if (long_export && percent > shown && percent < 100) {
        host_.UpdateProgress(shown = percent, 1, nullptr);
      }
    }
    // The factors of segments whose whole subtree is sampled are not needed again.
    for (std::size_t i = 0; i < end; ++i) {
      if (exported_[i].subtreeEnd <= end) std::vector<float>().swap(factors_[i]);
    }
    first = end;
  }
}

bool HTRHierarchyWalk::Walk(modra::SceneNode* root) {
  exported_.clear();
  if (!AddBelow(root, -1)) return false;
  factors_.assign(exported_.size(), {});
  // Parents come before their children: a backward pass carries each subtree's end upwards.
  for (std::size_t i = exported_.size(); i-- > 0;) {
    Exported& e = exported_[i];
    e.subtreeEnd = std::max(e.subtreeEnd, i + 1);
    if (e.parent >= 0) {
      Exported& parent = exported_[static_cast<std::size_t>(e.parent)];
      parent.subtreeEnd = std::max(parent.subtreeEnd, e.subtreeEnd);
    }
    e.base = e.segment->BaseTranslation();
    ZARRotationMatrix3<double> baseRotation;
    baseRotation.SetFromEuler(e.segment->BaseRotation());
    e.undoBase = baseRotation.Transposed();
  }
  return true;
}

bool HTRHierarchyWalk::AddBelow(modra::SceneNode* top, std::int64_t parent) {
  // Depth first with children in order, on a stack of its own: a chain of bones may be far
  // deeper than the call stack. A node that cannot be added leaves out its subtree; only the
  // top's failure fails the walk.
  std::vector<std::pair<modra::SceneNode*, std::int64_t>> pending{{top, parent}};
  while (!pending.empty()) {
    const auto [node, above] = pending.back();
    pending.pop_back();
    const std::int64_t index = AddOne(node, above);
    if (index == kRefused && node == top) return false;
    if (index < 0) continue;
    for (int i = node->ChildCount(); i-- > 0;) {
      modra::SceneNode* child = node->Child(i);
      if (child != nullptr && IsExportBone(child)) pending.emplace_back(child, index);
    }
  }
  return true;
}

std::int64_t HTRHierarchyWalk::AddOne(modra::SceneNode* node, std::int64_t parent) {
  HTRSegment segment;
  if (parent < 0) segment.SetRoot(true);
  const char* name = node->NodeName();
  if (name == nullptr) name = "";
  if (std::strstr(name, htr_export::kEffectorMark) != nullptr) return kLeftOut;
  segment.SetName(name);

  if (!choices_.savedPose || !SavedBasePosition(node, segment)) {
    CurrentBasePosition(node, segment);
  }

  // A name the file cannot carry (empty, or with a tab, which the model itself accepts) is
  // refused here as the model refuses a name with a space.
  HTRSegment* stored = IsWritableSegmentName(segment.Name()) ? model_.AddSegment(segment) : nullptr;
  if (stored == nullptr) {
    message_reporter.Report(htr_export::kBadBoneName, htr_export::kErrorCaption);
    return kRefused;
  }
  if (parent >= 0) stored->SetParent(exported_[static_cast<std::size_t>(parent)].segment);
  const auto index = static_cast<std::int64_t>(exported_.size());
  Exported& entry = exported_.emplace_back();
  entry.node = node;
  entry.segment = stored;
  entry.parent = parent;
  entry.depth = parent < 0 ? 0 : exported_[static_cast<std::size_t>(parent)].depth + 1;

  ++segmentCount_;
  const float done =
      static_cast<float>(segmentCount_) / static_cast<float>(model_.NumSegments()) * 90.0f;
  host_.UpdateProgress(static_cast<int>(done), 1, nullptr);
  return index;
}

}  // namespace zar
