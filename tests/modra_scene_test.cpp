// The stand-in's scene: keys and their evaluation, parents, animate-mode nesting, controller
// replacement, fault switches, node operations, and the quaternion/Euler conventions the HTR
// translators rely on.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <string>

#include "math/zar_math.h"
#include "modra/host.h"

namespace {

using modra::Matrix3;
using modra::Point3;
using modra::Quat;
using modra::host::Host;

constexpr double kPi = 3.14159265358979323846;

void ExpectNear(const Point3& a, const Point3& b, float tolerance = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

void ExpectNear(const Matrix3& a, const Matrix3& b, float tolerance = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(a(r, c), b(r, c), tolerance) << "entry " << r << "," << c;
}

class SceneTest : public ::testing::Test {
 protected:
  modra::SceneNode* MakeBone(const char* name) {
    auto* object = host_.MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId)->AsObject();
    modra::SceneNode* node = host_.MakeNodeForObject(object);
    node->SetNodeName(name);
    return node;
  }
  static modra::Controller* Position(modra::SceneNode* n) {
    return n->TransformController()->PositionController();
  }
  static modra::Controller* Rotation(modra::SceneNode* n) {
    return n->TransformController()->RotationSubController();
  }
  static void Set(modra::Controller* c, modra::TickTime t, const Point3& p) {
    c->SetControllerValue(t, &p, 1, modra::kValueAbsolute);
  }
  static void Set(modra::Controller* c, modra::TickTime t, const Quat& q) {
    c->SetControllerValue(t, &q, 1, modra::kValueAbsolute);
  }
  // The host quaternion of a turn by `angle` about the unit axis (x, y, z).
  static Quat Turn(double angle, double x, double y, double z) {
    const double s = std::sin(angle / 2);
    // Host quaternions are the conjugates of the usual ones.
    return {static_cast<float>(-x * s), static_cast<float>(-y * s), static_cast<float>(-z * s),
            static_cast<float>(std::cos(angle / 2))};
  }

  Host host_;
};

TEST_F(SceneTest, KeysSetWithAnimateOnAreReadBackAndInterpolated) {
  modra::SceneNode* bone = MakeBone("Hips");
  modra::SuspendAnimate();
  modra::AnimateOn();
  Set(Position(bone), 0, Point3(0, 0, 0));
  Set(Position(bone), 160, Point3(10, 20, 30));
  Set(Rotation(bone), 0, Quat());
  Set(Rotation(bone), 160, Turn(kPi / 2, 0, 0, 1));
  modra::ResumeAnimate();
  EXPECT_EQ(Position(bone)->KeyCount(), 2);
  EXPECT_EQ(Rotation(bone)->KeyCount(), 2);
  EXPECT_EQ(Position(bone)->KeyTime(1), 160);

  ExpectNear(bone->NodeTransform(160).Translation(), Point3(10, 20, 30));
  ExpectNear(bone->NodeTransform(80).Translation(), Point3(5, 10, 15));
  ExpectNear(bone->NodeTransform(40).Translation(), Point3(2.5f, 5, 7.5f));
  // Before the first key and after the last the end keys hold.
  ExpectNear(bone->NodeTransform(-50).Translation(), Point3(0, 0, 0));
  ExpectNear(bone->NodeTransform(1000).Translation(), Point3(10, 20, 30));
  // A quarter turn about Z at 160: X goes to Y (row 0 is the image of X).
  ExpectNear(bone->NodeTransform(160).GetRow(0), Point3(0, 1, 0));
  // Half way, an eighth turn.
  const float h = static_cast<float>(std::sqrt(0.5));
  ExpectNear(bone->NodeTransform(80).GetRow(0), Point3(h, h, 0));
}

TEST_F(SceneTest, ValuesSetWithAnimateOffMoveTheWholeTrack) {
  modra::SceneNode* bone = MakeBone("Hips");
  Set(Position(bone), 100, Point3(1, 2, 3));  // no keys: the constant changes
  EXPECT_EQ(Position(bone)->KeyCount(), 0);
  ExpectNear(bone->NodeTransform(5000).Translation(), Point3(1, 2, 3));

  modra::AnimateOn();
  Set(Position(bone), 0, Point3(0, 0, 0));
  Set(Position(bone), 100, Point3(10, 0, 0));
  modra::AnimateOff();
  Set(Position(bone), 100, Point3(10, 5, 0));  // keyed: every key moves by (0, 5, 0)
  EXPECT_EQ(Position(bone)->KeyCount(), 2);
  ExpectNear(bone->NodeTransform(0).Translation(), Point3(0, 5, 0));
  ExpectNear(bone->NodeTransform(100).Translation(), Point3(10, 5, 0));
}

TEST_F(SceneTest, ParentsCompose) {
  modra::SceneNode* parent = MakeBone("Parent");
  modra::SceneNode* child = MakeBone("Child");
  parent->LinkChild(child, 0);
  EXPECT_EQ(child->ParentNode(), parent);
  EXPECT_EQ(parent->ParentNode(), host_.RootNode());
  EXPECT_EQ(host_.RootNode()->ParentNode(), nullptr);

  Set(Position(parent), 0, Point3(100, 0, 0));
  Set(Rotation(parent), 0, Turn(kPi / 2, 0, 0, 1));
  Point3 twice(2, 2, 2);
  parent->TransformController()->ScaleSubController()->SetControllerValue(0, &twice, 1,
                                                                          modra::kValueAbsolute);
  Set(Position(child), 0, Point3(10, 0, 0));
  // The child's origin: (10, 0, 0) scaled by 2, turned a quarter about Z, moved by 100 in X.
  ExpectNear(child->NodeTransform(0).Translation(), Point3(100, 20, 0));
  const Matrix3 expected = TranslationMatrix(Point3(10, 0, 0)) * parent->NodeTransform(0);
  ExpectNear(child->NodeTransform(0), expected);

  // keepWorldPosition 1: relinking to the root leaves the world transform unchanged.
  const Matrix3 before = child->NodeTransform(0);
  host_.RootNode()->LinkChild(child, 1);
  EXPECT_EQ(child->ParentNode(), host_.RootNode());
  ExpectNear(child->NodeTransform(0), before, 1e-4f);
  // A node cannot become a child of its own descendant, nor of itself.
  child->LinkChild(parent, 0);
  EXPECT_EQ(parent->ParentNode(), child);
  parent->LinkChild(child, 0);
  parent->LinkChild(parent, 0);
  EXPECT_EQ(child->ParentNode(), host_.RootNode());
  EXPECT_EQ(parent->ParentNode(), child);
}

TEST_F(SceneTest, SuspendAndResumeNest) {
  EXPECT_FALSE(modra::IsAnimating());
  modra::AnimateOn();
  modra::SuspendAnimate();  // importer: saves on, switches off
  EXPECT_FALSE(modra::IsAnimating());
  modra::SuspendSetKeyMode();
  modra::AnimateOff();
  modra::SuspendAnimate();  // keying one node: saves off
  modra::AnimateOn();
  EXPECT_TRUE(modra::IsAnimating());
  modra::ResumeAnimate();
  EXPECT_FALSE(modra::IsAnimating());
  modra::ResumeSetKeyMode();
  modra::ResumeAnimate();
  EXPECT_TRUE(modra::IsAnimating());
  modra::ResumeAnimate();  // unbalanced: ignored and counted
  EXPECT_TRUE(modra::IsAnimating());
  EXPECT_EQ(host_.scene().animate().unbalancedResumes, 1);
  EXPECT_EQ(host_.scene().setKey().unbalancedResumes, 0);
}

TEST_F(SceneTest, RemoveKeyAtRemovesOnlyThatKey) {
  modra::SceneNode* bone = MakeBone("Hips");
  modra::AnimateOn();
  for (modra::TickTime t : {0, 160, 320, 480}) {
    Set(Position(bone), t, Point3(static_cast<float>(t), 0, 0));
    Set(Rotation(bone), t, Turn(t / 1000.0, 1, 0, 0));
  }
  for (modra::Controller* c : {Position(bone), Rotation(bone)}) {
    c->RemoveKeyAt(161);  // no key there: nothing happens
    c->RemoveKeyAt(-5);
    c->RemoveKeyAt(100000);
    EXPECT_EQ(c->KeyCount(), 4);
    c->RemoveKeyAt(320);
    ASSERT_EQ(c->KeyCount(), 3);
    EXPECT_EQ(c->KeyTime(0), 0);
    EXPECT_EQ(c->KeyTime(1), 160);
    EXPECT_EQ(c->KeyTime(2), 480);
  }
  // Setting again replaces the key at that time.
  Set(Position(bone), 160, Point3(7, 7, 7));
  EXPECT_EQ(Position(bone)->KeyCount(), 3);
  ExpectNear(bone->NodeTransform(160).Translation(), Point3(7, 7, 7));
}

// Keys set, removed in runs (as windows are cleared) and in between, and read back by index and
// by evaluation in and out of time order, against a plain ordered map of the same keys.
TEST_F(SceneTest, KeysMatchAnOrderedMapThroughRemovalRunsAndReads) {
  modra::SceneNode* bone = MakeBone("Hips");
  modra::Controller* c = Position(bone);
  std::map<modra::TickTime, float> expected;
  std::mt19937 random(7);
  modra::AnimateOn();
  for (int round = 0; round < 300; ++round) {
    const auto t = static_cast<modra::TickTime>(random() % 400);
    switch (random() % 5) {
      case 0:
      case 1:  // a new or replaced key (mostly after the last one)
        Set(c, t + (round % 3 == 0 ? 0 : 400), Point3(static_cast<float>(round), 0, 0));
        expected[t + (round % 3 == 0 ? 0 : 400)] = static_cast<float>(round);
        break;
      case 2:  // a window cleared tick by tick, upwards or downwards
        for (modra::TickTime k = 0; k < 40; ++k) {
          const modra::TickTime at = round % 2 == 0 ? t + k : t + 40 - k;
          c->RemoveKeyAt(at);
          expected.erase(at);
        }
        break;
      case 3:  // a single key
        c->RemoveKeyAt(t);
        expected.erase(t);
        break;
      default: {  // read back
        ASSERT_EQ(c->KeyCount(), static_cast<int>(expected.size()));
        int index = 0;
        for (const auto& [time, x] : expected) {
          ASSERT_EQ(c->KeyTime(index++), time);
          Point3 value;
          c->ControllerValue(time, &value);
          ASSERT_EQ(value.x, x) << "at " << time;
        }
      }
    }
  }
}

TEST_F(SceneTest, TcbControllerTakesOverTheEulerKeys) {
  modra::SceneNode* bone = MakeBone("Hips");
  modra::AnimateOn();
  Set(Rotation(bone), 0, Turn(0.3, 1, 0, 0));
  Set(Rotation(bone), 160, Turn(0.9, 0, 1, 0));
  const Matrix3 at0 = bone->NodeTransform(0), at160 = bone->NodeTransform(160);

  auto* tcb =
      host_.MakeObject(modra::kRotationControllerClass, modra::kTcbRotationClassId)->AsController();
  ASSERT_NE(tcb, nullptr);
  tcb->CopyController(Rotation(bone));
  ASSERT_EQ(bone->TransformController()->ReplaceRotationController(tcb), 1);
  EXPECT_EQ(Rotation(bone), tcb);
  EXPECT_EQ(tcb->ClassIdentifier(), modra::kTcbRotationClassId);
  EXPECT_EQ(tcb->KeyCount(), 2);
  ExpectNear(bone->NodeTransform(0), at0);
  ExpectNear(bone->NodeTransform(160), at160);
  // An installed controller cannot be installed again or deleted.
  EXPECT_EQ(bone->TransformController()->ReplaceRotationController(tcb), 0);
  tcb->DeleteController();
  EXPECT_EQ(Rotation(bone), tcb);
  EXPECT_EQ(tcb->KeyCount(), 2);
}

TEST_F(SceneTest, FaultSwitches) {
  modra::SceneNode* bone = MakeBone("Hips");
  auto* transform = static_cast<modra::host::TransformController*>(bone->TransformController());

  // A controller that refuses values.
  transform->position()->set_locked(true);
  EXPECT_EQ(Position(bone)->ControllerCheck(), 0);
  modra::AnimateOn();
  Set(Position(bone), 0, Point3(1, 1, 1));
  EXPECT_EQ(Position(bone)->KeyCount(), 0);
  EXPECT_EQ(transform->position()->refusedValues(), 1);
  EXPECT_EQ(Rotation(bone)->ControllerCheck(), 1);

  // A transform controller that refuses a new rotation controller: the new one can be deleted.
  transform->set_refusesRotation(true);
  auto* tcb = host_.MakeObject(modra::kRotationControllerClass, modra::kTcbRotationClassId);
  EXPECT_EQ(transform->ReplaceRotationController(tcb->AsController()), 0);
  EXPECT_TRUE(host_.scene().Owns(tcb));
  tcb->AsController()->DeleteController();
  EXPECT_FALSE(host_.scene().Owns(tcb));
  EXPECT_EQ(Rotation(bone)->ClassIdentifier(), modra::kEulerRotationClassId);

  // A node without a position controller still evaluates (at the origin).
  transform->RemovePositionController();
  EXPECT_EQ(Position(bone), nullptr);
  EXPECT_EQ(bone->NodeTransform(0).Translation(), Point3());

  // A biped-driven node: its transform controller carries a biped class identifier.
  transform->set_classId(modra::kBipedLimbClassId);
  EXPECT_EQ(bone->TransformController()->ClassIdentifier(), modra::kBipedLimbClassId);
}

TEST_F(SceneTest, ObjectsAndParameters) {
  struct Case {
    modra::SuperClassId superClass;
    modra::ClassId id;
    const char* name;
    bool dummy;
  };
  for (const Case& c :
       {Case{modra::kGeometryClass, modra::kBoneObjectClassId, "Bone001", false},
        Case{modra::kGeometryClass, modra::kSphereObjectClassId, "Sphere001", false},
        Case{modra::kHelperClass, modra::kPointHelperClassId, "Point001", false},
        Case{modra::kHelperClass, modra::kDummyHelperClassId, "Dummy001", true}}) {
    modra::SceneEntity* e = host_.MakeObject(c.superClass, c.id);
    ASSERT_NE(e, nullptr) << c.name;
    EXPECT_EQ(e->ClassIdentifier(), c.id);
    modra::SceneNode* node = host_.MakeNodeForObject(e->AsObject());
    ASSERT_NE(node, nullptr);
    EXPECT_STREQ(node->NodeName(), c.name);
    EXPECT_EQ(node->NodeObjectKind(0), c.superClass);
    EXPECT_EQ(e->AsObject()->AsDummyObject() != nullptr, c.dummy);
    EXPECT_EQ(host_.MakeNodeForObject(e->AsObject()), nullptr) << "an object goes on one node";
  }
  EXPECT_EQ(host_.MakeObject(modra::kGeometryClass, modra::ClassId(1, 2)), nullptr);
  EXPECT_EQ(host_.MakeObject(modra::kHelperClass, modra::kBoneObjectClassId), nullptr);

  auto* bone = host_.MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId)->AsObject();
  modra::ParamBlock* block = bone->ParameterBlock(0);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(block->SetParameter(modra::kBoneLength, 0, 20.0f));
  float length = 0;
  modra::Interval valid;
  EXPECT_TRUE(block->FloatParameter(modra::kBoneLength, 0, length, valid, 0));
  EXPECT_EQ(length, 20.0f);
  EXPECT_FALSE(block->SetParameter(99, 0, 1.0f));
  EXPECT_EQ(bone->ParameterBlock(1), nullptr);

  auto* sphere = host_.MakeObject(modra::kGeometryClass, modra::kSphereObjectClassId)->AsObject();
  modra::ParamBlock* pb = sphere->ObjectParamBlock();
  ASSERT_NE(pb, nullptr);
  EXPECT_TRUE(pb->SetParamFloat(sphere->ParamBlockIndex(modra::kSphereRadius), 0, 0.5f));
  EXPECT_TRUE(pb->SetParamInt(sphere->ParamBlockIndex(modra::kSphereSegments), 0, 10));
  EXPECT_TRUE(pb->SetParamInt(sphere->ParamBlockIndex(modra::kSphereMapping), 0, 1));
  EXPECT_FALSE(pb->SetParamInt(sphere->ParamBlockIndex(modra::kSphereRadius), 0, 1));
  EXPECT_EQ(sphere->ParamBlockIndex(42), -1);
  int segments = 0;
  EXPECT_TRUE(pb->IntParameter(modra::kSphereSegments, 0, segments));
  EXPECT_EQ(segments, 10);
}

TEST_F(SceneTest, NamesHandlesSelectionAndRemoval) {
  modra::SceneNode* a = MakeBone("TRCCloud");
  std::string name = "TRCCloud";
  host_.UniqueNodeName(name);
  EXPECT_EQ(name, "TRCCloud001");
  std::string free = "Other";
  host_.UniqueNodeName(free);
  EXPECT_EQ(free, "Other");

  modra::SceneNode* b = MakeBone("B");
  modra::SceneNode* c = MakeBone("C");
  a->LinkChild(b, 0);
  b->LinkChild(c, 0);
  EXPECT_EQ(host_.NodeByHandle(b->NodeHandle()), b);
  host_.scene().Select(static_cast<modra::host::Node*>(c), false);
  host_.scene().Select(static_cast<modra::host::Node*>(b), true);
  ASSERT_EQ(host_.SelectedNodeCount(), 2);
  EXPECT_EQ(host_.SelectedNode(0), c);
  EXPECT_EQ(host_.SelectedNode(2), nullptr);

  const std::uint32_t gone = b->NodeHandle();
  host_.RemoveNode(b, 1);
  EXPECT_EQ(host_.NodeByHandle(gone), nullptr);
  EXPECT_EQ(c->ParentNode(), host_.RootNode()) << "children of a removed node move to the root";
  EXPECT_EQ(a->ChildCount(), 0);
  EXPECT_EQ(host_.SelectedNodeCount(), 1);
  EXPECT_EQ(a->Child(0), nullptr);
  modra::SceneNode* d = MakeBone("D");
  EXPECT_GT(d->NodeHandle(), gone) << "handles are never reused";
}

TEST_F(SceneTest, MoveScaleOffsetsAndProperties) {
  modra::SceneNode* bone = MakeBone("Hand");
  Set(Rotation(bone), 0, Turn(kPi / 2, 0, 0, 1));
  // Move 10 along the node's own X axis (which points along world Y).
  bone->MoveNode(0, bone->NodeTransform(0), Point3(10, 0, 0), 1, 0, 0, 1);
  ExpectNear(bone->NodeTransform(0).Translation(), Point3(0, 10, 0));
  bone->ScaleNode(0, Matrix3(), Point3(0.5f, 0.5f, 0.5f), 1, 0, 0, 0);
  Point3 t, s;
  Quat q;
  modra::DecomposeMatrix(bone->NodeTransform(0), t, q, s);
  ExpectNear(s, Point3(0.5f, 0.5f, 0.5f));

  EXPECT_EQ(bone->ObjectTransform(0), bone->NodeTransform(0));
  auto* node = static_cast<modra::host::Node*>(bone);
  node->objectOffset().position = Point3(0, 0, 1);
  EXPECT_NE(bone->ObjectTransform(0), bone->NodeTransform(0));

  float value = 0;
  EXPECT_FALSE(bone->UserFloatProperty("HTRBaseLength", value));
  bone->SetUserFloatProperty("HTRBaseLength", 12.5f);
  bone->SetUserFloatProperty("HTRBaseLength", 13.5f);
  EXPECT_TRUE(bone->UserFloatProperty("HTRBaseLength", value));
  EXPECT_EQ(value, 13.5f);
  EXPECT_FALSE(bone->UserFloatProperty("htrbaselength", value));
}

TEST(HostTime, FrameRateUnitsAndRange) {
  Host host;
  EXPECT_EQ(modra::GetTicksPerFrame(), 160);
  modra::SetFrameRate(120);
  EXPECT_EQ(modra::GetTicksPerFrame(), 40);
  for (int refused : {0, -30, 4801, 100000}) {
    modra::SetFrameRate(refused);
    EXPECT_EQ(modra::GetFrameRate(), 120) << refused;
  }
  modra::SetFrameRate(4800);
  EXPECT_EQ(modra::GetTicksPerFrame(), 1);
  modra::SetFrameRate(120);
  EXPECT_EQ(modra::GetMasterScale(modra::kUnitMillimetres), 1.0);
  host.scene().set_millimetresPerUnit(10.0);
  EXPECT_EQ(modra::GetMasterScale(modra::kUnitMillimetres), 10.0);
  EXPECT_DOUBLE_EQ(modra::GetMasterScale(modra::kUnitCentimetres), 1.0);
  host.SetAnimationRange({160, 3200});
  EXPECT_EQ(host.AnimationRange(), modra::Interval(160, 3200));
  host.SetAnimationRange({3200, 160});  // reversed: ignored
  EXPECT_EQ(host.AnimationRange(), modra::Interval(160, 3200));
}

// ---------------------------------------------------------------------------------------------
// The conventions: what the library hands over comes back as the same rotation.

TEST(HostConventions, HostMatrixOfAQuarterTurnAboutX) {
  // The library's quaternion of +90 degrees about X is (s, 0, 0, c); the host gets (s, 0, 0, −c).
  const float s = static_cast<float>(std::sin(kPi / 4)), c = static_cast<float>(std::cos(kPi / 4));
  const Matrix3 m = modra::RotationMatrix(Quat(s, 0, 0, -c));
  ExpectNear(m.GetRow(0), Point3(1, 0, 0));
  ExpectNear(m.GetRow(1), Point3(0, 0, 1));  // rows (0, cos t, sin t) with t = 90 degrees
  ExpectNear(m.GetRow(2), Point3(0, -1, 0));
  float angles[3];
  modra::QuatToEuler(Quat(s, 0, 0, -c), angles);
  EXPECT_NEAR(angles[0], kPi / 2, 1e-6);
  EXPECT_NEAR(angles[1], 0, 1e-6);
  EXPECT_NEAR(angles[2], 0, 1e-6);
}

TEST(HostConventions, LibraryRotationsSurviveTheHostForThousandsOfRandomRotations) {
  Host host;
  auto* bone = host.MakeNodeForObject(
      host.MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId)->AsObject());
  modra::Controller* rotation = bone->TransformController()->RotationSubController();
  std::mt19937 random(20260731);
  std::uniform_real_distribution<double> angle(-kPi, kPi);
  std::uniform_real_distribution<double> middle(-kPi / 2, kPi / 2);
  double worst = 0;
  modra::AnimateOn();
  for (int i = 0; i < 5000; ++i) {
    const zar::ZAREulerRotation<double> euler(angle(random), middle(random), angle(random));
    zar::ZARRotationMatrix3<double> library;
    library.SetFromEuler(euler);
    zar::ZARQuaternion<double> q;
    q.SetFromMatrix(library);
    const Quat handed(static_cast<float>(q.X()), static_cast<float>(q.Y()),
                      static_cast<float>(q.Z()), static_cast<float>(-q.W()));
    const modra::TickTime t = i * 160;
    rotation->SetControllerValue(t, &handed, 1, modra::kValueAbsolute);

    Point3 translation, scale;
    Quat back;
    modra::DecomposeMatrix(bone->NodeTransform(t), translation, back, scale);
    float a[3];
    modra::QuatToEuler(back, a);
    zar::ZARRotationMatrix3<double> reproduced;
    reproduced.SetFromEuler(zar::ZAREulerRotation<double>(a[0], a[1], a[2]));
    for (std::uint32_t r = 0; r < 3; ++r)
      for (std::uint32_t c = 0; c < 3; ++c)
        worst = std::max(worst, std::fabs(reproduced[r][c] - library[r][c]));
  }
  EXPECT_EQ(rotation->KeyCount(), 5000);
  EXPECT_LT(worst, 2e-6) << "largest difference of a matrix entry (float precision)";
}

TEST(HostConventions, DecomposeAndInverse) {
  const Matrix3 m = modra::ScaleMatrix(Point3(2, 3, 4)) *
                    modra::RotationMatrix(Quat(0.1f, -0.3f, 0.2f, 0.9f)) *
                    modra::TranslationMatrix(Point3(5, -6, 7));
  Point3 t, s;
  Quat q;
  modra::DecomposeMatrix(m, t, q, s);
  ExpectNear(t, Point3(5, -6, 7));
  ExpectNear(s, Point3(2, 3, 4), 1e-5f);
  const Matrix3 rebuilt =
      modra::ScaleMatrix(s) * modra::RotationMatrix(q) * modra::TranslationMatrix(t);
  ExpectNear(rebuilt, m, 1e-5f);
  ExpectNear(m * modra::Inverse(m), Matrix3(), 1e-5f);
  ExpectNear(Point3(1, 2, 3) * m * modra::Inverse(m), Point3(1, 2, 3), 1e-4f);
  // A mirroring matrix decomposes into negative scales and a proper rotation.
  modra::DecomposeMatrix(modra::ScaleMatrix(Point3(-1, 1, 1)), t, q, s);
  ExpectNear(modra::ScaleMatrix(s) * modra::RotationMatrix(q),
             modra::ScaleMatrix(Point3(-1, 1, 1)));
  // A singular matrix has no inverse: the identity is answered.
  EXPECT_EQ(modra::Inverse(modra::ScaleMatrix(Point3(0, 1, 1))), Matrix3());
  // A matrix whose Y row lies along its X row takes a Y perpendicular to X: X × Z, or X × Y
  // when X is along Z; Z follows.
  const struct {
    Matrix3 collapsed;
    Matrix3 rotation;
  } collapsed[] = {
      {Matrix3(Point3(1, 0, 0), Point3(2, 0, 0), Point3(0, 0, 1), Point3(1, 2, 3)),
       Matrix3(Point3(1, 0, 0), Point3(0, -1, 0), Point3(0, 0, -1), Point3())},
      {Matrix3(Point3(0, 0, 1), Point3(0, 0, 3), Point3(1, 0, 0), Point3()),
       Matrix3(Point3(0, 0, 1), Point3(-1, 0, 0), Point3(0, -1, 0), Point3())},
  };
  for (const auto& c : collapsed) {
    modra::DecomposeMatrix(c.collapsed, t, q, s);
    ExpectNear(modra::RotationMatrix(q), c.rotation);
    ExpectNear(t, c.collapsed.Translation());
  }
}

TEST(HostConventions, EulerAnglesAtGimbalLock) {
  const float in[3] = {0.4f, static_cast<float>(kPi / 2), 0.0f};
  float out[3];
  modra::QuatToEuler(modra::EulerToQuat(in), out);
  EXPECT_NEAR(out[1], kPi / 2, 1e-3);
  EXPECT_EQ(out[2], 0.0f);
  ExpectNear(modra::RotationMatrix(modra::EulerToQuat(out)),
             modra::RotationMatrix(modra::EulerToQuat(in)), 1e-5f);
}

}  // namespace

namespace {

// A key cursor answers what a search of the track answers, however far and in whichever
// direction each time moves from the one before, and after the track changed under it.
TEST(KeyCursor, AnswersTheTracksOwnSearchWhateverTheStepsBetweenTimes) {
  modra::host::KeyTrack<float> keys;
  for (modra::TickTime t = 0; t < 3000; t += 3) keys.emplace(t, static_cast<float>(t));
  modra::host::KeyCursor<modra::host::KeyTrack<float>> cursor;
  std::mt19937 random(5);
  modra::TickTime t = -10;
  for (int probe = 0; probe < 20000; ++probe) {
    // Mostly forward by 0 to 200 ticks (0 to about 70 keys), sometimes back, sometimes far.
    const auto kind = random() % 10;
    if (kind < 7) {
      t += static_cast<modra::TickTime>(random() % 200);
    } else if (kind < 9) {
      t -= static_cast<modra::TickTime>(random() % 300);
    } else {
      t = static_cast<modra::TickTime>(random() % 3200) - 50;
    }
    if (t > 3100) t = -10;
    ASSERT_EQ(keys.lower_bound(t) - keys.begin(), cursor.LowerBound(keys, t) - keys.begin())
        << "probe " << probe << " at " << t;
    if (probe % 5000 == 4999) {
      // Keys taken out near the cursor's place and added elsewhere.
      keys.erase(t - t % 3);
      keys.emplace(t + 1, 0.0f);
    }
  }
}

}  // namespace
