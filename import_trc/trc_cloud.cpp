// Building and keying the marker cloud of a TRC import.

#include "import_trc/trc_cloud.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "import_trc/trc_import_messages.h"

namespace zar {
namespace {

using modra::HostInterface;
using modra::Point3;
using modra::SceneNode;
using modra::TickTime;

constexpr std::int64_t kMinTime = std::numeric_limits<TickTime>::min();
constexpr std::int64_t kMaxTime = std::numeric_limits<TickTime>::max();

bool SameName(SceneNode* node, const std::string& name) {
  const char* node_name = node->NodeName();
  return std::strcmp(node_name != nullptr ? node_name : "", name.c_str()) == 0;
}

// The first selected node named `name`, else the first direct child of a selected node so
// named, looking at the selected nodes in selection order; null when none matches.
SceneNode* FindInSelection(HostInterface& host, const std::string& name) {
  const int count = host.SelectedNodeCount();
  for (int i = 0; i < count; ++i) {
    SceneNode* selected = host.SelectedNode(i);
    if (selected == nullptr) continue;
    if (SameName(selected, name)) return selected;
    const int children = selected->ChildCount();
    for (int c = 0; c < children; ++c) {
      SceneNode* child = selected->Child(c);
      if (child != nullptr && SameName(child, name)) return child;
    }
  }
  return nullptr;
}

// A single-precision size product widened for the global scale and rounded back.
float ScaledSize(float size_product, double scale_factor) {
  return static_cast<float>(static_cast<double>(size_product) * scale_factor);
}

// A new sphere or point node for the marker `name`; null when the host made none.
SceneNode* MakeMarkerNode(HostInterface& host, const std::string& name,
                          const TRCCloudSettings& settings) {
  const TickTime now = host.CurrentTime();
  modra::SceneEntity* entity =
      settings.geometry ? host.MakeObject(modra::kGeometryClass, modra::kSphereObjectClassId)
                        : host.MakeObject(modra::kHelperClass, modra::kPointHelperClassId);
  modra::SceneObject* object = entity != nullptr ? entity->AsObject() : nullptr;
  if (object == nullptr) return nullptr;

  if (settings.geometry) {
    if (modra::ParamBlock* block = object->ObjectParamBlock(); block != nullptr) {
      const float radius = ScaledSize(settings.size * 0.5f, settings.scale_factor);
      block->SetParamFloat(object->ParamBlockIndex(modra::kSphereRadius), now, radius);
      block->SetParamInt(object->ParamBlockIndex(modra::kSphereSegments), now, 10);
      block->SetParamInt(object->ParamBlockIndex(modra::kSphereSmooth), now, 1);
      block->SetParamFloat(object->ParamBlockIndex(modra::kSphereHemisphere), now, 0.0f);
      block->SetParamInt(object->ParamBlockIndex(modra::kSphereMapping), now, 1);
    }
  }

  SceneNode* node = host.MakeNodeForObject(object);
  if (node == nullptr) return nullptr;
  if (!settings.geometry) {
    const float s = ScaledSize(settings.size * 0.25f, settings.scale_factor);
    node->ScaleNode(now, modra::Matrix3::Identity(), Point3(s, s, s), 1, 0, 0, 0);
  }
  node->SetDisplayColour(kMarkerWireColour);
  node->SetNodeName(name.c_str());
  return node;
}

// The "TRCCloud" dummy with its box of half-size Size × ScaleFactor; null when the host made
// none.
SceneNode* MakeRootDummy(HostInterface& host, const TRCCloudSettings& settings) {
  modra::SceneEntity* entity = host.MakeObject(modra::kHelperClass, modra::kDummyHelperClassId);
  modra::SceneObject* object = entity != nullptr ? entity->AsObject() : nullptr;
  if (object == nullptr) return nullptr;
  if (modra::DummyObject* dummy = object->AsDummyObject(); dummy != nullptr) {
    const float m = ScaledSize(settings.size, settings.scale_factor);
    dummy->SetBox(Point3(-m, -m, -m), Point3(m, m, m));
  }
  SceneNode* node = host.MakeNodeForObject(object);
  if (node == nullptr) return nullptr;
  std::string name = trc_import::kRootNodeName;
  host.UniqueNodeName(name);
  node->SetNodeName(name.c_str());
  return node;
}

// Removes every key at a tick in [from, to).
void ClearKeyWindow(modra::Controller& controller, std::int64_t from, std::int64_t to) {
  // Every tick of the window is tried, but only where the controller has keys at all: a new
  // node has none, and a long file spans tens of millions of ticks.
  const int count = controller.KeyCount();
  if (count <= 0) return;
  const std::int64_t first_key = controller.KeyTime(0);
  const std::int64_t last_key = controller.KeyTime(count - 1);
  const std::int64_t begin = std::max(from, first_key);
  const std::int64_t end = std::min(to, last_key + 1);
  for (std::int64_t t = begin; t < end; ++t) controller.RemoveKeyAt(static_cast<TickTime>(t));
}

// The first and last tick keyed so far.
struct KeyedSpan {
  bool any = false;
  std::int64_t first = 0;
  std::int64_t last = 0;

  void Add(std::int64_t t) {
    first = any ? std::min(first, t) : t;
    last = any ? std::max(last, t) : t;
    any = true;
  }
};

// Keys one marker's present samples on `controller`; false when the controller refused.
bool KeyMarker(modra::Controller& controller, const TRCKeyPoints& keys, const TRCFile& model,
               const TRCCloudSettings& settings, std::int64_t frames, KeyedSpan& span) {
  const std::int64_t ticks = modra::GetTicksPerFrame();
  const std::int64_t start = settings.start_frame;
  // Sample index of imported frame j is j + first_sample. Frames without a sample set no key,
  // so only the frames whose sample exists are visited.
  const std::int64_t first_sample = start - model.StartFrame();
  const std::int64_t j_begin = std::max<std::int64_t>(0, -first_sample);
  const std::int64_t j_end =
      std::min<std::int64_t>(frames, static_cast<std::int64_t>(keys.Size()) - first_sample);

  for (std::int64_t j = j_begin; j < j_end; ++j) {
    const std::int64_t time = (j + settings.offset + start) * ticks;
    const auto k = static_cast<std::size_t>(j + first_sample);
    if (controller.ControllerCheck() == 0) return false;
    if (!keys.present[k] || time < kMinTime || time > kMaxTime) continue;
    controller.SetControllerValue(static_cast<TickTime>(time), &keys.points[k], 1,
                                  modra::kValueAbsolute);
    span.Add(time);
  }
  return true;
}

// The build, with the key points of marker b from `points_of(b)`.
using KeyPointsOf = std::function<const TRCKeyPoints&(std::int32_t index)>;

TRCCloudOutcome Build(HostInterface& host, const TRCFile& model, const TRCCloudSettings& settings,
                      const KeyPointsOf& points_of, const TRCMarkerDone& done) {
  if (settings.fps) modra::SetFrameRate(model.DataRate());

  const std::int64_t frames =
      settings.range ? static_cast<std::int64_t>(settings.end_frame) - settings.start_frame + 1
                     : model.NumFrames();

  SceneNode* root = nullptr;
  if (settings.root_node) {
    root = MakeRootDummy(host, settings);
    if (root == nullptr) return TRCCloudOutcome::kCannotCreate;
  }

  KeyedSpan span;
  const std::int32_t marker_count = model.NumMarkers();
  for (std::int32_t b = 0; b < marker_count; ++b) {
    host.PumpHostMessages();
    if (host.ProgressCancelled() != 0) return TRCCloudOutcome::kCancelled;

    const TRCMarker& marker = *model.Marker(b);
    SceneNode* target = settings.apply ? FindInSelection(host, marker.Name()) : nullptr;
    const bool passed_over = settings.apply && target == nullptr && settings.selected_only;

    if (!passed_over) {
      if (target == nullptr) {
        target = MakeMarkerNode(host, marker.Name(), settings);
        if (target == nullptr) return TRCCloudOutcome::kCannotCreate;
      }
      modra::TransformControl* transform = target->TransformController();
      modra::Controller* position =
          transform != nullptr ? transform->PositionController() : nullptr;
      if (position == nullptr) return TRCCloudOutcome::kNoPositionController;

      const std::int64_t ticks = modra::GetTicksPerFrame();
      const std::int64_t window_start =
          (static_cast<std::int64_t>(settings.start_frame) + settings.offset) * ticks;
      ClearKeyWindow(*position, window_start, window_start + frames * ticks);

      modra::SuspendAnimate();
      modra::AnimateOn();
      const bool keyed = KeyMarker(*position, points_of(b), model, settings, frames, span);
      modra::ResumeAnimate();
      if (!keyed) return TRCCloudOutcome::kControllerRefused;

      if (root != nullptr) root->LinkChild(target, 0);
    }
    if (done) done(b);

    const float finished = static_cast<float>(b + 1);
    host.UpdateProgress(
        static_cast<int>(10.0f + finished * 90.0f / static_cast<float>(marker_count)), 1, nullptr);
  }

  // A file of one frame is a pose, not an animation: the scene's range stays as it was.
  if (span.any && model.NumFrames() > 1) {
    const std::int64_t ticks = modra::GetTicksPerFrame();
    const std::int64_t end = std::min(std::max(span.last, span.first + ticks), kMaxTime);
    host.SetAnimationRange(
        modra::Interval(static_cast<TickTime>(span.first), static_cast<TickTime>(end)));
  }
  return TRCCloudOutcome::kDone;
}

}  // namespace

void TRCKeyPoints::Add(const TRCSample& sample, double scale_factor) {
  present.push_back(sample.present);
  // TRC files are Y up, the scene is Z up.
  points.push_back(sample.present ? Point3(static_cast<float>(sample.x * scale_factor),
                                           static_cast<float>(-sample.z * scale_factor),
                                           static_cast<float>(sample.y * scale_factor))
                                  : Point3());
}

TRCCloudOutcome BuildTRCCloud(HostInterface& host, const TRCFile& model,
                              const TRCCloudSettings& settings, const TRCMarkerDone& done) {
  TRCKeyPoints keys;
  const auto points_of = [&](std::int32_t index) -> const TRCKeyPoints& {
    keys = TRCKeyPoints();
    const std::vector<TRCSample>& samples = model.Marker(index)->Samples();
    keys.points.reserve(samples.size());
    keys.present.reserve(samples.size());
    for (const TRCSample& sample : samples) keys.Add(sample, settings.scale_factor);
    return keys;
  };
  return Build(host, model, settings, points_of, done);
}

TRCCloudOutcome BuildTRCCloud(HostInterface& host, const TRCFile& model,
                              std::vector<TRCKeyPoints>& points, const TRCCloudSettings& settings) {
  static const TRCKeyPoints kNone;
  const auto points_of = [&](std::int32_t index) -> const TRCKeyPoints& {
    return static_cast<std::size_t>(index) < points.size() ? points[static_cast<std::size_t>(index)]
                                                           : kNone;
  };
  const auto done = [&](std::int32_t index) {
    if (static_cast<std::size_t>(index) < points.size()) {
      points[static_cast<std::size_t>(index)] = TRCKeyPoints();
    }
  };
  return Build(host, model, settings, points_of, done);
}

}  // namespace zar
