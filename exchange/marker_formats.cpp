#include "exchange/marker_formats.h"

#include <algorithm>
#include <filesystem>

#include "exchange/c3d_file.h"
#include "exchange/c3d_parameters.h"
#include "exchange/csv_writer.h"
#include "exchange/gltf_writer.h"
#include "exchange/trc_adapter.h"
#include "exchange/trc_writer.h"

namespace zar::exchange {

namespace {

std::string ReadC3D(const std::string& path, const MarkerReadOptions& options, MarkerSet& set) {
  C3DFile file;
  std::string message = file.Read(path);
  if (message.empty()) message = NothingToConvert(file.Contents());
  if (!message.empty()) return message;
  set = std::move(file.points);
  set.warnings = std::move(file.warnings);
  if (options.names_from_descriptions) set.NameByDescriptions();
  return message;
}

std::string ReadTRCMarkers(const std::string& path, const MarkerReadOptions& /*options*/,
                           MarkerSet& set) {
  return ReadTRC(path, set);
}

constexpr MarkerFormat kFormats[] = {
    {".c3d", "C3D", ReadC3D, WriteC3D, Axis::kZ},
    {".trc", "TRC", ReadTRCMarkers, WriteTRC, Axis::kY},
    {".csv", "CSV", nullptr, WriteCSV, Axis::kY},
    {".glb", "glTF binary", nullptr, WriteGLB, Axis::kY},
    {".gltf", "glTF", nullptr, WriteGLTF, Axis::kY},
};

}  // namespace

std::span<const MarkerFormat> MarkerFormats() { return kFormats; }

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
