#include "cli/marker_read_flags.h"

#include <string_view>

#include "exchange/marker_formats.h"

namespace zar::cli {

void AddPointsOption(CLI::App& command, std::vector<std::string>& points) {
  std::vector<std::string> names = {"all"};
  for (const exchange::PointKind kind : exchange::kPointKinds) {
    names.emplace_back(exchange::PointKindsText(kind));
  }
  command
      .add_option("--points", points,
                  "which kinds of point to keep, one per --points: markers (the default), all, "
                  "angles, forces, moments, powers, scalars or reactions (the model outputs a C3D "
                  "file lists beside its markers, each in its own units)")
      ->check(CLI::IsMember(names))
      ->type_name("KIND");
}

std::vector<exchange::PointKind> PointKindsFrom(const std::vector<std::string>& points) {
  return exchange::PointKindsNamed(points);
}

std::optional<Axis> UpAxisFlag(const std::string& up) {
  if (up.empty()) return std::nullopt;
  return AxisFromText(up);
}

void AddMarkerNameOptions(CLI::App& command, std::vector<std::string>& names,
                          std::vector<std::string>& exclude) {
  command
      .add_option("--markers", names,
                  "the points to keep, by name: glob patterns (* ? [...], any letter case), "
                  "comma-separated or one per --markers (default: every point of the kinds kept)")
      ->delimiter(',')
      ->type_name("NAME,...");
  command
      .add_option("--exclude", exclude,
                  "the points to leave out, by name: glob patterns, comma-separated or one per "
                  "--exclude")
      ->delimiter(',')
      ->type_name("NAME,...");
}

void AddLenientFlag(CLI::App& command, bool& lenient) {
  command.add_flag("--lenient", lenient,
                   "read what can be read of a damaged C3D parameter section (a description that "
                   "runs into the next record, a record past the section's end), with a warning "
                   "naming what was cut or left out");
}

}  // namespace zar::cli
