// C3D as other programs lay it out, checked against bytes made or read here without our reader
// or writer: where each frame's points sit among the analog words, and how text parameters are
// padded.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "c3d_bytes_test_support.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_copy.h"
#include "exchange/c3d_file.h"
#include "exchange/exchange_messages.h"
#include "exchange_test_support.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using testing::C3DLayout;
using testing::C3DPoint;

// Every frame's points are read from their own place, past the analog words of the frames
// before them, whatever the number of channels and samples per frame.
TEST(C3DBytes, PointsOfEveryFrameSitPastTheAnalogWordsBeforeThem) {
  testing::ScratchFolder folder;
  for (const auto& [channels, samples] :
       {std::pair<std::uint16_t, std::uint16_t>{0, 1}, {1, 1}, {2, 3}, {7, 10}}) {
    const C3DLayout layout{{"A", "B", "C"}, channels, samples, 9, 120.0F};
    exchange::C3DFile file;
    ASSERT_EQ("", file.Read(folder.Write("made.c3d", testing::C3DBytes(layout))).message);
    const exchange::MarkerSet& set = file.points;
    ASSERT_EQ(3U, set.NumMarkers());
    ASSERT_EQ(9, set.NumFrames());
    for (int k = 0; k < 9; ++k) {
      for (int m = 0; m < 3; ++m) {
        const exchange::MarkerSample& s = set.At(k, static_cast<std::size_t>(m));
        ASSERT_TRUE(s.present) << channels << "x" << samples << " frame " << k << " point " << m;
        EXPECT_EQ(C3DPoint(k, m, 0), s.x) << channels << "x" << samples << " frame " << k;
        EXPECT_EQ(C3DPoint(k, m, 1), s.y) << channels << "x" << samples << " frame " << k;
        EXPECT_EQ(C3DPoint(k, m, 2), s.z) << channels << "x" << samples << " frame " << k;
      }
    }
  }
}

// Text parameters (labels, descriptions, units) fill their fixed width with blanks, as the
// format asks: no NUL byte anywhere in their values.
TEST(C3DBytes, TextParametersArePaddedWithBlanks) {
  exchange::MarkerSet set;
  set.markers = {{"Head", "the top of the head"}, {"LongerName", ""}, {"X", "x"}};
  set.rate = 100.0;
  set.SetFrames(2);
  testing::ScratchFolder folder;
  const std::string path = folder.File("written.c3d");
  ASSERT_EQ("", exchange::WriteC3D(set, path).message);
  int texts = 0;
  for (const testing::C3DRawParameter& p : testing::C3DParameterRecords(testing::ReadBytes(path))) {
    if (p.type != -1) continue;
    ++texts;
    EXPECT_EQ(std::string::npos, p.data.find('\0')) << p.group << ":" << p.name;
    if (p.name == "LABELS") {
      EXPECT_EQ("Head      LongerNameX         ", p.data);
    }
  }
  EXPECT_GE(texts, 3);  // at least the labels, descriptions and units
}

// What strict readers check of every file we write, read back here field by field: the header
// agrees with the parameters (points, analog words and samples per frame against ANALOG:USED
// and ANALOG:RATE / POINT:RATE, first and last frame against POINT:FRAMES, data start, rate),
// and frames count from 1 (a set starting at frame 0 is renumbered).
TEST(C3DBytes, OurHeaderAgreesWithOurParameters) {
  testing::ScratchFolder folder;
  for (const auto& [first, frames] :
       {std::pair<std::int64_t, std::int64_t>{0, 40}, {1, 3}, {5, 100}, {-3, 10}}) {
    exchange::MarkerSet set;
    set.markers = {{"A", ""}, {"B", ""}};
    set.rate = 119.88;
    set.first_frame = first;
    set.SetFrames(frames);
    const std::string path = folder.File("written.c3d");
    ASSERT_EQ("", exchange::WriteC3D(set, path).message);
    const std::string bytes = testing::ReadBytes(path);
    const auto word = [&bytes](std::size_t n) {
      return static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * n - 2])) |
             static_cast<unsigned>(static_cast<unsigned char>(bytes[2 * n - 1])) << 8;
    };
    float header_rate = 0;
    std::memcpy(&header_rate, bytes.data() + 20, 4);
    std::map<std::string, testing::C3DRawParameter> found;
    for (const testing::C3DRawParameter& p : testing::C3DParameterRecords(bytes)) {
      found[std::to_string(p.group) + ":" + p.name] = p;
    }
    const auto integer = [&found](const std::string& key) {
      const std::string& d = found.at(key).data;
      return static_cast<unsigned>(static_cast<unsigned char>(d[0])) |
             static_cast<unsigned>(static_cast<unsigned char>(d[1])) << 8;
    };
    const auto real = [&found](const std::string& key) {
      float value = 0;
      std::memcpy(&value, found.at(key).data.data(), 4);
      return value;
    };
    const std::string what = std::to_string(first) + "+" + std::to_string(frames);
    EXPECT_EQ(integer("1:USED"), word(2)) << what;
    EXPECT_EQ(integer("2:USED") * word(10), word(3)) << what;
    EXPECT_GE(word(10), 1U) << what;
    EXPECT_EQ(real("2:RATE"), real("1:RATE") * static_cast<float>(word(10))) << what;
    EXPECT_EQ(header_rate, real("1:RATE")) << what;
    EXPECT_EQ(static_cast<unsigned>(std::max<std::int64_t>(first, 1)), word(4)) << what;
    EXPECT_EQ(integer("1:FRAMES"), word(5) - word(4) + 1) << what;
    EXPECT_EQ(integer("1:DATA_START"), word(9)) << what;
    EXPECT_GE(bytes.size(), (word(9) - 1) * 512U + 16U * 2 * static_cast<std::size_t>(frames))
        << what;
  }
}

// Analog samples come back in order, channel by channel within each sample, however many
// samples of each channel a point frame holds, each in physical units: (stored - OFFSET of its
// channel) * SCALE of its channel * GEN_SCALE.
TEST(C3DBytes, AnalogSamplesInOrderAndInPhysicalUnits) {
  testing::ScratchFolder folder;
  for (const auto& [channels, samples] :
       {std::pair<std::uint16_t, std::uint16_t>{1, 1}, {2, 3}, {7, 10}}) {
    C3DLayout layout{{"A", "B"}, channels, samples, 6, 100.0F};
    layout.analog_scaling = true;
    layout.gen_scale = 0.5F;
    const std::string path = folder.Write("made.c3d", testing::C3DBytes(layout));
    exchange::C3DFile file;
    ASSERT_EQ("", file.Read(path).message);
    exchange::C3DAnalog analog;
    ASSERT_EQ("", exchange::ReadC3DAnalog(path, file, analog).message);
    ASSERT_EQ(channels, analog.NumChannels());
    EXPECT_EQ(samples, analog.per_frame);
    EXPECT_EQ(100.0 * samples, analog.rate);
    ASSERT_EQ(6 * samples, analog.NumSamples());
    for (int k = 0; k < 6; ++k) {
      for (int w = 0; w < channels * samples; ++w) {
        const std::int64_t sample = k * samples + w / channels;
        const int c = w % channels;
        const double expected = (double{testing::C3DAnalog(k, w)} - testing::AnalogOffset(c)) *
                                double{testing::AnalogScale(c)} * 0.5;
        ASSERT_EQ(expected, analog.At(sample, static_cast<std::size_t>(c)))
            << channels << "x" << samples << " frame " << k << " word " << w;
      }
    }
  }
}

// A header whose analog count (word 3) is the channels alone, where the parameters say 16
// channels at 7 samples per point frame (as a real lab file has it): the file's size confirms
// the parameters, so every frame is read from its place, and a warning says so. With data that
// fits neither reading, the file is refused rather than read by a guess.
TEST(C3DBytes, TheFrameSizeTheFileConfirmsWinsOverTheHeader) {
  testing::ScratchFolder folder;
  C3DLayout layout{{"A", "B", "C"}, 16, 7, 9, 140.0F};
  std::string bytes = testing::C3DBytes(layout);
  testing::c3d_bytes::Put16(bytes, 4, 16);  // header word 3: 16 analog values per frame
  const std::string path = folder.Write("word3.c3d", bytes);
  exchange::C3DFile file;
  ASSERT_EQ("", file.Read(path).message);
  EXPECT_EQ(112U, file.frame_analog_words);
  ASSERT_EQ(1U, file.warnings.size());
  EXPECT_NE(std::string::npos, file.warnings[0].find("16 analog values")) << file.warnings[0];
  EXPECT_NE(std::string::npos, file.warnings[0].find("112 analog values")) << file.warnings[0];
  ASSERT_EQ(9, file.points.NumFrames());
  for (int k = 0; k < 9; ++k) {
    for (int m = 0; m < 3; ++m) {
      const exchange::MarkerSample& s = file.points.At(k, static_cast<std::size_t>(m));
      ASSERT_EQ(C3DPoint(k, m, 0), s.x) << "frame " << k << " point " << m;
      ASSERT_EQ(C3DPoint(k, m, 2), s.z) << "frame " << k << " point " << m;
    }
  }
  exchange::C3DAnalog analog;
  ASSERT_EQ("", exchange::ReadC3DAnalog(path, file, analog).message);
  ASSERT_EQ(9 * 7, analog.NumSamples());
  EXPECT_EQ(double{testing::C3DAnalog(8, 111)}, analog.At(8 * 7 + 6, 15));

  // The parameters wrong instead (ANALOG:RATE at the point rate) and the header right: the
  // header is taken.
  std::string header_right = testing::C3DBytes(layout);
  const std::size_t rate_at = header_right.find("RATE", 512);  // ANALOG:RATE, the only one
  ASSERT_NE(std::string::npos, rate_at);
  testing::c3d_bytes::PutFloat(header_right, rate_at + 8, 140.0F);  // past link, type, rank
  exchange::C3DFile taken;
  ASSERT_EQ("", taken.Read(folder.Write("rate.c3d", header_right)).message);
  EXPECT_EQ(112U, taken.frame_analog_words);
  ASSERT_EQ(1U, taken.warnings.size());
  EXPECT_NE(std::string::npos, taken.warnings[0].find("the header's, which is taken"));
  EXPECT_EQ(C3DPoint(8, 2, 1), taken.points.At(8, 2).y);

  // Data that fits neither reading: refused, naming both.
  bytes.append(1024, '\0');
  exchange::C3DFile refused;
  const std::string message = refused.Read(folder.Write("neither.c3d", bytes)).message;
  EXPECT_EQ(0U, message.find(exchange::messages::kC3DFrameLayout)) << message;
  EXPECT_NE(std::string::npos, message.find("112 analog values")) << message;
}

// A copy of a file that lacks POINT:DATA_START (these files do) gains it; wherever that puts the
// parameter section's end, the data starts past it. More labels grow the section until the
// copy's takes a second block (the made file holds one block of parameters: as many labels as fit).
TEST(C3DBytes, ACopyStartsItsDataPastItsParameters) {
  testing::ScratchFolder folder;
  bool two_blocks = false;
  for (int points = 1; points < 256; ++points) {
    C3DLayout layout;
    for (int m = 0; m < points; ++m)
      layout.labels.push_back(std::string("M").append(std::to_string(m)));
    layout.frames = 2;
    const std::string path = folder.Write("made.c3d", testing::C3DBytes(layout));
    exchange::C3DFile file;
    if (!file.Read(path).message.empty()) break;  // past what one block holds
    exchange::C3DCopyOptions cut;
    cut.count = 2;
    exchange::C3DCopyReport report;
    ASSERT_EQ("",
              exchange::CopyC3DFrames(path, file, cut, folder.File("copy.c3d"), report).message);
    exchange::C3DFile copy;
    ASSERT_EQ("", copy.Read(folder.File("copy.c3d")).message) << points << " points";
    EXPECT_EQ(C3DPoint(1, points - 1, 2),
              copy.points.At(1, static_cast<std::size_t>(points - 1)).z);
    two_blocks = two_blocks || copy.data_start > 3;
  }
  EXPECT_TRUE(two_blocks);
}

}  // namespace
}  // namespace zar
