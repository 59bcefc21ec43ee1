#include "c3d_extras.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <vector>

#include "errors.h"
#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/c3d_file.h"

namespace zar::python {

namespace py = pybind11;

namespace {

using exchange::Vector3;

// Rows of three from `get` applied to each of `items`.
template <typename Item, typename Get>
py::array_t<double> Rows(const std::vector<Item>& items, Get get) {
  py::array_t<double> rows({static_cast<py::ssize_t>(items.size()), py::ssize_t{3}});
  double* out = rows.mutable_data();
  for (const Item& item : items) {
    const Vector3 v = get(item);
    *out++ = v.x;
    *out++ = v.y;
    *out++ = v.z;
  }
  return rows;
}

py::dict AnalogFields(const exchange::C3DAnalog& analog) {
  py::list labels;
  py::list descriptions;
  py::list units;
  for (const exchange::C3DAnalogChannel& channel : analog.channels) {
    labels.append(channel.label);
    descriptions.append(channel.description);
    units.append(channel.units);
  }
  const auto samples = static_cast<py::ssize_t>(analog.NumSamples());
  const auto channels = static_cast<py::ssize_t>(analog.NumChannels());
  py::array_t<double> values({samples, channels});
  for (py::ssize_t s = 0; s < samples; ++s) {
    for (py::ssize_t c = 0; c < channels; ++c) {
      values.mutable_at(s, c) = analog.At(s, static_cast<std::size_t>(c));
    }
  }
  py::dict fields;
  fields["labels"] = labels;
  fields["descriptions"] = descriptions;
  fields["units"] = units;
  fields["rate"] = analog.rate;
  fields["first_frame"] = analog.first_frame;
  fields["values"] = values;
  return fields;
}

py::dict PlateFields(const exchange::ForcePlate& plate) {
  py::dict fields;
  fields["type"] = plate.type;
  fields["corners"] = Rows(std::vector<Vector3>(plate.corners.begin(), plate.corners.end()),
                           [](const Vector3& v) { return v; });
  fields["centre"] = py::make_tuple(plate.centre.x, plate.centre.y, plate.centre.z);
  const std::vector<Vector3> axes = {plate.axes[0], plate.axes[1], plate.axes[2]};
  fields["axes"] = Rows(axes, [](const Vector3& v) { return v; });
  using Sample = exchange::PlateSample;
  fields["force"] = Rows(plate.samples, [](const Sample& s) { return s.force; });
  fields["moment"] = Rows(plate.samples, [](const Sample& s) { return s.moment; });
  fields["cop"] = Rows(plate.samples, [](const Sample& s) { return s.cop; });
  py::array_t<double> free_moment(static_cast<py::ssize_t>(plate.samples.size()));
  for (std::size_t s = 0; s < plate.samples.size(); ++s) {
    free_moment.mutable_at(static_cast<py::ssize_t>(s)) = plate.samples[s].free_moment;
  }
  fields["free_moment"] = free_moment;
  return fields;
}

}  // namespace

py::dict C3DExtras(const std::string& path, bool lenient,
                   const exchange::ForcePlateOptions& options) {
  exchange::C3DFile file;
  exchange::C3DAnalog analog;
  std::vector<exchange::ForcePlate> plates;
  exchange::FileOutcome read;
  std::string plate_message;
  {
    py::gil_scoped_release unlocked;
    read = file.Read(path, exchange::C3DReadOptions{lenient});
    if (read.Ok()) read = exchange::ReadC3DAnalog(path, file, analog);
    if (read.Ok() && analog.NumChannels() > 0) {
      plate_message = exchange::C3DForcePlates(file, analog, options, plates);
    }
  }
  ThrowIfFailed(std::move(read), path);
  if (!plate_message.empty()) ThrowFormatProblem(std::move(plate_message), path);
  py::list events;
  for (const exchange::C3DEvent& event : exchange::C3DEvents(file.parameters)) {
    py::dict fields;
    fields["context"] = event.context;
    fields["label"] = event.label;
    fields["description"] = event.description;
    fields["time"] = event.time;
    fields["frame"] = exchange::C3DEventFrame(event.time, file.points.rate);
    events.append(fields);
  }
  py::list plate_list;
  for (const exchange::ForcePlate& plate : plates) plate_list.append(PlateFields(plate));
  py::dict extras;
  extras["analog"] = AnalogFields(analog);
  extras["plates"] = plate_list;
  extras["events"] = events;
  extras["warnings"] = file.warnings;
  return extras;
}

}  // namespace zar::python
