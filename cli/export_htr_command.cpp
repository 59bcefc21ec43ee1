// zarfileio export-htr FILE --scene S --select NODE [options]
//
// Selects NODE in a scene document and runs the plug-in's HTR exporter on it. The option flags
// are the user's entries in the exporter's options dialog (cli/dialog_flags.h); the options
// left out keep what the dialog shows: the remembered ones, and the scene's animation range as
// the frame range.

#include <iostream>
#include <memory>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/dialog_flags.h"
#include "cli/help_text.h"
#include "cli/host_session.h"
#include "filelib/htr_file.h"

namespace zar::cli {
namespace {

struct ExportHtrFlags {
  SessionOptions session;
  std::string file;
  std::string select;
  DialogEntries entries{kExportHtrDialog};
};

int ExportHtr(ExportHtrFlags& flags) {
  if (EntriesRefusedWithoutPrompts(flags.session, flags.entries.Any())) return kExitUsage;
  // The writer adds ".htr" to a name without an extension: a device, folder or FIFO named
  // without one would silently turn into a file beside it.
  if (NotARegularFile(flags.file)) return kExitFileProblem;
  flags.session.optionClass = kExportHtrDialog.options.key;
  flags.session.storeOnSuccessOnly = true;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  // The exporter takes the first selected node: the document's own selection must not come
  // before it. The document itself is only read.
  session->scene().ClearSelection();
  if (!session->SelectNode(flags.select)) {
    std::cerr << "zarfileio: the scene has no node named \"" << flags.select << "\"\n";
    return kExitFileProblem;
  }
  if (!flags.session.noPrompts) flags.entries.Queue(session->user());
  return session->Finish(session->RunExport("ExportHTR", flags.file), &flags.entries,
                         {"", WithDefaultExtension(flags.file, ".htr"), false});
}

}  // namespace

void AddExportHtrCommand(CLI::App& app) {
  auto flags = std::make_shared<ExportHtrFlags>();
  CLI::App* command = app.add_subcommand(
      "export-htr",
      "Export the bone hierarchy at or directly below NODE of a scene document to an "
      "HTR file with the plug-in's HTR exporter (\".htr\" is added to a name without an "
      "extension). Options left out keep their remembered values, and the frames "
      "follow the scene's animation range.");
  SetExamples(*command,
              {"zarfileio export-htr out.htr --scene fight.json --select fight_a",
               "zarfileio export-htr out.htr --scene fight.json --select Hips --from 1 --to 50"});
  UseOptionFlagsHelp(*command);
  command->add_option("file", flags->file, "HTR file to write")->required();
  AddSessionOptions(*command, flags->session);
  command
      ->add_option("--select", flags->select,
                   "The root bone to export (or a node with it among its children)")
      ->required()
      ->type_name("NODE");
  flags->entries.AddFlags(*command);
  // Without animation only the base position is written: no frames to choose or number.
  for (const char* frames : {"--slider", "--from", "--to", "--offset"})
    command->get_option(frames)->excludes(command->get_option("--no-animation"));
  command->callback([flags] { FinishCommand(ExportHtr(*flags)); });
}

}  // namespace zar::cli
