// The HTR exporter through the loaded plug-in: its options dialog and their persistence, the
// root-bone check, the hierarchy walk, base positions, frames, scaling, writing, and every
// failure path leaving the host's modes as they were.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "export_htr_test_support.h"

namespace zar::test {
namespace {

using modra::Point3;
using modra::host::Node;
using modra::host::ShownEvent;
constexpr const char* kBadName =
    "ExportHTR Error: There are multiple identical names or spaces in a bone name.";

class ExportHTRTest : public PluginSession {
 protected:
  // Presses OK in the options dialog after the given actions.
  void Ok() { user().Press(kOk); }
  std::vector<std::string> SegmentNames(const HTRFile& model) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < model.NumSegments(); ++i)
      names.push_back(model.Segment(i)->Name());
    return names;
  }
  static void ExpectVector(const ZARVector3<double>& v, double x, double y, double z,
                           double tolerance = 1e-5) {
    EXPECT_NEAR(v.X(), x, tolerance);
    EXPECT_NEAR(v.Y(), y, tolerance);
    EXPECT_NEAR(v.Z(), z, tolerance);
  }
};

TEST_F(ExportHTRTest, DialogOpensWithDefaultsAndTheSceneRange) {
  scene().set_animationRange({800, 3200});  // frames 5 to 20 at 160 ticks per frame
  Select(Bone("Hips"));
  user().Press(kCancel);
  EXPECT_EQ(Export(Path("out.htr")), 1);
  EXPECT_FALSE(std::filesystem::exists(Path("out.htr")));

  const auto opened = user().ShownOfKind(ShownEvent::Kind::kDialogOpened);
  ASSERT_EQ(opened.size(), 1U);
  const modra::host::DialogState& d = opened[0].dialog;
  EXPECT_EQ(d.templateId, kExportDialog);
  EXPECT_TRUE(d.centred);
  const std::vector<std::pair<int, unsigned>> checks = {
      {kSavedPose, 1},        {kCurrentPose, 0}, {kExportAnimation, 1},
      {kParentTransforms, 1}, {kSlider, 1},      {kRange, 0}};
  for (const auto& [id, checked] : checks) EXPECT_EQ(d.Find(id)->checked, checked) << id;
  EXPECT_EQ(d.Find(kFrom)->text, "5");
  EXPECT_EQ(d.Find(kTo)->text, "20");
  EXPECT_FALSE(d.Find(kFrom)->enabled);
  EXPECT_FALSE(d.Find(kTo)->enabled);
  EXPECT_EQ(d.Find(kOffset)->text, "0");
  EXPECT_TRUE(d.Find(kOffset)->enabled);
  EXPECT_EQ(d.Find(kGlobal)->text, "1.000000");
}

// One press of OK with the given entries, against the scene's frames 5 to 20.
struct ValidationCase {
  const char* from;
  const char* to;
  const char* global;
  std::string message;  // the one message shown
  int resetControl;     // the box written back to its bound, or 0
  const char* resetText;
};

class ExportHTRValidation : public ExportHTRTest,
                            public ::testing::WithParamInterface<ValidationCase> {};

TEST_P(ExportHTRValidation, RefusesTheFirstBadEntryAndStaysOpen) {
  const ValidationCase& c = GetParam();
  scene().set_animationRange({800, 3200});
  Select(Bone("Hips"));
  // "Slider" stays selected: the disabled boxes are read and checked all the same.
  user().FillEdit(kGlobal, c.global);
  // Disabled edits cannot be typed in; their text is set through the Range radio and back.
  user().Press(kRange).FillEdit(kFrom, c.from).FillEdit(kTo, c.to).Press(kSlider);
  user().Press(kOk).Press(kCancel);
  EXPECT_EQ(Export(Path("out.htr")), 1);
  EXPECT_FALSE(std::filesystem::exists(Path("out.htr")));
  EXPECT_EQ(Messages(), std::vector<std::string>{"ExportHTR Error: " + c.message});
  const modra::host::DialogState* last = user().LastDialogState(kExportDialog);
  ASSERT_NE(last, nullptr);
  if (c.resetControl != 0) {
    EXPECT_EQ(last->Find(c.resetControl)->text, c.resetText);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ExportHTRValidation,
    ::testing::Values(
        ValidationCase{"4", "20", "1", "Please choose a start frame equal to or greater than 5.",
                       kFrom, "5"},
        ValidationCase{"frames", "20", "1",
                       "Please choose a start frame equal to or greater than 5.", kFrom, "5"},
        ValidationCase{"5", "21", "1", "Please choose an end frame less than or equal to 20.", kTo,
                       "20"},
        ValidationCase{"5", "20", "0", "Please choose a non-zero scale factor.", 0, ""},
        ValidationCase{"5", "20", "0.0", "Please choose a non-zero scale factor.", 0, ""},
        ValidationCase{"5", "20", "big", "Please choose a non-zero scale factor.", 0, ""},
        ValidationCase{"5", "20", "nan", "Please choose a non-zero scale factor.", 0, ""},
        ValidationCase{"5", "20", "inf", "Please choose a non-zero scale factor.", 0, ""},
        ValidationCase{"12", "8", "1",
                       "Please choose a start frame that is less than the end frame.", 0, ""}));

TEST_F(ExportHTRTest, AcceptedStartFrameBecomesTheNextBound) {
  scene().set_animationRange({800, 3200});
  Select(Bone("Hips"));
  user().Press(kRange).FillEdit(kFrom, "10").FillEdit(kTo, "25").Press(kOk);
  user().FillEdit(kFrom, "7").FillEdit(kTo, "20").Press(kOk);
  user().FillEdit(kFrom, "10").Press(kOk);
  EXPECT_EQ(Export(Path("out.htr")), 1);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "ExportHTR Error: Please choose an end frame less than or equal to 20.",
                "ExportHTR Error: Please choose a start frame equal to or greater than 10."}));
  auto model = ReadHTR(Path("out.htr"));
  EXPECT_EQ(model->StartFrame(), 10);
  EXPECT_EQ(model->NumFrames(), 11);
}

TEST_F(ExportHTRTest, AcceptedOptionsAreSavedAndShownAgain) {
  Node* hips = Bone("Hips");
  Select(hips);
  user().Tick(kCurrentPose, true).Tick(kExportAnimation, false).Tick(kParentTransforms, false);
  user().Press(kRange).FillEdit(kOffset, "-3").FillEdit(kGlobal, "2.5");
  Ok();
  ASSERT_EQ(Export(Path("a.htr")), 1);

  // Reloading the library starts the record from its defaults; the dialog loads the stored ones.
  plugin_.reset();
  std::string error;
  plugin_ = modra::host::PluginLibrary::Load(ZAR_PLUGIN_PATH, error);
  ASSERT_NE(plugin_, nullptr) << error;
  user().Press(kCancel);
  ASSERT_EQ(Export(Path("b.htr")), 1);
  const modra::host::DialogState* d = user().LastDialogState(kExportDialog);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Find(kCurrentPose)->checked, 1U);
  EXPECT_EQ(d->Find(kSavedPose)->checked, 0U);
  EXPECT_EQ(d->Find(kExportAnimation)->checked, 0U);
  EXPECT_EQ(d->Find(kParentTransforms)->checked, 0U);
  EXPECT_EQ(d->Find(kRange)->checked, 1U);
  EXPECT_TRUE(d->Find(kFrom)->enabled);
  EXPECT_EQ(d->Find(kOffset)->text, "-3");
  EXPECT_EQ(d->Find(kGlobal)->text, "2.500000");

  modra::RegistryKey key = 0;
  ASSERT_EQ(modra::RegistryOpenKey(modra::kCurrentUserKey,
                                   "Software\\Vantrel\\ZARFileIO\\Modra\\ExportHTR",
                                   modra::kRegistryRead, &key),
            modra::kRegistryOk);
  std::uint8_t data[8] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t type = 0;
  ASSERT_EQ(modra::RegistryQueryValue(key, "ScaleFactor", &type, data, &size), modra::kRegistryOk);
  double stored = 0.0;
  std::memcpy(&stored, data, sizeof stored);
  EXPECT_EQ(type, modra::kRegistryQword);
  EXPECT_EQ(stored, 2.5);
  modra::RegistryCloseKey(key);
}

TEST_F(ExportHTRTest, WithoutPromptsTheRecordIsUsedAsHeldNotAsStored) {
  Node* hips = Bone("Hips");
  Select(hips);
  user().FillEdit(kOffset, "7");
  Ok();
  ASSERT_EQ(Export(Path("a.htr")), 1);
  EXPECT_EQ(ReadHTR(Path("a.htr"))->StartFrame(), 7);
  ASSERT_EQ(Export(Path("b.htr"), true), 1);
  EXPECT_EQ(ReadHTR(Path("b.htr"))->StartFrame(), 7);

  plugin_.reset();
  std::string error;
  plugin_ = modra::host::PluginLibrary::Load(ZAR_PLUGIN_PATH, error);
  ASSERT_NE(plugin_, nullptr) << error;
  ASSERT_EQ(Export(Path("c.htr"), true), 1);
  EXPECT_EQ(ReadHTR(Path("c.htr"))->StartFrame(), 0);
  EXPECT_TRUE(user().ShownOfKind(ShownEvent::Kind::kDialogOpened).size() == 1);
}

// Every way an export can end leaves the host's animate and set-key modes as they were.
struct EndingCase {
  const char* name;
  std::function<void(ExportHTRTest&)> arrange;
  int result;
  std::vector<std::string> messages;
  bool written;
};

class ExportHTREnding : public ExportHTRTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(ExportHTREnding, ResumesTheHostModes) {
  const EndingCase& c = GetParam();
  scene().animate().on = true;
  scene().setKey().on = true;
  host().SetToolMode("Move");
  c.arrange(*this);
  const std::filesystem::path file = Path(std::string(c.name) + ".htr");
  const std::string target =
      c.name == std::string("writer") ? Path("no/such/folder/x.htr").string() : file.string();
  EXPECT_EQ(host().RunExport(*plugin_->Class(kExportHTRIndex), target, true), c.result);
  EXPECT_EQ(Messages(), c.messages);
  EXPECT_EQ(std::filesystem::exists(file), c.written);
  EXPECT_TRUE(scene().animate().on);
  EXPECT_TRUE(scene().setKey().on);
  EXPECT_TRUE(scene().animate().saved.empty());
  EXPECT_TRUE(scene().setKey().saved.empty());
  EXPECT_EQ(scene().animate().unbalancedResumes + scene().setKey().unbalancedResumes, 0);
  EXPECT_EQ(host().toolMode(), "");
  EXPECT_FALSE(host().progress().active);
  const auto begun = user().ShownOfKind(ShownEvent::Kind::kProgressBegin);
  ASSERT_EQ(begun.size(), 1U);
  EXPECT_EQ(begun[0].text, "Vantrel ExportHTR");
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ExportHTREnding,
    ::testing::Values(
        EndingCase{"written", [](ExportHTRTest& s) { s.Select(s.Bone("Hips")); }, 1, {}, true},
        EndingCase{"nothing_selected",
                   [](ExportHTRTest& s) { s.Bone("Hips"); },
                   0,
                   {"Export Error: Please select the root bone of the skeleton you wish to export"},
                   false},
        EndingCase{"no_bone",
                   [](ExportHTRTest& s) { s.Select(s.Dummy("Rig")); },
                   0,
                   {"Export Error: Please select a Modra 4 bone object to export"},
                   false},
        EndingCase{"grandchild_only",
                   [](ExportHTRTest& s) {
                     Node* rig = s.Dummy("Rig");
                     s.Bone("Hips", s.Dummy("Offset", rig));
                     s.Select(rig);
                   },
                   0,
                   {"Export Error: Please select a Modra 4 bone object to export"},
                   false},
        EndingCase{"root_with_space",
                   [](ExportHTRTest& s) { s.Select(s.Bone("Left Hip")); },
                   0,
                   {kBadName},
                   false},
        EndingCase{"root_with_tab",
                   [](ExportHTRTest& s) { s.Select(s.Bone("Left\tHip")); },
                   0,
                   {kBadName},
                   false},
        EndingCase{"writer",
                   [](ExportHTRTest& s) { s.Select(s.Bone("Hips")); },
                   0,
                   {"ExportHTR Error: The file could not be opened"},
                   false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ExportHTRTest, RootBoneIsTheFirstSelectedOrItsFirstBoneChild) {
  Node* rig = Dummy("Rig");
  Dummy("Props", rig);
  Node* hips = Bone("Hips", rig);
  Bone("Spine", hips);
  Node* other = Bone("Other");
  Select(rig);
  Select(other, true);
  ASSERT_EQ(Export(Path("rig.htr"), true), 1);
  EXPECT_EQ(SegmentNames(*ReadHTR(Path("rig.htr"))), (std::vector<std::string>{"Hips", "Spine"}));

  Select(other);
  Select(hips, true);
  ASSERT_EQ(Export(Path("other.htr"), true), 1);
  EXPECT_EQ(SegmentNames(*ReadHTR(Path("other.htr"))), std::vector<std::string>{"Other"});
}

TEST_F(ExportHTRTest, WalkLeavesOutEffectorsNonBoneDescentsAndRefusedNames) {
  Node* hips = Bone("Hips");
  Node* left = Bone("LeftLeg", hips);
  Node* effector = Bone("LeftFoot_Effector", left);
  Bone("Toe", effector);
  Bone("Tail", Dummy("Helper", hips));
  Node* right = Bone("RightLeg", hips);
  Bone("Foot", Bone("Knee", left));
  Node* second = Bone("Knee", right);  // a name already taken in the other branch
  Bone("Shin", second);
  Bone("Right Foot", right);             // a blank in a name
  Bone("Ankle", Bone("L\tShin", left));  // a tab in a name
  Bone("Heel", Bone("", right));         // no name
  Bone("Spine", hips);
  Select(hips);
  ASSERT_EQ(Export(Path("out.htr"), true), 1);
  auto model = ReadHTR(Path("out.htr"));
  EXPECT_EQ(SegmentNames(*model),
            (std::vector<std::string>{"Hips", "LeftLeg", "Knee", "Foot", "RightLeg", "Spine"}));
  EXPECT_EQ(Messages(), std::vector<std::string>(4, kBadName));
  EXPECT_EQ(model->FindSegment("Foot")->Parent()->Name(), "Knee");
  EXPECT_EQ(model->FindSegment("Spine")->Parent()->Name(), "Hips");
}

TEST_F(ExportHTRTest, SingleBoneWithoutAnimationWritesOneNeutralFrame) {
  Select(Bone("Hips"));
  user().Tick(kExportAnimation, false);
  Ok();
  ASSERT_EQ(Export(Path("out.htr")), 1);
  const std::string text = ReadText(Path("out.htr"));
  EXPECT_NE(text.find("NumSegments 1\r\nNumFrames 1\r\nDataFrameRate 30\r\n"), std::string::npos);
  EXPECT_NE(text.find("Hips\tGLOBAL\r\n"), std::string::npos);
  EXPECT_NE(
      text.find("[Hips]\r\n# Tx<tab>Ty<tab>Tz<tab>Rx<tab>Ry<tab>Rz<tab>BoneScaleFactor<CR>\r\n"
                "1\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t0.000000\t1.000000\r\n"
                "[EndOfFile]\r\n"),
      std::string::npos);
}

TEST_F(ExportHTRTest, BasePositionsFromTheCurrentPoseInHTRAxes) {
  Node* hips = Bone("Hips", nullptr, 12.0f);
  Node* spine = Bone("Spine", hips, 8.0f);
  SetPosition(spine, {10.0f, 0.0f, 0.0f});
  // A non-root bone's turn about the host's X, Y and Z becomes one about HTR's Y, Z and X.
  const float turns[3][3] = {{0.3f, 0, 0}, {0, 0.3f, 0}, {0, 0, 0.3f}};
  const double expected[3][3] = {{0, 0.3, 0}, {0, 0, 0.3}, {0.3, 0, 0}};
  for (int i = 0; i < 3; ++i) {
    SetRotation(Bone("Turn" + std::to_string(i), hips), turns[i][0], turns[i][1], turns[i][2]);
  }
  Select(hips);
  ASSERT_EQ(Export(Path("out.htr"), true), 1);
  auto model = ReadHTR(Path("out.htr"));

  // The root at the origin: the change from host world axes to HTR's, rows (0, 1, 0),
  // (1, 0, 0), (0, 0, -1).
  const HTRSegment* root = model->FindSegment("Hips");
  ExpectVector(root->BaseTranslation(), 0, 0, 0);
  const ZARRotationMatrix3<double> worldToHTR({0, 1, 0}, {1, 0, 0}, {0, 0, -1});
  EXPECT_LT(RotationDistance(MatrixOf(root->BaseRotation()), worldToHTR), 1e-6);
  EXPECT_DOUBLE_EQ(root->BoneLength(), 12.0);

  const HTRSegment* child = model->FindSegment("Spine");
  ExpectVector(child->BaseTranslation(), 0, 10, 0);
  EXPECT_LT(RotationDistance(MatrixOf(child->BaseRotation()), MatrixOf(0, 0, 0)), 1e-6);
  EXPECT_DOUBLE_EQ(child->BoneLength(), 8.0);
  for (int i = 0; i < 3; ++i) {
    const auto& r = model->FindSegment("Turn" + std::to_string(i))->BaseRotation();
    ExpectVector(ZARVector3<double>(r.X(), r.Y(), r.Z()), expected[i][0], expected[i][1],
                 expected[i][2]);
  }
}

TEST_F(ExportHTRTest, SavedBasePositionNeedsAllSevenProperties) {
  Node* hips = Bone("Hips", nullptr, 30.0f);
  Node* spine = Bone("Spine", hips);
  SetPosition(spine, {4.0f, 0.0f, 0.0f});
  const float saved[7] = {1.0f, 2.0f, 3.0f, 0.1f, 0.2f, 0.3f, 15.0f};
  // The saved properties are used as they stand, object offset or not; six of them are not
  // enough, so Spine's current pose is taken and its offset reported.
  SaveBasePosition(hips, saved);
  SaveBasePosition(spine, saved, 6);
  hips->objectOffset().position = {1.0f, 0.0f, 0.0f};
  spine->objectOffset().position = {0.0f, 1.0f, 0.0f};
  Select(hips);
  ASSERT_EQ(Export(Path("out.htr"), true), 1);
  auto model = ReadHTR(Path("out.htr"));
  const HTRSegment* root = model->FindSegment("Hips");
  ExpectVector(root->BaseTranslation(), 1, 2, 3);
  const auto& r = root->BaseRotation();
  ExpectVector(ZARVector3<double>(r.X(), r.Y(), r.Z()), 0.1, 0.2, 0.3);
  EXPECT_DOUBLE_EQ(root->BoneLength(), 15.0);
  // The reference length is 15 / 30: a bone at its unit scale writes the factor 2.
  EXPECT_DOUBLE_EQ(root->FrameScaleFactor(0), 2.0);
  ExpectVector(model->FindSegment("Spine")->BaseTranslation(), 0, 4, 0);
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"ExportHTR Error: Bone: Spine contains an object offset "
                                     "transformation, the resulting skeleton may not be correct."});
}

TEST_F(ExportHTRTest, ObjectOffsetIsReportedOncePerBoneItsOwnOrItsParents) {
  Node* hips = Bone("Hips");
  Node* spine = Bone("Spine", hips);
  Bone("Neck", spine);
  hips->objectOffset().scale = {2.0f, 2.0f, 2.0f};
  Select(hips);
  user().Tick(kCurrentPose, true);
  Ok();
  ASSERT_EQ(Export(Path("out.htr")), 1);
  const std::string tail =
      " contains an object offset transformation, the resulting skeleton "
      "may not be correct.";
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ExportHTR Error: Bone: Hips" + tail,
                                                  "ExportHTR Error: Bone: Spine" + tail}));
}

TEST_F(ExportHTRTest, FramesAreNumberedFromTheRangeStartPlusTheOffset) {
  Node* hips = Bone("Hips");
  Bone("Spine", hips);
  Select(hips);
  user().Press(kRange).FillEdit(kFrom, "10").FillEdit(kTo, "20").FillEdit(kOffset, "5");
  Ok();
  ASSERT_EQ(Export(Path("range.htr")), 1);
  auto model = ReadHTR(Path("range.htr"));
  EXPECT_EQ(model->NumFrames(), 11);
  EXPECT_EQ(model->StartFrame(), 15);
  for (std::int32_t i = 0; i < model->NumSegments(); ++i) {
    EXPECT_EQ(model->Segment(i)->NumStoredFrames(), 11);
  }
  const std::string text = ReadText(Path("range.htr"));
  EXPECT_NE(text.find("\r\n25\t"), std::string::npos);
  EXPECT_EQ(text.find("\r\n26\t"), std::string::npos);

  // "Slider": the scene's range, ticks 0 to 3200 at 160 ticks per frame.
  scene().set_animationRange({0, 3200});
  ASSERT_EQ(Export(Path("slider.htr"), true), 1);
  model = ReadHTR(Path("slider.htr"));
  // Without prompts the record still says "Range", but every export sets its frames to the
  // scene's: 0 to 20.
  EXPECT_EQ(model->NumFrames(), 21);
  EXPECT_EQ(model->StartFrame(), 5);
  user().Press(kSlider).FillEdit(kOffset, "0");
  Ok();
  ASSERT_EQ(Export(Path("slider.htr")), 1);
  model = ReadHTR(Path("slider.htr"));
  EXPECT_EQ(model->NumFrames(), 21);
  EXPECT_EQ(model->StartFrame(), 0);
  EXPECT_EQ(model->DataFrameRate(), 30);
}

TEST_F(ExportHTRTest, FramesAreRelativeToTheBaseAndCarryTheAccumulatedScale) {
  Node* hips = Bone("Hips");
  Node* spine = Bone("Spine", hips);
  SetPosition(spine, {10.0f, 0.0f, 0.0f});
  SetRotation(spine, 0.0f, 0.0f, 0.0f, 0, true);
  SetRotation(spine, 0.0f, 0.0f, 0.5f, 1600, true);  // frame 10: a turn about the host's Z
  SetScale(hips, {1.0f, 1.0f, 1.0f}, 0, true);
  SetScale(hips, {2.0f, 2.0f, 2.0f}, 1600, true);
  scene().set_animationRange({0, 1600});
  Select(hips);
  ASSERT_EQ(Export(Path("out.htr"), true), 1);
  auto model = ReadHTR(Path("out.htr"));
  const HTRSegment* root = model->FindSegment("Hips");
  const HTRSegment* child = model->FindSegment("Spine");
  // Frame 0 is the base pose itself.
  ExpectVector(child->FrameTranslation(0), 0, 0, 0);
  ExpectVector(ZARVector3<double>(child->FrameRotation(0).X(), child->FrameRotation(0).Y(),
                                  child->FrameRotation(0).Z()),
               0, 0, 0);
  EXPECT_DOUBLE_EQ(child->FrameScaleFactor(0), 1.0);
  // Frame 10: the root is twice its size, so the child sits twice as far out, turned about
  // HTR's X.
  EXPECT_DOUBLE_EQ(root->FrameScaleFactor(10), 2.0);
  EXPECT_DOUBLE_EQ(child->FrameScaleFactor(10), 2.0);
  ExpectVector(child->FrameTranslation(10), 0, 10, 0);
  EXPECT_LT(RotationDistance(MatrixOf(child->AbsoluteRotation(10)), MatrixOf(0.5, 0, 0)), 1e-6);
}

TEST_F(ExportHTRTest, LengthsAreScaledByMasterScaleTimesGlobalScale) {
  scene().set_millimetresPerUnit(10.0);
  Node* hips = Bone("Hips", nullptr, 3.0f);
  Node* spine = Bone("Spine", hips, 4.0f);
  SetPosition(spine, {10.0f, 0.0f, 0.0f}, 0, true);
  SetPosition(spine, {11.0f, 0.0f, 0.0f}, 160, true);
  scene().set_animationRange({0, 160});
  Select(hips);
  user().FillEdit(kGlobal, "2");
  Ok();
  ASSERT_EQ(Export(Path("out.htr")), 1);
  auto model = ReadHTR(Path("out.htr"));
  const HTRSegment* child = model->FindSegment("Spine");
  ExpectVector(child->BaseTranslation(), 0, 200, 0, 1e-4);
  ExpectVector(child->FrameTranslation(1), 0, 20, 0, 1e-4);
  EXPECT_DOUBLE_EQ(child->BoneLength(), 80.0);
  EXPECT_DOUBLE_EQ(model->FindSegment("Hips")->BoneLength(), 60.0);
  EXPECT_DOUBLE_EQ(child->FrameScaleFactor(1), 1.0);
}

// A scaled scene parent counts once: in the root's world transform with parent transforms, in
// the root's translations and scale factors without.
TEST_F(ExportHTRTest, ScaledSceneParentOfTheRootIsCountedOnce) {
  for (const bool parentTransforms : {true, false}) {
    SCOPED_TRACE(parentTransforms);
    host().ReplaceScene(std::make_unique<modra::host::Scene>());
    scene().set_animationRange({0, 160});
    Node* rig = Dummy("Rig");
    SetScale(rig, {2.0f, 2.0f, 2.0f});
    Node* hips = Bone("Hips", rig, 5.0f);
    SetPosition(hips, {5.0f, 0.0f, 0.0f}, 0, true);
    SetPosition(hips, {6.0f, 0.0f, 0.0f}, 160, true);
    Select(hips);
    user().Tick(kParentTransforms, parentTransforms);
    Ok();
    ASSERT_EQ(Export(Path("out.htr")), 1);
    auto model = ReadHTR(Path("out.htr"));
    const HTRSegment* root = model->FindSegment("Hips");
    ExpectVector(root->BaseTranslation(), 10, 0, 0);
    ExpectVector(root->FrameTranslation(1), 2, 0, 0);
    EXPECT_DOUBLE_EQ(root->BoneLength(), 10.0);
    EXPECT_DOUBLE_EQ(root->FrameScaleFactor(1), 1.0);
  }
}

TEST_F(ExportHTRTest, BoneWithoutLengthWritesUnnormalisedFactors) {
  Node* hips = Bone("Hips", nullptr, 0.0f);
  const float saved[7] = {0, 0, 0, 0, 0, 0, 0};
  SaveBasePosition(hips, saved);
  Select(hips);
  ASSERT_EQ(Export(Path("out.htr"), true), 1);
  EXPECT_DOUBLE_EQ(ReadHTR(Path("out.htr"))->Segment(0)->FrameScaleFactor(0), 1.0);
}

TEST_F(ExportHTRTest, ProgressRunsFromZeroToOneHundred) {
  Node* hips = Bone("Hips");
  Bone("Spine", hips);
  Select(hips);
  ASSERT_EQ(Export(Path("out.htr"), true), 1);
  std::vector<int> percents;
  for (const auto& e : user().ShownOfKind(ShownEvent::Kind::kProgressUpdate)) {
    percents.push_back(e.number);
  }
  EXPECT_EQ(percents, (std::vector<int>{0, 90, 90, 90, 100}));
  EXPECT_EQ(user().ShownOfKind(ShownEvent::Kind::kProgressEnd).size(), 1U);
}

// An export of more than a million frame lines moves the display on as its segments are written
// instead of standing at 90 for the whole write.
TEST_F(ExportHTRTest, ALongExportShowsProgressWhileItsFramesAreWritten) {
  Node* hips = Bone("Hips");
  Bone("Spine", hips);
  Select(hips);
  scene().set_animationRange({0, 500000 * 160});  // 500001 frames of each segment
  ASSERT_EQ(Export(Path("out.htr"), true), 1);
  std::vector<int> percents;
  for (const auto& e : user().ShownOfKind(ShownEvent::Kind::kProgressUpdate)) {
    percents.push_back(e.number);
  }
  EXPECT_EQ(percents, (std::vector<int>{0, 90, 90, 90, 95, 100}));
}

// Every line of an HTR file's sections after the header, each with its section's name.
std::set<std::string> SectionLines(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line.ends_with('\r')) line.pop_back();
    if (line.starts_with('[')) {
      section = line;
    } else if (section != "[Header]" && !section.empty() && !line.starts_with('#')) {
      lines.insert(section + line);
    }
  }
  return lines;
}

// A long export samples and writes a few segments at a time; each frame still depends on its
// parent's (moving, turning and scaled bones). Every line of short exports, whose segments are
// sampled together, is in the long one.
TEST_F(ExportHTRTest, LongExportWritesTheLinesOfShortOnes) {
  constexpr int kFrames = 40000;
  const modra::TickTime tick = modra::GetTicksPerFrame();
  scene().set_animationRange({0, kFrames * tick});
  Node* hips = Bone("Hips");
  Node* spine = Bone("Spine", hips);
  Node* neck = Bone("Neck", spine);
  Bone("Head", neck);
  for (int i = 0; i <= 4; ++i) {
    const modra::TickTime t = i * (kFrames / 4) * tick;
    const float f = static_cast<float>(i);
    SetPosition(hips, {f, 2.0f * f, 1.0f}, t, true);
    SetRotation(spine, 0.1f * f, 0.2f, -0.3f * f, t, true);
    SetScale(spine, {1.0f + 0.1f * f, 1.0f + 0.1f * f, 1.0f + 0.1f * f}, t, true);
    SetRotation(neck, -0.2f * f, 0.1f * f, 0.05f, t, true);
    SetScale(neck, {1.5f - 0.1f * f, 1.5f - 0.1f * f, 1.5f - 0.1f * f}, t, true);
  }
  Select(hips);
  ASSERT_EQ(Export(Path("long.htr"), true), 1);
  const std::set<std::string> long_lines = SectionLines(ReadText(Path("long.htr")));
  ASSERT_EQ(ReadHTR(Path("long.htr"))->NumFrames(), kFrames + 1);
  for (const auto& [from, to] : {std::pair{"0", "3"}, {"9999", "10001"}, {"39998", "40000"}}) {
    user().Press(kRange).FillEdit(kFrom, from).FillEdit(kTo, to).Press(kOk);
    ASSERT_EQ(Export(Path("short.htr")), 1);
    const std::set<std::string> short_lines = SectionLines(ReadText(Path("short.htr")));
    EXPECT_GE(short_lines.size(), 4U * 4U);
    for (const std::string& line : short_lines) EXPECT_TRUE(long_lines.contains(line)) << line;
  }
}

// Compares an HTR file with one whose numbers were worked out by hand: the same lines and
// words, numbers within `tolerance`, and the angle columns (Rx, Ry, Rz: words 4 to 6 of a
// base-position or frame line) modulo 360 degrees.
void ExpectSameHtr(const std::string& written, const std::string& expected, double tolerance) {
  const auto decimals = [](const std::string& word) {
    const std::size_t point = word.find('.');
    return point == std::string::npos ? 0 : word.size() - point;
  };
  std::istringstream a(written), b(expected);
  std::string line_a, line_b;
  for (int number = 1; std::getline(b, line_b); ++number) {
    ASSERT_TRUE(std::getline(a, line_a)) << "the file ends before line " << number;
    if (line_b.empty() || line_b[0] == '#' || line_b[0] == '[') {
      EXPECT_EQ(line_a, line_b) << "line " << number;
      continue;
    }
    EXPECT_TRUE(line_a.ends_with('\r')) << "line " << number;
    std::istringstream words_a(line_a), words_b(line_b);
    std::string word_a, word_b;
    for (int word = 0; words_b >> word_b; ++word) {
      ASSERT_TRUE(words_a >> word_a) << "line " << number << ": " << line_a;
      char* end = nullptr;
      const double value = std::strtod(word_b.c_str(), &end);
      if (*end != '\0') {
        EXPECT_EQ(word_a, word_b) << "line " << number;
        continue;
      }
      EXPECT_EQ(decimals(word_a), decimals(word_b)) << "line " << number << ": " << word_a;
      double difference = std::strtod(word_a.c_str(), nullptr) - value;
      if (word >= 4 && word <= 6 && line_b.find('\t') != std::string::npos) {
        difference = std::remainder(difference, 360.0);
      }
      EXPECT_LE(std::fabs(difference), tolerance) << "line " << number << ": " << word_a;
    }
    EXPECT_FALSE(words_a >> word_a) << "line " << number << ": " << line_a;
  }
  EXPECT_FALSE(std::getline(a, line_a)) << "more lines than expected: " << line_a;
}

// The whole file of a small animated skeleton against values derived by hand (see README.md
// beside the expected file).
TEST_F(ExportHTRTest, TwoBoneFileMatchesItsGoldenCopy) {
  scene().set_frameRate(60);
  scene().set_animationRange({80, 240});
  Node* hips = Bone("Hips", nullptr, 5.0f);
  Node* spine = Bone("Spine", hips, 4.0f);
  SetPosition(hips, {1.0f, 2.0f, 3.0f}, 80, true);
  SetPosition(hips, {1.0f, 4.0f, 3.0f}, 240, true);
  SetPosition(spine, {5.0f, 0.0f, 0.0f});
  SetRotation(spine, 0.0f, 0.0f, 0.0f, 80, true);
  SetRotation(spine, 0.0f, 0.25f, 0.0f, 240, true);
  Select(hips);
  ASSERT_EQ(Export(Path("two_bones.htr"), true), 1);
  ExpectSameHtr(ReadText(Path("two_bones.htr")),
                ReadText(std::filesystem::path(ZAR_TEST_DATA_DIR) / "export_htr" / "two_bones.htr"),
                1e-5);
}

}  // namespace
}  // namespace zar::test
