#include "marker_arrays.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "filelib/motion_units.h"

namespace zar::python {

namespace py = pybind11;

namespace {

static_assert(sizeof(exchange::MarkerSample) == 4 * sizeof(double));

// Turns the samples of `set` in place into frames x points x 3 doubles (NaN where missing) at the
// start of the same memory, and fills `present`. Each sample's 32 bytes become 24 at a lower or
// equal offset, so sample i is read before anything overwrites it.
double* PositionsInPlace(exchange::MarkerSet& set, bool* present) {
  const std::size_t count = static_cast<std::size_t>(set.NumFrames()) * set.NumMarkers();
  auto* bytes = reinterpret_cast<unsigned char*>(set.Frame(0));
  constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t i = 0; i < count; ++i) {
    exchange::MarkerSample sample;
    std::memcpy(&sample, bytes + i * sizeof sample, sizeof sample);
    present[i] = sample.present;
    const double xyz[3] = {sample.present ? sample.x : kMissing,
                           sample.present ? sample.y : kMissing,
                           sample.present ? sample.z : kMissing};
    std::memmove(bytes + i * sizeof xyz, xyz, sizeof xyz);
  }
  return reinterpret_cast<double*>(bytes);
}

}  // namespace

std::string PointKindWord(exchange::PointKind kind) {
  std::string word(exchange::PointKindsText(kind));
  word.pop_back();  // the plural's "s"
  return word;
}

exchange::PointKind PointKindOfWord(const std::string& word) {
  for (const exchange::PointKind kind : exchange::kPointKinds) {
    if (PointKindWord(kind) == word) return kind;
  }
  throw std::invalid_argument("unknown point type '" + word + "'");
}

py::dict MarkerFields(exchange::MarkerSet&& set) {
  py::dict fields;
  py::list names;
  py::list descriptions;
  py::list types;
  for (const exchange::MarkerName& marker : set.markers) {
    names.append(marker.name);
    descriptions.append(marker.description);
    types.append(PointKindWord(marker.kind));
  }
  fields["names"] = names;
  fields["descriptions"] = descriptions;
  fields["types"] = types;
  fields["rate"] = set.rate;
  fields["camera_rate"] = set.camera_rate;
  fields["first_frame"] = set.first_frame;
  fields["units"] = std::string(LengthUnitText(set.units));
  fields["up"] = std::string(AxisText(set.up)) == "Z" ? "z" : "y";
  const auto frames = static_cast<py::ssize_t>(set.NumFrames());
  const auto points = static_cast<py::ssize_t>(set.NumMarkers());
  py::array_t<bool> present({frames, points});
  if (frames * points == 0) {
    fields["positions"] = py::array_t<double>({frames, points, py::ssize_t{3}});
  } else {
    auto owner = std::make_unique<exchange::MarkerSet>(std::move(set));
    bool* seen = present.mutable_data();
    double* data = nullptr;
    {
      py::gil_scoped_release unlocked;
      data = PositionsInPlace(*owner, seen);
    }
    py::capsule base(owner.release(),
                     [](void* held) { delete static_cast<exchange::MarkerSet*>(held); });
    fields["positions"] = py::array_t<double>({frames, points, py::ssize_t{3}}, data, base);
  }
  fields["present"] = present;
  return fields;
}

exchange::MarkerSet MarkerSetOf(const py::dict& fields) {
  exchange::MarkerSet set;
  const auto names = fields["names"].cast<std::vector<std::string>>();
  const auto descriptions = fields["descriptions"].cast<std::vector<std::string>>();
  const auto types = fields["types"].cast<std::vector<std::string>>();
  for (std::size_t m = 0; m < names.size(); ++m) {
    set.markers.push_back({names[m], descriptions[m], PointKindOfWord(types[m])});
  }
  set.rate = fields["rate"].cast<double>();
  set.camera_rate = fields["camera_rate"].cast<double>();
  set.first_frame = fields["first_frame"].cast<std::int64_t>();
  set.units = LengthUnitFromText(fields["units"].cast<std::string>());
  set.up = AxisFromText(fields["up"].cast<std::string>());
  set.up_known = true;
  const auto positions =
      fields["positions"].cast<py::array_t<double, py::array::c_style | py::array::forcecast>>();
  const auto present =
      fields["present"].cast<py::array_t<bool, py::array::c_style | py::array::forcecast>>();
  const std::int64_t frames = positions.shape(0);
  set.SetFrames(frames);
  const double* xyz = positions.data();
  const bool* seen = present.data();
  for (std::int64_t k = 0; k < frames; ++k) {
    exchange::MarkerSample* sample = set.Frame(k);
    for (std::size_t m = 0; m < names.size(); ++m, ++sample, xyz += 3, ++seen) {
      if (!*seen || !std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) {
        continue;
      }
      *sample = {xyz[0], xyz[1], xyz[2], true};
    }
  }
  return set;
}

}  // namespace zar::python
