#include "import_htr/htr_options_dialog.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "filelib/number_text.h"
#include "import_htr/htr_import_messages.h"
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
constexpr auto& kControls = description::kImportHtrControls;

void Report(const char* text) { message_reporter.Report(text, htr_import::kErrorCaption); }

// A message with its %d replaced by `bound`.
void ReportWithBound(const char* format, std::int32_t bound) {
  std::array<char, kEditBufferSize> text{};
  std::snprintf(text.data(), text.size(), format, static_cast<int>(bound));
  Report(text.data());
}

void Initialise(modra::WindowHandle dialog, ImportHTROptions& options) {
  modra::CenterWindow(dialog, modra::ParentWindow(dialog));
  options.Load();

  modra::CheckRadioButton(dialog, id::kHTRCreateRadio, id::kHTRApplyRadio,
                          options.Apply ? id::kHTRApplyRadio : id::kHTRCreateRadio);
  EnableControlsOf(dialog, kControls, EnabledBy::kCreateMode, !options.Apply);

  if (options.Range) {
    modra::CheckRadioButton(dialog, id::kAllRadio, id::kRangeRadio, id::kRangeRadio);
  } else {
    modra::CheckRadioButton(dialog, id::kAllRadio, id::kRangeRadio, id::kAllRadio);
    EnableControlsOf(dialog, kControls, EnabledBy::kRangeChosen, false);
  }

  modra::CheckRadioButton(dialog, id::kEulerRadio, id::kTCBRadio,
                          options.RotationController == 0 ? id::kEulerRadio : id::kTCBRadio);

  modra::SetButtonCheck(dialog, id::kAnimationCheck, options.Animate ? 1U : 0U);
  modra::SetButtonCheck(dialog, id::kBasePositionCheck, options.KeyBasePosition ? 1U : 0U);
  modra::SetButtonCheck(dialog, id::kEndEffectorsCheck, options.EndEffectors ? 1U : 0U);
  modra::SetButtonCheck(dialog, id::kSetFrameRateCheck, options.FPS ? 1U : 0U);

  SetEditInt(dialog, id::kFromEdit, options.StartFrame);
  SetEditInt(dialog, id::kToEdit, options.EndFrame);
  SetEditInt(dialog, id::kOffsetEdit, options.Offset);
  SetEditReal(dialog, id::kSizeEdit, static_cast<double>(options.Size));
  SetEditReal(dialog, id::kGlobalScaleEdit, options.ScaleFactor);
}

// Takes the controls into the record in a fixed order, stopping at the first entry it refuses
// (values taken before that stay in the record). True when everything was accepted and saved.
bool Accept(modra::WindowHandle dialog, ImportHTROptions& options) {
  options.Apply = !IsChecked(dialog, id::kHTRCreateRadio);
  options.Range = !IsChecked(dialog, id::kAllRadio);
  options.RotationController = IsChecked(dialog, id::kEulerRadio) ? 0 : 1;
  options.Animate = IsChecked(dialog, id::kAnimationCheck);
  options.KeyBasePosition = IsChecked(dialog, id::kBasePositionCheck);
  options.EndEffectors = IsChecked(dialog, id::kEndEffectorsCheck);
  options.FPS = IsChecked(dialog, id::kSetFrameRateCheck);

  const std::int32_t from = EditInt(dialog, id::kFromEdit);
  if (from < options.StartFrame) {
    SetEditInt(dialog, id::kFromEdit, options.StartFrame);
    ReportWithBound(htr_import::kStartFrameTooLow, options.StartFrame);
    return false;
  }
  options.StartFrame = from;

  const std::int32_t to = EditInt(dialog, id::kToEdit);
  if (to > options.EndFrame) {
    SetEditInt(dialog, id::kToEdit, options.EndFrame);
    ReportWithBound(htr_import::kEndFrameTooHigh, options.EndFrame);
    return false;
  }
  options.EndFrame = to;

  options.Offset = EditInt(dialog, id::kOffsetEdit);

  // "nan" and "inf" read as numbers, but would key positions that are not numbers and be
  // remembered for every later import: they are refused like zero.
  options.Size = static_cast<float>(EditReal(dialog, id::kSizeEdit));
  if (options.Size == 0.0f || !std::isfinite(options.Size)) {
    Report(htr_import::kZeroSize);
    return false;
  }

  options.ScaleFactor = EditReal(dialog, id::kGlobalScaleEdit);
  if (options.ScaleFactor == 0.0 || !std::isfinite(options.ScaleFactor)) {
    Report(htr_import::kZeroScale);
    return false;
  }

  if (options.EndFrame < options.StartFrame) {
    Report(htr_import::kStartAfterEnd);
    return false;
  }

  if (options.Apply && !options.KeyBasePosition && !options.Animate) {
    Report(htr_import::kNothingToKey);
    return false;
  }

  options.Save();
  return true;
}

void Command(modra::WindowHandle dialog, int control, ImportHTROptions& /*options*/) {
  switch (control) {
    case id::kEulerRadio:
    case id::kTCBRadio:
      modra::CheckRadioButton(dialog, id::kEulerRadio, id::kTCBRadio, control);
      break;
    case id::kAnimationCheck: {
      EnableControlsOf(dialog, kControls, EnabledBy::kAnimationOn,
                       IsChecked(dialog, id::kAnimationCheck));
      break;
    }
    case id::kAllRadio:
      modra::CheckRadioButton(dialog, id::kAllRadio, id::kRangeRadio, id::kAllRadio);
      EnableControlsOf(dialog, kControls, EnabledBy::kRangeChosen, false);
      break;
    case id::kRangeRadio:
      modra::CheckRadioButton(dialog, id::kAllRadio, id::kRangeRadio, id::kRangeRadio);
      EnableControlsOf(dialog, kControls, EnabledBy::kRangeChosen, true);
      break;
    case id::kHTRCreateRadio:
      modra::CheckRadioButton(dialog, id::kHTRCreateRadio, id::kHTRApplyRadio, id::kHTRCreateRadio);
      EnableControlsOf(dialog, kControls, EnabledBy::kCreateMode, true);
      break;
    case id::kHTRApplyRadio:
      modra::CheckRadioButton(dialog, id::kHTRCreateRadio, id::kHTRApplyRadio, id::kHTRApplyRadio);
      EnableControlsOf(dialog, kControls, EnabledBy::kCreateMode, false);
      break;
    default:
      break;
  }
}

}  // namespace

std::intptr_t ImportHTROptionsDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
  return RecordDialogProc<ImportHTROptions, Initialise, Accept, Command>(dialog, message, wParam,
                                                                         lParam);
}

std::intptr_t RunImportHTROptionsDialog(modra::WindowHandle owner, ImportHTROptions& options) {
  return modra::RunModalDialog(ModuleInstance(), resource::kImportHTRDialog, owner,
                               &ImportHTROptionsDialogProc,
                               reinterpret_cast<std::intptr_t>(&options));
}

}  // namespace zar
