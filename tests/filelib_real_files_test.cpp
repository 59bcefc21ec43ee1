// Real motion files from other systems: every shared sample, the bundled samples and the fuzz
// seeds read to the models recorded in tests/data/filelib/real_files.snapshot, except the files
// whose reading was mended on purpose, which are checked against their text here.
//
// ZAR_UPDATE_SNAPSHOT=1 rewrites the snapshot from the current readers instead of comparing.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "filelib/zar_filelib.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

// FNV-1a over the bits of every value, so that a dump stays short but sees every sample.
class Hash {
 public:
  void Add(std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
      state_ = (state_ ^ ((value >> (8 * i)) & 0xFF)) * 0x100000001B3ULL;
    }
  }
  void Add(double value) { Add(std::bit_cast<std::uint64_t>(value)); }
  std::string Text() const {
    std::ostringstream out;
    out << std::hex << state_;
    return out.str();
  }

 private:
  std::uint64_t state_ = 0xCBF29CE484222325ULL;
};

std::string DumpTrc(const std::string& path, bool with_unnamed) {
  TRCFile model;
  std::ostringstream out;
  out << "message " << model.Read(path, with_unnamed) << "\n";
  out << "header " << static_cast<int>(model.Units()) << ' ' << model.DataRate() << ' '
      << model.CameraRate() << ' ' << model.NumFrames() << ' ' << model.StartFrame() << "\n";
  out << "markers " << model.NumMarkers() << "\n";
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
    const TRCMarker& marker = *model.Marker(i);
    Hash hash;
    for (const TRCSample& s : marker.Samples()) {
      hash.Add(std::uint64_t{s.present});
      hash.Add(s.x);
      hash.Add(s.y);
      hash.Add(s.z);
    }
    out << "[" << marker.Name() << "] " << marker.NumSamples() << ' ' << hash.Text() << "\n";
  }
  return out.str();
}

std::string DumpHtr(const std::string& path, bool read_frames) {
  HTRFile model;
  std::ostringstream out;
  out << "message " << model.Read(path, read_frames) << "\n";
  out << "header " << static_cast<int>(model.CalibrationUnits()) << ' '
      << static_cast<int>(model.RotationUnits()) << ' '
      << static_cast<int>(model.GlobalAxisofGravity()) << ' ' << model.DataFrameRate() << ' '
      << model.NumFrames() << ' ' << model.StartFrame() << ' ' << model.ScaleFactor() << "\n";
  out << "segments " << model.NumSegments() << "\n";
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    const HTRSegment& segment = *model.Segment(i);
    Hash base;
    const auto translation = segment.BaseTranslation();
    for (double v :
         {translation.X(), translation.Y(), translation.Z(), segment.BaseRotation().X(),
          segment.BaseRotation().Y(), segment.BaseRotation().Z(), segment.BoneLength()}) {
      base.Add(v);
    }
    Hash frames;
    for (const HTRFrame& f : segment.Frames()) {
      for (double v : {f.tx, f.ty, f.tz, f.rx, f.ry, f.rz, f.scale}) frames.Add(v);
    }
    out << "[" << segment.Name() << "] parent "
        << (segment.Parent() != nullptr ? segment.Parent()->Name() : "-") << " root "
        << segment.IsRoot() << " children " << segment.NumChildren() << " base " << base.Text()
        << " frames " << segment.NumStoredFrames() << ' ' << frames.Text() << "\n";
  }
  return out.str();
}

// The file with its CR LF line ends made LF, in `folder`.
std::string WithLfEnds(const ScratchFolder& folder, const std::filesystem::path& file) {
  std::string text = ReadBytes(file.string());
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lf += text[i];
  }
  return folder.Write("lf_" + file.filename().string(), lf);
}

std::vector<std::filesystem::path> FilesIn(const std::string& folder, const std::string& ext) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ext) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Every dump, by a label naming its file, where it comes from and how it was read.
std::map<std::string, std::string> DumpAll(const ScratchFolder& folder) {
  std::map<std::string, std::string> dumps;
  const std::vector<std::pair<std::string, std::string>> trc_folders = {
      {"shared", testing::SamplePath("trc")},
      {"bundled", std::string(ZAR_SOURCE_DIR) + "/samples"},
      {"seed", std::string(ZAR_SOURCE_DIR) + "/fuzz/corpus/trc"},
      {"data", std::string(ZAR_TEST_DATA_DIR) + "/import_trc"}};
  for (const auto& [origin, dir] : trc_folders) {
    for (const auto& file : FilesIn(dir, ".trc")) {
      const std::string label = origin + "/" + file.filename().string();
      dumps[label + " trc"] = DumpTrc(file.string(), false);
      dumps[label + " trc unnamed"] = DumpTrc(file.string(), true);
      dumps[label + " trc lf"] = DumpTrc(WithLfEnds(folder, file), false);
    }
  }
  const std::vector<std::pair<std::string, std::string>> htr_folders = {
      {"shared", testing::SamplePath("htr")},
      {"bundled", std::string(ZAR_SOURCE_DIR) + "/samples"},
      {"seed", std::string(ZAR_SOURCE_DIR) + "/fuzz/corpus/htr"},
      {"data", std::string(ZAR_TEST_DATA_DIR) + "/filelib"},
      {"data", std::string(ZAR_TEST_DATA_DIR) + "/export_htr"}};
  for (const auto& [origin, dir] : htr_folders) {
    for (const auto& file : FilesIn(dir, ".htr")) {
      const std::string label = origin + "/" + file.filename().string();
      dumps[label + " htr"] = DumpHtr(file.string(), true);
      dumps[label + " htr header"] = DumpHtr(file.string(), false);
      dumps[label + " htr lf"] = DumpHtr(WithLfEnds(folder, file), true);
    }
  }
  return dumps;
}

const std::string kSnapshot = std::string(ZAR_TEST_DATA_DIR) + "/filelib/real_files.snapshot";

std::map<std::string, std::string> ReadSnapshot() {
  std::map<std::string, std::string> dumps;
  std::ifstream in(kSnapshot, std::ios::binary);
  std::string line;
  std::string* current = nullptr;
  while (std::getline(in, line)) {
    if (line.rfind("== ", 0) == 0) {
      current = &dumps[line.substr(3)];
    } else if (current != nullptr) {
      *current += line + "\n";
    }
  }
  return dumps;
}

// Files whose reading was mended on purpose (names one or two fields apart, the last name
// without a tab after it, blanks for tabs in line 0, doubled tabs between header values).
const std::set<std::string> kMended = {"seed/odd.trc",
                                       "shared/abdbonepin.trc",
                                       "shared/constraintTest.trc",
                                       "shared/futureOrientationInverseKinematics.trc",
                                       "shared/markers_walk.trc",
                                       "shared/subject01_synthetic_marker_data.trc"};

bool IsMended(const std::string& label) {
  return kMended.count(label.substr(0, label.find(' '))) > 0;
}

TEST(RealFiles, EveryFileReadsToTheModelItGaveBefore) {
  ScratchFolder folder;
  const std::map<std::string, std::string> dumps = DumpAll(folder);
  if (std::getenv("ZAR_UPDATE_SNAPSHOT") != nullptr) {
    std::ofstream out(kSnapshot, std::ios::binary);
    for (const auto& [label, dump] : dumps) out << "== " << label << "\n" << dump;
    GTEST_SKIP() << "snapshot written to " << kSnapshot;
  }
  // Files added since the snapshot was taken have nothing to compare with.
  const std::map<std::string, std::string> before = ReadSnapshot();
  ASSERT_GE(before.size(), 80U);
  for (const auto& [label, dump] : before) {
    const auto found = dumps.find(label);
    ASSERT_NE(found, dumps.end()) << label;
    if (IsMended(label)) {
      EXPECT_NE(dump, found->second) << label;
    } else {
      EXPECT_EQ(dump, found->second) << label;
    }
  }
}

// The mended files against their text: the first and last marker's first sample are the three
// numbers after the time and the last three numbers of the first data line.
TEST(RealFiles, MendedFilesGiveEveryMarkerItsOwnData) {
  struct Case {
    const char* file;
    std::int32_t markers;
    std::int32_t frames;
    double data_rate;
    LengthUnit units;
    const char* first;
    TRCSample first_sample;
    const char* last;
    TRCSample last_sample;
  };
  const auto mm = LengthUnit::kMillimetres;
  // clang-format off
  const std::vector<Case> cases = {
      {"subject01_synthetic_marker_data.trc", 31, 73, 60, LengthUnit::kMetres,
       "Sternum", {true, 0.67076, 1.3961, -0.025106},
       "L.Toe.Tip", {true, 0.66781, 0.047006, -0.060034}},
      {"futureOrientationInverseKinematics.trc", 2, 1202, 60, mm,
       "humerus", {true, 0.00407883, 6.27925, 0.000255578},
       "ulna", {true, 0.00085068, 6.27794, 6.28316}},
      {"abdbonepin.trc", 11, 1991, 100, mm,
       "gu", {true, 246.329, -29.647, -6.82},
       "ijc", {true, 310.274, -16.557, -154.531}},
      {"markers_walk.trc", 41, 238, 100, mm,
       "R.Shoulder", {true, -652.630, 1529.542, -94.520},
       "L.Toe", {true, -412.723, 57.077, -251.120}},
      {"constraintTest.trc", 44, 2105, 200, mm,
       "R.Shoulder", {true, 90.174, 1884.322, -1717.028},
       "L_HJC", {true, 38.375, 1319.606, -2044.779}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TRCFile model;
    ASSERT_EQ("", model.Read(testing::SamplePath(std::string("trc/") + c.file), false));
    ASSERT_EQ(c.markers, model.NumMarkers());
    EXPECT_EQ(c.data_rate, model.ExactDataRate());
    EXPECT_EQ(c.units, model.Units());
    EXPECT_EQ(1, model.StartFrame());
    EXPECT_EQ(c.frames, model.NumDataFrames());
    for (const auto& [marker, name, sample] :
         {std::tuple{model.Marker(0), c.first, c.first_sample},
          std::tuple{model.Marker(c.markers - 1), c.last, c.last_sample}}) {
      EXPECT_EQ(name, marker->Name());
      EXPECT_EQ(c.frames, marker->NumSamples());
      const TRCSample got = marker->Sample(0);
      EXPECT_TRUE(got.present);
      EXPECT_EQ(sample.x, got.x);
      EXPECT_EQ(sample.y, got.y);
      EXPECT_EQ(sample.z, got.z);
    }
  }
}

}  // namespace
}  // namespace zar
