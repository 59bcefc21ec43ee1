#include "export_htr/export_htr_dialog.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "export_htr/export_htr_options.h"
#include "export_htr/htr_export_messages.h"
#include "export_htr/htr_hierarchy_walk.h"
#include "filelib/number_text.h"
#include "plugin_description/resource_ids.h"
#include "plugin_services/dialog_fields.h"
#include "plugin_services/message_reporter.h"
#include "plugin_services/resource_text.h"

namespace zar {

namespace {

// A message with one "%d" replaced by `bound`.
void ReportBound(const char* format, std::int32_t bound) {
  char text[kEditBufferSize];
  std::snprintf(text, sizeof text, format, static_cast<int>(bound));
  message_reporter.Report(text, htr_export::kErrorCaption);
}

bool Checked(modra::WindowHandle dialog, int id) { return modra::IsButtonChecked(dialog, id) == 1; }

void EnableFromTo(modra::WindowHandle dialog, bool enable) {
  EnableControlsOf(dialog, description::kExportHtrControls, description::EnabledBy::kRangeChosen,
                   enable);
}

void Initialise(modra::WindowHandle dialog) {
  using namespace resource;
  ExportHTROptions& options = export_htr_options;
  modra::CenterWindow(dialog, modra::ParentWindow(dialog));
  options.Load();
  modra::CheckRadioButton(dialog, kSavedPoseRadio, kCurrentPoseRadio,
                          options.Pose ? kSavedPoseRadio : kCurrentPoseRadio);
  if (options.Range) {
    modra::CheckRadioButton(dialog, kAllRadio, kRangeRadio, kRangeRadio);
  } else {
    modra::CheckRadioButton(dialog, kAllRadio, kRangeRadio, kAllRadio);
    EnableFromTo(dialog, false);
  }
  modra::SetButtonCheck(dialog, kExportAnimationCheck, options.Animate ? 1U : 0U);
  modra::SetButtonCheck(dialog, kParentTransformsCheck, options.ParentTransforms ? 1U : 0U);
  SetEditInt(dialog, kFromEdit, options.StartFrame);
  SetEditInt(dialog, kToEdit, options.EndFrame);
  SetEditInt(dialog, kOffsetEdit, options.Offset);
  SetEditReal(dialog, kGlobalScaleEdit, options.ScaleFactor);
}

// Stores the dialog's entries into the record in a fixed order; the first entry that fails its
// check is reported and ends the validation (entries stored before it stay stored). True when
// every entry passed.
bool Accept(modra::WindowHandle dialog) {
  using namespace resource;
  ExportHTROptions& options = export_htr_options;
  options.Pose = Checked(dialog, kSavedPoseRadio);
  options.Range = !Checked(dialog, kAllRadio);
  options.Animate = Checked(dialog, kExportAnimationCheck);
  options.ParentTransforms = Checked(dialog, kParentTransformsCheck);

  const std::int32_t from = ParseInt(EditText(dialog, kFromEdit));
  if (from < options.StartFrame) {
    SetEditInt(dialog, kFromEdit, options.StartFrame);
    ReportBound(htr_export::kStartFrameTooLow, options.StartFrame);
    return false;
  }
  options.StartFrame = from;

  const std::int32_t to = ParseInt(EditText(dialog, kToEdit));
  if (to > options.EndFrame) {
    SetEditInt(dialog, kToEdit, options.EndFrame);
    ReportBound(htr_export::kEndFrameTooHigh, options.EndFrame);
    return false;
  }
  options.EndFrame = to;

  options.Offset = ParseInt(EditText(dialog, kOffsetEdit));
  options.ScaleFactor = ParseReal(EditText(dialog, kGlobalScaleEdit));
  // "nan" and "inf" read as numbers, but would write "nan" or "inf" into every length of the
  // file: they are refused like a scale of zero.
  if (options.ScaleFactor == 0.0 || !std::isfinite(options.ScaleFactor)) {
    message_reporter.Report(htr_export::kZeroScale, htr_export::kErrorCaption);
    return false;
  }
  if (options.EndFrame < options.StartFrame) {
    message_reporter.Report(htr_export::kStartAfterEnd, htr_export::kErrorCaption);
    return false;
  }
  options.Save();
  return true;
}

}  // namespace

bool RunExportHTRDialog(modra::WindowHandle owner) {
  return modra::RunModalDialog(ModuleInstance(), resource::kExportHTRDialog, owner,
                               ExportHTRDialogProc, 0) == 1;
}

std::intptr_t ExportHTRDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                  std::uintptr_t w_param, std::intptr_t /*l_param*/) {
  using namespace resource;
  switch (message) {
    case modra::kMessageInitDialog:
      Initialise(dialog);
      return 1;
    case modra::kMessageDestroy:
      return 1;
    case modra::kMessageCommand:
      break;
    default:
      return 0;
  }
  switch (modra::CommandId(w_param)) {
    case kSavedPoseRadio:
    case kCurrentPoseRadio:
      modra::CheckRadioButton(dialog, kSavedPoseRadio, kCurrentPoseRadio,
                              modra::CommandId(w_param));
      return 1;
    case kAllRadio:
      modra::CheckRadioButton(dialog, kAllRadio, kRangeRadio, kAllRadio);
      EnableFromTo(dialog, false);
      return 1;
    case kRangeRadio:
      modra::CheckRadioButton(dialog, kAllRadio, kRangeRadio, kRangeRadio);
      EnableFromTo(dialog, true);
      return 1;
    case kCancelButton:
      modra::EndDialog(dialog, 0);
      return 1;
    case kOkButton:
      if (Accept(dialog)) modra::EndDialog(dialog, 1);
      return 1;
    default:
      return 0;
  }
}

modra::SceneNode* FindRootBone(modra::HostInterface& host) {
  if (host.SelectedNodeCount() <= 0) {
    message_reporter.Report(htr_export::kNothingSelected, htr_export::kSelectionCaption);
    return nullptr;
  }
  modra::SceneNode* selected = host.SelectedNode(0);
  if (IsExportBone(selected)) return selected;
  if (selected != nullptr) {
    const int count = selected->ChildCount();
    for (int i = 0; i < count; ++i) {
      modra::SceneNode* child = selected->Child(i);
      if (IsExportBone(child)) return child;
    }
  }
  message_reporter.Report(htr_export::kNoBoneSelected, htr_export::kSelectionCaption);
  return nullptr;
}

}  // namespace zar
