// The TRC model and reader.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "filelib/zar_filelib.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

// Three markers, the middle one "Unnamed"; three frames: A missing in frame 2, and the last
// line ends after A's coordinates.
const std::vector<std::string> kSmallFile = {
    "PathFileType\t4\t(X/Y/Z)\tsmall.trc",
    "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\tOrigDataStartFrame\t"
    "OrigNumFrames",
    "100\t120\t3\t3\tcm\t100\t7\t3",
    "Frame#\tTime\tA\t\t\tUnnamedB\t\t\tC\t\t\t",
    "\t\tX1\tY1\tZ1\tX2\tY2\tZ2\tX3\tY3\tZ3",
    "",
    "1\t0.00\t1\t2\t3\t4\t5\t6\t7\t8\t9",
    "2\t0.01\t\t\t\t4\t5\t6\t7\t8\t9",
    "3\t0.02\t1\t2\t3",
};

std::string Join(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

std::string SmallWith(std::size_t index, const std::string& text) {
  std::vector<std::string> lines = kSmallFile;
  lines.at(index) = text;
  return Join(lines);
}

std::string ReadText(TRCFile& model, const std::string& text, bool with_unnamed = false) {
  ScratchFolder folder;
  return model.Read(folder.Write("model.trc", text), with_unnamed);
}

bool IsReaderMessage(const std::string& message) {
  return message.empty() || message == messages::kTrcHeaderState ||
         message == messages::kTrcMarkerCount || message == messages::kCannotOpen;
}

// "present x y z" or "missing" for sample k of marker `name`.
std::string SampleText(const TRCFile& model, const std::string& name, std::int32_t k) {
  for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
    const TRCMarker& marker = *model.Marker(i);
    if (marker.Name() != name) continue;
    const TRCSample s = marker.Sample(k);
    if (!s.present) return "missing";
    char text[200];
    std::snprintf(text, sizeof text, "%g %g %g", s.x, s.y, s.z);
    return text;
  }
  return "no marker";
}

TEST(TRCModel, MarkersAndSamples) {
  TRCFile model;
  ASSERT_NE(nullptr, model.AddMarker(TRCMarker("A")));
  EXPECT_EQ(nullptr, model.AddMarker(TRCMarker("A")));
  TRCMarker* b = model.AddMarker(TRCMarker("B"));
  ASSERT_NE(nullptr, b);
  EXPECT_TRUE(b->Selected());
  b->AppendSample(1, 2, 3);
  b->AppendMissingSample();
  EXPECT_EQ(2, b->NumSamples());
  EXPECT_FALSE(b->Sample(1).present);
  EXPECT_FALSE(b->Sample(2).present);
  EXPECT_FALSE(b->Sample(-1).present);
  EXPECT_FALSE(b->SetSample(2, 1, 1, 1));
  EXPECT_TRUE(b->SetSample(1, 4, 5, 6));
  EXPECT_EQ(6.0, b->Sample(1).z);
  EXPECT_TRUE(b->Sample(1).present);
  EXPECT_EQ(nullptr, model.Marker(2));
  EXPECT_EQ(b, model.Marker(1));
}

TEST(TRCModel, ConvertUnitsAndScaleKeepMissingSamples) {
  TRCFile model;
  ASSERT_EQ("", ReadText(model, Join(kSmallFile)));
  ASSERT_EQ(LengthUnit::kCentimetres, model.Units());
  model.ConvertUnits(LengthUnit::kMillimetres);
  EXPECT_EQ(LengthUnit::kMillimetres, model.Units());
  EXPECT_EQ("10 20 30", SampleText(model, "A", 0));
  EXPECT_EQ("missing", SampleText(model, "A", 1));
  model.ConvertUnits(LengthUnit::kMillimetres);
  EXPECT_EQ("10 20 30", SampleText(model, "A", 0));
  model.Scale(0.5);
  EXPECT_EQ("5 10 15", SampleText(model, "A", 2));
  EXPECT_EQ("missing", SampleText(model, "C", 2));
  model.ConvertUnits(LengthUnit::kMetres);
  EXPECT_EQ("0.005 0.01 0.015", SampleText(model, "A", 0));
}

TEST(TRCModel, ClearKeepsTheCameraRate) {
  TRCFile model;
  ASSERT_EQ("", ReadText(model, Join(kSmallFile)));
  model.Clear();
  EXPECT_EQ(0, model.NumMarkers());
  EXPECT_EQ(120, model.CameraRate());
  EXPECT_EQ(60, model.DataRate());
  EXPECT_EQ(0, model.NumFrames());
  EXPECT_EQ(1, model.StartFrame());
  EXPECT_EQ(LengthUnit::kMillimetres, model.Units());
}

TEST(TRCReader, ReadsTheSmallFile) {
  for (const char* end : {"\n", "\r\n"}) {
    TRCFile model;
    ASSERT_EQ("", ReadText(model, Join(kSmallFile, end)));
    EXPECT_EQ(100, model.DataRate());
    EXPECT_EQ(120, model.CameraRate());
    EXPECT_EQ(3, model.NumFrames());
    EXPECT_EQ(7, model.StartFrame());  // path type 4: the source start frame
    ASSERT_EQ(2, model.NumMarkers());
    EXPECT_EQ("A", model.Marker(0)->Name());
    EXPECT_EQ("C", model.Marker(1)->Name());
    EXPECT_EQ("1 2 3", SampleText(model, "A", 0));
    EXPECT_EQ("missing", SampleText(model, "A", 1));
    EXPECT_EQ("7 8 9", SampleText(model, "C", 1));
    EXPECT_EQ("missing", SampleText(model, "C", 2));
    EXPECT_EQ(3, model.Marker(1)->NumSamples());
  }
  TRCFile with_unnamed;
  ASSERT_EQ("", ReadText(with_unnamed, Join(kSmallFile), true));
  ASSERT_EQ(3, with_unnamed.NumMarkers());
  EXPECT_EQ("4 5 6", SampleText(with_unnamed, "UnnamedB", 1));
}

TEST(TRCReader, ReportsEveryMessage) {
  struct Case {
    const char* what;
    std::string text;
    bool with_unnamed;
    std::string_view message;
  };
  const std::vector<Case> cases = {
      {"lower case", SmallWith(0, "PathFileType\t4\t(x/y/z)\tf"), false, messages::kTrcHeaderState},
      {"blank inside", SmallWith(0, "PathFileType\t4\t(X/Y /Z)\tf"), false,
       messages::kTrcHeaderState},
      {"blanks for tabs, lower case", SmallWith(0, "PathFileType  4 (x/y/z) f"), false,
       messages::kTrcHeaderState},
      {"blanks for tabs, no type", SmallWith(0, "PathFileType (X/Y/Z) f"), false,
       messages::kTrcHeaderState},
      {"nothing after the type", SmallWith(0, "PathFileType\t4"), false, messages::kTrcHeaderState},
      {"declared count differs", SmallWith(2, "100\t120\t3\t4\tcm\t100\t7\t3"), true,
       messages::kTrcMarkerCount},
      {"duplicate makes two of three", SmallWith(3, "Frame#\tTime\tA\t\t\tA\t\t\tC\t\t\t"), true,
       messages::kTrcMarkerCount},
      {"count not compared without Unnamed", SmallWith(2, "100\t120\t3\t4\tcm\t100\t7\t3"), false,
       ""},
      // A blank name still counts among the declared markers, in its place or not at all.
      {"blank name counted", SmallWith(3, "Frame#\tTime\tA\t\t\t\t\t\tC\t\t\t"), true, ""},
      {"blank name one too many",
       Join({kSmallFile[0], kSmallFile[1], "100\t120\t3\t2\tcm\t100\t7\t3",
             "Frame#\tTime\tA\t\t\t\t\t\tC\t\t\t", kSmallFile[4]}),
       true, messages::kTrcMarkerCount},
  };
  for (const Case& c : cases) {
    TRCFile model;
    EXPECT_EQ(c.message, ReadText(model, c.text, c.with_unnamed)) << c.what;
  }
  TRCFile model;
  ASSERT_NE(nullptr, model.AddMarker(TRCMarker("Kept")));
  EXPECT_EQ(messages::kCannotOpen, model.Read("/no/such/folder/file.trc", false));
  EXPECT_EQ(1, model.NumMarkers());
}

TEST(TRCReader, ReadsByLinePosition) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::function<void(const TRCFile&)> check;
  };
  auto with = [](std::initializer_list<std::pair<std::size_t, std::string>> changes) {
    std::vector<std::string> lines = kSmallFile;
    for (const auto& [index, text] : changes) lines.at(index) = text;
    return lines;
  };
  const std::vector<Case> cases = {
      {"path type 3: first frame number",
       with({{0, "PathFileType\t3\t(X/Y/Z)\tf"}, {6, "11\t0\t1\t2\t3"}}),
       [](const TRCFile& m) { EXPECT_EQ(11, m.StartFrame()); }},
      {"other path types start at 1", with({{0, "PathFileType\t2\t(X/Y/Z)\tf"}}),
       [](const TRCFile& m) { EXPECT_EQ(1, m.StartFrame()); }},
      // The n-th name owns the n-th three coordinate columns, however far apart the names are.
      {"last name without a tab", with({{3, "Frame#\tTime\tA\t\t\tC"}}),
       [](const TRCFile& m) {
         ASSERT_EQ(2, m.NumMarkers());
         EXPECT_EQ("4 5 6", SampleText(m, "C", 0));
       }},
      {"single tabs between names", with({{3, "Frame#\tTime\tA\tB\tC"}}),
       [](const TRCFile& m) {
         ASSERT_EQ(3, m.NumMarkers());
         EXPECT_EQ("4 5 6", SampleText(m, "B", 0));
         EXPECT_EQ("7 8 9", SampleText(m, "C", 0));
       }},
      {"blanks for tabs in line 0", with({{0, "PathFileType  4\t(X/Y/Z) f"}}),
       [](const TRCFile& m) { EXPECT_EQ(7, m.StartFrame()); }},
      {"path type 3 after a blank", with({{0, "PathFileType\t3 (X/Y/Z)"}, {6, "11\t0\t1\t2\t3"}}),
       [](const TRCFile& m) { EXPECT_EQ(11, m.StartFrame()); }},
      {"doubled tabs between header values",
       with({{2, "119.5\t\t120\t\t3\t\t3\t\t cm\t\t100\t\t7\t\t3"}}),
       [](const TRCFile& m) {
         EXPECT_EQ(119.5, m.ExactDataRate());
         EXPECT_EQ(120, m.CameraRate());
         EXPECT_EQ(LengthUnit::kCentimetres, m.Units());
         EXPECT_EQ(7, m.StartFrame());
       }},
      {"byte-order mark before a comment",
       [] {
         std::vector<std::string> lines = kSmallFile;
         lines.insert(lines.begin(), "\xEF\xBB\xBF# written elsewhere");
         return lines;
       }(),
       [](const TRCFile& m) { EXPECT_EQ(7, m.StartFrame()); }},
      // Names that are not kept still own their columns: later markers keep their own data.
      {"a repeated name keeps its columns", with({{3, "Frame#\tTime\tA\t\t\tA\t\t\tC\t\t\t"}}),
       [](const TRCFile& m) {
         ASSERT_EQ(2, m.NumMarkers());
         EXPECT_EQ("1 2 3", SampleText(m, "A", 0));
         EXPECT_EQ("7 8 9", SampleText(m, "C", 0));
       }},
      // A blank name in its place leaves its columns to no marker; the next name keeps its own.
      {"a blank name keeps its columns", with({{3, "Frame#\tTime\tA\t\t\t\t\t\tC\t\t"}}),
       [](const TRCFile& m) {
         ASSERT_EQ(2, m.NumMarkers());
         EXPECT_EQ("1 2 3", SampleText(m, "A", 0));
         EXPECT_EQ("7 8 9", SampleText(m, "C", 0));
       }},
      // Coordinate titles for only as many columns as there are names: no column is left
      // without a name, and the names are spaced oddly.
      {"titles for two columns",
       with({{3, "Frame#\tTime\tA\t\t\t\t\t\tC"}, {4, "\t\tX1\tY1\tZ1\tX2\tY2\tZ2"}}),
       [](const TRCFile& m) {
         ASSERT_EQ(2, m.NumMarkers());
         EXPECT_EQ("4 5 6", SampleText(m, "C", 0));
       }},
      {"names keep their blanks", with({{3, "Frame#\tTime\t A \t\t\tC\t\t\t"}}),
       [](const TRCFile& m) { EXPECT_EQ(" A ", m.Marker(0)->Name()); }},
      {"units keyword", with({{2, "100\t120\t3\t3\tIN\t100\t7\t3"}}),
       [](const TRCFile& m) { EXPECT_EQ(LengthUnit::kInches, m.Units()); }},
      {"unknown units", with({{2, "100\t120\t3\t3\tmeters\t100\t7\t3"}}),
       [](const TRCFile& m) { EXPECT_EQ(LengthUnit::kMillimetres, m.Units()); }},
      {"fractional rates", with({{2, "119.88\t59.9\t3\t3\tmm\t100\t7\t3"}}),
       [](const TRCFile& m) {
         EXPECT_EQ(119, m.DataRate());
         EXPECT_EQ(59, m.CameraRate());
         EXPECT_EQ(119.88, m.ExactDataRate());
         EXPECT_EQ(59.9, m.ExactCameraRate());
       }},
      {"comments are not counted",
       [] {
         std::vector<std::string> lines = kSmallFile;
         lines.insert(lines.begin() + 7, "# a note");
         lines.insert(lines.begin() + 1, "#");
         return lines;
       }(),
       [](const TRCFile& m) { EXPECT_EQ(3, m.Marker(0)->NumSamples()); }},
      {"no blank line 5",
       [] {
         std::vector<std::string> lines = kSmallFile;
         lines.erase(lines.begin() + 5);
         return lines;
       }(),
       [](const TRCFile& m) { EXPECT_EQ(3, m.Marker(0)->NumSamples()); }},
      {"line 5 of tabs only", with({{5, "\t\t\t \t\t"}}),
       [](const TRCFile& m) {
         EXPECT_EQ(3, m.Marker(0)->NumSamples());
         EXPECT_EQ("1 2 3", SampleText(m, "A", 0));
       }},
      {"not a number reads 0", with({{6, "1\t0\t1x\t\tabc\t4\t5\t6\t7\t8\t9"}}),
       [](const TRCFile& m) { EXPECT_EQ("1 0 0", SampleText(m, "A", 0)); }},
      {"blank X is a present zero", with({{6, "1\t0\t \t2\t3\t4\t5\t6\t7\t8\t9"}}),
       [](const TRCFile& m) { EXPECT_EQ("0 2 3", SampleText(m, "A", 0)); }},
      {"exponents and padding", with({{6, "1\t0\t-2.73E-01\t  7.5\t+1e2\t4\t5\t6\t7\t8\t9"}}),
       [](const TRCFile& m) { EXPECT_EQ("-0.273 7.5 100", SampleText(m, "A", 0)); }},
      {"columns beyond the markers", with({{6, "1\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12"}}),
       [](const TRCFile& m) { EXPECT_EQ("7 8 9", SampleText(m, "C", 0)); }},
  };
  for (const Case& c : cases) {
    TRCFile model;
    const std::string message = ReadText(model, Join(c.lines));
    EXPECT_EQ("", message) << c.what;
    if (message.empty()) c.check(model);
  }
}

TEST(TRCReader, CoordinatesThatAreNotFiniteMakeTheSampleMissing) {
  for (const char* triple :
       {"NaN\tNaN\tNaN", "nan\tnan\tnan", "       NaN\t       NaN\t   NaN", "Nan\tnAN\tNAN",
        "1\tnan\t3", "1\t2\t-inf", "1e999\t2\t3", "-INFINITY\t0\t0"}) {
    TRCFile model;
    ASSERT_EQ("",
              ReadText(model, SmallWith(6, std::string("1\t0\t") + triple + "\t4\t5\t6\t7\t8\t9")));
    EXPECT_EQ("missing", SampleText(model, "A", 0)) << triple;
    EXPECT_EQ("7 8 9", SampleText(model, "C", 0)) << triple;
  }
}

TEST(TRCReader, WideLinesAreReadWhole) {
  // 400 markers: every data line is far longer than any fixed line buffer.
  const int markers = 400;
  const int frames = 30;
  std::string names = "Frame#\tTime";
  std::string row_tail;
  for (int i = 0; i < markers; ++i) {
    // (Appended piece by piece: GCC 12 warns falsely about "literal" + std::to_string.)
    names.append("\tM").append(std::to_string(i)).append("\t\t");
    row_tail.append("\t").append(std::to_string(i)).append(".123456\t-1000.654321\t");
    row_tail.append(std::to_string(i * 2));
  }
  names += "\t";
  std::vector<std::string> lines = {
      kSmallFile[0],
      kSmallFile[1],
      std::string("100\t100\t").append(std::to_string(frames)) + "\t400\tmm",
      names,
      "",
      ""};
  for (int k = 0; k < frames; ++k) lines.push_back(std::to_string(k + 1).append("\t0") + row_tail);
  ASSERT_GT(lines.back().size(), 10240U);
  TRCFile model;
  ASSERT_EQ("", ReadText(model, Join(lines, "\r\n"), true));
  ASSERT_EQ(markers, model.NumMarkers());
  for (std::int32_t i = 0; i < markers; ++i) {
    ASSERT_EQ(frames, model.Marker(i)->NumSamples()) << i;
  }
  EXPECT_EQ("399.123 -1000.65 798", SampleText(model, "M399", frames - 1));
}

TEST(TRCReader, DeclaredFrameCountIsOnlyAHint) {
  for (const char* count : {"-5", "2147483647", "99999999999"}) {
    TRCFile model;
    ASSERT_EQ(
        "", ReadText(model, SmallWith(2, std::string("100\t120\t") + count + "\t3\tcm\t100\t7\t3")))
        << count;
    EXPECT_EQ(3, model.Marker(0)->NumSamples());
    EXPECT_LT(model.Marker(0)->Samples().capacity(), 1000U) << count;
  }
}

// A sink hears every data line in file order, across the batches a long file is read in, and
// none after the line it stops at.
TEST(TRCReader, ASinkHearsTheLinesInOrderUntilItStops) {
  std::vector<std::string> lines(kSmallFile.begin(), kSmallFile.begin() + 6);
  lines[2] = "100\t120\t20000\t3\tcm\t100\t7\t3";
  for (int k = 1; k <= 20000; ++k) {
    const std::string n = std::to_string(k);
    lines.push_back(n + "\t0\t" + n + "\t2\t3\t4\t5\t6\t-" + n + "\t8\t9");
  }
  ScratchFolder folder;
  const std::string path = folder.Write("long.trc", Join(lines));
  struct Sink : TRCSampleSink {
    std::int64_t stop_after = 0;
    std::vector<double> first, last;
    void Begin(const TRCFile&, std::int64_t) override {}
    bool Line(const TRCSample* samples) override {
      first.push_back(samples[0].x);
      last.push_back(samples[1].x);
      return static_cast<std::int64_t>(first.size()) != stop_after;
    }
  };
  for (const std::int64_t stop_after : {0, 1, 9000}) {
    Sink sink;
    sink.stop_after = stop_after;
    TRCFile model;
    ASSERT_EQ("", model.Read(path, false, sink));
    const std::size_t heard = stop_after == 0 ? 20000 : static_cast<std::size_t>(stop_after);
    ASSERT_EQ(heard, sink.first.size()) << stop_after;
    EXPECT_EQ(static_cast<std::int32_t>(heard), model.NumDataFrames()) << stop_after;
    for (std::size_t k = 0; k < heard; ++k) {
      ASSERT_EQ(static_cast<double>(k + 1), sink.first[k]) << k;
      ASSERT_EQ(-static_cast<double>(k + 1), sink.last[k]) << k;
    }
  }
}

// A sink is told of the markers before a wrong marker count stops the reading, as the model is
// given them, whether the names line is the file's last or not.
TEST(TRCReader, ASinkHearsOfTheMarkersOfAWrongCount) {
  struct Sink : TRCSampleSink {
    std::int32_t markers = -1;
    void Begin(const TRCFile& model, std::int64_t) override { markers = model.NumMarkers(); }
    bool Line(const TRCSample*) override { return true; }
  };
  const std::string wrong = SmallWith(2, "100\t120\t3\t4\tcm\t100\t7\t3");
  for (const std::string& text : {wrong, wrong.substr(0, wrong.find("\n\t\tX1") + 1)}) {
    ScratchFolder folder;
    Sink sink;
    TRCFile model;
    EXPECT_EQ(messages::kTrcMarkerCount, model.Read(folder.Write("m.trc", text), true, sink));
    EXPECT_EQ(3, sink.markers);
  }
}

TEST(TRCReader, AFileThatCannotBeReadIsNotASuccess) {
  ScratchFolder folder;
  std::FILE* file = std::fopen(folder.File("write_only.trc").c_str(), "wb");
  ASSERT_NE(nullptr, file);
  TRCFile model;
  EXPECT_EQ(messages::kCannotRead, model.Read(file, false));
  std::fclose(file);
}

TEST(TRCReader, FileNamesGetTheExtensionTheyLack) {
  ScratchFolder folder;
  const std::string text = Join(kSmallFile);
  folder.Write("walk.TRC", text);
  folder.Write("walk.trc", text);
  folder.Write("ab.TRC", text);
  TRCFile model;
  EXPECT_EQ("", model.Read(folder.File("walk"), false));
  EXPECT_EQ("", model.Read(folder.File("walk.trc"), false));
  EXPECT_EQ("", model.Read(folder.File("ab"), false));
  EXPECT_EQ(messages::kCannotOpen, model.Read(folder.File("walk.t"), false));
}

TEST(TRCReader, EverySharedSampleReadsAsSpecified) {
  struct Case {
    const char* file;
    std::string_view message;
    std::int32_t markers;
    std::int32_t frames;
    std::int32_t start;
    LengthUnit units;
    std::string_view message_with_unnamed;
  };
  const auto mm = LengthUnit::kMillimetres;
  const auto m = LengthUnit::kMetres;
  const std::string_view ok;
  const std::string_view count = messages::kTrcMarkerCount;
  const std::vector<Case> cases = {
      {"10002-20130731010438-Unnamed.trc", ok, 0, 0, 1, mm, ok},
      {"Empty.trc", ok, 0, 0, 1, mm, ok},
      {"Gait.trc", ok, 33, 487, 1, mm, count},
      {"Knee.trc", ok, 71, 200, 1, mm, ok},
      {"SprintMotion.trc", ok, 59, 788, 1, mm, ok},
      {"Truncated.trc", ok, 0, 0, 1, mm, ok},
      {"abdbonepin.trc", ok, 11, 1991, 1, mm, ok},
      {"constraintTest.trc", ok, 44, 2105, 1, mm, ok},
      {"dataWithBlanksForMissingMarkers.trc", ok, 40, 464, 1, mm, ok},
      {"dataWithEformat.trc", ok, 14, 5, 1, m, ok},
      {"dataWithNaNsOfDifferentCases.trc", ok, 14, 5, 1, mm, ok},
      {"dataWithNaNsWithSpaces.trc", ok, 42, 427, 1, mm, ok},
      {"exampleFormat.trc", ok, 3, 5, 1, m, ok},
      {"futureOrientationInverseKinematics.trc", ok, 2, 1202, 1, mm, ok},
      {"markers_walk.trc", ok, 41, 238, 1, mm, ok},
      {"subject01_synthetic_marker_data.trc", ok, 31, 73, 1, m, ok},
      {"temp_trc_file.trc", ok, 40, 806, 0, mm, ok},
  };
  for (const Case& c : cases) {
    const std::string path = testing::SamplePath(std::string("trc/") + c.file);
    TRCFile model;
    ASSERT_EQ(c.message, model.Read(path, false)) << c.file;
    EXPECT_EQ(c.message_with_unnamed, TRCFile().Read(path, true)) << c.file;
    if (!c.message.empty()) continue;
    EXPECT_EQ(c.markers, model.NumMarkers()) << c.file;
    EXPECT_EQ(c.start, model.StartFrame()) << c.file;
    EXPECT_EQ(c.units, model.Units()) << c.file;
    for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
      ASSERT_EQ(c.frames, model.Marker(i)->NumSamples()) << c.file;
    }
  }
  TRCFile sprint;
  ASSERT_EQ("", sprint.Read(testing::SamplePath("trc/SprintMotion.trc"), false));
  EXPECT_EQ("161.601 69.7428 728.044", SampleText(sprint, "C7", 0));
  TRCFile nans;
  ASSERT_EQ("", nans.Read(testing::SamplePath("trc/dataWithNaNsWithSpaces.trc"), false));
  EXPECT_EQ("missing", SampleText(nans, "LASI", 0));
  EXPECT_EQ("1009.53 1016.5 -198.41", SampleText(nans, "RASI", 0));
  TRCFile knee;
  ASSERT_EQ("", knee.Read(testing::SamplePath("trc/Knee.trc"), false));
  EXPECT_EQ(" genou1_NewMarker3 ", knee.Marker(3)->Name());
}

TEST(TRCReader, EveryPrefixOfASampleReadsSafely) {
  const std::string bytes = ReadBytes(testing::BundledSamplePath("markers.trc"));
  ASSERT_GT(bytes.size(), 1000U);
  TRCFile full;
  ASSERT_EQ("", ReadText(full, bytes));
  ASSERT_EQ(4, full.NumMarkers());
  for (std::size_t size = 1; size <= bytes.size(); ++size) {
    std::FILE* file = fmemopen(const_cast<char*>(bytes.data()), size, "rb");
    ASSERT_NE(nullptr, file);
    TRCFile model;
    const std::string message = model.Read(file, false);
    std::fclose(file);
    EXPECT_TRUE(IsReaderMessage(message)) << size << ": " << message;
    EXPECT_LE(model.NumMarkers(), full.NumMarkers());
    for (std::int32_t i = 0; i < model.NumMarkers(); ++i) {
      EXPECT_LE(model.Marker(i)->NumSamples(), full.Marker(i)->NumSamples());
      // Every marker gets one sample per data line, complete or cut short.
      EXPECT_EQ(model.Marker(0)->NumSamples(), model.Marker(i)->NumSamples());
    }
  }
}

TEST(TRCReader, ChangingOneFieldChangesOnlyThatSample) {
  TRCFile reference;
  ASSERT_EQ("", ReadText(reference, Join(kSmallFile)));
  for (std::size_t line = 6; line <= 7; ++line) {
    for (std::size_t field = 2; field <= 10; ++field) {
      std::vector<std::string> parts;
      std::size_t start = 0;
      const std::string& text = kSmallFile[line];
      for (std::size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1) {
        parts.push_back(text.substr(start, tab - start));
      }
      parts.push_back(text.substr(start));
      parts.at(field) = "-0.5e2";
      std::string changed = parts[0];
      for (std::size_t i = 1; i < parts.size(); ++i) changed += "\t" + parts[i];
      TRCFile model;
      ASSERT_EQ("", ReadText(model, SmallWith(line, changed)));
      int differences = 0;
      for (std::int32_t k = 0; k < 3; ++k) {
        for (const char* name : {"A", "C"}) {
          differences += SampleText(model, name, k) != SampleText(reference, name, k) ? 1 : 0;
        }
      }
      // Fields 5 to 7 belong to the Unnamed marker, which is not kept; on line 7 marker A has
      // an empty X, so its Y and Z are not read.
      const bool unseen = (field >= 5 && field <= 7) || (line == 7 && (field == 3 || field == 4));
      EXPECT_EQ(unseen ? 0 : 1, differences) << "line " << line << " field " << field;
    }
  }
  for (std::size_t line = 0; line < 6; ++line) {
    for (const char* word : {"", "Q", "\t", "(X/Y/Z)", "-1"}) {
      TRCFile model;
      EXPECT_TRUE(IsReaderMessage(ReadText(model, SmallWith(line, word), true)));
    }
  }
}

}  // namespace
}  // namespace zar
