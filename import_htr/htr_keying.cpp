#include "import_htr/htr_keying.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "import_htr/htr_axes.h"
#include "import_htr/htr_skeleton.h"
#include "math/zar_euler_rotation.h"
#include "math/zar_rotation_matrix3.h"

namespace zar {

namespace {

// The factor a segment's translations are multiplied by before they are mapped: one over the X
// scale of the parent's world transform (in single precision), times the global scale.
double TranslationFactor(modra::HostInterface& host, modra::SceneNode* node, double scaleFactor) {
  modra::SceneNode* parent = node->ParentNode();
  if (parent == nullptr) return scaleFactor;
  modra::Point3 translation;
  modra::Quat rotation;
  modra::Point3 scale;
  modra::DecomposeMatrix(parent->NodeTransform(host.CurrentTime()), translation, rotation, scale);
  // A parent scaled to nothing would turn every translation into an infinity; the child's
  // position does not matter there, so it is keyed unscaled.
  if (scale.x == 0.0f || !std::isfinite(scale.x)) return scaleFactor;
  return static_cast<double>(1.0f / scale.x) * scaleFactor;
}

// Sets the position and rotation of one key: false when a controller refuses.
class PoseKeyer {
 public:
  PoseKeyer(modra::Controller& position, modra::Controller& rotation, double factor, bool root)
      : position_(position), rotation_(rotation), factor_(factor), root_(root) {}

  // Keys translation `t` and the rotation of matrix `mb`, both in the segment's axes.
  bool Key(modra::TickTime time, const ZARVector3<double>& t,
           const ZARRotationMatrix3<double>& mb) const {
    const ZARVector3<double> scaled(t.X() * factor_, t.Y() * factor_, t.Z() * factor_);
    const ZARVector3<double> mapped = MapHTRTranslation(scaled, root_);
    if (position_.ControllerCheck() == 0) return false;
    const modra::Point3 p(static_cast<float>(mapped.X()), static_cast<float>(mapped.Y()),
                          static_cast<float>(mapped.Z()));
    position_.SetControllerValue(time, &p, 1, modra::kValueAbsolute);

    const modra::Quat q = HostRotation(MapHTRRotation(mb, root_));
    if (rotation_.ControllerCheck() == 0) return false;
    rotation_.SetControllerValue(time, &q, 1, modra::kValueAbsolute);
    return true;
  }

 private:
  modra::Controller& position_;
  modra::Controller& rotation_;
  double factor_;
  bool root_;
};

// Replaces the node's rotation controller with a new TCB controller holding the same keys. A
// transform controller that refuses it keeps its own, which is then keyed.
void InstallTcbController(modra::HostInterface& host, modra::TransformControl& transform) {
  modra::SceneEntity* entity =
      host.MakeObject(modra::kRotationControllerClass, modra::kTcbRotationClassId);
  modra::Controller* tcb = entity != nullptr ? entity->AsController() : nullptr;
  if (tcb == nullptr) return;
  tcb->CopyController(transform.RotationSubController());
  if (transform.ReplaceRotationController(tcb) == 0) tcb->DeleteController();
}

// Keys one node (not its children).
bool KeySingleNode(HTRImportJob& job, modra::SceneNode* node, const HTRSegment& segment) {
  modra::HostInterface& host = *job.host;
  const HTRImportChoices& c = job.choices;
  modra::TransformControl* transform = node->TransformController();
  if (transform == nullptr) return false;
  modra::Controller* position = transform->PositionController();
  modra::Controller* rotation = transform->RotationSubController();
  if (position == nullptr || rotation == nullptr) return false;

  const std::int64_t ticks = modra::GetTicksPerFrame();
  const std::int64_t firstFrame = std::int64_t{c.startFrame} + c.offset;
  ClearKeyWindow(*position, firstFrame * ticks, (firstFrame + job.frameCount) * ticks);
  ClearKeyWindow(*rotation, firstFrame * ticks, (firstFrame + job.frameCount) * ticks);

  if (c.rotationController == 1) {
    InstallTcbController(host, *transform);
    rotation = transform->RotationSubController();
    if (rotation == nullptr) return false;
  }

  modra::SuspendAnimate();
  modra::AnimateOn();
  // The parent's transform does not change while this node is keyed, so it is read once.
  const PoseKeyer keyer(*position, *rotation, TranslationFactor(host, node, c.scaleFactor),
                        segment.IsRoot());
  // The matrix of a frame's absolute rotation is the base rotation's matrix applied after the
  // frame rotation's; the base matrix is the same for every frame.
  ZARRotationMatrix3<double> base;
  base.SetFromEuler(segment.BaseRotation());
  bool ok = true;
  if (c.keyBasePosition) {
    const modra::TickTime time =
        c.animate ? static_cast<modra::TickTime>((firstFrame - 1) * ticks) : host.CurrentTime();
    ok = keyer.Key(time, segment.BaseTranslation(), base);
  }
  if (ok && c.animate) {
    // Frame i holds the file's frame index firstIndex + i. Frames the file declares but does
    // not hold are not keyed (rather than keyed at the origin).
    const std::int64_t firstIndex = std::int64_t{c.startFrame} - job.model->StartFrame();
    const std::int64_t begin = std::max<std::int64_t>(0, -firstIndex);
    const std::int64_t end =
        std::min<std::int64_t>(job.frameCount, segment.NumStoredFrames() - firstIndex);
    ZARRotationMatrix3<double> frame;
    for (std::int64_t i = begin; i < end; ++i) {
      const auto k = static_cast<std::int32_t>(firstIndex + i);
      frame.SetFromEuler(segment.FrameRotation(k));
      if (!keyer.Key(static_cast<modra::TickTime>((firstFrame + i) * ticks),
                     segment.AbsoluteTranslation(k), base * frame)) {
        ok = false;
        break;
      }
    }
  }
  modra::ResumeAnimate();
  return ok;
}

}  // namespace

void ClearKeyWindow(modra::Controller& controller, std::int64_t from, std::int64_t to) {
  // Removing the key at every tick of the window leaves exactly the keys outside it, and
  // RemoveKeyAt does nothing where there is no key; so only the keys inside the window are
  // visited. Keys are in time order: the first one inside is found by bisection, and as keys
  // go the next one moves down to the same index.
  int first = 0;
  int last = controller.KeyCount();
  while (first < last) {
    const int middle = first + (last - first) / 2;
    if (controller.KeyTime(middle) < from) {
      first = middle + 1;
    } else {
      last = middle;
    }
  }
  for (int count = controller.KeyCount(); first < count;) {
    const modra::TickTime t = controller.KeyTime(first);
    if (t >= to) break;
    controller.RemoveKeyAt(t);
    const int left = controller.KeyCount();
    if (left == count) ++first;  // a key the controller keeps is stepped over
    count = left;
  }
}

modra::SceneNode* FindBoneChild(modra::SceneNode* node, std::string_view name) {
  const int count = node->ChildCount();
  for (int i = 0; i < count; ++i) {
    modra::SceneNode* child = node->Child(i);
    if (IsBoneNode(child) && name == child->NodeName()) return child;
  }
  return nullptr;
}

bool KeyNode(HTRImportJob& job, modra::SceneNode* node, const HTRSegment& segment) {
  struct Visit {
    modra::SceneNode* node;
    const HTRSegment* segment;
    std::int32_t nextChild;
  };
  // Depth first without recursion, so that a deep hierarchy cannot exhaust the stack; a node is
  // counted for the progress display once its whole branch is keyed.
  std::vector<Visit> stack;
  std::unordered_set<modra::SceneNode*> keyed;
  if (!KeySingleNode(job, node, segment)) return false;
  keyed.insert(node);
  stack.push_back({node, &segment, 0});
  const auto segments = static_cast<float>(job.model->NumSegments());
  while (!stack.empty()) {
    Visit& top = stack.back();
    if (top.nextChild < top.segment->NumChildren()) {
      const HTRSegment* childSegment = top.segment->Child(top.nextChild++);
      modra::SceneNode* child = FindBoneChild(top.node, childSegment->Name());
      // A segment linked twice to its parent is keyed once.
      if (child == nullptr || !keyed.insert(child).second) continue;
      if (!KeySingleNode(job, child, *childSegment)) return false;
      stack.push_back({child, childSegment, 0});
      continue;
    }
    stack.pop_back();
    ++job.keyedSegments;
    const float done = static_cast<float>(job.keyedSegments) / segments;
    job.host->UpdateProgress(10 - static_cast<int>(static_cast<double>(done) * -90.0), 1, nullptr);
  }
  return true;
}

}  // namespace zar
