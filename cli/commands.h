#ifndef ZAR_CLI_COMMANDS_H_
#define ZAR_CLI_COMMANDS_H_

// The command groups of zarfileio. Each group lives in its own file and registers its
// subcommands on the application; main.cpp calls every Add...Commands once.

#include <CLI/CLI.hpp>

namespace zar::cli {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileProblem = 1;  // a file could not be read or written (message shown)
inline constexpr int kExitUsage = 2;        // a bad command line

// Thrown by a command to end the program with `code`; main turns it into the exit status.
struct CommandExit {
  int code;
};

// Ends the command with `code` unless it is kExitOk.
inline void FinishCommand(int code) {
  if (code != kExitOk) throw CommandExit{code};
}

// htr check, htr info, htr convert.
void AddHtrCommands(CLI::App& app);
// trc check, trc info.
void AddTrcCommands(CLI::App& app);
// plugin info; options show, options reset.
void AddPluginCommands(CLI::App& app);
// scene info, scene keys.
void AddSceneCommands(CLI::App& app);
// import-htr.
void AddImportHtrCommand(CLI::App& app);
// import-trc.
void AddImportTrcCommand(CLI::App& app);
// export-htr.
void AddExportHtrCommand(CLI::App& app);
// pnx convert.
void AddPnxCommands(CLI::App& app);
// mnm create.
void AddMnmCommands(CLI::App& app);
// c3d check, c3d info.
void AddC3DCommands(CLI::App& app);
// convert.
void AddConvertCommand(CLI::App& app);
// view.
void AddViewCommand(CLI::App& app);

}  // namespace zar::cli

#endif  // ZAR_CLI_COMMANDS_H_
