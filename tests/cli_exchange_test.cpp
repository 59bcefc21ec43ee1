// zarfileio c3d and convert, run as a person runs them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/c3d_file.h"
#include "exchange/exchange_messages.h"
#include "filelib/trc_file.h"
#include "filelib_test_support.h"
#include "plugin_test_support.h"

namespace zar {
namespace {

using testing::ScratchFolder;

// The tool's exit status and what it printed (standard output and error together).
testing::RunResult Zarfileio(const std::vector<std::string>& arguments) {
  std::string command = testing::Quoted(std::string(ZAR_BINARY_DIR) + "/cli/zarfileio");
  for (const std::string& argument : arguments) command.append(" ").append(testing::Quoted(argument));
  return testing::Run(command.append(" 2>&1"));
}

bool Has(const testing::RunResult& run, const std::string& text) {
  return run.output.find(text) != std::string::npos;
}

TEST(CliC3D, CheckAndInfo) {
  const std::string good = testing::SamplePath("c3d/Eb015vi.c3d");
  const std::string empty = testing::SamplePath("c3d/Empty.c3d");
  const testing::RunResult check = Zarfileio({"c3d", "check", good, empty});
  EXPECT_EQ(1, check.status);
  EXPECT_TRUE(Has(check, good + ": ok (26 points, 450 frames from 1, 50 frames/s, mm, DEC integer, "))
      << check.output;
  EXPECT_TRUE(Has(check, empty + ": " + std::string(exchange::messages::kC3DEmpty) + "\n"));
  EXPECT_EQ(0, Zarfileio({"c3d", "check", good}).status);

  const testing::RunResult info = Zarfileio({"c3d", "info", testing::SamplePath("c3d/Gait.c3d")});
  ASSERT_EQ(0, info.status) << info.output;
  for (const char* expected : {"processor: DEC\n", "  POINT (", "    LABELS  char[", "points: 33\n"}) {
    EXPECT_TRUE(Has(info, expected)) << expected << "\n" << info.output;
  }
  EXPECT_EQ(1, Zarfileio({"c3d", "info", empty}).status);
}

// C3D to TRC (names from the descriptions, a frame range) and back to C3D, through the tool.
TEST(CliConvert, C3DToTrcAndBack) {
  ScratchFolder folder;
  const std::string source = testing::SamplePath("c3d/Gait.c3d");
  const std::string trc = folder.File("gait.trc");
  const testing::RunResult to_trc =
      Zarfileio({"convert", source, trc, "--names", "descriptions", "--from", "11", "--to", "60"});
  ASSERT_EQ(0, to_trc.status) << to_trc.output;
  EXPECT_EQ("wrote " + trc + " (33 markers, 50 frames from 11, 100 frames/s, mm)\n", to_trc.output);
  exchange::C3DFile original;
  ASSERT_EQ("", original.Read(source));
  TRCFile written;
  ASSERT_EQ("", written.Read(trc, false));
  ASSERT_EQ(33, written.NumMarkers());
  EXPECT_EQ(original.points.markers[4].description, written.Marker(4)->Name());
  EXPECT_EQ(11, written.StartFrame());
  const exchange::MarkerSample& sample = original.points.At(20, 4);  // frame 21
  EXPECT_EQ(sample.present, written.Marker(4)->Sample(10).present);
  EXPECT_FLOAT_EQ(static_cast<float>(sample.y), static_cast<float>(written.Marker(4)->Sample(10).y));

  const std::string c3d = folder.File("gait.c3d");
  ASSERT_EQ(0, Zarfileio({"convert", trc, c3d}).status);
  exchange::C3DFile back;
  ASSERT_EQ("", back.Read(c3d));
  EXPECT_EQ(11, back.points.first_frame);
  EXPECT_EQ(written.Marker(4)->Name(), back.points.markers[4].name);
}

TEST(CliConvert, RefusesWhatItCannotDo) {
  ScratchFolder folder;
  const std::string source = testing::SamplePath("c3d/MyCube.c3d");
  const testing::RunResult pair = Zarfileio({"convert", source, folder.File("x.bvh")});
  EXPECT_EQ(2, pair.status);
  EXPECT_TRUE(Has(pair, ".c3d -> .c3d .trc; .trc -> .c3d .trc")) << pair.output;
  EXPECT_EQ(2, Zarfileio({"convert", source, folder.File("x.trc"), "--from", "5"}).status);
  EXPECT_EQ(2, Zarfileio({"convert", source, folder.File("x.trc"), "--names", "full"}).status);
  const testing::RunResult damaged = Zarfileio(
      {"convert", testing::SamplePath("c3d/badParameterOffset.c3d"), folder.File("x.trc")});
  EXPECT_EQ(1, damaged.status);
  EXPECT_TRUE(Has(damaged, std::string(exchange::messages::kC3DParameterOverlap))) << damaged.output;
  EXPECT_EQ(0U, folder.Count());
}

}  // namespace
}  // namespace zar
