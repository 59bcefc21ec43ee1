#ifndef ZAR_CLI_C3D_TABLES_COMMAND_H_
#define ZAR_CLI_C3D_TABLES_COMMAND_H_

// convert trial.c3d out.csv --analog | --forces | --events: what a C3D file holds beside its
// points, as a CSV table.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace zar::cli {

struct C3DTableOptions {
  bool analog = false;
  bool forces = false;
  bool events = false;
  std::vector<std::string> channels;  // --channels: globs of the analog labels to keep
  bool no_zero = false;               // --no-zero: the plates' baselines are not subtracted
  double cop_threshold = 20.0;        // --cop-threshold, newtons

  bool Asked() const { return analog || forces || events; }
};

// Adds --analog, --forces, --events and their options to `convert`.
void AddC3DTableOptions(CLI::App& convert, C3DTableOptions& options);

// True, after saying so, when the command line gives a flag the table asked for (or its absence)
// does not use.
bool C3DTableFlagsUnused(const CLI::App& convert, const C3DTableOptions& options);

// Writes the table `options` asks for from the C3D file `in` to the CSV file `out`; the exit
// status, after printing the 'wrote' line or the problem.
int ConvertC3DTable(const C3DTableOptions& options, bool lenient, const std::string& in,
                    const std::string& out);

}  // namespace zar::cli

#endif  // ZAR_CLI_C3D_TABLES_COMMAND_H_
