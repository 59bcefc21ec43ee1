// The translators' option records inside a loaded plug-in (the probe build, which also exports
// the records): defaults, Load and Save orders and encodings, a registry that cannot be used,
// and options saved by one load of the plug-in read by another, in one process and across
// processes.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "modra/host.h"
#include "plugin_test_support.h"
#include "tests/plugin_probe_loader.h"

namespace {

using zar::testing::ProbePlugin;

class PluginOptionsTest : public zar::testing::RegistryTest {
 protected:
  static std::unique_ptr<ProbePlugin> LoadProbe(const std::string& path = ZAR_PLUGIN_PROBE_FILE) {
    std::string error;
    auto probe = ProbePlugin::Load(path, error);
    EXPECT_NE(probe, nullptr) << error;
    return probe;
  }

  // (name, registry type) of the stored values of a class key, in the order first written.
  std::vector<std::pair<std::string, std::uint32_t>> Stored(const char* class_key) {
    std::vector<std::pair<std::string, std::uint32_t>> stored;
    for (const modra::RegistryValue& value : Values(ClassKey(class_key)))
      stored.emplace_back(value.name, value.type);
    return stored;
  }
};

constexpr std::uint32_t kBool = modra::kRegistryBinary;
constexpr std::uint32_t kDword = modra::kRegistryDword;
constexpr std::uint32_t kQword = modra::kRegistryQword;

void ExpectImportHTRDefaults(const zar::ImportHTROptions& o) {
  EXPECT_FALSE(o.Apply);
  EXPECT_TRUE(o.Animate);
  EXPECT_FALSE(o.EndEffectors);
  EXPECT_FALSE(o.KeyBasePosition);
  EXPECT_FALSE(o.Range);
  EXPECT_FALSE(o.FPS);
  EXPECT_EQ(o.StartFrame, 1);
  EXPECT_EQ(o.EndFrame, 1);
  EXPECT_EQ(o.Offset, 0);
  EXPECT_EQ(o.RotationController, 0);
  EXPECT_EQ(o.Size, 1.0f);
  EXPECT_EQ(o.ScaleFactor, 1.0);
}

void ExpectImportTRCDefaults(const zar::ImportTRCOptions& o) {
  EXPECT_FALSE(o.Apply);
  EXPECT_TRUE(o.Geometry);
  EXPECT_FALSE(o.SelectedOnly);
  EXPECT_FALSE(o.RootNode);
  EXPECT_FALSE(o.Range);
  EXPECT_FALSE(o.FPS);
  EXPECT_EQ(o.StartFrame, 1);
  EXPECT_EQ(o.EndFrame, 1);
  EXPECT_EQ(o.Offset, 0);
  EXPECT_EQ(o.Size, 1.0f);
  EXPECT_EQ(o.ScaleFactor, 1.0);
}

void ExpectExportHTRDefaults(const zar::ExportHTROptions& o) {
  EXPECT_TRUE(o.Pose);
  EXPECT_TRUE(o.Animate);
  EXPECT_TRUE(o.ParentTransforms);
  EXPECT_FALSE(o.Range);
  EXPECT_EQ(o.StartFrame, 1);
  EXPECT_EQ(o.EndFrame, 1);
  EXPECT_EQ(o.Offset, 0);
  EXPECT_EQ(o.ScaleFactor, 1.0);
}

TEST_F(PluginOptionsTest, FirstUseKeepsTheDefaults) {
  auto probe = LoadProbe();
  ASSERT_NE(probe, nullptr);
  EXPECT_TRUE(probe->import_htr().IsOpen());
  for (const char* key : {"ImportHTR", "ImportTRC", "ExportHTR"}) EXPECT_TRUE(probe->Load(key));
  ExpectImportHTRDefaults(probe->import_htr());
  ExpectImportTRCDefaults(probe->import_trc());
  ExpectExportHTRDefaults(probe->export_htr());
}

TEST_F(PluginOptionsTest, SaveWritesTheStoredFieldsInOrder) {
  auto probe = LoadProbe();
  ASSERT_NE(probe, nullptr);
  for (const char* key : {"ImportHTR", "ImportTRC", "ExportHTR"}) EXPECT_TRUE(probe->Save(key));
  using Stored = std::vector<std::pair<std::string, std::uint32_t>>;
  EXPECT_EQ(this->Stored("ImportHTR"), (Stored{{"Apply", kBool},
                                               {"Animate", kBool},
                                               {"KeyBasePosition", kBool},
                                               {"EndEffectors", kBool},
                                               {"Range", kBool},
                                               {"FPS", kBool},
                                               {"RotationController", kDword},
                                               {"Size", kDword},
                                               {"ScaleFactor", kQword}}));
  EXPECT_EQ(this->Stored("ImportTRC"), (Stored{{"Apply", kBool},
                                               {"Geometry", kBool},
                                               {"SelectedOnly", kBool},
                                               {"RootNode", kBool},
                                               {"Range", kBool},
                                               {"FPS", kBool},
                                               {"Size", kDword},
                                               {"ScaleFactor", kQword}}));
  EXPECT_EQ(this->Stored("ExportHTR"), (Stored{{"Pose", kBool},
                                               {"Animate", kBool},
                                               {"ParentTransforms", kBool},
                                               {"Range", kBool},
                                               {"Offset", kDword},
                                               {"ScaleFactor", kQword}}));
  // The defaults as stored: Size 1.0 is the DWORD 0x3F800000.
  for (const modra::RegistryValue& value : Values(ClassKey("ImportHTR"))) {
    if (value.name == "Size") {
      EXPECT_EQ(value.data, (std::vector<std::uint8_t>{0, 0, 0x80, 0x3F}));
    }
    if (value.name == "Animate") {
      EXPECT_EQ(value.data, (std::vector<std::uint8_t>{1}));
    }
  }
}

TEST_F(PluginOptionsTest, LoadReadsStoredValuesAndKeepsTheRest) {
  auto probe = LoadProbe();
  ASSERT_NE(probe, nullptr);
  // Values another run stored, one of them with another type than the record writes.
  ASSERT_TRUE(WriteRaw(ClassKey("ImportHTR"), "Apply", kDword, {1, 0, 0, 0}));
  ASSERT_TRUE(WriteRaw(ClassKey("ImportHTR"), "Size", kDword, {0, 0, 0x20, 0x40}));  // 2.5f
  ASSERT_TRUE(WriteRaw(ClassKey("ExportHTR"), "Offset", kDword, {0xF6, 0xFF, 0xFF, 0xFF}));
  ASSERT_TRUE(WriteRaw(ClassKey("ExportHTR"), "ScaleFactor", kQword, {1, 2, 3}));
  zar::ImportHTROptions& htr = probe->import_htr();
  htr.StartFrame = 10;
  htr.Offset = 4;
  ASSERT_TRUE(probe->Load("ImportHTR"));
  ASSERT_TRUE(probe->Load("ExportHTR"));
  EXPECT_TRUE(htr.Apply);
  EXPECT_EQ(htr.Size, 2.5f);
  EXPECT_TRUE(htr.Animate);       // not stored: kept
  EXPECT_EQ(htr.StartFrame, 10);  // never stored
  EXPECT_EQ(htr.Offset, 4);       // never stored for the HTR importer
  EXPECT_EQ(probe->export_htr().Offset, -10);
  EXPECT_NE(probe->export_htr().ScaleFactor, 1.0);  // 3 bytes fit the getter's 8
  // A stored value that does not fit its getter leaves the field alone.
  ASSERT_TRUE(WriteRaw(ClassKey("ImportTRC"), "Size", kQword, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  probe->import_trc().Size = 7.0f;
  ASSERT_TRUE(probe->Load("ImportTRC"));
  EXPECT_EQ(probe->import_trc().Size, 7.0f);
  // The not-stored fields are not written either.
  ASSERT_TRUE(probe->Save("ImportHTR"));
  for (const modra::RegistryValue& value : Values(ClassKey("ImportHTR"))) {
    EXPECT_NE(value.name, "StartFrame");
    EXPECT_NE(value.name, "Offset");
  }
}

TEST_F(PluginOptionsTest, UnavailableKeyKeepsEveryDefaultAndShowsNothing) {
  modra::host::Host host;
  struct Case {
    const char* what;
    bool unavailable;
    const char* denied;
  };
  for (const Case c :
       {Case{"whole registry", true, ""},
        Case{"ImportTRC key denied", false, "Software\\Vantrel\\ZARFileIO\\Modra\\ImportTRC"}}) {
    SCOPED_TRACE(c.what);
    // A size stored earlier, which the closed store cannot read.
    ASSERT_TRUE(WriteRaw(ClassKey("ImportTRC"), "Size", kDword, {0, 0, 0x20, 0x40}));
    Store().SetUnavailable(c.unavailable);
    Store().SetDeniedKey(c.denied);
    auto probe = LoadProbe();
    ASSERT_NE(probe, nullptr);
    Store().SetUnavailable(false);
    Store().SetDeniedKey("");
    zar::ImportTRCOptions& trc = probe->import_trc();
    EXPECT_FALSE(trc.IsOpen());
    EXPECT_EQ(probe->import_htr().IsOpen(), !c.unavailable);
    // A full save-and-load cycle: nothing reaches the registry, every field keeps its default.
    trc.Apply = true;
    trc.Size = 9.0f;
    EXPECT_TRUE(probe->Save("ImportTRC"));
    trc.Apply = false;
    trc.Size = 1.0f;
    EXPECT_TRUE(probe->Load("ImportTRC"));
    ExpectImportTRCDefaults(trc);
    EXPECT_TRUE(probe->Load("ExportHTR"));
    ExpectExportHTRDefaults(probe->export_htr());
    EXPECT_TRUE(host.user().shown().empty());
    probe.reset();
    for (const modra::RegistryValue& value : Values(ClassKey("ImportTRC")))
      EXPECT_NE(value.name, "Apply");
    Store().CloseAllHandles();
    std::filesystem::remove(RegistryFile());
  }
}

TEST_F(PluginOptionsTest, TwoLoadsInOneProcessSeeEachOthersOptions) {
  // A second copy of the library file is a second, independent load with its own records.
  const std::string copy = (Folder() / "ZARFileIO-probe-copy.so").string();
  std::filesystem::copy_file(ZAR_PLUGIN_PROBE_FILE, copy);
  auto first = LoadProbe();
  auto second = LoadProbe(copy);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(&first->import_htr(), &second->import_htr());

  first->import_htr().Apply = true;
  first->import_htr().RotationController = 1;
  first->import_htr().Size = 0.25f;
  first->export_htr().ScaleFactor = 25.4;
  ASSERT_TRUE(first->Save("ImportHTR"));
  ASSERT_TRUE(first->Save("ExportHTR"));
  ASSERT_TRUE(second->Load("ImportHTR"));
  ASSERT_TRUE(second->Load("ExportHTR"));
  EXPECT_TRUE(second->import_htr().Apply);
  EXPECT_EQ(second->import_htr().RotationController, 1);
  EXPECT_EQ(second->import_htr().Size, 0.25f);
  EXPECT_EQ(second->export_htr().ScaleFactor, 25.4);

  second->import_trc().Geometry = false;
  second->import_trc().FPS = true;
  ASSERT_TRUE(second->Save("ImportTRC"));
  ASSERT_TRUE(first->Load("ImportTRC"));
  EXPECT_FALSE(first->import_trc().Geometry);
  EXPECT_TRUE(first->import_trc().FPS);

  // Unloaded and loaded again, the records start from their defaults and read what was saved.
  second.reset();
  first.reset();
  auto again = LoadProbe();
  ASSERT_NE(again, nullptr);
  ExpectImportHTRDefaults(again->import_htr());
  ASSERT_TRUE(again->Load("ImportHTR"));
  EXPECT_EQ(again->import_htr().Size, 0.25f);
  EXPECT_EQ(again->import_htr().RotationController, 1);
}

TEST_F(PluginOptionsTest, TwoProcessesSeeEachOthersOptions) {
  const std::string client =
      zar::testing::Quoted(ZAR_PROBE_CLIENT) + " " + zar::testing::Quoted(ZAR_PLUGIN_PROBE_FILE);
  // One process saves; another, started afterwards, loads what it saved.
  ASSERT_EQ(zar::testing::Run(client + " save 3").status, 0);
  zar::testing::RunResult printed = zar::testing::Run(client + " print");
  ASSERT_EQ(printed.status, 0);
  EXPECT_EQ(printed.output,
            "ImportHTR Size=3.5 Apply=1\nImportTRC ScaleFactor=0.75\nExportHTR Offset=-3\n");

  // This process, with the plug-in loaded all along, reads the other's values and saves its
  // own, which the next process reads.
  auto probe = LoadProbe();
  ASSERT_NE(probe, nullptr);
  ASSERT_EQ(zar::testing::Run(client + " save 8").status, 0);
  ASSERT_TRUE(probe->Load("ImportHTR"));
  EXPECT_EQ(probe->import_htr().Size, 8.5f);
  EXPECT_FALSE(probe->import_htr().Apply);
  probe->export_htr().Offset = 12;
  ASSERT_TRUE(probe->Save("ExportHTR"));
  printed = zar::testing::Run(client + " print");
  ASSERT_EQ(printed.status, 0);
  EXPECT_EQ(printed.output,
            "ImportHTR Size=8.5 Apply=0\nImportTRC ScaleFactor=2\nExportHTR Offset=12\n");
}

}  // namespace
