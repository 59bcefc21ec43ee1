// The utilities panel of the loaded plug-in: its page, the rules between its controls, the
// browse buttons, and the settings it reads when made and writes when closed.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/utilities_test_support.h"

namespace zar::testing {
namespace {

class UtilitiesPanelTest : public UtilitiesSession {};

TEST_F(UtilitiesPanelTest, FirstRunShowsTheDefaults) {
  OpenPanel();
  const DialogState page = PageState();
  EXPECT_EQ(page.templateId, kPage);
  EXPECT_EQ(page.title, "Convert TRC to PNX");
  EXPECT_EQ(page.Find(kMappingPath)->text, "<none>");
  EXPECT_EQ(page.Find(kOutputFolder)->text, "<none>");
  EXPECT_EQ(page.Find(kFilter)->checked, 1u);
  EXPECT_EQ(page.Find(kBatch)->checked, 0u);
  EXPECT_EQ(page.Find(kTrcName)->checked, 1u);
  EXPECT_TRUE(page.Find(kTrcName)->enabled);
  EXPECT_EQ(page.Find(kTrcSpace)->checked, 1u);
  EXPECT_EQ(page.Find(kModraSpace)->checked, 0u);
  EXPECT_EQ(page.Find(kEnable)->checked, 0u);
  for (const int id : {kTrcSpace, kModraSpace, kOffsetX, kOffsetY, kOffsetZ}) {
    EXPECT_FALSE(page.Find(id)->enabled) << id;
  }
  for (const int id : {kOffsetX, kOffsetY, kOffsetZ}) {
    EXPECT_EQ(page.Find(id)->text, "0.000000") << id;
  }
}

TEST_F(UtilitiesPanelTest, StoredSettingsAreShown) {
  StoreString("MNMPath", "/maps/body.mnm");
  StoreString("OutputPath", "");
  StoreBool("Filter", false);
  StoreBool("Batch", true);
  StoreBool("TRCName", false);
  StoreBool("TRCSpace", false);
  StoreBool("Offset", true);
  StoreFloat("OffsetX", 1.5f);
  StoreFloat("OffsetY", -0.25f);
  StoreFloat("OffsetZ", 1234.5678f);
  OpenPanel();
  const DialogState page = PageState();
  EXPECT_EQ(page.Find(kMappingPath)->text, "/maps/body.mnm");
  EXPECT_EQ(page.Find(kOutputFolder)->text, "<none>");
  EXPECT_EQ(page.Find(kFilter)->checked, 0u);
  EXPECT_EQ(page.Find(kBatch)->checked, 1u);
  // Batch disables "Use TRC Filename", which still shows the stored choice.
  EXPECT_EQ(page.Find(kTrcName)->checked, 0u);
  EXPECT_FALSE(page.Find(kTrcName)->enabled);
  EXPECT_EQ(page.Find(kTrcSpace)->checked, 0u);
  EXPECT_EQ(page.Find(kModraSpace)->checked, 1u);
  for (const int id : {kTrcSpace, kModraSpace, kOffsetX, kOffsetY, kOffsetZ}) {
    EXPECT_TRUE(page.Find(id)->enabled) << id;
  }
  EXPECT_EQ(page.Find(kOffsetX)->text, "1.500000");
  EXPECT_EQ(page.Find(kOffsetY)->text, "-0.250000");
  EXPECT_EQ(page.Find(kOffsetZ)->text, "1234.567749");
}

TEST_F(UtilitiesPanelTest, ClosingSavesEverySettingWithItsType) {
  OpenPanel();
  ClosePanel();
  EXPECT_TRUE(host().panelPages().empty());
  EXPECT_EQ(StoredString("MNMPath"), "<none>");
  EXPECT_EQ(StoredString("InputPath"), "C:\\");
  EXPECT_EQ(StoredString("OutputPath"), "<none>");
  EXPECT_EQ(StoredBool("Filter"), 1);
  EXPECT_EQ(StoredBool("Batch"), 0);
  EXPECT_EQ(StoredBool("TRCName"), 1);
  EXPECT_EQ(StoredBool("TRCSpace"), 1);
  EXPECT_EQ(StoredBool("Offset"), 0);
  EXPECT_EQ(StoredFloat("OffsetX"), 0.0f);
  EXPECT_EQ(StoredFloat("OffsetY"), 0.0f);
  EXPECT_EQ(StoredFloat("OffsetZ"), 0.0f);
}

TEST_F(UtilitiesPanelTest, BoxesChangeTheSettings) {
  OpenPanel();
  user().Tick(kFilter, false, kPage).Tick(kTrcName, false, kPage).Tick(kEnable, true, kPage);
  user().Press(kModraSpace, kPage);
  Run();
  DialogState page = PageState();
  EXPECT_EQ(page.Find(kTrcSpace)->checked, 0u);
  EXPECT_EQ(page.Find(kModraSpace)->checked, 1u);
  EXPECT_TRUE(page.Find(kOffsetX)->enabled);
  user().Press(kTrcSpace, kPage);
  Run();
  page = PageState();
  EXPECT_EQ(page.Find(kTrcSpace)->checked, 1u);
  EXPECT_EQ(page.Find(kModraSpace)->checked, 0u);
  user().Press(kModraSpace, kPage).Tick(kEnable, false, kPage);
  Run();
  page = PageState();
  for (const int id : {kTrcSpace, kModraSpace, kOffsetX, kOffsetY, kOffsetZ}) {
    EXPECT_FALSE(page.Find(id)->enabled) << id;
  }
  ClosePanel();
  EXPECT_EQ(StoredBool("Filter"), 0);
  EXPECT_EQ(StoredBool("TRCName"), 0);
  EXPECT_EQ(StoredBool("TRCSpace"), 0);
  EXPECT_EQ(StoredBool("Offset"), 0);
}

TEST_F(UtilitiesPanelTest, BatchForcesTheTrcNameBoxWithoutChangingTheChoice) {
  OpenPanel();
  user().Tick(kTrcName, false, kPage).Tick(kBatch, true, kPage);
  Run();
  EXPECT_EQ(PageControl(kTrcName).checked, 1u);
  EXPECT_FALSE(PageControl(kTrcName).enabled);
  user().Tick(kBatch, false, kPage);
  Run();
  EXPECT_TRUE(PageControl(kTrcName).enabled);
  ClosePanel();
  EXPECT_EQ(StoredBool("Batch"), 0);
  EXPECT_EQ(StoredBool("TRCName"), 0);
}

TEST_F(UtilitiesPanelTest, MappingBrowse) {
  const std::string map = folder().Write("body.mnm", "LFHD\tA\t\r\n");
  OpenPanel();
  user().Press(kMappingBrowse, kPage).ChooseFile(map);
  Run();
  EXPECT_EQ(PageControl(kMappingPath).text, map);
  const auto dialogs = Shown(ShownEvent::Kind::kFileDialog);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].text, "Select Mapping File...");
  EXPECT_EQ(dialogs[0].caption, "open");
  // A cancelled browse, or a file that does not exist, changes nothing.
  user().Press(kMappingBrowse, kPage).CancelFileDialog();
  user().Press(kMappingBrowse, kPage).ChooseFile(Path("missing.mnm"));
  Run();
  EXPECT_EQ(PageControl(kMappingPath).text, map);
  ClosePanel();
  EXPECT_EQ(StoredString("MNMPath"), map);
}

TEST_F(UtilitiesPanelTest, OutputFolderBrowse) {
  std::filesystem::create_directories(Path("out"));
  OpenPanel();
  user().Press(kOutputBrowse, kPage).ChooseFolder(Path("out"));
  Run();
  EXPECT_EQ(PageControl(kOutputFolder).text, Path("out"));
  const auto folders = Shown(ShownEvent::Kind::kFolderDialog);
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(folders[0].text, "Choose PNX Files Destination Folder...");
  // A cancelled choice keeps the folder chosen before.
  user().Press(kOutputBrowse, kPage).CancelFolder();
  Run();
  EXPECT_EQ(PageControl(kOutputFolder).text, Path("out"));
  ClosePanel();
  EXPECT_EQ(StoredString("OutputPath"), Path("out"));
}

TEST_F(UtilitiesPanelTest, OffsetEditsAreTakenOnlyByConvert) {
  OpenPanel();
  user().Tick(kEnable, true, kPage).FillEdit(kOffsetX, "2.5", kPage);
  Run();
  ClosePanel();
  EXPECT_EQ(StoredFloat("OffsetX"), 0.0f);
  EXPECT_EQ(StoredBool("Offset"), 1);
}

TEST_F(UtilitiesPanelTest, MouseMessagesGoToThePanel) {
  OpenPanel();
  user().PanelMouse(kPage).PanelMouse(kPage);
  Run();
  EXPECT_EQ(host().forwardedMouseMessages(), 2);
}

TEST_F(UtilitiesPanelTest, ClosingEndsAPickModeLeftRunning) {
  class IdlePick : public modra::PickModeCallback {
   public:
    bool HitTest(modra::HostInterface*, modra::WindowHandle, modra::PickView*, modra::ScreenPoint,
                 int) override {
      return false;
    }
    bool Pick(modra::HostInterface*, modra::PickView*) override { return false; }
  } pick;
  OpenPanel();
  host().StartNodePick(&pick);
  ASSERT_TRUE(host().pickModeActive());
  ClosePanel();
  EXPECT_FALSE(host().pickModeActive());
}

TEST_F(UtilitiesPanelTest, WithoutARegistryTheDefaultsStandAndNothingIsSaved) {
  StoreBool("Filter", false);
  modra::host::RegistryStore::Instance().SetUnavailable(true);
  OpenPanel();
  EXPECT_EQ(PageControl(kFilter).checked, 1u);
  user().Tick(kBatch, true, kPage);
  Run();
  ClosePanel();
  EXPECT_TRUE(Messages().empty());
  modra::host::RegistryStore::Instance().SetUnavailable(false);
  EXPECT_EQ(StoredBool("Filter"), 0);
  EXPECT_EQ(StoredBool("Batch"), -1);
}

TEST_F(UtilitiesPanelTest, OpeningTwiceKeepsOnePage) {
  OpenPanel();
  const modra::WindowHandle first = Page();
  host().openUtility()->OpenPanel(&host(), &host());
  ASSERT_EQ(host().panelPages().size(), 1u);
  EXPECT_EQ(Page(), first);
}

}  // namespace
}  // namespace zar::testing
