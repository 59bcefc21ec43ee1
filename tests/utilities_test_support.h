#ifndef ZAR_TESTS_UTILITIES_TEST_SUPPORT_H_
#define ZAR_TESTS_UTILITIES_TEST_SUPPORT_H_

// A stand-in host session with the plug-in loaded and its own registry file, for the utilities
// panel, the PNX conversion and the MNM creator; TRC and PNX file helpers.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "modra/host.h"
#include "modra/modules.h"
#include "modra/registry.h"
#include "tests/filelib_test_support.h"

namespace zar::testing {

using modra::host::DialogState;
using modra::host::Host;
using modra::host::ShownEvent;

// Ids of the panel page and the creator dialog and their controls.
inline constexpr int kPage = 116;
inline constexpr int kCreator = 127;
inline constexpr int kMappingPath = 1137;
inline constexpr int kCreate = 1203;
inline constexpr int kMappingBrowse = 1132;
inline constexpr int kOutputFolder = 1138;
inline constexpr int kOutputBrowse = 1134;
inline constexpr int kConvert = 1200;
inline constexpr int kFilter = 1204;
inline constexpr int kBatch = 1201;
inline constexpr int kTrcName = 1202;
inline constexpr int kEnable = 1205;
inline constexpr int kTrcSpace = 1124;
inline constexpr int kModraSpace = 1125;
inline constexpr int kOffsetX = 1206;
inline constexpr int kOffsetY = 1207;
inline constexpr int kOffsetZ = 1208;
inline constexpr int kDescription = 1126;
inline constexpr int kBack = 1127;
inline constexpr int kSkip = 1129;
inline constexpr int kAbort = 1128;

inline constexpr const char* kConvertPnxKey = "Software\\Vantrel\\ZARFileIO\\Modra\\ConvertPNX";

class UtilitiesSession : public ::testing::Test {
 protected:
  void SetUp() override {
    modra::host::RegistryStore::Instance().SetPathOverride(folder_.File("registry.json"));
    host_ = std::make_unique<Host>();
    std::string error;
    plugin_ = modra::host::PluginLibrary::Load(ZAR_PLUGIN_PATH, error);
    ASSERT_NE(plugin_, nullptr) << error;
  }

  void TearDown() override {
    host_.reset();
    plugin_.reset();
    modra::host::RegistryStore::Instance().SetUnavailable(false);
    modra::host::RegistryStore::Instance().CloseAllHandles();
    modra::host::RegistryStore::Instance().SetPathOverride("");
  }

  Host& host() { return *host_; }
  modra::host::ScriptedUser& user() { return host_->user(); }
  modra::host::Scene& scene() { return host_->scene(); }
  const ScratchFolder& folder() const { return folder_; }
  std::string Path(std::string_view name) const { return folder_.File(name); }

  // Opens the utilities panel (creating the panel object through descriptor 3).
  void OpenPanel() {
    ASSERT_NE(host_->OpenUtility(*plugin_->Class(3)), nullptr);
    ASSERT_EQ(host_->panelPages().size(), 1u);
  }
  void ClosePanel() { host_->CloseUtility(); }
  modra::WindowHandle Page() const {
    return host_->panelPages().empty() ? nullptr : host_->panelPages().front();
  }
  // The page as it is now.
  DialogState PageState() const { return host_->windows().Snapshot(Page()); }
  const modra::host::ControlState& PageControl(int id) {
    state_ = PageState();
    const modra::host::ControlState* control = state_.Find(id);
    EXPECT_NE(control, nullptr) << id;
    static const modra::host::ControlState none;
    return control != nullptr ? *control : none;
  }
  // Lets the host take every queued action that it handles between steps (page presses and
  // what they lead to).
  void Run() { host_->ProcessActions(); }
  // Runs the page actions queued first, then presses Convert; the actions queued behind them
  // answer what the conversion asks.
  void PressConvert() {
    Run();
    std::vector<modra::host::UserAction> queued;
    while (const modra::host::UserAction* action = user().Front()) {
      queued.push_back(*action);
      user().Pop();
    }
    user().Press(kConvert, kPage);
    for (modra::host::UserAction& action : queued) user().Enqueue(std::move(action));
    Run();
  }

  // Message boxes shown, as "caption: text".
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const ShownEvent& e : host_->user().MessageBoxes())
      out.push_back(e.caption + ": " + e.text);
    return out;
  }
  std::vector<ShownEvent> Shown(ShownEvent::Kind kind) const {
    return host_->user().ShownOfKind(kind);
  }

  // Stored settings, written the way the option store writes them.
  void StoreString(const char* name, const std::string& value) {
    Store(name, modra::kRegistryString, reinterpret_cast<const std::uint8_t*>(value.c_str()),
          static_cast<std::uint32_t>(value.size() + 1));
  }
  void StoreBool(const char* name, bool value) {
    const std::uint8_t byte = value ? 1 : 0;
    Store(name, modra::kRegistryBinary, &byte, 1);
  }
  void StoreFloat(const char* name, float value) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    Store(name, modra::kRegistryDword, bytes, 4);
  }
  // A stored value's type and bytes; false when it is not stored.
  bool Stored(const char* name, std::uint32_t& type, std::vector<std::uint8_t>& data) {
    modra::RegistryKey key = 0;
    if (modra::RegistryOpenKey(modra::kCurrentUserKey, kConvertPnxKey, modra::kRegistryRead,
                               &key) != modra::kRegistryOk) {
      return false;
    }
    data.assign(2048, 0);
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    const bool found =
        modra::RegistryQueryValue(key, name, &type, data.data(), &size) == modra::kRegistryOk;
    data.resize(found ? size : 0);
    modra::RegistryCloseKey(key);
    return found;
  }
  std::string StoredString(const char* name) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (!Stored(name, type, data) || type != modra::kRegistryString) return "(missing)";
    return std::string(reinterpret_cast<const char*>(data.data()));
  }
  int StoredBool(const char* name) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (!Stored(name, type, data) || type != modra::kRegistryBinary || data.size() != 1) return -1;
    return data[0];
  }
  float StoredFloat(const char* name) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    float value = -12345.0f;
    if (Stored(name, type, data) && type == modra::kRegistryDword && data.size() == 4) {
      std::memcpy(&value, data.data(), 4);
    }
    return value;
  }

  // Scene nodes of each kind the creator meets.
  modra::host::Node* Sphere(const std::string& name) {
    return MakeNode(modra::kGeometryClass, modra::kSphereObjectClassId, name);
  }
  modra::host::Node* Point(const std::string& name) {
    return MakeNode(modra::kHelperClass, modra::kPointHelperClassId, name);
  }
  modra::host::Node* Empty(const std::string& name) { return scene().MakeNode(nullptr, name); }

 private:
  void Store(const char* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    modra::RegistryKey key = 0;
    ASSERT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey, kConvertPnxKey,
                                       modra::kRegistryAllAccess, &key, nullptr),
              modra::kRegistryOk);
    ASSERT_EQ(modra::RegistrySetValue(key, name, type, data, size), modra::kRegistryOk);
    modra::RegistryCloseKey(key);
  }
  modra::host::Node* MakeNode(modra::SuperClassId kind, modra::ClassId id,
                              const std::string& name) {
    modra::SceneEntity* entity = scene().MakeEntity(kind, id);
    auto* object = dynamic_cast<modra::host::SceneObjectImpl*>(entity);
    EXPECT_NE(object, nullptr);
    return scene().MakeNode(object, name);
  }

  ScratchFolder folder_;
  std::unique_ptr<modra::host::PluginLibrary> plugin_;
  std::unique_ptr<Host> host_;
  DialogState state_;
};

// One TRC marker column: a name and per frame either three numbers or a missing sample.
struct TrcColumn {
  std::string name;
  std::vector<std::string> samples;  // "x\ty\tz", or "" for a missing sample
};

// A TRC file with path type 4: header values as given, one data line per frame (frame numbers
// from `start`), each line carrying every column in order.
inline std::string TrcText(int data_rate, int camera_rate, int num_frames, int start,
                           const std::vector<TrcColumn>& columns, int data_lines = -1) {
  std::ostringstream text;
  text << "PathFileType\t4\t(X/Y/Z)\tgenerated.trc\r\n";
  text << "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
          "OrigDataStartFrame\tOrigNumFrames\r\n";
  text << data_rate << '\t' << camera_rate << '\t' << num_frames << '\t' << columns.size()
       << "\tmm\t" << data_rate << '\t' << start << '\t' << num_frames << "\r\n";
  text << "Frame#\tTime";
  for (const TrcColumn& c : columns) text << '\t' << c.name << "\t\t";
  text << "\t\r\n\t";
  for (std::size_t i = 1; i <= columns.size(); ++i) text << "\tX" << i << "\tY" << i << "\tZ" << i;
  text << "\r\n\r\n";
  const std::size_t lines = data_lines >= 0   ? static_cast<std::size_t>(data_lines)
                            : columns.empty() ? 0
                                              : columns.front().samples.size();
  for (std::size_t k = 0; k < lines; ++k) {
    text << (start + static_cast<int>(k)) << '\t' << static_cast<double>(k) * 0.01;
    for (const TrcColumn& c : columns) {
      const std::string sample = k < c.samples.size() ? c.samples[k] : "";
      text << '\t' << (sample.empty() ? "\t" : sample) << (sample.empty() ? "\t" : "");
    }
    text << "\r\n";
  }
  return text.str();
}

// A PNX file with its $Filename and $DateTime values replaced by fixed texts, so that files
// written at different times and places compare.
inline std::string WithoutNameAndDate(std::string text) {
  for (const char* key : {"$Filename   ", "$DateTime   "}) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) continue;
    const std::size_t value = at + std::strlen(key);
    const std::size_t end = text.find("\r\n", value);
    std::string masked = text.substr(0, value);
    masked.push_back('-');
    if (end != std::string::npos) masked.append(text, end, std::string::npos);
    text = std::move(masked);
  }
  return text;
}

inline std::string UtilitiesGolden(const std::string& name) {
  return ReadBytes(std::string(ZAR_TEST_DATA_DIR) + "/utilities/" + name);
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_UTILITIES_TEST_SUPPORT_H_
