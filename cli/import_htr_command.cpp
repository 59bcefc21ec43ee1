// zarfileio import-htr FILE --scene S [dialog entries]
//
// Runs the plug-in's HTR importer on a scene document. Each dialog flag becomes the user's
// entry in the importer's options dialog; OK is pressed after them. A flag left out keeps what
// the dialog shows (the options remembered in the registry).

#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/host_session.h"
#include "frame/resource_ids.h"

namespace zar::cli {
namespace {

namespace id = resource;

struct ImportHtrFlags {
  SessionOptions session;
  std::string file;
  bool create = false;
  bool apply = false;
  std::string select;
  std::string segmentSize;
  bool endEffectors = false;
  bool noEndEffectors = false;
  bool basePosition = false;
  bool noBasePosition = false;
  bool animation = false;
  bool noAnimation = false;
  bool euler = false;
  bool tcb = false;
  bool all = false;
  std::string from;
  std::string to;
  std::string offset;
  bool setFrameRate = false;
  bool noSetFrameRate = false;
  std::string scale;

  bool AnyDialogEntry() const {
    return create || apply || !segmentSize.empty() || endEffectors || noEndEffectors ||
           basePosition || noBasePosition || animation || noAnimation || euler || tcb || all ||
           !from.empty() || !to.empty() || !offset.empty() || setFrameRate || noSetFrameRate ||
           !scale.empty();
  }
};

// The entries in the order a user makes them: the choices that enable other controls first.
void QueueDialogEntries(HostSession& session, const ImportHtrFlags& f) {
  if (f.create) session.Tick(id::kHTRCreateRadio, true);
  if (f.apply) session.Tick(id::kHTRApplyRadio, true);
  if (f.animation || f.noAnimation) session.Tick(id::kAnimationCheck, f.animation);
  if (f.basePosition || f.noBasePosition) session.Tick(id::kBasePositionCheck, f.basePosition);
  if (f.endEffectors || f.noEndEffectors) session.Tick(id::kEndEffectorsCheck, f.endEffectors);
  if (f.all) session.Tick(id::kAllRadio, true);
  if (!f.from.empty() || !f.to.empty()) session.Tick(id::kRangeRadio, true);
  if (!f.from.empty()) session.FillEdit(id::kFromEdit, f.from);
  if (!f.to.empty()) session.FillEdit(id::kToEdit, f.to);
  if (!f.offset.empty()) session.FillEdit(id::kOffsetEdit, f.offset);
  if (f.euler) session.Tick(id::kEulerRadio, true);
  if (f.tcb) session.Tick(id::kTCBRadio, true);
  if (f.setFrameRate || f.noSetFrameRate) session.Tick(id::kSetFrameRateCheck, f.setFrameRate);
  if (!f.segmentSize.empty()) session.FillEdit(id::kSizeEdit, f.segmentSize);
  if (!f.scale.empty()) session.FillEdit(id::kGlobalScaleEdit, f.scale);
  session.PressOk();
}

int ImportHtr(const ImportHtrFlags& flags) {
  if (EntriesRefusedWithoutPrompts(flags.session, flags.AnyDialogEntry())) return kExitUsage;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  if (!flags.select.empty() && !session->SelectNode(flags.select)) {
    std::cerr << "zarfileio: the scene has no node named \"" << flags.select << "\"\n";
    return kExitFileProblem;
  }
  if (!flags.session.noPrompts) QueueDialogEntries(*session, flags);
  return session->Finish(session->RunImport("ImportHTR", flags.file));
}

}  // namespace

void AddImportHtrCommand(CLI::App& app) {
  auto flags = std::make_shared<ImportHtrFlags>();
  CLI::App* command = app.add_subcommand(
      "import-htr",
      "Import an HTR file into a scene document with the plug-in's HTR importer. Dialog flags "
      "are the user's entries in its options dialog (then OK); left out, the dialog keeps the "
      "remembered options. A refused entry prints the dialog's message and exits with 2.");
  command->add_option("file", flags->file, "HTR file to import")->required();
  AddSessionOptions(*command, flags->session);
  command->add_option("--select", flags->select,
                      "Select this node first (the branch to apply to in apply mode)");

  CLI::Option* create = command->add_flag("--create", flags->create, "Skeleton: Create");
  command->add_flag("--apply", flags->apply, "Skeleton: Apply (to the selected skeleton)")
      ->excludes(create);
  command->add_option("--segment-size", flags->segmentSize, "Skeleton: Segment Size");
  CLI::Option* effectors =
      command->add_flag("--end-effectors", flags->endEffectors, "Skeleton: End Effectors on");
  command->add_flag("--no-end-effectors", flags->noEndEffectors, "End Effectors off")
      ->excludes(effectors);
  CLI::Option* base =
      command->add_flag("--base-position", flags->basePosition, "Keyframe: Base Position on");
  command->add_flag("--no-base-position", flags->noBasePosition, "Base Position off")
      ->excludes(base);
  CLI::Option* animation =
      command->add_flag("--animation", flags->animation, "Keyframe: Animation on");
  command->add_flag("--no-animation", flags->noAnimation, "Animation off")->excludes(animation);
  CLI::Option* euler = command->add_flag("--euler", flags->euler, "Rotation controller: Euler");
  command->add_flag("--tcb", flags->tcb, "Rotation controller: TCB")->excludes(euler);
  CLI::Option* all = command->add_flag("--all", flags->all, "Time: All frames");
  command->add_option("--from", flags->from, "Time: Range, from this frame")->excludes(all);
  command->add_option("--to", flags->to, "Time: Range, to this frame")->excludes(all);
  command->add_option("--offset", flags->offset, "Time: Offset in frames");
  CLI::Option* rate =
      command->add_flag("--set-frame-rate", flags->setFrameRate, "Time: Set Frame Rate on");
  command->add_flag("--no-set-frame-rate", flags->noSetFrameRate, "Set Frame Rate off")
      ->excludes(rate);
  command->add_option("--scale", flags->scale, "Scale: Global");
  command->callback([flags] { FinishCommand(ImportHtr(*flags)); });
}

}  // namespace zar::cli
