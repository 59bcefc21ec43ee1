// Source selections of the open-file dialog, PNX paths beside TRC files, joined folders, and
// the creator's marker table.

#include "utilities/pnx_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "plugin_description/marker_table.h"

namespace zar {
namespace {

// `folder`, the platform's separator and `name`.
std::string Joined(std::string folder, const char* name) {
  folder.push_back(static_cast<char>(std::filesystem::path::preferred_separator));
  folder.append(name);
  return folder;
}

modra::FileDialogResult DialogResult(const std::string& buffer, std::size_t file_offset) {
  modra::FileDialogResult result;
  result.buffer = buffer;
  result.fileOffset = file_offset;
  return result;
}

TEST(PnxPaths, SeveralFilesComeAsFolderThenNames) {
  using namespace std::string_literals;
  const auto result = DialogResult("/data/trc\0a.trc\0b.trc\0c.trc\0\0"s, 10);
  const SourceSelection all = SplitSourceSelection(result, 1000);
  EXPECT_EQ(all.folder, "/data/trc");
  EXPECT_EQ(all.names, (std::vector<std::string>{"a.trc", "b.trc", "c.trc"}));
  const SourceSelection two = SplitSourceSelection(result, 2);
  EXPECT_EQ(two.names, (std::vector<std::string>{"a.trc", "b.trc"}));
}

TEST(PnxPaths, OneFileIsSplitAtItsLastSeparator) {
  using namespace std::string_literals;
  struct Case {
    std::string buffer;
    std::size_t offset;
    std::string folder;
    std::string name;
  };
  const Case cases[] = {
      {"/data/trc/walk.trc\0\0"s, 10, "/data/trc", "walk.trc"},
      {"C:\\mocap\\run.trc\0\0"s, 9, "C:\\mocap", "run.trc"},
      {"D:/mixed\\x/y.trc\0"s, 11, "D:/mixed\\x", "y.trc"},
      {"/top.trc\0\0"s, 1, "", "top.trc"},
      {"here.trc\0\0"s, 0, ".", "here.trc"},
  };
  for (const Case& c : cases) {
    const SourceSelection selection = SplitSourceSelection(DialogResult(c.buffer, c.offset), 1000);
    EXPECT_EQ(selection.folder, c.folder) << c.buffer;
    EXPECT_EQ(selection.names, std::vector<std::string>{c.name}) << c.buffer;
  }
}

TEST(PnxPaths, PnxBesideTheTrcFile) {
  EXPECT_EQ(PnxPathBesideSource("/data/walk.trc"), "/data/walk.pnx");
  EXPECT_EQ(PnxPathBesideSource("C:\\data\\WALK.TRC"), "C:\\data\\WALK.pnx");
  EXPECT_EQ(PnxPathBesideSource("/data/walk.c3dtrc"), "/data/walk.c3dpnx");
  EXPECT_EQ(PnxPathBesideSource("ab"), "ab.pnx");
}

TEST(PnxPaths, JoinAddsOneSeparator) {
  EXPECT_EQ(JoinPath("/out", "ConvertPNXLog.txt"), Joined("/out", "ConvertPNXLog.txt"));
  EXPECT_EQ(JoinPath("/out/", "a.pnx"), "/out/a.pnx");
  EXPECT_EQ(JoinPath("C:\\", "a.pnx"), "C:\\a.pnx");
  EXPECT_EQ(JoinPath("", "a.pnx"), Joined("", "a.pnx"));
}

TEST(MarkerTable, FortyThreeStepsWithTheWristVariants) {
  std::set<std::string_view> names;
  int markers = 0;
  for (int step = 0; step <= kLastMarkerStep; ++step) {
    const MarkerStep s = StandardMarkerStep(step, false, false);
    ASSERT_EQ(s.count, step == 10 || step == 15 ? 2u : 1u) << step;
    for (std::size_t i = 0; i < s.count; ++i) {
      // Each description ends with its PNX name in brackets.
      std::string expected_end(1, '(');
      expected_end.append(s.markers[i].pnx_name).push_back(')');
      EXPECT_TRUE(s.markers[i].description.ends_with(expected_end)) << step;
      names.insert(s.markers[i].pnx_name);
      ++markers;
    }
  }
  EXPECT_EQ(markers, 45);
  EXPECT_EQ(names.size(), 45u);
  EXPECT_EQ(StandardMarkerStep(0, false, false).markers[0].description,
            "Left front head marker (LFHD)");
  EXPECT_EQ(StandardMarkerStep(42, false, false).markers[0].pnx_name, "RPRPT");
  EXPECT_EQ(StandardMarkerStep(43, false, false).count, 0u);
  EXPECT_EQ(StandardMarkerStep(-1, false, false).count, 0u);

  const MarkerStep left_stick = StandardMarkerStep(10, true, false);
  EXPECT_EQ(left_stick.markers[0].pnx_name, "LWRE");
  EXPECT_EQ(left_stick.markers[1].pnx_name, "LWRI");
  const MarkerStep left = StandardMarkerStep(10, false, true);
  EXPECT_EQ(left.markers[0].description, "Left wrist inner (near thumb) marker (LWRA)");
  EXPECT_EQ(left.markers[1].pnx_name, "LWRB");
  EXPECT_EQ(StandardMarkerStep(15, false, true).markers[0].pnx_name, "RWRE");
  EXPECT_EQ(StandardMarkerStep(15, true, false).markers[1].description,
            "Right wrist outer (near pinky) marker (RWRB)");
}

TEST(MarkerTable, SkipOnTheOptionalStepsOnly) {
  const std::set<int> optional = {9, 14, 18, 24, 26, 28, 31, 33, 35, 37, 38, 39, 40, 41, 42};
  for (int step = -1; step <= kLastMarkerStep + 1; ++step) {
    EXPECT_EQ(SkipAllowed(step), optional.count(step) == 1) << step;
  }
}

}  // namespace
}  // namespace zar
