#ifndef ZAR_FILELIB_HTR_SEGMENT_H_
#define ZAR_FILELIB_HTR_SEGMENT_H_

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "math/zar_euler_rotation.h"
#include "math/zar_vector3.h"

namespace zar {

// One frame of a segment's motion, relative to the segment's base position.
struct HTRFrame {
  double tx = 0.0;  // translation, in the model's CalibrationUnits
  double ty = 0.0;
  double tz = 0.0;
  double rx = 0.0;  // rotation angles, radians, in the Euler rotations' default order
  double ry = 0.0;
  double rz = 0.0;
  double scale = 1.0;  // BoneScaleFactor
};

// One bone of an HTR skeleton: its name, its place in the hierarchy, its base position and its
// per-frame motion. Parent and children are references into the same HTRFile, never owned;
// copying a segment copies them as they are.
class HTRSegment {
 public:
  using Vector3 = ZARVector3<double>;
  using EulerRotation = ZAREulerRotation<double>;

  HTRSegment() = default;
  explicit HTRSegment(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  void SetName(std::string name) {
    name_ = std::move(name);
    if (indexed_) name_changes_.fetch_add(1, std::memory_order_relaxed);
  }
  // How many times a segment that a file has indexed by name has been renamed: a file's index of
  // names is current while this stays the same.
  static std::uint64_t NameChanges() { return name_changes_.load(std::memory_order_relaxed); }

  // Set when the file names "GLOBAL" as the segment's parent.
  bool IsRoot() const { return root_; }
  void SetRoot(bool root) { root_ = root; }

  // BoneLength of the base position, in CalibrationUnits.
  double BoneLength() const { return bone_length_; }
  void SetBoneLength(double length) { bone_length_ = length; }

  // Length that written bone scale factors are divided by when the model asks for it.
  double ReferenceLength() const { return reference_length_; }
  void SetReferenceLength(double length) { reference_length_ = length; }

  HTRSegment* Parent() const { return parent_; }

  // Makes `parent` this segment's parent and appends this segment to its children (an earlier
  // parent keeps it among its children); true then. With none, clears the parent and answers
  // false. A parent that is this segment or one of its descendants is refused (false, nothing
  // changes), so a hierarchy never loops.
  bool SetParent(HTRSegment* parent);

  std::int32_t NumChildren() const { return static_cast<std::int32_t>(children_.size()); }
  // The child at `index` in linking order; none when out of range.
  HTRSegment* Child(std::int32_t index) const;

  // This segment when its name matches, otherwise the first match of a depth-first search
  // through the children in their order; none when nothing matches.
  HTRSegment* FindInSubtree(std::string_view name);
  const HTRSegment* FindInSubtree(std::string_view name) const;

  // Base position: Tx Ty Tz in CalibrationUnits, Rx Ry Rz in radians.
  Vector3 BaseTranslation() const { return Vector3(base_tx_, base_ty_, base_tz_); }
  void SetBaseTranslation(double tx, double ty, double tz);
  void SetBaseTranslation(const Vector3& translation);
  const EulerRotation& BaseRotation() const { return base_rotation_; }
  void SetBaseRotation(double rx, double ry, double rz);
  void SetBaseRotation(const EulerRotation& rotation) { base_rotation_ = rotation; }

  // Capacity hint for the frames; a count below 1 is ignored.
  void ReserveFrames(std::int64_t count);

  // Appends one frame. A rotation in another order than the default is stored as the same
  // rotation in the default order.
  void AppendFrame(const Vector3& translation, const EulerRotation& rotation, double scale);
  void AppendFrame(double tx, double ty, double tz, double rx, double ry, double rz, double scale) {
    frames_.push_back(HTRFrame{tx, ty, tz, rx, ry, rz, scale});
  }

  // Number of frames held.
  std::int32_t NumStoredFrames() const { return static_cast<std::int32_t>(frames_.size()); }
  const std::vector<HTRFrame>& Frames() const { return frames_; }

  // Frame k (from 0); out of range: zero translation and rotation, scale factor 1.
  Vector3 FrameTranslation(std::int32_t k) const;
  EulerRotation FrameRotation(std::int32_t k) const;
  double FrameScaleFactor(std::int32_t k) const;
  // Replaces the translation of frame k; false (nothing changes) when k is out of range.
  bool SetFrameTranslation(std::int32_t k, const Vector3& translation);

  // Base translation plus that of frame k; (0, 0, 0) when k is out of range.
  Vector3 AbsoluteTranslation(std::int32_t k) const;
  // The rotation of frame k applied first, then the base rotation, as default-order angles;
  // (0, 0, 0) when k is out of range.
  EulerRotation AbsoluteRotation(std::int32_t k) const;

  // Multiplies the base translation, the bone length and the translations of the first
  // `frame_limit` frames held by `factor`.
  void ScaleLengths(double factor, std::int32_t frame_limit);

 private:
  friend class HTRFile;
  friend class HtrReader;

  bool HasFrame(std::int32_t k) const {
    return k >= 0 && static_cast<std::size_t>(k) < frames_.size();
  }

  bool root_ = false;
  std::string name_;
  bool indexed_ = false;  // held in a file's index of names
  static inline std::atomic<std::uint64_t> name_changes_{0};
  HTRSegment* parent_ = nullptr;
  std::vector<HTRSegment*> children_;
  double base_tx_ = 0.0;
  double base_ty_ = 0.0;
  double base_tz_ = 0.0;
  EulerRotation base_rotation_;
  double bone_length_ = 0.0;
  double reference_length_ = 1.0;
  std::vector<HTRFrame> frames_;
};

}  // namespace zar

#endif  // ZAR_FILELIB_HTR_SEGMENT_H_
