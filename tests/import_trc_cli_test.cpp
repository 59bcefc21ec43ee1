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
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "modra/scene.h"
#include "modra/scene_document.h"
#include "plugin_test_support.h"
#include "tests/sample_oracle.h"

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
// frame start + k, the file's (x, y, z) in millimetres as the host's (x, -z, y).
std::string ExpectedKeys(const zar::testing::TrcSampleFacts& facts,
                         const zar::testing::SplitMarker& marker) {
  std::string lines;
  for (int k = 0; k < facts.Frames(); ++k) {
    const zar::testing::SplitSample s = marker.samples.at(static_cast<std::size_t>(k));
    if (!s.present) continue;
    const double mm = facts.mm_per_unit;
    lines += "P " + std::to_string((facts.start_frame + k) * kTicks) + " " +
             Number(static_cast<float>(s.x * mm)) + " " + Number(static_cast<float>(-s.z * mm)) +
             " " + Number(static_cast<float>(s.y * mm)) + "\n";
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
                         public ::testing::WithParamInterface<zar::testing::TrcSampleFacts> {};

// Every sample gives one node per marker, keyed with exactly the marker's present samples as the
// file's text has them.
TEST_P(SampleImportTest, KeysAreThePresentSamplesInHostAxes) {
  const zar::testing::TrcSampleFacts& facts = GetParam();
  const std::string file = std::string(ZAR_SAMPLES_DIR) + "/trc/" + facts.file;
  const std::vector<zar::testing::SplitMarker> markers = zar::testing::SplitTrc(file);
  ASSERT_EQ(markers.size(), static_cast<std::size_t>(facts.markers));
  for (const zar::testing::SplitMarker& marker : markers)
    ASSERT_EQ(marker.samples.size(), static_cast<std::size_t>(facts.rows)) << marker.name;

  const std::string scene = Scene("sample.json");
  const zar::testing::RunResult import =
      Tool("import-trc " + Quoted(file) + " --scene " + Quoted(scene) + " --no-prompts");
  ASSERT_EQ(import.status, 0) << import.output;
  EXPECT_EQ(import.output.substr(0, import.output.find('\n') + 1), "wrote " + scene + "\n");

  const zar::testing::RunResult info = Tool("scene info " + Quoted(scene));
  EXPECT_NE(info.output.find("Nodes          " + std::to_string(markers.size()) + "\n"),
            std::string::npos)
      << info.output;

  // Every marker through the saved document ...
  modra::host::Scene saved;
  ASSERT_EQ(modra::host::LoadSceneDocument(scene, saved), "");
  std::size_t most_missing = 0;
  std::int64_t missing_count = -1;
  for (std::size_t m = 0; m < markers.size(); ++m) {
    const zar::testing::SplitMarker& marker = markers[m];
    modra::host::Node* node = saved.FindByName(marker.name);
    ASSERT_NE(node, nullptr) << "marker '" << marker.name << "'";
    EXPECT_EQ(KeyLines(*node), ExpectedKeys(facts, marker)) << "marker '" << marker.name << "'";
    const auto missing =
        std::count_if(marker.samples.begin(), marker.samples.end(),
                      [](const zar::testing::SplitSample& s) { return !s.present; });
    if (missing > missing_count) {
      missing_count = missing;
      most_missing = m;
    }
  }
  if (markers.empty()) return;
  // ... and the first, the last and the most occluded one as "scene keys" prints them.
  std::vector<std::size_t> shown{0, markers.size() - 1, most_missing};
  std::sort(shown.begin(), shown.end());
  shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
  std::vector<std::string> names;
  for (std::size_t m : shown) names.push_back(markers[m].name);
  const std::vector<std::string> keys = KeysOfEvery(scene, names);
  ASSERT_EQ(keys.size(), names.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(keys[i], ExpectedKeys(facts, markers[shown[i]])) << "marker '" << names[i] << "'";
  }
}

std::string TestName(const ::testing::TestParamInfo<zar::testing::TrcSampleFacts>& param_info) {
  const std::string file = param_info.param.file;
  std::string name;
  for (char c : file.substr(0, file.size() - 4))
    name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleImportTest, ::testing::ValuesIn(zar::testing::TrcSamples()),
                         TestName);

// The table above covers every sample file there is.
TEST(SampleTable, NamesEverySharedTrcFile) {
  std::set<std::string> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(ZAR_SAMPLES_DIR) + "/trc")) {
    if (entry.path().extension() == ".trc") files.insert(entry.path().filename().string());
  }
  std::set<std::string> listed;
  for (const zar::testing::TrcSampleFacts& facts : zar::testing::TrcSamples())
    listed.insert(facts.file);
  EXPECT_EQ(files, listed);
}

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
  EXPECT_EQ(KeysOf(scene, "LFHD"), "P 160 10.000000 -30.000000 20.000000\n");
}

// A marker name left blank in its place (A, blank, C) leaves C its own columns in every command
// that reads the file: the scene's keys, the PNX file and a converted file give C what they give
// it when the blank is named.
TEST_F(ImportTrcToolTest, ABlankMarkerNameLeavesTheNextMarkerItsOwnColumns) {
  const auto write = [this](const std::string& name, const std::string& middle) {
    const std::string path = (Folder() / name).string();
    std::ofstream(path, std::ios::binary)
        << "PathFileType\t4\t(X/Y/Z)\t" << name << "\n"
        << "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
           "OrigDataStartFrame\tOrigNumFrames\n"
        << "30\t30\t2\t3\tmm\t30\t1\t2\n"
        << "Frame#\tTime\tA\t\t\t" << middle << "\t\t\tC\t\t\n"
        << "\t\tX1\tY1\tZ1\tX2\tY2\tZ2\tX3\tY3\tZ3\n\n"
        << "1\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\n"
        << "2\t0.033\t11\t12\t13\t14\t15\t16\t17\t18\t19\n";
    return path;
  };
  const std::string blank = write("blank.trc", "");
  const std::string named = write("named.trc", "B");

  const auto keys_of_c = [this](const std::string& trc, const std::string& scene) {
    const zar::testing::RunResult run =
        Tool("import-trc " + Quoted(trc) + " --scene " + Quoted(Scene(scene)) + " --no-prompts");
    EXPECT_EQ(run.status, 0) << run.output;
    return KeysOf(Scene(scene), "C");
  };
  const std::string keys = keys_of_c(blank, "blank.json");
  EXPECT_EQ(keys, "P 160 7.000000 -9.000000 8.000000\nP 320 17.000000 -19.000000 18.000000\n");
  EXPECT_EQ(keys, keys_of_c(named, "named.json"));

  const zar::testing::RunResult pnx = Tool("pnx convert " + Quoted(blank) +
                                           " --no-filter --batch"
                                           " --out " +
                                           Quoted(Scene("pnx")));
  ASSERT_EQ(pnx.status, 0) << pnx.output;
  std::ifstream pnx_file(Scene("pnx/blank.pnx"), std::ios::binary);
  const std::string pnx_text((std::istreambuf_iterator<char>(pnx_file)),
                             std::istreambuf_iterator<char>());
  EXPECT_NE(pnx_text.find("\nA C \r\n"), std::string::npos) << pnx_text;
  // In the scene's axes, as the panel converts by default: (x, -z, y).
  EXPECT_NE(pnx_text.find("\n1\t1.000000\t-3.000000\t2.000000\t7.000000\t-9.000000\t8.000000\t\r"),
            std::string::npos)
      << pnx_text;

  // The last three fields of the first frame's line of a CSV file: C's.
  const auto csv_of_c = [this](const std::string& trc, const std::string& csv) {
    const zar::testing::RunResult run = Tool("convert " + Quoted(trc) + " " + Quoted(Scene(csv)));
    EXPECT_EQ(run.status, 0) << run.output;
    std::ifstream in(Scene(csv));
    std::string header, line;
    std::getline(in, header);
    std::getline(in, line);
    std::size_t at = line.size();
    for (int field = 0; field < 3; ++field) at = line.rfind(',', at - 1);
    return header.substr(header.rfind("C_x")) + " " + line.substr(at + 1);
  };
  EXPECT_EQ(csv_of_c(blank, "blank.csv"), csv_of_c(named, "named.csv"));
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
