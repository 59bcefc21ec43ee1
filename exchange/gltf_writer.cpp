#include "exchange/gltf_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "exchange/exchange_messages.h"
#include "exchange/gltf_document.h"
#include "exchange/parallel_blocks.h"
#include "exchange/up_axis.h"
#include "math/zar_quaternion.h"

namespace zar::exchange {

namespace {

using Json = GltfDocument::Json;

constexpr double kPointRadius = 0.01;  // metres

// The key time of every frame in seconds, as single-precision floats that must still increase
// from frame to frame. Frame numbers count from 1 (or from the first frame, when it is lower).
std::string FrameTimes(std::int64_t first_frame, double rate, std::int64_t frames,
                       std::vector<float>& times) {
  if (frames == 0) return std::string();
  if (!(rate > 0.0) || !std::isfinite(rate)) return std::string(messages::kGltfRate);
  const std::int64_t origin = std::min<std::int64_t>(first_frame, 1);
  times.resize(static_cast<std::size_t>(frames));
  for (std::int64_t k = 0; k < frames; ++k) {
    const auto t = static_cast<float>(static_cast<double>(first_frame + k - origin) / rate);
    if (k > 0 && !(t > times.back())) return std::string(messages::kGltfTimes);
    times[static_cast<std::size_t>(k)] = t;
  }
  return std::string();
}

// The eight faces of a small octahedron about a point: for each face, its outward normal and its
// three corners, counter-clockwise seen from outside.
std::vector<std::array<Vector3, 4>> OctahedronFaces() {
  std::vector<std::array<Vector3, 4>> faces;
  for (const int sx : {1, -1}) {
    for (const int sy : {1, -1}) {
      for (const int sz : {1, -1}) {
        std::array<Vector3, 4> face = {Vector3(sx, sy, sz), Vector3(sx * kPointRadius, 0, 0),
                                       Vector3(0, sy * kPointRadius, 0),
                                       Vector3(0, 0, sz * kPointRadius)};
        if (sx * sy * sz < 0) std::swap(face[2], face[3]);
        const double length = std::sqrt(3.0);
        face[0] = Vector3(face[0].x / length, face[0].y / length, face[0].z / length);
        faces.push_back(face);
      }
    }
  }
  return faces;
}

// A lit material of one colour (red, green, blue); returns its index.
int AddMaterial(GltfDocument& document, const char* name, std::array<double, 3> colour) {
  Json& materials = document.Top()["materials"];
  materials.push_back({{"name", name},
                       {"pbrMetallicRoughness",
                        {{"baseColorFactor", {colour[0], colour[1], colour[2], 1.0}},
                         {"metallicFactor", 0.0},
                         {"roughnessFactor", 0.8}}}});
  return static_cast<int>(materials.size() - 1);
}

// A small octahedron about the node's origin, outward-facing triangles with their normals, in
// `material`; returns the mesh index.
int AddPointMesh(GltfDocument& document, int material) {
  std::vector<float> corners;
  std::vector<float> normals;
  for (const std::array<Vector3, 4>& face : OctahedronFaces()) {
    for (std::size_t c = 1; c <= 3; ++c) {
      for (const double v : {face[c].x, face[c].y, face[c].z})
        corners.push_back(static_cast<float>(v));
      for (const double v : {face[0].x, face[0].y, face[0].z})
        normals.push_back(static_cast<float>(v));
    }
  }
  const int positions = document.AddFloats(std::move(corners), 3, 34962);
  const int directions = document.AddFloats(std::move(normals), 3, 34962);
  Json& meshes = document.Top()["meshes"];
  meshes.push_back({{"name", "point"},
                    {"primitives",
                     {{{"attributes", {{"POSITION", positions}, {"NORMAL", directions}}},
                       {"material", material}}}}});
  return static_cast<int>(meshes.size() - 1);
}

// A point's place in the world: a rotation (rows of its column form) and a translation.
struct Placement {
  std::array<std::array<double, 3>, 3> turn{};
  std::array<double, 3> at{};

  std::array<double, 3> Apply(const Vector3& v) const {
    std::array<double, 3> out = at;
    for (std::size_t r = 0; r < 3; ++r)
      out[r] += turn[r][0] * v.x + turn[r][1] * v.y + turn[r][2] * v.z;
    return out;
  }
};

// The skin that makes the joints an armature: every joint a bone, each with a glyph (the point
// octahedron) bound to it alone, placed in the bind pose, which is the joints' own translation
// and rotation (`translations` three floats, `rotations` four, x y z w, per joint, parents
// first); the inverse bind matrices undo that pose. The skinned mesh is a root node of its own
// named `name`; returns its node index in `nodes`.
void AddSkin(GltfDocument& document, const Skeleton& skeleton,
             const std::vector<float>& translations, const std::vector<float>& rotations,
             int material, Json& nodes, Json& roots) {
  const std::size_t joints = skeleton.NumJoints();
  std::vector<Placement> world(joints);
  std::vector<float> inverse;
  std::vector<float> corners;
  std::vector<float> normals;
  std::vector<std::uint16_t> bones;
  std::vector<float> weights;
  const auto faces = OctahedronFaces();
  for (std::size_t i = 0; i < joints; ++i) {
    const float* q = rotations.data() + 4 * i;
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    Placement local;
    local.turn = {{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                   {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                   {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}}};
    local.at = {translations[3 * i], translations[3 * i + 1], translations[3 * i + 2]};
    const std::int32_t parent = skeleton.joints[i].parent;
    if (parent < 0) {
      world[i] = local;
    } else {
      const Placement& p = world[static_cast<std::size_t>(parent)];
      Placement& out = world[i];
      for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 3; ++c) {
          out.turn[r][c] = p.turn[r][0] * local.turn[0][c] + p.turn[r][1] * local.turn[1][c] +
                           p.turn[r][2] * local.turn[2][c];
        }
      }
      out.at = p.Apply(Vector3(local.at[0], local.at[1], local.at[2]));
    }
    // The inverse of a rigid placement, column by column: the turn transposed, and minus the
    // transposed turn of the translation.
    const Placement& m = world[i];
    for (std::size_t c = 0; c < 3; ++c) {
      for (std::size_t r = 0; r < 3; ++r) inverse.push_back(static_cast<float>(m.turn[c][r]));
      inverse.push_back(0.0F);
    }
    for (std::size_t r = 0; r < 3; ++r) {
      inverse.push_back(static_cast<float>(
          -(m.turn[0][r] * m.at[0] + m.turn[1][r] * m.at[1] + m.turn[2][r] * m.at[2])));
    }
    inverse.push_back(1.0F);
    const Placement turn_only{m.turn, {0.0, 0.0, 0.0}};
    for (const std::array<Vector3, 4>& face : faces) {
      const std::array<double, 3> normal = turn_only.Apply(face[0]);
      for (std::size_t c = 1; c <= 3; ++c) {
        for (const double v : m.Apply(face[c])) corners.push_back(static_cast<float>(v));
        for (const double v : normal) normals.push_back(static_cast<float>(v));
        bones.insert(bones.end(), {static_cast<std::uint16_t>(i), 0, 0, 0});
        weights.insert(weights.end(), {1.0F, 0.0F, 0.0F, 0.0F});
      }
    }
  }
  const int positions = document.AddFloats(std::move(corners), 3, 34962);
  const int directions = document.AddFloats(std::move(normals), 3, 34962);
  const int bone_indices = document.AddUnsignedShorts(bones, 4, 34962);
  const int bone_weights = document.AddFloats(std::move(weights), 4, 34962);
  const int matrices = document.AddMatrices(std::move(inverse));
  Json& meshes = document.Top()["meshes"];
  meshes.push_back({{"name", "joints"},
                    {"primitives",
                     {{{"attributes",
                        {{"POSITION", positions},
                         {"NORMAL", directions},
                         {"JOINTS_0", bone_indices},
                         {"WEIGHTS_0", bone_weights}}},
                       {"material", material}}}}});
  Json list = Json::array();
  for (std::size_t i = 0; i < joints; ++i) list.push_back(i);
  Json skin = {{"joints", std::move(list)}, {"inverseBindMatrices", matrices}};
  for (std::size_t i = 0; i < joints; ++i) {
    if (skeleton.joints[i].parent < 0) {
      skin["skeleton"] = i;
      break;
    }
  }
  document.Top()["skins"] = Json::array({std::move(skin)});
  nodes.push_back({{"name", "skeleton"}, {"mesh", meshes.size() - 1}, {"skin", 0}});
  roots.push_back(nodes.size() - 1);
}

// Adds a sampler from the accessor `times` to the accessor `output` and the channel that drives
// `path` of `node`.
void AddChannel(Json& animation, int times, int output, int node, const char* path,
                const char* interpolation) {
  Json& samplers = animation["samplers"];
  samplers.push_back({{"input", times}, {"output", output}, {"interpolation", interpolation}});
  const std::size_t sampler = samplers.size() - 1;  // before "channels" may move "samplers"
  animation["channels"].push_back(
      {{"sampler", sampler}, {"target", {{"node", node}, {"path", path}}}});
}

// Adds the animation (when it has channels) and the scene of `roots`, and writes the document.
FileOutcome Finish(GltfDocument& document, Json animation, Json roots, Json scene_extras,
                   const std::string& path, bool binary) {
  if (animation.contains("channels")) {
    document.Top()["animations"] = Json::array();
    document.Top()["animations"].push_back(std::move(animation));
  }
  Json scene = {{"extras", std::move(scene_extras)}};
  if (!roots.empty()) scene["nodes"] = std::move(roots);  // a scene may be empty, a list not
  document.Top()["scene"] = 0;
  document.Top()["scenes"] = Json::array({std::move(scene)});
  return document.Write(path, binary);
}

Json SceneExtras(double rate, std::int64_t first_frame, std::int64_t frames) {
  return {{"frameRate", rate}, {"firstFrame", first_frame}, {"frames", frames}};
}

// A row-vector rotation (p·M) as the unit quaternion x, y, z, w of its column form (M
// transposed), as glTF stores it.
std::array<double, 4> Quaternion(const Rotation& m) {
  ZARQuaternion<double> q;
  q.SetFromMatrix(m);
  return {q.X(), q.Y(), q.Z(), q.W()};
}

// Whether the `components`-wide keys of `values` are not all the same as the first.
bool Changes(const std::vector<float>& values, std::size_t components) {
  for (std::size_t i = components; i < values.size(); ++i) {
    if (values[i] != values[i % components]) return true;
  }
  return false;
}

Json FirstKey(const std::vector<float>& values, std::size_t components) {
  return Json(
      std::vector<float>(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(components)));
}

// The keys of every joint in metres and glTF axes, one per frame (the base pose alone when the
// skeleton has no frames): translations three floats per key, rotations four (x, y, z, w), each
// rotation key in the hemisphere of the one before (the sign of their dot product) so that LINEAR
// interpolation takes the short way. Made for a group of neighbouring joints at a time, whose
// motions lie side by side in every frame, a block of frames on each core; asked for in joint
// order, each group is made once.
class JointKeys {
 public:
  explicit JointKeys(const Skeleton& skeleton)
      : skeleton_(skeleton),
        keys_(static_cast<std::size_t>(std::max<std::int64_t>(skeleton.NumFrames(), 1))),
        metres_(LengthConversionFactor(skeleton.units, LengthUnit::kMetres)),
        group_(std::max<std::size_t>(1, kGroupBytes / (keys_ * (7 * sizeof(float) + 1)))) {}

  const std::vector<float>& Translations(std::size_t joint) {
    Hold(joint);
    return translations_[joint - first_];
  }
  const std::vector<float>& Rotations(std::size_t joint) {
    Hold(joint);
    return rotations_[joint - first_];
  }

 private:
  // About this many bytes of keys are held at once.
  static constexpr std::size_t kGroupBytes = std::size_t{4} << 20;
  static constexpr std::int64_t kKeysPerBlock = 1024;
  static constexpr std::size_t kFramesAhead = 4;

  // Makes the keys of the group that begins at `joint`, unless `joint` is in the group held.
  void Hold(std::size_t joint) {
    if (joint >= first_ && joint < first_ + translations_.size()) return;
    first_ = joint;
    const std::size_t count = std::min(group_, skeleton_.NumJoints() - joint);
    translations_.resize(count);
    rotations_.resize(count);
    sides_.resize(count);
    for (std::size_t g = 0; g < count; ++g) {
      translations_[g].resize(3 * keys_);
      rotations_[g].resize(4 * keys_);
      sides_[g].resize(keys_);
    }
    ForEachBlock(static_cast<std::int64_t>(keys_), kKeysPerBlock,
                 [this](std::int64_t from, std::int64_t to) {
                   MakeKeys(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
                 });
    // Turned round where the dot product with the key before as written is negative.
    for (std::size_t g = 0; g < count; ++g) {
      float* r = rotations_[g].data();
      bool turned = false;
      for (std::size_t k = 1; k < keys_; ++k) {
        turned = turned ? sides_[g][k] > 0 : sides_[g][k] < 0;
        if (turned) {
          for (std::size_t c = 4 * k; c < 4 * k + 4; ++c) r[c] = -r[c];
        }
      }
    }
  }

  // Keys [from, to) of the group held, the rotations as made, with the side of each (the sign of
  // its dot product with the key before, as made).
  void MakeKeys(std::size_t from, std::size_t to) {
    const std::size_t count = translations_.size();
    std::vector<std::array<float, 4>> before(count, std::array<float, 4>{});
    if (from > 0) {
      for (std::size_t g = 0; g < count; ++g) {
        const std::array<double, 4> q = Quaternion(KeyPose(first_ + g, from - 1).rotation);
        for (std::size_t c = 0; c < 4; ++c) before[g][c] = static_cast<float>(q[c]);
      }
    }
    // Frame by frame, where the group's motions lie side by side; a frame's lie far from the
    // next frame's, so they are asked for a few frames ahead.
    const bool frames = skeleton_.NumFrames() > 0;
    const std::size_t group_bytes = count * sizeof(JointMotion);
    for (std::size_t k = from; k < to; ++k) {
      if (frames && k + kFramesAhead < to) {
        const auto* next = reinterpret_cast<const char*>(
            &skeleton_.At(static_cast<std::int64_t>(k + kFramesAhead), first_));
        for (std::size_t at = 0; at < group_bytes; at += 64) __builtin_prefetch(next + at);
      }
      for (std::size_t g = 0; g < count; ++g) {
        const Pose pose = KeyPose(first_ + g, k);
        float* t = translations_[g].data() + 3 * k;
        t[0] = static_cast<float>(pose.translation.x * metres_);
        t[1] = static_cast<float>(pose.translation.y * metres_);
        t[2] = static_cast<float>(pose.translation.z * metres_);
        const std::array<double, 4> q = Quaternion(pose.rotation);
        std::array<float, 4>& b = before[g];
        const double dot = q[0] * b[0] + q[1] * b[1] + q[2] * b[2] + q[3] * b[3];
        sides_[g][k] = static_cast<signed char>(dot < 0 ? -1 : dot > 0 ? 1 : 0);
        float* r = rotations_[g].data() + 4 * k;
        for (std::size_t c = 0; c < 4; ++c) r[c] = b[c] = static_cast<float>(q[c]);
      }
    }
  }

  // The joint's pose at key k in glTF axes, lengths in the skeleton's units.
  Pose KeyPose(std::size_t joint, std::size_t k) const {
    const SkeletonJoint& j = skeleton_.joints[joint];
    Pose pose = skeleton_.NumFrames() > 0
                    ? LocalPose(skeleton_, static_cast<std::int64_t>(k), joint)
                    : Pose{j.base_translation, j.base_rotation};
    if (skeleton_.up == Axis::kZ && j.parent < 0) {
      pose.translation = Turned(pose.translation, ZUpToYUp());
      pose.rotation = Then(pose.rotation, ZUpToYUp());
    }
    return pose;
  }

  const Skeleton& skeleton_;
  const std::size_t keys_;
  const double metres_;
  const std::size_t group_;                       // joints per group
  std::size_t first_ = 0;                         // the first joint of the group held
  std::vector<std::vector<float>> translations_;  // of the group held, by joint
  std::vector<std::vector<float>> rotations_;
  std::vector<std::vector<signed char>> sides_;
};

FileOutcome WriteSkeleton(const Skeleton& skeleton, const std::string& path, bool binary) {
  std::vector<float> times;
  if (std::string message =
          FrameTimes(skeleton.first_frame, skeleton.rate, skeleton.NumFrames(), times);
      !message.empty()) {
    return FileOutcome::NotWritable(std::move(message));
  }
  const std::size_t joints = skeleton.NumJoints();
  GltfDocument document;
  // One root and joints that 16-bit indices can name make an armature: the joints are bones of a
  // skin whose mesh carries every joint's glyph. Otherwise each joint node carries its own.
  const std::size_t roots_count =
      static_cast<std::size_t>(std::count_if(skeleton.joints.begin(), skeleton.joints.end(),
                                             [](const SkeletonJoint& j) { return j.parent < 0; }));
  const bool skinned = joints > 0 && roots_count == 1 && joints <= 65535;
  const int material = joints > 0 ? AddMaterial(document, "joint", {1.0, 0.55, 0.1}) : -1;
  const int mesh = joints > 0 && !skinned ? AddPointMesh(document, material) : -1;
  std::vector<float> bind_translations;
  std::vector<float> bind_rotations;
  int input = -1;  // the key times, added with the first channel
  const auto frame_times = [&] {
    return input >= 0 ? input : input = document.AddFloats(times, 1);
  };
  Json nodes = Json::array();
  Json roots = Json::array();
  Json animation = {{"name", "motion"}};
  // The keys are made here for the nodes and the accessors' bounds, and made again when the buffer
  // is written: the document never holds every joint's.
  JointKeys keys(skeleton);
  for (std::size_t i = 0; i < joints; ++i) {
    const SkeletonJoint& joint = skeleton.joints[i];
    const int node_index = static_cast<int>(i);
    const std::vector<float>& translations = keys.Translations(i);
    const std::vector<float>& rotations = keys.Rotations(i);
    Json node = {{"name", joint.name},
                 {"translation", FirstKey(translations, 3)},
                 {"rotation", FirstKey(rotations, 4)}};
    if (!skinned) node["mesh"] = mesh;
    nodes.push_back(std::move(node));
    bind_translations.insert(bind_translations.end(), translations.begin(),
                             translations.begin() + 3);
    bind_rotations.insert(bind_rotations.end(), rotations.begin(), rotations.begin() + 4);
    if (joint.parent < 0) {
      roots.push_back(i);
    } else {
      nodes[static_cast<std::size_t>(joint.parent)]["children"].push_back(i);
    }
    if (Changes(translations, 3)) {
      const int times_accessor = frame_times();
      const int output = document.AddFloats(
          translations, [&keys, i](std::vector<float>& v) { v = keys.Translations(i); }, 3);
      AddChannel(animation, times_accessor, output, node_index, "translation", "LINEAR");
    }
    if (Changes(rotations, 4)) {
      const int times_accessor = frame_times();
      const int output = document.AddFloats(
          rotations, [&keys, i](std::vector<float>& v) { v = keys.Rotations(i); }, 4);
      AddChannel(animation, times_accessor, output, node_index, "rotation", "LINEAR");
    }
  }
  if (skinned)
    AddSkin(document, skeleton, bind_translations, bind_rotations, material, nodes, roots);
  if (!nodes.empty()) document.Top()["nodes"] = std::move(nodes);
  return Finish(document, std::move(animation), std::move(roots),
                SceneExtras(skeleton.rate, skeleton.first_frame, skeleton.NumFrames()), path,
                binary);
}

// A marker's positions in glTF axes and metres, three floats per frame: a missing sample holds
// the last position seen, and before its first sample a marker waits where it first appears
// (`seen`, the frame of its first sample; frames when it has none).
void MarkerPositions(const MarkerSet& set, std::size_t m, std::size_t seen, std::vector<float>& p) {
  const double metres = LengthConversionFactor(set.units, LengthUnit::kMetres);
  const bool turn = set.up == Axis::kZ;
  const auto frames = static_cast<std::size_t>(set.NumFrames());
  p.assign(frames * 3, 0.0F);
  for (std::size_t k = 0; k < frames; ++k) {
    const MarkerSample& sample = set.At(static_cast<std::int64_t>(k), m);
    float* q = p.data() + 3 * k;
    if (sample.present) {
      Vector3 v(sample.x * metres, sample.y * metres, sample.z * metres);
      if (turn) v = Turned(v, ZUpToYUp());
      q[0] = static_cast<float>(v.x);
      q[1] = static_cast<float>(v.y);
      q[2] = static_cast<float>(v.z);
    } else if (k > 0) {
      std::copy(q - 3, q, q);
    }
  }
  for (std::size_t k = 0; k < seen && seen < frames; ++k) {
    std::copy(p.begin() + static_cast<std::ptrdiff_t>(3 * seen),
              p.begin() + static_cast<std::ptrdiff_t>(3 * seen + 3),
              p.begin() + static_cast<std::ptrdiff_t>(3 * k));
  }
}

FileOutcome WriteMarkers(const MarkerSet& set, const std::string& path, bool binary) {
  std::vector<float> times;
  if (std::string message = FrameTimes(set.first_frame, set.rate, set.NumFrames(), times);
      !message.empty()) {
    return FileOutcome::NotWritable(std::move(message));
  }
  const std::size_t markers = set.NumMarkers();
  const auto frames = static_cast<std::size_t>(set.NumFrames());
  // Per marker: the frame indices where it goes missing and where it comes back, in turn.
  std::vector<std::vector<std::size_t>> changes(markers);
  std::vector<std::size_t> seen(markers, frames);  // the first frame it is present in
  for (std::size_t k = 0; k < frames; ++k) {
    const MarkerSample* sample = set.Frame(static_cast<std::int64_t>(k));
    for (std::size_t m = 0; m < markers; ++m, ++sample) {
      if (sample->present != (changes[m].size() % 2 == 0)) changes[m].push_back(k);
      if (sample->present) seen[m] = std::min(seen[m], k);
    }
  }

  GltfDocument document;
  const int mesh =
      markers > 0 ? AddPointMesh(document, AddMaterial(document, "marker", {0.24, 0.72, 1.0})) : -1;
  int input = -1;  // the key times, added with the first channel
  const auto frame_times = [&] {
    return input >= 0 ? input : input = document.AddFloats(times, 1);
  };
  const std::vector<std::string> names = UniqueMarkerNames(set);
  Json nodes = Json::array();
  Json roots = Json::array();
  Json animation = {{"name", "motion"}};
  std::vector<float> p;
  for (std::size_t m = 0; m < markers; ++m) {
    // The positions are made here for the accessor's bounds and made again when written: the
    // document holds one marker's at a time.
    MarkerPositions(set, m, seen[m], p);
    Json gaps = Json::array();
    std::vector<float> key_times;
    std::vector<float> scales;
    const std::vector<std::size_t>& change = changes[m];
    for (std::size_t c = 0; c < change.size(); ++c) {
      const bool hides = c % 2 == 0;
      if (hides) {
        const std::size_t back = c + 1 < change.size() ? change[c + 1] : frames;
        gaps.push_back({set.first_frame + static_cast<std::int64_t>(change[c]),
                        set.first_frame + static_cast<std::int64_t>(back) - 1});
      }
      if (c == 0 && change[0] > 0) {  // shown from the start
        key_times.push_back(times[0]);
        scales.insert(scales.end(), {1.0F, 1.0F, 1.0F});
      }
      key_times.push_back(times[change[c]]);
      const float scale = hides ? 0.0F : 1.0F;
      scales.insert(scales.end(), {scale, scale, scale});
    }
    Json node = {{"name", names[m]}, {"mesh", mesh}, {"extras", {{"missingFrames", gaps}}}};
    if (frames > 0) node["translation"] = FirstKey(p, 3);
    nodes.push_back(std::move(node));
    roots.push_back(m);
    const int node_index = static_cast<int>(m);
    if (Changes(p, 3)) {
      const int times_accessor = frame_times();
      const int output = document.AddFloats(
          p,
          [&set, m, first = seen[m]](std::vector<float>& v) { MarkerPositions(set, m, first, v); },
          3);
      AddChannel(animation, times_accessor, output, node_index, "translation", "LINEAR");
    }
    if (!key_times.empty()) {
      const int scale_input = document.AddFloats(std::move(key_times), 1);
      AddChannel(animation, scale_input, document.AddFloats(std::move(scales), 3), node_index,
                 "scale", "STEP");
    }
  }
  if (!nodes.empty()) document.Top()["nodes"] = std::move(nodes);
  return Finish(document, std::move(animation), std::move(roots),
                SceneExtras(set.rate, set.first_frame, set.NumFrames()), path, binary);
}

}  // namespace

FileOutcome WriteGLB(const Skeleton& skeleton, const std::string& path) {
  return WriteSkeleton(skeleton, path, true);
}

FileOutcome WriteGLB(const MarkerSet& set, const std::string& path) {
  return WriteMarkers(set, path, true);
}

FileOutcome WriteGLTF(const Skeleton& skeleton, const std::string& path) {
  return WriteSkeleton(skeleton, path, false);
}

FileOutcome WriteGLTF(const MarkerSet& set, const std::string& path) {
  return WriteMarkers(set, path, false);
}

}  // namespace zar::exchange
