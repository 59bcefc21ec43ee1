// Scene documents: a saved and loaded scene is identical, files are replaced atomically, and
// corrupt or truncated documents give clear errors.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "modra/host.h"
#include "modra/scene_document.h"

namespace {

using Json = nlohmann::json;
using modra::Point3;
using modra::Quat;
using modra::host::Host;
using modra::host::Scene;

// A scene with something of every kind a document holds.
void BuildScene(Host& host) {
  Scene& scene = host.scene();
  scene.set_frameRate(120);
  scene.set_currentTime(480);
  scene.set_animationRange({-40, 4000});
  scene.set_millimetresPerUnit(25.4);
  auto make = [&](modra::SuperClassId sc, modra::ClassId id, const char* name) {
    modra::SceneNode* n = host.MakeNodeForObject(host.MakeObject(sc, id)->AsObject());
    n->SetNodeName(name);
    return n;
  };
  modra::SceneNode* cloud = make(modra::kHelperClass, modra::kDummyHelperClassId, "TRCCloud");
  cloud->NodeObject()->AsDummyObject()->SetBox(Point3(-0.1f, -0.1f, -0.1f),
                                               Point3(0.1f, 0.1f, 0.1f));
  modra::SceneNode* hips = make(modra::kGeometryClass, modra::kBoneObjectClassId, "Hips");
  modra::SceneNode* spine = make(modra::kGeometryClass, modra::kBoneObjectClassId, "Spine");
  modra::SceneNode* marker = make(modra::kGeometryClass, modra::kSphereObjectClassId, "LFHD");
  modra::SceneNode* point =
      make(modra::kHelperClass, modra::kPointHelperClassId, "Point with spaces");
  cloud->LinkChild(hips, 0);
  hips->LinkChild(spine, 0);
  cloud->LinkChild(marker, 0);
  hips->NodeObject()->ParameterBlock(0)->SetParameter(modra::kBoneLength, 0, 0.1f);
  modra::SceneObject* sphere = marker->NodeObject();
  sphere->ObjectParamBlock()->SetParamInt(sphere->ParamBlockIndex(modra::kSphereSegments), 0, 10);
  hips->SetDisplayColour(0x3333CC);
  hips->SetUserFloatProperty("HTRBaseTransX", 1.0f / 3.0f);
  hips->SetUserFloatProperty("HTRBaseLength", std::numeric_limits<float>::quiet_NaN());
  hips->SetUserFloatProperty("Negative zero", -0.0f);
  hips->ShowBoneLinks(0);
  hips->SetBoneMode(1, 480);
  static_cast<modra::host::Node*>(spine)->objectOffset().position = Point3(0, 0, 1e-7f);
  static_cast<modra::host::Node*>(spine)->objectOffset().rotation = Quat(0.1f, 0.2f, 0.3f, 0.927f);

  modra::AnimateOn();
  for (int f = 0; f < 5; ++f) {
    const modra::TickTime t = f * 40;
    Point3 p(0.1f * static_cast<float>(f), -std::numeric_limits<float>::infinity(), 1e30f);
    if (f != 0) p.y = static_cast<float>(f) / 7.0f;
    hips->TransformController()->PositionController()->SetControllerValue(t, &p, 1, 1);
    const Quat q(std::sin(0.1f * static_cast<float>(f)), 0.0f, 0.0f,
                 std::cos(0.1f * static_cast<float>(f)));
    hips->TransformController()->RotationSubController()->SetControllerValue(t, &q, 1, 1);
    Point3 s(1.0f + 0.01f * static_cast<float>(f), 1, 1);
    hips->TransformController()->ScaleSubController()->SetControllerValue(t, &s, 1, 1);
  }
  modra::AnimateOff();
  auto* tcb =
      host.MakeObject(modra::kRotationControllerClass, modra::kTcbRotationClassId)->AsController();
  tcb->CopyController(hips->TransformController()->RotationSubController());
  spine->TransformController()->ReplaceRotationController(tcb);
  auto* markerTransform =
      static_cast<modra::host::TransformController*>(marker->TransformController());
  markerTransform->RemovePositionController();
  markerTransform->set_classId(modra::kBipedBodyClassId);
  markerTransform->set_refusesRotation(true);
  markerTransform->rotation()->set_locked(true);
  host.scene().Select(static_cast<modra::host::Node*>(spine), false);
  host.scene().Select(static_cast<modra::host::Node*>(point), true);
}

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("modra_doc_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(DocumentTest, SavedAndLoadedSceneIsIdentical) {
  Host host;
  BuildScene(host);
  const std::string path = (dir_ / "scene.json").string();
  ASSERT_EQ(modra::host::SaveSceneDocument(host.scene(), path), "");
  const std::string saved = Slurp(path);

  Scene loaded;
  ASSERT_EQ(modra::host::LoadSceneDocument(path, loaded), "");
  EXPECT_EQ(modra::host::SceneToText(loaded), saved);

  // Evaluation agrees bit for bit, keys and values included.
  ASSERT_EQ(loaded.nodes().size(), host.scene().nodes().size());
  for (std::size_t i = 0; i < loaded.nodes().size(); ++i) {
    modra::host::Node* a = host.scene().nodes()[i];
    modra::host::Node* b = loaded.nodes()[i];
    EXPECT_EQ(a->name(), b->name());
    EXPECT_EQ(a->NodeHandle(), b->NodeHandle());
    for (modra::TickTime t : {-100, 0, 20, 40, 77, 160, 1000}) {
      const modra::Matrix3 ma = a->ObjectTransform(t), mb = b->ObjectTransform(t);
      EXPECT_EQ(std::memcmp(&ma, &mb, sizeof ma), 0) << a->name() << " at " << t;
    }
  }
  modra::host::Node* hips = loaded.FindByName("Hips");
  ASSERT_NE(hips, nullptr);
  float third = 0;
  ASSERT_TRUE(hips->UserFloatProperty("HTRBaseTransX", third));
  EXPECT_EQ(third, 1.0f / 3.0f);
  float nan = 0;
  ASSERT_TRUE(hips->UserFloatProperty("HTRBaseLength", nan));
  EXPECT_TRUE(std::isnan(nan));
  float zero = 1;
  ASSERT_TRUE(hips->UserFloatProperty("Negative zero", zero));
  EXPECT_TRUE(std::signbit(zero));
  EXPECT_EQ(loaded.selection(), host.scene().selection());
  EXPECT_EQ(loaded.frameRate(), 120);
  EXPECT_EQ(loaded.millimetresPerUnit(), 25.4);
  EXPECT_EQ(loaded.FindByName("LFHD")->TransformController()->PositionController(), nullptr);
  EXPECT_EQ(
      loaded.FindByName("LFHD")->TransformController()->RotationSubController()->ControllerCheck(),
      0);
  EXPECT_EQ(
      loaded.FindByName("Spine")->TransformController()->RotationSubController()->ClassIdentifier(),
      modra::kTcbRotationClassId);
  // New nodes after loading get fresh handles.
  EXPECT_GE(loaded.nextHandle(), host.scene().nextHandle());
}

TEST_F(DocumentTest, HostLoadsAndSavesItsScene) {
  const std::string path = (dir_ / "chain.json").string();
  {
    Host first;
    BuildScene(first);
    ASSERT_EQ(first.SaveScene(path), "");
    {
      Host nested;
      EXPECT_EQ(Host::Current(), &nested);
      ASSERT_EQ(nested.LoadScene(path), "");
      EXPECT_EQ(nested.scene().nodes().size(), 5u);
      EXPECT_EQ(modra::GetTicksPerFrame(), 40) << "the loaded scene runs at 120 frames per second";
      const std::string problem = nested.LoadScene(path + ".none");
      EXPECT_NE(problem.find("cannot be opened"), std::string::npos);
      EXPECT_EQ(nested.scene().nodes().size(), 5u) << "a failed load keeps the scene";
    }
    EXPECT_EQ(Host::Current(), &first) << "the outer host is current again";
  }
  EXPECT_EQ(Host::Current(), nullptr);
}

// A format-change detector: the committed document was saved by this host; any change to how
// documents are written shows here first (regenerate the file when the change is meant).
TEST_F(DocumentTest, FormatChangeDetectorCommittedDocumentSavesUnchanged) {
  const std::string path = std::string(ZAR_TEST_DATA_DIR) + "/modra/skeleton_scene.json";
  Scene scene;
  ASSERT_EQ(modra::host::LoadSceneDocument(path, scene), "");
  ASSERT_EQ(scene.nodes().size(), 5u);
  EXPECT_EQ(scene.FindByName("Hips")->transform()->position()->KeyCount(), 5);
  EXPECT_EQ(modra::host::SceneToText(scene), Slurp(path)) << "the document format has changed";
}

TEST_F(DocumentTest, SavingReplacesTheFileAtomically) {
  Host host;
  BuildScene(host);
  const std::filesystem::path path = dir_ / "scene.json";
  { std::ofstream(path) << "old content"; }
  ASSERT_EQ(modra::host::SaveSceneDocument(host.scene(), path.string()), "");
  EXPECT_NE(Slurp(path), "old content");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    static_cast<void>(entry);
    ++files;
  }
  EXPECT_EQ(files, 1u) << "no temporary file is left behind";

  // A save that fails part way through writing (the process may write no file longer than 64
  // bytes) leaves the old document as it was, and no temporary file.
  const std::string before = Slurp(path);
  {
    struct rlimit old_limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct rlimit small = old_limit;
    small.rlim_cur = 64;
    void (*old_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    host.scene().set_frameRate(24);
    const std::string failed = modra::host::SaveSceneDocument(host.scene(), path.string());
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_NE(failed.find("cannot be written"), std::string::npos) << failed;
  }
  EXPECT_EQ(Slurp(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);

  const std::string problem =
      modra::host::SaveSceneDocument(host.scene(), (dir_ / "missing" / "scene.json").string());
  EXPECT_NE(problem.find("cannot be written"), std::string::npos) << problem;
  Scene nothing;
  EXPECT_NE(modra::host::LoadSceneDocument((dir_ / "none.json").string(), nothing)
                .find("cannot be opened"),
            std::string::npos);
}

TEST_F(DocumentTest, CorruptDocumentsNameTheProblem) {
  Host host;
  BuildScene(host);
  const Json good = Json::parse(modra::host::SceneToText(host.scene()));
  auto node = [](Json& doc, const char* name) -> Json& {
    for (Json& n : doc["nodes"])
      if (n["name"] == name) return n;
    throw std::runtime_error("no such node");
  };
  struct Case {
    const char* what;
    std::function<void(Json&)> change;
    const char* problem;
  };
  const Case cases[] = {
      {"other format", [](Json& d) { d["format"] = "zarfileio-registry"; }, "not a scene"},
      {"version", [](Json& d) { d["version"] = 7; }, "version is not 1"},
      {"no nodes", [](Json& d) { d.erase("nodes"); }, "has no \"nodes\""},
      {"frame rate zero", [](Json& d) { d["frameRate"] = 0; }, "frameRate is out of range"},
      {"range reversed",
       [](Json& d) {
         d["animationRange"] = {10, 0};
       },
       "ends before it starts"},
      {"unit", [](Json& d) { d["millimetresPerUnit"] = -1; }, "not a positive number"},
      {"handle repeated", [&](Json& d) { d["nodes"][1]["handle"] = d["nodes"][0]["handle"]; },
       "repeats handle"},
      {"handle zero", [](Json& d) { d["nodes"][0]["handle"] = 0; }, "handle is out of range"},
      {"name", [&](Json& d) { node(d, "Hips")["name"] = 5; }, "name is not a text"},
      {"unknown object",
       [&](Json& d) {
         node(d, "Hips")["object"]["classId"] = {1, 2};
       },
       "does not know"},
      {"bad key",
       [&](Json& d) {
         node(d, "Hips")["transform"]["position"]["keys"][1] = {40, 1};
       },
       "node 2 (Hips) transform position key 1 is not [tick, x, y, z]"},
      {"tick repeated",
       [&](Json& d) { node(d, "Hips")["transform"]["position"]["keys"][1][0] = 0; },
       "repeats tick 0"},
      {"tick too big",
       [&](Json& d) { node(d, "Hips")["transform"]["position"]["keys"][1][0] = 1e12; },
       "is not an integer"},
      {"tcb key",
       [&](Json& d) {
         node(d, "Spine")["transform"]["rotation"]["keys"][0] = {0, 1, 2, 3};
       },
       "is not [tick, x, y, z, w]"},
      {"rotation type",
       [&](Json& d) { node(d, "Spine")["transform"]["rotation"]["type"] = "bezier"; },
       "neither \"euler\" nor \"tcb\""},
      {"float text", [&](Json& d) { node(d, "Hips")["userProperties"][0][1] = "one"; },
       "is not a number"},
      {"float range", [&](Json& d) { node(d, "Hips")["userProperties"][0][1] = 1e300; },
       "single-precision range"},
      {"missing child", [&](Json& d) { node(d, "Hips")["children"].push_back(999); },
       "which does not exist"},
      {"two parents", [&](Json& d) { d["rootChildren"].push_back(node(d, "Hips")["handle"]); },
       "more than one parent"},
      {"cycle",
       [&](Json& d) {
         Json& hips = node(d, "Hips");
         Json& spine = node(d, "Spine");
         spine["children"].push_back(hips["handle"]);
         for (Json& n : d["nodes"]) {
           auto& c = n["children"];
           for (auto it = c.begin(); it != c.end(); ++it)
             if (*it == hips["handle"] && n["name"] != "Spine") {
               c.erase(it);
               break;
             }
         }
       },
       "not reachable from the root"},
      {"orphan",
       [&](Json& d) {
         node(d, "Spine")["children"] = Json::array();
         node(d, "Hips")["children"] = Json::array();
       },
       "not reachable"},
      {"selection", [](Json& d) { d["selection"] = {12345}; }, "selection names node 12345"},
      {"not an object",
       [](Json& d) {
         d = Json::array({1, 2});
       },
       "not a JSON object"},
  };
  for (const Case& c : cases) {
    Json doc = good;
    c.change(doc);
    Scene scene;
    const std::string problem = modra::host::SceneFromText(doc.dump(), scene);
    EXPECT_NE(problem.find(c.problem), std::string::npos)
        << c.what << ": got \"" << problem << "\"";
  }
}

TEST_F(DocumentTest, EveryTruncationIsRefusedWithoutACrash) {
  Host host;
  BuildScene(host);
  const std::string text = modra::host::SceneToText(host.scene());
  for (std::size_t n = 0; n + 1 < text.size(); n += (n < 200 ? 1 : 7)) {
    Scene scene;
    const std::string problem =
        modra::host::SceneFromText(std::string_view(text).substr(0, n), scene);
    EXPECT_NE(problem.find("not valid JSON"), std::string::npos)
        << "prefix of " << n << ": " << problem;
  }
  Scene scene;
  EXPECT_EQ(modra::host::SceneFromText(text, scene), "");
  Scene again;
  EXPECT_NE(modra::host::SceneFromText("\xff\xfe{\"format\"", again), "");
}

}  // namespace
