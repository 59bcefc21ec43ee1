#ifndef ZAR_EXPORT_HTR_HTR_HIERARCHY_WALK_H_
#define ZAR_EXPORT_HTR_HTR_HIERARCHY_WALK_H_

// Sampling a host bone hierarchy into an HTR file: one segment per bone in depth-first
// pre-order, each with its base position and, when animation is exported, one frame per
// exported frame, all in HTR axes and in the scene's units. The segments go into an HTR model;
// their frames go straight to the file, a block of consecutive segments at a time, so that only
// a bounded number of frames is held whatever the length of the animation. Within a block,
// frames are sampled time by time across its bones, parents before children, so that the host's
// world transform of a parent is still the one it remembers when its children ask at the same
// time, and each keyed track is read in one pass over time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "filelib/htr_file.h"
#include "filelib/htr_segment.h"
#include "filelib/htr_stream_writer.h"
#include "math/zar_rotation_matrix3.h"
#include "math/zar_vector3.h"
#include "sdk/modra_host.h"

namespace zar {

// The options of one export, as the options dialog left them (or as held when the host asks for
// no prompts), with the frame range fixed for the whole export.
struct HTRExportChoices {
  bool savedPose = true;         // take the base position from the bones' saved properties
  bool animate = true;           // sample one frame per frame from `first` to `last`
  bool parentTransforms = true;  // the root's motion includes its scene parents' transforms
  std::int32_t first = 0;        // first and last frame sampled (scene frames)
  std::int32_t last = -1;
};

// True when the node carries a host bone object.
bool IsExportBone(modra::SceneNode* node);

// Fills an HTR model from a bone hierarchy and writes its frames.
class HTRHierarchyWalk {
 public:
  HTRHierarchyWalk(modra::HostInterface& host, HTRFile& model, const HTRExportChoices& choices);

  // Adds `root` as the root segment and its bone descendants to the model, with their base
  // positions and no frames. A node whose name contains "Effector" is left out with its
  // subtree, silently. A node whose segment cannot be added (its name is taken, empty, or holds a
  // space or a tab) is reported and left out with its subtree; the answer is then false.
  // Children that fail do not stop their siblings.
  bool Walk(modra::SceneNode* root);

  // Samples the model's NumFrames frames of every segment Walk added (nothing without
  // animation) and gives them to `writer`, begun on the model, segment by segment, with their
  // translations multiplied by `scale`. The model's base positions may have been scaled since
  // Walk: frames are taken relative to the base positions as Walk found them. Each block of
  // segments is sampled, then turned into frames and written.
  void WriteFrames(HTRStreamWriter& writer, double scale);

  // Segments added so far.
  std::int32_t segmentCount() const { return segmentCount_; }

  // At most about this many bytes of sampled frames are held at once (the block sampled and one
  // segment's frames as written), unless one segment's frames need more.
  static constexpr std::size_t kBlockBytes = std::size_t{6} << 20;

 private:
  // A node's transform relative to its parent segment's node at one time, as the host gives it.
  struct Pose {
    modra::Point3 translation;  // in scene units and host axes, not yet scaled by parentScale
    modra::Quat rotation;
    float scale = 1.0f;        // X scale of the local transform
    float parentScale = 1.0f;  // X scale the local translation is measured in
    modra::Matrix3 nodeWorld;  // the transforms it was taken from
    modra::Matrix3 parentWorld;
  };

  // One sampled frame of a segment: its pose and the scale factors worked out from it. The
  // frame written follows from these alone.
  struct PoseRecord {
    modra::Point3 translation;
    modra::Quat rotation;
    float parentFactor = 1.0f;  // the accumulated scale the translation is measured in
    float factor = 1.0f;        // the segment's bone scale factor
  };

  // A segment added to the model, in the order added (every parent before its children).
  struct Exported {
    modra::SceneNode* node = nullptr;
    HTRSegment* segment = nullptr;
    std::int64_t parent = -1;             // index of the parent's entry; -1 for the root segment
    std::size_t subtreeEnd = 0;           // one past the last entry of its subtree
    std::size_t depth = 0;                // its segment ancestors
    ZARVector3<double> base;              // the base translation as Walk found it
    ZARRotationMatrix3<double> undoBase;  // the inverse of the base rotation
  };

  // The pose at `time`; `parentWorld` is the parent node's world transform then, or null to
  // ask the host, and `parentInverse` its inverse where already worked out. `parentScale` is
  // filled only when `withParentScale` is set.
  Pose PoseAt(modra::SceneNode* node, bool root, modra::TickTime time,
              const modra::Matrix3* parentWorld, bool withParentScale,
              const modra::Matrix3* parentInverse = nullptr) const;
  // A pose's translation and rotation matrix in HTR axes.
  static ZARVector3<double> HTRTranslation(const modra::Point3& translation, bool root);
  static ZARRotationMatrix3<double> HTRRotation(const modra::Quat& rotation, bool root);
  // The saved base position of the seven node properties; false (segment unchanged) unless all
  // seven are present.
  bool SavedBasePosition(modra::SceneNode* node, HTRSegment& segment) const;
  // The base position of the node's pose at the current time; warns about an object offset.
  void CurrentBasePosition(modra::SceneNode* node, HTRSegment& segment) const;
  // Samples the frames of entries [first, end) into `records` (`count` per entry, entry by
  // entry), time by time; keeps the scale factors of those with children for their descendants
  // in later blocks.
  void SampleBlock(std::size_t first, std::size_t end, std::size_t count,
                   std::span<PoseRecord> records);
  // The end of the block of at most `perBlock` entries that starts at `first`.
  std::size_t BlockEnd(std::size_t first, std::size_t perBlock) const;
  // The frames of `entry` written from its records, translations multiplied by `scale`.
  static void ToFrames(const Exported& entry, std::span<const PoseRecord> records, double scale,
                       std::span<HTRFrame> frames);
  // Adds the segment of `top` and those of its bone descendants; `parent` is the entry of the
  // parent segment (-1 for the root).
  bool AddBelow(modra::SceneNode* top, std::int64_t parent);
  // Adds the segment of `node` alone; answers its entry, kLeftOut for an end effector (nothing
  // of its subtree is exported) or kRefused when its name cannot be written (reported).
  static constexpr std::int64_t kLeftOut = -1;
  static constexpr std::int64_t kRefused = -2;
  std::int64_t AddOne(modra::SceneNode* node, std::int64_t parent);

  modra::HostInterface& host_;
  HTRFile& model_;
  HTRExportChoices choices_;
  std::int32_t segmentCount_ = 0;
  std::vector<Exported> exported_;
  // Per entry with children, the scale factor of each frame until its subtree is sampled.
  std::vector<std::vector<float>> factors_;
};

}  // namespace zar

#endif  // ZAR_EXPORT_HTR_HTR_HIERARCHY_WALK_H_
