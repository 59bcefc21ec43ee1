#include "filelib/htr_segment.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "math/zar_rotation_matrix3.h"

namespace zar {

bool HTRSegment::SetParent(HTRSegment* parent) {
  if (parent == nullptr) {
    parent_ = nullptr;
    return false;
  }
  if (parent == this) return false;
  // Only a segment with children can be above `parent`: a hierarchy built from the top down
  // (each segment linked before its own children) is never walked, however deep.
  if (!children_.empty()) {
    for (const HTRSegment* up = parent; up != nullptr; up = up->parent_) {
      if (up == this) return false;
    }
  }
  parent_ = parent;
  parent->children_.push_back(this);
  return true;
}

HTRSegment* HTRSegment::Child(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= children_.size()) return nullptr;
  return children_[static_cast<std::size_t>(index)];
}

const HTRSegment* HTRSegment::FindInSubtree(std::string_view name) const {
  // Iterative, and each segment is searched once: a deep chain cannot exhaust the stack, and
  // children lists that name a segment twice (a hierarchy linked twice) cost nothing extra.
  std::vector<const HTRSegment*> pending{this};
  std::unordered_set<const HTRSegment*> seen;
  while (!pending.empty()) {
    const HTRSegment* segment = pending.back();
    pending.pop_back();
    if (!seen.insert(segment).second) continue;
    if (segment->name_ == name) return segment;
    for (auto child = segment->children_.rbegin(); child != segment->children_.rend(); ++child) {
      pending.push_back(*child);
    }
  }
  return nullptr;
}

HTRSegment* HTRSegment::FindInSubtree(std::string_view name) {
  return const_cast<HTRSegment*>(std::as_const(*this).FindInSubtree(name));
}

void HTRSegment::SetBaseTranslation(double tx, double ty, double tz) {
  base_tx_ = tx;
  base_ty_ = ty;
  base_tz_ = tz;
}

void HTRSegment::SetBaseTranslation(const Vector3& translation) {
  SetBaseTranslation(translation.X(), translation.Y(), translation.Z());
}

void HTRSegment::SetBaseRotation(double rx, double ry, double rz) {
  base_rotation_ = EulerRotation(rx, ry, rz);
}

void HTRSegment::ReserveFrames(std::int64_t count) {
  if (count > 0) frames_.reserve(static_cast<std::size_t>(count));
}

void HTRSegment::AppendFrame(const Vector3& translation, const EulerRotation& rotation,
                             double scale) {
  const EulerRotation in_default_order(rotation);
  AppendFrame(translation.X(), translation.Y(), translation.Z(), in_default_order.X(),
              in_default_order.Y(), in_default_order.Z(), scale);
}

HTRSegment::Vector3 HTRSegment::FrameTranslation(std::int32_t k) const {
  if (!HasFrame(k)) return Vector3(0.0, 0.0, 0.0);
  const HTRFrame& f = frames_[static_cast<std::size_t>(k)];
  return Vector3(f.tx, f.ty, f.tz);
}

HTRSegment::EulerRotation HTRSegment::FrameRotation(std::int32_t k) const {
  if (!HasFrame(k)) return EulerRotation(0.0, 0.0, 0.0);
  const HTRFrame& f = frames_[static_cast<std::size_t>(k)];
  return EulerRotation(f.rx, f.ry, f.rz);
}

double HTRSegment::FrameScaleFactor(std::int32_t k) const {
  return HasFrame(k) ? frames_[static_cast<std::size_t>(k)].scale : 1.0;
}

bool HTRSegment::SetFrameTranslation(std::int32_t k, const Vector3& translation) {
  if (!HasFrame(k)) return false;
  HTRFrame& f = frames_[static_cast<std::size_t>(k)];
  f.tx = translation.X();
  f.ty = translation.Y();
  f.tz = translation.Z();
  return true;
}

HTRSegment::Vector3 HTRSegment::AbsoluteTranslation(std::int32_t k) const {
  if (!HasFrame(k)) return Vector3(0.0, 0.0, 0.0);
  const HTRFrame& f = frames_[static_cast<std::size_t>(k)];
  return Vector3(base_tx_ + f.tx, base_ty_ + f.ty, base_tz_ + f.tz);
}

HTRSegment::EulerRotation HTRSegment::AbsoluteRotation(std::int32_t k) const {
  EulerRotation result(0.0, 0.0, 0.0);
  if (!HasFrame(k)) return result;
  ZARRotationMatrix3<double> base;
  base.SetFromEuler(base_rotation_);
  ZARRotationMatrix3<double> frame;
  frame.SetFromEuler(FrameRotation(k));
  result.SetFromMatrix(base * frame);
  return result;
}

void HTRSegment::ScaleLengths(double factor, std::int32_t frame_limit) {
  base_tx_ *= factor;
  base_ty_ *= factor;
  base_tz_ *= factor;
  bone_length_ *= factor;
  const std::size_t count =
      frame_limit <= 0 ? 0 : std::min(frames_.size(), static_cast<std::size_t>(frame_limit));
  for (std::size_t k = 0; k < count; ++k) {
    frames_[k].tx *= factor;
    frames_[k].ty *= factor;
    frames_[k].tz *= factor;
  }
}

}  // namespace zar
