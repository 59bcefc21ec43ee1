// Building and keying the TRC marker cloud, run against the stand-in host.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "filelib/trc_file.h"
#include "import_trc/trc_cloud.h"
#include "modra/host.h"

namespace modra {
// Readable failure messages for points.
inline void PrintTo(const Point3& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}
}  // namespace modra

namespace {

using modra::Point3;
using modra::TickTime;
using modra::host::Node;
using modra::host::ShownEvent;
using zar::TRCCloudOutcome;
using zar::TRCCloudSettings;

constexpr int kTicks = 160;  // ticks per frame at the stand-in's 30 frames per second

// One sample of a test marker: a position, or nothing (occluded).
using Sample = std::optional<Point3>;

const auto& PositionKeys(Node* node) { return node->transform()->position()->keys(); }

std::vector<TickTime> KeyTimes(Node* node) {
  std::vector<TickTime> times;
  for (const auto& [t, p] : PositionKeys(node)) times.push_back(t);
  return times;
}

// Times first, first + step, ... (count of them).
std::vector<TickTime> Times(TickTime first, int count, TickTime step = kTicks) {
  std::vector<TickTime> times;
  for (int i = 0; i < count; ++i) times.push_back(first + i * step);
  return times;
}

float FloatParameter(Node* node, int id) {
  float value = 0.0f;
  modra::Interval valid;
  EXPECT_TRUE(node->object()->parameters().FloatParameter(id, 0, value, valid, 0));
  return value;
}

int IntParameter(Node* node, int id) {
  int value = 0;
  EXPECT_TRUE(node->object()->parameters().IntParameter(id, 0, value));
  return value;
}

class TrcCloudTest : public ::testing::Test {
 protected:
  void SetUp() override { host.BeginProgress("Vantrel ImportTRC", 1, nullptr, nullptr); }

  // Adds a marker whose frame k holds samples[k].
  void AddMarker(const std::string& name, const std::vector<Sample>& samples) {
    zar::TRCMarker marker(name);
    for (const Sample& s : samples) {
      if (s) {
        marker.AppendSample(s->x, s->y, s->z);
      } else {
        marker.AppendMissingSample();
      }
    }
    ASSERT_NE(model.AddMarker(marker), nullptr);
  }

  // Markers named `names`, `frames` frames from frame `start`; marker m in frame k is at
  // (m, k, 0).
  void MakeModel(const std::vector<std::string>& names, int start, int frames) {
    model.SetStartFrame(start);
    model.SetNumFrames(frames);
    for (std::size_t m = 0; m < names.size(); ++m) {
      std::vector<Sample> samples;
      for (int k = 0; k < frames; ++k)
        samples.push_back(Point3(static_cast<float>(m), static_cast<float>(k), 0.0f));
      AddMarker(names[m], samples);
    }
  }

  TRCCloudOutcome Build() { return zar::BuildTRCCloud(host, model, settings); }

  Node* Find(const std::string& name) { return host.scene().FindByName(name); }

  // A node carrying a point helper, at top level or below `parent`.
  Node* MakeNode(const std::string& name, Node* parent = nullptr) {
    auto* object = host.MakeObject(modra::kHelperClass, modra::kPointHelperClassId)->AsObject();
    auto* node = static_cast<Node*>(host.MakeNodeForObject(object));
    node->SetNodeName(name.c_str());
    if (parent != nullptr) parent->LinkChild(node, 0);
    return node;
  }

  // Keys `node`'s position at the given ticks with (t, 0, 0).
  void KeyAt(Node* node, const std::vector<TickTime>& times) {
    modra::AnimateOn();
    for (TickTime t : times) {
      const Point3 p(static_cast<float>(t), 0.0f, 0.0f);
      node->transform()->position()->SetControllerValue(t, &p, 1, modra::kValueAbsolute);
    }
    modra::AnimateOff();
  }

  std::vector<int> ProgressPercents() {
    std::vector<int> percents;
    for (const ShownEvent& e : host.user().ShownOfKind(ShownEvent::Kind::kProgressUpdate))
      percents.push_back(e.number);
    return percents;
  }

  modra::host::Host host;
  zar::TRCFile model;
  TRCCloudSettings settings;
};

// --- Create mode ------------------------------------------------------------------------------

TEST_F(TrcCloudTest, CreateGivesOneKeyedSpherePerMarker) {
  MakeModel({"LFHD", "RFHD", "C7"}, 1, 4);
  settings.size = 3.0f;
  settings.scale_factor = 2.0;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);

  ASSERT_EQ(host.scene().nodes().size(), 3u);
  int m = 0;
  for (const char* name : {"LFHD", "RFHD", "C7"}) {
    Node* node = Find(name);
    ASSERT_NE(node, nullptr) << name;
    EXPECT_EQ(node->parent(), &host.scene().root()) << name;
    EXPECT_EQ(node->object()->ClassIdentifier(), modra::kSphereObjectClassId);
    EXPECT_EQ(node->DisplayColour(), 0x3333CCu);
    EXPECT_FLOAT_EQ(FloatParameter(node, modra::kSphereRadius), 3.0f);  // 3 × 0.5 × 2
    EXPECT_EQ(IntParameter(node, modra::kSphereSegments), 10);
    EXPECT_EQ(IntParameter(node, modra::kSphereSmooth), 1);
    EXPECT_FLOAT_EQ(FloatParameter(node, modra::kSphereHemisphere), 0.0f);
    EXPECT_EQ(IntParameter(node, modra::kSphereMapping), 1);
    EXPECT_EQ(KeyTimes(node), Times(kTicks, 4)) << name;
    // Frame 3 of marker m is (m, 3, 0) in the file: (2m, 0, 6) in the scene.
    EXPECT_EQ(PositionKeys(node).at(4 * kTicks), Point3(2.0f * static_cast<float>(m), 0.0f, 6.0f));
    ++m;
  }
  // Keys are set in animate mode inside a suspension that is undone again.
  EXPECT_FALSE(host.scene().animate().on);
  EXPECT_TRUE(host.scene().animate().saved.empty());
  EXPECT_EQ(ProgressPercents(), (std::vector<int>{40, 70, 100}));
}

TEST_F(TrcCloudTest, PointMarkersAreScaledByAQuarterOfTheSize) {
  MakeModel({"A"}, 1, 2);
  settings.geometry = false;
  settings.size = 2.0f;
  settings.scale_factor = 3.0;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  Node* node = Find("A");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->object()->ClassIdentifier(), modra::kPointHelperClassId);
  EXPECT_EQ(node->DisplayColour(), 0x3333CCu);
  EXPECT_EQ(node->transform()->scale()->constant(), Point3(1.5f, 1.5f, 1.5f));
  EXPECT_EQ(KeyTimes(node), Times(kTicks, 2));
}

TEST_F(TrcCloudTest, RootNodeGathersMarkersUnderAUniqueDummy) {
  MakeNode("TRCCloud");
  MakeModel({"A", "B"}, 1, 2);
  settings.root_node = true;
  settings.size = 4.0f;
  settings.scale_factor = 0.5;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);

  Node* cloud = Find("TRCCloud001");
  ASSERT_NE(cloud, nullptr);
  ASSERT_NE(cloud->object()->AsDummyObject(), nullptr);
  EXPECT_EQ(cloud->object()->BoxLow(), Point3(-2.0f, -2.0f, -2.0f));
  EXPECT_EQ(cloud->object()->BoxHigh(), Point3(2.0f, 2.0f, 2.0f));
  EXPECT_EQ(cloud->children(), (std::vector<Node*>{Find("A"), Find("B")}));
  EXPECT_TRUE(Find("TRCCloud")->children().empty());
}

TEST_F(TrcCloudTest, FileAxesMapToHostAxesTimesTheGlobalScale) {
  AddMarker("M", {Point3(10, 20, 30), Point3(-1.5f, 0.25f, 8)});
  model.SetNumFrames(2);
  settings.scale_factor = 2.0;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_EQ(PositionKeys(Find("M")).at(kTicks), Point3(20, -60, 40));
  EXPECT_EQ(PositionKeys(Find("M")).at(2 * kTicks), Point3(-3, -16, 0.5f));
}

// An occluded marker sets no key in that frame (it would jump to the origin); the neighbours'
// keys let the controller interpolate across the gap.
TEST_F(TrcCloudTest, MissingSamplesSetNoKey) {
  AddMarker("M", {Point3(0, 0, 0), Point3(2, 0, 0), std::nullopt, std::nullopt, Point3(8, 0, 0)});
  // The header declares one frame more than the file holds: that frame is missing too.
  model.SetNumFrames(6);
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  Node* node = Find("M");
  EXPECT_EQ(KeyTimes(node), (std::vector<TickTime>{kTicks, 2 * kTicks, 5 * kTicks}));
  Point3 between;
  node->transform()->position()->ControllerValue(3 * kTicks, &between);
  EXPECT_NEAR(between.x, 4.0f, 1e-5f);
}

// --- Frames and times -------------------------------------------------------------------------

struct WindowCase {
  const char* name;
  int file_start;
  int frames;
  bool range;
  int from;
  int to;
  int offset;
  int first_key_frame;  // scene frame of the first key
  int keys;
  float first_key_sample;  // file sample index keyed first (its y is the sample index)
};

void PrintTo(const WindowCase& c, std::ostream* os) { *os << c.name; }

class TrcCloudWindowTest : public TrcCloudTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(TrcCloudWindowTest, KeysLandOnTheirFrames) {
  const WindowCase& c = GetParam();
  MakeModel({"M"}, c.file_start, c.frames);
  settings.range = c.range;
  settings.start_frame = c.range ? c.from : c.file_start;
  settings.end_frame = c.range ? c.to : c.file_start + c.frames - 1;
  settings.offset = c.offset;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  Node* node = Find("M");
  EXPECT_EQ(KeyTimes(node), Times(c.first_key_frame * kTicks, c.keys));
  EXPECT_EQ(PositionKeys(node).begin()->second.z, c.first_key_sample);
  EXPECT_EQ(host.AnimationRange(),
            modra::Interval(c.first_key_frame * kTicks, (c.first_key_frame + c.keys - 1) * kTicks));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TrcCloudWindowTest,
    ::testing::Values(WindowCase{"AllWithOffset", 1, 100, false, 0, 0, 10, 11, 100, 0.0f},
                      WindowCase{"Range", 1, 100, true, 20, 29, 0, 20, 10, 19.0f},
                      WindowCase{"RangeWithOffset", 1, 100, true, 20, 29, 5, 25, 10, 19.0f},
                      WindowCase{"FileFromFrameZero", 0, 5, false, 0, 0, 0, 0, 5, 0.0f},
                      WindowCase{"NegativeOffset", 10, 5, false, 0, 0, -12, -2, 5, 0.0f},
                      WindowCase{"RangeInLaterFile", 100, 50, true, 120, 121, 0, 120, 2, 20.0f}),
    [](const ::testing::TestParamInfo<WindowCase>& param_info) { return param_info.param.name; });

TEST_F(TrcCloudTest, SingleKeyedFrameGivesARangeOneFrameLong) {
  MakeModel({"M"}, 1, 10);
  settings.range = true;
  settings.start_frame = 4;
  settings.end_frame = 4;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_EQ(KeyTimes(Find("M")), Times(4 * kTicks, 1));
  EXPECT_EQ(host.AnimationRange(), modra::Interval(4 * kTicks, 5 * kTicks));
}

TEST_F(TrcCloudTest, NothingKeyedLeavesTheRangeAlone) {
  AddMarker("M", {std::nullopt, std::nullopt});
  model.SetNumFrames(2);
  const modra::Interval before = host.AnimationRange();
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_TRUE(KeyTimes(Find("M")).empty());
  EXPECT_EQ(host.AnimationRange(), before);
}

TEST_F(TrcCloudTest, FrameRateOfTheFileChangesTheTicksPerFrame) {
  MakeModel({"M"}, 1, 3);
  model.SetDataRate(120);
  settings.fps = true;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_EQ(host.scene().frameRate(), 120);
  EXPECT_EQ(KeyTimes(Find("M")), Times(40, 3, 40));
}

TEST_F(TrcCloudTest, FrameRateStaysWithoutTheOption) {
  MakeModel({"M"}, 1, 2);
  model.SetDataRate(120);
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_EQ(host.scene().frameRate(), 30);
  EXPECT_EQ(KeyTimes(Find("M")), Times(kTicks, 2));
}

// Key times beyond the host's tick range are not set (rather than wrapping around).
TEST_F(TrcCloudTest, KeysBeyondTheTickRangeAreSkipped) {
  MakeModel({"M"}, 1, 3);
  settings.offset = std::numeric_limits<std::int32_t>::max() / kTicks - 2;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  const std::vector<TickTime> keys = KeyTimes(Find("M"));
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_GT(keys.front(), 0);
}

// --- Apply mode -------------------------------------------------------------------------------

TEST_F(TrcCloudTest, ApplyKeysSelectedNodesAndDirectChildrenOfSelectedNodes) {
  for (bool selected_only : {false, true}) {
    SCOPED_TRACE(selected_only ? "selected only" : "all markers");
    host.ReplaceScene(std::make_unique<modra::host::Scene>());
    model.Clear();
    Node* head = MakeNode("LFHD");
    Node* body = MakeNode("Body");
    Node* chest = MakeNode("STRN", body);
    Node* grandchild = MakeNode("C7", chest);
    Node* unselected = MakeNode("Spare");
    Node* not_searched = MakeNode("RFHD", unselected);
    host.scene().Select(head, false);
    host.scene().Select(body, true);
    MakeModel({"LFHD", "STRN", "C7", "RFHD"}, 1, 2);
    settings.apply = true;
    settings.selected_only = selected_only;
    settings.root_node = false;
    ASSERT_EQ(Build(), TRCCloudOutcome::kDone);

    EXPECT_EQ(KeyTimes(head), Times(kTicks, 2));
    EXPECT_EQ(KeyTimes(chest), Times(kTicks, 2));
    // Grandchildren and children of unselected nodes are not searched.
    EXPECT_TRUE(KeyTimes(grandchild).empty());
    EXPECT_TRUE(KeyTimes(not_searched).empty());
    const std::size_t made = selected_only ? 0u : 2u;
    EXPECT_EQ(host.scene().nodes().size(), 6u + made);
    if (!selected_only) {
      Node* new_c7 = host.scene().nodes()[6];
      EXPECT_EQ(new_c7->name(), "C7");
      EXPECT_EQ(new_c7->object()->ClassIdentifier(), modra::kSphereObjectClassId);
      EXPECT_EQ(KeyTimes(new_c7), Times(kTicks, 2));
    }
    EXPECT_EQ(ProgressPercents().back(), 100);
  }
}

TEST_F(TrcCloudTest, ApplyWithEmptySelectionCreatesEveryMarker) {
  MakeNode("A");  // in the scene but not selected
  MakeModel({"A", "B"}, 1, 2);
  settings.apply = true;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  ASSERT_EQ(host.scene().nodes().size(), 3u);
  EXPECT_TRUE(KeyTimes(host.scene().nodes()[0]).empty());
  EXPECT_EQ(KeyTimes(host.scene().nodes()[1]), Times(kTicks, 2));
  EXPECT_EQ(host.scene().nodes()[2]->name(), "B");
}

TEST_F(TrcCloudTest, ApplyMatchesNamesExactly) {
  Node* lower = MakeNode("lfhd");
  Node* spaced = MakeNode("LFHD ");
  host.scene().Select(lower, false);
  host.scene().Select(spaced, true);
  MakeModel({"LFHD"}, 1, 2);
  settings.apply = true;
  settings.selected_only = true;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_TRUE(KeyTimes(lower).empty());
  EXPECT_TRUE(KeyTimes(spaced).empty());
  EXPECT_EQ(host.scene().nodes().size(), 2u);
}

TEST_F(TrcCloudTest, ApplyWithRootNodeMovesMatchedNodesUnderTheDummy) {
  Node* body = MakeNode("Body");
  Node* chest = MakeNode("STRN", body);
  host.scene().Select(body, false);
  MakeModel({"STRN"}, 1, 2);
  settings.apply = true;
  settings.root_node = true;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_EQ(chest->parent(), Find("TRCCloud"));
}

// Keys of a matched node inside the keying window go, wherever they sit; keys outside stay.
TEST_F(TrcCloudTest, KeyingWindowIsClearedFirst) {
  Node* node = MakeNode("M");
  host.scene().Select(node, false);
  KeyAt(node, {-5, 0, 3 * kTicks + 7, 4 * kTicks, 5 * kTicks + 80, 6 * kTicks, 7 * kTicks,
               7 * kTicks + 1, 50 * kTicks});
  // Frames 3 to 6 of the file are imported, with frame 4 occluded.
  AddMarker("M", {Point3(1, 1, 1), Point3(1, 1, 1), Point3(1, 1, 1), std::nullopt, Point3(1, 1, 1),
                  Point3(1, 1, 1), Point3(1, 1, 1)});
  model.SetNumFrames(7);
  settings.apply = true;
  settings.range = true;
  settings.start_frame = 3;
  settings.end_frame = 6;
  ASSERT_EQ(Build(), TRCCloudOutcome::kDone);
  EXPECT_EQ(KeyTimes(node), (std::vector<TickTime>{-5, 0, 3 * kTicks, 5 * kTicks, 6 * kTicks,
                                                   7 * kTicks, 7 * kTicks + 1, 50 * kTicks}));
  // The keys that stay keep their values; new ones carry the file's position.
  EXPECT_EQ(PositionKeys(node).at(7 * kTicks + 1), Point3(7 * kTicks + 1, 0, 0));
  EXPECT_EQ(PositionKeys(node).at(6 * kTicks), Point3(1, -1, 1));
}

// --- Failures ---------------------------------------------------------------------------------

TEST_F(TrcCloudTest, NodeWithoutPositionControllerStopsTheBuild) {
  Node* b = MakeNode("B");
  b->transform()->RemovePositionController();
  host.scene().Select(b, false);
  MakeModel({"A", "B", "C"}, 1, 2);
  settings.apply = true;
  EXPECT_EQ(Build(), TRCCloudOutcome::kNoPositionController);
  ASSERT_NE(Find("A"), nullptr);
  EXPECT_EQ(KeyTimes(Find("A")), Times(kTicks, 2));
  EXPECT_EQ(Find("C"), nullptr);
  EXPECT_EQ(ProgressPercents(), (std::vector<int>{40}));
}

TEST_F(TrcCloudTest, LockedControllerStopsTheBuildAndAnimateModeIsRestored) {
  Node* b = MakeNode("B");
  b->transform()->position()->set_locked(true);
  host.scene().Select(b, false);
  MakeModel({"A", "B", "C"}, 1, 2);
  settings.apply = true;
  const modra::Interval before = host.AnimationRange();
  EXPECT_EQ(Build(), TRCCloudOutcome::kControllerRefused);
  EXPECT_EQ(KeyTimes(Find("A")), Times(kTicks, 2));
  EXPECT_TRUE(KeyTimes(b).empty());
  EXPECT_EQ(b->transform()->position()->refusedValues(), 0);
  EXPECT_EQ(Find("C"), nullptr);
  EXPECT_FALSE(host.scene().animate().on);
  EXPECT_TRUE(host.scene().animate().saved.empty());
  EXPECT_EQ(host.AnimationRange(), before);
}

TEST_F(TrcCloudTest, CancelStopsBetweenMarkers) {
  MakeModel({"A", "B", "C"}, 1, 2);
  // The first marker's pump idles; the second's takes the cancel.
  host.user().Idle().CancelProgress();
  const modra::Interval before = host.AnimationRange();
  EXPECT_EQ(Build(), TRCCloudOutcome::kCancelled);
  ASSERT_EQ(host.scene().nodes().size(), 1u);
  EXPECT_EQ(KeyTimes(Find("A")), Times(kTicks, 2));
  EXPECT_EQ(host.AnimationRange(), before);
}

}  // namespace
