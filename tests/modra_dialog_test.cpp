// The stand-in's user interface: dialogs driven by the scripted user through their procedures,
// message boxes, file dialogs and the folder picker, the message pump with pick mode, progress
// and quitting, panel pages with custom edits, module resources and the plug-in loader.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "modra/host.h"
#include "modra/modules.h"

namespace {

using modra::host::Host;
using modra::host::ShownEvent;

constexpr int kOptions = 120;
constexpr int kAbout = 114;
constexpr int kCreator = 127;
constexpr int kPage = 116;

modra::ControlTemplate Control(int id, modra::ControlKind kind, const char* text,
                               std::uint32_t style = 0) {
  modra::ControlTemplate c;
  c.id = id;
  c.kind = kind;
  c.text = text;
  c.style = style;
  return c;
}

modra::ModuleResources TestResources() {
  using K = modra::ControlKind;
  modra::ModuleResources r;
  r.strings[5] = "Select Mapping File...";
  r.strings[6] = "Convert TRC to PNX";
  modra::DialogTemplate options;
  options.id = kOptions;
  options.title = "ImportTRC";
  options.controls = {Control(1097, K::kPushButton, "&OK", modra::kStyleDefaultButton),
                      Control(1098, K::kPushButton, "&Cancel"),
                      Control(1009, K::kRadioButton, "Create", modra::kStyleGroupStart),
                      Control(1010, K::kRadioButton, "Apply", modra::kStyleGroupStart),
                      Control(1112, K::kCheckBox, "Selected Items Only"),
                      Control(1104, K::kEdit, "", modra::kStyleBorder),
                      Control(modra::kNoControlId, K::kStaticText, "Size")};
  modra::DialogTemplate about;
  about.id = kAbout;
  about.title = "About...";
  about.controls = {Control(1097, K::kPushButton, "&OK"),
                    Control(1069, K::kStaticText, "ZARFileIO for Modra")};
  modra::DialogTemplate creator;
  creator.id = kCreator;
  creator.title = "MNM Creator / Marker Selection";
  creator.controls = {Control(1126, K::kEdit, "", modra::kStyleReadOnly),
                      Control(1127, K::kPushButton, "Back"), Control(1129, K::kPushButton, "Skip"),
                      Control(1128, K::kPushButton, "Abort")};
  modra::DialogTemplate page;
  page.id = kPage;
  page.style = modra::kDialogChild;
  page.controls = {Control(1205, K::kCheckBox, "Enable"), Control(1206, K::kCustomEdit, ""),
                   Control(1200, K::kPushButton, "Convert TRC to PNX")};
  r.dialogs = {options, about, creator, page};
  return r;
}

// What the options dialog's procedure saw.
struct OptionsLog {
  int destroyed = 0;
  double size = 0;
  bool apply = false;
  bool selectedOnly = false;
  std::vector<int> commands;
};
OptionsLog g_log;

// A procedure in the style of the plug-in's option dialogs.
std::intptr_t OptionsProc(modra::WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t) {
  switch (message) {
    case modra::kMessageInitDialog:
      modra::CenterWindow(dialog, modra::ParentWindow(dialog));
      modra::CheckRadioButton(dialog, 1009, 1010, 1009);
      modra::EnableControl(dialog, 1112, false);
      modra::SetControlText(dialog, 1104, "1.000000");
      return 1;
    case modra::kMessageDestroy:
      ++g_log.destroyed;
      return 1;
    case modra::kMessageCommand:
      g_log.commands.push_back(modra::CommandId(wParam));
      switch (modra::CommandId(wParam)) {
        case 1009:
        case 1010:
          modra::CheckRadioButton(dialog, 1009, 1010, modra::CommandId(wParam));
          modra::EnableControl(dialog, 1112, modra::CommandId(wParam) == 1010);
          return 1;
        case 1097: {
          g_log.apply = modra::IsButtonChecked(dialog, 1009) == 0;
          g_log.selectedOnly = modra::IsButtonChecked(dialog, 1112) != 0;
          char text[256];
          modra::GetControlText(dialog, 1104, text, 256);
          g_log.size = std::atof(text);
          if (g_log.size == 0) {
            modra::ShowMessageBox(modra::ActiveWindow(), "Please choose a non-zero size.",
                                  "ImportTRC Error", modra::kMessageBoxOk);
            return 1;
          }
          modra::EndDialog(dialog, 1);
          return 1;
        }
        case 1098:
          modra::EndDialog(dialog, 0);
          return 1;
      }
      return 0;
  }
  return 0;
}

std::intptr_t AboutProc(modra::WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t) {
  if (message == modra::kMessageCommand && modra::CommandId(wParam) == 1097)
    modra::EndDialog(dialog, 1);
  return message == modra::kMessageInitDialog ? 1 : 0;
}

// The creator's modeless dialog: Back, Skip and Abort set flags; 0x401 shows a description.
struct CreatorState {
  int back = 0;
  int skip = 0;
  bool aborted = false;
};
std::intptr_t CreatorProc(modra::WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  if (message == modra::kMessageInitDialog) {
    modra::SetWindowUserData(dialog, lParam);
    modra::EnableControl(dialog, 1127, false);
    return 1;
  }
  auto* state = reinterpret_cast<CreatorState*>(modra::WindowUserData(dialog));
  if (state == nullptr) return 0;
  if (message == modra::kMessageUser + 1) {
    modra::SetControlText(dialog, 1126, reinterpret_cast<const char*>(lParam));
    modra::EnableControl(dialog, 1127, true);
    return 1;
  }
  if (message != modra::kMessageCommand) return 0;
  switch (modra::CommandId(wParam)) {
    case 1127:
      ++state->back;
      break;
    case 1129:
      ++state->skip;
      break;
    case 1128:
      state->aborted = true;
      modra::DestroyDialog(dialog);
      break;
  }
  return 0;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log = OptionsLog();
    module_ = modra::host::CreateModule("test");
    ASSERT_TRUE(modra::RegisterModuleResources(module_, TestResources()));
  }
  void TearDown() override { modra::host::DestroyModule(module_); }

  std::intptr_t RunOptions() {
    return modra::RunModalDialog(module_, kOptions, host_.MainWindow(), OptionsProc, 0);
  }

  Host host_;
  modra::ModuleHandle module_ = nullptr;
};

TEST_F(DialogTest, ScriptedUserDrivesAModalDialogThroughInitCommandsAndResult) {
  host_.user()
      .FillEdit(1104, "letters")
      .Press(1097)       // refused: the size reads as 0
      .Tick(1112, true)  // disabled in create mode: the user cannot tick it
      .Press(1010)
      .Tick(1112, true)
      .FillEdit(1104, "2.5")
      .Press(1097);
  EXPECT_EQ(RunOptions(), 1);
  EXPECT_TRUE(host_.user().Empty());
  EXPECT_TRUE(g_log.apply);
  EXPECT_TRUE(g_log.selectedOnly);
  EXPECT_EQ(g_log.size, 2.5);
  EXPECT_EQ(g_log.destroyed, 1);

  const auto opened = host_.user().ShownOfKind(ShownEvent::Kind::kDialogOpened);
  ASSERT_EQ(opened.size(), 1u);
  const modra::host::DialogState& first = opened[0].dialog;
  EXPECT_EQ(first.title, "ImportTRC");
  EXPECT_TRUE(first.centred);
  EXPECT_EQ(first.Find(1009)->checked, 1u);
  EXPECT_EQ(first.Find(1010)->checked, 0u);
  EXPECT_FALSE(first.Find(1112)->enabled);
  EXPECT_EQ(first.Find(1104)->text, "1.000000");

  const auto boxes = host_.user().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Please choose a non-zero size.");
  EXPECT_EQ(boxes[0].caption, "ImportTRC Error");
  EXPECT_EQ(boxes[0].number, modra::kAnswerOk);

  const auto notes = host_.user().ShownOfKind(ShownEvent::Kind::kNote);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].outcome, modra::host::Outcome::kRefused);
  EXPECT_EQ(notes[0].refusal, modra::host::Refusal::kDisabled);
  EXPECT_EQ(notes[0].number, 1112);

  const auto closed = host_.user().ShownOfKind(ShownEvent::Kind::kDialogClosed);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0].number, 1);
  EXPECT_EQ(closed[0].dialog.Find(1010)->checked, 1u);
  EXPECT_EQ(closed[0].dialog.Find(1009)->checked, 0u);
  // Edits send a change notification, buttons a click: 1104, 1097, 1010, 1112, 1104, 1097.
  EXPECT_EQ(g_log.commands, (std::vector<int>{1104, 1097, 1010, 1112, 1104, 1097}));
}

TEST_F(DialogTest, NothingLeftToDoCancelsTheDialog) {
  // Escape is ignored by this procedure, so the host presses its Cancel button.
  EXPECT_EQ(RunOptions(), 0);
  EXPECT_EQ(g_log.commands, (std::vector<int>{modra::kCommandCancel, 1098}));
  // A dialog without a Cancel button is closed by the host with 0.
  EXPECT_EQ(modra::RunModalDialog(module_, kAbout, host_.MainWindow(), AboutProc, 0), 0);
  // An action meant for something else stays queued.
  host_.user().ChooseFile("/tmp/x.mnm");
  EXPECT_EQ(RunOptions(), 0);
  EXPECT_EQ(host_.user().Pending(), 1u);
  // A missing template or procedure runs nothing.
  EXPECT_EQ(modra::RunModalDialog(module_, 999, host_.MainWindow(), OptionsProc, 0), -1);
  EXPECT_EQ(modra::RunModalDialog(module_, kOptions, host_.MainWindow(), nullptr, 0), -1);
  EXPECT_EQ(modra::RunModalDialog(nullptr, kOptions, host_.MainWindow(), OptionsProc, 0), -1);
}

TEST_F(DialogTest, EditTextIsReadUpToTheBufferSize) {
  const std::string longText(300, '7');
  host_.user().FillEdit(1104, longText).Press(1097);
  EXPECT_EQ(RunOptions(), 1);
  // 255 sevens and the terminator fit the 256-character buffer.
  EXPECT_EQ(g_log.size, std::atof(std::string(255, '7').c_str()));
}

TEST_F(DialogTest, MessageBoxesAnswerAsScriptedOrByDefault) {
  struct Case {
    std::vector<int> answers;
    std::uint32_t type;
    int expected;
    std::size_t left;
  };
  const Case cases[] = {
      {{}, modra::kMessageBoxYesNo, modra::kAnswerYes, 0},
      {{modra::kAnswerNo}, modra::kMessageBoxYesNo, modra::kAnswerNo, 0},
      {{modra::kAnswerYes}, modra::kMessageBoxYesNo, modra::kAnswerYes, 0},
      {{}, modra::kMessageBoxOk, modra::kAnswerOk, 0},
      {{modra::kAnswerNo}, modra::kMessageBoxOk, modra::kAnswerOk, 0},
  };
  for (const Case& c : cases) {
    host_.user().ClearShown();
    for (int a : c.answers) host_.user().Answer(a);
    EXPECT_EQ(modra::ShowMessageBox(nullptr, "Are you using a left wrist stick?",
                                    "Pick optional markers?", c.type),
              c.expected);
    EXPECT_EQ(host_.user().Pending(), c.left);
    const auto boxes = host_.user().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Pick optional markers?");
    EXPECT_EQ(boxes[0].number, c.expected);
  }
  // A box does not take an action meant for something else.
  host_.user().PickNode("LFHD");
  EXPECT_EQ(modra::ShowMessageBox(nullptr, "x", "y", modra::kMessageBoxYesNo), modra::kAnswerYes);
  EXPECT_EQ(host_.user().Pending(), 1u);
}

TEST_F(DialogTest, ModelessDialogTakesButtonPressesFromTheMessagePump) {
  CreatorState state;
  modra::WindowHandle dialog = modra::CreateModelessDialog(
      module_, kCreator, host_.MainWindow(), CreatorProc, reinterpret_cast<std::intptr_t>(&state));
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(modra::IsControlEnabled(dialog, 1127));
  modra::SendDialogMessage(dialog, modra::kMessageUser + 1, 0,
                           reinterpret_cast<std::intptr_t>("Left front head marker (LFHD)"));
  char text[64];
  modra::GetControlText(dialog, 1126, text, sizeof text);
  EXPECT_STREQ(text, "Left front head marker (LFHD)");

  host_.user().Press(1127, kCreator).Press(1129).Press(1128);
  EXPECT_EQ(host_.PumpHostMessages(), 1);
  EXPECT_EQ(state.back, 1);
  EXPECT_EQ(host_.ProcessActions(), 2);
  EXPECT_EQ(state.skip, 1);
  EXPECT_TRUE(state.aborted);
  EXPECT_EQ(modra::WindowUserData(dialog), 0) << "the dialog is gone";
  EXPECT_FALSE(modra::DestroyDialog(dialog));
}

// A pick callback in the style of the MNM creator's.
class PickCallback : public modra::PickModeCallback, public modra::PickNodeCallback {
 public:
  bool HitTest(modra::HostInterface*, modra::WindowHandle window, modra::PickView* view,
               modra::ScreenPoint cursor, int) override {
    return view->HitNode(window, cursor, this) != nullptr;
  }
  bool Pick(modra::HostInterface*, modra::PickView* view) override {
    picked = view->ClosestHitNode();
    active = false;
    return true;
  }
  bool RightClick(modra::HostInterface*, modra::PickView*) override {
    repeat = true;
    return true;
  }
  void EnterMode(modra::HostInterface*) override { active = true; }
  void ExitMode(modra::HostInterface*) override { active = false; }
  modra::PickNodeCallback* NodeFilter() override { return this; }
  bool Filter(modra::SceneNode* node) override {
    return node != nullptr && node->NodeObjectKind(0) == modra::kGeometryClass;
  }

  bool active = false;
  bool repeat = false;
  modra::SceneNode* picked = nullptr;
};

TEST_F(DialogTest, PickModeHitsNodesByNameAndEndsWhenNothingIsLeft) {
  auto make = [&](modra::SuperClassId sc, modra::ClassId id, const char* name) {
    modra::SceneNode* n = host_.MakeNodeForObject(host_.MakeObject(sc, id)->AsObject());
    n->SetNodeName(name);
    return n;
  };
  modra::SceneNode* sphere = make(modra::kGeometryClass, modra::kSphereObjectClassId, "LFHD");
  make(modra::kHelperClass, modra::kDummyHelperClassId, "TRCCloud");

  PickCallback cb;
  host_.user().PickNode("TRCCloud").PickNode("Nowhere").PickNode("LFHD");
  host_.StartNodePick(&cb);
  EXPECT_TRUE(cb.active);
  EXPECT_EQ(host_.IsModeActive(), 1);
  while (cb.active) host_.PumpHostMessages();
  EXPECT_EQ(cb.picked, sphere);
  EXPECT_FALSE(host_.pickModeActive());
  const auto picks = host_.user().ShownOfKind(ShownEvent::Kind::kPick);
  ASSERT_EQ(picks.size(), 3u);
  EXPECT_EQ(picks[0].detail, "missed");  // a helper does not pass the filter
  EXPECT_EQ(picks[1].detail, "missed");
  EXPECT_EQ(picks[2].detail, "picked");

  // A right click ends the pick through the callback.
  cb = PickCallback();
  host_.user().RightClick();
  host_.StartNodePick(&cb);
  while (cb.active) host_.PumpHostMessages();
  EXPECT_TRUE(cb.repeat);
  EXPECT_EQ(cb.picked, nullptr);

  // With nothing queued the host ends the pick mode.
  cb = PickCallback();
  host_.StartNodePick(&cb);
  host_.PumpHostMessages();
  EXPECT_FALSE(cb.active);
  EXPECT_EQ(host_.IsModeActive(), 0);
}

class ExitWatcher : public modra::ExitModraCallback {
 public:
  int HostExiting(modra::WindowHandle) override {
    ++calls;
    return answer;
  }
  int calls = 0;
  int answer = 1;
};

TEST_F(DialogTest, ProgressCancelIdleAndQuit) {
  host_.BeginProgress("Vantrel ConvertPNX", 1, nullptr, nullptr);
  host_.user().Idle(2).CancelProgress();
  host_.PumpHostMessages();
  host_.PumpHostMessages();
  EXPECT_EQ(host_.ProgressCancelled(), 0);
  host_.PumpHostMessages();
  EXPECT_EQ(host_.ProgressCancelled(), 1);
  host_.UpdateProgress(33, 1, nullptr);
  host_.EndProgress();
  EXPECT_EQ(host_.ProgressCancelled(), 0);
  const auto updates = host_.user().ShownOfKind(ShownEvent::Kind::kProgressUpdate);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].number, 33);
  EXPECT_EQ(updates[0].text, "Vantrel ConvertPNX");

  ExitWatcher keep, allow;
  keep.answer = 0;
  host_.WatchHostExit(&keep);
  host_.WatchHostExit(&allow);
  host_.WatchHostExit(&allow);
  host_.user().Quit();
  EXPECT_EQ(host_.PumpHostMessages(), 1) << "one watcher keeps the host running";
  host_.UnwatchHostExit(&keep);
  host_.user().Quit();
  EXPECT_EQ(host_.PumpHostMessages(), 0);
  EXPECT_EQ(keep.calls, 1);
  EXPECT_EQ(allow.calls, 2);
  EXPECT_TRUE(host_.quitting());
}

class FileDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("modra_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    for (const char* name : {"a.trc", "b.trc", "c.mnm"}) std::ofstream(dir_ / name) << "x";
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    DialogTest::TearDown();
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  modra::FileDialogRequest Open(std::uint32_t extra = 0) const {
    modra::FileDialogRequest r;
    r.title = "Select Source TRC Files...";
    r.filter.Append("Vantrel TRC Files (*.TRC)");
    r.filter.Append("*.trc");
    r.defaultExtension = "trc";
    r.flags = modra::kFileMustExist | modra::kFilePathMustExist | modra::kFileHideReadOnly | extra;
    r.bufferSize = 260000;
    return r;
  }
  std::filesystem::path dir_;
};

TEST_F(FileDialogTest, MultipleSelectionReturnsFolderThenNames) {
  modra::FileDialogResult result;
  host_.user().ChooseFiles({Path("a.trc"), Path("b.trc")});
  ASSERT_TRUE(
      modra::ShowOpenFileDialog(Open(modra::kFileAllowMultiSelect | modra::kFileExplorer), result));
  const std::string expected = dir_.string() + std::string("\0a.trc\0b.trc\0\0", 14);
  EXPECT_EQ(result.buffer, expected);
  EXPECT_EQ(result.fileOffset, dir_.string().size() + 1);
  EXPECT_EQ(result.FirstText(), dir_.string());

  // One file chosen in a multiple-selection dialog: the full path, the separator before the name.
  host_.user().ChooseFile(Path("a.trc"));
  ASSERT_TRUE(modra::ShowOpenFileDialog(Open(modra::kFileAllowMultiSelect), result));
  EXPECT_EQ(result.FirstText(), Path("a.trc"));
  ASSERT_GT(result.fileOffset, 0u);
  EXPECT_EQ(result.buffer[result.fileOffset - 1], '/');
  EXPECT_EQ(result.buffer.substr(result.fileOffset, 5), "a.trc");
}

TEST_F(FileDialogTest, FlagsAndBufferRefuseChoices) {
  struct Case {
    const char* what;
    std::vector<std::string> choice;
    std::uint32_t extraFlags;
    std::size_t bufferSize;
    bool accepted;
    std::string path;
  };
  const Case cases[] = {
      {"existing file", {Path("a.trc")}, 0, 260, true, Path("a.trc")},
      {"default extension added", {Path("b")}, 0, 260, true, Path("b.trc")},
      {"missing file", {Path("zzz.trc")}, 0, 260, false, ""},
      {"missing folder", {Path("none/a.trc")}, 0, 260, false, ""},
      {"two files without multiple selection", {Path("a.trc"), Path("b.trc")}, 0, 260, false, ""},
      {"buffer too small", {Path("a.trc")}, 0, 8, false, ""},
  };
  for (const Case& c : cases) {
    modra::FileDialogResult result;
    modra::FileDialogRequest request = Open(c.extraFlags);
    request.bufferSize = c.bufferSize;
    host_.user().ChooseFiles(c.choice);
    EXPECT_EQ(modra::ShowOpenFileDialog(request, result), c.accepted) << c.what;
    if (c.accepted) {
      EXPECT_EQ(result.FirstText(), c.path) << c.what;
    }
    EXPECT_TRUE(host_.user().Empty()) << c.what;
  }
  // Cancelling, and nothing queued, both cancel.
  modra::FileDialogResult result;
  host_.user().CancelFileDialog();
  EXPECT_FALSE(modra::ShowOpenFileDialog(Open(), result));
  EXPECT_FALSE(modra::ShowOpenFileDialog(Open(), result));
}

TEST_F(FileDialogTest, SaveDialogConfirmsReplacingAFile) {
  modra::FileDialogRequest request;
  request.title = "Select Mapping File...";
  request.defaultExtension = "mnm";
  request.flags = modra::kFilePathMustExist | modra::kFileOverwritePrompt;
  request.bufferSize = 256;
  modra::FileDialogResult result;
  host_.user().ChooseFile(Path("c.mnm")).Answer(modra::kAnswerNo);
  EXPECT_FALSE(modra::ShowSaveFileDialog(request, result));
  host_.user().ChooseFile(Path("c.mnm")).Answer(modra::kAnswerYes);
  EXPECT_TRUE(modra::ShowSaveFileDialog(request, result));
  host_.user().ChooseFile(Path("new"));
  ASSERT_TRUE(modra::ShowSaveFileDialog(request, result));
  EXPECT_EQ(result.FirstText(), Path("new.mnm"));
  const auto boxes = host_.user().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Select Mapping File...");
}

TEST_F(FileDialogTest, FolderPicker) {
  char buffer[256] = "";
  host_.user().ChooseFolder(dir_.string());
  host_.PickFolder(host_.MainWindow(), buffer, sizeof buffer,
                   "Choose PNX Files Destination Folder...");
  EXPECT_EQ(std::string(buffer), dir_.string());
  host_.user().CancelFolder();
  std::strcpy(buffer, "kept");
  host_.PickFolder(host_.MainWindow(), buffer, sizeof buffer, "t");
  EXPECT_STREQ(buffer, "kept");
  char small[4] = "";
  host_.user().ChooseFolder(dir_.string());
  host_.PickFolder(host_.MainWindow(), small, sizeof small, "t");
  EXPECT_STREQ(small, "") << "a path longer than the buffer is refused";
  host_.user().ChooseFolder(Path("missing"));
  host_.PickFolder(host_.MainWindow(), buffer, sizeof buffer, "t");
  EXPECT_STREQ(buffer, "kept");
}

// A panel page in the style of the utilities panel.
std::intptr_t PageProc(modra::WindowHandle page, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
  if (message == modra::kMessageInitDialog) {
    modra::SetWindowUserData(page, lParam);
    return 1;
  }
  auto* presses = reinterpret_cast<int*>(modra::WindowUserData(page));
  if (presses == nullptr) return 0;
  if (message == modra::kMessageMouseMove) {
    modra::host::Host::Current()->ForwardPanelMouse(page, message, wParam, lParam);
    return 1;
  }
  if (message == modra::kMessageCommand && modra::CommandId(wParam) == 1200) ++*presses;
  return message == modra::kMessageCommand ? 1 : 0;
}

TEST_F(DialogTest, PanelPageWithCustomEdits) {
  int presses = 0;
  modra::WindowHandle page = host_.AddPanelPage(module_, kPage, PageProc, "Convert TRC to PNX",
                                                reinterpret_cast<std::intptr_t>(&presses), 0,
                                                modra::kPanelCategoryUtility);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(host_.panelPages().size(), 1u);
  modra::ICustEdit* x = modra::GetICustEdit(modra::DialogItem(page, 1206));
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(modra::GetICustEdit(modra::DialogItem(page, 1205)), nullptr) << "not a custom edit";
  x->SetText("0.000000");
  bool valid = false;
  EXPECT_EQ(x->GetFloat(&valid), 0.0f);
  EXPECT_TRUE(valid);

  host_.user().Tick(1205, true).FillEdit(1206, " 12.5 ").Press(1200).PanelMouse();
  EXPECT_EQ(host_.ProcessActions(), 4);
  EXPECT_EQ(modra::IsButtonChecked(page, 1205), 1u);
  EXPECT_EQ(x->GetFloat(&valid), 12.5f);
  EXPECT_TRUE(valid);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(host_.forwardedMouseMessages(), 1);
  for (const char* bad : {"abc", "", "1.5x", "--1"}) {
    x->SetText(bad);
    EXPECT_EQ(x->GetFloat(&valid), 0.0f) << bad;
    EXPECT_FALSE(valid) << bad;
  }
  modra::ReleaseICustEdit(x);
  EXPECT_EQ(host_.openCustomEdits(), 0);
  host_.RemovePanelPage(page);
  EXPECT_TRUE(host_.panelPages().empty());
  EXPECT_EQ(modra::DialogItem(page, 1206), nullptr);
}

TEST_F(DialogTest, ModuleResources) {
  char buffer[8];
  EXPECT_EQ(modra::LoadStringResource(module_, 6, buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "Convert");
  EXPECT_EQ(modra::LoadStringResource(module_, 77, buffer, sizeof buffer), 0);
  EXPECT_EQ(modra::LoadStringResource(nullptr, 6, buffer, sizeof buffer), 0);
  EXPECT_EQ(modra::LoadStringResource(module_, 6, buffer, 0), 0);
  ASSERT_NE(modra::FindDialogTemplate(module_, kOptions), nullptr);
  EXPECT_EQ(modra::FindDialogTemplate(module_, kOptions)->title, "ImportTRC");
  EXPECT_EQ(modra::FindDialogTemplate(module_, 1), nullptr);
  modra::UnregisterModuleResources(module_);
  EXPECT_EQ(modra::FindDialogTemplate(module_, kOptions), nullptr);
}

TEST(SplitFilename, FolderNameAndExtension) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* ext;
  };
  for (const Case& c :
       {Case{"C:\\mocap\\walk.fast.htr", "C:\\mocap", "walk.fast", ".htr"},
        Case{"/data/run.trc", "/data", "run", ".trc"}, Case{"plain", "", "plain", ""},
        Case{"dir.d/noext", "dir.d", "noext", ""}, Case{"a\\b/c.x", "a\\b", "c", ".x"}}) {
    std::string folder, name, ext;
    modra::SplitFilename(c.path, &folder, &name, &ext);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
    EXPECT_EQ(ext, c.ext) << c.path;
  }
  modra::SplitFilename("x.y", nullptr, nullptr, nullptr);
}

TEST(PluginLoader, LoadsAPluginAndRunsItsImporter) {
  std::string error;
  EXPECT_EQ(modra::host::PluginLibrary::Load("/nonexistent/plugin.so", error), nullptr);
  EXPECT_NE(error.find("cannot load"), std::string::npos);

  Host host;
  auto plugin = modra::host::PluginLibrary::Load(MODRA_TEST_PLUGIN, error);
  ASSERT_NE(plugin, nullptr) << error;
  EXPECT_STREQ(plugin->Description(), "Loader test plug-in");
  EXPECT_EQ(plugin->Version(), modra::kPluginInterfaceVersion);
  ASSERT_EQ(plugin->ClassCount(), 1);
  EXPECT_EQ(plugin->Class(1), nullptr);
  modra::ClassDesc* desc = plugin->FindClass("TestImporter");
  ASSERT_NE(desc, nullptr);
  EXPECT_EQ(desc->ModuleInstance(), plugin->module());
  EXPECT_FALSE(plugin->module()->threadNotifications);

  host.user().Answer(modra::kAnswerNo);
  EXPECT_EQ(host.RunImport(*desc, "/data/walk.fast.tst", false), 1);
  EXPECT_TRUE(host.scene().nodes().empty()) << "the user said No";
  EXPECT_EQ(host.RunImport(*desc, "/data/walk.fast.tst", true), 1);
  ASSERT_EQ(host.scene().nodes().size(), 1u);
  EXPECT_EQ(host.scene().nodes()[0]->name(), "walk.fast");
  EXPECT_EQ(host.RunExport(*desc, "x", true), -1) << "not an exporter";
  EXPECT_EQ(host.OpenUtility(*desc), nullptr);
}

}  // namespace
