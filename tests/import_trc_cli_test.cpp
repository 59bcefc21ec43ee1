// zarfileio import-trc end to end: the real sample files imported into scene documents and read
// back (every marker from the saved document, a few with "scene keys"), the dialog flags, and
// the exit statuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "filelib/trc_file.h"
#include "modra/scene.h"
#include "modra/scene_document.h"
#include "plugin_test_support.h"

namespace {

using zar::testing::Quoted;

const std::string kTool = ZAR_TOOL_FILE;
const std::string kThreeMarkers = std::string(ZAR_TEST_DATA_DIR) + "/import_trc/three_markers.trc";
constexpr int kTicks = 160;  // a new scene runs at 30 frames per second

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

// The "scene keys" lines a marker's present samples give with the default options: sample k at
// frame start + k, the file's (x, y, z) in millimetres as the host's (x, −z, y).
std::string ExpectedKeys(const zar::TRCFile& model, const zar::TRCMarker& marker) {
  std::string lines;
  for (std::int32_t k = 0; k < marker.NumSamples() && k < model.NumFrames(); ++k) {
    const zar::TRCSample s = marker.Sample(k);
    if (!s.present) continue;
    lines += "P " + std::to_string((model.StartFrame() + k) * kTicks) + " " +
             Number(static_cast<float>(s.x)) + " " + Number(static_cast<float>(-s.z)) + " " +
             Number(static_cast<float>(s.y)) + "\n";
  }
  return lines;
}

// A node's keys in the lines "scene keys" prints.
std::string KeyLines(modra::host::Node& node) {
  std::string lines;
  for (const auto& [tick, p] : node.transform()->position()->keys()) {
    lines += "P " + std::to_string(tick) + " " + Number(p.x) + " " + Number(p.y) + " " +
             Number(p.z) + "\n";
  }
  for (const auto& [tick, q] : node.transform()->rotation()->QuatKeys())
    lines += "R " + std::to_string(tick) + "\n";
  return lines;
}

class ImportTrcToolTest : public zar::testing::RegistryTest {
 protected:
  std::string Scene(const std::string& name) { return (Folder() / name).string(); }

  zar::testing::RunResult Tool(const std::string& arguments) {
    return zar::testing::Run(Quoted(kTool) + " " + arguments + " 2>&1");
  }

  // The key lines of "scene keys" (its header line goes to stderr).
  std::string KeysOf(const std::string& scene, const std::string& node) {
    return zar::testing::Run(Quoted(kTool) + " scene keys " + Quoted(scene) + " " + node +
                             " 2>/dev/null")
        .output;
  }

  // The "scene keys" output of every marker, each behind a line "@@".
  std::vector<std::string> KeysOfEvery(const std::string& scene,
                                       const std::vector<std::string>& names) {
    std::string script;
    for (const std::string& name : names)
      script += "echo @@; " + Quoted(kTool) + " scene keys " + Quoted(scene) + " " + Quoted(name) +
                " 2>/dev/null; ";
    const zar::testing::RunResult run = zar::testing::Run(script);
    std::vector<std::string> parts;
    std::size_t at = 0;
    while ((at = run.output.find("@@\n", at)) != std::string::npos) {
      at += 3;
      const std::size_t next = run.output.find("@@\n", at);
      parts.push_back(run.output.substr(at, next == std::string::npos ? next : next - at));
    }
    return parts;
  }
};

class SampleImportTest : public ImportTrcToolTest,
                         public ::testing::WithParamInterface<std::string> {};

// Every sample: a file the reader refuses shows its message and fails without writing the scene;
// any other gives one node per marker, keyed with exactly the marker's present samples.
TEST_P(SampleImportTest, KeysAreThePresentSamplesInHostAxes) {
  const std::string file = std::string(ZAR_SAMPLES_DIR) + "/trc/" + GetParam();
  zar::TRCFile model;
  const std::string problem = model.Read(file, false);
  model.ConvertUnits(zar::LengthUnit::kMillimetres);

  const std::string scene = Scene("sample.json");
  const zar::testing::RunResult import =
      Tool("import-trc " + Quoted(file) + " --scene " + Quoted(scene) + " --no-prompts");
  if (!problem.empty()) {
    EXPECT_EQ(import.status, 1);
    EXPECT_EQ(import.output, "ImportTRC Error: " + problem + "\n");
    EXPECT_FALSE(std::filesystem::exists(scene));
    return;
  }
  ASSERT_EQ(import.status, 0) << import.output;
  EXPECT_EQ(import.output.substr(0, import.output.find('\n') + 1), "wrote " + scene + "\n");

  const zar::testing::RunResult info = Tool("scene info " + Quoted(scene));
  EXPECT_NE(info.output.find("Nodes          " + std::to_string(model.NumMarkers()) + "\n"),
            std::string::npos)
      << info.output;

  // Every marker through the saved document ...
  modra::host::Scene saved;
  ASSERT_EQ(modra::host::LoadSceneDocument(scene, saved), "");
  std::int32_t most_missing = 0;
  std::int64_t missing_count = -1;
  for (std::int32_t m = 0; m < model.NumMarkers(); ++m) {
    const zar::TRCMarker& marker = *model.Marker(m);
    modra::host::Node* node = saved.FindByName(marker.Name());
    ASSERT_NE(node, nullptr) << "marker '" << marker.Name() << "'";
    EXPECT_EQ(KeyLines(*node), ExpectedKeys(model, marker)) << "marker '" << marker.Name() << "'";
    const auto missing = std::count_if(marker.Samples().begin(), marker.Samples().end(),
                                       [](const zar::TRCSample& s) { return !s.present; });
    if (missing > missing_count) {
      missing_count = missing;
      most_missing = m;
    }
  }
  if (model.NumMarkers() == 0) return;
  // ... and the first, the last and the most occluded one as "scene keys" prints them.
  std::vector<std::int32_t> shown{0, model.NumMarkers() - 1, most_missing};
  std::sort(shown.begin(), shown.end());
  shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
  std::vector<std::string> names;
  for (std::int32_t m : shown) names.push_back(model.Marker(m)->Name());
  const std::vector<std::string> keys = KeysOfEvery(scene, names);
  ASSERT_EQ(keys.size(), names.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(keys[i], ExpectedKeys(model, *model.Marker(shown[i])))
        << "marker '" << names[i] << "'";
  }
}

std::vector<std::string> SampleNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(ZAR_SAMPLES_DIR) + "/trc", error)) {
    if (entry.path().extension() == ".trc") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& param_info) {
  std::string name;
  for (char c : param_info.param.substr(0, param_info.param.size() - 4))
    name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleImportTest, ::testing::ValuesIn(SampleNames()), TestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SampleImportTest);

TEST_F(ImportTrcToolTest, DialogFlagsBecomeTheUsersEntries) {
  const std::string scene = Scene("flags.json");
  const zar::testing::RunResult import =
      Tool("import-trc " + Quoted(kThreeMarkers) + " --scene " + Quoted(scene) +
           " --point --size 2 --scale 0.5 --root-node --from 2 --to 4 --offset 3");
  ASSERT_EQ(import.status, 0) << import.output;
  const zar::testing::RunResult info = Tool("scene info " + Quoted(scene));
  EXPECT_NE(info.output.find("  TRCCloud  dummy"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("    LFHD  point  position keys 3"), std::string::npos) << info.output;
  EXPECT_EQ(KeysOf(scene, "LFHD"),
            "P 800 5.500000 -15.500000 10.500000\n"
            "P 960 6.000000 -16.000000 11.000000\n"
            "P 1120 6.500000 -16.500000 11.500000\n");
}

TEST_F(ImportTrcToolTest, ApplyKeysTheSelectedNodes) {
  const std::string scene = Scene("apply.json");
  ASSERT_EQ(
      Tool("import-trc " + Quoted(kThreeMarkers) + " --scene " + Quoted(scene) + " --from 1 --to 1")
          .status,
      0);
  const zar::testing::RunResult apply =
      Tool("import-trc " + Quoted(kThreeMarkers) + " --scene " + Quoted(scene) +
           " --apply --selected-only --select C7 --from 2 --to 2");
  ASSERT_EQ(apply.status, 0) << apply.output;
  // Only C7 is selected: it gets frame 2 beside its frame 1; the others keep their one key.
  EXPECT_EQ(KeysOf(scene, "C7"),
            "P 160 0.000000 95.500000 1400.000000\n"
            "P 320 1.000000 94.500000 1401.000000\n");
  EXPECT_EQ(KeysOf(scene, "LFHD"),
            "P 160 10.000000 -30.000000 20.000000\n");
}

TEST_F(ImportTrcToolTest, ExitStatuses) {
  struct Case {
    std::string arguments;
    int status;
    std::string output;
  };
  const std::string scene = Scene("status.json");
  for (const Case& c :
       {Case{Quoted(kThreeMarkers) + " --to 9", 2,
             "ImportTRC Error: Please choose an end frame less than or equal to 5.\n"
             "zarfileio: the options dialog did not accept the options; nothing was done\n"},
        Case{Quoted((Folder() / "none.trc").string()), 1,
             "ImportTRC Error: The file could not be opened\nzarfileio: " +
                 (Folder() / "none.trc").string() + ": No such file or directory\n"},
        Case{Quoted(kThreeMarkers) + " --select Nobody", 1,
             "zarfileio: the scene has no node named \"Nobody\"\n"},
        Case{Quoted(kThreeMarkers) + " --no-prompts --point", 2,
             "zarfileio: dialog entries cannot be given with --no-prompts\n"}}) {
    SCOPED_TRACE(c.arguments);
    const zar::testing::RunResult run =
        Tool("import-trc " + c.arguments + " --scene " + Quoted(scene));
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.output, c.output);
    // A failed import leaves no scene document behind.
    EXPECT_FALSE(std::filesystem::exists(scene));
  }
}

}  // namespace
