#include "import_trc/trc_options_dialog.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "filelib/number_text.h"
#include "import_trc/trc_import_messages.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/dialog_fields.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/record_dialog.h"
#include "plugin_services/resource_text.h"
#include "sdk/modra_host.h"

namespace zar {

namespace {

namespace id = resource;
using description::EnabledBy;
constexpr auto& kControls = description::kImportTrcControls;

void Report(const char* text) { message_reporter.Report(text, trc_import::kErrorCaption); }

// A message with its %d replaced by `bound`.
void ReportWithBound(const char* format, std::int32_t bound) {
  std::array<char, kEditBufferSize> text{};
  std::snprintf(text.data(), text.size(), format, static_cast<int>(bound));
  Report(text.data());
}

// "Create" and "Apply": the geometry controls serve new objects only, "Selected Items Only"
// serves apply mode only.
void ShowCloudMode(modra::WindowHandle dialog, bool apply) {
  modra::CheckRadioButton(dialog, id::kTRCCreateRadio, id::kTRCApplyRadio,
                          apply ? id::kTRCApplyRadio : id::kTRCCreateRadio);
  EnableControlsOf(dialog, kControls, EnabledBy::kApplyMode, apply);
  EnableControlsOf(dialog, kControls, EnabledBy::kCreateMode, !apply);
}

// "All" and "Range": the frame boxes serve a range only ("Offset" stays enabled).
void ShowTimeMode(modra::WindowHandle dialog, bool range) {
  modra::CheckRadioButton(dialog, id::kAllRadio, id::kRangeRadio,
                          range ? id::kRangeRadio : id::kAllRadio);
  EnableControlsOf(dialog, kControls, EnabledBy::kRangeChosen, range);
}

void Initialise(modra::WindowHandle dialog, ImportTRCOptions& options) {
  modra::CenterWindow(dialog, modra::ParentWindow(dialog));
  options.Load();

  ShowCloudMode(dialog, options.Apply);
  ShowTimeMode(dialog, options.Range);
  modra::CheckRadioButton(dialog, id::kSphereRadio, id::kPointRadio,
                          options.Geometry ? id::kSphereRadio : id::kPointRadio);
  Check(dialog, id::kSelectedOnlyCheck, options.SelectedOnly);
  Check(dialog, id::kRootNodeCheck, options.RootNode);
  Check(dialog, id::kSetFrameRateCheck, options.FPS);

  SetEditInt(dialog, id::kFromEdit, options.StartFrame);
  SetEditInt(dialog, id::kToEdit, options.EndFrame);
  SetEditInt(dialog, id::kOffsetEdit, options.Offset);
  SetEditReal(dialog, id::kSizeEdit, static_cast<double>(options.Size));
  SetEditReal(dialog, id::kGlobalScaleEdit, options.ScaleFactor);
}

// Takes the controls into the record in a fixed order, stopping at the first entry it refuses
// (values taken before that stay in the record). True when everything was accepted and saved.
bool Accept(modra::WindowHandle dialog, ImportTRCOptions& options) {
  // Disabled controls are read like the others: their values stay in the record.
  options.Apply = !IsChecked(dialog, id::kTRCCreateRadio);
  options.Range = !IsChecked(dialog, id::kAllRadio);
  options.Geometry = IsChecked(dialog, id::kSphereRadio);
  options.SelectedOnly = IsChecked(dialog, id::kSelectedOnlyCheck);
  options.RootNode = IsChecked(dialog, id::kRootNodeCheck);
  options.FPS = IsChecked(dialog, id::kSetFrameRateCheck);

  const std::int32_t from = EditInt(dialog, id::kFromEdit);
  if (from < options.StartFrame) {
    SetEditInt(dialog, id::kFromEdit, options.StartFrame);
    ReportWithBound(trc_import::kStartFrameTooLow, options.StartFrame);
    return false;
  }
  options.StartFrame = from;

  const std::int32_t to = EditInt(dialog, id::kToEdit);
  if (to > options.EndFrame) {
    SetEditInt(dialog, id::kToEdit, options.EndFrame);
    ReportWithBound(trc_import::kEndFrameTooHigh, options.EndFrame);
    return false;
  }
  options.EndFrame = to;

  options.Offset = EditInt(dialog, id::kOffsetEdit);

  // "nan", "inf" and sizes beyond single precision read as numbers that would put NaN or
  // infinite radii and positions into the scene: they are refused like zero.
  options.Size = static_cast<float>(EditReal(dialog, id::kSizeEdit));
  if (options.Size == 0.0f || !std::isfinite(options.Size)) {
    Report(trc_import::kZeroSize);
    return false;
  }

  options.ScaleFactor = EditReal(dialog, id::kGlobalScaleEdit);
  if (options.ScaleFactor == 0.0 || !std::isfinite(options.ScaleFactor)) {
    Report(trc_import::kZeroScaleFactor);
    return false;
  }

  if (options.EndFrame < options.StartFrame) {
    Report(trc_import::kEndBeforeStart);
    return false;
  }

  options.Save();
  return true;
}

void Command(modra::WindowHandle dialog, int control, ImportTRCOptions& /*options*/) {
  switch (control) {
    case id::kTRCCreateRadio:
      ShowCloudMode(dialog, false);
      break;
    case id::kTRCApplyRadio:
      ShowCloudMode(dialog, true);
      break;
    case id::kAllRadio:
      ShowTimeMode(dialog, false);
      break;
    case id::kRangeRadio:
      ShowTimeMode(dialog, true);
      break;
    case id::kSphereRadio:
    case id::kPointRadio:
      modra::CheckRadioButton(dialog, id::kSphereRadio, id::kPointRadio, control);
      break;
    default:
      break;
  }
}

}  // namespace

std::intptr_t ImportTRCOptionsDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
  return RecordDialogProc<ImportTRCOptions, Initialise, Accept, Command>(dialog, message, wParam,
                                                                         lParam);
}

std::intptr_t RunImportTRCOptionsDialog(modra::WindowHandle owner, ImportTRCOptions& options) {
  return modra::RunModalDialog(ModuleInstance(), resource::kImportTRCDialog, owner,
                               &ImportTRCOptionsDialogProc,
                               reinterpret_cast<std::intptr_t>(&options));
}

}  // namespace zar
