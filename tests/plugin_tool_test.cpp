// zarfileio plugin info, options show and options reset, run as a separate process.

#include <gtest/gtest.h>

#include <string>

#include "plugin_test_support.h"

namespace {

using zar::testing::Quoted;
using zar::testing::RunResult;

class PluginToolTest : public zar::testing::RegistryTest {
 protected:
  static RunResult Tool(const std::string& arguments) {
    return zar::testing::Run(Quoted(ZAR_TOOL_FILE) + " " + arguments + " 2>&1");
  }
  static bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(PluginToolTest, InfoListsTheClassesThroughTheirDescriptors) {
  const RunResult info = Tool("plugin info --plugin " + Quoted(ZAR_PLUGIN_FILE));
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_TRUE(Contains(info.output, "Version      0x27101700")) << info.output;
  EXPECT_TRUE(Contains(info.output,
                       "Description  ZARFileIO Post-Process Motion Capture Utility (Orvane)\n"));
  EXPECT_TRUE(Contains(info.output, "Classes      4\n"));
  const char* const rows[] = {
      "  0  ImportHTR  scene importer (0x0A10)  class id (0x52871D2D, 0x79755925)  category "
      "\"Motion Capture\"\n"
      "     files *.HTR: Vantrel HTR Skeletal Animation File (Vantrel HTR File), version 300",
      "  1  ExportHTR  scene exporter (0x0A20)  class id (0x79A30F94, 0x5AD43C07)",
      "  2  ImportTRC  scene importer (0x0A10)  class id (0x36712537, 0x27265B43)",
      "     files *.TRC: Vantrel TRC Optical Marker Tracking File (Vantrel TRC File)",
      "  3  ZARUtilities  utility (0x1020)  class id (0x34CC2142, 0x1E45027A)",
  };
  for (const char* row : rows) EXPECT_TRUE(Contains(info.output, row)) << row;

  const RunResult missing = Tool("plugin info --plugin " + Quoted(Folder().string() + "/none.so"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.output, "cannot load plug-in")) << missing.output;
}

TEST_F(PluginToolTest, ShowAndResetTheStoredOptions) {
  RunResult show = Tool("options show");
  ASSERT_EQ(show.status, 0) << show.output;
  EXPECT_TRUE(Contains(show.output,
                       "ImportHTR  (HKEY_CURRENT_USER\\Software\\Vantrel\\"
                       "ZARFileIO\\Modra\\ImportHTR)\n  no key\n"))
      << show.output;

  // Values as the classes store them, plus one of another type and one the tool does not know.
  const std::string htr = ClassKey("ImportHTR");
  ASSERT_TRUE(WriteRaw(htr, "Apply", modra::kRegistryBinary, {1}));
  ASSERT_TRUE(WriteRaw(htr, "RotationController", modra::kRegistryDword, {0xFF, 0xFF, 0xFF, 0xFF}));
  ASSERT_TRUE(WriteRaw(htr, "Size", modra::kRegistryDword, {0, 0, 0x80, 0x3F}));
  ASSERT_TRUE(WriteRaw(htr, "ScaleFactor", modra::kRegistryQword, {0, 0, 0, 0, 0, 0, 0xE0, 0x3F}));
  ASSERT_TRUE(WriteRaw(htr, "Animate", modra::kRegistryDword, {0, 1, 0, 0}));
  ASSERT_TRUE(WriteRaw(htr, "Extra", modra::kRegistryBinary, {0xAB, 0xCD}));
  ASSERT_TRUE(WriteRaw(ClassKey("ConvertPNX"), "MNMPath", modra::kRegistryString,
                       {'<', 'n', 'o', 'n', 'e', '>', 0}));
  ASSERT_TRUE(WriteRaw(ClassKey("ExportHTR"), "Pose", modra::kRegistryBinary, {0}));
  show = Tool("options show");
  ASSERT_EQ(show.status, 0) << show.output;
  const char* const lines[] = {
      "  Apply               REG_BINARY  01                  = true\n",
      "  RotationController  REG_DWORD   0xFFFFFFFF          = -1\n",
      "  Size                REG_DWORD   0x3F800000          = 1\n",
      "  ScaleFactor         REG_QWORD   0x3FE0000000000000  = 0.5\n",
      "  Animate             REG_DWORD   0x00000100          = false\n",
      "  Extra               REG_BINARY  AB CD\n",
      "  MNMPath  REG_SZ      \"<none>\"            = \"<none>\"\n",
      "ImportTRC  (HKEY_CURRENT_USER\\Software\\Vantrel\\ZARFileIO\\Modra\\ImportTRC)\n  no key\n",
  };
  for (const char* line : lines) EXPECT_TRUE(Contains(show.output, line)) << line << show.output;

  const RunResult one = Tool("options show exporthtr");
  EXPECT_EQ(one.status, 0);
  EXPECT_TRUE(Contains(one.output, "Pose  REG_BINARY  00"));
  EXPECT_FALSE(Contains(one.output, "ImportHTR"));
  EXPECT_EQ(Tool("options show Nonsense").status, 2);

  const RunResult reset_one = Tool("options reset ImportHTR");
  ASSERT_EQ(reset_one.status, 0) << reset_one.output;
  EXPECT_EQ(reset_one.output, "ImportHTR: 6 values removed\n");
  EXPECT_FALSE(KeyExists(htr));
  EXPECT_TRUE(KeyExists(ClassKey("ExportHTR")));
  const RunResult reset_all = Tool("options reset");
  ASSERT_EQ(reset_all.status, 0) << reset_all.output;
  EXPECT_EQ(reset_all.output,
            "ImportHTR: nothing stored\nImportTRC: nothing stored\nExportHTR: 1 value removed\n"
            "ConvertPNX: 1 value removed\n");
  EXPECT_TRUE(SubKeys(zar::testing::kOptionsKey).empty());
}

TEST_F(PluginToolTest, ABrokenRegistryFileIsReportedNotReplaced) {
  {
    std::FILE* file = std::fopen(RegistryFile().c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("not a registry", file);
    std::fclose(file);
  }
  for (const char* command : {"options show", "options reset"}) {
    const RunResult result = Tool(command);
    EXPECT_EQ(result.status, 1) << command;
    EXPECT_TRUE(Contains(result.output, "cannot be used")) << result.output;
  }
  std::FILE* file = std::fopen(RegistryFile().c_str(), "r");
  ASSERT_NE(file, nullptr);
  char text[32] = {};
  EXPECT_NE(std::fgets(text, sizeof text, file), nullptr);
  std::fclose(file);
  EXPECT_STREQ(text, "not a registry");
}

}  // namespace
