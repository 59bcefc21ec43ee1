#ifndef ZAR_CLI_MARKER_READ_FLAGS_H_
#define ZAR_CLI_MARKER_READ_FLAGS_H_

// The flags of the commands that read marker files: --points, which kinds of point to keep (a
// C3D file lists model outputs such as joint angles and forces beside its markers), --markers and
// --exclude, which points by name, and --lenient, for C3D files whose parameter section is
// damaged.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "exchange/marker_set.h"
#include "filelib/motion_units.h"

namespace zar::cli {

// Adds --points to `command`, taking one kind at a time (repeatable): markers, all, angles,
// forces, moments, powers, scalars or reactions.
void AddPointsOption(CLI::App& command, std::vector<std::string>& points);

// The kinds the --points values name; markers alone when there are none.
std::vector<exchange::PointKind> PointKindsFrom(const std::vector<std::string>& points);

// The axis an --up flag names ("y" or "z"); none when it was not given (empty).
std::optional<Axis> UpAxisFlag(const std::string& up);

// Adds --markers NAME,... and --exclude NAME,...: glob patterns of the points to keep and to leave
// out by name (repeatable or comma-separated).
void AddMarkerNameOptions(CLI::App& command, std::vector<std::string>& names,
                          std::vector<std::string>& exclude);

// Adds --lenient to `command`: read what can be read of a damaged C3D parameter section.
void AddLenientFlag(CLI::App& command, bool& lenient);

}  // namespace zar::cli

#endif  // ZAR_CLI_MARKER_READ_FLAGS_H_
