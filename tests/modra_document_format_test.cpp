// Scene documents with many keys and with names that are not UTF-8: bit-exact round trips through
// files, the faults of the binary form, and two commands saving one document at once; and what
// large scenes rely on: the index of names, remembered world transforms, evaluation in time order.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>

#include "modra/host.h"
#include "modra/scene_document.h"
#include "plugin_test_support.h"

namespace {

using modra::Point3;
using modra::Quat;
using modra::host::Node;
using modra::host::Scene;
using Json = nlohmann::json;

constexpr int kKeys = 70000;  // binary arrays longer than one read block of a document
const std::string kLatin1 =
    "Gr\xfc\xdf"
    "e";

// A scene whose nodes hold more keys than text keeps, with odd floats and non-UTF-8 names.
void BuildLargeScene(Scene& scene) {
  Node* hips = scene.MakeNode(nullptr, kLatin1);
  Node* spine = scene.MakeNode(nullptr, "Spine");
  hips->LinkChild(spine, 0);
  hips->SetUserFloatProperty("\xe9t\xe9", -0.0f);
  auto& position = hips->transform()->position()->mutable_keys();
  for (int k = 0; k < kKeys; ++k)
    position[k * 40 - 4000] = Point3(static_cast<float>(k) / 3.0f, -1e-40f, 1e30f);
  position[40] =
      Point3(std::bit_cast<float>(0x7FC12345u), std::numeric_limits<float>::infinity(), -0.0f);
  auto* tcb = static_cast<modra::host::TcbRotationController*>(
      scene.MakeEntity(modra::kRotationControllerClass, modra::kTcbRotationClassId));
  for (int k = 0; k < 20; ++k) tcb->SetKey(k * 160, Quat(0.1f * static_cast<float>(k), 0, 0, 1));
  spine->transform()->ReplaceRotationController(tcb);
}

class DocumentFormatTest : public zar::testing::RegistryTest {
 protected:
  std::string Path(const char* name) const { return (Folder() / name).string(); }
};

TEST_F(DocumentFormatTest, LargeScenesAndByteNamesComeBackBitForBit) {
  Scene scene;
  BuildLargeScene(scene);
  const std::string path = Path("large.json");
  ASSERT_EQ(modra::host::SaveSceneDocument(scene, path), "");
  Scene loaded;
  ASSERT_EQ(modra::host::LoadSceneDocument(path, loaded), "");
  Node* hips = loaded.FindByName(kLatin1);
  ASSERT_NE(hips, nullptr);
  const auto& original = scene.FindByName(kLatin1)->transform()->position()->keys();
  const auto& keys = hips->transform()->position()->keys();
  ASSERT_EQ(keys.size(), original.size());
  for (auto a = keys.begin(), b = original.begin(); a != keys.end(); ++a, ++b) {
    ASSERT_EQ(a->first, b->first);
    for (int i = 0; i < 3; ++i)
      ASSERT_EQ(std::bit_cast<std::uint32_t>(a->second[i]),
                std::bit_cast<std::uint32_t>(b->second[i]));
  }
  float value = 1.0f;
  EXPECT_TRUE(hips->UserFloatProperty("\xe9t\xe9", value));
  EXPECT_TRUE(std::signbit(value));
  EXPECT_EQ(loaded.FindByName("Spine")->transform()->rotation()->KeyCount(), 20);
  const std::string text = modra::host::SceneToText(loaded);
  EXPECT_NE(text.find("\"version\": 2,"), std::string::npos);
  EXPECT_LT(text.size(), std::size_t{kKeys} * 24) << "keys take about 21 bytes each";
  EXPECT_EQ(modra::host::SceneToText(scene), text);
}

TEST_F(DocumentFormatTest, FaultsOfTheBinaryFormNameTheProblem) {
  Scene scene;
  BuildLargeScene(scene);
  const Json good = Json::parse(modra::host::SceneToText(scene));
  auto position = [](Json& d) -> Json& { return d["nodes"][0]["transform"]["position"]; };
  struct Case {
    const char* what;
    std::function<void(Json&)> change;
    const char* problem;  // "" when the document loads
  };
  const Case cases[] = {
      {"times not base64", [&](Json& d) { position(d)["times"] = "AAA*"; }, "times is not base64"},
      {"values short", [&](Json& d) { position(d)["values"] = "AAAA"; },
       "do not hold the same number of keys"},
      {"tick repeated",
       [&](Json& d) {
         position(d)["times"] = "AQAAAAEAAAA=";  // 1, 1
         position(d)["values"] = std::string(32, 'A');
       },
       "key 1 tick 1 does not come after the tick before it"},
      {"name not base64",
       [](Json& d) {
         d["nodes"][0]["name"] = {{"base64", "%%"}};
       },
       "name is not base64"},
      {"name of another kind",
       [](Json& d) {
         d["nodes"][0]["name"] = {{"utf16", "AA=="}};
       },
       "name is not a text"},
      {"binary in version 1", [](Json& d) { d["version"] = 1; }, "version is 1, but"},
      {"members in any order", [](Json&) {}, ""},
  };
  for (const Case& c : cases) {
    Json doc = good;
    c.change(doc);
    Scene loaded;
    // nlohmann writes members in name order: "nodes" before "rootChildren" and "version".
    const std::string problem = modra::host::SceneFromText(doc.dump(), loaded);
    if (*c.problem == '\0') {
      EXPECT_EQ(problem, "") << c.what;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos)
          << c.what << ": got \"" << problem << "\"";
    }
  }
}

TEST_F(DocumentFormatTest, EvaluationInAnyOrderAfterEditsMatchesTheKeys) {
  Scene scene;
  Node* node = scene.MakeNode(nullptr, "N");
  modra::host::PointController* c = node->transform()->position();
  for (int k = 0; k < 4; ++k) c->mutable_keys()[k * 10] = Point3(static_cast<float>(k * k), 0, 0);
  struct Step {
    std::function<void()> edit;
    modra::TickTime t;
    float x;
  };
  const Step steps[] = {
      {nullptr, 5, 0.5f},
      {nullptr, 15, 2.5f},
      {nullptr, 35, 9.0f},
      {nullptr, -5, 0.0f},
      {nullptr, 12, 1.6f},
      {[&] { c->RemoveKeyAt(10); }, 12, 2.4f},
      {nullptr, 5, 1.0f},
      {[&] { c->RemoveKeyAt(20); }, 15, 4.5f},
      {[&] { c->mutable_keys()[14] = Point3(5, 0, 0); }, 12, 5.0f * 12 / 14},
      {nullptr, 16, 5.5f},
  };
  for (const Step& s : steps) {
    if (s.edit) s.edit();
    EXPECT_FLOAT_EQ(c->Evaluate(s.t).x, s.x) << "at tick " << s.t;
  }
}

TEST_F(DocumentFormatTest, NamesAndWorldTransformsStayCurrentThroughEdits) {
  Scene scene;
  Node* a = scene.MakeNode(nullptr, "");
  Node* b = scene.MakeNode(nullptr, "");
  Node* c = scene.MakeNode(nullptr, "Node001");
  EXPECT_EQ(a->name(), "Node001");
  EXPECT_EQ(b->name(), "Node002");
  EXPECT_EQ(scene.FindByName("Node001"), a) << "the first made of two nodes with one name";
  a->SetNodeName("A");
  EXPECT_EQ(scene.FindByName("Node001"), c);
  scene.RemoveNode(c);
  EXPECT_EQ(scene.FindByName("Node001"), nullptr);
  EXPECT_EQ(scene.UniqueName("Node002"), "Node001") << "a freed number is used again";
  c = scene.MakeNode(nullptr, "C");
  a->LinkChild(b, 0);
  b->LinkChild(c, 0);
  const auto x = [&](Node* n) { return n->NodeTransform(80).Translation().x; };
  const auto move = [](Node* n, float to) {
    n->transform()->position()->set_constant(Point3(to, 0, 0));
  };
  move(a, 1);
  move(b, 10);
  move(c, 100);
  EXPECT_EQ(x(c), 111.0f);
  move(a, 2);
  EXPECT_EQ(x(c), 112.0f) << "a change above a remembered world";
  EXPECT_EQ(x(b), 12.0f);
  scene.root().LinkChild(b, 0);
  EXPECT_EQ(x(c), 110.0f) << "a move in the tree";
  auto* tcb = static_cast<modra::host::TcbRotationController*>(
      scene.MakeEntity(modra::kRotationControllerClass, modra::kTcbRotationClassId));
  tcb->SetConstant(Quat(0, 0, 1, 0));  // half a turn about z
  b->transform()->ReplaceRotationController(tcb);
  EXPECT_NEAR(x(c), -90.0f, 1e-4f) << "a replaced controller";
  tcb->SetConstant(Quat());
  EXPECT_NEAR(x(c), 110.0f, 1e-4f) << "a change to the new controller";
}

// Two imports into one scene document at the same time, one of them through a symbolic link in
// another folder: the second runs on the first one's result, so both clouds are in the document,
// and no lock file stays behind. A Latin-1 marker name is kept as it is.
TEST_F(DocumentFormatTest, ConcurrentImportsBothTakeEffect) {
  // Long enough that the imports overlap.
  constexpr int kFrames = 20000;
  std::string trc =
      "PathFileType\t4\t(X/Y/Z)\tlatin1.trc\n"
      "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
      "OrigDataStartFrame\tOrigNumFrames\n60.00\t60.00\t" +
      std::to_string(kFrames) + "\t3\tmm\t60.00\t1\t" + std::to_string(kFrames) +
      "\nFrame#\tTime\t" + kLatin1 +
      "\t\t\tRFHD\t\t\tC7\t\t\t\n"
      "\t\tX1\tY1\tZ1\tX2\tY2\tZ2\tX3\tY3\tZ3\n\n";
  for (int f = 1; f <= kFrames; ++f) trc += std::to_string(f) + "\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\n";
  const std::string file = Path("latin1.trc");
  std::ofstream(file, std::ios::binary) << trc;
  const std::string tool = zar::testing::Quoted(ZAR_TOOL_FILE);
  const std::filesystem::path links = Folder() / "links";
  std::filesystem::create_directories(links);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::string name = "scene" + std::to_string(attempt) + ".json";
    const std::string scene = Path(name.c_str());
    std::filesystem::create_symlink(scene, links / name);
    const auto import = [&](const std::string& path) {
      return tool + " import-trc --no-prompts --scene " + zar::testing::Quoted(path) + " " +
             zar::testing::Quoted(file);
    };
    const auto run = zar::testing::Run(import((links / name).string()) + " & " + import(scene) +
                                       " & wait; " + import(scene) + " 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    Scene loaded;
    ASSERT_EQ(modra::host::LoadSceneDocument(scene, loaded), "");
    EXPECT_EQ(loaded.nodes().size(), 9u) << "three imports of three markers each";
    ASSERT_NE(loaded.FindByName(kLatin1), nullptr);
    EXPECT_EQ(loaded.FindByName(kLatin1)->transform()->position()->KeyCount(), kFrames);
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Folder()))
    EXPECT_NE(entry.path().extension(), ".lock") << entry.path();
}

}  // namespace
