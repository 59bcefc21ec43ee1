#ifndef ZAR_CLI_POINT_KINDS_OPTION_H_
#define ZAR_CLI_POINT_KINDS_OPTION_H_

// --points, for the commands that read marker files: which kinds of point to keep (a C3D file
// lists model outputs such as joint angles and forces beside its markers).

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "exchange/marker_set.h"

namespace zar::cli {

// Adds --points to `command`, taking one kind at a time (repeatable): markers, all, angles,
// forces, moments, powers, scalars or reactions.
void AddPointsOption(CLI::App& command, std::vector<std::string>& points);

// The kinds the --points values name; markers alone when there are none.
std::vector<exchange::PointKind> PointKindsFrom(const std::vector<std::string>& points);

}  // namespace zar::cli

#endif  // ZAR_CLI_POINT_KINDS_OPTION_H_
