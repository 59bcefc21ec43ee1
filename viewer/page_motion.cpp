#include "viewer/page_motion.h"

#include <cmath>
#include <limits>
#include <utility>

#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/force_plates.h"

namespace zar::viewer {

namespace {

void AddPoint(std::vector<float>& positions, const exchange::Vector3& p) {
  positions.push_back(static_cast<float>(p.x));
  positions.push_back(static_cast<float>(p.y));
  positions.push_back(static_cast<float>(p.z));
}

}  // namespace

std::string AddPlatesAndEvents(const std::string& path, const exchange::C3DFile& file,
                               PageMotion& motion) {
  for (const exchange::C3DEvent& event : exchange::C3DEvents(file.parameters)) {
    const std::int64_t k = exchange::C3DEventFrame(event.time, motion.rate) - motion.first_frame;
    if (k >= 0 && k < motion.frames) motion.events.push_back({event.context, event.label, k});
  }
  exchange::C3DAnalog analog;
  if (exchange::FileOutcome read = exchange::ReadC3DAnalog(path, file, analog); !read.Ok()) {
    return read.message;
  }
  if (analog.NumChannels() == 0) return std::string();
  std::vector<exchange::ForcePlate> plates;
  if (std::string message = exchange::C3DForcePlates(file, analog, {}, plates); !message.empty()) {
    return message;
  }
  constexpr float kMissing = std::numeric_limits<float>::quiet_NaN();
  for (const exchange::ForcePlate& plate : plates) {
    PageMotion::Plate& drawn = motion.plates.emplace_back();
    for (const exchange::Vector3& corner : plate.corners) AddPoint(drawn.corners, corner);
    drawn.arrows.reserve(static_cast<std::size_t>(motion.frames) * 6);
    for (std::int64_t k = 0; k < motion.frames; ++k) {
      const auto s = static_cast<std::size_t>(k) * analog.per_frame;
      if (s >= plate.samples.size() || !std::isfinite(plate.samples[s].cop.X())) {
        drawn.arrows.insert(drawn.arrows.end(), 6, kMissing);
        continue;
      }
      AddPoint(drawn.arrows, plate.samples[s].cop);
      AddPoint(drawn.arrows, plate.samples[s].force);
    }
  }
  return std::string();
}

PageMotion MarkerMotion(const exchange::MarkerSet& set, std::string file, Axis up) {
  PageMotion motion;
  motion.kind = PageMotion::Kind::kMarkers;
  motion.file = std::move(file);
  motion.names = exchange::UniqueMarkerNames(set);
  motion.rate = set.rate;
  motion.first_frame = set.first_frame;
  motion.frames = set.NumFrames();
  motion.units = set.units;
  motion.up = up;
  constexpr float kMissing = std::numeric_limits<float>::quiet_NaN();
  motion.positions.reserve(static_cast<std::size_t>(set.NumFrames()) * set.NumMarkers() * 3);
  for (std::int64_t k = 0; k < set.NumFrames(); ++k) {
    const exchange::MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < set.NumMarkers(); ++m, ++sample) {
      if (sample->present) {
        AddPoint(motion.positions, {sample->x, sample->y, sample->z});
      } else {
        motion.positions.insert(motion.positions.end(), 3, kMissing);
      }
    }
  }
  return motion;
}

PageMotion SkeletonMotion(const exchange::Skeleton& skeleton, std::string file) {
  PageMotion motion;
  motion.kind = PageMotion::Kind::kSkeleton;
  motion.file = std::move(file);
  motion.rate = skeleton.rate;
  motion.first_frame = skeleton.first_frame;
  motion.frames = skeleton.NumFrames();
  motion.units = skeleton.units;
  motion.up = skeleton.up;

  exchange::MarkerSet named;  // only for the names, made unique as the CSV writer makes them
  std::vector<bool> leaf(skeleton.NumJoints(), true);
  for (const exchange::SkeletonJoint& joint : skeleton.joints) {
    named.markers.push_back({joint.name, ""});
    motion.parents.push_back(joint.parent);
    if (joint.parent >= 0) leaf[static_cast<std::size_t>(joint.parent)] = false;
  }
  motion.names = exchange::UniqueMarkerNames(named);
  std::vector<std::size_t> ends;
  for (std::size_t j = 0; j < skeleton.NumJoints(); ++j) {
    if (!leaf[j] || skeleton.joints[j].bone_length == 0.0) continue;
    ends.push_back(j);
    motion.names.push_back(motion.names[j] + " (end)");
    motion.parents.push_back(static_cast<std::int32_t>(j));
  }
  motion.ends = ends.size();

  motion.positions.reserve(static_cast<std::size_t>(skeleton.NumFrames()) * motion.names.size() *
                           3);
  std::vector<exchange::Pose> world;
  for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
    exchange::WorldPoses(skeleton, k, world);
    for (const exchange::Pose& pose : world) AddPoint(motion.positions, pose.translation);
    for (const std::size_t j : ends) {
      const double length = skeleton.joints[j].bone_length * skeleton.At(k, j).scale;
      const exchange::Vector3 along = exchange::Turned({0.0, length, 0.0}, world[j].rotation);
      AddPoint(motion.positions,
               {world[j].translation.x + along.x, world[j].translation.y + along.y,
                world[j].translation.z + along.z});
    }
  }
  return motion;
}

}  // namespace zar::viewer
