// zarfileio: check, inspect and convert motion-capture files, and drive the plug-in, from a
// shell.

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_report.h"

namespace {

// Every command's output is checked here, once: whatever did not reach standard output (a full
// disk, a closed pipe, /dev/full) turns a success into a file problem.
int CheckStandardOutput(int status) {
  errno = 0;
  std::cout.flush();
  const bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (!failed) return status;
  const int error = errno;
  std::cerr << "zarfileio: standard output could not be written"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << "\n";
  return status == zar::cli::kExitOk ? zar::cli::kExitFileProblem : status;
}

int Run(CLI::App& app, int argc, char** argv) {
  try {
    app.parse(argc, argv);
  } catch (const zar::cli::CommandExit& exit) {
    return exit.code;
  } catch (const std::bad_alloc&) {
    // Memory ran out for what a file asked to hold: a file problem, not a crash.
    std::cerr << "zarfileio: " << zar::cli::OutOfMemoryProblem() << "\n";
    return zar::cli::kExitFileProblem;
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    const std::string unknown = zar::cli::ExplainUnknownArgument(app);
    if (unknown.empty()) {
      app.exit(error);
    } else {
      std::cerr << unknown << "\nRun with --help for more information.\n";
    }
    return zar::cli::kExitUsage;
  }
  return zar::cli::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Checks, inspects and converts motion-capture files (HTR, TRC, C3D) from the shell, "
      "and runs the plug-in's imports, exports and conversions against scene documents."};
  app.name("zarfileio");
  app.formatter(std::make_shared<zar::cli::HelpFormatter>());
  app.set_version_flag("--version", "zarfileio " ZAR_VERSION);
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
  zar::cli::AddViewCommand(app);
  // Set last: subcommands would inherit it.
  app.footer(zar::cli::Wrap(
      "Exit status: 0 success, 1 a file or scene problem (missing or unreadable input "
      "included; the reason is printed), 2 a bad command line or an entry the options dialog "
      "refused. Run 'zarfileio <group> <command> --help' for each command.",
      80));
  return CheckStandardOutput(Run(app, argc, argv));
}
