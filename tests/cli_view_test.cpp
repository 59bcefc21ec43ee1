// zarfileio view, run as a person runs it: what it refuses and what it writes. What the page
// shows is checked in a browser (js/viewer-test).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "filelib_test_support.h"
#include "plugin_test_support.h"

namespace zar {
namespace {

testing::RunResult Zarfileio(const std::vector<std::string>& arguments) {
  std::string command = testing::Quoted(std::string(ZAR_BINARY_DIR) + "/cli/zarfileio");
  for (const std::string& argument : arguments) {
    command.append(" ").append(testing::Quoted(argument));
  }
  return testing::Run(command.append(" 2>&1"));
}

TEST(CliView, RefusesWhatItCannotShowAndKeepsAnEarlierPage) {
  const testing::ScratchFolder folder;
  const std::string walk = testing::BundledSamplePath("walk.htr");
  const std::string page = folder.Write("old.html", "earlier page");
  const std::string empty = folder.Write("empty.htr", "x\n");
  const std::string own = folder.Write("own.htr", testing::ReadBytes(walk));
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string said;
  } cases[] = {
      {{walk, "walk.pnx"},
       2,
       "cannot view walk.pnx; view reads .c3d (C3D), .trc (TRC), .htr (HTR), .bvh (BVH)"},
      {{folder.File("gone.trc")}, 1, "gone.trc: The file could not be opened: No such file"},
      {{empty}, 1, "empty.htr: The file holds no segments"},
      {{walk, "-o", folder.File("no/such/folder.html")}, 1, "The file could not be opened"},
      {{walk, own, "-o", own}, 2, "own.htr is an input; the page would replace it"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"view"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    if (std::find(c.arguments.begin(), c.arguments.end(), "-o") == c.arguments.end()) {
      arguments.insert(arguments.end(), {"-o", page});
    }
    const testing::RunResult run = Zarfileio(arguments);
    EXPECT_EQ(c.status, run.status) << run.output;
    EXPECT_NE(std::string::npos, run.output.find(c.said)) << run.output;
    EXPECT_EQ("earlier page", testing::ReadBytes(page));
  }
  EXPECT_EQ(testing::ReadBytes(walk), testing::ReadBytes(own));
}

// Without -o the page goes beside the first input; three.js's licence travels with it.
TEST(CliView, WritesThePageBesideTheFirstInput) {
  const testing::ScratchFolder folder;
  const std::string markers = folder.File("markers.trc");
  std::filesystem::copy_file(testing::BundledSamplePath("markers.trc"), markers);
  const testing::RunResult run =
      Zarfileio({"view", markers, testing::BundledSamplePath("walk.htr")});
  ASSERT_EQ(0, run.status) << run.output;
  const std::string written = folder.File("markers.html");
  EXPECT_EQ(std::string("wrote ").append(written).append(
                " (markers.trc: 4 markers, 20 frames; walk.htr: 7 joints, 12 frames)\n"),
            run.output);
  const std::string html = testing::ReadBytes(written);
  EXPECT_TRUE(html.starts_with("<!doctype html>"));
  EXPECT_NE(std::string::npos, html.find("three.js authors"));
  EXPECT_NE(std::string::npos, html.find("\"file\":\"walk.htr\""));
}

// A scene document shows every skeleton and marker cloud it holds, each named by its node; one
// that holds neither is refused with what it holds.
TEST(CliView, ShowsEverySkeletonAndCloudOfASceneDocument) {
  const testing::ScratchFolder folder;
  ::setenv("ZARFILEIO_REGISTRY", folder.File("registry.json").c_str(), 1);
  const std::string scene = folder.File("take.json");
  ASSERT_EQ(0, Zarfileio({"import-htr", testing::BundledSamplePath("walk.htr"), "--scene", scene,
                          "--create", "--all", "--set-frame-rate"})
                   .status);
  ASSERT_EQ(0, Zarfileio({"import-trc", testing::BundledSamplePath("markers.trc"), "--scene", scene,
                          "--root-node", "--all"})
                   .status);
  const testing::RunResult run = Zarfileio({"view", scene, "-o", folder.File("take.html")});
  ASSERT_EQ(0, run.status) << run.output;
  EXPECT_NE(std::string::npos, run.output.find("(take.json walk/Pelvis: 7 joints, ")) << run.output;
  EXPECT_NE(std::string::npos, run.output.find("; take.json TRCCloud: 4 markers, 20 frames)"))
      << run.output;

  const std::string bare = folder.Write(
      "bare.json",
      R"({"animationRange": [0,100], "currentTime": 0, "format": "zarfileio-scene", )"
      R"("frameRate": 30, "millimetresPerUnit": 1.0, "nextHandle": 1, "rootChildren": [], )"
      R"("selection": [], "version": 2, "nodes": []})");
  const testing::RunResult empty = Zarfileio({"view", bare, "-o", folder.File("bare.html")});
  EXPECT_EQ(1, empty.status) << empty.output;
  EXPECT_NE(std::string::npos, empty.output.find("incomplete: holds no skeleton")) << empty.output;
  EXPECT_FALSE(std::filesystem::exists(folder.File("bare.html")));
}

}  // namespace
}  // namespace zar
