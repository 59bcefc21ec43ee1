// Fuzz entry point for the BVH reader: any bytes as a file. A file that reads must keep the
// skeleton's promises: parents come before their children, every frame's motion is finite, and
// the frames read are never more than the file declares.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exchange/bvh_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = size == 0 ? std::fopen("/dev/null", "rb")
                              : fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  zar::exchange::Skeleton skeleton;
  zar::exchange::BVHFacts facts;
  const std::string message =
      zar::exchange::ReadBVH(file, skeleton, zar::LengthUnit::kMillimetres, &facts).message;
  std::fclose(file);
  if (!message.empty()) return 0;
  if (skeleton.NumJoints() == 0 || skeleton.NumFrames() > facts.declared_frames) std::abort();
  if (!(skeleton.rate > 0.0) || !std::isfinite(skeleton.rate)) std::abort();
  for (std::size_t j = 0; j < skeleton.NumJoints(); ++j) {
    const std::int32_t parent = skeleton.joints[j].parent;
    if (parent >= static_cast<std::int32_t>(j) || parent < -1) std::abort();
  }
  for (std::int64_t k = 0; k < skeleton.NumFrames(); ++k) {
    for (std::size_t j = 0; j < skeleton.NumJoints(); ++j) {
      const zar::exchange::JointMotion& m = skeleton.At(k, j);
      if (!std::isfinite(m.translation.x + m.translation.y + m.translation.z + m.rx + m.ry +
                         m.rz)) {
        std::abort();
      }
    }
  }
  return 0;
}
