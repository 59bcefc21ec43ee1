// The glTF writer on what the sample files do not hold: names that are not UTF-8, the missing
// frames listed by number, a write that cannot happen.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "exchange/gltf_writer.h"
#include "exchange/skeleton.h"
#include "filelib/file_messages.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

TEST(GltfWriter, NamesStayValidJsonAndGapsAreListedByFrameNumber) {
  exchange::MarkerSet set;
  set.markers = {{"caf\xE9", ""}, {"Fu\xC3\x9F", ""}};
  set.first_frame = 10;
  set.SetFrames(5);
  for (std::int64_t k = 0; k < 5; ++k) set.At(k, 1) = {1, 2, 3, true};
  set.At(0, 0) = {1, 2, 3, true};
  set.At(3, 0) = {4, 5, 6, true};  // missing in frames 11 and 12, and in 14, the last
  testing::ScratchFolder folder;
  ASSERT_EQ("", exchange::WriteGLTF(set, folder.File("x.gltf")).message);
  const auto gltf = nlohmann::json::parse(testing::ReadBytes(folder.File("x.gltf")));
  EXPECT_EQ("caf\xEF\xBF\xBD", gltf["nodes"][0]["name"]);  // U+FFFD for the Latin-1 byte
  EXPECT_EQ("Fu\xC3\x9F", gltf["nodes"][1]["name"]);
  EXPECT_EQ(nlohmann::json::parse("[[11, 12], [14, 14]]"),
            gltf["nodes"][0]["extras"]["missingFrames"]);
  EXPECT_TRUE(gltf["nodes"][1]["extras"]["missingFrames"].empty());
  EXPECT_EQ(messages::kCannotOpen, exchange::WriteGLB(set, folder.File("no/x.glb")).message);
  EXPECT_EQ(1U, folder.Count());
}

// The floats of accessor `index` of a .glb file's bytes, with the document.
std::vector<float> AccessorFloats(const std::string& glb, const nlohmann::json& gltf, int index) {
  std::uint32_t json_bytes = 0;
  std::memcpy(&json_bytes, glb.data() + 12, 4);
  const std::size_t bin = 20 + json_bytes + 8;
  const nlohmann::json& accessor = gltf["accessors"][static_cast<std::size_t>(index)];
  const nlohmann::json& view = gltf["bufferViews"][accessor["bufferView"].get<std::size_t>()];
  std::vector<float> values(view["byteLength"].get<std::size_t>() / sizeof(float));
  std::memcpy(values.data(), glb.data() + bin + view["byteOffset"].get<std::size_t>(),
              values.size() * sizeof(float));
  return values;
}

// v turned by the unit quaternion (x, y, z, w).
exchange::Vector3 TurnedBy(const float* q, const exchange::Vector3& v) {
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  const exchange::Vector3 t(2 * (y * v.z - z * v.y), 2 * (z * v.x - x * v.z),
                            2 * (x * v.y - y * v.x));
  return exchange::Vector3(v.x + w * t.x + y * t.z - z * t.y, v.y + w * t.y + z * t.x - x * t.z,
                           v.z + w * t.z + x * t.y - y * t.x);
}

// A Z-up skeleton turning on and on, over more frames than one thread makes keys for at a time:
// every rotation key turns the axes as the skeleton's pose does (the root's also from Z up to Y
// up), and no key lies in the other hemisphere from the key before, so that interpolation
// takes the short way.
TEST(GltfWriter, SkeletonRotationKeysFollowThePoseTheShortWay) {
  exchange::Skeleton skeleton;
  skeleton.up = Axis::kZ;
  skeleton.joints = {
      {"Root", -1, {}, exchange::RotationFromAngles(0.3, 0.0, 0.0), 1.0},
      {"Arm", 0, exchange::Vector3(0, 1, 0), exchange::RotationFromAngles(0, 0, 0.5), 1.0}};
  constexpr std::int64_t kFrames = 10000;
  skeleton.SetFrames(kFrames);
  for (std::int64_t k = 0; k < kFrames; ++k) {
    const auto t = static_cast<double>(k);
    skeleton.At(k, 0) = {{t, 0.0, 0.0}, 0.011 * t, 0.007 * t, 0.0, 1.0};
    skeleton.At(k, 1) = {{}, 0.0, 0.002 * t, -0.013 * t, 1.0};
  }
  testing::ScratchFolder folder;
  ASSERT_EQ("", exchange::WriteGLB(skeleton, folder.File("x.glb")).message);
  const std::string glb = testing::ReadBytes(folder.File("x.glb"));
  std::uint32_t json_bytes = 0;
  std::memcpy(&json_bytes, glb.data() + 12, 4);
  const auto gltf = nlohmann::json::parse(glb.substr(20, json_bytes));
  const exchange::Rotation z_up_to_y_up(exchange::Vector3(1, 0, 0), exchange::Vector3(0, 0, -1),
                                        exchange::Vector3(0, 1, 0));
  int checked = 0;
  for (const nlohmann::json& channel : gltf["animations"][0]["channels"]) {
    if (channel["target"]["path"] != "rotation") continue;
    const auto joint = channel["target"]["node"].get<std::size_t>();
    const nlohmann::json& sampler =
        gltf["animations"][0]["samplers"][channel["sampler"].get<std::size_t>()];
    const std::vector<float> keys = AccessorFloats(glb, gltf, sampler["output"].get<int>());
    ASSERT_EQ(keys.size(), 4U * kFrames);
    for (std::int64_t k = 0; k < kFrames; ++k) {
      const float* q = keys.data() + 4 * k;
      exchange::Rotation rotation = exchange::LocalPose(skeleton, k, joint).rotation;
      if (joint == 0) rotation = exchange::Then(rotation, z_up_to_y_up);
      for (const exchange::Vector3& axis :
           {exchange::Vector3(1, 0, 0), exchange::Vector3(0, 1, 0)}) {
        const exchange::Vector3 got = TurnedBy(q, axis);
        const exchange::Vector3 want = exchange::Turned(axis, rotation);
        ASSERT_NEAR(got.x, want.x, 1e-6) << joint << " " << k;
        ASSERT_NEAR(got.y, want.y, 1e-6) << joint << " " << k;
        ASSERT_NEAR(got.z, want.z, 1e-6) << joint << " " << k;
      }
      if (k > 0) {
        const double dot = q[0] * q[-4] + q[1] * q[-3] + q[2] * q[-2] + q[3] * q[-1];
        ASSERT_GE(dot, 0.0) << joint << " " << k;
      }
    }
    ++checked;
  }
  EXPECT_EQ(checked, 2);
}

// Key times come from the exact rate, frame by frame: the first frame of a capture that starts
// at frame 1 is at 0 s, frame index k at k / rate (a rate that is not a whole number included).
TEST(GltfWriter, KeyTimesAreTheFramesTimesAtTheExactRate) {
  exchange::MarkerSet set;
  set.markers = {{"A", ""}};
  set.rate = 119.88;
  set.SetFrames(500);
  for (std::int64_t k = 0; k < 500; ++k) set.At(k, 0) = {static_cast<double>(k), 2, 3, true};
  testing::ScratchFolder folder;
  ASSERT_EQ("", exchange::WriteGLB(set, folder.File("x.glb")).message);
  const std::string glb = testing::ReadBytes(folder.File("x.glb"));
  std::uint32_t json_bytes = 0;
  std::memcpy(&json_bytes, glb.data() + 12, 4);
  const auto gltf = nlohmann::json::parse(glb.substr(20, json_bytes));
  const nlohmann::json& sampler = gltf["animations"][0]["samplers"][0];
  const std::vector<float> times = AccessorFloats(glb, gltf, sampler["input"].get<int>());
  ASSERT_EQ(500U, times.size());
  for (std::size_t k = 0; k < times.size(); ++k) {
    ASSERT_EQ(static_cast<float>(static_cast<double>(k) / 119.88), times[k]) << k;
  }
}

}  // namespace
}  // namespace zar
