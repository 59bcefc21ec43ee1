// The library's dialog templates and its bitmap. Positions and sizes are dialog units; controls
// are listed in tab order.

#include <string>
#include <utility>
#include <vector>

#include "plugin/library_resources.h"
#include "plugin_description/resource_ids.h"

namespace zar {
namespace {

using modra::ControlKind;
using modra::ControlTemplate;
using modra::DialogTemplate;

constexpr std::uint32_t kEditStyle = modra::kStyleBorder | modra::kStyleAutoHScroll;
constexpr std::uint32_t kReadOnlyEditStyle = kEditStyle | modra::kStyleReadOnly;
constexpr std::uint32_t kOptionDialogStyle = modra::kDialogModalFrame | modra::kDialogCaption;
constexpr const char* kDialogFont = "MS Sans Serif";
constexpr int kDialogFontSize = 8;

struct Box {
  int x;
  int y;
  int width;
  int height;
};

ControlTemplate Control(int id, ControlKind kind, std::string text, Box box,
                        std::uint32_t style = 0) {
  ControlTemplate control;
  control.id = id;
  control.kind = kind;
  control.text = std::move(text);
  control.x = box.x;
  control.y = box.y;
  control.width = box.width;
  control.height = box.height;
  control.style = style;
  return control;
}

ControlTemplate Button(int id, std::string text, Box box) {
  return Control(id, ControlKind::kPushButton, std::move(text), box);
}
ControlTemplate DefaultButton(int id, std::string text, Box box) {
  return Control(id, ControlKind::kPushButton, std::move(text), box, modra::kStyleDefaultButton);
}
// Every radio button of the library's dialogs starts a group of its own: the dialog procedures
// keep each pair exclusive.
ControlTemplate Radio(int id, std::string text, Box box) {
  return Control(id, ControlKind::kRadioButton, std::move(text), box, modra::kStyleGroupStart);
}
ControlTemplate Check(int id, std::string text, Box box) {
  return Control(id, ControlKind::kCheckBox, std::move(text), box);
}
ControlTemplate Edit(int id, Box box) {
  return Control(id, ControlKind::kEdit, "", box, kEditStyle);
}
ControlTemplate ReadOnlyEdit(int id, Box box) {
  return Control(id, ControlKind::kEdit, "", box, kReadOnlyEditStyle);
}
ControlTemplate Label(std::string text, Box box, std::uint32_t style = 0) {
  return Control(modra::kNoControlId, ControlKind::kStaticText, std::move(text), box, style);
}
ControlTemplate Group(std::string text, Box box) {
  return Control(modra::kNoControlId, ControlKind::kGroupBox, std::move(text), box);
}

DialogTemplate Dialog(int id, std::string title, int width, int height, std::uint32_t style,
                      std::vector<ControlTemplate> controls) {
  DialogTemplate dialog;
  dialog.id = id;
  dialog.title = std::move(title);
  dialog.width = width;
  dialog.height = height;
  dialog.style = style;
  dialog.fontName = kDialogFont;
  dialog.fontSize = kDialogFontSize;
  dialog.controls = std::move(controls);
  return dialog;
}

DialogTemplate ImportHTRDialog() {
  using namespace resource;
  return Dialog(kImportHTRDialog, "ImportHTR", 262, 164, kOptionDialogStyle,
                {
                    DefaultButton(kOkButton, "&OK", {140, 142, 55, 15}),
                    Button(kCancelButton, "&Cancel", {200, 142, 55, 15}),
                    Group("Skeleton", {15, 7, 115, 55}),
                    Radio(kHTRCreateRadio, "Create", {25, 17, 37, 10}),
                    Radio(kHTRApplyRadio, "Apply", {71, 17, 33, 10}),
                    Label("Segment Size", {25, 31, 45, 12}),
                    Edit(kSizeEdit, {75, 31, 45, 12}),
                    Check(kEndEffectorsCheck, "End Effectors", {25, 46, 60, 10}),
                    Group("Keyframe Options", {15, 67, 115, 35}),
                    Check(kBasePositionCheck, "Base Position", {25, 77, 60, 10}),
                    Check(kAnimationCheck, "Animation", {25, 87, 50, 10}),
                    Group("Rotation Controller", {15, 107, 115, 25}),
                    Radio(kEulerRadio, "Euler", {25, 117, 33, 10}),
                    Radio(kTCBRadio, "TCB", {71, 117, 30, 10}),
                    Group("Time Options", {150, 7, 95, 90}),
                    Group("", {155, 15, 85, 49}),
                    Radio(kAllRadio, "All", {160, 22, 23, 10}),
                    Radio(kRangeRadio, "Range", {190, 22, 37, 10}),
                    Label("From", {160, 33, 25, 12}),
                    Edit(kFromEdit, {190, 33, 45, 12}),
                    Label("To", {160, 47, 25, 12}),
                    Edit(kToEdit, {190, 47, 45, 12}),
                    Label("Offset", {160, 67, 25, 12}),
                    Edit(kOffsetEdit, {190, 67, 45, 12}),
                    Check(kSetFrameRateCheck, "Set Frame Rate", {160, 82, 75, 10}),
                    Group("Scale", {150, 102, 95, 30}),
                    Label("Global", {160, 112, 25, 12}),
                    Edit(kGlobalScaleEdit, {185, 112, 55, 12}),
                });
}

DialogTemplate AboutDialog() {
  using namespace resource;
  ControlTemplate logo = Control(kAboutLogo, ControlKind::kBitmap, "", {10, 5, 120, 21},
                                 modra::kStyleCentreImage | modra::kStyleBorder);
  logo.imageId = kLogoBitmap;
  return Dialog(kAboutDialog, "About...", 142, 175, kOptionDialogStyle,
                {
                    DefaultButton(kOkButton, "&OK", {45, 155, 50, 14}),
                    logo,
                    Control(kAboutTitle, ControlKind::kStaticText, "ZARFileIO for Modra",
                            {15, 30, 108, 8}, modra::kStyleCentred),
                    Control(kAboutVersion, ControlKind::kStaticText, "Version 3.2.1",
                            {15, 40, 108, 8}, modra::kStyleCentred),
                    Label("HTR and TRC import, HTR export\nand TRC to PNX conversion\nfor Modra",
                          {10, 55, 120, 30}, modra::kStyleCentred),
                    Control(kAboutNotice, ControlKind::kStaticText,
                            "Copyright (c) Vantrel.\nAll rights reserved.\n\nFor support, contact "
                            "Vantrel\nthrough its support service.",
                            {20, 95, 100, 55}, modra::kStyleCentred),
                });
}

DialogTemplate ConvertPanelPage() {
  using namespace resource;
  constexpr std::uint32_t kCentredLabel = modra::kStyleVerticalCentre;
  auto custom_edit = [](int id, Box box) { return Control(id, ControlKind::kCustomEdit, "", box); };
  return Dialog(
      kConvertPanelPage, "", 108, 255, modra::kDialogChild,
      {
          Label("MNM Mapping File", {5, 6, 95, 10}),
          ReadOnlyEdit(kMNMPathEdit, {5, 16, 95, 12}),
          Button(kMNMCreateButton, "Create", {5, 31, 45, 10}),
          Button(kMNMBrowseButton, "Browse...", {55, 31, 45, 10}),
          Label("PNX Output Folder", {5, 46, 95, 10}),
          ReadOnlyEdit(kOutputFolderEdit, {5, 56, 95, 12}),
          Button(kOutputBrowseButton, "Browse...", {5, 71, 95, 10}),
          DefaultButton(kConvertButton, "Convert TRC to PNX", {5, 86, 95, 19}),
          Group("Options", {5, 111, 97, 140}),
          Check(kFilterCheck, "Use MNM Filter File", {10, 120, 82, 10}),
          Check(kBatchCheck, "Batch File Conversion", {10, 131, 85, 10}),
          Check(kTRCNameCheck, "Use TRC Filename", {10, 142, 75, 10}),
          Group("Translation Offset", {11, 154, 84, 92}),
          Check(kOffsetEnableCheck, "Enable", {20, 166, 38, 10}),
          Radio(kTRCSpaceRadio, "TRC Space", {20, 176, 65, 10}),
          Radio(kModraSpaceRadio, "Modra Space", {20, 186, 65, 10}),
          Control(kOffsetXLabel, ControlKind::kStaticText, "X", {25, 201, 10, 10}, kCentredLabel),
          custom_edit(kOffsetXEdit, {41, 201, 40, 10}),
          Control(kOffsetYLabel, ControlKind::kStaticText, "Y", {25, 217, 10, 8}, kCentredLabel),
          custom_edit(kOffsetYEdit, {41, 217, 40, 10}),
          Control(kOffsetZLabel, ControlKind::kStaticText, "Z", {25, 230, 10, 10}, kCentredLabel),
          custom_edit(kOffsetZEdit, {41, 230, 40, 10}),
      });
}

DialogTemplate ImportTRCDialog() {
  using namespace resource;
  return Dialog(kImportTRCDialog, "ImportTRC", 262, 164, kOptionDialogStyle,
                {
                    DefaultButton(kOkButton, "&OK", {140, 142, 55, 15}),
                    Button(kCancelButton, "&Cancel", {200, 142, 55, 15}),
                    Group("Cloud", {15, 7, 115, 25}),
                    Radio(kTRCCreateRadio, "Create", {25, 17, 37, 10}),
                    Radio(kTRCApplyRadio, "Apply", {71, 17, 33, 10}),
                    Group("Options", {15, 37, 115, 35}),
                    Check(kSelectedOnlyCheck, "Selected Items Only", {25, 47, 79, 10}),
                    Check(kRootNodeCheck, "Root Node", {25, 57, 51, 10}),
                    Group("Geometry", {15, 77, 115, 45}),
                    Radio(kSphereRadio, "Sphere", {25, 87, 39, 10}),
                    Radio(kPointRadio, "Point", {71, 87, 32, 10}),
                    Label("Size", {25, 102, 25, 12}),
                    Edit(kSizeEdit, {65, 102, 55, 12}),
                    Group("Time Options", {150, 7, 95, 90}),
                    Group("", {155, 15, 85, 49}),
                    Radio(kAllRadio, "All", {160, 22, 23, 10}),
                    Radio(kRangeRadio, "Range", {190, 22, 37, 10}),
                    Label("From", {160, 33, 25, 12}),
                    Edit(kFromEdit, {190, 33, 45, 12}),
                    Label("To", {160, 47, 25, 12}),
                    Edit(kToEdit, {190, 47, 45, 12}),
                    Label("Offset", {160, 67, 25, 12}),
                    Edit(kOffsetEdit, {190, 67, 45, 12}),
                    Check(kSetFrameRateCheck, "Set Frame Rate", {160, 82, 75, 10}),
                    Group("Scale", {150, 102, 95, 30}),
                    Label("Global", {160, 112, 25, 12}),
                    Edit(kGlobalScaleEdit, {185, 112, 55, 12}),
                });
}

DialogTemplate ExportHTRDialog() {
  using namespace resource;
  return Dialog(kExportHTRDialog, "ExportHTR", 262, 154, kOptionDialogStyle,
                {
                    DefaultButton(kOkButton, "&OK", {140, 132, 55, 15}),
                    Button(kCancelButton, "&Cancel", {200, 132, 55, 15}),
                    Group("Base Position", {15, 7, 115, 35}),
                    Radio(kSavedPoseRadio, "Saved Pose", {25, 17, 55, 10}),
                    Radio(kCurrentPoseRadio, "Current Pose", {25, 27, 57, 10}),
                    Group("Options", {15, 47, 115, 35}),
                    Check(kExportAnimationCheck, "Export Animation", {25, 57, 69, 10}),
                    Check(kParentTransformsCheck, "Parent Transforms", {25, 67, 73, 10}),
                    Group("Time Options", {150, 7, 95, 80}),
                    Group("", {155, 15, 85, 49}),
                    Radio(kAllRadio, "Slider", {160, 22, 33, 10}),
                    Radio(kRangeRadio, "Range", {195, 22, 37, 10}),
                    Label("From", {160, 32, 25, 12}),
                    Edit(kFromEdit, {190, 32, 45, 12}),
                    Label("To", {160, 47, 25, 12}),
                    Edit(kToEdit, {190, 47, 45, 12}),
                    Label("Offset", {160, 67, 25, 12}),
                    Edit(kOffsetEdit, {190, 67, 45, 12}),
                    Group("Scale", {150, 92, 95, 30}),
                    Label("Global", {160, 102, 25, 12}),
                    Edit(kGlobalScaleEdit, {185, 102, 55, 12}),
                });
}

DialogTemplate MNMCreatorDialog() {
  using namespace resource;
  return Dialog(kMNMCreatorDialog, "MNM Creator / Marker Selection", 262, 49,
                modra::kDialogPopup | modra::kDialogCaption,
                {
                    Label("PNX Marker Name", {5, 7, 65, 15}, modra::kStyleVerticalCentre),
                    ReadOnlyEdit(kMarkerDescriptionEdit, {75, 7, 180, 15}),
                    DefaultButton(kBackButton, "Back", {5, 27, 55, 15}),
                    Button(kSkipButton, "Skip", {140, 27, 55, 15}),
                    Button(kAbortButton, "Abort", {200, 27, 55, 15}),
                });
}

}  // namespace

std::vector<DialogTemplate> DialogTemplates() {
  return {ImportHTRDialog(), AboutDialog(),     ConvertPanelPage(),
          ImportTRCDialog(), ExportHTRDialog(), MNMCreatorDialog()};
}

modra::ModuleResources LibraryResources() {
  modra::ModuleResources resources;
  resources.strings = StringTable();
  resources.dialogs = DialogTemplates();
  resources.bitmaps[resource::kLogoBitmap] = {141, 20, 24, "the ZARFileIO logo"};
  return resources;
}

}  // namespace zar
