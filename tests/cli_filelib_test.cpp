// zarfileio htr and trc commands, run as a person runs them.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "filelib/zar_filelib.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using testing::ScratchFolder;

struct Outcome {
  int status;
  std::string out;
  std::string err;
  std::vector<std::string> out_lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

Outcome Zarfileio(const std::vector<std::string>& arguments) {
  ScratchFolder folder;
  std::string command = Quote(std::string(ZAR_BINARY_DIR) + "/cli/zarfileio");
  // (Appended piece by piece: GCC 12 warns falsely about "literal" + std::string.)
  for (const std::string& argument : arguments) command.append(" ").append(Quote(argument));
  command.append(" >").append(Quote(folder.File("out")));
  command.append(" 2>").append(Quote(folder.File("err")));
  const int raw = std::system(command.c_str());
  Outcome run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testing::ReadBytes(folder.File("out")),
              testing::ReadBytes(folder.File("err"))};
  return run;
}

TEST(CliHtr, CheckPrintsOneLinePerFileAndFailsWhenAnyFails) {
  ScratchFolder folder;
  const std::string good = testing::SamplePath("htr/fight_a.htr");
  const std::string bad = folder.Write("bad.htr", "[Header]\nFileVersion 2\n");
  const std::string missing = folder.File("missing.htr");
  const Outcome all = Zarfileio({"htr", "check", good, bad, missing});
  EXPECT_EQ(1, all.status);
  const std::vector<std::string> lines = all.out_lines();
  ASSERT_EQ(3U, lines.size());
  EXPECT_EQ(good + ": ok (22 segments, 1141 frames from 1, 60 frames/s, mm, Degrees)", lines[0]);
  EXPECT_EQ(bad + ": " + std::string(messages::kHtrFileVersion) + " (line 2)", lines[1]);
  EXPECT_EQ(missing + ": " + std::string(messages::kCannotOpen) + ": No such file or directory",
            lines[2]);

  const Outcome ok = Zarfileio({"htr", "check", good, testing::BundledSamplePath("walk.htr")});
  EXPECT_EQ(0, ok.status);
  EXPECT_EQ(2U, ok.out_lines().size());
}

TEST(CliHtr, InfoShowsHeaderAndHierarchy) {
  const Outcome run = Zarfileio({"htr", "info", testing::BundledSamplePath("walk.htr")});
  ASSERT_EQ(0, run.status) << run.err;
  for (const char* expected :
       {"segments: 7\n", "frames: 12 declared, first frame 1\n", "frame rate: 30\n",
        "calibration units: cm\n", "rotation units: Degrees\n", "\n  Pelvis (root)  base ",
        "\n    Spine  base ", "\n      Head  base ", "\n      RShin  base "}) {
    EXPECT_NE(std::string::npos, run.out.find(expected)) << expected;
  }
  EXPECT_EQ(1, Zarfileio({"htr", "info", "/no/such/file.htr"}).status);
}

TEST(CliHtr, ConvertRewritesInOtherUnits) {
  ScratchFolder folder;
  const std::string out = folder.File("walk_mm.htr");
  const Outcome run = Zarfileio({"htr", "convert", testing::BundledSamplePath("walk.htr"), out,
                                 "--units", "mm", "--rotation-units", "Radians", "--scale", "2"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("wrote " + out + " (7 segments, 12 frames from 1, 30 frames/s, mm, Radians)\n",
            run.out);
  HTRFile original;
  HTRFile converted;
  ASSERT_EQ("", original.Read(testing::BundledSamplePath("walk.htr"), true));
  ASSERT_EQ("", converted.Read(out, true));
  EXPECT_EQ(RotationUnit::kRadians, converted.RotationUnits());
  // cm to mm, then twice as large.
  EXPECT_NEAR(original.FindSegment("Spine")->BoneLength() * 20,
              converted.FindSegment("Spine")->BoneLength(), 1e-6);
  EXPECT_NEAR(original.FindSegment("LThigh")->FrameRotation(3).X(),
              converted.FindSegment("LThigh")->FrameRotation(3).X(), 1e-6);

  const Outcome refused = Zarfileio(
      {"htr", "convert", testing::BundledSamplePath("walk.htr"), folder.File("none/x.htr")});
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos, refused.err.find(messages::kCannotOpen)) << refused.err;
}

TEST(CliHtr, ConvertingTwiceGivesIdenticalBytes) {
  ScratchFolder folder;
  const std::string once = folder.File("once.htr");
  const std::string twice = folder.File("twice.htr");
  ASSERT_EQ(0, Zarfileio({"htr", "convert", testing::SamplePath("htr/fight_a.htr"), once}).status);
  ASSERT_EQ(0, Zarfileio({"htr", "convert", once, twice}).status);
  EXPECT_EQ(testing::ReadBytes(once), testing::ReadBytes(twice));
  HTRFile original;
  HTRFile converted;
  ASSERT_EQ("", original.Read(testing::SamplePath("htr/fight_a.htr"), true));
  ASSERT_EQ("", converted.Read(once, true));
  ASSERT_EQ(original.NumSegments(), converted.NumSegments());
  for (std::int32_t i = 0; i < original.NumSegments(); ++i) {
    EXPECT_EQ(original.Segment(i)->Name(), converted.Segment(i)->Name());
    EXPECT_EQ(original.Segment(i)->NumStoredFrames(), converted.Segment(i)->NumStoredFrames());
  }
}

// A header that declares 2147483647 frames over one frame line converts to one frame.
TEST(CliHtr, ConvertWritesOnlyTheFramesTheFileHolds) {
  ScratchFolder folder;
  const std::string source =
      folder.Write("huge.htr",
                   "[Header]\nFileType htr\nDataType HTRS\nFileVersion 1\nNumSegments 1\n"
                   "NumFrames 2147483647\n[SegmentNames&Hierarchy]\nRoot GLOBAL\n[BasePosition]\n"
                   "Root 0 0 0 0 0 0 10\n[Root]\n1 1 2 3 0 0 0 1\n[EndOfFile]\n");
  const std::string out = folder.File("out.htr");
  ASSERT_EQ(0, Zarfileio({"htr", "convert", source, out}).status);
  HTRFile converted;
  ASSERT_EQ("", converted.Read(out, true));
  EXPECT_EQ(1, converted.NumFrames());
  EXPECT_EQ(1, converted.FindSegment("Root")->NumStoredFrames());
  EXPECT_EQ(3.0, converted.FindSegment("Root")->FrameTranslation(0).Z());
}

TEST(CliTrc, CheckAndInfo) {
  ScratchFolder folder;
  const std::string bad = folder.Write("bad.trc", "PathFileType\t4\t(x/y/z)\tbad.trc\r\n");
  const Outcome check = Zarfileio({"trc", "check", testing::BundledSamplePath("markers.trc"), bad});
  EXPECT_EQ(1, check.status);
  const std::vector<std::string> lines = check.out_lines();
  ASSERT_EQ(2U, lines.size());
  EXPECT_EQ(testing::BundledSamplePath("markers.trc") +
                ": ok (4 markers, 20 frames read (20 declared) from 1, 60 frames/s, mm, 4 "
                "missing samples)",
            lines[0]);
  EXPECT_EQ(bad + ": " + std::string(messages::kTrcHeaderState) + " (line 1)", lines[1]);

  const Outcome unnamed =
      Zarfileio({"trc", "check", "--with-unnamed", testing::SamplePath("trc/Gait.trc")});
  EXPECT_EQ(1, unnamed.status);
  EXPECT_NE(std::string::npos, unnamed.out.find(messages::kTrcMarkerCount));

  const Outcome info = Zarfileio({"trc", "info", testing::BundledSamplePath("markers.trc")});
  ASSERT_EQ(0, info.status) << info.err;
  EXPECT_NE(std::string::npos, info.out.find("markers: 4\n"));
  EXPECT_NE(std::string::npos, info.out.find("  'LWrist'  20 samples, 3 missing\n"));
  EXPECT_NE(std::string::npos, info.out.find("  'RWrist'  20 samples, 1 missing\n"));
}

TEST(Cli, BadCommandLinesExitWithTwo) {
  const std::string walk = testing::BundledSamplePath("walk.htr");
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"nonsense"},
      {"htr"},
      {"htr", "check"},
      {"htr", "convert", walk},
      {"htr", "convert", walk, "/tmp/x.htr", "--units", "furlong"},
      {"htr", "convert", walk, "/tmp/x.htr", "--scale", "abc"},
      {"htr", "convert", walk, "/tmp/x.htr", "--rotation-units", "grads"},
      {"trc", "info"},
      {"trc", "info", "a.trc", "b.trc"},
      {"htr", "check", walk, "--no-such-flag"},
  };
  for (const std::vector<std::string>& arguments : bad) {
    std::string joined;
    for (const std::string& a : arguments) joined += a + " ";
    EXPECT_EQ(2, Zarfileio(arguments).status) << joined;
  }
  const Outcome help = Zarfileio({"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("Exit status"));
  EXPECT_EQ(0, Zarfileio({"htr", "convert", "--help"}).status);
}

}  // namespace
}  // namespace zar
