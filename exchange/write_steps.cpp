#include "exchange/write_steps.h"

#include "exchange/c3d_file.h"
#include "exchange/up_axis.h"

namespace zar::exchange {

namespace {

template <typename Format, typename Model>
std::string Turn(const Format& target, Axis up, Model& model) {
  if (target.written_up && *target.written_up != up) {
    return std::string(target.title) + " is written " + std::string(AxisText(*target.written_up)) +
           " up";
  }
  TurnUp(model, up);
  return std::string();
}

}  // namespace

std::string TurnForFormat(const MarkerFormat& target, Axis up, MarkerSet& set) {
  return Turn(target, up, set);
}

std::string TurnForFormat(const SkeletonFormat& target, Axis up, Skeleton& skeleton) {
  return Turn(target, up, skeleton);
}

std::vector<std::string> BeforeWriting(const SkeletonFormat& target, const Skeleton& skeleton) {
  std::vector<std::string> said;
  if (target.drops_bone_scale.empty()) return said;
  const std::vector<std::string> scaled = ScaledJoints(skeleton);
  if (scaled.empty()) return said;
  std::string text = std::string(target.drops_bone_scale) + "; written without it for:";
  for (const std::string& name : scaled) text += " " + name;
  said.push_back(std::move(text));
  return said;
}

std::vector<std::string> BeforeWriting(const MarkerFormat& target, const std::string& path,
                                       MarkerSet& set) {
  std::vector<std::string> said;
  // C3D counts frames from 1: a set that starts lower is renumbered.
  if (target.extension == ".c3d" && C3DFirstFrame(set) != set.first_frame) {
    said.push_back("C3D counts frames from 1; the frames from " + std::to_string(set.first_frame) +
                   " are numbered from " + std::to_string(C3DFirstFrame(set)) + " in " + path);
    set.first_frame = C3DFirstFrame(set);
  }
  return said;
}

std::vector<std::string> AfterWriting(const MarkerFormat& target, const std::string& path,
                                      const MarkerSet& set) {
  std::vector<std::string> said;
  if (const std::string renamed = RenamedMarkers(target, set); !renamed.empty()) {
    said.push_back(path + ": " + std::string(target.title) +
                   " renames markers whose names it cannot hold: " + renamed);
  }
  return said;
}

}  // namespace zar::exchange
