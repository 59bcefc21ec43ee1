// zarfileio export-htr FILE --scene S --select NODE [dialog entries]
//
// Selects NODE in a scene document and runs the plug-in's HTR exporter on it. Each dialog flag
// becomes the user's entry in the exporter's options dialog; OK is pressed after them. A flag
// left out keeps what the dialog shows (the options remembered in the registry, and the scene's
// animation range as the frame range).

#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/host_session.h"
#include "frame/resource_ids.h"

namespace zar::cli {
namespace {

namespace id = resource;

struct ExportHtrFlags {
  SessionOptions session;
  std::string file;
  std::string select;
  bool savedPose = false;
  bool currentPose = false;
  bool animation = false;
  bool noAnimation = false;
  bool parentTransforms = false;
  bool noParentTransforms = false;
  bool slider = false;
  std::string from;
  std::string to;
  std::string offset;
  std::string scale;

  bool AnyDialogEntry() const {
    return savedPose || currentPose || animation || noAnimation || parentTransforms ||
           noParentTransforms || slider || !from.empty() || !to.empty() || !offset.empty() ||
           !scale.empty();
  }
};

// The entries in the order a user makes them: "Range" before the boxes it enables.
void QueueDialogEntries(HostSession& session, const ExportHtrFlags& f) {
  if (f.savedPose) session.Tick(id::kSavedPoseRadio, true);
  if (f.currentPose) session.Tick(id::kCurrentPoseRadio, true);
  if (f.animation || f.noAnimation) session.Tick(id::kExportAnimationCheck, f.animation);
  if (f.parentTransforms || f.noParentTransforms) {
    session.Tick(id::kParentTransformsCheck, f.parentTransforms);
  }
  if (f.slider) session.Tick(id::kAllRadio, true);
  if (!f.from.empty() || !f.to.empty()) session.Tick(id::kRangeRadio, true);
  if (!f.from.empty()) session.FillEdit(id::kFromEdit, f.from);
  if (!f.to.empty()) session.FillEdit(id::kToEdit, f.to);
  if (!f.offset.empty()) session.FillEdit(id::kOffsetEdit, f.offset);
  if (!f.scale.empty()) session.FillEdit(id::kGlobalScaleEdit, f.scale);
  session.PressOk();
}

int ExportHtr(const ExportHtrFlags& flags) {
  if (EntriesRefusedWithoutPrompts(flags.session, flags.AnyDialogEntry())) return kExitUsage;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  // The exporter takes the first selected node: the document's own selection must not come
  // before it.
  session->scene().ClearSelection();
  if (!session->SelectNode(flags.select)) {
    std::cerr << "zarfileio: the scene has no node named \"" << flags.select << "\"\n";
    return kExitFileProblem;
  }
  if (!flags.session.noPrompts) QueueDialogEntries(*session, flags);
  return session->Finish(session->RunExport("ExportHTR", flags.file));
}

}  // namespace

void AddExportHtrCommand(CLI::App& app) {
  auto flags = std::make_shared<ExportHtrFlags>();
  CLI::App* command = app.add_subcommand(
      "export-htr",
      "Export the bone hierarchy below NODE of a scene document to an HTR file with the "
      "plug-in's HTR exporter. Dialog flags are the user's entries in its options dialog (then "
      "OK); left out, the dialog keeps the remembered options and the scene's animation range. "
      "A refused entry prints the dialog's message and exits with 2.");
  command->add_option("file", flags->file, "HTR file to write")->required();
  AddSessionOptions(*command, flags->session);
  command
      ->add_option("--select", flags->select,
                   "The root bone to export (or a node with it among its children)")
      ->required();

  CLI::Option* saved =
      command->add_flag("--saved-pose", flags->savedPose, "Base Position: Saved Pose");
  command->add_flag("--current-pose", flags->currentPose, "Base Position: Current Pose")
      ->excludes(saved);
  CLI::Option* animation =
      command->add_flag("--animation", flags->animation, "Options: Export Animation on");
  command->add_flag("--no-animation", flags->noAnimation, "Export Animation off")
      ->excludes(animation);
  CLI::Option* parents = command->add_flag("--parent-transforms", flags->parentTransforms,
                                           "Options: Parent Transforms on");
  command->add_flag("--no-parent-transforms", flags->noParentTransforms, "Parent Transforms off")
      ->excludes(parents);
  CLI::Option* slider =
      command->add_flag("--slider", flags->slider, "Time: Slider (the scene's animation range)");
  command->add_option("--from", flags->from, "Time: Range, from this frame")->excludes(slider);
  command->add_option("--to", flags->to, "Time: Range, to this frame")->excludes(slider);
  command->add_option("--offset", flags->offset, "Time: Offset added to the frame numbers");
  command->add_option("--scale", flags->scale, "Scale: Global");
  command->callback([flags] { FinishCommand(ExportHtr(*flags)); });
}

}  // namespace zar::cli
