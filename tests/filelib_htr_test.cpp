// The HTR model, reader and writer.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "filelib/zar_filelib.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using testing::Lines;
using testing::ReadBytes;
using testing::ScratchFolder;

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;

// A small valid file: two segments, two frames each.
const std::vector<std::string> kSmallFile = {
    "[Header]",
    "FileType htr",
    "DataType HTRS",
    "FileVersion 1",
    "NumSegments 2",
    "NumFrames 2",
    "DataFrameRate 30",
    "EulerRotationOrder ZYX",
    "CalibrationUnits mm",
    "RotationUnits Degrees",
    "GlobalAxisofGravity Y",
    "BoneLengthAxis Y",
    "ScaleFactor 1.0",
    "[SegmentNames&Hierarchy]",
    "Root\tGLOBAL",
    "Child\tRoot",
    "[BasePosition]",
    "Root\t1\t2\t3\t90\t0\t0\t10",
    "Child\t0\t10\t0\t0\t0\t0\t5",
    "[Root]",
    "1\t0\t0\t0\t0\t0\t0\t1",
    "2\t1\t1\t1\t10\t20\t30\t1",
    "[Child]",
    "1\t0\t0\t0\t0\t0\t0\t1",
    "2\t0\t0\t0\t0\t0\t0\t1",
    "[EndOfFile]",
};

// "s12" (built by appending: GCC 12 warns falsely about "s" + std::to_string(12)).
std::string Numbered(const char* prefix, int number) {
  std::string name = prefix;
  name += std::to_string(number);
  return name;
}

std::string Join(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

// kSmallFile with line `index` replaced by `text`.
std::string SmallWith(std::size_t index, const std::string& text) {
  std::vector<std::string> lines = kSmallFile;
  lines.at(index) = text;
  return Join(lines);
}

// kSmallFile without line `removed`, and line `index` replaced by `text`.
std::string SmallWithout(std::size_t removed, std::size_t index, const std::string& text) {
  std::vector<std::string> lines = kSmallFile;
  lines.at(index) = text;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(removed));
  return Join(lines);
}

// kSmallFile with `extra` inserted before line `index`.
std::string SmallInserting(std::size_t index, const std::vector<std::string>& extra) {
  std::vector<std::string> lines = kSmallFile;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index), extra.begin(), extra.end());
  return Join(lines);
}

std::string ReadText(HTRFile& model, const std::string& text, bool frames = true) {
  ScratchFolder folder;
  return model.Read(folder.Write("model.htr", text), frames);
}

// Whether `message` is one the reader may give.
bool IsReaderMessage(const std::string& message) {
  for (std::string_view known :
       {messages::kHtrFileType, messages::kHtrDataType, messages::kHtrFileVersion,
        messages::kHtrEulerRotationOrder, messages::kHtrGlobalAxisofGravity,
        messages::kHtrBoneLengthAxis, messages::kHtrSegmentCount, messages::kCannotOpen}) {
    if (message == known) return true;
  }
  for (std::string_view prefix : {messages::kHtrDuplicateSegment, messages::kHtrSegmentNotFound,
                                  messages::kHtrHierarchyCycle}) {
    if (message.rfind(prefix, 0) == 0) return true;
  }
  return message.empty();
}

// ---------------------------------------------------------------------------------------------
// The model.

TEST(HTRModel, AddSegmentRefusesDuplicatesAndSpaces) {
  HTRFile model;
  ASSERT_NE(nullptr, model.AddSegment(HTRSegment("Hip")));
  EXPECT_EQ(nullptr, model.AddSegment(HTRSegment("Hip")));
  EXPECT_EQ(nullptr, model.AddSegment(HTRSegment("Left Hip")));
  EXPECT_NE(nullptr, model.AddSegment(HTRSegment("Left\tHip")));
  EXPECT_NE(nullptr, model.AddSegment(HTRSegment("hip")));  // names are case-sensitive
  EXPECT_EQ(3, model.NumSegments());
  // Stored segments keep their place while more are added.
  HTRSegment* first = model.Segment(0);
  for (int i = 0; i < 1000; ++i) model.AddSegment(HTRSegment(Numbered("s", i)));
  EXPECT_EQ(first, model.FindSegment("Hip"));
  EXPECT_EQ(nullptr, model.Segment(-1));
  EXPECT_EQ(nullptr, model.Segment(model.NumSegments()));
}

TEST(HTRModel, ConvertUnitsScalesLengthsOfDeclaredFramesOnly) {
  struct Case {
    LengthUnit from;
    LengthUnit to;
    double factor;
  };
  for (const Case& c : std::vector<Case>{{LengthUnit::kCentimetres, LengthUnit::kMillimetres, 10},
                                         {LengthUnit::kFeet, LengthUnit::kInches, 12},
                                         {LengthUnit::kMillimetres, LengthUnit::kMillimetres, 1},
                                         {LengthUnit::kMetres, LengthUnit::kCentimetres, 100},
                                         {LengthUnit::kYards, LengthUnit::kFeet, 3},
                                         {LengthUnit::kInches, LengthUnit::kMillimetres, 25.4}}) {
    HTRFile model;
    model.SetCalibrationUnits(c.from);
    model.SetNumFrames(2);
    HTRSegment* s = model.AddSegment(HTRSegment("S"));
    s->SetBaseTranslation(1, 2, 3);
    s->SetBaseRotation(0.5, 0.25, 0.125);
    s->SetBoneLength(4);
    s->SetReferenceLength(7);
    for (int k = 0; k < 3; ++k) s->AppendFrame(1, 1, 1, 0.1, 0.2, 0.3, 2);
    model.ConvertUnits(c.to);
    EXPECT_EQ(c.to, model.CalibrationUnits());
    EXPECT_NEAR(3 * c.factor, s->BaseTranslation().Z(), 1e-7);
    EXPECT_NEAR(4 * c.factor, s->BoneLength(), 1e-7);
    // (An inch is 0.0393700787 of a millimetre: feet to inches is 12 within 1e-9.)
    EXPECT_NEAR(c.factor, s->FrameTranslation(1).X(), 1e-7);
    EXPECT_EQ(1.0, s->FrameTranslation(2).X());  // beyond NumFrames: untouched
    EXPECT_EQ(0.5, s->BaseRotation().X());       // angles, scale factors, references stay
    EXPECT_EQ(0.3, s->FrameRotation(0).Z());
    EXPECT_EQ(2.0, s->FrameScaleFactor(0));
    EXPECT_EQ(7.0, s->ReferenceLength());
  }
  HTRFile empty;
  empty.ConvertUnits(LengthUnit::kYards);
  EXPECT_EQ(LengthUnit::kYards, empty.CalibrationUnits());
}

TEST(HTRModel, FrameGettersOutOfRangeGiveRest) {
  HTRSegment s("S");
  s.SetBaseTranslation(1, 2, 3);
  s.AppendFrame(HTRSegment::Vector3(4, 5, 6), HTRSegment::EulerRotation(0.1, 0.2, 0.3), 3.0);
  for (const std::int32_t k : {-1, 1, 1000}) {
    EXPECT_EQ(0.0, s.FrameTranslation(k).X());
    EXPECT_EQ(0.0, s.FrameRotation(k).Y());
    EXPECT_EQ(1.0, s.FrameScaleFactor(k));
    EXPECT_EQ(0.0, s.AbsoluteTranslation(k).Z());
    EXPECT_EQ(0.0, s.AbsoluteRotation(k).X());
    EXPECT_FALSE(s.SetFrameTranslation(k, HTRSegment::Vector3(9, 9, 9)));
  }
  EXPECT_EQ(9.0, s.AbsoluteTranslation(0).Z());
  EXPECT_TRUE(s.SetFrameTranslation(0, HTRSegment::Vector3(-1, -2, -3)));
  EXPECT_EQ(0.0, s.AbsoluteTranslation(0).Z());
  EXPECT_EQ(3.0, s.FrameScaleFactor(0));
}

TEST(HTRModel, AbsoluteRotationAppliesTheFrameRotationFirst) {
  // With row vectors and static X Y Z angles, M(x, 0, z) = Rx(x)·Rz(z): a frame turn about X
  // followed by a base turn about Z is the single rotation (x, 0, z).
  HTRSegment s("S");
  s.SetBaseRotation(0, 0, 0.7);
  s.AppendFrame(0, 0, 0, 0.4, 0, 0, 1);
  const auto absolute = s.AbsoluteRotation(0);
  EXPECT_NEAR(0.4, absolute.X(), 1e-12);
  EXPECT_NEAR(0.0, absolute.Y(), 1e-12);
  EXPECT_NEAR(0.7, absolute.Z(), 1e-12);
  // Turns about one axis add up.
  HTRSegment t("T");
  t.SetBaseRotation(0, 0.3, 0);
  t.AppendFrame(0, 0, 0, 0, 0.2, 0, 1);
  EXPECT_NEAR(0.5, t.AbsoluteRotation(0).Y(), 1e-12);
}

TEST(HTRModel, ClearKeepsScaleFactorAndNormaliseFlag) {
  HTRFile model;
  ASSERT_EQ("", ReadText(model, SmallWith(12, "ScaleFactor 2.5")));
  model.SetNormaliseScaleFactors(true);
  model.Clear();
  EXPECT_EQ(0, model.NumSegments());
  EXPECT_EQ(2.5, model.ScaleFactor());
  EXPECT_TRUE(model.NormaliseScaleFactors());
  EXPECT_EQ(60, model.DataFrameRate());
  EXPECT_EQ(0, model.NumFrames());
  EXPECT_EQ(1, model.StartFrame());
}

TEST(HTRModel, HierarchiesNeverLoop) {
  HTRSegment a("A");
  HTRSegment b("B");
  HTRSegment c("C");
  EXPECT_TRUE(b.SetParent(&a));
  EXPECT_TRUE(c.SetParent(&b));
  EXPECT_FALSE(a.SetParent(&c));  // C descends from A
  EXPECT_FALSE(a.SetParent(&a));
  EXPECT_EQ(nullptr, a.Parent());
  EXPECT_EQ(1, a.NumChildren());
  EXPECT_FALSE(c.SetParent(nullptr));
  EXPECT_EQ(nullptr, c.Parent());
  EXPECT_EQ(&c, a.FindInSubtree("C"));
  EXPECT_EQ(nullptr, c.FindInSubtree("A"));
  EXPECT_EQ(nullptr, a.Child(1));

  // A chain deeper than any stack would allow is searched without recursion. (Linked leaf
  // first, each parent still without a parent of its own, so that linking stays cheap.)
  std::vector<HTRSegment> chain(200000);
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    chain[i].SetName(Numbered("n", static_cast<int>(i)));
    ASSERT_TRUE(chain[i].SetParent(&chain[i + 1]));
  }
  EXPECT_EQ(&chain.front(), chain.back().FindInSubtree("n0"));
  EXPECT_EQ(nullptr, chain.back().FindInSubtree("none"));
}

// ---------------------------------------------------------------------------------------------
// The reader.

TEST(HTRReader, ReadsTheSmallFile) {
  HTRFile model;
  ASSERT_EQ("", ReadText(model, Join(kSmallFile, "\r\n")));
  EXPECT_EQ(2, model.NumSegments());
  EXPECT_EQ(2, model.NumFrames());
  EXPECT_EQ(30, model.DataFrameRate());
  EXPECT_EQ(1, model.StartFrame());
  const HTRSegment* root = model.FindRootSegment();
  ASSERT_NE(nullptr, root);
  EXPECT_EQ("Root", root->Name());
  EXPECT_EQ(root, model.FindSegment("Child")->Parent());
  EXPECT_EQ(1, root->NumChildren());
  EXPECT_EQ(3.0, root->BaseTranslation().Z());
  EXPECT_DOUBLE_EQ(kPi / 2, root->BaseRotation().X());
  EXPECT_EQ(10.0, root->BoneLength());
  ASSERT_EQ(2, root->NumStoredFrames());
  EXPECT_DOUBLE_EQ(30 * kDegree, root->FrameRotation(1).Z());
  EXPECT_EQ(1.0, root->FrameTranslation(1).Y());
}

struct MessageCase {
  const char* what;
  std::string text;
  std::string message;
};

TEST(HTRReader, ReportsEveryMessage) {
  const std::vector<MessageCase> cases = {
      {"file type", SmallWith(1, "FileType hTr"), std::string(messages::kHtrFileType)},
      {"no file type value", SmallWith(1, "FileType"), std::string(messages::kHtrFileType)},
      {"data type", SmallWith(2, "DataType HTRs"), std::string(messages::kHtrDataType)},
      {"version with a point", SmallWith(3, "FileVersion 1.0"),
       std::string(messages::kHtrFileVersion)},
      {"version 2", SmallWith(3, "FileVersion 2"), std::string(messages::kHtrFileVersion)},
      {"rotation order", SmallWith(7, "EulerRotationOrder XYZ"),
       std::string(messages::kHtrEulerRotationOrder)},
      {"rotation order case", SmallWith(7, "EulerRotationOrder zyx"),
       std::string(messages::kHtrEulerRotationOrder)},
      {"gravity X", SmallWith(10, "GlobalAxisofGravity X"),
       std::string(messages::kHtrGlobalAxisofGravity)},
      {"gravity x", SmallWith(10, "GlobalAxisofGravity x"),
       std::string(messages::kHtrGlobalAxisofGravity)},
      {"bone axis y", SmallWith(11, "BoneLengthAxis y"), std::string(messages::kHtrBoneLengthAxis)},
      {"bone axis Z", SmallWith(11, "BoneLengthAxis Z"), std::string(messages::kHtrBoneLengthAxis)},
      {"duplicate segment", SmallWith(15, "Root\tGLOBAL"),
       std::string(messages::kHtrDuplicateSegment) + "Root"},
      {"unknown base segment", SmallWith(18, "Nobody\t0\t0\t0\t0\t0\t0\t1"),
       std::string(messages::kHtrSegmentNotFound) + "Nobody"},
      {"one segment too many", SmallWith(4, "NumSegments 3"),
       std::string(messages::kHtrSegmentCount)},
      {"no segment count", SmallWith(4, "NoSuchKeyword 2"),
       std::string(messages::kHtrSegmentCount)},
      // A frame section for a segment that is not there fails at its first data line.
      {"unknown frame section", SmallWith(22, "[Ghost]"),
       std::string(messages::kHtrSegmentNotFound) + "Ghost"},
      {"blanks inside the brackets", SmallWith(22, "[Child ]"),
       std::string(messages::kHtrSegmentNotFound) + "Child "},
      {"segment is its own parent", SmallWith(15, "Child\tChild"),
       std::string(messages::kHtrHierarchyCycle) + "Child"},
      {"two segments parent each other", SmallWith(14, "Root\tChild"),
       std::string(messages::kHtrHierarchyCycle) + "Root"},
  };
  for (const MessageCase& c : cases) {
    HTRFile model;
    EXPECT_EQ(c.message, ReadText(model, c.text)) << c.what;
  }
  HTRFile model;
  ASSERT_NE(nullptr, model.AddSegment(HTRSegment("Kept")));
  EXPECT_EQ(messages::kCannotOpen, model.Read("/no/such/folder/file.htr", true));
  EXPECT_EQ(1, model.NumSegments());  // not opened: untouched
  ScratchFolder folder;
  EXPECT_EQ(messages::kCannotOpen, model.Read(folder.Path().string() + "/.htr", true));
}

TEST(HTRReader, AcceptsWhatThePartsAccept) {
  struct Case {
    const char* what;
    std::string text;
    std::function<void(const HTRFile&)> check;
  };
  const std::vector<Case> cases = {
      {"file type forms", SmallWith(1, "FileType Htr"), [](const HTRFile&) {}},
      {"gravity Z", SmallWith(10, "GlobalAxisofGravity Z"),
       [](const HTRFile& m) { EXPECT_EQ(Axis::kZ, m.GlobalAxisofGravity()); }},
      {"gravity not an axis", SmallWith(10, "GlobalAxisofGravity Up"),
       [](const HTRFile& m) { EXPECT_EQ(Axis::kY, m.GlobalAxisofGravity()); }},
      {"radian keyword", SmallWith(9, "RotationUnits radian"),
       [](const HTRFile& m) {
         EXPECT_EQ(RotationUnit::kRadians, m.RotationUnits());
         EXPECT_EQ(90.0, m.FindSegment("Root")->BaseRotation().X());
       }},
      {"RADIAN reads as degrees", SmallWith(9, "RotationUnits RADIAN"),
       [](const HTRFile& m) {
         EXPECT_EQ(RotationUnit::kDegrees, m.RotationUnits());
         EXPECT_DOUBLE_EQ(kPi / 2, m.FindSegment("Root")->BaseRotation().X());
       }},
      {"fractional frame rate", SmallWith(6, "DataFrameRate 29.97"),
       [](const HTRFile& m) { EXPECT_EQ(29, m.DataFrameRate()); }},
      {"units keyword", SmallWith(8, "CalibrationUnits IN"),
       [](const HTRFile& m) { EXPECT_EQ(LengthUnit::kInches, m.CalibrationUnits()); }},
      {"unknown units", SmallWith(8, "CalibrationUnits furlong"),
       [](const HTRFile& m) { EXPECT_EQ(LengthUnit::kMillimetres, m.CalibrationUnits()); }},
      {"last value wins", SmallInserting(6, {"DataFrameRate 10", "DataFrameRate 20 # two"}),
       [](const HTRFile& m) { EXPECT_EQ(30, m.DataFrameRate()); }},
      {"value is the last token", SmallWith(6, "DataFrameRate 10 20\t 120"),
       [](const HTRFile& m) { EXPECT_EQ(120, m.DataFrameRate()); }},
      {"comment after GLOBAL", SmallWith(14, "Root GLOBAL # the pelvis"),
       [](const HTRFile& m) { EXPECT_TRUE(m.FindSegment("Root")->IsRoot()); }},
      {"frames numbered 5 7", SmallWith(21, "7\t1\t1\t1\t10\t20\t30\t1"),
       [](const HTRFile& m) { EXPECT_EQ(1, m.StartFrame()); }},
      {"first frame number", SmallWith(20, "5\t0\t0\t0\t0\t0\t0\t1"),
       [](const HTRFile& m) { EXPECT_EQ(5, m.StartFrame()); }},
      {"missing values read 0", SmallWith(21, "2\t1\tabc"),
       [](const HTRFile& m) {
         EXPECT_EQ(1.0, m.FindSegment("Root")->FrameTranslation(1).X());
         EXPECT_EQ(0.0, m.FindSegment("Root")->FrameTranslation(1).Y());
         EXPECT_EQ(0.0, m.FindSegment("Root")->FrameScaleFactor(1));
       }},
      {"unknown parent", SmallWith(15, "Child\tNobody"),
       [](const HTRFile& m) {
         EXPECT_EQ(nullptr, m.FindSegment("Child")->Parent());
         EXPECT_FALSE(m.FindSegment("Child")->IsRoot());
       }},
      {"section without data for no segment", SmallInserting(22, {"[Ghost]"}),
       [](const HTRFile& m) { EXPECT_EQ(2, m.FindSegment("Child")->NumStoredFrames()); }},
      {"lines after the end", SmallInserting(26, {"garbage", "[Header]", "FileType none"}),
       [](const HTRFile&) {}},
      {"no base position section",
       Lines({"[Header]", "[SegmentNames&Hierarchy]", "A\tGLOBAL", "B\tA", "[A]",
              "1 0 0 0 90 0 0 1"}),
       [](const HTRFile& m) {
         EXPECT_FALSE(m.FindSegment("A")->IsRoot());
         EXPECT_EQ(nullptr, m.FindSegment("B")->Parent());
         EXPECT_EQ(90.0, m.FindSegment("A")->FrameRotation(0).X());
       }},
      {"base lines for some segments", SmallWithout(18, 4, "NumSegments 1"),
       [](const HTRFile& m) { EXPECT_EQ(0.0, m.FindSegment("Child")->BoneLength()); }},
      {"byte-order mark before the first section", "\xEF\xBB\xBF" + SmallWith(0, "[Header]"),
       [](const HTRFile& m) { EXPECT_EQ(2, m.NumSegments()); }},
      {"repeated base position section", SmallInserting(19, {"[BasePosition]"}),
       [](const HTRFile& m) { EXPECT_EQ(2, m.FindSegment("Root")->NumChildren()); }},
  };
  for (const Case& c : cases) {
    HTRFile model;
    const std::string message = ReadText(model, c.text);
    EXPECT_EQ("", message) << c.what;
    if (message.empty()) c.check(model);
  }
}

TEST(HTRReader, AFileThatCannotBeReadIsNotASuccess) {
  // A stream opened for writing only: every read fails, which is not the end of the file.
  ScratchFolder folder;
  std::FILE* file = std::fopen(folder.File("write_only.htr").c_str(), "wb");
  ASSERT_NE(nullptr, file);
  HTRFile model;
  EXPECT_EQ(messages::kCannotRead, model.Read(file, true));
  EXPECT_NE(0, model.SystemError());  // the system's reason, for the message
  std::fclose(file);
}

TEST(HTRReader, FileNamesGetTheExtensionTheyLack) {
  ScratchFolder folder;
  const std::string text = Join(kSmallFile);
  folder.Write("walk.htr", text);
  folder.Write("walk.ab.htr", text);
  folder.Write("walk.xyz", text);
  folder.Write("ab.htr", text);
  HTRFile model;
  EXPECT_EQ("", model.Read(folder.File("walk"), true));
  EXPECT_EQ("", model.Read(folder.File("walk.ab"), true));
  EXPECT_EQ("", model.Read(folder.File("walk.xyz"), true));
  EXPECT_EQ(messages::kCannotOpen, model.Read(folder.File("walk.htm"), true));
  EXPECT_EQ("", model.Read(folder.File("ab"), true));
}

TEST(HTRReader, HeaderOnlyStopsAtTheFirstFrameSection) {
  HTRFile model;
  // Even with a segment count that would not match.
  EXPECT_EQ("", ReadText(model, SmallWith(4, "NumSegments 9"), false));
  EXPECT_EQ(2, model.NumSegments());
  EXPECT_EQ(0, model.FindSegment("Root")->NumStoredFrames());
  EXPECT_EQ(10.0, model.FindSegment("Root")->BoneLength());
  EXPECT_EQ(messages::kHtrSegmentCount, ReadText(model, SmallWith(4, "NumSegments 9"), true));
}

TEST(HTRReader, LinesAreReadWholeWhateverTheirLength) {
  // A name and a line far longer than any fixed line buffer.
  const std::string name(30000, 'n');
  std::string extra;
  for (int i = 0; i < 5000; ++i) extra += "\t0.000000";
  HTRFile model;
  ASSERT_EQ("", ReadText(model, Lines({"[Header]", "NumSegments 1", "[SegmentNames&Hierarchy]",
                                       name + "\tGLOBAL", "[BasePosition]",
                                       name + "\t1\t2\t3\t0\t0\t0\t4" + extra, "[" + name + "]",
                                       "1\t5\t6\t7\t0\t0\t0\t1" + extra, "[EndOfFile]"})));
  ASSERT_EQ(1, model.NumSegments());
  const HTRSegment* s = model.Segment(0);
  EXPECT_EQ(name, s->Name());
  EXPECT_EQ(4.0, s->BoneLength());
  ASSERT_EQ(1, s->NumStoredFrames());
  EXPECT_EQ(7.0, s->FrameTranslation(0).Z());
}

TEST(HTRReader, EmptyLinesInsideSectionsAreSkipped) {
  const std::vector<std::string> blanks = {"", "   \t ", "\t# an indented comment", "  #"};
  std::string text;
  for (std::size_t i = 0; i < kSmallFile.size(); ++i) {
    text += kSmallFile[i] + "\n";
    for (const std::string& blank : blanks) text += blank + "\n";
  }
  HTRFile plain;
  HTRFile padded;
  ASSERT_EQ("", ReadText(plain, Join(kSmallFile)));
  ASSERT_EQ("", ReadText(padded, text));
  ASSERT_EQ(plain.NumSegments(), padded.NumSegments());
  for (std::int32_t i = 0; i < plain.NumSegments(); ++i) {
    EXPECT_EQ(plain.Segment(i)->Name(), padded.Segment(i)->Name());
    EXPECT_EQ(plain.Segment(i)->NumStoredFrames(), padded.Segment(i)->NumStoredFrames());
  }
}

TEST(HTRReader, DeclaredFrameCountIsOnlyAHint) {
  for (const char* declared :
       {"NumFrames -5", "NumFrames 2147483647", "NumFrames -2147483648", "NumFrames 0"}) {
    HTRFile model;
    ASSERT_EQ("", ReadText(model, SmallWith(5, declared))) << declared;
    EXPECT_EQ(2, model.FindSegment("Root")->NumStoredFrames()) << declared;
    EXPECT_LT(model.FindSegment("Root")->Frames().capacity(), 1000U) << declared;
  }
}

// A count past 32 bits would wrap round to another one (2^31 to a negative count, 2^32 + 5 to
// 5): it is refused instead.
TEST(HTRReader, DeclaredFrameCountBeyond32BitsIsRefused) {
  for (const char* declared :
       {"NumFrames 2147483648", "NumFrames 4294967295", "NumFrames 4294967301",
        "NumFrames 99999999999999999999", "NumFrames -2147483649"}) {
    HTRFile model;
    EXPECT_EQ(messages::kHtrNumFramesRange, ReadText(model, SmallWith(5, declared))) << declared;
  }
}

TEST(HTRReader, EverySharedSampleReadsAsSpecified) {
  HTRFile model;
  ASSERT_EQ("", model.Read(testing::SamplePath("htr/fight_a.htr"), true));
  EXPECT_EQ(22, model.NumSegments());
  EXPECT_EQ(1141, model.NumFrames());
  EXPECT_EQ(60, model.DataFrameRate());
  EXPECT_EQ(LengthUnit::kMillimetres, model.CalibrationUnits());
  EXPECT_EQ(RotationUnit::kDegrees, model.RotationUnits());
  EXPECT_EQ(1.0, model.ScaleFactor());
  EXPECT_EQ("LowerTorso", model.FindRootSegment()->Name());
  EXPECT_EQ("LFoot", model.FindSegment("LToe")->Parent()->Name());
  EXPECT_EQ(3, model.FindSegment("LowerTorso")->NumChildren());
  const HTRSegment* torso = model.FindSegment("LowerTorso");
  EXPECT_EQ(245.857281, torso->BaseTranslation().X());
  EXPECT_DOUBLE_EQ(3.098927 * kDegree, torso->BaseRotation().X());
  for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
    EXPECT_EQ(1141, model.Segment(i)->NumStoredFrames());
  }
  // The last line of the file: "1141 0 0 0 11.635117 0.000045 0.000003 1" for LToe.
  EXPECT_DOUBLE_EQ(11.635117 * kDegree, model.FindSegment("LToe")->FrameRotation(1140).X());
}

// ---------------------------------------------------------------------------------------------
// Damaged files: every prefix, and one field changed at a time.

TEST(HTRReader, EveryPrefixOfASampleReadsSafely) {
  const std::string bytes = ReadBytes(testing::BundledSamplePath("walk.htr"));
  ASSERT_GT(bytes.size(), 1000U);
  HTRFile full;
  ASSERT_EQ("", ReadText(full, bytes));
  int clean = 0;
  for (std::size_t size = 0; size <= bytes.size(); ++size) {
    std::FILE* file =
        fmemopen(const_cast<char*>(bytes.data()), std::max<std::size_t>(size, 1), "rb");
    ASSERT_NE(nullptr, file);
    HTRFile model;
    const std::string message = size == 0 ? ReadText(model, "") : model.Read(file, true);
    std::fclose(file);
    EXPECT_TRUE(IsReaderMessage(message)) << size << ": " << message;
    EXPECT_LE(model.NumSegments(), full.NumSegments());
    for (std::int32_t i = 0; i < model.NumSegments(); ++i) {
      EXPECT_LE(model.Segment(i)->NumStoredFrames(), full.NumFrames());
    }
    clean += message.empty() ? 1 : 0;
  }
  // Prefixes before the first base-position line pass the count check only without NumSegments.
  EXPECT_GT(clean, 0);
}

// Every number the model holds: base positions, then frames, segment by segment.
std::vector<double> AllValues(const HTRFile& model) {
  std::vector<double> values;
  for (std::int32_t s = 0; s < model.NumSegments(); ++s) {
    const HTRSegment& g = *model.Segment(s);
    const auto t = g.BaseTranslation();
    const auto& r = g.BaseRotation();
    values.insert(values.end(), {t.X(), t.Y(), t.Z(), r.X(), r.Y(), r.Z(), g.BoneLength()});
    for (const HTRFrame& f : g.Frames()) {
      values.insert(values.end(), {f.tx, f.ty, f.tz, f.rx, f.ry, f.rz, f.scale});
    }
  }
  return values;
}

TEST(HTRReader, ChangingOneFieldChangesOnlyThatValue) {
  HTRFile reference;
  ASSERT_EQ("", ReadText(reference, Join(kSmallFile)));
  const std::vector<double> before = AllValues(reference);
  // Base-position lines 17, 18 and frame lines 20, 21, 23, 24: change each value in turn to
  // 6.25, a value the file does not hold.
  for (const std::size_t line : {17U, 18U, 20U, 21U, 23U, 24U}) {
    for (std::size_t field = 1; field <= 7; ++field) {
      std::string changed;
      std::size_t start = 0;
      for (std::size_t i = 0; i <= 7; ++i) {
        const std::size_t tab = kSmallFile[line].find('\t', start);
        changed += i == field ? "0.625e1" : kSmallFile[line].substr(start, tab - start);
        if (i < 7) changed += '\t';
        start = tab + 1;
      }
      HTRFile model;
      ASSERT_EQ("", ReadText(model, SmallWith(line, changed)));
      const std::vector<double> after = AllValues(model);
      ASSERT_EQ(before.size(), after.size());
      int differences = 0;
      for (std::size_t i = 0; i < before.size(); ++i) differences += before[i] != after[i] ? 1 : 0;
      EXPECT_EQ(1, differences) << "line " << line << " field " << field;
    }
  }
  // Any token of the header and hierarchy replaced by a word: a clean read or a message.
  for (std::size_t line = 0; line < 17; ++line) {
    for (const char* word : {"Q", "", "[", "#", "-1", "X"}) {
      HTRFile model;
      const std::string message = ReadText(model, SmallWith(line, word));
      EXPECT_TRUE(IsReaderMessage(message)) << line << " " << word << ": " << message;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The writer.

// The model the layout golden file was written from by hand.
HTRFile LayoutModel() {
  HTRFile model;
  model.SetNumFrames(2);
  model.SetStartFrame(5);
  model.SetDataFrameRate(120);
  model.SetCalibrationUnits(LengthUnit::kCentimetres);
  HTRSegment* root = model.AddSegment(HTRSegment("Hips"));
  root->SetRoot(true);
  root->SetBaseTranslation(12.5, -1, 0.0000004);
  root->SetBaseRotation(kPi, -kPi / 2, 0);
  root->SetBoneLength(30);
  root->AppendFrame(1, 2, 3, kPi / 4, 0, 0, 1);
  root->AppendFrame(-1, -2, -3, 0, 0, -kPi / 180, 1.5);
  HTRSegment* spine = model.AddSegment(HTRSegment("Spine"));
  spine->SetParent(root);
  spine->SetBoneLength(20);
  spine->AppendFrame(0, 0, 0, 0, 0, 0, 2);  // one frame of two: padded
  return model;
}

TEST(HTRWriter, WritesTheFixedLayout) {
  ScratchFolder folder;
  const HTRFile model = LayoutModel();
  ASSERT_EQ("", model.Write(folder.File("layout.htr")));
  EXPECT_EQ(ReadBytes(std::string(ZAR_TEST_DATA_DIR) + "/filelib/layout.htr"),
            ReadBytes(folder.File("layout.htr")));
}

TEST(HTRWriter, VariantsOfTheLayout) {
  struct Case {
    const char* what;
    std::function<void(HTRFile&)> change;
    std::vector<std::string> expected_lines;
  };
  const std::vector<Case> cases = {
      {"no frames",
       [](HTRFile& m) { m.SetNumFrames(0); },
       {"NumFrames 1",
        "[Hips]\r\n# Tx<tab>Ty<tab>Tz<tab>Rx<tab>Ry<tab>Rz<tab>BoneScaleFactor<CR>\r\n"
        "1\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t1.000000\r\n"
        "[Spine]"}},
      {"radians",
       [](HTRFile& m) { m.SetRotationUnits(RotationUnit::kRadians); },
       {"RotationUnits Radians", "Hips\t12.500000\t-1.000000\t0.000000\t3.141593\t-1.570796\t"}},
      {"normalised",
       [](HTRFile& m) {
         m.SetNormaliseScaleFactors(true);
         m.Segment(0)->SetReferenceLength(0.5);
         m.Segment(1)->SetReferenceLength(0.0);  // no usable reference: written as held
       },
       {"\t3.000000\r\n",
        "5\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t2.000000"}},
      {"negative count", [](HTRFile& m) { m.SetNumFrames(-1); }, {"NumFrames 4294967295\r\n"}},
      {"gravity always Y",
       [](HTRFile& m) { m.SetBoneLengthAxis(Axis::kZ); },
       {"GlobalAxisofGravity Y\r\nBoneLengthAxis Z\r\n"}},
  };
  for (const Case& c : cases) {
    HTRFile model = LayoutModel();
    c.change(model);
    ScratchFolder folder;
    ASSERT_EQ("", model.Write(folder.File("variant.htr"))) << c.what;
    const std::string text = ReadBytes(folder.File("variant.htr"));
    for (const std::string& line : c.expected_lines) {
      EXPECT_NE(std::string::npos, text.find(line)) << c.what << ": " << line;
    }
    EXPECT_EQ(std::string::npos, text.find("inf")) << c.what;
    EXPECT_EQ(std::string::npos, text.find("nan")) << c.what;
  }
}

TEST(HTRWriter, RefusesModelsItCannotWrite) {
  ScratchFolder folder;
  const std::string existing = folder.Write("keep.htr", "old");
  HTRFile empty;
  EXPECT_EQ(messages::kHtrNoSegments, empty.Write(existing));
  HTRFile model = LayoutModel();
  model.Segment(1)->SetName("Hips");  // renamed after adding
  EXPECT_EQ(std::string(messages::kHtrWriteDuplicateSegment) + "Hips", model.Write(existing));
  EXPECT_EQ("old", ReadBytes(existing));
  EXPECT_EQ(messages::kCannotOpen, LayoutModel().Write(folder.File("missing/out.htr")));
  std::filesystem::create_directory(folder.File("taken.htr"));
  EXPECT_EQ(messages::kCannotOpen, LayoutModel().Write(folder.File("taken.htr")));
  EXPECT_EQ(2U, folder.Count());
}

// What the reader could not take back is not written, and an existing file stays as it was.
TEST(HTRWriter, RefusesModelsItCouldNotReadBack) {
  // `spare` outlives the model, which may keep a reference to it among its children.
  const std::vector<std::pair<const char*, std::function<void(HTRFile&, HTRSegment&)>>> cases = {
      {"tab in a name", [](HTRFile& m, HTRSegment&) { m.Segment(1)->SetName("L\tSpine"); }},
      {"empty name", [](HTRFile& m, HTRSegment&) { m.Segment(1)->SetName(""); }},
      {"comment mark", [](HTRFile& m, HTRSegment&) { m.Segment(1)->SetName("L#Spine"); }},
      {"closing bracket", [](HTRFile& m, HTRSegment&) { m.Segment(1)->SetName("L]Spine"); }},
      {"opening bracket", [](HTRFile& m, HTRSegment&) { m.Segment(1)->SetName("[Spine"); }},
      {"section name", [](HTRFile& m, HTRSegment&) { m.Segment(1)->SetName("BasePosition"); }},
      {"end of file", [](HTRFile& m, HTRSegment&) { m.Segment(1)->SetName("EndOfFile"); }},
      {"own ancestor",
       [](HTRFile& m, HTRSegment& spare) {
         // Hips made the child of its own child Spine by assigning a copy.
         spare = *m.Segment(0);
         ASSERT_TRUE(spare.SetParent(m.Segment(1)));
         *m.Segment(0) = spare;
       }},
  };
  for (const auto& [what, change] : cases) {
    ScratchFolder folder;
    const std::string existing = folder.Write("keep.htr", "old");
    HTRSegment spare;
    HTRFile model = LayoutModel();
    change(model, spare);
    EXPECT_EQ(messages::kCannotWrite, model.Write(existing)) << what;
    EXPECT_EQ("old", ReadBytes(existing)) << what;
    EXPECT_EQ(1U, folder.Count()) << what;
  }
}

// NumFrames beyond the frames the segments hold are not written; without frames the file keeps
// its one rest frame.
TEST(HTRWriter, WritesNoMoreFramesThanTheSegmentsHold) {
  for (const auto& [declared, frames_held, written] :
       {std::tuple{2147483647, 2, 2}, std::tuple{5, 0, 0}, std::tuple{1, 2, 1}}) {
    HTRFile model;
    model.SetNumFrames(declared);
    HTRSegment* root = model.AddSegment(HTRSegment("Root"));
    HTRSegment* child = model.AddSegment(HTRSegment("Child"));
    child->SetParent(root);
    for (int k = 0; k < frames_held; ++k) root->AppendFrame(k, 0, 0, 0, 0, 0, 1);
    ScratchFolder folder;
    ASSERT_EQ("", model.Write(folder.File("bounded.htr")));
    HTRFile back;
    ASSERT_EQ("", back.Read(folder.File("bounded.htr"), true));
    EXPECT_EQ(std::max(written, 1), back.NumFrames()) << declared;
    EXPECT_EQ(std::max(written, 1), back.FindSegment("Child")->NumStoredFrames()) << declared;
    EXPECT_EQ(written > 1 ? 1.0 : 0.0, back.FindSegment("Root")->FrameTranslation(1).X());
  }
}

TEST(HTRWriter, FileNamesGetTheExtensionTheyLack) {
  ScratchFolder folder;
  const HTRFile model = LayoutModel();
  for (const char* name : {"abc", "walk", "walk.ab", "walk.xyz", "walk.htr"}) {
    ASSERT_EQ("", model.Write(folder.File(name)));
  }
  for (const char* name : {"abc.htr", "walk.htr", "walk.ab.htr", "walk.xyz"}) {
    EXPECT_TRUE(std::filesystem::exists(folder.File(name))) << name;
  }
  EXPECT_EQ(4U, folder.Count());
}

TEST(HTRWriter, AWriteErrorIsReportedAndLeavesTheOldFile) {
  ScratchFolder folder;
  const std::string target = folder.Write("big.htr", "old");
  HTRFile model;
  model.SetNumFrames(5000);
  for (int s = 0; s < 10; ++s) {
    HTRSegment* segment = model.AddSegment(HTRSegment(Numbered("s", s)));
    for (int k = 0; k < 5000; ++k) segment->AppendFrame(k, k, k, 0.1, 0.2, 0.3, 1);
  }
  // Files may not grow past 64 KiB, the way a full disk refuses writes.
  EXPECT_EQ(0, testing::WithFileSizeLimit(65536, [&] {
              int error = 0;
              return model.Write(target, error) == messages::kCannotWrite && error == EFBIG ? 0 : 1;
            }));
  EXPECT_EQ("old", ReadBytes(target));
  EXPECT_EQ(1U, folder.Count());
}

// ---------------------------------------------------------------------------------------------
// Round trips.

void ExpectSameModel(const HTRFile& a, const HTRFile& b, double length_tolerance,
                     double angle_tolerance) {
  ASSERT_EQ(a.NumSegments(), b.NumSegments());
  EXPECT_EQ(a.NumFrames(), b.NumFrames());
  EXPECT_EQ(a.DataFrameRate(), b.DataFrameRate());
  EXPECT_EQ(a.StartFrame(), b.StartFrame());
  EXPECT_EQ(a.CalibrationUnits(), b.CalibrationUnits());
  EXPECT_EQ(a.ScaleFactor(), b.ScaleFactor());
  for (std::int32_t i = 0; i < a.NumSegments(); ++i) {
    const HTRSegment& sa = *a.Segment(i);
    const HTRSegment& sb = *b.Segment(i);
    ASSERT_EQ(sa.Name(), sb.Name());
    EXPECT_EQ(sa.Parent() == nullptr, sb.Parent() == nullptr);
    if (sa.Parent() != nullptr && sb.Parent() != nullptr) {
      EXPECT_EQ(sa.Parent()->Name(), sb.Parent()->Name());
    }
    EXPECT_NEAR(sa.BoneLength(), sb.BoneLength(), length_tolerance);
    EXPECT_NEAR(sa.BaseTranslation().Y(), sb.BaseTranslation().Y(), length_tolerance);
    EXPECT_NEAR(sa.BaseRotation().Z(), sb.BaseRotation().Z(), angle_tolerance);
    ASSERT_EQ(sa.NumStoredFrames(), sb.NumStoredFrames());
    for (std::size_t k = 0; k < sa.Frames().size(); ++k) {
      const HTRFrame& fa = sa.Frames()[k];
      const HTRFrame& fb = sb.Frames()[k];
      ASSERT_NEAR(fa.tx, fb.tx, length_tolerance);
      ASSERT_NEAR(fa.tz, fb.tz, length_tolerance);
      ASSERT_NEAR(fa.rx, fb.rx, angle_tolerance);
      ASSERT_NEAR(fa.ry, fb.ry, angle_tolerance);
      ASSERT_NEAR(fa.scale, fb.scale, 1e-6);
    }
  }
}

TEST(HTRRoundTrip, SharedSampleReadsBackAndRewritesIdentically) {
  ScratchFolder folder;
  HTRFile original;
  ASSERT_EQ("", original.Read(testing::SamplePath("htr/fight_a.htr"), true));
  ASSERT_EQ("", original.Write(folder.File("once.htr")));
  HTRFile again;
  ASSERT_EQ("", again.Read(folder.File("once.htr"), true));
  // The sample is written with six decimals, as the writer writes.
  ExpectSameModel(original, again, 5e-7, 1e-8);
  ASSERT_EQ("", again.Write(folder.File("twice.htr")));
  EXPECT_EQ(ReadBytes(folder.File("once.htr")), ReadBytes(folder.File("twice.htr")));
}

TEST(HTRRoundTrip, UnitConversionsKeepTheMeaning) {
  ScratchFolder folder;
  HTRFile original;
  ASSERT_EQ("", original.Read(testing::SamplePath("htr/fight_a.htr"), true));
  HTRFile model;
  ASSERT_EQ("", model.Read(testing::SamplePath("htr/fight_a.htr"), true));
  // mm → cm → in → mm, degrees → radians → degrees, through files each time.
  const std::vector<std::pair<LengthUnit, RotationUnit>> steps = {
      {LengthUnit::kCentimetres, RotationUnit::kRadians},
      {LengthUnit::kInches, RotationUnit::kRadians},
      {LengthUnit::kMillimetres, RotationUnit::kDegrees}};
  int step = 0;
  for (const auto& [length, rotation] : steps) {
    model.ConvertUnits(length);
    model.SetRotationUnits(rotation);
    const std::string file = folder.File("step" + std::to_string(step++) + ".htr");
    ASSERT_EQ("", model.Write(file));
    ASSERT_EQ("", model.Read(file, true));
    EXPECT_EQ(length, model.CalibrationUnits());
    EXPECT_EQ(rotation, model.RotationUnits());
  }
  // Inches are written with six decimals (2.5e-5 mm); radians likewise.
  ExpectSameModel(original, model, 5e-5, 2e-6);
}

TEST(HTRRoundTrip, AModelWithoutFramesComesBackWithOneRestFrame) {
  ScratchFolder folder;
  HTRFile model = LayoutModel();
  model.SetNumFrames(0);
  ASSERT_EQ("", model.Write(folder.File("rest.htr")));
  HTRFile back;
  ASSERT_EQ("", back.Read(folder.File("rest.htr"), true));
  EXPECT_EQ(1, back.NumFrames());
  for (std::int32_t i = 0; i < back.NumSegments(); ++i) {
    ASSERT_EQ(1, back.Segment(i)->NumStoredFrames());
    EXPECT_EQ(1.0, back.Segment(i)->FrameScaleFactor(0));
    EXPECT_EQ(0.0, back.Segment(i)->FrameTranslation(0).X());
  }
  EXPECT_TRUE(back.FindSegment("Hips")->IsRoot());
}

}  // namespace
}  // namespace zar
