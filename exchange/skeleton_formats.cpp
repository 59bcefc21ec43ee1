#include "exchange/skeleton_formats.h"

#include <filesystem>
#include <vector>

#include "exchange/bvh_writer.h"
#include "exchange/c3d_parameters.h"
#include "exchange/csv_writer.h"
#include "exchange/gltf_writer.h"
#include "exchange/htr_skeleton_adapter.h"
#include "filelib/htr_file.h"

namespace zar::exchange {

namespace {

std::string WriteHTR(const Skeleton& skeleton, const std::string& path) {
  HTRFile model;
  ToHTR(skeleton, model);
  return model.Write(path);
}

std::string WriteJointPositionsCSV(const Skeleton& skeleton, const std::string& path) {
  return WriteCSV(JointPositions(skeleton), path);
}

constexpr SkeletonFormat kFormats[] = {
    {".htr", "HTR", ReadHTR, WriteHTR},
    {".bvh", "BVH", nullptr, WriteBVH},
    {".csv", "CSV (joint world positions)", nullptr, WriteJointPositionsCSV},
    {".glb", "glTF binary", nullptr, WriteGLB},
    {".gltf", "glTF", nullptr, WriteGLTF},
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
  MarkerSet set;
  for (const SkeletonJoint& joint : skeleton.joints) set.markers.push_back({joint.name, ""});
  set.rate = skeleton.rate;
  set.units = skeleton.units;
  set.first_frame = skeleton.first_frame;
  set.SetFrames(skeleton.NumFrames());
  std::vector<Pose> world;
  for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
    WorldPoses(skeleton, k, world);
    MarkerSample* sample = set.Frame(k);
    for (const Pose& pose : world) {
      *sample++ = MarkerSample{pose.translation.x, pose.translation.y, pose.translation.z, true};
    }
  }
  return set;
}

}  // namespace zar::exchange
