// Skeleton building and keying of the HTR importer, run against the stand-in host.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "filelib/htr_file.h"
#include "import_htr/htr_axes.h"
#include "import_htr/htr_import_job.h"
#include "import_htr/htr_keying.h"
#include "import_htr/htr_skeleton.h"
#include "modra/host.h"
#include "tests/import_htr_test_support.h"

namespace {

using modra::Point3;
using modra::Quat;
using modra::host::Node;

constexpr int kTicks = 160;  // ticks per frame at the stand-in's 30 frames per second

void ExpectPoint(const Point3& p, float x, float y, float z, float tolerance = 1e-5f) {
  EXPECT_NEAR(p.x, x, tolerance);
  EXPECT_NEAR(p.y, y, tolerance);
  EXPECT_NEAR(p.z, z, tolerance);
}

void ExpectRotationRows(const Quat& q, const std::array<std::array<float, 3>, 3>& rows) {
  const modra::Matrix3 m = modra::RotationMatrix(q);
  for (std::size_t r = 0; r < 3; ++r) {
    for (std::size_t c = 0; c < 3; ++c) {
      EXPECT_NEAR(m(static_cast<int>(r), static_cast<int>(c)), rows[r][c], 1e-5f) << r << "," << c;
    }
  }
}

std::vector<modra::TickTime> PositionKeyTimes(Node* node) {
  std::vector<modra::TickTime> times;
  for (const auto& [t, p] : node->transform()->position()->keys()) times.push_back(t);
  return times;
}

std::vector<modra::TickTime> RotationKeyTimes(Node* node) {
  std::vector<modra::TickTime> times;
  for (const auto& [t, q] : node->transform()->rotation()->QuatKeys()) times.push_back(t);
  return times;
}

Point3 PositionKey(Node* node, modra::TickTime t) {
  const auto& keys = node->transform()->position()->keys();
  const auto it = keys.find(t);
  EXPECT_NE(it, keys.end()) << "no position key at " << t;
  return it == keys.end() ? Point3() : it->second;
}

// A bone node of `host`'s scene, at top level.
Node* MakeBoneIn(modra::host::Host& host, const std::string& name) {
  auto* object = host.MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId)->AsObject();
  auto* node = static_cast<Node*>(host.MakeNodeForObject(object));
  node->SetNodeName(name.c_str());
  return node;
}

class HtrImportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    job.host = &host;
    job.model = &model;
  }

  // A segment added to the model, below `parent` or a root when parent is null.
  zar::HTRSegment* AddSegment(const std::string& name, zar::HTRSegment* parent) {
    zar::HTRSegment* s = model.AddSegment(zar::HTRSegment(name));
    if (parent != nullptr) {
      s->SetParent(parent);
    } else {
      s->SetRoot(true);
    }
    return s;
  }

  // A bone node named `name` below `parent` (top level when null).
  Node* MakeBone(const std::string& name, Node* parent) {
    Node* node = MakeBoneIn(host, name);
    if (parent != nullptr) parent->LinkChild(node, 0);
    return node;
  }

  Node* MakeDummy(const std::string& name, Node* parent) {
    auto* object = host.MakeObject(modra::kHelperClass, modra::kDummyHelperClassId)->AsObject();
    auto* node = static_cast<Node*>(host.MakeNodeForObject(object));
    node->SetNodeName(name.c_str());
    if (parent != nullptr) parent->LinkChild(node, 0);
    return node;
  }

  // A model whose root "Hips" holds `frames` frames numbered from `start`; frame k moves by
  // (k, 0, 0) and carries no rotation.
  zar::HTRSegment* OneSegmentModel(int start, int frames) {
    model.SetStartFrame(start);
    model.SetNumFrames(frames);
    zar::HTRSegment* hips = AddSegment("Hips", nullptr);
    for (int k = 0; k < frames; ++k) hips->AppendFrame(k, 0, 0, 0, 0, 0, 1);
    return hips;
  }

  modra::host::Host host;
  zar::HTRFile model;
  zar::HTRImportJob job;
};

// --- Key times and frame data ---------------------------------------------------------------

TEST_F(HtrImportFixture, OffsetShiftsBaseAndFrameKeys) {
  const zar::HTRSegment* hips = OneSegmentModel(1, 3);
  Node* node = MakeBone("Hips", nullptr);
  job.choices.keyBasePosition = true;
  job.choices.startFrame = 1;
  job.choices.offset = 10;
  job.frameCount = 3;
  ASSERT_TRUE(zar::KeyNode(job, node, *hips));
  const std::vector<modra::TickTime> expected = {10 * kTicks, 11 * kTicks, 12 * kTicks,
                                                 13 * kTicks};
  EXPECT_EQ(PositionKeyTimes(node), expected);
  EXPECT_EQ(RotationKeyTimes(node), expected);
  // The root maps (x, y, z) to (x, −z, y): frame k moved by k along X.
  ExpectPoint(PositionKey(node, 10 * kTicks), 0, 0, 0);
  ExpectPoint(PositionKey(node, 13 * kTicks), 2, 0, 0);
}

TEST_F(HtrImportFixture, FrameRangeKeysTheChosenFramesOfTheFile) {
  // Frames numbered 3 to 12; frame k (index k − 3) moved by k − 3 along X.
  const zar::HTRSegment* hips = OneSegmentModel(3, 10);
  Node* node = MakeBone("Hips", nullptr);
  job.choices.startFrame = 5;
  job.choices.endFrame = 7;
  job.choices.range = true;
  job.choices.offset = 2;
  job.frameCount = 3;
  ASSERT_TRUE(zar::KeyNode(job, node, *hips));
  const std::vector<modra::TickTime> expected = {7 * kTicks, 8 * kTicks, 9 * kTicks};
  EXPECT_EQ(PositionKeyTimes(node), expected);
  ExpectPoint(PositionKey(node, 7 * kTicks), 2, 0, 0);  // the file's frame 5
  ExpectPoint(PositionKey(node, 9 * kTicks), 4, 0, 0);  // the file's frame 7
}

TEST_F(HtrImportFixture, BasePositionAloneKeysTheCurrentTime) {
  zar::HTRSegment* hips = OneSegmentModel(1, 3);
  hips->SetBaseTranslation(1, 2, 3);
  Node* node = MakeBone("Hips", nullptr);
  host.scene().set_currentTime(777);
  job.choices.animate = false;
  job.choices.keyBasePosition = true;
  job.frameCount = 1;
  ASSERT_TRUE(zar::KeyNode(job, node, *hips));
  EXPECT_EQ(PositionKeyTimes(node), std::vector<modra::TickTime>{777});
  EXPECT_EQ(RotationKeyTimes(node), std::vector<modra::TickTime>{777});
  ExpectPoint(PositionKey(node, 777), 1, -3, 2);
}

TEST_F(HtrImportFixture, FramesTheFileDoesNotHoldAreNotKeyed) {
  const zar::HTRSegment* hips = OneSegmentModel(1, 3);
  model.SetNumFrames(5);
  Node* node = MakeBone("Hips", nullptr);
  job.choices.startFrame = 1;
  job.frameCount = 5;
  ASSERT_TRUE(zar::KeyNode(job, node, *hips));
  EXPECT_EQ(PositionKeyTimes(node), (std::vector<modra::TickTime>{kTicks, 2 * kTicks, 3 * kTicks}));
}

// --- Keying window ---------------------------------------------------------------------------

TEST_F(HtrImportFixture, KeysInsideTheWindowGoAndKeysOutsideStay) {
  const zar::HTRSegment* hips = OneSegmentModel(1, 3);
  Node* node = MakeBone("Hips", nullptr);
  auto& positions = node->transform()->position()->mutable_keys();
  // The window is [1, 4) frames: ticks 160 to 639.
  for (const modra::TickTime t : {0, 159, 400, 639, 640, 8000}) positions[t] = Point3(9, 9, 9);
  job.choices.startFrame = 1;
  job.frameCount = 3;
  ASSERT_TRUE(zar::KeyNode(job, node, *hips));
  EXPECT_EQ(PositionKeyTimes(node),
            (std::vector<modra::TickTime>{0, 159, 160, 320, 480, 640, 8000}));
  ExpectPoint(PositionKey(node, 640), 9, 9, 9);
  ExpectPoint(PositionKey(node, 480), 2, 0, 0);
}

TEST(HtrKeyWindow, ClearsOnlyTheHalfOpenWindow) {
  modra::host::Host host;
  modra::host::PointController c(host.scene(), modra::ControllerValueKind::kPosition);
  for (const modra::TickTime t : {-5, 0, 1, 99, 100, 101}) c.mutable_keys()[t] = Point3();
  zar::ClearKeyWindow(c, 0, 100);
  std::vector<modra::TickTime> left;
  for (const auto& [t, p] : c.keys()) left.push_back(t);
  EXPECT_EQ(left, (std::vector<modra::TickTime>{-5, 100, 101}));
  zar::ClearKeyWindow(c, 200, 300);  // beyond every key
  EXPECT_EQ(c.KeyCount(), 3);
}

// --- Scale of the parent and global scale ----------------------------------------------------

TEST_F(HtrImportFixture, TranslationsFollowParentScaleAndGlobalScale) {
  struct Case {
    float parentScale;
    double scaleFactor;
    float factor;
  };
  const Case cases[] = {{1, 1, 1}, {2, 1, 0.5f}, {2, 2, 1}, {1, 2, 2}, {4, 0.5, 0.125f}};
  zar::HTRSegment* hips = OneSegmentModel(1, 1);
  zar::HTRSegment* spine = AddSegment("Spine", hips);
  spine->SetBaseTranslation(1, 2, 3);
  spine->AppendFrame(0, 0, 0, 0, 0, 0, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "parent scale " << c.parentScale << ", scale factor " << c.scaleFactor);
    Node* parent = MakeDummy("Parent", nullptr);
    parent->transform()->scale()->set_constant(Point3(c.parentScale, c.parentScale, c.parentScale));
    Node* node = MakeBone("Spine", parent);
    job.choices.keyBasePosition = true;
    job.choices.scaleFactor = c.scaleFactor;
    job.choices.startFrame = 1;
    job.frameCount = 1;
    ASSERT_TRUE(zar::KeyNode(job, node, *spine));
    // A segment that is not the root maps (x, y, z) to (y, z, x).
    ExpectPoint(PositionKey(node, 0), 2 * c.factor, 3 * c.factor, 1 * c.factor);
    ExpectPoint(PositionKey(node, kTicks), 2 * c.factor, 3 * c.factor, 1 * c.factor);
  }
}

// --- Mapping of root and other segments ------------------------------------------------------

TEST_F(HtrImportFixture, ZeroRotationsMapToTheAxisChange) {
  zar::HTRSegment* hips = OneSegmentModel(1, 1);
  zar::HTRSegment* spine = AddSegment("Spine", hips);
  spine->AppendFrame(1, 2, 3, 0, 0, 0, 1);
  hips->SetBaseTranslation(0, 0, 0);
  Node* hipsNode = MakeBone("Hips", nullptr);
  Node* spineNode = MakeBone("Spine", hipsNode);
  job.choices.startFrame = 1;
  job.frameCount = 1;
  ASSERT_TRUE(zar::KeyNode(job, hipsNode, *hips));
  const Quat root = hipsNode->transform()->rotation()->Evaluate(kTicks);
  ExpectRotationRows(root, {{{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}});
  const Quat other = spineNode->transform()->rotation()->Evaluate(kTicks);
  ExpectRotationRows(other, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}});
  ExpectPoint(PositionKey(spineNode, kTicks), 2, 3, 1);
}

TEST(HtrHostRotation, PassesTheConjugateWithNegatedScalar) {
  // The identity reaches the host as (0, 0, 0, −1); a turn about +X by t as
  // (sin t/2, 0, 0, −cos t/2).
  const Quat identity = zar::HostRotation(zar::ZARRotationMatrix3<double>());
  EXPECT_EQ(identity, Quat(0, 0, 0, -1));
  const double t = 0.6;
  const zar::ZARRotationMatrix3<double> turn(zar::ZARVector3<double>(1, 0, 0),
                                             zar::ZARVector3<double>(0, std::cos(t), std::sin(t)),
                                             zar::ZARVector3<double>(0, -std::sin(t), std::cos(t)));
  const Quat q = zar::HostRotation(turn);
  EXPECT_NEAR(q.x, std::sin(t / 2), 1e-7);
  EXPECT_NEAR(q.w, -std::cos(t / 2), 1e-7);
  ExpectRotationRows(q, {{{1, 0, 0},
                          {0, static_cast<float>(std::cos(t)), static_cast<float>(std::sin(t))},
                          {0, static_cast<float>(-std::sin(t)), static_cast<float>(std::cos(t))}}});
}

// --- Children, controllers, failures ---------------------------------------------------------

class HtrHierarchyKeying : public HtrImportFixture {
 protected:
  void SetUp() override {
    HtrImportFixture::SetUp();
    hips = OneSegmentModel(1, 2);
    for (const char* name : {"Spine", "LeftLeg"}) {
      zar::HTRSegment* s = AddSegment(name, hips);
      s->AppendFrame(0, 0, 0, 0, 0, 0, 1);
      s->AppendFrame(0, 0, 0, 0, 0, 0, 1);
    }
    zar::HTRSegment* head = AddSegment("Head", model.FindSegment("Spine"));
    head->AppendFrame(0, 0, 0, 0, 0, 0, 1);
    head->AppendFrame(0, 0, 0, 0, 0, 0, 1);
    job.choices.startFrame = 1;
    job.frameCount = 2;
  }

  zar::HTRSegment* hips = nullptr;
};

TEST_F(HtrHierarchyKeying, ChildrenAreMatchedByExactNameAmongBones) {
  Node* hipsNode = MakeBone("Hips", nullptr);
  Node* dummySpine = MakeDummy("Spine", hipsNode);  // right name, not a bone
  Node* spine = MakeBone("spine", hipsNode);        // a bone, wrong case
  Node* head = MakeBone("Head", spine);
  Node* leg = MakeBone("LeftLeg", hipsNode);
  ASSERT_TRUE(zar::KeyNode(job, hipsNode, *hips));
  EXPECT_EQ(hipsNode->transform()->position()->KeyCount(), 2);
  EXPECT_EQ(leg->transform()->position()->KeyCount(), 2);
  EXPECT_EQ(dummySpine->transform()->position()->KeyCount(), 0);
  EXPECT_EQ(spine->transform()->position()->KeyCount(), 0);
  EXPECT_EQ(head->transform()->position()->KeyCount(), 0);  // below a skipped segment
}

TEST_F(HtrHierarchyKeying, RefusingControllerStopsKeyingAndKeepsEarlierKeys) {
  Node* hipsNode = MakeBone("Hips", nullptr);
  Node* spine = MakeBone("Spine", hipsNode);
  Node* head = MakeBone("Head", spine);
  Node* leg = MakeBone("LeftLeg", hipsNode);
  host.scene().animate().on = false;
  spine->transform()->rotation()->set_locked(true);
  EXPECT_FALSE(zar::KeyNode(job, hipsNode, *hips));
  EXPECT_EQ(hipsNode->transform()->position()->KeyCount(), 2);
  EXPECT_EQ(spine->transform()->position()->KeyCount(), 1);  // set before the rotation refused
  EXPECT_EQ(head->transform()->position()->KeyCount(), 0);
  EXPECT_EQ(leg->transform()->position()->KeyCount(), 0);
  // Animate mode is as it was, with nothing left suspended.
  EXPECT_FALSE(host.scene().animate().on);
  EXPECT_TRUE(host.scene().animate().saved.empty());
}

TEST_F(HtrHierarchyKeying, ProgressRunsFromTenToAHundred) {
  Node* hipsNode = MakeBone("Hips", nullptr);
  Node* spine = MakeBone("Spine", hipsNode);
  MakeBone("Head", spine);
  MakeBone("LeftLeg", hipsNode);
  host.BeginProgress("test", 1, nullptr, nullptr);
  ASSERT_TRUE(zar::KeyNode(job, hipsNode, *hips));
  std::vector<int> percents;
  for (const auto& e : host.user().ShownOfKind(modra::host::ShownEvent::Kind::kProgressUpdate)) {
    percents.push_back(e.number);
  }
  // Each node counts once its branch is done: Head, Spine, LeftLeg, Hips.
  EXPECT_EQ(percents, (std::vector<int>{32, 55, 77, 100}));
  EXPECT_EQ(job.keyedSegments, 4);
}

TEST_F(HtrHierarchyKeying, TcbOptionReplacesTheRotationControllerUnlessRefused) {
  Node* hipsNode = MakeBone("Hips", nullptr);
  Node* spine = MakeBone("Spine", hipsNode);
  MakeBone("Head", spine);
  MakeBone("LeftLeg", hipsNode);
  // A key outside the window travels to the new controller.
  modra::host::RotationController* before = hipsNode->transform()->rotation();
  before->SetKey(50 * kTicks, Quat(0, 0, 0, 1));
  spine->transform()->set_refusesRotation(true);
  job.choices.rotationController = 1;
  ASSERT_TRUE(zar::KeyNode(job, hipsNode, *hips));
  EXPECT_EQ(hipsNode->transform()->rotation()->ClassIdentifier(), modra::kTcbRotationClassId);
  EXPECT_EQ(RotationKeyTimes(hipsNode),
            (std::vector<modra::TickTime>{kTicks, 2 * kTicks, 50 * kTicks}));
  EXPECT_EQ(spine->transform()->rotation()->ClassIdentifier(), modra::kEulerRotationClassId);
  EXPECT_EQ(spine->transform()->rotation()->KeyCount(), 2);
}

// --- Skeleton building -----------------------------------------------------------------------

class HtrSkeletonBuild : public HtrImportFixture {
 protected:
  void SetUp() override {
    HtrImportFixture::SetUp();
    model.SetNumFrames(0);
    hips = AddSegment("Hips", nullptr);
    hips->SetBaseTranslation(1, 2, 3);
    hips->SetBoneLength(5);
    zar::HTRSegment* spine = AddSegment("Spine", hips);
    spine->SetBaseTranslation(1, 2, 3);
    spine->SetBaseRotation(0.1, 0.2, 0.3);
    spine->SetBoneLength(10);
    AddSegment("Head", spine)->SetBoneLength(4);
    AddSegment("LeftLeg", hips)->SetBoneLength(8);
  }

  static float Parameter(Node* node, int id) {
    float value = 0.0f;
    modra::Interval valid = modra::Interval::Forever();
    node->NodeObject()->ParameterBlock(0)->FloatParameter(id, 0, value, valid, 0);
    return value;
  }

  static float Property(Node* node, const char* key) {
    float value = -1.0f;
    EXPECT_TRUE(node->UserFloatProperty(key, value)) << key;
    return value;
  }

  zar::HTRSegment* hips = nullptr;
};

TEST_F(HtrSkeletonBuild, BuildsNamedBonesInFileOrder) {
  zar::HTRSkeletonBuilder builder(job);
  auto* root = static_cast<Node*>(builder.CreateSkeleton(*hips, nullptr));
  ASSERT_NE(root, nullptr);
  std::vector<std::string> names;
  for (Node* n : host.scene().nodes()) names.push_back(n->name());
  EXPECT_EQ(names, (std::vector<std::string>{"Hips", "Spine", "Head", "LeftLeg"}));
  ASSERT_EQ(root->children().size(), 2U);
  EXPECT_EQ(root->children()[0]->name(), "Spine");
  EXPECT_EQ(root->children()[0]->children()[0]->name(), "Head");
  for (Node* n : host.scene().nodes()) {
    EXPECT_TRUE(zar::IsBoneNode(n));
    EXPECT_EQ(n->showBoneLinks(), 0);
    EXPECT_EQ(n->boneMode(), 1);
  }
}

TEST_F(HtrSkeletonBuild, BaseTranslationMapsAndIsRecordedAsGiven) {
  zar::HTRSkeletonBuilder builder(job);
  auto* root = static_cast<Node*>(builder.CreateSkeleton(*hips, nullptr));
  ASSERT_NE(root, nullptr);
  Node* spine = root->children()[0];
  ExpectPoint(root->transform()->position()->constant(), 1, -3, 2);
  ExpectPoint(spine->transform()->position()->constant(), 2, 3, 1);
  for (Node* n : {root, spine}) {
    EXPECT_FLOAT_EQ(Property(n, "HTRBaseTransX"), 1);
    EXPECT_FLOAT_EQ(Property(n, "HTRBaseTransY"), 2);
    EXPECT_FLOAT_EQ(Property(n, "HTRBaseTransZ"), 3);
  }
  EXPECT_FLOAT_EQ(Property(spine, "HTRBaseRotX"), 0.1f);
  EXPECT_FLOAT_EQ(Property(spine, "HTRBaseRotY"), 0.2f);
  EXPECT_FLOAT_EQ(Property(spine, "HTRBaseRotZ"), 0.3f);
  EXPECT_FLOAT_EQ(Property(spine, "HTRBaseLength"), 10);
  ExpectRotationRows(root->transform()->rotation()->Evaluate(0),
                     {{{0, 0, 1}, {0, -1, 0}, {1, 0, 0}}});
  // The spine's node rotation is its base rotation seen through the bone axes.
  const zar::ZARRotationMatrix3<double> expected =
      zar::MapHTRRotation(zar::HTREulerMatrix(0.1, 0.2, 0.3), false);
  const modra::Matrix3 got = modra::RotationMatrix(spine->transform()->rotation()->Evaluate(0));
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(got(r, c), expected[static_cast<std::uint32_t>(r)][static_cast<std::uint32_t>(c)],
                  1e-5);
    }
  }
}

TEST_F(HtrSkeletonBuild, BoneSizesFollowSizeAndScale) {
  job.choices.size = 1.0f;
  job.choices.scaleFactor = 2.0;
  zar::HTRSkeletonBuilder builder(job);
  auto* root = static_cast<Node*>(builder.CreateSkeleton(*hips, nullptr));
  ASSERT_NE(root, nullptr);
  Node* spine = root->children()[0];
  EXPECT_FLOAT_EQ(Parameter(spine, modra::kBoneLength), 20);
  EXPECT_FLOAT_EQ(Parameter(spine, modra::kBoneWidth), 4);
  EXPECT_FLOAT_EQ(Parameter(spine, modra::kBoneHeight), 4);
  auto* dummy = static_cast<Node*>(builder.CreateRootDummy("walk"));
  ExpectPoint(dummy->object()->BoxHigh(), 2, 2, 2);
  ExpectPoint(dummy->object()->BoxLow(), -2, -2, -2);
}

TEST_F(HtrSkeletonBuild, EndEffectorsSitAtTheEndOfEachLeafBone) {
  for (const double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    modra::host::Host fresh;
    job.host = &fresh;
    job.choices.endEffectors = true;
    job.choices.scaleFactor = scale;
    zar::HTRSkeletonBuilder builder(job);
    auto* root = static_cast<Node*>(builder.CreateSkeleton(*hips, nullptr));
    ASSERT_NE(root, nullptr);
    Node* head = root->children()[0]->children()[0];
    ASSERT_EQ(head->children().size(), 1U);
    Node* effector = head->children()[0];
    EXPECT_EQ(effector->name(), "Head_Effector");
    EXPECT_TRUE(zar::IsBoneNode(effector));
    // Along the leaf's own X axis, the bone's drawn length away.
    const modra::Matrix3 leaf = head->NodeTransform(0);
    const modra::Matrix3 end = effector->NodeTransform(0);
    const Point3 expected = leaf.Translation() + leaf.GetRow(0) * static_cast<float>(4 * scale);
    ExpectPoint(end.Translation(), expected.x, expected.y, expected.z);
    EXPECT_FLOAT_EQ(Parameter(effector, modra::kBoneLength), static_cast<float>(0.8 * scale));
    // Only leaves get one.
    EXPECT_EQ(root->children()[0]->children().size(), 1U);
    EXPECT_EQ(root->children()[1]->children()[0]->name(), "LeftLeg_Effector");
  }
}

TEST_F(HtrSkeletonBuild, SegmentLinkedTwiceGetsOneNode) {
  model.FindSegment("Head")->SetParent(model.FindSegment("Spine"));
  zar::HTRSkeletonBuilder builder(job);
  ASSERT_NE(builder.CreateSkeleton(*hips, nullptr), nullptr);
  EXPECT_EQ(host.scene().nodes().size(), 4U);
}

TEST_F(HtrSkeletonBuild, RefusedValueRemovesEveryNodeTheBuildMade) {
  for (const bool endEffectors : {false, true}) {
    // Nodes are made Hips, Spine, Head, (Head_Effector,) LeftLeg (, LeftLeg_Effector).
    const int made = endEffectors ? 6 : 4;
    for (const bool rotation : {false, true}) {
      for (int refusing = 1; refusing <= made; ++refusing) {
        SCOPED_TRACE(testing::Message() << "node " << refusing << (rotation ? " rotation" : "")
                                        << (endEffectors ? " with effectors" : ""));
        modra::host::Host fresh;
        Node* other = MakeBoneIn(fresh, "Existing");
        zar::testing::RefusingHost refusingHost(fresh, refusing, rotation);
        job.host = &refusingHost;
        job.choices.endEffectors = endEffectors;
        zar::HTRSkeletonBuilder builder(job);
        modra::SceneNode* top = builder.CreateSkeleton(*hips, nullptr);
        if (endEffectors && (refusing == 4 || refusing == 6)) {
          // An effector is never given a value, so its locked controller does not matter.
          EXPECT_NE(top, nullptr);
          EXPECT_EQ(fresh.scene().nodes().size(), 7U);
          continue;
        }
        EXPECT_EQ(top, nullptr);
        ASSERT_EQ(fresh.scene().nodes().size(), 1U);
        EXPECT_EQ(fresh.scene().nodes()[0], other);
      }
    }
  }
}

// --- Small helpers ---------------------------------------------------------------------------

TEST(HtrDummyName, NameIsTheFileNameWithoutFolderAndExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\mocap\\walk.fast.htr", "walk.fast"},
      {"/data/mocap/fight_a.htr", "fight_a"},
      {"walk.htr", "walk"},
      {"walk", "walk"},
      {"C:\\my.takes\\walk", "walk"},
      {"takes/", ""},
      {".htr", ""},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(zar::DummyNameForFile(path), name) << path;
}

TEST(HtrBiped, AnySelectedNodeOnABipedControllerCounts) {
  const modra::ClassId bipeds[] = {modra::kBipedBodyClassId, modra::kBipedLimbClassId,
                                   modra::kBipedPartClassId, modra::kBipedStepsClassId};
  for (const modra::ClassId id : bipeds) {
    modra::host::Host host;
    Node* plain = host.scene().MakeNode(nullptr, "Plain");
    Node* biped = host.scene().MakeNode(nullptr, "Biped");
    EXPECT_FALSE(zar::IsBipedSelected(host));
    host.scene().Select(plain, false);
    EXPECT_FALSE(zar::IsBipedSelected(host));
    biped->transform()->set_classId(id);
    host.scene().Select(biped, true);
    EXPECT_TRUE(zar::IsBipedSelected(host)) << id.a;
  }
}

TEST(HtrWireColour, ChannelsPackRedLow) {
  EXPECT_EQ(zar::PackWireColour(Point3(1, 0, 0)), 0x0000FFU);
  EXPECT_EQ(zar::PackWireColour(Point3(0, 1, 0)), 0x00FF00U);
  EXPECT_EQ(zar::PackWireColour(Point3(0, 0, 0.5f)), 0x7F0000U);  // 127.5 truncated
  EXPECT_EQ(zar::PackWireColour(Point3(-1, 2, 0)), 0x00FF00U);    // clamped
}

}  // namespace
