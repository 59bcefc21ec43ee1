// zarfileio._native: the exchange library's readers and writers for the zarfileio package. The
// package's Python modules check the arguments and build the classes users see; this module
// reads and writes files (without the GIL, so that threads read files in parallel) and moves
// the samples between the library's models and NumPy arrays.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <stdexcept>
#include <string>

#include "c3d_extras.h"
#include "choices.h"
#include "errors.h"
#include "exchange/marker_formats.h"
#include "exchange/marker_rows.h"
#include "exchange/parallel_blocks.h"
#include "exchange/skeleton_formats.h"
#include "marker_arrays.h"
#include "marker_source.h"
#include "scene_source.h"
#include "skeleton_arrays.h"
#include "skeleton_source.h"

namespace py = pybind11;

namespace zar::python {
namespace {

template <typename T>
std::optional<T> Optional(const py::dict& options, const char* key) {
  if (!options.contains(key) || options[key].is_none()) return std::nullopt;
  return options[key].cast<T>();
}

Choices ChoicesOf(const py::dict& options) {
  Choices choices;
  choices.descriptions =
      Optional<std::string>(options, "names").value_or("labels") == "descriptions";
  choices.points =
      Optional<std::vector<std::string>>(options, "points").value_or(std::vector<std::string>{});
  choices.markers =
      Optional<std::vector<std::string>>(options, "markers").value_or(std::vector<std::string>{});
  choices.exclude =
      Optional<std::vector<std::string>>(options, "exclude").value_or(std::vector<std::string>{});
  choices.lenient = Optional<bool>(options, "lenient").value_or(false);
  choices.up = Optional<std::string>(options, "up");
  choices.range.from = Optional<std::int64_t>(options, "from_frame");
  choices.range.to = Optional<std::int64_t>(options, "to_frame");
  choices.range.keep_time = Optional<bool>(options, "keep_time").value_or(false);
  choices.units = Optional<std::string>(options, "units");
  choices.up_out = Optional<std::string>(options, "up_out");
  return choices;
}

bool ReadsMarkers(const std::string& path) {
  const exchange::MarkerFormat* format = exchange::FindMarkerFormat(path);
  return format != nullptr && format->read != nullptr;
}
bool WritesMarkers(const std::string& path) {
  const exchange::MarkerFormat* format = exchange::FindMarkerFormat(path);
  return format != nullptr && format->write != nullptr;
}
bool ReadsSkeleton(const std::string& path) {
  const exchange::SkeletonFormat* format = exchange::FindSkeletonFormat(path);
  return format != nullptr && format->read != nullptr;
}
bool WritesSkeleton(const std::string& path) {
  const exchange::SkeletonFormat* format = exchange::FindSkeletonFormat(path);
  return format != nullptr && format->write != nullptr;
}

py::tuple ReadMarkerFile(const std::string& path, const py::dict& options) {
  const Choices choices = ChoicesOf(options);
  Notes notes;
  exchange::MarkerSet set;
  {
    py::gil_scoped_release unlocked;
    set = ReadMarkers(path, choices, notes);
    EditMarkers(set, choices, path);
  }
  return py::make_tuple(MarkerFields(std::move(set)), notes);
}

py::tuple ReadSkeletonFile(const std::string& path, const py::dict& options) {
  const Choices choices = ChoicesOf(options);
  Notes notes;
  exchange::Skeleton skeleton;
  {
    py::gil_scoped_release unlocked;
    skeleton = ReadSkeleton(path, choices, notes);
    EditSkeleton(skeleton, choices, path);
  }
  return py::make_tuple(SkeletonFields(skeleton), notes);
}

// ("markers" or "skeleton", the fields, notes) of a scene document's skeleton or marker cloud.
py::tuple ReadSceneFile(const std::string& path, const std::string& node, const py::dict& options) {
  const Choices choices = ChoicesOf(options);
  std::variant<exchange::MarkerSet, exchange::Skeleton> motion;
  {
    py::gil_scoped_release unlocked;
    motion = ReadScene(path, node, choices);
  }
  if (auto* set = std::get_if<exchange::MarkerSet>(&motion)) {
    return py::make_tuple("markers", MarkerFields(std::move(*set)), Notes());
  }
  return py::make_tuple("skeleton", SkeletonFields(std::get<exchange::Skeleton>(motion)), Notes());
}

Notes WriteMarkerFile(const py::dict& fields, const std::string& path, const py::dict& options) {
  const Choices choices = ChoicesOf(options);
  exchange::MarkerSet set = MarkerSetOf(fields);
  Notes notes;
  py::gil_scoped_release unlocked;
  WriteMarkers(set, path, choices, notes);
  return notes;
}

Notes WriteSkeletonFile(const py::dict& fields, const std::string& path, const py::dict& options) {
  const Choices choices = ChoicesOf(options);
  exchange::Skeleton skeleton = SkeletonOf(fields);
  Notes notes;
  py::gil_scoped_release unlocked;
  WriteSkeleton(skeleton, path, choices, notes);
  return notes;
}

// The tool's convert IN OUT: read, the frame range, the up axis to write in, the unit, written.
Notes Convert(const std::string& in, const std::string& out, const py::dict& options) {
  const Choices choices = ChoicesOf(options);
  Choices range_only = choices;
  range_only.units.reset();
  Notes notes;
  py::gil_scoped_release unlocked;
  const auto c3d = [](const std::string& path) {
    const exchange::MarkerFormat* format = exchange::FindMarkerFormat(path);
    return format != nullptr && format->extension == ".c3d";
  };
  if (c3d(in) && c3d(out) && CopyC3DWhole(in, out, choices, notes)) return notes;
  if (ReadsMarkers(in) && WritesMarkers(out)) {
    exchange::MarkerSet set = ReadMarkers(in, choices, notes);
    if (const std::string nothing =
            exchange::NothingToWrite(set.NumMarkers(), "markers", set.NumFrames());
        !nothing.empty()) {
      ThrowFormatProblem(nothing, in);
    }
    EditMarkers(set, range_only, in);
    WriteMarkers(set, out, choices, notes);
  } else if (ReadsSkeleton(in) && WritesSkeleton(out)) {
    const auto extension = [](const std::string& path) {
      return exchange::FindSkeletonFormat(path)->extension;
    };
    if (extension(in) == ".htr" && extension(out) == ".htr" && !choices.range.Asked()) {
      CopyHTR(in, out, choices, notes);
      return notes;
    }
    exchange::Skeleton skeleton = ReadSkeleton(in, choices, notes);
    if (const std::string nothing =
            exchange::NothingToWrite(skeleton.NumJoints(), "joints", skeleton.NumFrames());
        !nothing.empty()) {
      ThrowFormatProblem(nothing, in);
    }
    EditSkeleton(skeleton, range_only, in);
    WriteSkeleton(skeleton, out, choices, notes);
  } else {
    throw std::invalid_argument("cannot convert " + in + " to " + out);
  }
  return notes;
}

// Every format: (extension, title, "markers" or "skeleton", reads, writes).
py::list Formats() {
  py::list formats;
  for (const exchange::MarkerFormat& format : exchange::MarkerFormats()) {
    formats.append(py::make_tuple(std::string(format.extension), std::string(format.title),
                                  "markers", format.read != nullptr, format.write != nullptr));
  }
  for (const exchange::SkeletonFormat& format : exchange::SkeletonFormats()) {
    formats.append(py::make_tuple(std::string(format.extension), std::string(format.title),
                                  "skeleton", format.read != nullptr, format.write != nullptr));
  }
  return formats;
}

py::array_t<double> FrameTimes(std::int64_t first_frame, std::int64_t frames, double rate) {
  py::array_t<double> times(static_cast<py::ssize_t>(frames));
  for (std::int64_t k = 0; k < frames; ++k) {
    times.mutable_at(static_cast<py::ssize_t>(k)) = exchange::FrameTime(first_frame, k, rate);
  }
  return times;
}

std::vector<std::string> PointKindWords() {
  std::vector<std::string> words = {"all"};
  for (const exchange::PointKind kind : exchange::kPointKinds) {
    words.emplace_back(exchange::PointKindsText(kind));
  }
  return words;
}

// A context manager: within it, what the calling thread reads and writes stays on that thread.
struct CallingThreadOnlyScope {
  std::optional<exchange::CallingThreadOnly> scope;
};

}  // namespace
}  // namespace zar::python

PYBIND11_MODULE(_native, module) {
  using namespace zar::python;
  module.doc() = "The readers and writers behind the zarfileio package (use zarfileio itself).";
  BindErrors(module);
  module.def("formats", &Formats, "Every format: (extension, title, kind, reads, writes).");
  module.def("read_markers", &ReadMarkerFile, py::arg("path"), py::arg("options"),
             "(Markers' fields, notes) of a marker file, with read's options.");
  module.def("read_skeleton", &ReadSkeletonFile, py::arg("path"), py::arg("options"),
             "(Skeleton's fields, notes) of a skeleton file, with read's options.");
  module.def("read_scene", &ReadSceneFile, py::arg("path"), py::arg("node"), py::arg("options"),
             "(\"markers\" or \"skeleton\", fields, notes) of a scene document's one skeleton "
             "or marker cloud (below node, when given).");
  module.def("write_markers", &WriteMarkerFile, py::arg("fields"), py::arg("path"),
             py::arg("options"), "Writes Markers' fields to path; returns the notes.");
  module.def("write_skeleton", &WriteSkeletonFile, py::arg("fields"), py::arg("path"),
             py::arg("options"), "Writes a Skeleton's fields to path; returns the notes.");
  module.def("convert", &Convert, py::arg("src"), py::arg("dst"), py::arg("options"),
             "The tool's convert SRC DST with convert's options; returns the notes.");
  module.def(
      "world_positions", [](const py::dict& fields) { return WorldPositions(SkeletonOf(fields)); },
      py::arg("fields"), "Every joint's world position in every frame.");
  module.def(
      "c3d_extras",
      [](const std::string& path, bool lenient, bool zero, double cop_threshold) {
        zar::exchange::ForcePlateOptions options;
        options.zero = zero;
        options.cop_threshold = cop_threshold;
        return C3DExtras(path, lenient, options);
      },
      py::arg("path"), py::arg("lenient"), py::arg("zero"), py::arg("cop_threshold"),
      "A C3D file's analog channels, force plates and events.");
  module.def(
      "length_factor",
      [](const std::string& from, const std::string& to) {
        return zar::LengthConversionFactor(zar::LengthUnitFromText(from),
                                           zar::LengthUnitFromText(to));
      },
      py::arg("from_units"), py::arg("to_units"), "The factor from one length unit to another.");
  module.def("frame_times", &FrameTimes, py::arg("first_frame"), py::arg("frames"), py::arg("rate"),
             "Each frame's time in seconds, as the CSV writer gives it.");
  module.def("point_kind_words", &PointKindWords, "The words points= takes.");
  py::class_<CallingThreadOnlyScope>(
      module, "CallingThreadOnly",
      "Within `with CallingThreadOnly():`, each file read or written on this thread is read or "
      "written on this thread alone (for one task per file on every core).")
      .def(py::init<>())
      .def("__enter__", [](CallingThreadOnlyScope& self) { self.scope.emplace(); })
      .def("__exit__", [](CallingThreadOnlyScope& self, const py::args&) { self.scope.reset(); });
}
