// The HTR importer inside the built plug-in, loaded and driven as the host does: the options
// dialog, the import's failure paths, create and apply mode, and what the scene holds after.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "modra/host.h"
#include "modra/modules.h"
#include "modra/registry.h"
#include "tests/import_htr_test_support.h"

namespace {

using modra::host::ControlState;
using modra::host::DialogState;
using modra::host::Node;
using modra::host::ShownEvent;

// Controls of dialog 107.
enum Control : int {
  kCreate = 1085,
  kApply = 1086,
  kSize = 1104,
  kEffectors = 1019,
  kBase = 1017,
  kAnimation = 1063,
  kEuler = 1051,
  kTcb = 1052,
  kAll = 1067,
  kRange = 1068,
  kFrom = 1065,
  kTo = 1066,
  kOffset = 1089,
  kFps = 1140,
  kGlobal = 1088,
  kOk = 1097,
};

constexpr const char* kErrorCaption = "ImportHTR Error";
constexpr int kTicks = 160;

using Message = std::pair<std::string, std::string>;  // caption, text

class ImportHtrPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("zar_import_htr_" + std::to_string(::getpid()) + "_" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    ::setenv("ZARFILEIO_REGISTRY", (folder_ / "registry.json").c_str(), 1);
    modra::host::RegistryStore::Instance().SetPathOverride("");
    host_ = std::make_unique<modra::host::Host>();
    std::string error;
    plugin_ = modra::host::PluginLibrary::Load(ZAR_PLUGIN_FILE, error);
    ASSERT_NE(plugin_, nullptr) << error;
    descriptor_ = plugin_->FindClass("ImportHTR");
    ASSERT_NE(descriptor_, nullptr);
  }

  void TearDown() override {
    host_.reset();
    plugin_.reset();
    modra::host::RegistryStore::Instance().SetUnavailable(false);
    modra::host::RegistryStore::Instance().CloseAllHandles();
    ::unsetenv("ZARFILEIO_REGISTRY");
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  int Import(const std::string& path, bool quiet = false) {
    return host_->RunImport(*descriptor_, path, quiet);
  }

  // Imports a `frames`-frame file (frames from 1) through the dialog after the queued entries.
  int ImportFrames(int frames, bool quiet = false) {
    return Import(WriteFile("take.htr", zar::testing::HtrText(frames)), quiet);
  }

  modra::host::ScriptedUser& User() { return host_->user(); }
  modra::host::Scene& Scene() { return host_->scene(); }

  std::vector<Message> Messages() const {
    std::vector<Message> out;
    for (const ShownEvent& e : host_->user().MessageBoxes()) out.emplace_back(e.caption, e.text);
    return out;
  }

  std::vector<ShownEvent> Shown(ShownEvent::Kind kind) const {
    return host_->user().ShownOfKind(kind);
  }

  // The stored values of the importer's registry key, names in the order first written.
  static std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    modra::RegistryKey key = 0;
    if (modra::RegistryOpenKey(modra::kCurrentUserKey,
                               "Software\\Vantrel\\ZARFileIO\\Modra\\ImportHTR",
                               modra::kRegistryRead, &key) != modra::kRegistryOk) {
      return names;
    }
    std::vector<modra::RegistryValue> values;
    modra::RegistryListValues(key, values);
    modra::RegistryCloseKey(key);
    for (const auto& v : values) names.push_back(v.name);
    return names;
  }

  Node* Find(const std::string& name) { return Scene().FindByName(name); }

  std::filesystem::path folder_;
  std::unique_ptr<modra::host::Host> host_;
  std::unique_ptr<modra::host::PluginLibrary> plugin_;
  modra::ClassDesc* descriptor_ = nullptr;
};

const ControlState& ControlOf(const DialogState& state, int id) {
  const ControlState* c = state.Find(id);
  EXPECT_NE(c, nullptr) << id;
  static const ControlState missing;
  return c != nullptr ? *c : missing;
}

// --- The options dialog ----------------------------------------------------------------------

TEST_F(ImportHtrPlugin, FirstUseShowsTheDefaultsAndCancelChangesNothing) {
  EXPECT_EQ(ImportFrames(100), 1);
  const auto opened = Shown(ShownEvent::Kind::kDialogOpened);
  ASSERT_EQ(opened.size(), 1U);
  const DialogState& d = opened[0].dialog;
  EXPECT_EQ(d.templateId, 107);
  EXPECT_TRUE(d.centred);
  struct Expect {
    int id;
    unsigned checked;
    bool enabled;
  };
  for (const Expect& e :
       {Expect{kCreate, 1, true}, Expect{kApply, 0, true}, Expect{kAnimation, 1, true},
        Expect{kBase, 0, true}, Expect{kEffectors, 0, true}, Expect{kFps, 0, true},
        Expect{kAll, 1, true}, Expect{kRange, 0, true}, Expect{kEuler, 1, true},
        Expect{kTcb, 0, true}}) {
    EXPECT_EQ(ControlOf(d, e.id).checked, e.checked) << e.id;
    EXPECT_EQ(ControlOf(d, e.id).enabled, e.enabled) << e.id;
  }
  EXPECT_FALSE(ControlOf(d, kFrom).enabled);
  EXPECT_FALSE(ControlOf(d, kTo).enabled);
  EXPECT_TRUE(ControlOf(d, kSize).enabled);
  EXPECT_EQ(ControlOf(d, kFrom).text, "1");
  EXPECT_EQ(ControlOf(d, kTo).text, "100");
  EXPECT_EQ(ControlOf(d, kOffset).text, "0");
  EXPECT_EQ(ControlOf(d, kSize).text, "1.000000");
  EXPECT_EQ(ControlOf(d, kGlobal).text, "1.000000");
  // The scripted user had nothing to do: the dialog was cancelled, the import answers 1.
  EXPECT_TRUE(Scene().nodes().empty());
  EXPECT_TRUE(StoredNames().empty());
  EXPECT_EQ(host_->progress().ended, host_->progress().begun);
}

TEST_F(ImportHtrPlugin, ControlsEnableEachOther) {
  User().Tick(kApply, true).Tick(kCreate, true).Tick(kRange, true).Tick(kAll, true);
  User().Tick(kAnimation, false).Tick(kAnimation, true).Tick(kTcb, true).Tick(kEuler, true);
  ImportFrames(10);
  const auto steps = Shown(ShownEvent::Kind::kDialogAction);
  ASSERT_EQ(steps.size(), 8U);
  auto enabled = [&](std::size_t step, int id) {
    return ControlOf(steps[step].dialog, id).enabled;
  };
  auto checked = [&](std::size_t step, int id) {
    return ControlOf(steps[step].dialog, id).checked;
  };
  EXPECT_FALSE(enabled(0, kEffectors));  // Apply
  EXPECT_FALSE(enabled(0, kSize));
  EXPECT_EQ(checked(0, kCreate), 0U);
  EXPECT_TRUE(enabled(1, kEffectors));  // Create
  EXPECT_TRUE(enabled(1, kSize));
  EXPECT_TRUE(enabled(2, kFrom));  // Range
  EXPECT_TRUE(enabled(2, kTo));
  EXPECT_FALSE(enabled(3, kFrom));  // All
  EXPECT_FALSE(enabled(3, kTo));
  EXPECT_FALSE(enabled(4, kAll));  // Animation off
  EXPECT_FALSE(enabled(4, kRange));
  EXPECT_TRUE(enabled(5, kAll));  // Animation on
  EXPECT_TRUE(enabled(5, kRange));
  EXPECT_EQ(checked(6, kEuler), 0U);  // TCB
  EXPECT_EQ(checked(7, kTcb), 0U);    // Euler
}

TEST_F(ImportHtrPlugin, EachRefusedEntryHasItsMessage) {
  struct Case {
    std::vector<std::pair<int, std::string>> edits;
    bool apply;
    bool keyNothing;
    std::string message;  // empty: accepted
    std::pair<int, std::string> restored;
  };
  const Case cases[] = {
      {{{kFrom, "0"}},
       false,
       false,
       "Please choose a start frame equal to or greater than 1.",
       {kFrom, "1"}},
      {{{kTo, "101"}},
       false,
       false,
       "Please choose an end frame less than or equal to 100.",
       {kTo, "100"}},
      {{{kFrom, "50"}, {kTo, "20"}},
       false,
       false,
       "Please choose a start frame that is less than the end frame.",
       {}},
      {{{kFrom, "20"}, {kTo, "20"}}, false, false, "", {}},
      {{{kSize, "abc"}}, false, false, "Please choose a non-zero size.", {}},
      {{{kGlobal, "0.0"}}, false, false, "Please choose a non-zero scale factor.", {}},
      {{{kSize, "inf"}}, false, false, "Please choose a non-zero size.", {}},
      {{{kGlobal, "-nan"}}, false, false, "Please choose a non-zero scale factor.", {}},
      {{{kSize, "-2"}, {kGlobal, "-0.5"}}, false, false, "", {}},
      {{},
       true,
       true,
       "Please choose either Base Position, Animation, or both when in apply mode.",
       {}},
      {{}, false, true, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.empty() ? "accepted" : c.message);
    TearDown();
    SetUp();
    User().Tick(c.apply ? kApply : kCreate, true).Tick(kRange, true);
    for (const auto& [id, text] : c.edits) User().FillEdit(id, text);
    if (c.keyNothing) User().Tick(kAnimation, false).Tick(kBase, false);
    User().Press(kOk);
    if (c.apply) {  // something to apply to, so that an accepted dialog goes on
      Scene().Select(Scene().MakeNode(nullptr, "Target"), false);
    }
    ImportFrames(100);
    const auto closed = Shown(ShownEvent::Kind::kDialogClosed);
    ASSERT_EQ(closed.size(), 1U);
    if (c.message.empty()) {
      EXPECT_EQ(closed[0].number, 1);
      EXPECT_TRUE(Messages().empty());
      continue;
    }
    EXPECT_EQ(closed[0].number, 0);
    EXPECT_EQ(Messages(), (std::vector<Message>{{kErrorCaption, c.message}}));
    if (c.restored.first != 0) {
      EXPECT_EQ(ControlOf(closed[0].dialog, c.restored.first).text, c.restored.second);
    }
    EXPECT_TRUE(StoredNames().empty());  // nothing saved
  }
}

TEST_F(ImportHtrPlugin, EntriesTakenBeforeARefusalStayForTheNextOk) {
  // From 50 is taken, then To 200 is refused; on the next OK, 50 is the lowest start.
  User().Tick(kRange, true).FillEdit(kFrom, "50").FillEdit(kTo, "200").Press(kOk);
  User().FillEdit(kFrom, "10").FillEdit(kTo, "100").Press(kOk);
  User().FillEdit(kFrom, "60").Press(kOk);
  EXPECT_EQ(ImportFrames(100), 1);
  EXPECT_EQ(Messages(),
            (std::vector<Message>{
                {kErrorCaption, "Please choose an end frame less than or equal to 100."},
                {kErrorCaption, "Please choose a start frame equal to or greater than 50."}}));
  // Frames 60 to 100 were keyed.
  EXPECT_EQ(Find("Hips")->transform()->position()->KeyCount(), 41);
}

TEST_F(ImportHtrPlugin, OkSavesTheNineValuesInOrderAndTheNextDialogShowsThem) {
  User().Tick(kTcb, true).Tick(kBase, true).Tick(kEffectors, true).Tick(kFps, true);
  User().FillEdit(kSize, "2.5").FillEdit(kGlobal, "3").FillEdit(kOffset, "7").Press(kOk);
  ASSERT_EQ(ImportFrames(5), 1);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Apply", "Animate", "KeyBasePosition",
                                                     "EndEffectors", "Range", "FPS",
                                                     "RotationController", "Size", "ScaleFactor"}));
  User().ClearShown();
  ImportFrames(5);  // cancelled: shows what was remembered
  const auto opened = Shown(ShownEvent::Kind::kDialogOpened);
  ASSERT_EQ(opened.size(), 1U);
  const DialogState& d = opened[0].dialog;
  EXPECT_EQ(ControlOf(d, kTcb).checked, 1U);
  EXPECT_EQ(ControlOf(d, kBase).checked, 1U);
  EXPECT_EQ(ControlOf(d, kEffectors).checked, 1U);
  EXPECT_EQ(ControlOf(d, kFps).checked, 1U);
  EXPECT_EQ(ControlOf(d, kSize).text, "2.500000");
  EXPECT_EQ(ControlOf(d, kGlobal).text, "3.000000");
  EXPECT_EQ(ControlOf(d, kOffset).text, "7");  // kept for the life of the library, not stored
}

TEST_F(ImportHtrPlugin, UnavailableRegistryLeavesTheDefaultsAndShowsNothing) {
  TearDown();
  modra::host::RegistryStore::Instance().SetUnavailable(true);
  SetUp();
  User().Tick(kTcb, true).Press(kOk);
  EXPECT_EQ(ImportFrames(3), 1);
  User().ClearShown();
  ImportFrames(3);  // cancelled: the dialog shows what the record holds
  modra::host::RegistryStore::Instance().SetUnavailable(false);
  EXPECT_TRUE(Messages().empty());
  const auto opened = Shown(ShownEvent::Kind::kDialogOpened);
  ASSERT_EQ(opened.size(), 1U);
  EXPECT_EQ(ControlOf(opened[0].dialog, kTcb).checked, 1U);  // from the record, not the registry
  EXPECT_TRUE(StoredNames().empty());
}

// --- Failures of the import ------------------------------------------------------------------

TEST_F(ImportHtrPlugin, FailuresShowTheirMessageAndAnswerZero) {
  struct Case {
    std::string name;
    std::string file;  // empty: a missing file
    bool apply;
    std::string select;  // node to select in apply mode ("biped": a biped's node)
    Message message;
  };
  const std::string good = zar::testing::HtrText(3);
  const Case cases[] = {
      {"missing file", "", false, "", {kErrorCaption, "The file could not be opened"}},
      {"bad version",
       zar::testing::HtrText(3, 1, "FileVersion 2\n"),
       false,
       "",
       {kErrorCaption, "The file does not have a compatible \"FileVersion\" header state"}},
      {"nothing selected",
       good,
       true,
       "",
       {"Import Error", "Please select the root of a skeleton before applying animation."}},
      {"biped",
       good,
       true,
       "biped",
       {"Import Error", "You can't import .htr directly onto a biped node."}},
      {"unknown branch",
       good,
       true,
       "Tail",
       {"Import Error", "Please select a branch to apply to that exists in the source HTR file."}},
      {"no root",
       "[Header]\nNumFrames 1\n[SegmentNames&Hierarchy]\n[BasePosition]\n",
       false,
       "",
       {kErrorCaption, "The file has no root segment: no segment has \"GLOBAL\" as its parent."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    if (c.apply) User().Tick(kApply, true);
    User().Press(kOk);
    if (c.select == "biped") {
      Node* biped = Scene().MakeNode(nullptr, "Hips");
      biped->transform()->set_classId(modra::kBipedLimbClassId);
      Scene().Select(biped, false);
    } else if (!c.select.empty()) {
      auto* bone = host_->MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId)->AsObject();
      Node* node = static_cast<Node*>(host_->MakeNodeForObject(bone));
      node->SetNodeName(c.select.c_str());
      Scene().Select(node, false);
    }
    const std::size_t nodesBefore = Scene().nodes().size();
    const std::string path =
        c.file.empty() ? (folder_ / "missing.htr").string() : WriteFile("take.htr", c.file);
    EXPECT_EQ(Import(path), 0);
    EXPECT_EQ(Messages(), std::vector<Message>{c.message});
    EXPECT_EQ(Scene().nodes().size(), nodesBefore);
    EXPECT_EQ(host_->progress().ended, 1);
    EXPECT_FALSE(host_->progress().active);
  }
}

TEST_F(ImportHtrPlugin, ScaleFactorIsWarnedAboutAndTheImportGoesOn) {
  User().Press(kOk);
  EXPECT_EQ(Import(WriteFile("take.htr", zar::testing::HtrText(3, 1, "ScaleFactor 2.5\n"))), 1);
  EXPECT_EQ(Messages(), (std::vector<Message>{{"ImportHTR Warning",
                                               "ScaleFactor is not 1.0, this plugin does not "
                                               "support the ScaleFactor header variable."}}));
  EXPECT_NE(Find("Head"), nullptr);
}

TEST_F(ImportHtrPlugin, RefusedValueWhileCreatingLeavesNoNodes) {
  User().Press(kOk);
  const std::string path = WriteFile("take.htr", zar::testing::HtrText(3));
  zar::testing::RefusingHost refusing(*host_, 2, false);  // Spine's position
  auto* importer = static_cast<modra::SceneImport*>(descriptor_->Create(0));
  EXPECT_EQ(importer->DoImport(path.c_str(), nullptr, &refusing, 0), 0);
  delete importer;
  EXPECT_TRUE(Scene().nodes().empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ImportHtrPlugin, CancelAfterCreationFailsAndKeepsTheSkeletonWithoutDummy) {
  User().CancelProgress();
  EXPECT_EQ(ImportFrames(3, true), 0);
  EXPECT_NE(Find("Hips"), nullptr);
  EXPECT_EQ(Find("take"), nullptr);
  EXPECT_EQ(Find("Hips")->transform()->position()->KeyCount(), 0);
}

TEST_F(ImportHtrPlugin, EveryExitRestoresModesAndEndsTheProgressDisplay) {
  struct Case {
    std::string name;
    bool quiet;
    std::string file;
    bool cancelProgress;
    int result;
  };
  const Case cases[] = {
      {"success", true, zar::testing::HtrText(3), false, 1},
      {"dialog cancelled", false, zar::testing::HtrText(3), false, 1},
      {"reader message", true, "[Header]\nFileType bvh\n", false, 0},
      {"cancel", true, zar::testing::HtrText(3), true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Scene().animate().on = true;
    Scene().setKey().on = true;
    host_->SetToolMode("Move");
    if (c.cancelProgress) User().CancelProgress();
    EXPECT_EQ(Import(WriteFile("take.htr", c.file), c.quiet), c.result);
    EXPECT_TRUE(Scene().animate().on);
    EXPECT_TRUE(Scene().setKey().on);
    EXPECT_TRUE(Scene().animate().saved.empty());
    EXPECT_TRUE(Scene().setKey().saved.empty());
    EXPECT_EQ(host_->IsModeActive(), 0);
    EXPECT_EQ(host_->progress().begun, 1);
    EXPECT_EQ(host_->progress().ended, 1);
    const auto begun = Shown(ShownEvent::Kind::kProgressBegin);
    ASSERT_EQ(begun.size(), 1U);
    EXPECT_EQ(begun[0].text, "Vantrel ImportHTR");
  }
}

TEST_F(ImportHtrPlugin, OffsetThatLeavesTheTimeLineIsRefused) {
  User().FillEdit(kOffset, "2000000000").Press(kOk);
  EXPECT_EQ(ImportFrames(3), 0);
  EXPECT_EQ(Messages(), (std::vector<Message>{{kErrorCaption,
                                               "The chosen frames and offset place keys outside "
                                               "the scene's time range."}}));
}

// --- What an import makes ---------------------------------------------------------------------

TEST_F(ImportHtrPlugin, QuietImportBuildsUnderADummyNamedAfterTheFile) {
  const std::string path = WriteFile("walk.fast.htr", zar::testing::HtrText(3));
  EXPECT_EQ(Import(path, true), 1);
  EXPECT_TRUE(Shown(ShownEvent::Kind::kDialogOpened).empty());
  Node* dummy = Find("walk.fast");
  ASSERT_NE(dummy, nullptr);
  EXPECT_NE(dummy->object()->AsDummyObject(), nullptr);
  ASSERT_EQ(dummy->children().size(), 1U);
  EXPECT_EQ(dummy->children()[0]->name(), "Hips");
  EXPECT_EQ(Find("Head")->transform()->position()->KeyCount(), 3);
  // Frames 1 to 3, no base key: the range runs from frame 1 to frame 3.
  EXPECT_EQ(host_->AnimationRange(), modra::Interval(kTicks, 3 * kTicks));
  EXPECT_EQ(host_->progress().percent, 100);
}

TEST_F(ImportHtrPlugin, QuietImportUsesTheOptionsOfTheLastDialogWithTheFilesRange) {
  User().Tick(kRange, true).FillEdit(kFrom, "2").FillEdit(kTo, "2").FillEdit(kOffset, "10");
  User().Tick(kBase, true).Press(kOk);
  ASSERT_EQ(ImportFrames(3), 1);
  // The second import runs without prompts: offset 10 and base key, but all of its 5 frames.
  EXPECT_EQ(Import(WriteFile("other.htr", zar::testing::HtrText(5)), true), 1);
  Node* hips = Scene().nodes()[Scene().nodes().size() - 4];  // the new skeleton's root
  ASSERT_EQ(hips->name(), "Hips");
  std::vector<modra::TickTime> times;
  for (const auto& [t, p] : hips->transform()->position()->keys()) times.push_back(t);
  EXPECT_EQ(times, (std::vector<modra::TickTime>{10 * kTicks, 11 * kTicks, 12 * kTicks, 13 * kTicks,
                                                 14 * kTicks, 15 * kTicks}));
}

TEST_F(ImportHtrPlugin, AllKeysTheWholeFileWhateverFromHeld) {
  // From was edited while Range was on, then All was chosen: the whole file is keyed, and the
  // animation range covers the keys.
  User().Tick(kRange, true).FillEdit(kFrom, "3").Tick(kAll, true).Press(kOk);
  ASSERT_EQ(ImportFrames(4), 1);
  EXPECT_EQ(Find("Hips")->transform()->position()->KeyCount(), 4);
  EXPECT_EQ(host_->AnimationRange(), modra::Interval(kTicks, 4 * kTicks));
}

TEST_F(ImportHtrPlugin, AnimationRangeCoversTheChosenFramesAndBaseKey) {
  User().Tick(kRange, true).FillEdit(kFrom, "5").FillEdit(kTo, "7").FillEdit(kOffset, "2");
  User().Tick(kBase, true).Press(kOk);
  ASSERT_EQ(ImportFrames(10), 1);
  EXPECT_EQ(host_->AnimationRange(), modra::Interval(4 * kTicks, 9 * kTicks));
}

TEST_F(ImportHtrPlugin, FrameRateUnitsAndMasterScale) {
  Scene().set_millimetresPerUnit(10.0);
  User().Tick(kFps, true).Press(kOk);
  // Centimetres: Hips' base translation (1, 2, 3) cm is 10, 20, 30 mm, 1, 2, 3 units.
  const std::string text = zar::testing::HtrText(2, 1, "CalibrationUnits cm\n");
  ASSERT_EQ(Import(WriteFile("take.htr", text)), 1);
  EXPECT_EQ(Scene().frameRate(), 60);
  float x = 0.0f;
  ASSERT_TRUE(Find("Hips")->UserFloatProperty("HTRBaseTransX", x));
  EXPECT_FLOAT_EQ(x, 1.0f);
  float length = 0.0f;
  ASSERT_TRUE(Find("Spine")->UserFloatProperty("HTRBaseLength", length));
  EXPECT_FLOAT_EQ(length, 20.0f);
  EXPECT_EQ(host_->AnimationRange(), modra::Interval(80, 160));  // 80 ticks a frame at 60 fps
}

TEST_F(ImportHtrPlugin, ApplyFindsTheBranchFromTheSelection) {
  struct Case {
    std::string name;
    std::string selected;            // node selected before the second import
    std::vector<std::string> keyed;  // nodes the second import keys (base key added)
  };
  const Case cases[] = {
      {"bone of the file", "Spine", {"Spine", "Head"}},
      {"non-bone with a bone child", "take", {"Hips", "Spine", "Head"}},
      {"non-bone without bone children", "Empty", {"Empty"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    ASSERT_EQ(ImportFrames(3, true), 1);
    Scene().MakeNode(nullptr, "Empty");
    User().Tick(kApply, true).Tick(kBase, true).Press(kOk);
    Scene().Select(Find(c.selected), false);
    ASSERT_EQ(ImportFrames(3), 1);
    for (Node* n : Scene().nodes()) {
      const bool reKeyed = std::find(c.keyed.begin(), c.keyed.end(), n->name()) != c.keyed.end();
      const bool bone = n->name() != "take" && n->name() != "Empty";
      EXPECT_EQ(n->transform()->position()->KeyCount(), reKeyed ? 4 : (bone ? 3 : 0)) << n->name();
    }
  }
}

}  // namespace
