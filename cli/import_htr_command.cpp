// zarfileio import-htr FILE --scene S [options]
//
// Runs the plug-in's HTR importer on a scene document. The option flags are the user's entries
// in the importer's options dialog (cli/dialog_flags.h); the options left out keep what the
// dialog shows, the remembered ones.

#include <iostream>
#include <memory>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/dialog_flags.h"
#include "cli/frame_rate_note.h"
#include "cli/help_text.h"
#include "cli/host_session.h"
#include "filelib/htr_file.h"

namespace zar::cli {
namespace {

struct ImportHtrFlags {
  SessionOptions session;
  std::string file;
  std::string select;
  DialogEntries entries{kImportHtrDialog};
};

int ImportHtr(ImportHtrFlags& flags) {
  if (EntriesRefusedWithoutPrompts(flags.session, flags.entries.Any())) return kExitUsage;
  if (NotARegularFile(WithDefaultExtension(flags.file, ".htr"))) return kExitFileProblem;
  flags.session.optionClass = kImportHtrDialog.options.key;
  flags.session.storeOnSuccessOnly = true;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  if (!flags.select.empty() && !session->SelectNode(flags.select)) {
    std::cerr << "zarfileio: the scene has no node named \"" << flags.select << "\"\n";
    return kExitFileProblem;
  }
  if (!flags.session.noPrompts) flags.entries.Queue(session->user());
  const int status =
      session->Finish(session->RunImport("ImportHTR", flags.file), &flags.entries,
                      {WithDefaultExtension(flags.file, ".htr"), flags.session.scene});
  if (status == kExitOk) {
    WarnAboutFrameRates(std::cerr, flags.file, HtrFileRate(flags.file),
                        session->scene().frameRate());
  }
  return status;
}

}  // namespace

void AddImportHtrCommand(CLI::App& app) {
  auto flags = std::make_shared<ImportHtrFlags>();
  CLI::App* command = app.add_subcommand(
      "import-htr",
      "Import an HTR file into a scene document with the plug-in's HTR importer: a new "
      "skeleton of bones, or the motion applied to the selected skeleton. Options left "
      "out keep their remembered values; a choice the importer cannot take together "
      "with another exits with 2.");
  SetExamples(*command,
              {"zarfileio import-htr fight_a.htr --scene fight.json --set-frame-rate",
               "zarfileio import-htr fight_a.htr --scene fight.json --apply --select Hips"});
  UseOptionFlagsHelp(*command);
  command->add_option("file", flags->file, "HTR file to import")->required();
  AddSessionOptions(*command, flags->session);
  CLI::Option* select =
      command->add_option("--select", flags->select,
                          "Select this node first (the branch to apply to in apply mode; not with "
                          "--create)");
  flags->entries.AddFlags(*command);
  // Create mode makes new nodes: the selection is not used.
  select->excludes(command->get_option("--create"));
  command->callback([flags] { FinishCommand(ImportHtr(*flags)); });
}

}  // namespace zar::cli
