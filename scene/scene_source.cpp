#include "scene/scene_source.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string_view>
#include <utility>

#include "exchange/c3d_parameters.h"
#include "filelib/motion_units.h"
#include "plugin_description/plugin_texts.h"
#include "scene/scene_nodes.h"

namespace zar::scene {
namespace {

using exchange::Rotation;
using exchange::Vector3;
using modra::TickTime;
using modra::host::Node;
using modra::host::Scene;

// More samples than this (frames times joints or markers) are refused rather than allocated: a
// document with two keys far apart would otherwise ask for hundreds of gigabytes.
constexpr std::int64_t kMostSamples = std::int64_t{1} << 27;

// The properties the HTR importer stores on every bone it makes: the base pose in HTR axes
// (scene units, radians) and the bone length.
constexpr const auto& kBaseProperties = description::kHTRBaseProperties;

// The scene's world is Z up: (x, y, z) becomes (x, z, -y) in a Y-up world.
const Rotation kToYUp(Vector3(1, 0, 0), Vector3(0, 0, -1), Vector3(0, 1, 0));
// A host bone extends along its X axis, a skeleton's joint along Y: the joint's X, Y and Z axes
// are the bone's Z, X and Y axes.
const Rotation kJointAxes(Vector3(0, 0, 1), Vector3(1, 0, 0), Vector3(0, 1, 0));
const Rotation kJointAxesBack = kJointAxes.Transposed();

// A node's transform, row vectors: p·linear + translation.
struct Affine {
  Rotation linear;
  Vector3 translation;
};

Vector3 Plus(const Vector3& a, const Vector3& b) {
  return Vector3(a.x + b.x, a.y + b.y, a.z + b.z);
}
Vector3 Minus(const Vector3& a, const Vector3& b) {
  return Vector3(a.x - b.x, a.y - b.y, a.z - b.z);
}
Vector3 Times(const Vector3& v, double f) { return Vector3(v.x * f, v.y * f, v.z * f); }
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
  return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// `a`, then `b`.
Affine Then(const Affine& a, const Affine& b) {
  return {exchange::Then(a.linear, b.linear),
          Plus(exchange::Turned(a.translation, b.linear), b.translation)};
}

// The rows of a host quaternion's rotation, normalised, in double precision.
Rotation RowsOf(const modra::Quat& q) {
  double x = q.x, y = q.y, z = q.z, w = q.w;
  const double n = std::sqrt(x * x + y * y + z * z + w * w);
  if (!(n > 0.0) || !std::isfinite(n)) return Rotation();
  x /= n;
  y /= n;
  z /= n;
  w /= n;
  return Rotation(Vector3(1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)),
                  Vector3(2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)),
                  Vector3(2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)));
}

// The rotation part of `m` with its scale taken out (rows made orthonormal in order).
Rotation Orthonormal(const Rotation& m) {
  const double x_scale = std::sqrt(Dot(m[0], m[0]));
  if (!(x_scale > 0.0) || !std::isfinite(x_scale)) return Rotation();
  const Vector3 x = Times(m[0], 1.0 / x_scale);
  Vector3 y = Minus(m[1], Times(x, Dot(x, m[1])));
  const double y_length = std::sqrt(Dot(y, y));
  if (!(y_length > 0.0) || !std::isfinite(y_length)) return Rotation();
  y = Times(y, 1.0 / y_length);
  Vector3 z = Cross(x, y);
  if (Dot(z, m[2]) < 0.0) z = Times(z, -1.0);  // a mirrored node keeps its handedness out
  return Rotation(x, y, z);
}

// A node's own transform at t, from its controllers: rotation (Euler angles turned into a matrix
// in double precision rather than through the host's single-precision quaternion), scale and
// translation.
struct Local {
  Rotation rotation;
  Vector3 scale{1.0, 1.0, 1.0};
  Vector3 translation;

  Affine Transform() const {
    return {Rotation(Times(rotation[0], scale.x), Times(rotation[1], scale.y),
                     Times(rotation[2], scale.z)),
            translation};
  }
};

Local LocalAt(const Node& node, TickTime t) {
  Local local;
  const modra::host::TransformController* c = node.transform();
  if (c == nullptr) return local;
  if (const auto* euler =
          dynamic_cast<const modra::host::EulerRotationController*>(c->rotation())) {
    const auto a = euler->EvaluateAngles(t);
    local.rotation = exchange::RotationFromAngles(a[0], a[1], a[2]);
  } else if (c->rotation() != nullptr) {
    local.rotation = RowsOf(c->rotation()->Evaluate(t));
  }
  if (c->scale() != nullptr) {
    const modra::Point3 s = c->scale()->Evaluate(t);
    local.scale = Vector3(s.x, s.y, s.z);
  }
  if (c->position() != nullptr) {
    const modra::Point3 p = c->position()->Evaluate(t);
    local.translation = Vector3(p.x, p.y, p.z);
  }
  return local;
}

// The node's world transform at t: its own, then every ancestor's.
Affine WorldAt(const Node& node, TickTime t) {
  Affine world = LocalAt(node, t).Transform();
  for (const Node* up = node.parent(); up != nullptr && !up->IsRoot(); up = up->parent()) {
    world = Then(world, LocalAt(*up, t).Transform());
  }
  return world;
}

bool IsKind(const Node& node, modra::ClassId kind) {
  return node.object() != nullptr && node.object()->ClassIdentifier() == kind;
}

// The HTR importer ends a chain in a bone named "<segment>_Effector"; like the HTR exporter, a
// bone whose name holds "Effector" is left out with what hangs under it.
bool IsBone(const Node& node) {
  return IsKind(node, modra::kBoneObjectClassId) &&
         node.name().find("Effector") == std::string::npos;
}

bool IsMarker(const Node& node) {
  return IsKind(node, modra::kSphereObjectClassId) || IsKind(node, modra::kPointHelperClassId);
}

// Every node of the subtree under `top` (and `top` itself unless it is the scene's root),
// parents first, without recursion (hierarchies can be thousands deep). Effectors' subtrees are
// left out.
std::vector<Node*> Subtree(Node& top) {
  std::vector<Node*> nodes;
  std::vector<Node*> stack;
  if (top.IsRoot()) {
    stack.assign(top.children().rbegin(), top.children().rend());
  } else {
    stack.push_back(&top);
  }
  while (!stack.empty()) {
    Node* node = stack.back();
    stack.pop_back();
    if (IsKind(*node, modra::kBoneObjectClassId) && !IsBone(*node)) continue;
    nodes.push_back(node);
    stack.insert(stack.end(), node->children().rbegin(), node->children().rend());
  }
  return nodes;
}

// The first and last tick of a set of keys (none while first > last).
struct TickSpan {
  std::int64_t first = std::numeric_limits<std::int64_t>::max();
  std::int64_t last = std::numeric_limits<std::int64_t>::min();

  bool Any() const { return first <= last; }
  void Add(std::int64_t t) {
    first = std::min(first, t);
    last = std::max(last, t);
  }
  template <class Map>
  void AddKeys(const Map& keys) {
    if (keys.empty()) return;
    Add(keys.begin()->first);
    Add(keys.rbegin()->first);
  }
};

// Adds the first and last key of each of the node's controllers.
void AddKeys(const Node& node, TickSpan& span) {
  const modra::host::TransformController* c = node.transform();
  if (c == nullptr) return;
  if (c->position() != nullptr) span.AddKeys(c->position()->keys());
  if (c->scale() != nullptr) span.AddKeys(c->scale()->keys());
  if (const auto* euler =
          dynamic_cast<const modra::host::EulerRotationController*>(c->rotation())) {
    span.AddKeys(euler->keys());
  } else if (const auto* tcb =
                 dynamic_cast<const modra::host::TcbRotationController*>(c->rotation())) {
    span.AddKeys(tcb->keys());
  }
}

// The scene's unit where it is one of the file units (factor 1), else millimetres (the factor
// that turns scene units into them).
LengthUnit UnitOf(const Scene& scene, double& factor) {
  const double mm = scene.millimetresPerUnit();
  for (const LengthUnit unit :
       {LengthUnit::kMillimetres, LengthUnit::kCentimetres, LengthUnit::kMetres,
        LengthUnit::kInches, LengthUnit::kFeet, LengthUnit::kYards}) {
    if (LengthConversionFactor(unit, LengthUnit::kMillimetres) == mm) {
      factor = 1.0;
      return unit;
    }
  }
  factor = mm;
  return LengthUnit::kMillimetres;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// What is below a node, found once.
struct Found {
  std::vector<Node*> skeleton_roots;
  std::vector<Node*> cloud_nodes;          // the node each cloud's markers hang under
  std::vector<std::vector<Node*>> clouds;  // the markers of each cloud
};

// The top node a command names, or the scene's root when `node` is empty.
Node* TopNode(Scene& scene, const std::string& node, std::string& problem) {
  if (node.empty()) return &scene.root();
  std::string note;
  Node* top = FindNode(scene, node, "converting", note);
  if (top == nullptr) problem = "the scene has " + note;
  return top;
}

Found FindBelow(Node& top) {
  Found found;
  if (IsMarker(top)) {
    found.cloud_nodes.push_back(&top);
    found.clouds.push_back({&top});
  }
  for (Node* node : Subtree(top)) {
    if (IsBone(*node) && (node == &top || node->parent() == nullptr || !IsBone(*node->parent()))) {
      found.skeleton_roots.push_back(node);
    }
    if (node == &top || !IsMarker(*node)) continue;
    std::size_t c = 0;
    while (c < found.cloud_nodes.size() && found.cloud_nodes[c] != node->parent()) ++c;
    if (c == found.cloud_nodes.size()) {
      found.cloud_nodes.push_back(node->parent());
      found.clouds.emplace_back();
    }
    found.clouds[c].push_back(node);
  }
  return found;
}

SceneContents ContentsOf(Scene& scene, const Found& found) {
  SceneContents contents;
  for (const Node* root : found.skeleton_roots)
    contents.skeletons.push_back(NodePath(scene, *root));
  for (const Node* cloud : found.cloud_nodes) {
    contents.clouds.push_back(cloud->IsRoot() ? std::string(kTopLevelCloud)
                                              : NodePath(scene, *cloud));
  }
  return contents;
}

// A frame's span of ticks as frame numbers; false (with a message) when it is more than can be
// held for `width` joints or markers.
bool Frames(const TickSpan& span, std::int64_t ticks_per_frame, std::size_t width,
            std::int64_t& first, std::int64_t& count, std::string& problem) {
  if (!span.Any()) return true;
  const auto floor_div = [](std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
  };
  first = floor_div(span.first, ticks_per_frame);
  const std::int64_t last = -floor_div(-span.last, ticks_per_frame);
  count = last - first + 1;
  if (count * static_cast<std::int64_t>(std::max<std::size_t>(width, 1)) > kMostSamples) {
    problem = "its keys span " + std::to_string(count) + " frames, more than can be converted";
    return false;
  }
  return true;
}

// The joints' poses in one frame, relative to their parents in joint axes.
struct JointPoses {
  std::vector<exchange::Pose> local;
  std::vector<double> world_scale;  // each joint's accumulated X scale
  std::vector<double> own_scale;    // each joint's own X scale
};

void PosesAt(const std::vector<Node*>& nodes, const std::vector<std::int32_t>& parents, TickTime t,
             JointPoses& poses) {
  poses.local.resize(nodes.size());
  poses.world_scale.resize(nodes.size());
  poses.own_scale.resize(nodes.size());
  for (std::size_t j = 0; j < nodes.size(); ++j) {
    const Local local = LocalAt(*nodes[j], t);
    exchange::Pose& pose = poses.local[j];
    if (parents[j] < 0) {
      // The root's pose is its world pose; the X scales of the nodes above it multiply (uniform
      // scales are what a skeleton can follow).
      const Affine world = WorldAt(*nodes[j], t);
      pose.rotation = exchange::Then(exchange::Then(kJointAxes, Orthonormal(world.linear)), kToYUp);
      pose.translation = exchange::Turned(world.translation, kToYUp);
      double above = 1.0;
      for (const Node* up = nodes[j]->parent(); up != nullptr && !up->IsRoot(); up = up->parent()) {
        above *= LocalAt(*up, t).scale.x;
      }
      poses.world_scale[j] = local.scale.x * above;
    } else {
      // A child's translation is measured in its parent's scaled axes.
      const double above = poses.world_scale[static_cast<std::size_t>(parents[j])];
      pose.rotation = exchange::Then(exchange::Then(kJointAxes, local.rotation), kJointAxesBack);
      pose.translation = exchange::Turned(Times(local.translation, above), kJointAxesBack);
      poses.world_scale[j] = local.scale.x * above;
    }
    poses.own_scale[j] = local.scale.x;
  }
}

// `at` less `base`, where a difference far below what single-precision keys can tell apart
// (the rounding of the importer's changes of axes) is no move at all.
Vector3 Moved(const Vector3& at, const Vector3& base) {
  const auto difference = [](double a, double b) {
    const double d = a - b;
    return std::abs(d) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)}) ? 0.0 : d;
  };
  return Vector3(difference(at.x, base.x), difference(at.y, base.y), difference(at.z, base.z));
}

// The base pose the HTR importer stored on the node; false unless all of it is there.
bool StoredBase(Node& node, exchange::SkeletonJoint& joint) {
  float values[7] = {};
  for (std::size_t i = 0; i < 7; ++i) {
    if (!node.UserFloatProperty(kBaseProperties[i], values[i])) return false;
  }
  joint.base_translation = Vector3(values[0], values[1], values[2]);
  joint.base_rotation = exchange::RotationFromAngles(values[3], values[4], values[5]);
  joint.bone_length = values[6];
  return true;
}

float BoneLength(Node& node) {
  float length = 0.0f;
  modra::Interval valid = modra::Interval::Forever();
  if (node.object() == nullptr ||
      !node.object()->parameters().FloatParameter(modra::kBoneLength, 0, length, valid, 0)) {
    return 0.0f;
  }
  return length;
}

std::string BuildSkeleton(Scene& scene, Node& root, exchange::Skeleton& skeleton) {
  std::vector<Node*> nodes;
  std::vector<std::int32_t> parents;
  std::vector<std::pair<Node*, std::int32_t>> stack{{&root, -1}};
  while (!stack.empty()) {
    const auto [node, parent] = stack.back();
    stack.pop_back();
    const auto index = static_cast<std::int32_t>(nodes.size());
    nodes.push_back(node);
    parents.push_back(parent);
    const auto& children = node->children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      if (IsBone(**it)) stack.emplace_back(*it, index);
    }
  }
  TickSpan span;
  for (const Node* node : nodes) AddKeys(*node, span);
  for (const Node* up = root.parent(); up != nullptr && !up->IsRoot(); up = up->parent()) {
    AddKeys(*up, span);
  }
  const std::int64_t ticks = scene.ticksPerFrame();
  std::int64_t first = scene.animationRange().Start() / ticks;
  std::int64_t count = 1;
  std::string problem;
  if (!Frames(span, ticks, nodes.size(), first, count, problem)) return problem;

  skeleton = exchange::Skeleton();
  skeleton.rate = static_cast<double>(modra::kTicksPerSecond) / static_cast<double>(ticks);
  skeleton.up = Axis::kY;
  skeleton.first_frame = first;
  JointPoses poses;
  PosesAt(nodes, parents, static_cast<TickTime>(first * ticks), poses);
  for (std::size_t j = 0; j < nodes.size(); ++j) {
    exchange::SkeletonJoint joint;
    joint.name = nodes[j]->name();
    joint.parent = parents[j];
    if (!StoredBase(*nodes[j], joint)) {
      joint.base_translation = poses.local[j].translation;
      joint.base_rotation = poses.local[j].rotation;
      joint.bone_length = BoneLength(*nodes[j]) * poses.world_scale[j];
    }
    skeleton.joints.push_back(std::move(joint));
  }
  skeleton.SetFrames(count);
  for (std::int64_t k = 0; k < count; ++k) {
    PosesAt(nodes, parents, static_cast<TickTime>((first + k) * ticks), poses);
    for (std::size_t j = 0; j < nodes.size(); ++j) {
      const exchange::SkeletonJoint& joint = skeleton.joints[j];
      exchange::JointMotion& motion = skeleton.At(k, j);
      motion.translation = Moved(poses.local[j].translation, joint.base_translation);
      const Vector3 angles = exchange::AnglesFromRotation(
          exchange::Then(poses.local[j].rotation, joint.base_rotation.Transposed()));
      motion.rx = angles.x;
      motion.ry = angles.y;
      motion.rz = angles.z;
      motion.scale = poses.own_scale[j];
    }
  }
  double factor = 1.0;
  skeleton.units = UnitOf(scene, factor);
  if (factor != 1.0) skeleton.ScaleLengths(factor);
  return problem;
}

// True when the node or one above it has keys: its world transform changes with time.
bool Animated(const Node& node) {
  for (const Node* n = &node; n != nullptr && !n->IsRoot(); n = n->parent()) {
    TickSpan span;
    AddKeys(*n, span);
    if (span.Any()) return true;
  }
  return false;
}

std::string BuildMarkers(Scene& scene, const std::vector<Node*>& markers,
                         exchange::MarkerSet& set) {
  const std::int64_t ticks = scene.ticksPerFrame();
  TickSpan span;
  for (const Node* marker : markers) {
    if (marker->transform() == nullptr || marker->transform()->position() == nullptr) continue;
    for (const auto& key : marker->transform()->position()->keys()) {
      if (key.first % ticks == 0) span.Add(key.first);
    }
  }
  std::int64_t first = scene.animationRange().Start() / ticks;
  std::int64_t count = 1;
  std::string problem;
  if (!Frames(span, ticks, markers.size(), first, count, problem)) return problem;

  set = exchange::MarkerSet();
  for (const Node* marker : markers) set.markers.push_back({marker->name(), std::string()});
  set.rate = static_cast<double>(modra::kTicksPerSecond) / static_cast<double>(ticks);
  set.first_frame = first;
  set.SetFrames(count);
  double factor = 1.0;
  set.units = UnitOf(scene, factor);
  for (std::size_t m = 0; m < markers.size(); ++m) {
    const Node& marker = *markers[m];
    if (marker.transform() == nullptr || marker.transform()->position() == nullptr) continue;
    const Node* parent = marker.parent();
    const bool moving_parent = parent != nullptr && !parent->IsRoot() && Animated(*parent);
    Affine parent_world;
    if (parent != nullptr && !parent->IsRoot() && !moving_parent)
      parent_world = WorldAt(*parent, 0);
    for (const auto& key : marker.transform()->position()->keys()) {
      if (key.first % ticks != 0) continue;
      if (moving_parent) parent_world = WorldAt(*parent, key.first);
      const Affine world = Then(LocalAt(marker, key.first).Transform(), parent_world);
      const Vector3 p = Times(exchange::Turned(world.translation, kToYUp), factor);
      set.At(key.first / ticks - first, m) = exchange::MarkerSample{p.x, p.y, p.z, true};
    }
  }
  return problem;
}

}  // namespace

bool IsSceneDocument(const std::string& path) {
  return exchange::SameC3DName(std::filesystem::path(path).extension().string(), ".json");
}

std::string FindSceneContents(Scene& scene, const std::string& node, SceneContents& contents) {
  std::string problem;
  Node* top = TopNode(scene, node, problem);
  if (top != nullptr) contents = ContentsOf(scene, FindBelow(*top));
  return problem;
}

std::string ContentsText(const SceneContents& contents) {
  const auto count = [](const std::vector<std::string>& names, const char* one,
                        const char* several) {
    if (names.empty()) return std::string("no ") + one;
    return std::to_string(names.size()) + " " + (names.size() == 1 ? one : several) + " (" +
           Joined(names) + ")";
  };
  return count(contents.skeletons, "skeleton", "skeletons") + " and " +
         count(contents.clouds, "marker cloud", "marker clouds");
}

std::string SceneSkeleton(Scene& scene, const std::string& node, exchange::Skeleton& skeleton) {
  std::string problem;
  Node* top = TopNode(scene, node, problem);
  if (top == nullptr) return problem;
  const Found found = FindBelow(*top);
  if (found.skeleton_roots.size() != 1) {
    const std::string where = node.empty() ? "the scene" : node;
    return where + " holds " + ContentsText(ContentsOf(scene, found)) + "; name one skeleton";
  }
  return BuildSkeleton(scene, *found.skeleton_roots.front(), skeleton);
}

std::string SceneMarkers(Scene& scene, const std::string& node, exchange::MarkerSet& set) {
  std::string problem;
  Node* top = TopNode(scene, node, problem);
  if (top == nullptr) return problem;
  const Found found = FindBelow(*top);
  if (found.clouds.size() != 1) {
    const std::string where = node.empty() ? "the scene" : node;
    return where + " holds " + ContentsText(ContentsOf(scene, found)) + "; name one marker cloud";
  }
  return BuildMarkers(scene, found.clouds.front(), set);
}

}  // namespace zar::scene
