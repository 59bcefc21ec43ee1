#include "exchange/skeleton_formats.h"

#include <filesystem>
#include <vector>

#include "exchange/bvh_reader.h"
#include "exchange/bvh_writer.h"
#include "exchange/c3d_parameters.h"
#include "exchange/csv_writer.h"
#include "exchange/gltf_writer.h"
#include "exchange/htr_skeleton_adapter.h"
#include "exchange/up_axis.h"
#include "filelib/htr_file.h"

namespace zar::exchange {

namespace {

// The HTR files we write say Y up (GlobalAxisofGravity Y): a Z-up skeleton is turned first.
FileOutcome WriteHTR(const Skeleton& skeleton, const std::string& path) {
  HTRFile model;
  if (skeleton.up != Axis::kY) {
    Skeleton turned = skeleton;
    TurnUp(turned, Axis::kY);
    ToHTR(turned, model);
  } else {
    ToHTR(skeleton, model);
  }
  return WriteHTRFile(model, path);
}

// The markers, rate, units and numbering of the joint positions, without their frames.
MarkerSet JointMarkers(const Skeleton& skeleton) {
  MarkerSet set;
  for (const SkeletonJoint& joint : skeleton.joints) set.markers.push_back({joint.name, ""});
  set.rate = skeleton.rate;
  set.units = skeleton.units;
  set.first_frame = skeleton.first_frame;
  return set;
}

// The world position of every joint in frames [from, to), frame after frame.
void JointPositionFrames(const Skeleton& skeleton, std::int64_t from, std::int64_t to,
                         MarkerSample* sample) {
  std::vector<Pose> world;
  for (std::int64_t k = from; k < to; ++k) {
    WorldPoses(skeleton, k, world);
    for (const Pose& pose : world) {
      *sample++ = MarkerSample{pose.translation.x, pose.translation.y, pose.translation.z, true};
    }
  }
}

// The rows are made from the skeleton as they are written, on every core: no marker set of
// every position is held.
FileOutcome WriteJointPositionsCSV(const Skeleton& skeleton, const std::string& path) {
  return WriteCSV(
      JointMarkers(skeleton), skeleton.NumFrames(),
      [&skeleton](std::int64_t from, std::int64_t to, MarkerSample* samples) {
        JointPositionFrames(skeleton, from, to, samples);
      },
      path);
}

// BVH does not name its length unit: lengths are taken as centimetres, the unit of the large
// public motion libraries.
FileOutcome ReadBVHFile(const std::string& path, Skeleton& skeleton) {
  BVHFacts facts;
  FileOutcome outcome = ReadBVH(path, skeleton, LengthUnit::kCentimetres, &facts);
  skeleton.declared_frames = facts.declared_frames;
  return outcome;
}

constexpr SkeletonFormat kFormats[] = {
    {".htr", "HTR", ReadHTR, WriteHTR, Axis::kY},
    {".bvh", "BVH", ReadBVHFile, WriteBVH, Axis::kY, std::nullopt,
     "BVH cannot hold a bone scale factor other than 1"},
    {".csv", "CSV (joint world positions)", nullptr, WriteJointPositionsCSV},
    {".glb", "glTF binary", nullptr, WriteGLB, Axis::kY, LengthUnit::kMetres,
     "glTF is written without bone scale factors"},
    {".gltf", "glTF", nullptr, WriteGLTF, Axis::kY, LengthUnit::kMetres,
     "glTF is written without bone scale factors"},
};

}  // namespace

std::span<const SkeletonFormat> SkeletonFormats() { return kFormats; }

const SkeletonFormat* FindSkeletonFormat(std::string_view path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  for (const SkeletonFormat& format : kFormats) {
    if (SameC3DName(format.extension, extension)) return &format;
  }
  return nullptr;
}

MarkerSet JointPositions(const Skeleton& skeleton) {
  MarkerSet set = JointMarkers(skeleton);
  set.SetFrames(skeleton.NumFrames());
  if (set.NumFrames() > 0) JointPositionFrames(skeleton, 0, set.NumFrames(), set.Frame(0));
  return set;
}

}  // namespace zar::exchange
