#include "utilities/zar_utilities.h"

#include <string>

#include "filelib/number_text.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/resource_text.h"
#include "utilities/mnm_creator.h"
#include "utilities/utility_texts.h"

namespace zar {
namespace {

constexpr const char* kNoPath = "<none>";
// Characters the MNM browse result may take, terminator included.
constexpr std::size_t kMappingPathBuffer = 272;
// Characters of the output folder buffer, terminator included.
constexpr std::size_t kFolderBuffer = 256;

void ShowPath(modra::WindowHandle page, int control, const std::string& path) {
  modra::SetControlText(page, control, path.empty() ? kNoPath : path.c_str());
}

bool Checked(modra::WindowHandle page, int control) {
  return modra::IsButtonChecked(page, control) != 0;
}

// The radio buttons and the three edits follow "Enable".
void EnableOffsetControls(modra::WindowHandle page, bool enable) {
  for (const int control :
       {resource::kTRCSpaceRadio, resource::kModraSpaceRadio, resource::kOffsetXEdit,
        resource::kOffsetYEdit, resource::kOffsetZEdit}) {
    modra::EnableControl(page, control, enable);
  }
}

void CheckSpaceRadio(modra::WindowHandle page, bool trc_space) {
  modra::CheckRadioButton(page, resource::kTRCSpaceRadio, resource::kModraSpaceRadio,
                          trc_space ? resource::kTRCSpaceRadio : resource::kModraSpaceRadio);
}

void ShowOffset(modra::WindowHandle page, int control, float value) {
  modra::ICustEdit* edit = modra::GetICustEdit(modra::DialogItem(page, control));
  if (edit == nullptr) return;
  std::string text;
  AppendFixed(text, static_cast<double>(value), 6);
  edit->SetText(text.c_str());
  modra::ReleaseICustEdit(edit);
}

// The edit's text as a number; text that is not a valid number gives 0.
float ReadOffset(modra::WindowHandle page, int control) {
  modra::ICustEdit* edit = modra::GetICustEdit(modra::DialogItem(page, control));
  if (edit == nullptr) return 0.0f;
  bool valid = false;
  const float value = edit->GetFloat(&valid);
  modra::ReleaseICustEdit(edit);
  return valid ? value : 0.0f;
}

void InitialisePage(modra::WindowHandle page, const PnxSettings& settings) {
  ShowPath(page, resource::kMNMPathEdit, settings.mnm_path);
  ShowPath(page, resource::kOutputFolderEdit, settings.output_path);
  modra::SetButtonCheck(page, resource::kFilterCheck, settings.filter ? 1 : 0);
  if (settings.batch) {
    modra::SetButtonCheck(page, resource::kBatchCheck, 1);
    modra::SetButtonCheck(page, resource::kTRCNameCheck, 1);
    modra::EnableControl(page, resource::kTRCNameCheck, false);
  } else {
    modra::SetButtonCheck(page, resource::kBatchCheck, 0);
  }
  // The box shows the stored choice, also when batch mode has disabled it.
  modra::SetButtonCheck(page, resource::kTRCNameCheck, settings.trc_name ? 1 : 0);
  CheckSpaceRadio(page, settings.trc_space);
  modra::SetButtonCheck(page, resource::kOffsetEnableCheck, settings.offset ? 1 : 0);
  EnableOffsetControls(page, settings.offset);
  ShowOffset(page, resource::kOffsetXEdit, settings.offset_x);
  ShowOffset(page, resource::kOffsetYEdit, settings.offset_y);
  ShowOffset(page, resource::kOffsetZEdit, settings.offset_z);
}

void BrowseMapping(modra::WindowHandle page, ZARUtilities& utilities) {
  modra::HostInterface* host = utilities.Host();
  modra::FileDialogRequest request;
  request.owner = host != nullptr ? host->MainWindow() : nullptr;
  request.title = UtilityText(resource::kSelectMappingFile);
  request.filter.Append(UtilityText(resource::kMNMFilesFilter).c_str());
  request.filter.Append("*.mnm");
  request.defaultExtension = "mnm";
  request.flags = modra::kFileMustExist | modra::kFilePathMustExist | modra::kFileHideReadOnly |
                  modra::kFileNoPlacesBar;
  request.bufferSize = kMappingPathBuffer;
  modra::FileDialogResult result;
  if (!modra::ShowOpenFileDialog(request, result)) return;
  PnxSettings& settings = utilities.Converter().Settings();
  settings.mnm_path = result.FirstText();
  ShowPath(page, resource::kMNMPathEdit, settings.mnm_path);
}

void BrowseOutputFolder(modra::WindowHandle page, ZARUtilities& utilities) {
  modra::HostInterface* host = utilities.Host();
  if (host == nullptr) return;
  char buffer[kFolderBuffer] = {};
  host->PickFolder(host->MainWindow(), buffer, sizeof buffer,
                   UtilityText(resource::kChooseOutputFolder).c_str());
  // A cancelled choice leaves the buffer empty; the folder chosen before stays.
  if (buffer[0] == '\0') return;
  PnxSettings& settings = utilities.Converter().Settings();
  settings.output_path = buffer;
  ShowPath(page, resource::kOutputFolderEdit, settings.output_path);
}

void StartConversion(modra::WindowHandle page, ZARUtilities& utilities) {
  PnxSettings& settings = utilities.Converter().Settings();
  if (Checked(page, resource::kOffsetEnableCheck)) {
    settings.offset_x = ReadOffset(page, resource::kOffsetXEdit);
    settings.offset_y = ReadOffset(page, resource::kOffsetYEdit);
    settings.offset_z = ReadOffset(page, resource::kOffsetZEdit);
  } else {
    settings.offset_x = 0.0f;
    settings.offset_y = 0.0f;
    settings.offset_z = 0.0f;
  }
  utilities.Converter().Convert(utilities.Host());
}

void PageCommand(modra::WindowHandle page, ZARUtilities& utilities, int control) {
  PnxSettings& settings = utilities.Converter().Settings();
  switch (control) {
    case resource::kFilterCheck:
      settings.filter = Checked(page, resource::kFilterCheck);
      break;
    case resource::kBatchCheck:
      // Batch files are always named after their TRC files in the box; the stored choice stays.
      if (Checked(page, resource::kBatchCheck)) {
        settings.batch = true;
        modra::SetButtonCheck(page, resource::kTRCNameCheck, 1);
        modra::EnableControl(page, resource::kTRCNameCheck, false);
      } else {
        settings.batch = false;
        modra::EnableControl(page, resource::kTRCNameCheck, true);
      }
      break;
    case resource::kTRCNameCheck:
      settings.trc_name = Checked(page, resource::kTRCNameCheck);
      break;
    case resource::kTRCSpaceRadio:
      settings.trc_space = Checked(page, resource::kTRCSpaceRadio);
      CheckSpaceRadio(page, settings.trc_space);
      break;
    case resource::kModraSpaceRadio:
      settings.trc_space = !Checked(page, resource::kModraSpaceRadio);
      CheckSpaceRadio(page, settings.trc_space);
      break;
    case resource::kOffsetEnableCheck:
      settings.offset = Checked(page, resource::kOffsetEnableCheck);
      EnableOffsetControls(page, settings.offset);
      break;
    case resource::kMNMBrowseButton:
      BrowseMapping(page, utilities);
      break;
    case resource::kMNMCreateButton:
      if (utilities.Host() != nullptr) CreateMapping(utilities.Converter(), utilities.Host());
      ShowPath(page, resource::kMNMPathEdit, settings.mnm_path);
      break;
    case resource::kOutputBrowseButton:
      BrowseOutputFolder(page, utilities);
      break;
    case resource::kConvertButton:
      StartConversion(page, utilities);
      break;
    default:
      break;
  }
}

}  // namespace

void ZARUtilities::OpenPanel(modra::HostInterface* host, modra::UtilityPanel* panel) {
  host_ = host;
  panel_ = panel;
  if (page_ != nullptr || host == nullptr) return;
  const std::string title = UtilityText(resource::kConvertPanelTitle);
  page_ = host->AddPanelPage(ModuleInstance(), resource::kConvertPanelPage, UtilitiesPageProc,
                             title.c_str(), reinterpret_cast<std::intptr_t>(this), 0,
                             modra::kPanelCategoryUtility);
}

void ZARUtilities::ClosePanel(modra::HostInterface* host, modra::UtilityPanel* /*panel*/) {
  modra::HostInterface* active = host_ != nullptr ? host_ : host;
  if (active != nullptr) active->StopNodePick();
  converter_.SaveSettings();
  if (page_ != nullptr && active != nullptr) active->RemovePanelPage(page_);
  page_ = nullptr;
  host_ = nullptr;
  panel_ = nullptr;
}

std::intptr_t UtilitiesPageProc(modra::WindowHandle page, std::uint32_t message,
                                std::uintptr_t w_param, std::intptr_t l_param) {
  if (message == modra::kMessageInitDialog) {
    auto* utilities = reinterpret_cast<ZARUtilities*>(l_param);
    modra::SetWindowUserData(page, l_param);
    if (utilities != nullptr) InitialisePage(page, utilities->Converter().Settings());
    return 1;
  }
  auto* utilities = reinterpret_cast<ZARUtilities*>(modra::WindowUserData(page));
  if (utilities == nullptr) return 0;
  switch (message) {
    case modra::kMessageDestroy:
      return 1;
    case modra::kMessageMouseMove:
    case modra::kMessageLeftButtonDown:
    case modra::kMessageLeftButtonUp:
      if (utilities->Host() != nullptr) {
        utilities->Host()->ForwardPanelMouse(page, message, w_param, l_param);
      }
      return 1;
    case modra::kMessageCommand:
      PageCommand(page, *utilities, modra::CommandId(w_param));
      return 1;
    default:
      return 0;
  }
}

ZARUtilitiesClassDesc::ZARUtilitiesClassDesc()
    : PluginClassDesc(resource::kZARUtilitiesClassName, modra::kUtilityClass,
                      kZARUtilitiesClassId) {}

void* ZARUtilitiesClassDesc::Create(int /*loading*/) {
  return NewPluginObject<ZARUtilities, modra::UtilityObj>();
}

}  // namespace zar
