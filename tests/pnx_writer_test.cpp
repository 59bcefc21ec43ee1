// The PNX layout, byte for byte against hand-written files, and the axes-and-offset rules.

#include "utilities/pnx_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "filelib/trc_file.h"
#include "tests/filelib_test_support.h"

namespace zar {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

std::string Golden(const std::string& name) {
  return ReadBytes(std::string(ZAR_TEST_DATA_DIR) + "/utilities/" + name);
}

struct Sample {
  bool present;
  double x, y, z;
};

TRCMarker MakeMarker(const std::string& name, std::initializer_list<Sample> samples) {
  TRCMarker marker(name);
  for (const Sample& s : samples) {
    if (s.present) {
      marker.AppendSample(s.x, s.y, s.z);
    } else {
      marker.AppendMissingSample();
    }
  }
  return marker;
}

TEST(PnxWriter, PlainLayoutWithNegativeZeroAndDropout) {
  TRCFile trc;
  trc.SetCameraRate(120);
  trc.SetDataRate(60);
  trc.SetNumFrames(2);
  trc.AddMarker(MakeMarker("A", {{true, 1.5, 2.25, 0.0}, {true, -1, -2, -3}}));
  trc.AddMarker(MakeMarker("B", {{true, 0, 0, 0}, {false, 0, 0, 0}}));
  trc.AddMarker(
      MakeMarker("C", {{true, 1000.123456789, 0.0000004, -0.0000006}, {true, -0.5, 12, 7}}));
  ScratchFolder folder;
  const std::string path = folder.File("walk.pnx");
  ASSERT_TRUE(WritePnxFile(trc, path, "walk", "Thu Jan  1 00:00:00 1970", {}));
  EXPECT_EQ(ReadBytes(path), Golden("plain.pnx"));
}

TEST(PnxWriter, OffsetInTrcSpaceAndInModraSpace) {
  for (const bool trc_space : {true, false}) {
    TRCFile trc;
    trc.SetDataRate(30);
    trc.SetNumFrames(2);
    trc.SetStartFrame(7);
    trc.AddMarker(MakeMarker("M", {{true, 10, 20, 30}, {false, 0, 0, 0}}));
    PnxPlacement placement;
    placement.offset = true;
    placement.trc_space = trc_space;
    placement.offset_x = 1;
    placement.offset_y = 2;
    placement.offset_z = 3;
    const std::string name = trc_space ? "offset_trc" : "offset_modra";
    ScratchFolder folder;
    const std::string path = folder.File(name + ".pnx");
    ASSERT_TRUE(WritePnxFile(trc, path, name, "Fri Feb 13 23:31:30 2009", placement));
    EXPECT_EQ(ReadBytes(path), Golden(name + ".pnx")) << name;
  }
}

TEST(PnxWriter, NoMarkerSelected) {
  TRCFile trc;
  trc.SetCameraRate(100);
  trc.SetDataRate(100);
  trc.SetNumFrames(3);
  trc.SetStartFrame(-1);
  trc.AddMarker(MakeMarker("X", {{true, 1, 2, 3}, {true, 1, 2, 3}, {true, 1, 2, 3}}))
      ->SetSelected(false);
  ScratchFolder folder;
  const std::string path = folder.File("none.pnx");
  ASSERT_TRUE(WritePnxFile(trc, path, "none", "Thu Jan  1 00:00:00 1970", {}));
  EXPECT_EQ(ReadBytes(path), Golden("none_selected.pnx"));
}

TEST(PnxWriter, MarkerWithFewerSamplesThanFrames) {
  TRCFile trc;
  trc.SetCameraRate(60);
  trc.SetNumFrames(4);
  trc.AddMarker(MakeMarker("Hidden", {{true, 5, 5, 5}}))->SetSelected(false);
  trc.AddMarker(MakeMarker("Short", {{true, 1, 2, 3}}));
  trc.AddMarker(
      MakeMarker("Full", {{true, 0.1, 0.2, 0.3}, {true, 0.4, 0.5, 0.6}, {true, 0.7, 0.8, 0.9}}));
  ScratchFolder folder;
  const std::string path = folder.File("short.pnx");
  ASSERT_TRUE(WritePnxFile(trc, path, "short", "Thu Jan  1 00:00:00 1970", {}));
  EXPECT_EQ(ReadBytes(path), Golden("short_marker.pnx"));
}

TEST(PnxWriter, FrameNumbersWrapInsteadOfOverflowing) {
  TRCFile trc;
  trc.SetNumFrames(2);
  trc.SetStartFrame(2147483647);
  ScratchFolder folder;
  const std::string path = folder.File("wrap.pnx");
  ASSERT_TRUE(WritePnxFile(trc, path, "wrap", "d", {}));
  const std::string text = ReadBytes(path);
  EXPECT_NE(text.find("$FirstFrame 2147483647\r\n$LastFrame -2147483648\r\n"), std::string::npos);
  EXPECT_NE(text.find("$Points\r\n2147483647\t\r\n\r\n-2147483648\t\r\n\r\n"), std::string::npos);
}

// A header that declares far more frames than the file holds: the PNX ends with the last data
// line, and a sample missing within the data lines is still a dropout.
TEST(PnxWriter, FramesEndWithTheDataLinesOfTheSource) {
  ScratchFolder folder;
  const std::string source = folder.Write(
      "huge.trc",
      "PathFileType\t4\t(X/Y/Z)\thuge.trc\n"
      "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\tOrigDataStartFrame\n"
      "60\t60\t2147483647\t2\tmm\t60\t1\n"
      "Frame#\tTime\tA\t\t\tB\t\t\t\n\t\tX1\tY1\tZ1\tX2\tY2\tZ2\n\n"
      "1\t0\t1\t2\t3\t4\t5\t6\n2\t0.1\t\t\t\t7\t8\t9\n");
  TRCFile trc;
  ASSERT_EQ("", trc.Read(source, false));
  EXPECT_EQ(2147483647, trc.NumFrames());
  ASSERT_TRUE(WritePnxFile(trc, folder.File("huge.pnx"), "huge", "d", {}));
  const std::string text = ReadBytes(folder.File("huge.pnx"));
  EXPECT_NE(std::string::npos, text.find("$LastFrame 2\r\n$NumFrames 2\r\n"));
  const std::string points = text.substr(text.find("$Points\r\n"));
  EXPECT_EQ(
      "$Points\r\n1\t1.000000\t-3.000000\t2.000000\t4.000000\t-6.000000\t5.000000\t\r\n\r\n"
      "2\tDROPOUT\t7.000000\t-9.000000\t8.000000\t\r\n\r\n",
      points);
}

TEST(PnxWriter, NothingWrittenWhenTheFileCannotBeCreated) {
  TRCFile trc;
  trc.SetNumFrames(1);
  ScratchFolder folder;
  EXPECT_FALSE(WritePnxFile(trc, folder.File("missing/out.pnx"), "out", "d", {}));
  EXPECT_FALSE(WritePnxFile(trc, folder.Path().string(), "out", "d", {}));
  EXPECT_EQ(folder.Count(), 0u);
}

TEST(PnxPlacement, AxesAndOffsets) {
  const TRCSample sample{true, 10, 20, 30};
  struct Case {
    bool offset;
    bool trc_space;
    double first, second, third;
  };
  const Case cases[] = {
      {false, true, 10, -30, 20},
      {false, false, 10, -30, 20},
      {true, true, 11, -33, 22},
      {true, false, 11, -28, 23},
  };
  for (const Case& c : cases) {
    const PnxPlacement placement{c.offset, c.trc_space, 1.0f, 2.0f, 3.0f};
    const PnxPoint point = PlacePnxPoint(sample, placement);
    EXPECT_EQ(point.first, c.first);
    EXPECT_EQ(point.second, c.second);
    EXPECT_EQ(point.third, c.third);
  }
}

TEST(PnxPlacement, OffsetsAreWidenedFromSinglePrecision) {
  // 1234.5678 is held as the float 1234.5677490234375; that value, not the decimal, is added.
  const PnxPlacement placement{true, true, 1234.5678f, 0.0f, 0.0f};
  const PnxPoint point = PlacePnxPoint({true, 0.25, 0, 0}, placement);
  EXPECT_EQ(point.first, 1234.8177490234375);
  // A zero offset still turns -(0 + 0) into a negative zero in TRC space, not in Modra space.
  EXPECT_TRUE(std::signbit(PlacePnxPoint({true, 0, 0, 0}, placement).second));
  const PnxPlacement modra{true, false, 0.0f, 0.0f, 0.0f};
  EXPECT_FALSE(std::signbit(PlacePnxPoint({true, 0, 0, 0}, modra).second));
}

TEST(PnxDate, StandardDateText) {
  // The C library's asctime layout in UTC, day of the month padded with a blank.
  setenv("TZ", "UTC0", 1);
  tzset();
  EXPECT_EQ(DateText(0), "Thu Jan  1 00:00:00 1970");
  EXPECT_EQ(DateText(1234567890), "Fri Feb 13 23:31:30 2009");
  EXPECT_EQ(DateText(951782400), "Tue Feb 29 00:00:00 2000");
}

}  // namespace
}  // namespace zar
