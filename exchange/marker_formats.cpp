#include "exchange/marker_formats.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>

#include "exchange/c3d_file.h"
#include "exchange/c3d_parameters.h"
#include "exchange/csv_writer.h"
#include "exchange/exchange_messages.h"
#include "exchange/gltf_writer.h"
#include "exchange/trc_adapter.h"
#include "exchange/trc_writer.h"

namespace zar::exchange {

namespace {

bool Matches(const std::vector<std::string>& patterns, const std::string& name) {
  return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
  });
}

// Leaves out the points of other kinds than `options` keeps and those its name patterns leave
// out; a message when none is left, a warning for each pattern that names no point.
std::string KeepPoints(const MarkerReadOptions& options, MarkerSet& set) {
  std::vector<bool> keep(set.NumMarkers());
  bool any_of_kinds = false;
  bool any = false;
  for (std::size_t m = 0; m < keep.size(); ++m) {
    const MarkerName& point = set.markers[m];
    keep[m] = std::find(options.point_kinds.begin(), options.point_kinds.end(), point.kind) !=
              options.point_kinds.end();
    any_of_kinds = any_of_kinds || keep[m];
    keep[m] = keep[m] && (options.markers.empty() || Matches(options.markers, point.name)) &&
              !Matches(options.exclude, point.name);
    any = any || keep[m];
  }
  for (const auto& [flag, patterns] :
       {std::pair{"--markers", &options.markers}, std::pair{"--exclude", &options.exclude}}) {
    for (const std::string& pattern : *patterns) {
      const bool named =
          std::any_of(set.markers.begin(), set.markers.end(),
                      [&](const MarkerName& p) { return Matches({pattern}, p.name); });
      if (!named) set.warnings.push_back(std::string(flag) + " " + pattern + " names no point");
    }
  }
  if (!any_of_kinds) {
    std::string asked;
    for (const PointKind kind : options.point_kinds) {
      asked.append(asked.empty() ? "" : ", ").append(PointKindsText(kind));
    }
    return std::string(messages::kNoPointsOfKinds) + " (" + asked + "); the file has " +
           set.KindCounts();
  }
  if (!any) return std::string(messages::kNoPointsNamed);
  if (std::find(keep.begin(), keep.end(), false) != keep.end()) set.KeepMarkers(keep);
  return std::string();
}

FileOutcome ReadC3D(const std::string& path, const MarkerReadOptions& options, MarkerSet& set) {
  C3DFile file;
  if (FileOutcome outcome = file.Read(path, C3DReadOptions{options.lenient}); !outcome.Ok()) {
    return outcome;
  }
  if (std::string nothing = NothingToConvert(file.Contents()); !nothing.empty()) {
    return FileOutcome::BadFormat(std::move(nothing));
  }
  set = std::move(file.points);
  set.warnings = std::move(file.warnings);
  if (options.names_from_descriptions) set.NameByDescriptions();
  return FileOutcome::Unless(FileFault::kBadFormat, KeepPoints(options, set));
}

FileOutcome ReadTRCMarkers(const std::string& path, const MarkerReadOptions& options,
                           MarkerSet& set) {
  FileOutcome outcome = ReadTRC(path, set);
  if (!outcome.Ok()) return outcome;
  return FileOutcome::Unless(FileFault::kBadFormat, KeepPoints(options, set));
}

// A C3D label holds at most 255 characters, padded with blanks, so trailing blanks do not come
// back; repeated and empty labels are kept as they are.
std::vector<std::string> C3DWrittenNames(const MarkerSet& set) {
  std::vector<std::string> names;
  names.reserve(set.NumMarkers());
  for (const MarkerName& marker : set.markers) {
    std::string name = marker.name.substr(0, 255);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
    names.push_back(std::move(name));
  }
  return names;
}

constexpr MarkerFormat kFormats[] = {
    {".c3d", "C3D", ReadC3D, WriteC3D, Axis::kZ, C3DWrittenNames},
    {".trc", "TRC", ReadTRCMarkers, WriteTRC, Axis::kY, UniqueMarkerNames},
    {".csv", "CSV", nullptr, WriteCSV, Axis::kY, UniqueMarkerNames},
    {".glb", "glTF binary", nullptr, WriteGLB, Axis::kY, UniqueMarkerNames, Axis::kY,
     LengthUnit::kMetres},
    {".gltf", "glTF", nullptr, WriteGLTF, Axis::kY, UniqueMarkerNames, Axis::kY,
     LengthUnit::kMetres},
};

}  // namespace

std::span<const MarkerFormat> MarkerFormats() { return kFormats; }

std::vector<PointKind> PointKindsNamed(const std::vector<std::string>& words) {
  std::vector<PointKind> kinds;
  for (const PointKind kind : kPointKinds) {
    const std::string_view name = PointKindsText(kind);
    const bool asked = std::any_of(words.begin(), words.end(), [name](const std::string& word) {
      return word == "all" || word == name;
    });
    if (asked) kinds.push_back(kind);
  }
  if (kinds.empty()) kinds.push_back(PointKind::kMarker);
  return kinds;
}

std::string RenamedMarkers(const MarkerFormat& format, const MarkerSet& set) {
  if (format.written_names == nullptr) return std::string();
  const std::vector<std::string> written = format.written_names(set);
  std::string text;
  for (std::size_t m = 0; m < written.size(); ++m) {
    if (written[m] == set.markers[m].name) continue;
    if (!text.empty()) text += ", ";
    text += "'" + set.markers[m].name + "' as " + written[m];
  }
  return text;
}

Axis SourceUp(const MarkerFormat& format, const MarkerSet& set, std::optional<Axis> given) {
  if (set.up_known) return set.up;
  return given.value_or(format.default_up);
}

const MarkerFormat* FindMarkerFormat(std::string_view path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  for (const MarkerFormat& format : kFormats) {
    if (SameC3DName(format.extension, extension)) return &format;
  }
  return nullptr;
}

}  // namespace zar::exchange
