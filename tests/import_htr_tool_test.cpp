// zarfileio import-htr, run as a separate process on the real sample file: the skeleton it
// leaves in the scene document is checked against the file's own motion, composed down the
// hierarchy independently of the importer.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "filelib/htr_file.h"
#include "modra/host.h"
#include "modra/scene_document.h"
#include "rotation_rows_test_support.h"

namespace {

using zar::testing::EulerRows;
using zar::testing::Rows;
using zar::testing::Times;

// HTR segments extend along Y in a Y-up world; host bones along X in a Z-up world.
constexpr Rows kBoneToSegment = {{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}};
constexpr Rows kHtrWorldToHost = {{{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}};

struct ToolRun {
  int status = -1;
  std::string output;
};

ToolRun Tool(const std::string& arguments, const std::string& registry) {
  const std::string command =
      "ZARFILEIO_REGISTRY='" + registry + "' '" + ZAR_TOOL_FILE + "' " + arguments + " 2>&1";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
    run.output.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class ImportHtrTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ =
        std::filesystem::temp_directory_path() /
        ("zar_import_htr_tool_" + std::to_string(::getpid()) + "_" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  ToolRun Import(const std::string& arguments) {
    return Tool("import-htr '" + sample_ + "' --scene '" + Path("scene.json") + "' " + arguments,
                Path("registry.json"));
  }

  std::filesystem::path folder_;
  const std::string sample_ = std::string(ZAR_SAMPLES_DIR) + "/htr/fight_a.htr";
};

TEST_F(ImportHtrTool, EveryBoneOfFightAHasTheFilesWorldTransformAtEveryFrame) {
  const ToolRun run = Import("--no-prompts");
  ASSERT_EQ(run.status, 0) << run.output;
  modra::host::Host host;
  auto scene = std::make_unique<modra::host::Scene>();
  ASSERT_EQ(modra::host::LoadSceneDocument(Path("scene.json"), *scene), "");
  host.ReplaceScene(std::move(scene));

  zar::HTRFile model;
  ASSERT_EQ(model.Read(sample_, true), "");
  ASSERT_EQ(model.NumSegments(), 22);
  int bones = 0;
  for (modra::host::Node* n : host.scene().nodes()) bones += n->name() != "fight_a" ? 1 : 0;
  EXPECT_EQ(bones, 22);
  const int ticks = host.scene().ticksPerFrame();

  double worstPosition = 0.0;
  double worstRotation = 0.0;
  for (int k = 0; k < model.NumFrames(); ++k) {
    // The file's world pose of every segment: parents come before children in the file.
    std::map<const zar::HTRSegment*, std::pair<Rows, std::array<double, 3>>> world;
    for (int s = 0; s < model.NumSegments(); ++s) {
      const zar::HTRSegment* segment = model.Segment(s);
      const auto angles = segment->AbsoluteRotation(k);
      const auto t = segment->AbsoluteTranslation(k);
      Rows rotation = EulerRows(angles.X(), angles.Y(), angles.Z());
      std::array<double, 3> position = {t.X(), t.Y(), t.Z()};
      if (const zar::HTRSegment* parent = segment->Parent(); parent != nullptr) {
        const auto& [parentRotation, parentPosition] = world.at(parent);
        const std::array<double, 3> moved = Times(position, parentRotation);
        for (std::size_t c = 0; c < 3; ++c) position[c] = moved[c] + parentPosition[c];
        rotation = Times(rotation, parentRotation);
      }
      world[segment] = {rotation, position};

      modra::host::Node* node = host.scene().FindByName(segment->Name());
      ASSERT_NE(node, nullptr) << segment->Name();
      const modra::Matrix3 got = node->NodeTransform((model.StartFrame() + k) * ticks);
      const Rows expected = Times(Times(kBoneToSegment, rotation), kHtrWorldToHost);
      const std::array<double, 3> expectedPosition = Times(position, kHtrWorldToHost);
      for (std::size_t r = 0; r < 3; ++r) {
        const int row = static_cast<int>(r);
        for (std::size_t c = 0; c < 3; ++c) {
          worstRotation =
              std::max(worstRotation, std::abs(got(row, static_cast<int>(c)) - expected[r][c]));
        }
        worstPosition = std::max(worstPosition, std::abs(got(3, row) - expectedPosition[r]));
      }
    }
  }
  // Single-precision keys, composed over up to eight levels of bones a metre or two long.
  EXPECT_LT(worstRotation, 1e-5);
  EXPECT_LT(worstPosition, 0.005);  // millimetres
}

TEST_F(ImportHtrTool, ExitStatusAndWhatTheUserWasShown) {
  struct Case {
    std::string arguments;
    int status;
    std::string shown;  // expected in the output
    bool sceneSaved;
  };
  const Case cases[] = {
      // Refused before the dialog (which would call inf and nan zero).
      {"--scale 0", 2, "--scale: must be a finite, non-zero number, not 0", false},
      {"--scale inf", 2, "--scale: must be a finite, non-zero number, not inf", false},
      {"--segment-size nan", 2, "--segment-size: must be a finite, non-zero number", false},
      {"--from 0", 2, "ImportHTR Error: Please choose a start frame equal to or greater than 1.",
       false},
      {"--no-prompts --tcb", 2, "--no-prompts", false},
      {"--apply --select Nobody", 1, "Nobody", false},
      {"--apply", 1,
       "Import Error: Please select the root of a skeleton before applying animation.", false},
      {"--create --from 10 --to 20 --offset 5 --base-position --tcb --segment-size 2 --scale 0.5",
       0, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    std::filesystem::remove(Path("scene.json"));
    const ToolRun run = Import(c.arguments);
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.shown), std::string::npos) << run.output;
    EXPECT_EQ(std::filesystem::exists(Path("scene.json")), c.sceneSaved);
  }
  // The last import chained: applying onto its skeleton from the saved scene.
  const ToolRun apply = Import("--apply --select LowerTorso --no-base-position --all --offset 0");
  EXPECT_EQ(apply.status, 0) << apply.output;
  // The document keeps LowerTorso selected; --select makes Head the selection instead.
  const ToolRun head = Import("--apply --select Head --offset 5000");
  EXPECT_EQ(head.status, 0) << head.output;
  modra::host::Scene scene;
  ASSERT_EQ(modra::host::LoadSceneDocument(Path("scene.json"), scene), "");
  EXPECT_EQ(scene.FindByName("Head")->transform()->position()->KeyCount(), 2 * 1141);
  EXPECT_EQ(scene.FindByName("LowerTorso")->transform()->position()->KeyCount(), 1141);
}

}  // namespace
