// zarfileio: check, inspect and convert motion-capture files, and drive the plug-in, from a
// shell.

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Checks, inspects and converts Vantrel motion-capture files (HTR, TRC) from the shell."};
  app.name("zarfileio");
  app.footer(
      "Exit status: 0 success, 1 a file could not be read or written (the reason is printed),\n"
      "2 a bad command line. Run 'zarfileio <group> <command> --help' for each command.");
  app.require_subcommand(1);
  zar::cli::AddHtrCommands(app);
  zar::cli::AddTrcCommands(app);
  zar::cli::AddPluginCommands(app);
  zar::cli::AddSceneCommands(app);
  zar::cli::AddImportHtrCommand(app);
  zar::cli::AddImportTrcCommand(app);
  zar::cli::AddExportHtrCommand(app);
  zar::cli::AddPnxCommands(app);
  zar::cli::AddMnmCommands(app);
  zar::cli::AddC3DCommands(app);
  zar::cli::AddConvertCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const zar::cli::CommandExit& exit) {
    return exit.code;
  } catch (const CLI::ParseError& error) {
    // Help and version requests exit with 0; every other parse error is a bad command line.
    const int code = app.exit(error);
    return code == 0 ? zar::cli::kExitOk : zar::cli::kExitUsage;
  }
  return zar::cli::kExitOk;
}
