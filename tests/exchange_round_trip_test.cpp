// Round trips between TRC and C3D over the shared samples, through the writers and the readers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "exchange/c3d_file.h"
#include "exchange/trc_adapter.h"
#include "exchange/trc_writer.h"
#include "exchange_test_support.h"
#include "filelib/file_messages.h"
#include "filelib/trc_file.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using exchange::C3DFile;
using exchange::MarkerSet;
using testing::ScratchFolder;

exchange::MarkerSet ReadTrc(const std::string& path, std::string& message) {
  TRCFile trc;
  message = trc.Read(path, false);
  // What a reader for conversions gives beside the file model's own message.
  if (message.empty()) message = NothingToConvert(trc.Contents());
  return exchange::FromTRC(trc);
}

// TRC -> C3D -> TRC gives back the names, frames, present flags and coordinates (within single
// precision) of every shared TRC sample that reads. Reading straight into the marker set gives
// what the file model gives, failures included.
TEST(TrcC3DRoundTrip, EverySharedTrcSample) {
  ScratchFolder folder;
  int converted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::SamplePath("trc"))) {
    std::string message;
    const MarkerSet original = ReadTrc(entry.path().string(), message);
    const std::string what = entry.path().filename().string();
    MarkerSet direct;
    ASSERT_EQ(message, exchange::ReadTRC(entry.path().string(), direct).message) << what;
    if (!message.empty()) continue;
    ASSERT_EQ(original.NumMarkers(), direct.NumMarkers()) << what;
    for (std::size_t m = 0; m < original.NumMarkers(); ++m) {
      EXPECT_EQ(original.markers[m].name, direct.markers[m].name) << what;
    }
    EXPECT_EQ(original.rate, direct.rate) << what;
    EXPECT_EQ(original.camera_rate, direct.camera_rate) << what;
    testing::ExpectSameSamples(original, direct, 0.0, what);
    ASSERT_EQ("", exchange::WriteC3D(original, folder.File("a.c3d")).message) << what;
    C3DFile c3d;
    ASSERT_EQ("", c3d.Read(folder.File("a.c3d")).message) << what;
    ASSERT_EQ("", exchange::WriteTRC(c3d.points, folder.File("b.trc")).message) << what;
    const MarkerSet back = ReadTrc(folder.File("b.trc"), message);
    ASSERT_EQ("", message) << what;
    const std::vector<std::string> names = exchange::UniqueMarkerNames(original);
    ASSERT_EQ(names.size(), back.NumMarkers()) << what;
    // C3D pads labels with blanks, so blanks at the end of a name do not survive it.
    for (std::size_t m = 0; m < names.size(); ++m) {
      EXPECT_EQ(names[m].substr(0, names[m].find_last_not_of(' ') + 1), back.markers[m].name);
    }
    EXPECT_EQ(original.rate, back.rate) << what;
    EXPECT_EQ(original.units, back.units) << what;
    // C3D counts frames from 1: a file that starts at frame 0 comes back renumbered.
    EXPECT_EQ(std::max<std::int64_t>(original.first_frame, 1), back.first_frame) << what;
    MarkerSet renumbered = original;
    renumbered.first_frame = back.first_frame;
    testing::ExpectSameSamples(renumbered, back, 0.0, what);
    ++converted;
  }
  EXPECT_GE(converted, 10);
}

// C3D -> TRC -> C3D keeps labels, rate, frames and coordinates: the TRC text of a single-precision
// number reads back as that number.
TEST(TrcC3DRoundTrip, EverySharedC3DSample) {
  ScratchFolder folder;
  int converted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing::SamplePath("c3d"))) {
    C3DFile original;
    if (!original.Read(entry.path().string()).Ok()) continue;
    const std::string what = entry.path().filename().string();
    ASSERT_EQ("", exchange::WriteTRC(original.points, folder.File("a.trc")).message) << what;
    std::string message;
    const MarkerSet trc = ReadTrc(folder.File("a.trc"), message);
    ASSERT_EQ("", message) << what;
    ASSERT_EQ("", exchange::WriteC3D(trc, folder.File("b.c3d")).message) << what;
    C3DFile back;
    ASSERT_EQ("", back.Read(folder.File("b.c3d")).message) << what;
    EXPECT_EQ(exchange::UniqueMarkerNames(original.points),
              exchange::UniqueMarkerNames(back.points))
        << what;
    // The rate as written (Dance.c3d's 65.053345 Hz stays fractional through the TRC text).
    EXPECT_EQ(original.points.rate, back.points.rate) << what;
    // Integer files: the scaled coordinates are exact doubles, kept to single precision.
    testing::ExpectSameSamples(original.points, back.points, 0.0, what);
    ++converted;
  }
  EXPECT_GE(converted, 17);
}

TEST(TrcWriter, LayoutAndMissingSamples) {
  MarkerSet set;
  set.markers = {{"A", ""}, {"A", ""}, {"", ""}};
  set.rate = 100;
  set.first_frame = 0;
  set.SetFrames(2);
  set.At(0, 0) = {1.5, -2.25, 0.1F, true};
  set.At(1, 2) = {1e-3, 12345.678, 0.0, true};
  ScratchFolder folder;
  ASSERT_EQ("", exchange::WriteTRC(set, folder.File("x.trc")).message);
  EXPECT_EQ(testing::ReadBytes(folder.File("x.trc")),
            "PathFileType\t4\t(X/Y/Z)\tx.trc\r\n"
            "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
            "OrigDataStartFrame\tOrigNumFrames\r\n"
            "100\t100\t2\t3\tmm\t100\t0\t2\r\n"
            "Frame#\tTime\tA\t\t\tA_2\t\t\tMarker3\t\t\r\n"
            "\t\tX1\tY1\tZ1\tX2\tY2\tZ2\tX3\tY3\tZ3\r\n"
            "\r\n"
            "0\t0\t1.5\t-2.25\t0.1\t\t\t\t\t\t\r\n"
            "1\t0.01\t\t\t\t\t\t\t0.001\t12345.678\t0\r\n");
  TRCFile trc;
  ASSERT_EQ("", trc.Read(folder.File("x.trc"), false));
  EXPECT_EQ(0, trc.StartFrame());
  EXPECT_FALSE(trc.Marker(0)->Sample(1).present);
  EXPECT_DOUBLE_EQ(12345.678, trc.Marker(2)->Sample(1).y);
  EXPECT_EQ(messages::kCannotOpen, exchange::WriteTRC(set, folder.File("no/x.trc")).message);
}

}  // namespace
}  // namespace zar
