// The TRC importer of the built plug-in, run by the stand-in host as the host runs an import:
// the import sequence, the options dialog with its rules and checks, and the options record
// across imports and loads.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "modra/host.h"
#include "modra/modules.h"
#include "plugin_test_support.h"
#include "sdk/modra_sdk.h"

namespace modra {
// Readable failure messages for points.
inline void PrintTo(const Point3& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}
}  // namespace modra

namespace {

using modra::Point3;
using modra::TickTime;
using modra::host::DialogState;
using modra::host::Node;
using modra::host::ShownEvent;

constexpr int kTicks = 160;  // ticks per frame at the stand-in's 30 frames per second
constexpr int kDialog = 120;
constexpr const char* kCaption = "ImportTRC Error";

// Controls of dialog 120.
constexpr int kOk = 1097;
constexpr int kCancel = 1098;
constexpr int kCreate = 1009;
constexpr int kApply = 1010;
constexpr int kSelectedOnly = 1112;
constexpr int kRootNode = 1115;
constexpr int kSphere = 1077;
constexpr int kPoint = 1078;
constexpr int kSize = 1104;
constexpr int kAll = 1067;
constexpr int kRange = 1068;
constexpr int kFrom = 1065;
constexpr int kTo = 1066;
constexpr int kOffset = 1089;
constexpr int kSetFrameRate = 1140;
constexpr int kGlobal = 1088;

const std::string kThreeMarkers = std::string(ZAR_TEST_DATA_DIR) + "/import_trc/three_markers.trc";

std::vector<TickTime> KeyTimes(Node* node) {
  std::vector<TickTime> times;
  for (const auto& [t, p] : node->transform()->position()->keys()) times.push_back(t);
  return times;
}

std::vector<TickTime> Frames(int first, int last) {
  std::vector<TickTime> times;
  for (int f = first; f <= last; ++f) times.push_back(f * kTicks);
  return times;
}

class ImportTrcTest : public zar::testing::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    NewHost();
    LoadPlugin();
  }

  // A new host with an empty scene, in place of the present one.
  void NewHost() {
    host.reset();
    host = std::make_unique<modra::host::Host>();
  }

  void TearDown() override {
    plugin.reset();
    host.reset();
    RegistryTest::TearDown();
  }

  // Loads the plug-in (again): its option records start from their defaults.
  void LoadPlugin() {
    plugin.reset();
    std::string error;
    plugin = modra::host::PluginLibrary::Load(ZAR_PLUGIN_FILE, error);
    ASSERT_NE(plugin, nullptr) << error;
  }

  int Import(const std::string& file, bool suppress_prompts = false) {
    return host->RunImport(*plugin->Class(2), file, suppress_prompts);
  }

  // Writes a TRC file of one marker "M" into the test's folder; frame k of the data lines
  // holds rows[k] (three tab-separated fields).
  std::string WriteTrc(const std::string& name, const std::string& units, int path_type, int start,
                       int num_frames, const std::vector<std::string>& rows) {
    const std::string path = (Folder() / name).string();
    std::ofstream out(path, std::ios::binary);
    out << "PathFileType\t" << path_type << "\t(X/Y/Z)\t" << name << "\r\n"
        << "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
           "OrigDataStartFrame\tOrigNumFrames\r\n"
        << "120\t120\t" << num_frames << "\t1\t" << units << "\t120\t" << start << "\t"
        << num_frames << "\r\n"
        << "Frame#\tTime\tM\t\t\t\r\n"
        << "\t\tX1\tY1\tZ1\r\n\r\n";
    for (std::size_t k = 0; k < rows.size(); ++k)
      out << start + static_cast<int>(k) << "\t0\t" << rows[k] << "\r\n";
    return path;
  }

  Node* Find(const std::string& name) { return host->scene().FindByName(name); }
  modra::host::ScriptedUser& user() { return host->user(); }

  std::vector<ShownEvent> Shown(ShownEvent::Kind kind) { return user().ShownOfKind(kind); }

  // (caption, text) of every message box shown.
  std::vector<std::pair<std::string, std::string>> Messages() {
    std::vector<std::pair<std::string, std::string>> out;
    for (const ShownEvent& e : user().MessageBoxes()) out.emplace_back(e.caption, e.text);
    return out;
  }

  // Every progress display opened was closed and the host's modes are as before the import.
  void ExpectHostRestored() {
    EXPECT_FALSE(host->progress().active);
    EXPECT_EQ(host->progress().begun, host->progress().ended);
    EXPECT_FALSE(host->scene().animate().on);
    EXPECT_TRUE(host->scene().animate().saved.empty());
    EXPECT_EQ(host->scene().animate().unbalancedResumes, 0);
    EXPECT_TRUE(host->scene().setKey().saved.empty());
    EXPECT_EQ(host->scene().setKey().unbalancedResumes, 0);
  }

  const DialogState& OpenedDialog() {
    const std::vector<ShownEvent> opened = Shown(ShownEvent::Kind::kDialogOpened);
    EXPECT_EQ(opened.size(), 1u);
    static DialogState none;
    opened_ = opened.empty() ? none : opened.front().dialog;
    return opened_;
  }

  std::unique_ptr<modra::host::Host> host;
  std::unique_ptr<modra::host::PluginLibrary> plugin;

 private:
  DialogState opened_;
};

// --- The import sequence ----------------------------------------------------------------------

TEST_F(ImportTrcTest, ImportsEveryMarkerOfTheFile) {
  user().Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);

  EXPECT_TRUE(Messages().empty());
  ASSERT_EQ(host->scene().nodes().size(), 3u);
  EXPECT_EQ(KeyTimes(Find("LFHD")), Frames(1, 5));
  EXPECT_EQ(Find("LFHD")->transform()->position()->keys().at(kTicks), Point3(10, -30, 20));
  // RFHD is missing in frame 3, C7 is NaN in frame 4: no keys there.
  EXPECT_EQ(KeyTimes(Find("RFHD")),
            (std::vector<TickTime>{kTicks, 2 * kTicks, 4 * kTicks, 5 * kTicks}));
  EXPECT_EQ(KeyTimes(Find("C7")),
            (std::vector<TickTime>{kTicks, 2 * kTicks, 3 * kTicks, 5 * kTicks}));
  EXPECT_EQ(host->AnimationRange(), modra::Interval(kTicks, 5 * kTicks));

  const std::vector<ShownEvent> begun = Shown(ShownEvent::Kind::kProgressBegin);
  ASSERT_EQ(begun.size(), 1u);
  EXPECT_EQ(begun[0].text, "Vantrel ImportTRC");
  std::vector<int> percents;
  for (const ShownEvent& e : Shown(ShownEvent::Kind::kProgressUpdate)) percents.push_back(e.number);
  EXPECT_EQ(percents, (std::vector<int>{0, 10, 40, 70, 100, 100}));
  ExpectHostRestored();
}

TEST_F(ImportTrcTest, ReaderMessagesAreShownAndNothingIsMade) {
  struct Case {
    std::string file;
    std::string message;
  };
  const std::string bad_header = (Folder() / "bad.trc").string();
  std::ofstream(bad_header) << "PathFileType\t4\t(x/y/z)\tbad.trc\r\n";
  for (const Case& c : {Case{(Folder() / "missing.trc").string(), "The file could not be opened"},
                        Case{bad_header,
                             "The file is does not have a compatible \"(X/Y/Z)\" "
                             "header state"}}) {
    SCOPED_TRACE(c.file);
    user().ClearShown();
    user().Press(kOk);
    EXPECT_EQ(Import(c.file), 1);
    EXPECT_EQ(Messages(),
              (std::vector<std::pair<std::string, std::string>>{{kCaption, c.message}}));
    EXPECT_TRUE(Shown(ShownEvent::Kind::kDialogOpened).empty());
    EXPECT_TRUE(host->scene().nodes().empty());
    ExpectHostRestored();
    user().ClearQueue();
  }
}

TEST_F(ImportTrcTest, AnActiveModeIsEndedFirst) {
  host->SetToolMode("Select and Move");
  ASSERT_EQ(Import(kThreeMarkers, true), 1);
  EXPECT_EQ(host->IsModeActive(), 0);
  EXPECT_EQ(host->scene().nodes().size(), 3u);
}

TEST_F(ImportTrcTest, PositionsAreConvertedToSceneUnits) {
  // 1 cm = 10 mm; the scene's unit is 4 mm, so (1, 2, 3) cm is (2.5, 5, 7.5) units.
  host->scene().set_millimetresPerUnit(4.0);
  const std::string file = WriteTrc("cm.trc", "cm", 4, 1, 1, {"1\t2\t3"});
  user().FillEdit(kGlobal, "2").Press(kOk);
  ASSERT_EQ(Import(file), 1);
  Node* m = Find("M");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->transform()->position()->keys().at(kTicks), Point3(5.0f, -15.0f, 10.0f));
  // The sphere's radius is scaled by the global scale only.
  float radius = 0.0f;
  modra::Interval valid;
  m->object()->parameters().FloatParameter(modra::kSphereRadius, 0, radius, valid, 0);
  EXPECT_FLOAT_EQ(radius, 1.0f);
}

// The options dialog comes before the samples are read, but a path type 3 file numbers its
// frames from its first data line: the range offered and the keys start there.
TEST_F(ImportTrcTest, PathType3FramesCountFromTheFirstDataLine) {
  const std::string file = WriteTrc("type3.trc", "mm", 3, 11, 2, {"1\t1\t1", "2\t2\t2"});
  user().Press(kOk);
  ASSERT_EQ(Import(file), 1);
  EXPECT_EQ(OpenedDialog().Find(kFrom)->text, "11");
  EXPECT_EQ(OpenedDialog().Find(kTo)->text, "12");
  EXPECT_EQ(KeyTimes(Find("M")), Frames(11, 12));
}

TEST_F(ImportTrcTest, OneFrameFileKeysButLeavesTheAnimationRange) {
  const std::string file = WriteTrc("pose.trc", "mm", 4, 7, 1, {"1\t2\t3"});
  host->SetAnimationRange(modra::Interval(20 * kTicks, 90 * kTicks));
  user().Press(kOk);
  ASSERT_EQ(Import(file), 1);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(KeyTimes(Find("M")), Frames(7, 7));
  EXPECT_EQ(host->AnimationRange(), modra::Interval(20 * kTicks, 90 * kTicks));
}

TEST_F(ImportTrcTest, FrameRateOfTheFileWhenAsked) {
  const std::string file = WriteTrc("fast.trc", "mm", 4, 1, 2, {"1\t1\t1", "2\t2\t2"});
  user().Tick(kSetFrameRate, true).Press(kOk);
  ASSERT_EQ(Import(file), 1);
  EXPECT_EQ(host->scene().frameRate(), 120);
  EXPECT_EQ(KeyTimes(Find("M")), (std::vector<TickTime>{40, 80}));
}

TEST_F(ImportTrcTest, PositionControllerErrorIsReported) {
  modra::host::Node* rfhd = host->scene().MakeNode(nullptr, "RFHD");
  rfhd->transform()->RemovePositionController();
  host->scene().Select(rfhd, false);
  user().Tick(kApply, true).Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  EXPECT_EQ(Messages(),
            (std::vector<std::pair<std::string, std::string>>{
                {kCaption, "Position Controller Error. Please Contact Vantrel Support."}}));
  // LFHD came first and stays; C7 was never reached.
  EXPECT_NE(Find("LFHD"), nullptr);
  EXPECT_EQ(Find("C7"), nullptr);
  ExpectHostRestored();
}

TEST_F(ImportTrcTest, LockedControllerAndCancelStopSilently) {
  for (bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancel" : "locked");
    NewHost();
    Node* lfhd = host->scene().MakeNode(nullptr, "LFHD");
    lfhd->transform()->position()->set_locked(!cancel);
    host->scene().Select(lfhd, false);
    user().Tick(kApply, true).Press(kOk);
    if (cancel) user().CancelProgress();
    ASSERT_EQ(Import(kThreeMarkers), 1);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(host->scene().nodes().size(), 1u);
    EXPECT_TRUE(KeyTimes(lfhd).empty());
    ExpectHostRestored();
  }
}

// --- The options dialog -----------------------------------------------------------------------

TEST_F(ImportTrcTest, DialogOpensWithTheDefaultsAndTheFileRange) {
  user().Press(kCancel);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  const DialogState& d = OpenedDialog();
  EXPECT_TRUE(d.centred);
  struct Expected {
    int id;
    unsigned checked;
    bool enabled;
  };
  for (const Expected& e :
       {Expected{kCreate, 1, true}, Expected{kApply, 0, true}, Expected{kSelectedOnly, 0, false},
        Expected{kRootNode, 0, true}, Expected{kSphere, 1, true}, Expected{kPoint, 0, true},
        Expected{kAll, 1, true}, Expected{kRange, 0, true}, Expected{kSetFrameRate, 0, true},
        Expected{kFrom, 0, false}, Expected{kTo, 0, false}, Expected{kSize, 0, true},
        Expected{kOffset, 0, true}}) {
    const auto* control = d.Find(e.id);
    ASSERT_NE(control, nullptr) << e.id;
    EXPECT_EQ(control->checked, e.checked) << e.id;
    EXPECT_EQ(control->enabled, e.enabled) << e.id;
  }
  EXPECT_EQ(d.Find(kFrom)->text, "1");
  EXPECT_EQ(d.Find(kTo)->text, "5");
  EXPECT_EQ(d.Find(kOffset)->text, "0");
  EXPECT_EQ(d.Find(kSize)->text, "1.000000");
  EXPECT_EQ(d.Find(kGlobal)->text, "1.000000");

  // Cancelled: nothing made, nothing stored, the host as it was.
  EXPECT_TRUE(host->scene().nodes().empty());
  EXPECT_TRUE(Values(ClassKey("ImportTRC")).empty());
  ExpectHostRestored();
}

TEST_F(ImportTrcTest, CloudAndTimeChoicesEnableTheirControls) {
  user()
      .Tick(kApply, true)
      .Tick(kRange, true)
      .Tick(kCreate, true)
      .Tick(kAll, true)
      .Tick(kPoint, true);
  user().Press(kCancel);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  const std::vector<ShownEvent> actions = Shown(ShownEvent::Kind::kDialogAction);
  ASSERT_GE(actions.size(), 5u);
  auto enabled = [&](std::size_t action, int id) {
    return actions[action].dialog.Find(id)->enabled;
  };
  auto checked = [&](std::size_t action, int id) {
    return actions[action].dialog.Find(id)->checked;
  };

  // Apply: only "Selected Items Only" serves it.
  EXPECT_EQ(checked(0, kApply), 1u);
  EXPECT_EQ(checked(0, kCreate), 0u);
  EXPECT_TRUE(enabled(0, kSelectedOnly));
  for (int id : {kRootNode, kSphere, kPoint, kSize}) EXPECT_FALSE(enabled(0, id)) << id;
  // Range enables the frame boxes; the offset box is always enabled.
  EXPECT_EQ(checked(1, kRange), 1u);
  EXPECT_EQ(checked(1, kAll), 0u);
  for (int id : {kFrom, kTo, kOffset}) EXPECT_TRUE(enabled(1, id)) << id;
  // Back to Create and All.
  EXPECT_EQ(checked(2, kCreate), 1u);
  EXPECT_EQ(checked(2, kApply), 0u);
  EXPECT_FALSE(enabled(2, kSelectedOnly));
  for (int id : {kRootNode, kSphere, kPoint, kSize}) EXPECT_TRUE(enabled(2, id)) << id;
  EXPECT_EQ(checked(3, kAll), 1u);
  EXPECT_EQ(checked(3, kRange), 0u);
  for (int id : {kFrom, kTo}) EXPECT_FALSE(enabled(3, id)) << id;
  EXPECT_TRUE(enabled(3, kOffset));
  // The geometry pair is kept exclusive by the dialog itself.
  EXPECT_EQ(checked(4, kPoint), 1u);
  EXPECT_EQ(checked(4, kSphere), 0u);
}

struct RefusalCase {
  const char* name;
  std::vector<std::pair<int, std::string>> entries;  // edit boxes filled before OK
  std::string message;
  int reset_box;  // the box written back (0: none)
  std::string reset_text;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class ImportTrcRefusalTest : public ImportTrcTest,
                             public ::testing::WithParamInterface<RefusalCase> {};

// A refused OK shows one message, keeps the dialog open (the user then cancels) and saves nothing.
TEST_P(ImportTrcRefusalTest, RefusedEntriesKeepTheDialogOpen) {
  const RefusalCase& c = GetParam();
  user().Tick(kRange, true);
  for (const auto& [box, text] : c.entries) user().FillEdit(box, text);
  user().Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  EXPECT_EQ(Messages(), (std::vector<std::pair<std::string, std::string>>{{kCaption, c.message}}));
  const std::vector<ShownEvent> closed = Shown(ShownEvent::Kind::kDialogClosed);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0].number, 0);
  if (c.reset_box != 0) {
    EXPECT_EQ(closed[0].dialog.Find(c.reset_box)->text, c.reset_text);
  }
  EXPECT_TRUE(host->scene().nodes().empty());
  EXPECT_TRUE(Values(ClassKey("ImportTRC")).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ImportTrcRefusalTest,
    ::testing::Values(
        RefusalCase{"FromBelowFirstFrame",
                    {{kFrom, "0"}},
                    "Please choose a start frame equal to or greater than 1.",
                    kFrom,
                    "1"},
        RefusalCase{"ToAboveLastFrame",
                    {{kTo, "6"}},
                    "Please choose an end frame less than or equal to 5.",
                    kTo,
                    "5"},
        RefusalCase{
            "SizeRoundsToZero", {{kSize, "1e-50"}}, "Please choose a non-zero size.", 0, ""},
        RefusalCase{"SizeNotANumber", {{kSize, "big"}}, "Please choose a non-zero size.", 0, ""},
        RefusalCase{"SizeInfinite", {{kSize, "1e39"}}, "Please choose a non-zero size.", 0, ""},
        RefusalCase{
            "ScaleZero", {{kGlobal, "0.0"}}, "Please choose a non-zero scale factor.", 0, ""},
        RefusalCase{
            "ScaleNaN", {{kGlobal, "nan"}}, "Please choose a non-zero scale factor.", 0, ""},
        RefusalCase{"EndBeforeStart",
                    {{kFrom, "4"}, {kTo, "3"}},
                    "Please choose a start frame that is less than the end frame.",
                    0,
                    ""},
        // The order of the checks: the frames come before the size.
        RefusalCase{"FirstFailureOnly",
                    {{kFrom, "-3"}, {kSize, "0"}},
                    "Please choose a start frame equal to or greater than 1.",
                    kFrom,
                    "1"}),
    [](const ::testing::TestParamInfo<RefusalCase>& param_info) { return param_info.param.name; });

TEST_F(ImportTrcTest, CorrectedEntriesAreAcceptedAfterARefusal) {
  user().Tick(kRange, true).FillEdit(kFrom, "0").Press(kOk);  // refused, box reset to 1
  user().FillEdit(kTo, "3").FillEdit(kOffset, "10").Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(KeyTimes(Find("LFHD")), Frames(11, 13));
}

TEST_F(ImportTrcTest, EqualFromAndToImportOneFrame) {
  user().Tick(kRange, true).FillEdit(kFrom, "2").FillEdit(kTo, "2").Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(KeyTimes(Find("LFHD")), Frames(2, 2));
  EXPECT_EQ(host->AnimationRange(), modra::Interval(2 * kTicks, 3 * kTicks));
}

// --- The options record -----------------------------------------------------------------------

TEST_F(ImportTrcTest, AcceptedDialogStoresTheEightValues) {
  user()
      .Tick(kApply, true)
      .Tick(kSelectedOnly, true)
      .Tick(kSetFrameRate, true)
      .FillEdit(kGlobal, "2.5")
      .Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  std::map<std::string, std::vector<std::uint8_t>> stored;
  std::vector<std::string> order;
  for (const modra::RegistryValue& v : Values(ClassKey("ImportTRC"))) {
    order.push_back(v.name);
    stored[v.name] = v.data;
  }
  EXPECT_EQ(order, (std::vector<std::string>{"Apply", "Geometry", "SelectedOnly", "RootNode",
                                             "Range", "FPS", "Size", "ScaleFactor"}));
  EXPECT_EQ(stored["Apply"], std::vector<std::uint8_t>{1});
  EXPECT_EQ(stored["SelectedOnly"], std::vector<std::uint8_t>{1});
  EXPECT_EQ(stored["RootNode"], std::vector<std::uint8_t>{0});
  EXPECT_EQ(stored["FPS"], std::vector<std::uint8_t>{1});
  EXPECT_EQ(stored["ScaleFactor"], (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 4, 0x40}));
  // Apply with "Selected Items Only" and nothing selected: nothing is made.
  EXPECT_TRUE(host->scene().nodes().empty());
}

TEST_F(ImportTrcTest, OffsetLastsForTheRunAndStoredValuesAcrossLoads) {
  user().Tick(kPoint, true).FillEdit(kOffset, "5").Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  EXPECT_EQ(KeyTimes(Find("LFHD")), Frames(6, 10));

  // Without prompts the record is used as it stands: the offset and the point geometry.
  NewHost();
  ASSERT_EQ(Import(kThreeMarkers, true), 1);
  EXPECT_TRUE(Shown(ShownEvent::Kind::kDialogOpened).empty());
  EXPECT_EQ(KeyTimes(Find("LFHD")), Frames(6, 10));
  EXPECT_EQ(Find("LFHD")->object()->ClassIdentifier(), modra::kPointHelperClassId);

  // A new load of the library: the offset is gone, the stored choices come back in the dialog.
  LoadPlugin();
  NewHost();
  user().Press(kOk);
  ASSERT_EQ(Import(kThreeMarkers), 1);
  const DialogState& d = OpenedDialog();
  EXPECT_EQ(d.Find(kOffset)->text, "0");
  EXPECT_EQ(d.Find(kPoint)->checked, 1u);
  EXPECT_EQ(d.Find(kSphere)->checked, 0u);
  EXPECT_EQ(KeyTimes(Find("LFHD")), Frames(1, 5));
}

TEST_F(ImportTrcTest, WithoutPromptsTheStoredValuesAreNotRead) {
  ASSERT_TRUE(WriteRaw(ClassKey("ImportTRC"), "Geometry", modra::kRegistryBinary, {0}));
  LoadPlugin();
  ASSERT_EQ(Import(kThreeMarkers, true), 1);
  EXPECT_EQ(Find("LFHD")->object()->ClassIdentifier(), modra::kSphereObjectClassId);
}

}  // namespace
