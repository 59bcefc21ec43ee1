#ifndef ZAR_TESTS_EXPORT_HTR_TEST_SUPPORT_H_
#define ZAR_TESTS_EXPORT_HTR_TEST_SUPPORT_H_

// What the HTR export and round-trip suites share: a stand-in host session with a fresh registry
// and the plug-in loaded the way the host loads it, scenes of bones built directly in the
// stand-in, and the checks on written files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "filelib/htr_file.h"
#include "math/zar_rotation_matrix3.h"
#include "modra/host.h"
#include "modra/modules.h"
#include "modra/registry.h"

namespace zar::test {

// Descriptor indices of the plug-in.
inline constexpr int kImportHTRIndex = 0;
inline constexpr int kExportHTRIndex = 1;

// Dialog 126 and its controls.
inline constexpr int kExportDialog = 126;
inline constexpr int kOk = 1097;
inline constexpr int kCancel = 1098;
inline constexpr int kSavedPose = 1106;
inline constexpr int kCurrentPose = 1107;
inline constexpr int kExportAnimation = 1105;
inline constexpr int kParentTransforms = 1109;
inline constexpr int kSlider = 1067;
inline constexpr int kRange = 1068;
inline constexpr int kFrom = 1065;
inline constexpr int kTo = 1066;
inline constexpr int kOffset = 1089;
inline constexpr int kGlobal = 1088;

// Dialog 107 (the importer's) controls the round trips use.
inline constexpr int kImportBasePosition = 1017;
inline constexpr int kImportSetFrameRate = 1140;
inline constexpr int kImportOffset = 1089;

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A host session with its own registry file and the plug-in freshly loaded (so its option
// records start from their defaults), and a folder for the files a test writes.
class PluginSession : public ::testing::Test {
 public:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    // One folder per process and test: builds of the same tests may run side by side.
    dir_ = std::filesystem::temp_directory_path() / "zar_export_htr_tests" /
           (name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    modra::host::RegistryStore::Instance().SetPathOverride((dir_ / "registry.json").string());
    host_ = std::make_unique<modra::host::Host>();
    std::string error;
    plugin_ = modra::host::PluginLibrary::Load(ZAR_PLUGIN_PATH, error);
    ASSERT_NE(plugin_, nullptr) << error;
  }

  void TearDown() override {
    plugin_.reset();
    host_.reset();
    modra::host::RegistryStore::Instance().CloseAllHandles();
    modra::host::RegistryStore::Instance().SetPathOverride("");
    std::filesystem::remove_all(dir_);
  }

  modra::host::Host& host() { return *host_; }
  modra::host::Scene& scene() { return host_->scene(); }
  modra::host::ScriptedUser& user() { return host_->user(); }
  std::filesystem::path Path(const std::string& file) const { return dir_ / file; }

  // Runs the exporter as the host's export command does.
  int Export(const std::filesystem::path& file, bool suppressPrompts = false) {
    return host_->RunExport(*plugin_->Class(kExportHTRIndex), file.string(), suppressPrompts);
  }
  int Import(const std::filesystem::path& file, bool suppressPrompts = false) {
    return host_->RunImport(*plugin_->Class(kImportHTRIndex), file.string(), suppressPrompts);
  }

  // A bone node named `name`, linked below `parent` when given, with its length parameter set.
  modra::host::Node* Bone(const std::string& name, modra::host::Node* parent = nullptr,
                          float length = 10.0f) {
    auto* object = host_->MakeObject(modra::kGeometryClass, modra::kBoneObjectClassId)->AsObject();
    object->ParameterBlock(0)->SetParameter(modra::kBoneLength, 0, length);
    auto* node = static_cast<modra::host::Node*>(host_->MakeNodeForObject(object));
    node->SetNodeName(name.c_str());
    if (parent != nullptr) parent->LinkChild(node, 0);
    return node;
  }
  // A dummy helper node.
  modra::host::Node* Dummy(const std::string& name, modra::host::Node* parent = nullptr) {
    auto* object = host_->MakeObject(modra::kHelperClass, modra::kDummyHelperClassId)->AsObject();
    auto* node = static_cast<modra::host::Node*>(host_->MakeNodeForObject(object));
    node->SetNodeName(name.c_str());
    if (parent != nullptr) parent->LinkChild(node, 0);
    return node;
  }

  // Sets a node's position, rotation (host Euler angles, radians) or scale at time t; with
  // `key` a key is made there (animate mode on), otherwise the constant value is set.
  static void SetPosition(modra::SceneNode* node, const modra::Point3& p, modra::TickTime t = 0,
                          bool key = false) {
    SetValue(node->TransformController()->PositionController(), &p, t, key);
  }
  static void SetRotation(modra::SceneNode* node, float a, float b, float c, modra::TickTime t = 0,
                          bool key = false) {
    const float angles[3] = {a, b, c};
    const modra::Quat q = modra::EulerToQuat(angles);
    SetValue(node->TransformController()->RotationSubController(), &q, t, key);
  }
  static void SetScale(modra::SceneNode* node, const modra::Point3& s, modra::TickTime t = 0,
                       bool key = false) {
    SetValue(node->TransformController()->ScaleSubController(), &s, t, key);
  }
  static void SetValue(modra::Controller* controller, const void* value, modra::TickTime t,
                       bool key) {
    if (key) modra::AnimateOn();
    controller->SetControllerValue(t, value, 1, modra::kValueAbsolute);
    if (key) modra::AnimateOff();
  }

  // The first `count` of the seven saved base-position properties of a node.
  static void SaveBasePosition(modra::SceneNode* node, const float values[7], int count = 7) {
    const char* keys[] = {"HTRBaseTransX", "HTRBaseTransY", "HTRBaseTransZ", "HTRBaseRotX",
                          "HTRBaseRotY",   "HTRBaseRotZ",   "HTRBaseLength"};
    for (int i = 0; i < count; ++i) node->SetUserFloatProperty(keys[i], values[i]);
  }

  void Select(modra::host::Node* node, bool add = false) { scene().Select(node, add); }

  // Reads a written file; fails the test when the reader reports a problem.
  static std::unique_ptr<HTRFile> ReadHTR(const std::filesystem::path& file) {
    auto model = std::make_unique<HTRFile>();
    const std::string problem = model->Read(file.string(), true);
    EXPECT_EQ(problem, "") << file;
    return model;
  }

  // The message boxes the user saw, as "caption: text".
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& box : host_->user().MessageBoxes())
      out.push_back(box.caption + ": " + box.text);
    return out;
  }

  std::filesystem::path dir_;
  std::unique_ptr<modra::host::Host> host_;
  std::unique_ptr<modra::host::PluginLibrary> plugin_;
};

// The rotation matrix of code-0 angles.
inline ZARRotationMatrix3<double> MatrixOf(double x, double y, double z) {
  ZAREulerRotation<double> e(x, y, z);
  e.order.code = 0;
  ZARRotationMatrix3<double> m;
  m.SetFromEuler(e);
  return m;
}
inline ZARRotationMatrix3<double> MatrixOf(const ZAREulerRotation<double>& e) {
  ZARRotationMatrix3<double> m;
  m.SetFromEuler(e);
  return m;
}

// The largest entry-wise difference of two rotation matrices: angle triples that describe the
// same rotation differ by rounding only.
inline double RotationDistance(const ZARRotationMatrix3<double>& a,
                               const ZARRotationMatrix3<double>& b) {
  double d = 0.0;
  for (std::uint32_t r = 0; r < 3; ++r) {
    for (std::uint32_t c = 0; c < 3; ++c) d = std::max(d, std::fabs(a[r][c] - b[r][c]));
  }
  return d;
}

}  // namespace zar::test

#endif  // ZAR_TESTS_EXPORT_HTR_TEST_SUPPORT_H_
