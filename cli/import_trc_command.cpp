// zarfileio import-trc FILE --scene S [dialog entries]
//
// Runs the plug-in's TRC importer on a scene document. Each dialog flag becomes the user's
// entry in the importer's options dialog; OK is pressed after them. A flag left out keeps what
// the dialog shows (the options remembered in the registry).

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/host_session.h"
#include "frame/resource_ids.h"
#include "import_trc/trc_import_messages.h"

namespace zar::cli {
namespace {

namespace id = resource;

struct ImportTrcFlags {
  SessionOptions session;
  std::string file;
  std::vector<std::string> select;
  bool create = false;
  bool apply = false;
  bool selectedOnly = false;
  bool noSelectedOnly = false;
  bool rootNode = false;
  bool noRootNode = false;
  bool sphere = false;
  bool point = false;
  std::string size;
  bool all = false;
  std::string from;
  std::string to;
  std::string offset;
  bool setFrameRate = false;
  bool noSetFrameRate = false;
  std::string scale;

  bool AnyDialogEntry() const {
    return create || apply || selectedOnly || noSelectedOnly || rootNode || noRootNode || sphere ||
           point || !size.empty() || all || !from.empty() || !to.empty() || !offset.empty() ||
           setFrameRate || noSetFrameRate || !scale.empty();
  }
};

// The entries in the order a user makes them: the choices that enable other controls first.
void QueueDialogEntries(HostSession& session, const ImportTrcFlags& f) {
  if (f.create) session.Tick(id::kTRCCreateRadio, true);
  if (f.apply) session.Tick(id::kTRCApplyRadio, true);
  if (f.selectedOnly || f.noSelectedOnly) session.Tick(id::kSelectedOnlyCheck, f.selectedOnly);
  if (f.rootNode || f.noRootNode) session.Tick(id::kRootNodeCheck, f.rootNode);
  if (f.sphere) session.Tick(id::kSphereRadio, true);
  if (f.point) session.Tick(id::kPointRadio, true);
  if (!f.size.empty()) session.FillEdit(id::kSizeEdit, f.size);
  if (f.all) session.Tick(id::kAllRadio, true);
  if (!f.from.empty() || !f.to.empty()) session.Tick(id::kRangeRadio, true);
  if (!f.from.empty()) session.FillEdit(id::kFromEdit, f.from);
  if (!f.to.empty()) session.FillEdit(id::kToEdit, f.to);
  if (!f.offset.empty()) session.FillEdit(id::kOffsetEdit, f.offset);
  if (f.setFrameRate || f.noSetFrameRate) session.Tick(id::kSetFrameRateCheck, f.setFrameRate);
  if (!f.scale.empty()) session.FillEdit(id::kGlobalScaleEdit, f.scale);
  session.PressOk();
}

bool ShowedImportError(HostSession& session) {
  for (const modra::host::ShownEvent& e : session.user().MessageBoxes()) {
    if (e.caption == trc_import::kErrorCaption) return true;
  }
  return false;
}

int ImportTrc(const ImportTrcFlags& flags) {
  if (EntriesRefusedWithoutPrompts(flags.session, flags.AnyDialogEntry())) return kExitUsage;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  for (const std::string& name : flags.select) {
    if (!session->SelectNode(name)) {
      std::cerr << "zarfileio: the scene has no node named \"" << name << "\"\n";
      return kExitFileProblem;
    }
  }
  if (!flags.session.noPrompts) QueueDialogEntries(*session, flags);
  const int result = session->RunImport("ImportTRC", flags.file);
  // The importer answers success whatever happens and shows its problems itself: a problem it
  // showed (an unreadable file, a node without position controller) fails the command, and the
  // scene is not saved.
  return session->Finish(result == 1 && ShowedImportError(*session) ? 0 : result);
}

}  // namespace

void AddImportTrcCommand(CLI::App& app) {
  auto flags = std::make_shared<ImportTrcFlags>();
  CLI::App* command = app.add_subcommand(
      "import-trc",
      "Import a TRC file into a scene document with the plug-in's TRC importer: one keyed node "
      "per marker. Dialog flags are the user's entries in its options dialog (then OK); left "
      "out, the dialog keeps the remembered options. A refused entry prints the dialog's "
      "message and exits with 2.");
  command->add_option("file", flags->file, "TRC file to import")->required();
  AddSessionOptions(*command, flags->session);
  command->add_option("--select", flags->select,
                      "Select this node first (repeatable; apply mode searches the selection "
                      "and the selected nodes' children)");

  CLI::Option* create = command->add_flag("--create", flags->create, "Cloud: Create");
  command->add_flag("--apply", flags->apply, "Cloud: Apply (to nodes named like the markers)")
      ->excludes(create);
  CLI::Option* selected =
      command->add_flag("--selected-only", flags->selectedOnly, "Options: Selected Items Only on");
  command->add_flag("--no-selected-only", flags->noSelectedOnly, "Selected Items Only off")
      ->excludes(selected);
  CLI::Option* root = command->add_flag("--root-node", flags->rootNode, "Options: Root Node on");
  command->add_flag("--no-root-node", flags->noRootNode, "Root Node off")->excludes(root);
  CLI::Option* sphere = command->add_flag("--sphere", flags->sphere, "Geometry: Sphere");
  command->add_flag("--point", flags->point, "Geometry: Point")->excludes(sphere);
  command->add_option("--size", flags->size, "Geometry: Size");
  CLI::Option* all = command->add_flag("--all", flags->all, "Time: All frames");
  command->add_option("--from", flags->from, "Time: Range, from this frame")->excludes(all);
  command->add_option("--to", flags->to, "Time: Range, to this frame")->excludes(all);
  command->add_option("--offset", flags->offset, "Time: Offset in frames");
  CLI::Option* rate =
      command->add_flag("--set-frame-rate", flags->setFrameRate, "Time: Set Frame Rate on");
  command->add_flag("--no-set-frame-rate", flags->noSetFrameRate, "Set Frame Rate off")
      ->excludes(rate);
  command->add_option("--scale", flags->scale, "Scale: Global");
  command->callback([flags] { FinishCommand(ImportTrc(*flags)); });
}

}  // namespace zar::cli
