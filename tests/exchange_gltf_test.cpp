// The glTF writer on what the sample files do not hold: names that are not UTF-8, the missing
// frames listed by number, a write that cannot happen.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "exchange/gltf_writer.h"
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
  ASSERT_EQ("", exchange::WriteGLTF(set, folder.File("x.gltf")));
  const auto gltf = nlohmann::json::parse(testing::ReadBytes(folder.File("x.gltf")));
  EXPECT_EQ("caf\xEF\xBF\xBD", gltf["nodes"][0]["name"]);  // U+FFFD for the Latin-1 byte
  EXPECT_EQ("Fu\xC3\x9F", gltf["nodes"][1]["name"]);
  EXPECT_EQ(nlohmann::json::parse("[[11, 12], [14, 14]]"),
            gltf["nodes"][0]["extras"]["missingFrames"]);
  EXPECT_TRUE(gltf["nodes"][1]["extras"]["missingFrames"].empty());
  EXPECT_EQ(messages::kCannotOpen, exchange::WriteGLB(set, folder.File("no/x.glb")));
  EXPECT_EQ(1U, folder.Count());
}

}  // namespace
}  // namespace zar
