#include "exchange/bvh_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "atomic_file/output_file.h"
#include "exchange/decimal_text.h"
#include "exchange/exchange_messages.h"
#include "exchange/ordered_blocks.h"
#include "exchange/up_axis.h"
#include "filelib/file_messages.h"

namespace zar::exchange {

namespace {

constexpr int kLengthDecimals = 8;
constexpr int kAngleDecimals = 7;
constexpr double kDegrees = 180.0 / std::numbers::pi;
// Frames per block of motion lines made on one thread: about half a megabyte for 60 joints.
constexpr std::int64_t kFramesPerBlock = 256;

char* Fixed(char* p, double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;
  if (value == 0.0) value = 0.0;  // no "-0"
  return WriteFixed(p, value, decimals);
}

std::string Triple(const Vector3& v) {
  char text[3 * kNumberRoom];
  char* p = Fixed(text, v.x, kLengthDecimals);
  *p++ = ' ';
  p = Fixed(p, v.y, kLengthDecimals);
  *p++ = ' ';
  p = Fixed(p, v.z, kLengthDecimals);
  return std::string(text, p);
}

struct Layout {
  std::vector<std::vector<std::size_t>> children;
  std::vector<bool> moves;         // gets position channels
  std::vector<std::size_t> order;  // joints in the order their channels are written
  // Each joint's base-pose rotation in the file's (Y-up) world: a BVH joint at rest is turned as
  // the world is, so its channels hold its rotation relative to this.
  std::vector<Rotation> rest;
  Rotation turn;  // the skeleton's world to the file's: a Z-up world is turned to Y up
};

// Each joint's rotation in the file's world in the base pose: its base rotation followed by its
// parent's (the root's followed by the turn of the world).
std::vector<Rotation> RestRotations(const Skeleton& skeleton, const Rotation& turn) {
  std::vector<Rotation> rest(skeleton.NumJoints());
  for (std::size_t i = 0; i < skeleton.NumJoints(); ++i) {
    const SkeletonJoint& j = skeleton.joints[i];
    rest[i] = Then(j.base_rotation, j.parent < 0 ? turn : rest[static_cast<std::size_t>(j.parent)]);
  }
  return rest;
}

// The joints under `root` (itself first), depth first with children in order: the order of the
// joints in the hierarchy and of their channels.
std::vector<std::size_t> DepthFirst(const Layout& layout, std::size_t root) {
  std::vector<std::size_t> order;
  std::vector<std::size_t> pending{root};
  while (!pending.empty()) {
    const std::size_t joint = pending.back();
    pending.pop_back();
    order.push_back(joint);
    const auto& children = layout.children[joint];
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return order;
}

// Blanks before a line at `depth`: two per level, but no deeper than a fixed number of levels,
// so that a very deep chain does not grow its file with the square of its depth.
constexpr std::size_t kMostIndentedLevels = 64;
std::string Indent(std::size_t depth) {
  return std::string(2 * std::min(depth, kMostIndentedLevels), ' ');
}

// The HIERARCHY section's joints, each opened where `layout.order` reaches it and closed after
// its last descendant.
void Hierarchy(const Skeleton& skeleton, const Layout& layout, std::string& text) {
  std::vector<std::size_t> open;  // the joints whose braces are open, outermost first
  const auto close = [&] {
    const std::size_t joint = open.back();
    const std::string indent = Indent(open.size() - 1);
    const std::string inner = Indent(open.size());
    if (layout.children[joint].empty()) {
      // The bone's end along the joint's Y, in the file's world at rest.
      const Vector3 end =
          Turned(Vector3(0.0, skeleton.joints[joint].bone_length, 0.0), layout.rest[joint]);
      text += inner + "End Site\n" + inner + "{\n" + inner + "  OFFSET " + Triple(end) + "\n" +
              inner + "}\n";
    }
    text += indent + "}\n";
    open.pop_back();
  };
  for (const std::size_t joint : layout.order) {
    const SkeletonJoint& j = skeleton.joints[joint];
    while (!open.empty() && static_cast<std::int32_t>(open.back()) != j.parent) close();
    const bool root = j.parent < 0;
    const std::string indent = Indent(open.size());
    const std::string inner = Indent(open.size() + 1);
    text += indent + (root ? "ROOT " : "JOINT ") + j.name + "\n" + indent + "{\n";
    // A joint with position channels (every root) has a zero OFFSET and its whole translation in
    // the channels: readers that add the OFFSET to the channels and readers that take the
    // channels in its place then agree. Any other joint's OFFSET is its bone from the parent in
    // the file's world at rest.
    const Vector3 offset =
        layout.moves[joint]
            ? Vector3()
            : Turned(j.base_translation, layout.rest[static_cast<std::size_t>(j.parent)]);
    text += inner + "OFFSET " + Triple(offset) + "\n";
    text +=
        inner + (layout.moves[joint] ? "CHANNELS 6 Xposition Yposition Zposition " : "CHANNELS 3 ");
    text += "Zrotation Yrotation Xrotation\n";
    open.push_back(joint);
  }
  while (!open.empty()) close();
}

// The motion lines of frames [from, to): per joint in channel order, its positions (where it
// moves) and its Z, Y, X angles in degrees. With R the joint's rest rotation in the file's world,
// P its parent's (the root's: the turn of the world, T) and L its local rotation, the channels
// hold R⁻¹ L P (the rotation from rest, in the parent's rest axes), and a translation t becomes
// t P; so every joint is where the skeleton puts it, and zero channels give the base pose.
void FrameLines(const Skeleton& skeleton, const Layout& layout, std::int64_t from, std::int64_t to,
                TextBlock& out) {
  for (std::int64_t k = from; k < to; ++k) {
    for (std::size_t n = 0; n < layout.order.size(); ++n) {
      const std::size_t i = layout.order[n];
      const std::int32_t parent = skeleton.joints[i].parent;
      const Rotation& above =
          parent < 0 ? layout.turn : layout.rest[static_cast<std::size_t>(parent)];
      Pose pose = LocalPose(skeleton, k, i);
      pose.translation = Turned(pose.translation, above);
      pose.rotation = Then(Then(layout.rest[i].Transposed(), pose.rotation), above);
      char* p = out.Reserve(6 * kNumberRoom);
      if (n != 0) *p++ = ' ';
      if (layout.moves[i]) {
        p = Fixed(p, pose.translation.x, kLengthDecimals);
        *p++ = ' ';
        p = Fixed(p, pose.translation.y, kLengthDecimals);
        *p++ = ' ';
        p = Fixed(p, pose.translation.z, kLengthDecimals);
        *p++ = ' ';
      }
      const Vector3 angles = AnglesFromRotation(pose.rotation);
      p = Fixed(p, angles.z * kDegrees, kAngleDecimals);
      *p++ = ' ';
      p = Fixed(p, angles.y * kDegrees, kAngleDecimals);
      *p++ = ' ';
      p = Fixed(p, angles.x * kDegrees, kAngleDecimals);
      out.Advance(p);
    }
    out.Write("\n");
  }
}

}  // namespace

FileOutcome WriteBVH(const Skeleton& skeleton, const std::string& path) {
  const std::size_t joints = skeleton.NumJoints();
  Layout layout;
  layout.children.resize(joints);
  layout.moves.assign(joints, false);
  std::vector<std::size_t> roots;
  for (std::size_t i = 0; i < joints; ++i) {
    const std::int32_t parent = skeleton.joints[i].parent;
    if (parent < 0) {
      roots.push_back(i);
      layout.moves[i] = true;
    } else {
      layout.children[static_cast<std::size_t>(parent)].push_back(i);
    }
  }
  if (roots.size() != 1) {
    return FileOutcome::NotWritable(std::string(messages::kBVHOneRoot) +
                                    std::to_string(roots.size()));
  }
  if (!(skeleton.rate > 0.0) || !std::isfinite(skeleton.rate)) {
    return FileOutcome::NotWritable(std::string(messages::kBVHRate));
  }
  for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
    for (std::size_t i = 0; i < joints; ++i) {
      const Displacement& t = skeleton.At(k, i).translation;
      if (t.x != 0.0 || t.y != 0.0 || t.z != 0.0) layout.moves[i] = true;
    }
  }
  layout.order = DepthFirst(layout, roots.front());
  if (skeleton.up == Axis::kZ) layout.turn = ZUpToYUp();
  layout.rest = RestRotations(skeleton, layout.turn);

  OutputFile out;
  if (!out.Open(path)) return CannotOpen(out);
  std::string head = "HIERARCHY\n";
  Hierarchy(skeleton, layout, head);
  const double frame_time = 1.0 / skeleton.rate;
  const int magnitude = static_cast<int>(std::floor(std::log10(frame_time)));
  const int decimals = std::clamp(11 - magnitude, 12, 40);  // 12 significant digits
  char time[kNumberRoom];
  head += "MOTION\nFrames: " + std::to_string(skeleton.NumFrames()) +
          "\nFrame Time: " + std::string(time, Fixed(time, frame_time, decimals)) + "\n";
  out.Write(head);

  WriteInOrder(out, skeleton.NumFrames(), kFramesPerBlock,
               [&](std::int64_t from, std::int64_t to, TextBlock& text) {
                 FrameLines(skeleton, layout, from, to, text);
               });
  return Commit(out);
}

}  // namespace zar::exchange
