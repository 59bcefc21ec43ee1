// zarfileio import-trc FILE --scene S [options]
//
// Runs the plug-in's TRC importer on a scene document. The option flags are the user's entries
// in the importer's options dialog (cli/dialog_flags.h); the options left out keep what the
// dialog shows, the remembered ones.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/dialog_flags.h"
#include "cli/frame_rate_note.h"
#include "cli/help_text.h"
#include "cli/host_session.h"
#include "filelib/htr_file.h"
#include "plugin_description/plugin_texts.h"

namespace zar::cli {
namespace {

struct ImportTrcFlags {
  SessionOptions session;
  std::string file;
  std::vector<std::string> select;
  DialogEntries entries{kImportTrcDialog};
};

bool ShowedImportError(HostSession& session) {
  for (const modra::host::ShownEvent& e : session.user().MessageBoxes()) {
    if (e.caption == description::kImportTrcErrorCaption) return true;
  }
  return false;
}

int ImportTrc(ImportTrcFlags& flags) {
  if (EntriesRefusedWithoutPrompts(flags.session, flags.entries.Any())) return kExitUsage;
  if (NotARegularFile(WithDefaultExtension(flags.file, ".TRC"))) return kExitFileProblem;
  flags.session.optionClass = kImportTrcDialog.options.key;
  flags.session.storeOnSuccessOnly = true;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  for (const std::string& name : flags.select) {
    if (!session->SelectNode(name)) {
      std::cerr << "zarfileio: the scene has no node named \"" << name << "\"\n";
      return kExitFileProblem;
    }
  }
  if (!flags.session.noPrompts) flags.entries.Queue(session->user());
  const int result = session->RunImport("ImportTRC", flags.file);
  // The importer answers success whatever happens and shows its problems itself: a problem it
  // showed (an unreadable file, a node without position controller) fails the command, and the
  // scene is not saved.
  const int status =
      session->Finish(result == 1 && ShowedImportError(*session) ? 0 : result, &flags.entries,
                      {WithDefaultExtension(flags.file, ".TRC"), flags.session.scene});
  if (status == kExitOk) {
    WarnAboutFrameRates(std::cerr, flags.file, TrcFileRate(flags.file),
                        session->scene().frameRate());
  }
  return status;
}

}  // namespace

void AddImportTrcCommand(CLI::App& app) {
  auto flags = std::make_shared<ImportTrcFlags>();
  CLI::App* command = app.add_subcommand(
      "import-trc",
      "Import the markers of a TRC file into a scene document with the plug-in's TRC "
      "importer: one keyed object per marker, or the motion applied to the nodes named "
      "like the markers. Options left out keep their remembered values; a choice the "
      "importer cannot take together with another exits with 2.");
  SetExamples(*command,
              {"zarfileio import-trc Gait.trc --scene gait.json --root-node --size 5",
               "zarfileio import-trc Gait.trc --scene gait.json --apply --from 10 --to 200"});
  UseOptionFlagsHelp(*command);
  command->add_option("file", flags->file, "TRC file to import")->required();
  AddSessionOptions(*command, flags->session);
  CLI::Option* select =
      command->add_option("--select", flags->select,
                          "Select this node first (repeatable; apply mode searches the selection "
                          "and the selected nodes' children; not with --create)");
  flags->entries.AddFlags(*command);
  // Create mode makes new nodes: the selection is not used.
  select->excludes(command->get_option("--create"));
  command->callback([flags] { FinishCommand(ImportTrc(*flags)); });
}

}  // namespace zar::cli
