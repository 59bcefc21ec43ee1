#include "utilities/mnm_creator.h"

#include <string>
#include <string_view>

#include "plugin_description/marker_table.h"
#include "utilities/convert_pnx.h"
#include "utilities/pick_control_node.h"
#include "utilities/utility_texts.h"

namespace zar {
namespace {

enum class PickOutcome {
  kDone,    // a node was picked, or the pick ended without one
  kLeft,    // Back, Skip, Abort or the host's exit ended the pick
  kRepeat,  // the pick mode was ended from the host's side: ask for the same marker again
};

// Resets the colour of the node of a removed entry, when it still exists. Entries read from a
// file carry no node.
void ResetNodeColour(modra::HostInterface& host, std::uint32_t handle) {
  if (handle == 0) return;
  if (modra::SceneNode* node = host.NodeByHandle(handle)) node->SetDisplayColour(kMarkerNodeColour);
}

// Removes every entry of the mapping list and resets the colours of the picked nodes.
void UndoAllPicks(ConvertPNX& converter, modra::HostInterface& host) {
  while (!converter.Mapping().Empty()) ResetNodeColour(host, converter.PopMapping());
  converter.Creator().entry_steps.clear();
  host.RefreshViewports(1);
}

// Removes the entries the creator added in `first_step` or later.
void UndoPicksFrom(ConvertPNX& converter, modra::HostInterface& host, std::int32_t first_step) {
  std::vector<std::int32_t>& steps = converter.Creator().entry_steps;
  while (!steps.empty() && steps.back() >= first_step) {
    ResetNodeColour(host, converter.PopMapping());
    steps.pop_back();
  }
  host.RefreshViewports(1);
}

void DestroyCreatorDialog(CreatorState& state) {
  if (state.dialog == nullptr) return;
  const modra::WindowHandle dialog = state.dialog;
  state.dialog = nullptr;
  modra::DestroyDialog(dialog);
}

PickOutcome OnePick(ConvertPNX& converter, modra::HostInterface& host, std::string_view pnx_name) {
  CreatorState& state = converter.Creator();
  PickControlNode& pick = pick_control_node;
  host.WatchHostExit(&converter);
  pick.picked_node = nullptr;
  pick.repeat = false;
  state.leave_pick = false;
  host.StartNodePick(&pick);
  while (pick.active && !state.leave_pick) {
    if (host.PumpHostMessages() == 0) {
      // The host is quitting: nothing more can be picked, so the creator ends as if aborted.
      state.abort = true;
      state.leave_pick = true;
    }
  }
  host.StopNodePick();
  host.UnwatchHostExit(&converter);

  if (state.leave_pick) return PickOutcome::kLeft;
  if (pick.repeat) return PickOutcome::kRepeat;
  modra::SceneNode* node = pick.picked_node;
  pick.picked_node = nullptr;
  if (node == nullptr) return PickOutcome::kDone;
  converter.AddMapping(std::string(pnx_name), node->NodeName(), node->NodeHandle());
  state.entry_steps.push_back(state.step);
  node->SetDisplayColour(kPickedNodeColour);
  host.RefreshViewports(1);
  return PickOutcome::kDone;
}

// Runs the markers of the current step. A marker whose pick the host ended is asked again;
// Back and Abort end the step at once.
void RunStep(ConvertPNX& converter, modra::HostInterface& host) {
  CreatorState& state = converter.Creator();
  const MarkerStep step =
      StandardMarkerStep(state.step, state.left_wrist_stick, state.right_wrist_stick);
  for (std::size_t i = 0; i < step.count; ++i) {
    const std::string description(step.markers[i].description);
    PickOutcome outcome = PickOutcome::kRepeat;
    while (outcome == PickOutcome::kRepeat) {
      if (state.dialog != nullptr) {
        modra::SendDialogMessage(state.dialog, kShowMarkerMessage, 0,
                                 reinterpret_cast<std::intptr_t>(description.c_str()));
      }
      outcome = OnePick(converter, host, step.markers[i].pnx_name);
    }
    if (state.abort || state.back) return;
  }
}

// Runs steps 0 to 42; false when the user aborted (every pick is then undone).
bool RunMarkerSequence(ConvertPNX& converter, modra::HostInterface& host) {
  CreatorState& state = converter.Creator();
  state.step = 0;
  state.abort = false;
  while (true) {
    state.back = false;
    RunStep(converter, host);
    if (state.abort) {
      DestroyCreatorDialog(state);
      UndoAllPicks(converter, host);
      return false;
    }
    if (state.back) {
      // Back at step 0 runs step 0 again.
      state.step = state.step > 0 ? state.step - 1 : 0;
      continue;
    }
    ++state.step;
    if (state.step > kLastMarkerStep) {
      DestroyCreatorDialog(state);
      return true;
    }
  }
}

}  // namespace

bool CreateMapping(ConvertPNX& converter, modra::HostInterface* host) {
  if (host == nullptr) return false;
  converter.SetHost(host);
  CreatorState& state = converter.Creator();
  const std::string question_caption = UtilityText(resource::kPickOptionalMarkers);
  state.left_wrist_stick =
      AskUtilityQuestion(UtilityText(resource::kLeftWristStick), question_caption);
  state.right_wrist_stick =
      AskUtilityQuestion(UtilityText(resource::kRightWristStick), question_caption);
  state.entry_steps.clear();

  state.dialog =
      modra::CreateModelessDialog(ModuleInstance(), resource::kMNMCreatorDialog, host->MainWindow(),
                                  CreatorDialogProc, reinterpret_cast<std::intptr_t>(&converter));
  if (state.dialog == nullptr) return false;
  modra::ShowDialog(state.dialog, true);

  if (!RunMarkerSequence(converter, *host)) return false;

  modra::FileDialogRequest request;
  request.owner = host->MainWindow();
  request.title = UtilityText(resource::kSelectMappingFile);
  request.filter.Append(UtilityText(resource::kMNMFilesFilter).c_str());
  request.filter.Append("*.mnm");
  request.defaultExtension = "mnm";
  request.flags = modra::kFilePathMustExist | modra::kFileOverwritePrompt |
                  modra::kFileHideReadOnly | modra::kFileNoPlacesBar;
  request.bufferSize = 256;
  modra::FileDialogResult result;
  bool written = false;
  if (modra::ShowSaveFileDialog(request, result)) {
    const std::string path = result.FirstText();
    const std::string caption = UtilityText(resource::kMNMCreationStatus);
    if (converter.SaveMapping(path)) {
      ReportUtilityMessage(UtilityText(resource::kMNMCreationSuccessful), caption);
      converter.Settings().mnm_path = path;
      written = true;
    } else {
      ReportUtilityMessage(UtilityText(resource::kMNMCreationFailed), caption);
    }
  }
  UndoAllPicks(converter, *host);
  return written;
}

std::intptr_t CreatorDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                std::uintptr_t w_param, std::intptr_t l_param) {
  if (message == modra::kMessageInitDialog) {
    modra::SetWindowUserData(dialog, l_param);
    modra::EnableControl(dialog, resource::kBackButton, false);
    return 1;
  }
  auto* converter = reinterpret_cast<ConvertPNX*>(modra::WindowUserData(dialog));
  if (converter == nullptr) return 0;
  CreatorState& state = converter->Creator();
  switch (message) {
    case modra::kMessageDestroy:
      return 1;
    case kShowMarkerMessage: {
      modra::EnableControl(dialog, resource::kBackButton, state.step != 0);
      modra::EnableControl(dialog, resource::kSkipButton, SkipAllowed(state.step));
      const auto* description = reinterpret_cast<const char*>(l_param);
      modra::SetControlText(dialog, resource::kMarkerDescriptionEdit,
                            description != nullptr ? description : "");
      return 1;
    }
    case modra::kMessageCommand:
      break;
    default:
      return 0;
  }
  switch (modra::CommandId(w_param)) {
    case resource::kBackButton:
      // The previous step runs again: what it and the step under way picked is undone.
      if (modra::HostInterface* host = converter->Host()) {
        UndoPicksFrom(*converter, *host, state.step > 0 ? state.step - 1 : 0);
      }
      state.back = true;
      state.leave_pick = true;
      return 0;
    case resource::kSkipButton:
      state.leave_pick = true;
      return 0;
    case resource::kAbortButton:
      state.abort = true;
      state.leave_pick = true;
      DestroyCreatorDialog(state);
      return 0;
    default:
      return 0;
  }
}

}  // namespace zar
