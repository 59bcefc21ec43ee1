// The registry file: exact types and bytes, key creation, size queries, access, faults, corrupt
// files, and two processes writing at once.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "modra/registry.h"

namespace {

using modra::host::RegistryStore;

constexpr const char* kImportHtrKey = "Software\\Vantrel\\ZARFileIO\\Modra\\ImportHTR";

// "P<process>_<index>" (built by appending: GCC 12 misreports "literal" + std::string at -O3).
std::string ValueName(int process, int index) {
  std::string name = "P";
  name += std::to_string(process);
  name += '_';
  name += std::to_string(index);
  return name;
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("modra_registry_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    file_ = dir_ / "sub" / "registry.json";
    store().SetPathOverride(file_.string());
  }
  void TearDown() override {
    store().SetPathOverride("");
    store().SetUnavailable(false);
    store().SetDeniedKey("");
    store().CloseAllHandles();
    std::filesystem::remove_all(dir_);
  }
  static RegistryStore& store() { return RegistryStore::Instance(); }
  modra::RegistryKey Create(const char* path = kImportHtrKey) {
    modra::RegistryKey key = 0;
    EXPECT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey, path, modra::kRegistryAllAccess,
                                       &key, nullptr),
              modra::kRegistryOk);
    return key;
  }

  std::filesystem::path dir_;
  std::filesystem::path file_;
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndBytes) {
  std::uint32_t disposition = 0;
  modra::RegistryKey key = 0;
  ASSERT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey, kImportHtrKey,
                                     modra::kRegistryAllAccess, &key, &disposition),
            modra::kRegistryOk);
  EXPECT_EQ(disposition, modra::kRegistryCreatedNewKey);
  EXPECT_TRUE(std::filesystem::exists(file_)) << "the first key creates the file";

  struct Case {
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  const Case cases[] = {
      {"Apply", modra::kRegistryBinary, {1}},
      {"RotationController", modra::kRegistryDword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"Size", modra::kRegistryDword, {0x00, 0x00, 0x80, 0x3F}},  // 1.0f
      {"ScaleFactor", modra::kRegistryQword, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
      {"MNMPath", modra::kRegistryString, {'C', ':', '\\', 0}},
      {"Empty", modra::kRegistryString, {0}},
      {"Nothing", modra::kRegistryBinary, {}},
      {"Odd", 0x12345678, {0, 1, 2, 250, 255}},
  };
  for (const Case& c : cases)
    ASSERT_EQ(modra::RegistrySetValue(key, c.name, c.type, c.data.data(),
                                      static_cast<std::uint32_t>(c.data.size())),
              modra::kRegistryOk)
        << c.name;
  // Read back through a new handle, as after a restart.
  modra::RegistryCloseKey(key);
  store().CloseAllHandles();
  ASSERT_EQ(
      modra::RegistryOpenKey(modra::kCurrentUserKey, kImportHtrKey, modra::kRegistryRead, &key),
      modra::kRegistryOk);
  for (const Case& c : cases) {
    std::uint8_t buffer[16] = {};
    std::uint32_t size = sizeof buffer, type = 0;
    ASSERT_EQ(modra::RegistryQueryValue(key, c.name, &type, buffer, &size), modra::kRegistryOk)
        << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size), c.data) << c.name;
  }
  std::vector<modra::RegistryValue> listed;
  ASSERT_EQ(modra::RegistryListValues(key, listed), modra::kRegistryOk);
  ASSERT_EQ(listed.size(), std::size(cases));
  EXPECT_EQ(listed[0].name, "Apply");
}

TEST_F(RegistryTest, NamesIgnoreCaseAndValuesAreReplaced) {
  modra::RegistryKey key = Create();
  const std::uint8_t one = 1, zero = 0;
  ASSERT_EQ(modra::RegistrySetValue(key, "Animate", modra::kRegistryBinary, &one, 1),
            modra::kRegistryOk);
  ASSERT_EQ(modra::RegistrySetValue(key, "ANIMATE", modra::kRegistryBinary, &zero, 1),
            modra::kRegistryOk);
  std::vector<modra::RegistryValue> listed;
  modra::RegistryListValues(key, listed);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "Animate") << "the name keeps the case it was created with";
  EXPECT_EQ(listed[0].data, std::vector<std::uint8_t>{0});

  modra::RegistryKey again = 0;
  std::uint32_t disposition = 0;
  ASSERT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey,
                                     "software\\VANTREL\\zarfileio\\modra\\importhtr",
                                     modra::kRegistryAllAccess, &again, &disposition),
            modra::kRegistryOk);
  EXPECT_EQ(disposition, modra::kRegistryOpenedExistingKey);
  std::vector<std::string> subkeys;
  modra::RegistryKey modraKey = 0;
  modra::RegistryOpenKey(modra::kCurrentUserKey, "Software\\Vantrel\\ZARFileIO\\Modra",
                         modra::kRegistryRead, &modraKey);
  ASSERT_EQ(modra::RegistryListSubKeys(modraKey, subkeys), modra::kRegistryOk);
  EXPECT_EQ(subkeys, std::vector<std::string>{"ImportHTR"});
}

TEST_F(RegistryTest, QueriesAnswerSizesAndRefuseSmallBuffers) {
  modra::RegistryKey key = Create();
  const std::string text(1500, 'x');
  ASSERT_EQ(modra::RegistrySetValue(key, "MNMPath", modra::kRegistryString,
                                    reinterpret_cast<const std::uint8_t*>(text.c_str()), 1501),
            modra::kRegistryOk);
  std::uint8_t buffer[1024];
  buffer[0] = 'k';
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(modra::RegistryQueryValue(key, "MNMPath", nullptr, buffer, &size),
            modra::kRegistryMoreData);
  EXPECT_EQ(size, 1501u);
  EXPECT_EQ(buffer[0], 'k') << "a refused read writes nothing";
  size = 0;
  std::uint32_t type = 0;
  EXPECT_EQ(modra::RegistryQueryValue(key, "MNMPath", &type, nullptr, &size), modra::kRegistryOk);
  EXPECT_EQ(size, 1501u);
  EXPECT_EQ(type, modra::kRegistryString);
  EXPECT_EQ(modra::RegistryQueryValue(key, "Missing", nullptr, buffer, &size),
            modra::kRegistryNotFound);
  EXPECT_EQ(modra::RegistryQueryValue(0xDEAD, "MNMPath", nullptr, buffer, &size),
            modra::kRegistryInvalidHandle);
  EXPECT_EQ(modra::RegistryDeleteValue(key, "mnmpath"), modra::kRegistryOk);
  EXPECT_EQ(modra::RegistryQueryValue(key, "MNMPath", nullptr, buffer, &size),
            modra::kRegistryNotFound);
}

TEST_F(RegistryTest, ReadAccessCannotWriteAndMissingKeysAreNotFound) {
  modra::RegistryKey key = 0;
  EXPECT_EQ(
      modra::RegistryOpenKey(modra::kCurrentUserKey, kImportHtrKey, modra::kRegistryRead, &key),
      modra::kRegistryNotFound)
      << "no file yet";
  EXPECT_FALSE(std::filesystem::exists(file_)) << "opening does not create the file";
  Create();
  ASSERT_EQ(
      modra::RegistryOpenKey(modra::kCurrentUserKey, kImportHtrKey, modra::kRegistryRead, &key),
      modra::kRegistryOk);
  const std::uint8_t one = 1;
  EXPECT_EQ(modra::RegistrySetValue(key, "Apply", modra::kRegistryBinary, &one, 1),
            modra::kRegistryAccessDenied);
  EXPECT_EQ(
      modra::RegistryOpenKey(modra::kCurrentUserKey, "Software\\Other", modra::kRegistryRead, &key),
      modra::kRegistryNotFound);
  EXPECT_EQ(modra::RegistryCloseKey(key), modra::kRegistryOk);
  EXPECT_EQ(modra::RegistryCloseKey(key), modra::kRegistryInvalidHandle);
  EXPECT_EQ(modra::RegistryDeleteKey(modra::kCurrentUserKey, "Software\\Vantrel"),
            modra::kRegistryOk);
  EXPECT_EQ(
      modra::RegistryOpenKey(modra::kCurrentUserKey, kImportHtrKey, modra::kRegistryRead, &key),
      modra::kRegistryNotFound);
}

TEST_F(RegistryTest, FaultSwitchesDenyKeys) {
  modra::RegistryKey key = 0;
  store().SetUnavailable(true);
  EXPECT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey, kImportHtrKey,
                                     modra::kRegistryAllAccess, &key, nullptr),
            modra::kRegistryAccessDenied);
  store().SetUnavailable(false);
  store().SetDeniedKey("Software\\Vantrel\\ZARFileIO\\Modra\\ExportHTR");
  EXPECT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey, kImportHtrKey,
                                     modra::kRegistryAllAccess, &key, nullptr),
            modra::kRegistryOk);
  EXPECT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey,
                                     "Software\\Vantrel\\ZARFileIO\\Modra\\exporthtr",
                                     modra::kRegistryAllAccess, &key, nullptr),
            modra::kRegistryAccessDenied);
}

TEST_F(RegistryTest, CorruptFilesMakeEveryCallFailAndAreLeftAlone) {
  struct Case {
    const char* what;
    std::string content;
    const char* problem;
  };
  const std::string valueLess =
      R"({"format":"zarfileio-registry","version":1,"root":{"name":"HKEY_CURRENT_USER","values":[],"keys":[)";
  std::string deep = R"({"format":"zarfileio-registry","version":1,"root":)";
  for (int i = 0; i < 80; ++i) deep += R"({"name":"k","values":[],"keys":[)";
  const Case cases[] = {
      {"empty file", "", "not valid JSON"},
      {"garbage", "\x01\x02not json", "not valid JSON"},
      {"truncated", valueLess, "not valid JSON"},
      {"another format", R"({"format":"zarfileio-scene","version":1})", "not a registry file"},
      {"another version", R"({"format":"zarfileio-registry","version":2,"root":{}})", "version"},
      {"no root", R"({"format":"zarfileio-registry","version":1})", "no root"},
      {"bad hex",
       valueLess.substr(0, valueLess.size() - 20) +
           R"("values":[{"name":"A","type":3,"data":"zz"}],"keys":[]}})",
       "not {name, type, data as hex}"},
      {"negative type",
       valueLess.substr(0, valueLess.size() - 20) +
           R"("values":[{"name":"A","type":-3,"data":"00"}],"keys":[]}})",
       "not {name, type, data as hex}"},
      {"key without name", valueLess + R"({"values":[],"keys":[]}]}})", "is not an object"},
      {"too deep", deep + std::string(80, ']'), "not valid JSON"},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(file_.parent_path());
    { std::ofstream(file_, std::ios::binary) << c.content; }
    modra::RegistryKey key = 0;
    EXPECT_EQ(modra::RegistryCreateKey(modra::kCurrentUserKey, kImportHtrKey,
                                       modra::kRegistryAllAccess, &key, nullptr),
              modra::kRegistryBadStore)
        << c.what;
    EXPECT_EQ(
        modra::RegistryOpenKey(modra::kCurrentUserKey, kImportHtrKey, modra::kRegistryRead, &key),
        modra::kRegistryBadStore)
        << c.what;
    EXPECT_NE(store().lastProblem().find(file_.string()), std::string::npos) << c.what;
    EXPECT_NE(store().lastProblem().find(c.problem), std::string::npos)
        << c.what << ": " << store().lastProblem();
    EXPECT_EQ(ReadFile(file_), c.content) << c.what << ": a corrupt file is never overwritten";
  }
  // Deep but well-formed nesting is refused by depth rather than by the parser.
  std::string wellFormed = deep;
  for (int i = 0; i < 80; ++i) wellFormed += "]}";
  wellFormed += "}";
  { std::ofstream(file_, std::ios::binary) << wellFormed; }
  modra::RegistryKey key = 0;
  EXPECT_EQ(modra::RegistryOpenKey(modra::kCurrentUserKey, "k", modra::kRegistryRead, &key),
            modra::kRegistryBadStore);
  EXPECT_NE(store().lastProblem().find("deeper than 64"), std::string::npos)
      << store().lastProblem();
}

TEST_F(RegistryTest, TheFileComesFromTheEnvironment) {
  store().SetPathOverride("");
  const char* saved = std::getenv("ZARFILEIO_REGISTRY");
  const std::string keep = saved ? saved : "";
  ::setenv("ZARFILEIO_REGISTRY", "/tmp/chosen/registry.json", 1);
  EXPECT_EQ(store().Path(), "/tmp/chosen/registry.json");
  ::unsetenv("ZARFILEIO_REGISTRY");
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string keepXdg = xdg ? xdg : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/config", 1);
  EXPECT_EQ(store().Path(), "/tmp/config/zarfileio/registry.json");
  if (keepXdg.empty())
    ::unsetenv("XDG_CONFIG_HOME");
  else
    ::setenv("XDG_CONFIG_HOME", keepXdg.c_str(), 1);
  if (!keep.empty()) ::setenv("ZARFILEIO_REGISTRY", keep.c_str(), 1);
}

// The second process reaches the file through a symbolic link in another folder: both take the
// same lock all the same, and neither leaves a lock file behind.
TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
  Create();
  const std::filesystem::path link = dir_ / "elsewhere" / "link.json";
  std::filesystem::create_directories(link.parent_path());
  std::filesystem::create_symlink(file_, link);
  constexpr int kValues = 120;
  pid_t children[2];
  for (int p = 0; p < 2; ++p) {
    children[p] = ::fork();
    ASSERT_GE(children[p], 0);
    if (children[p] == 0) {
      if (p == 1) store().SetPathOverride(link.string());
      int failures = 0;
      modra::RegistryKey key = 0;
      if (modra::RegistryOpenKey(modra::kCurrentUserKey, kImportHtrKey, modra::kRegistryAllAccess,
                                 &key) != 0)
        ::_exit(2);
      for (int i = 0; i < kValues; ++i) {
        const std::string name = ValueName(p, i);
        const std::uint32_t value = static_cast<std::uint32_t>(p * 1000 + i);
        if (modra::RegistrySetValue(key, name.c_str(), modra::kRegistryDword,
                                    reinterpret_cast<const std::uint8_t*>(&value), 4) != 0)
          ++failures;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  modra::RegistryKey key = 0;
  ASSERT_EQ(
      modra::RegistryOpenKey(modra::kCurrentUserKey, kImportHtrKey, modra::kRegistryRead, &key),
      modra::kRegistryOk);
  std::vector<modra::RegistryValue> values;
  ASSERT_EQ(modra::RegistryListValues(key, values), modra::kRegistryOk);
  EXPECT_EQ(values.size(), 2u * kValues);
  for (int p = 0; p < 2; ++p) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = ValueName(p, i);
      std::uint32_t value = 0, size = 4;
      ASSERT_EQ(modra::RegistryQueryValue(key, name.c_str(), nullptr,
                                          reinterpret_cast<std::uint8_t*>(&value), &size),
                modra::kRegistryOk)
          << name;
      EXPECT_EQ(value, static_cast<std::uint32_t>(p * 1000 + i));
    }
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"elsewhere", "link.json", "registry.json", "sub"}));
}

}  // namespace
