#ifndef ZAR_TESTS_PLUGIN_TEST_SUPPORT_H_
#define ZAR_TESTS_PLUGIN_TEST_SUPPORT_H_

// What the frame and plug-in suites share: a registry file of their own for every test, raw
// registry reads, and running another program.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "modra/registry.h"
#include "sdk/modra_platform.h"

namespace zar::testing {

inline constexpr const char* kOptionsKey = "Software\\Vantrel\\ZARFileIO\\Modra";

// Gives the test a fresh registry file (through ZARFILEIO_REGISTRY, as a separate process
// would see it) in a scratch folder, and lifts the registry's fault injection afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("zar_frame_" + std::to_string(::getpid()) + "_" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    registry_ = (folder_ / "registry.json").string();
    ::setenv("ZARFILEIO_REGISTRY", registry_.c_str(), 1);
    Store().SetPathOverride("");
  }

  void TearDown() override {
    Store().SetUnavailable(false);
    Store().SetDeniedKey("");
    Store().CloseAllHandles();
    ::unsetenv("ZARFILEIO_REGISTRY");
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }

  static modra::host::RegistryStore& Store() { return modra::host::RegistryStore::Instance(); }

  // The path below HKEY_CURRENT_USER of a class key.
  static std::string ClassKey(const std::string& class_key) {
    return std::string(kOptionsKey) + "\\" + class_key;
  }

  static bool KeyExists(const std::string& path) {
    modra::RegistryKey key = 0;
    if (modra::RegistryOpenKey(modra::kCurrentUserKey, path.c_str(), modra::kRegistryRead, &key) !=
        modra::kRegistryOk) {
      return false;
    }
    modra::RegistryCloseKey(key);
    return true;
  }

  // The values of the key at `path` in the order they were first written; empty when the key
  // is missing.
  static std::vector<modra::RegistryValue> Values(const std::string& path) {
    std::vector<modra::RegistryValue> values;
    modra::RegistryKey key = 0;
    if (modra::RegistryOpenKey(modra::kCurrentUserKey, path.c_str(), modra::kRegistryRead, &key) !=
        modra::kRegistryOk) {
      return values;
    }
    modra::RegistryListValues(key, values);
    modra::RegistryCloseKey(key);
    return values;
  }

  static std::vector<std::string> SubKeys(const std::string& path) {
    std::vector<std::string> names;
    modra::RegistryKey key = 0;
    if (modra::RegistryOpenKey(modra::kCurrentUserKey, path.c_str(), modra::kRegistryRead, &key) !=
        modra::kRegistryOk) {
      return names;
    }
    modra::RegistryListSubKeys(key, names);
    modra::RegistryCloseKey(key);
    return names;
  }

  // Writes a raw value below HKEY_CURRENT_USER, creating the key; true on success.
  static bool WriteRaw(const std::string& path, const char* name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) {
    modra::RegistryKey key = 0;
    if (modra::RegistryCreateKey(modra::kCurrentUserKey, path.c_str(), modra::kRegistryAllAccess,
                                 &key, nullptr) != modra::kRegistryOk) {
      return false;
    }
    const bool written =
        modra::RegistrySetValue(key, name, type, data.data(),
                                static_cast<std::uint32_t>(data.size())) == modra::kRegistryOk;
    modra::RegistryCloseKey(key);
    return written;
  }

  const std::filesystem::path& Folder() const { return folder_; }
  const std::string& RegistryFile() const { return registry_; }

 private:
  std::filesystem::path folder_;
  std::string registry_;
};

// Runs `command` through the shell; its standard output and exit status.
struct RunResult {
  int status = -1;
  std::string output;
};

inline RunResult Run(const std::string& command) {
  RunResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
    result.output.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// `text` quoted for the shell.
inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_PLUGIN_TEST_SUPPORT_H_
